// Where the program's files live on this platform.
#pragma once

#include <string>

namespace kestrune::platform {

// The user's local application-data folder (no trailing separator), or empty
// when it cannot be determined.
std::string LocalAppDataFolder();

// The folder that holds the running executable (no trailing separator).
std::string ExecutableFolder();

// The full path of the running executable.
std::string ExecutablePath();

// The per-user folder for settings that live outside the program's folder
// (the configuration home on Linux, the roaming application data on Windows);
// empty when it cannot be determined.
std::string UserSettingsFolder();

}  // namespace kestrune::platform
