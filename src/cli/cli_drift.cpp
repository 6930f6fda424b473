// kestrune-cli drift: the keys the last Apply set that the game (an update,
// its own settings menu) has changed, removed or put back since.
#include "cli/cli_app.h"
#include "cli/cli_history.h"
#include "cli/cli_output.h"
#include "opti/apply_record.h"
#include "opti/change_list.h"
#include "opti/game_files.h"

namespace kestrune::cli {
namespace {

const char* KindName(opti::DriftKind kind) {
  switch (kind) {
    case opti::DriftKind::Changed:
      return "changed";
    case opti::DriftKind::Removed:
      return "removed";
    case opti::DriftKind::ReAdded:
      return "re-added";
  }
  return "changed";
}

}  // namespace

int RunDrift(const opti::GameFiles& files, bool json) {
  std::optional<opti::ApplyRecord> record = files.LastApplyRecord();
  std::vector<opti::DriftedKey> drift;
  if (record) drift = files.Drift(*record);
  if (json) {
    std::string out = std::string("{\"record\":") + (record ? "true" : "false") + ",\"drifted\":[";
    for (size_t i = 0; i < drift.size(); ++i) {
      const opti::DriftedKey& d = drift[i];
      if (i > 0) out += ",";
      out += std::string("{\"kind\":\"") + KindName(d.kind) +
             "\",\"file\":" + opti::JsonString(d.recorded.file) +
             ",\"section\":" + opti::JsonString(d.recorded.section) +
             ",\"key\":" + opti::JsonString(d.recorded.key);
      if (d.recorded.value) out += ",\"applied\":" + opti::JsonString(*d.recorded.value);
      if (d.now) out += ",\"now\":" + opti::JsonString(*d.now);
      out += "}";
    }
    out += "]}\n";
    PrintText(out);
    return drift.empty() ? kExitOk : kExitDrifted;
  }
  if (!record) {
    Print("No record of an Apply yet: nothing to check.\n");
    return kExitOk;
  }
  if (drift.empty()) {
    Print("No drift: the %zu keys the last Apply set are as it left them.\n", record->keys.size());
    return kExitOk;
  }
  Print("The game changed %zu of the %zu keys the last Apply set:\n", drift.size(),
        record->keys.size());
  std::string file;
  for (const opti::DriftedKey& d : drift) {
    if (d.recorded.file != file) {
      file = d.recorded.file;
      Print("%s\n", file.c_str());
    }
    const std::string& section = d.recorded.section;
    const std::string& key = d.recorded.key;
    switch (d.kind) {
      case opti::DriftKind::Changed:
        Print("  ~ [%s] %s: %s → %s (applied → now)\n", section.c_str(), key.c_str(),
              d.recorded.value->c_str(), d.now->c_str());
        break;
      case opti::DriftKind::Removed:
        Print("  - [%s] %s = %s (removed since)\n", section.c_str(), key.c_str(),
              d.recorded.value->c_str());
        break;
      case opti::DriftKind::ReAdded:
        Print("  + [%s] %s = %s (Apply removed it; it is back)\n", section.c_str(), key.c_str(),
              d.now->c_str());
        break;
    }
  }
  Print("kestrune-cli apply --again re-applies the last Apply's selections (a backup first).\n");
  return kExitDrifted;
}

}  // namespace kestrune::cli
