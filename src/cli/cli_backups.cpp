// kestrune-cli backups prune [N] | delete INDEX | pin INDEX | unpin INDEX:
// keeping the restore history tidy.
#include "cli/cli_app.h"
#include "cli/cli_history.h"
#include "cli/cli_output.h"
#include "opti/opti_services.h"

namespace kestrune::cli {
namespace {

void BackupsError(const std::string& text) {
  PrintError("kestrune-cli: error: %s\n", text.c_str());
}

// A history index from a word; -1 after an error line.
int IndexOf(const opti::TOptiFrame& page, const std::string& word) {
  int count = static_cast<int>(page.History().size());
  int index = opti::ParseIntDef(word, -1);
  if (count == 0) {
    BackupsError("there are no backups");
    return -1;
  }
  if (index < 0 || index >= count) {
    BackupsError("no backup with index " + word + " (0.." + std::to_string(count - 1) + ")");
    return -1;
  }
  return index;
}

}  // namespace

int RunBackupsCommand(opti::TOptiFrame& page, const std::vector<std::string>& words) {
  const std::string& action = words[0];
  std::string error;
  if (action == "prune") {
    if (words.size() > 2) {
      BackupsError("backups prune takes at most one number N");
      return kExitUsage;
    }
    int keep = page.KeepBackups();
    if (words.size() == 2) {
      keep = opti::ParseIntDef(words[1], -1);
      if (keep < 0) {
        BackupsError("'" + words[1] + "' is not a number of backups to keep (0 keeps all)");
        return kExitUsage;
      }
    }
    if (keep == 0) {
      Print("Keeping every backup (N = 0): nothing removed.\n");
      return kExitOk;
    }
    int pruned = page.PruneHistory(keep, error);
    if (pruned < 0) {
      BackupsError("the history was not pruned: " + error);
      return kExitFailed;
    }
    Print("Removed %d backup%s; %zu kept (the newest %d, and any pinned).\n", pruned,
          pruned == 1 ? "" : "s", page.History().size(), keep);
    return kExitOk;
  }
  const bool pin = action == "pin";
  if (action != "delete" && !pin && action != "unpin") {
    BackupsError("unknown backups action '" + action + "' (prune, delete, pin, unpin)");
    return kExitUsage;
  }
  if (words.size() != 2) {
    BackupsError("backups " + action + " takes one INDEX (kestrune-cli backups lists them)");
    return kExitUsage;
  }
  int index = IndexOf(page, words[1]);
  if (index < 0) return page.History().empty() ? kExitFailed : kExitUsage;
  std::string line = page.HistoryList().Items[index];
  if (action == "delete") {
    if (page.HistoryEntryPinned(index)) {
      BackupsError("backup " + words[1] + " is pinned; unpin it first");
      return kExitFailed;
    }
    if (!page.DeleteHistoryEntry(index, error)) {
      BackupsError("backup " + words[1] + " was not deleted: " + error);
      return kExitFailed;
    }
    Print("Deleted backup %d (%s); the later ones moved up by one.\n", index, line.c_str());
    return kExitOk;
  }
  if (!page.PinHistoryEntry(index, pin, error)) {
    BackupsError("backup " + words[1] + " was not " + (pin ? "pinned: " : "unpinned: ") + error);
    return kExitFailed;
  }
  Print("%s backup %d (%s).\n", pin ? "Pinned" : "Unpinned", index, line.c_str());
  return kExitOk;
}

}  // namespace kestrune::cli
