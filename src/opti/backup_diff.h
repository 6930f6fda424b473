// Key comparison of two sets of the game's three files: a backup against the
// files as they are now, or one backup against another, as a change list
// (per file and section), so the dry run's renderers show it.
#pragma once

#include <string>
#include <vector>

#include "engine/pubg_lib.h"
#include "opti/change_list.h"

namespace kestrune::opti {

struct FileSetComparison {
  ChangeList list;                  // Engine.ini, GameUserSettings.ini, Scalability.ini
  std::vector<std::string> errors;  // a file that is there but could not be read, with why
};

// Compares the game files in `beforeFolder` with those in `afterFolder`
// (the game's configuration folder when empty). A file missing on one side
// counts as empty there; its keys are all added or all removed.
FileSetComparison CompareFileSets(const TPUBGLib& engine, const std::string& beforeFolder,
                                  const std::string& afterFolder = "");

}  // namespace kestrune::opti
