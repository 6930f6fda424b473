// Processes as the core needs them: a snapshot of running programs by
// executable name, forced termination, and starting a program without
// waiting for it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrune::platform {

struct ProcessEntry {
  int64_t id = 0;
  // The executable's file name without its folder, as the system reports it
  // (a Windows program under Wine/Proton shows as "TslGame.exe").
  std::string exeName;
};

// Every live process (ended-but-unreaped ones excluded); empty when the
// process list cannot be read.
std::vector<ProcessEntry> ListProcesses();

// Ends a process at once (no chance to clean up). False when it cannot be
// signalled (gone, or not ours to end).
bool TerminateProcessById(int64_t id);

// True while the process exists and has not ended.
bool ProcessIsAlive(int64_t id);

// Starts argv[0] (searched in PATH when it holds no folder) with the given
// arguments as a new process in a session of its own, with the current
// folder and environment, inheriting no handle beyond standard output and
// error. Returns at once; the child is reaped in the background when it
// ends. 0 (and `error` set) when it cannot be started.
int64_t SpawnDetached(const std::vector<std::string>& argv, std::string* error = nullptr);

// A regular file the user may execute.
bool IsExecutableFile(const std::string& path);

// Full path of `name` found in the PATH search list; empty when absent.
std::string FindInSearchPath(const std::string& name);

}  // namespace kestrune::platform
