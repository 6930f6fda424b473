// The maker's Nodemark library beside the executable: machine identifier,
// OS text and start at log-on. Loaded by file name at each use and never
// unloaded; a missing library or entry gives empty / false and does nothing.
#pragma once

#include <string>

namespace kestrune {

// Base name of the library ("Nodemark.so" here).
inline constexpr char kNodemarkLibraryName[] = "Nodemark";

// Raw answers of GetMID / GetWindowsVersion (no caching here).
std::string NodemarkMachineId();
std::string NodemarkWindowsVersion();

// The tray menu's autorun item: IsAutoRun, and SetAutoRun with the
// program's full path (or false and an empty path to remove it).
bool IsAutoRun();
void SetAutoRun(bool enable, const std::string& programPath);

// Tests load the library from a path of their own; empty restores the
// program's folder.
void SetNodemarkPathForTesting(const std::string& path);

}  // namespace kestrune
