// Backups an earlier build kept elsewhere (on Linux inside the game's Proton
// prefix) move once to where this build keeps them, index included.
#pragma once

#include <string>

namespace kestrune {

// Moves the folder `legacyRoot` (with its stamped folders and the index
// "config.dat") to `root` when `root` does not exist yet, then names the
// moved folders in the index by their new place. Both roots end with a
// separator. Nothing happens when there is nothing to move; a move that
// fails leaves everything where it was (one debug line) and returns false.
bool MoveLegacyBackups(const std::string& legacyRoot, const std::string& root);

}  // namespace kestrune
