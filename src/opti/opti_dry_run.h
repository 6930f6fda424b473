// Apply without touching anything: the same page and flow run against a
// scratch copy of the game's three files in a temporary folder, with
// Config.dat writes kept in memory; the result is what Apply would change,
// key by key per file.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "hardware/hardware_info.h"
#include "opti/ini_diff.h"
#include "opti/opti_frame.h"
#include "opti/opti_services.h"

namespace kestrune::opti {

struct FileChanges {
  std::string name;  // "Engine.ini", ..., "Config.dat"
  std::string path;  // the real file the changes are for
  bool existed = false;
  bool exists = false;  // after the run
  std::vector<KeyChange> changes;
  // The file's text before and after the run (empty for Config.dat, which
  // is known by its keys only).
  std::string beforeText, afterText;
};

struct DryRunReport {
  ApplyResult apply;
  std::string question;            // the final question Apply would ask (empty if none)
  std::vector<FileChanges> files;  // the three game files, then Config.dat
  // The game ran when the dry run started: it went on anyway (it writes
  // nothing), but a real Apply would be refused.
  bool gameRunning = false;
};

// The game files under `localAppData` (the platform's folder when empty).
// `settings` is read, never written; `game` is asked whether the game runs
// (see DryRunReport::gameRunning) and is never told to end or start it.
// Apply's question is answered Cancel.
// `pageBuilt`, when given, sees the freshly built page before Apply runs.
DryRunReport DryRunApply(const THareWareInfo& hardware, OptiSettings& settings, GameControl& game,
                         const std::string& localAppData = "",
                         const std::function<void(const TOptiFrame&)>& pageBuilt = {});

}  // namespace kestrune::opti
