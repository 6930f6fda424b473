// The page's newer actions: the record of what Apply set (drift check and
// apply again) and keeping the restore history tidy (KeepBackups, delete,
// pin, prune).
#include <exception>

#include "opti/opti_frame.h"
#include "opti/opti_lock.h"
#include "platform/debug_log.h"
#include "platform/file_system.h"

namespace kestrune::opti {
namespace {

constexpr const char* kKeepBackupsKey = "KeepBackups";
constexpr int kKeepBackupsDefault = 30;

}  // namespace

void TOptiFrame::BeginApplyRecord() {
  applying_ = ApplyRecord{};
  // The selections as SaveSettings just stored them.
  for (const ListDesc& desc : Lists())
    applying_.selections.emplace_back(desc.key, settings_.Read(std::string(desc.key)));
  for (const EditDesc& desc : Edits())
    applying_.selections.emplace_back(desc.key, settings_.Read(std::string(desc.key)));
  for (const CheckDesc& desc : Checks())
    applying_.selections.emplace_back(desc.key, settings_.Read(std::string(desc.key)));
  engine_->SetKeyObserver([this](const std::string& path, const std::string& section,
                                 const std::string& key, const std::optional<std::string>& value) {
    NoteRecordedKey(applying_, RecordedKey{platform::FileName(path), section, key, value});
  });
}

void TOptiFrame::EndApplyRecord(bool done) {
  engine_->SetKeyObserver({});
  ApplyRecord record = std::move(applying_);
  applying_ = ApplyRecord{};
  // A dry run works on scratch copies: it neither records nor prunes.
  if (!done || !durable_) return;
  SettleApplyRecord(*engine_, record);
  std::string error;
  if (!SaveApplyRecord(ApplyRecordPath(*engine_), record, &error))
    DebugLogF("Apply: the record of what it set was not saved: %s", error.c_str());
  int keep = KeepBackups();
  if (keep <= 0) return;
  try {
    int pruned = engine_->PruneBackups(keep, engine_->LastBackupFolder());
    if (pruned > 0) DebugLogF("Apply: %d old backups removed (KeepBackups=%d)", pruned, keep);
  } catch (const std::exception& e) {
    // The game files are done; an index we cannot tidy stays as it was.
    DebugLogF("Apply: old backups not removed: %s", e.what());
  }
}

std::vector<DriftedKey> TOptiFrame::CheckDrift() const {
  std::optional<ApplyRecord> record = LoadApplyRecord(ApplyRecordPath(*engine_));
  if (!record) return {};
  return FindDrift(*engine_, *record);
}

ApplyResult TOptiFrame::ApplyAgain() {
  if (game_.IsGameRunning()) return BtnApplyClick();  // the notice; nothing saved
  std::optional<ApplyRecord> record = LoadApplyRecord(ApplyRecordPath(*engine_));
  if (!record || record->selections.empty()) {
    ApplyResult result;
    result.status = ApplyStatus::Failed;
    result.error = "There is no record of an earlier Apply to repeat.";
    return result;
  }
  for (const auto& [key, value] : record->selections) {
    if (!settings_.Write(key, value)) {
      ApplyResult result;
      result.status = ApplyStatus::Failed;
      result.error = "The last Apply's selections could not be saved to Config.dat.";
      dialogs_.ShowErrorBox(result.error);
      return result;
    }
  }
  LoadSettings();
  return BtnApplyClick();
}

int TOptiFrame::KeepBackups() {
  // Bad text or a negative number: the default, never "keep all".
  int keep = ParseIntDef(settings_.Read(kKeepBackupsKey), kKeepBackupsDefault);
  return keep < 0 ? kKeepBackupsDefault : keep;
}

bool TOptiFrame::HistoryEntryPinned(int index) const {
  if (index < 0 || index >= static_cast<int>(history_.size())) return false;
  return engine_->IsBackupPinned(history_[index]);
}

FileSetComparison TOptiFrame::CompareHistoryEntry(int index) const {
  if (index < 0 || index >= static_cast<int>(history_.size())) {
    FileSetComparison none;
    none.errors.push_back("no backup with that index");
    return none;
  }
  return CompareFileSets(*engine_, history_[static_cast<size_t>(index)].Folder);
}

namespace {

// Runs one history action under the game folder's lock; the history is
// reloaded afterwards whatever happened.
template <typename Action>
bool HistoryAction(TPUBGLib& engine, std::string& error, Action action) {
  auto lock = LockGameFolder(engine.GameConfigFolder());
  if (!lock) {
    error = kAnotherKestrune;
    return false;
  }
  try {
    action();
  } catch (const std::exception& e) {
    error = e.what();
    DebugLogF("Backup history: %s", e.what());
    return false;
  }
  if (!engine.SyncChangedFiles()) DebugLog("Backup history: a flush failed");
  return true;
}

}  // namespace

bool TOptiFrame::DeleteHistoryEntry(int index, std::string& error) {
  if (index < 0 || index >= static_cast<int>(history_.size())) {
    error = "no backup with that index";
    return false;
  }
  bool ok = HistoryAction(*engine_, error, [&] { engine_->DeleteBackup(index); });
  LoadHistory();
  return ok;
}

bool TOptiFrame::PinHistoryEntry(int index, bool pinned, std::string& error) {
  if (index < 0 || index >= static_cast<int>(history_.size())) {
    error = "no backup with that index";
    return false;
  }
  bool ok = HistoryAction(*engine_, error, [&] { engine_->SetBackupPinned(index, pinned); });
  LoadHistory();
  return ok;
}

int TOptiFrame::PruneHistory(int keep, std::string& error) {
  int pruned = 0;
  bool ok = HistoryAction(*engine_, error, [&] { pruned = engine_->PruneBackups(keep); });
  LoadHistory();
  return ok ? pruned : -1;
}

}  // namespace kestrune::opti
