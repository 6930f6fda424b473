// The game's files and Kestrune's backups without a page: where the game's
// configuration lives and what the commands that only read (diff, drift)
// need. Front ends ask here instead of building the engine themselves.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/pubg_lib.h"
#include "opti/apply_record.h"
#include "opti/backup_diff.h"

namespace kestrune::opti {

// The game's configuration folder under a local application-data folder (no
// trailing separator).
std::string GameConfigFolderUnder(const std::string& localAppData);

// Whether any of the game's three files is in `folder`.
bool HasGameFiles(const std::string& folder);

class GameFiles {
 public:
  // The game's files under `localAppData`, a folder the user named; empty:
  // the platform's folder. No hardware facts: nothing here writes a key.
  explicit GameFiles(const std::string& localAppData);
  ~GameFiles();
  GameFiles(const GameFiles&) = delete;
  GameFiles& operator=(const GameFiles&) = delete;

  // The backup history, oldest first.
  std::vector<TBackupEntry> Backups() const;
  // CompareFileSets on these files: a backup folder against another, or
  // against the game's files now (`afterFolder` empty).
  FileSetComparison Compare(const std::string& beforeFolder, const std::string& afterFolder) const;
  // The last Apply's record (nullopt: none, or not readable).
  std::optional<ApplyRecord> LastApplyRecord() const;
  // The keys of `record` the game changed since.
  std::vector<DriftedKey> Drift(const ApplyRecord& record) const;

 private:
  THareWareInfo none_{};
  std::unique_ptr<TPUBGLib> engine_;
};

}  // namespace kestrune::opti
