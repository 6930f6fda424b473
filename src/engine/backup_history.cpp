// TPUBGLib, history half: pinning, deleting and pruning backups. The pins
// live in the backup index itself (section "Pinned", one key per pinned
// folder name), so the history and its pins change together in one write.
#include <algorithm>
#include <stdexcept>

#include "engine/pubg_lib.h"
#include "ini/ini_text.h"
#include "platform/ascii.h"
#include "platform/debug_log.h"
#include "platform/file_system.h"

namespace kestrune {
namespace {

constexpr char kSep = platform::kPathSeparator;
constexpr const char* kIndexSection = "Backup";
constexpr const char* kPinSection = "Pinned";

std::string TrimmedFolder(std::string folder) {
  while (folder.size() > 1 && (folder.back() == kSep || folder.back() == '/')) folder.pop_back();
  return folder;
}

// The index as the history sees it, plus the rest of its text.
struct IndexText {
  std::string rest;                                          // without the two sections
  std::vector<std::pair<std::string, std::string>> entries;  // key, folder; history order
  std::vector<std::string> pins;                             // folder names
};

// Reads every "Backup" and "Pinned" section (a hand-edited index may repeat
// one); the first "Backup" section comes first, in file order, as
// ListBackups shows it. An index that is there but cannot be read throws.
IndexText ReadIndex(const std::string& path) {
  IndexText index;
  platform::ReadResult read = platform::ReadWholeFile(path);
  if (read.status == platform::ReadStatus::kOk) {
    index.rest = std::move(read.data);
  } else if (read.status != platform::ReadStatus::kNotFound) {
    DebugLogF("Backup history: cannot read %s: %s", path.c_str(), read.error.c_str());
    throw EIndexWriteError(path);
  }
  auto has = [&](const char* section) {
    for (const std::string& s : ini::ListSections(index.rest))
      if (ini::NamesEqual(s, section)) return true;
    return false;
  };
  while (has(kIndexSection)) {
    for (auto& entry : ini::ListEntries(index.rest, kIndexSection))
      index.entries.push_back(std::move(entry));
    index.rest = ini::EraseSection(index.rest, kIndexSection);
  }
  while (has(kPinSection)) {
    for (auto& [key, value] : ini::ListEntries(index.rest, kPinSection))
      if (TrimSpaceTab(value) == "1") index.pins.push_back(key);
    index.rest = ini::EraseSection(index.rest, kPinSection);
  }
  return index;
}

bool Pinned(const IndexText& index, const std::string& folder) {
  std::string name = platform::FileName(TrimmedFolder(folder));
  return std::any_of(index.pins.begin(), index.pins.end(),
                     [&](const std::string& pin) { return ini::NamesEqual(pin, name); });
}

// The index rebuilt: the other text as it was, then the history renumbered
// ID0..IDn in its order, then the pins that still name a backup.
void WriteIndex(const std::string& path, const IndexText& index) {
  std::string text = index.rest;
  if (!text.empty() && text.back() != '\n' && text.back() != '\r') text += "\r\n";
  text += std::string("[") + kIndexSection + "]\r\n";
  for (size_t i = 0; i < index.entries.size(); ++i)
    text += "ID" + std::to_string(i) + "=" + index.entries[i].second + "\r\n";
  std::vector<std::string> pins;
  for (const std::string& pin : index.pins) {
    bool named = std::any_of(index.entries.begin(), index.entries.end(), [&](const auto& e) {
      return ini::NamesEqual(platform::FileName(TrimmedFolder(e.second)), pin);
    });
    if (named && std::find(pins.begin(), pins.end(), pin) == pins.end()) pins.push_back(pin);
  }
  if (!pins.empty()) {
    text += std::string("[") + kPinSection + "]\r\n";
    for (const std::string& pin : pins) text += pin + "=1\r\n";
  }
  std::string error;
  if (!platform::IsWritable(path, &error) || !platform::ReplaceFileAtomically(path, text, &error) ||
      !platform::SyncFiles({path})) {
    DebugLogF("Backup history: cannot write %s: %s", path.c_str(), error.c_str());
    throw EIndexWriteError(path);
  }
}

}  // namespace

std::vector<std::string> TPUBGLib::PinnedBackups() const {
  try {
    return ReadIndex(BackupIndexPath()).pins;
  } catch (const EIndexWriteError&) {
    return {};
  }
}

bool TPUBGLib::IsBackupPinned(const TBackupEntry& entry) const {
  IndexText index;
  index.pins = PinnedBackups();
  return Pinned(index, entry.Folder);
}

void TPUBGLib::SetBackupPinned(size_t index, bool pinned) {
  IndexText text = ReadIndex(BackupIndexPath());
  if (index >= text.entries.size()) throw std::out_of_range("no backup with that index");
  std::string name = platform::FileName(TrimmedFolder(text.entries[index].second));
  if (pinned == Pinned(text, name)) return;
  if (pinned) {
    text.pins.push_back(name);
  } else {
    text.pins.erase(
        std::remove_if(text.pins.begin(), text.pins.end(),
                       [&](const std::string& pin) { return ini::NamesEqual(pin, name); }),
        text.pins.end());
  }
  WriteIndex(BackupIndexPath(), text);
}

void TPUBGLib::DeleteBackup(size_t index) {
  if (index >= ReadIndex(BackupIndexPath()).entries.size())
    throw std::out_of_range("no backup with that index");
  DropBackups({index});
}

int TPUBGLib::PruneBackups(int keep, const std::string& protect) {
  if (keep <= 0) return 0;
  IndexText text = ReadIndex(BackupIndexPath());
  std::string kept = TrimmedFolder(protect);
  std::vector<size_t> drop;
  int unpinned = 0;
  for (size_t i = text.entries.size(); i-- > 0;) {
    const std::string& folder = text.entries[i].second;
    if (Pinned(text, folder)) continue;
    // The backup just taken stays even when it is beyond the count.
    if (++unpinned <= keep || (!kept.empty() && TrimmedFolder(folder) == kept)) continue;
    drop.push_back(i);
  }
  if (drop.empty()) return 0;
  return DropBackups(drop);
}

int TPUBGLib::DropBackups(const std::vector<size_t>& drop) {
  const std::string indexPath = BackupIndexPath();
  IndexText text = ReadIndex(indexPath);
  std::vector<std::string> gone;
  std::vector<std::pair<std::string, std::string>> stay;
  for (size_t i = 0; i < text.entries.size(); ++i) {
    if (std::find(drop.begin(), drop.end(), i) != drop.end())
      gone.push_back(text.entries[i].second);
    else
      stay.push_back(text.entries[i]);
  }
  int dropped = static_cast<int>(gone.size());
  text.entries = std::move(stay);
  // The index first: a crash before the folders go leaves folders the
  // index no longer names, and the next backup clears those.
  WriteIndex(indexPath, text);
  NoteChanged(indexPath);

  std::string root = platform::CanonicalPath(BackupRoot);
  for (const std::string& listed : gone) {
    std::string folder = TrimmedFolder(listed);
    bool stillNamed = std::any_of(text.entries.begin(), text.entries.end(),
                                  [&](const auto& e) { return TrimmedFolder(e.second) == folder; });
    if (stillNamed) continue;  // two backups in one millisecond share it
    // The index is a file anyone can edit: only a stamped folder directly
    // inside the backup root is ours to delete; any other entry only leaves
    // the history.
    std::string name = platform::FileName(folder);
    if (!IsBackupStamp(name) || root.empty() || platform::IsSymbolicLink(folder) ||
        platform::CanonicalPath(platform::ParentFolder(folder)) != root) {
      DebugLogF("Backup history: %s is not a backup folder; only its entry was removed",
                listed.c_str());
      continue;
    }
    if (platform::DirectoryExists(folder)) RemoveBackupFolder(folder);
  }
  return dropped;
}

}  // namespace kestrune
