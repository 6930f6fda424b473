// The page's actions: Apply, the restore history, restore, clear and start.
#include <cstdio>
#include <exception>
#include <map>
#include <memory>

#include "i18n/i18n.h"
#include "opti/opti_frame.h"
#include "opti/opti_lock.h"
#include "platform/debug_log.h"
#include "platform/file_lock.h"
#include "platform/file_system.h"
#include "platform/regex_group.h"

namespace kestrune::opti {

// Two Kestrune processes changing the same files lose each other's writes:
// each flow (Apply, restore, clear) holds the game's configuration folder
// locked from its first read to its barrier. The lock is on the folder
// itself, so no file of ours appears among the game's. A second flow waits
// this long, then gives up.
constexpr int kFlowLockWaitMs = 5000;
constexpr const char* kSettingsNotSaved =
    "The page's choices could not be saved to Config.dat (read-only, or its folder cannot be "
    "written); the game's files are still changed.";
const char* const kAnotherKestrune =
    "Another Kestrune is changing the game's configuration files; try again when it has "
    "finished.";

// Null when another Kestrune kept the folder for the whole wait. A folder
// that cannot be locked at all (missing, refused) leaves the flow unguarded:
// its writes then meet the same fault and report it.
std::unique_ptr<platform::ScopedFileLock> LockGameFolder(const std::string& folder) {
  auto lock = std::make_unique<platform::ScopedFileLock>(folder, kFlowLockWaitMs);
  if (lock->held()) {
    // The one scan of this flow: what a killed writer left behind goes now.
    platform::RemoveStaleTemporaries(folder);
    return lock;
  }
  DebugLogF("No lock on %s: %s", folder.c_str(), lock->error().c_str());
  if (lock->timedOut()) return nullptr;
  return lock;
}

std::string FailedFilesText(std::string_view lead, const std::vector<TSwallowedWrite>& files) {
  // The dialogs show one line: name every file and its reason.
  std::string text(i18n::Tr(lead));
  for (size_t i = 0; i < files.size(); ++i) {
    if (i > 0) text += i18n::Tr("；");
    text += i18n::TrF("%s（%s）", {platform::FileName(files[i].Path),
                                   files[i].Reason.empty() ? i18n::Tr("拒绝写入")
                                                           : std::string_view(files[i].Reason)});
  }
  text += i18n::Tr("。");
  return text;
}

std::string ApplyQuestionText(const std::vector<TSwallowedWrite>& skipped) {
  if (skipped.empty()) return i18n::TrS(kApplyDoneQuestion);
  return FailedFilesText("以下文件无法修改：", skipped) + i18n::TrS(kStartQuestion);
}

std::string HistoryLine(std::string_view folder) {
  // One match per line: its groups have fixed widths, so they are cut from
  // the whole match instead of matching again for each (a long history
  // lists thousands of lines after every Apply). The date keeps its year;
  // the milliseconds only tell apart backups of the same second, which
  // LoadHistory numbers instead.
  std::string stamp = RegexGroup(folder, kHistoryPattern, 0);
  if (stamp.size() != 18) {
    // Not one of our stamps (a hand-edited index): the folder's own name.
    std::string trimmed(folder);
    while (trimmed.size() > 1 && (trimmed.back() == '/' || trimmed.back() == '\\'))
      trimmed.pop_back();
    size_t cut = trimmed.find_last_of("/\\");
    return cut == std::string::npos ? trimmed : trimmed.substr(cut + 1);
  }
  return stamp.substr(0, 4) + "-" + stamp.substr(4, 2) + "-" + stamp.substr(6, 2) + " " +
         stamp.substr(9, 2) + ":" + stamp.substr(11, 2) + ":" + stamp.substr(13, 2);
}

std::vector<std::string> HistoryLines(const std::vector<TBackupEntry>& history) {
  std::vector<std::string> lines;
  lines.reserve(history.size());
  std::map<std::string, int> seen;  // two backups in one second: " (2)", " (3)"...
  for (const TBackupEntry& entry : history) {
    std::string line = HistoryLine(entry.Folder);
    int n = ++seen[line];
    if (n > 1) line += " (" + std::to_string(n) + ")";
    lines.push_back(std::move(line));
  }
  return lines;
}

void TOptiFrame::Note(std::string_view call, int arg) {
  if (observer_) observer_(call, arg);
}

bool TOptiFrame::Sync() {
  if (!durable_) return true;
  Note("SyncChangedFiles");
  return engine_->SyncChangedFiles();
}

ApplyResult TOptiFrame::BtnApplyClick() {
  ApplyResult result;
  if (game_.IsGameRunning()) {
    result.status = ApplyStatus::GameRunning;
    dialogs_.ShowGameRunningNotice([this] { game_.TerminateGameProcesses(); });
    return result;
  }
  if (!loadError_.empty()) {  // saving would write defaults over unread settings
    result.status = ApplyStatus::Failed;
    result.error = loadError_;
    dialogs_.ShowErrorBox(result.error);
    return result;
  }
  auto lock = LockGameFolder(engine_->GameConfigFolder());
  if (!lock) {
    result.status = ApplyStatus::Failed;
    result.error = kAnotherKestrune;
    dialogs_.ShowErrorBox(result.error);
    return result;
  }
  // The game files are what Apply is for: a Config.dat that cannot be
  // written does not stop it, but the user hears that the choices are lost.
  if (!SaveSettings()) {
    DebugLog("Apply: some choices could not be saved to Config.dat");
    result.settingsNotSaved = true;
    dialogs_.ShowErrorBox(kSettingsNotSaved);
  }
  engine_->ResetSwallowedWrites();
  BeginApplyRecord();
  try {
    RunApplySteps(result);
  } catch (const std::exception& error) {
    // The index could not be written, or the binding file could not be
    // read: stop here, keep what was written durable, and say why.
    EndApplyRecord(false);
    Sync();
    result.status = ApplyStatus::Failed;
    result.error = error.what();
    result.skipped = engine_->SwallowedWrites();
    DebugLogF("Apply stopped: %s", error.what());
    dialogs_.ShowErrorBox(result.error);
    return result;
  }
  EndApplyRecord(true);
  LoadHistory();
  lock.reset();  // the question may stay open for long: the files are done
  int answer = dialogs_.ShowMessageBox(i18n::Tr(kGameTitle), ApplyQuestionText(result.skipped),
                                       result.skipped.empty() ? kIconQuestion : kIconError,
                                       kButtonsOkCancel);
  if (answer == kResultOk) {
    game_.LaunchGameViaSteam();
    result.gameStarted = true;
  }
  return result;
}

void TOptiFrame::RunApplySteps(ApplyResult& result) {
  TPUBGLib& engine = *engine_;
  Note("BackupConfigFiles");
  engine.BackupConfigFiles();
  Note("EnsureDefaultConfigFiles");
  engine.EnsureDefaultConfigFiles();

  for (const ApplyStep& step : ApplySteps()) {
    int value = 0;
    switch (step.feed) {
      case ApplyFeed::List:
        value = ItemIndex(static_cast<ListId>(step.source));
        break;
      case ApplyFeed::OnOffList:
        value = ItemIndex(static_cast<ListId>(step.source));
        if (value != 0 && value != 1) continue;
        break;
      case ApplyFeed::Switch:
        value = Checked(static_cast<CheckId>(step.source)) ? 1 : 0;
        break;
      case ApplyFeed::Edit: {
        const EditDesc& desc = Edit(static_cast<EditId>(step.source));
        int typed = ParseIntDef(TrimSpacesAndControls(EditText(desc.id)), desc.applyFallback);
        if (desc.range.applied && (typed < desc.range.min || typed > desc.range.max))
          typed = desc.applyFallback;
        // The edit shows what Apply took from it, whether or not it was written.
        SetEditText(desc.id, std::to_string(typed));
        value = typed;
        if (desc.gate && !Checked(*desc.gate)) {
          if (desc.whenClear < 0) continue;
          value = desc.whenClear;
        }
        break;
      }
      case ApplyFeed::Always:
        break;
    }
    Note(step.name, value);
    step.write(engine, value);
  }

  // Everything written so far reaches the disk before the user is asked.
  if (!Sync()) DebugLog("Apply: the durability barrier reported a failure");
  result.skipped = engine.SwallowedWrites();
  result.status = ApplyStatus::Done;
}

void TOptiFrame::LoadHistory() {
  history_.clear();
  Note("ListBackups");
  engine_->ListBackups(history_);
  historyList_.Items = HistoryLines(history_);
  historyList_.ItemIndex = historyList_.Count() - 1;  // newest, or none when empty
}

bool TOptiFrame::btnRestoreClick() {
  report_ = FlowReport{};
  int index = historyList_.ItemIndex;
  if (history_.empty() || index < 0 || index >= static_cast<int>(history_.size())) return false;
  auto lock = LockGameFolder(engine_->GameConfigFolder());
  if (!lock) {
    dialogs_.ShowErrorBox(kAnotherKestrune);
    return false;
  }
  Note("RestoreBackup", index);
  engine_->ResetSwallowedWrites();
  int restored = 0;
  try {
    restored = engine_->RestoreBackup(history_[index].Folder);
  } catch (const std::exception& error) {
    // A folder outside the backups, or one that is gone: nothing copied.
    report_.error = error.what();
    DebugLogF("Restore refused: %s", error.what());
    dialogs_.ShowErrorBox(report_.error);
    return false;
  }
  Sync();
  lock.reset();
  report_.changed = restored > 0;
  report_.failed = engine_->SwallowedWrites();
  // "All files restored" only when it is so.
  if (!report_.failed.empty())
    report_.error = FailedFilesText("还原未完成，以下文件出错：", report_.failed);
  else if (restored == 0)
    report_.error = i18n::TrS("还原失败：所选备份中没有配置文件，什么也没有还原。");
  if (!report_.error.empty()) {
    DebugLogF("Restore incomplete: %s", report_.error.c_str());
    dialogs_.ShowErrorBox(report_.error);
    return false;
  }
  dialogs_.ShowMessageBox(i18n::Tr(kGameTitle), i18n::Tr(kRestoreDone), kIconInfo, kButtonsOkOnly);
  return true;
}

bool TOptiFrame::Label4Click() {
  report_ = FlowReport{};
  engine_->ResetSwallowedWrites();
  // Clearing used to leave no way back: keep the files in a backup first,
  // so the history can restore them. A backup that is not whole deletes
  // nothing.
  auto lock = LockGameFolder(engine_->GameConfigFolder());
  if (!lock) {
    dialogs_.ShowErrorBox(kAnotherKestrune);
    return false;
  }
  try {
    Note("BackupConfigFiles");
    engine_->BackupConfigFiles();
  } catch (const std::exception& error) {
    Sync();
    report_.error = error.what();
    DebugLogF("Clear stopped before deleting anything: %s", error.what());
    dialogs_.ShowErrorBox(report_.error);
    return false;
  }
  Note("ClearGameConfig");
  int deleted = engine_->ClearGameConfig(engine_->GameConfigFolder());
  Sync();
  LoadHistory();
  lock.reset();
  report_.changed = deleted > 0;
  report_.failed = engine_->SwallowedWrites();
  if (!report_.failed.empty()) {
    report_.error = FailedFilesText("删除未完成，以下文件出错：", report_.failed);
    DebugLogF("Clear incomplete: %s", report_.error.c_str());
    dialogs_.ShowErrorBox(report_.error);
    return false;
  }
  dialogs_.ShowMessageBox(i18n::Tr(kGameTitle), i18n::Tr(kClearDone), kIconInfo, kButtonsOkOnly);
  return true;
}

bool TOptiFrame::BtnStartPUBGClick() {
  if (game_.IsGameRunning()) return false;
  game_.LaunchGameViaSteam();
  return true;
}

}  // namespace kestrune::opti
