// Game process detection and termination, the Steam start and the shell
// helpers, over the platform's process and shell services.
#include "env/game_process.h"

#include "env/command_line.h"
#include "platform/debug_log.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "platform/regex_group.h"
#include "platform/shell.h"

namespace kestrune {
namespace {

std::string UpperAscii(std::string_view text) {
  std::string upper(text);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return upper;
}

}  // namespace

bool IsGameProcessName(std::string_view exeName) {
  std::string upper = UpperAscii(exeName);
  for (const char* name : kGameProcessNames)
    if (upper == name) return true;
  return false;
}

bool IsGameRunning() {
  bool running = false;
  // The whole snapshot is walked, as the process walk always did.
  for (const platform::ProcessEntry& p : platform::ListProcesses())
    if (IsGameProcessName(p.exeName)) running = true;
  return running;
}

void TerminateGameProcesses() {
  for (const platform::ProcessEntry& p : platform::ListProcesses()) {
    if (!IsGameProcessName(p.exeName)) continue;
    if (!platform::TerminateProcessById(p.id))
      DebugLogF("TerminateGameProcesses: cannot end %s (%lld)", p.exeName.c_str(),
                static_cast<long long>(p.id));
  }
}

std::string SteamExecutableFromCommand(const std::string& value,
                                       const std::function<bool(const std::string&)>& fileExists) {
  if (value.empty()) return "";
  if (fileExists(value)) return value;
  std::string path = RegexGroup(value, kSteamExecutablePattern, 0);
  if (path.empty() || !fileExists(path)) return "";
  return path;
}

bool SteamInstalled() {
  return !SteamExecutableFromCommand(
              platform::SteamRegistrationCommand(),
              [](const std::string& path) { return platform::FileExists(path); })
              .empty();
}

bool LaunchGameViaSteam() {
  if (!SteamInstalled()) {
    DebugLog("LaunchGameViaSteam: Steam is not installed");
    return false;
  }
  // Steam itself is not run: the address goes to the desktop, which hands it on.
  return platform::OpenAddressThroughDesktop(kSteamGameAddress);
}

ProcessHandle StartProcess(const std::string& commandLine) {
  std::string error;
  ProcessHandle handle = platform::SpawnDetached(SplitWindowsCommandLine(commandLine), &error);
  if (handle == 0)
    DebugLogF("StartProcess: cannot start '%s' (%s)", commandLine.c_str(), error.c_str());
  return handle;
}

bool ShellOpen(const std::string& target) {
  return platform::ShellOpenTarget(target, {});
}

bool ShellOpenEx(const std::string& target, const std::string& parameters) {
  std::vector<std::string> args;
  if (!parameters.empty()) {
    // The parameters are a command line's tail: split them after a dummy name.
    args = SplitWindowsCommandLine("x " + parameters);
    args.erase(args.begin());
  }
  return platform::ShellOpenTarget(target, args);
}

}  // namespace kestrune
