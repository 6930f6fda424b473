// kestrune-cli diff: what changed between a backup and the game's files now,
// or between two backups, key by key per file and section.
#include <cstdio>

#include "cli/cli_app.h"
#include "cli/cli_changes.h"
#include "cli/cli_history.h"
#include "cli/cli_output.h"
#include "opti/backup_diff.h"
#include "opti/opti_frame.h"
#include "opti/opti_services.h"

namespace kestrune::cli {
namespace {

void DiffError(const std::string& text) {
  PrintError("kestrune-cli: error: %s\n", text.c_str());
}

// The history index a word names; -1 (after an error line) when none.
int BackupIndex(const std::string& word, const std::vector<TBackupEntry>& history) {
  int index = opti::ParseIntDef(word, -1);
  int count = static_cast<int>(history.size());
  if (index < 0 || index >= count) {
    DiffError("no backup with index " + word + " (0.." + std::to_string(count - 1) + ")");
    return -1;
  }
  return index;
}

}  // namespace

int RunDiff(const opti::GameFiles& files, const std::vector<std::string>& words, bool json) {
  if (words.size() > 2) {
    DiffError("diff takes at most two INDEXes (kestrune-cli backups lists them)");
    return kExitUsage;
  }
  std::vector<TBackupEntry> history = files.Backups();
  if (history.empty()) {
    DiffError("there are no backups to compare with");
    return kExitFailed;
  }
  int from = static_cast<int>(history.size()) - 1;  // the newest by default
  int to = -1;                                      // the files now
  if (!words.empty() && (from = BackupIndex(words[0], history)) < 0) return kExitUsage;
  if (words.size() == 2 && (to = BackupIndex(words[1], history)) < 0) return kExitUsage;

  opti::FileSetComparison comparison =
      files.Compare(history[from].Folder, to < 0 ? "" : history[to].Folder);
  if (!comparison.errors.empty()) {
    for (const std::string& e : comparison.errors) DiffError("cannot read " + e);
    return kExitFailed;
  }
  std::vector<std::string> lines = opti::HistoryLines(history);
  auto side = [&](int index) {
    return "{\"index\":" + std::to_string(index) + ",\"name\":" + opti::JsonString(lines[index]) +
           ",\"folder\":" + opti::JsonString(history[index].Folder) + "}";
  };
  if (json) {
    PrintChangeList(comparison.list, true,
                    {{"from", side(from)}, {"to", to < 0 ? std::string("\"now\"") : side(to)}});
    return kExitOk;
  }
  std::string target = to < 0 ? std::string("the files now")
                              : "backup " + std::to_string(to) + " (" + lines[to] + ")";
  Print("Changes from backup %d (%s) to %s:\n", from, lines[from].c_str(), target.c_str());
  PrintChangeList(comparison.list, false);
  return kExitOk;
}

}  // namespace kestrune::cli
