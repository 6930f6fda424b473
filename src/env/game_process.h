// The game's processes, starting the game through Steam, and the program's
// ways of starting other programs and documents. Free functions without
// state; every failure is absorbed (one debug line at most).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace kestrune {

inline constexpr const char* kGameProcessNames[] = {"TSLGAME.EXE", "TSLGAME_BE.EXE"};
inline constexpr const char* kSteamGameAddress = "steam://rungameid/578080";
inline constexpr const char* kSteamExecutablePattern = "[a-z]:\\\\.*?steam\\.exe";

// A process is the game when its executable name, upper-cased, equals one of
// the game's names exactly.
bool IsGameProcessName(std::string_view exeName);

// True when at least one game process runs; false when the list is unreadable.
bool IsGameRunning();

// Ends every game process in snapshot order; reports nothing.
void TerminateGameProcesses();

// The Steam executable named by the registered command `value`: the whole
// value when it is a file, otherwise the first case-insensitive match of the
// Steam pattern when that is a file; empty when neither exists.
std::string SteamExecutableFromCommand(const std::string& value,
                                       const std::function<bool(const std::string&)>& fileExists);

// Whether the Steam client is installed (its registered launcher exists).
bool SteamInstalled();

// Starts the game through Steam when Steam is installed; false when Steam
// was not found or its address could not be handed to the desktop.
bool LaunchGameViaSteam();

// Process handle of StartProcess: non-zero for a started process.
using ProcessHandle = int64_t;

// Starts a Windows-style command line as a new process; returns at once,
// 0 when starting fails.
ProcessHandle StartProcess(const std::string& commandLine);

// "open" on a document, folder or address (or a program, which is started);
// false when nothing could be started (no desktop opener, say).
bool ShellOpen(const std::string& target);

// The same with parameters (empty when none) for a program target.
bool ShellOpenEx(const std::string& target, const std::string& parameters);

}  // namespace kestrune
