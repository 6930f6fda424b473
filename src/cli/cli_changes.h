// How kestrune-cli shows a change list: text (coloured on a terminal unless
// NO_COLOR is set) or, with --json, one JSON object on stdout.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "opti/change_list.h"
#include "opti/opti_dry_run.h"

namespace kestrune::cli {

// True when stdout is a terminal that shows colours and NO_COLOR is not set
// (https://no-color.org: any non-empty value turns colour off).
bool ColourWanted();

// The change list of the dry run's files (game files with their texts,
// Config.dat by its keys).
opti::ChangeList ChangeListOf(const std::vector<opti::FileChanges>& files);

// Text: the list and its summary line. JSON: one object with the list, its
// summary and `extra` members (name, JSON value), then a line break.
void PrintChangeList(const opti::ChangeList& list, bool json,
                     const std::vector<std::pair<std::string, std::string>>& extra = {});

}  // namespace kestrune::cli
