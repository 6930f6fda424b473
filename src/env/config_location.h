// Where Config.dat lives (platform::SettingsFileFolder), and the one-time
// move of a Config.dat an earlier build kept beside the executable.
#pragma once

#include <string>

namespace kestrune {

// The full path of Config.dat. The first call in a process creates its
// folder and, when Config.dat is not there yet but one lies in the earlier
// place, moves that one in (its bytes copied atomically, the old file then
// removed where the user may remove it). When the move fails the old file
// stays in use, so no setting is lost.
std::string SettledConfigFilePath();

}  // namespace kestrune
