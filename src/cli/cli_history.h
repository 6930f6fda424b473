// Commands about what changed since a backup and since the last Apply:
// diff (a backup against now, or two backups), drift, and the history's
// housekeeping (backups prune / delete / pin).
#pragma once

#include <string>
#include <vector>

#include "opti/game_files.h"
#include "opti/opti_frame.h"

namespace kestrune::cli {

// diff [INDEX] | diff INDEX1 INDEX2; `json` prints one JSON object.
int RunDiff(const opti::GameFiles& files, const std::vector<std::string>& words, bool json);
// drift: 0 when nothing drifted, 6 when some keys did.
int RunDrift(const opti::GameFiles& files, bool json);
// backups prune [N] | delete INDEX | pin INDEX | unpin INDEX
int RunBackupsCommand(opti::TOptiFrame& page, const std::vector<std::string>& words);

}  // namespace kestrune::cli
