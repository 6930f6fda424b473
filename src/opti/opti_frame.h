// TOptiFrame without its widgets: the optimisation page's state (lists,
// edits, check options, hardware summary, restore history) and its flows
// (load, save, schemes, automatic configuration, Apply, restore, clear,
// start). A front end shows this state and forwards the user's actions; the
// page owns the one configuration engine for its whole life.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/pubg_lib.h"
#include "hardware/hardware_info.h"
#include "opti/apply_record.h"
#include "opti/backup_diff.h"
#include "opti/opti_services.h"
#include "opti/opti_tables.h"

namespace kestrune::opti {

// A list's entries and its selection; -1 is no selection.
struct TComboModel {
  std::vector<std::string> Items;
  int ItemIndex = -1;

  int Count() const { return static_cast<int>(Items.size()); }
  // An index outside the entries leaves the list without a selection.
  void SetItemIndex(int index) { ItemIndex = (index >= 0 && index < Count()) ? index : -1; }
  std::string SelectedText() const { return ItemIndex >= 0 ? Items[ItemIndex] : std::string(); }
};

// The four values of the "电脑配置" group.
struct HardwareSummary {
  std::string CPU;      // CPUName, blanks trimmed
  std::string Memory;   // "%d G"
  std::string GPU;      // CardName
  std::string Shaders;  // "%d"
};

enum class ApplyStatus {
  GameRunning,  // the notice was shown; nothing saved or written
  Failed,       // a propagating engine error stopped the flow (see error)
  Done,         // every step ran (some writes may have been skipped)
};

struct ApplyResult {
  ApplyStatus status = ApplyStatus::Done;
  std::string error;                     // Failed: the error's message
  std::vector<TSwallowedWrite> skipped;  // files the writers could not change
  bool gameStarted = false;              // the final question was answered OK
  bool settingsNotSaved = false;         // Config.dat could not be written (error box shown)
};

// What the last restore or clear did not do.
struct FlowReport {
  bool changed = false;                 // some game file was restored or deleted
  std::string error;                    // the error box's text; empty when all was done
  std::vector<TSwallowedWrite> failed;  // files it could not change, with the reason
};

// A message naming each file and its reason: `lead`, then "name（reason）"
// separated by "；", then "。".
std::string FailedFilesText(std::string_view lead, const std::vector<TSwallowedWrite>& files);

// The text of the final question after Apply: "优化完成！..." when every write
// held, otherwise which files could not be changed and why, then the question.
std::string ApplyQuestionText(const std::vector<TSwallowedWrite>& skipped);

// The history line of a backup folder: "YYYY-MM-DD HH:MM:SS" from the stamp
// (the folder's own name when it carries none).
std::string HistoryLine(std::string_view folder);
// The lines of a whole history: two backups in the same second get " (2)".
std::vector<std::string> HistoryLines(const std::vector<TBackupEntry>& history);

class TOptiFrame {
 public:
  // Creates the engine (when none is given, one on the platform's local
  // application-data folder reading `hardware`), then InitControls,
  // LoadSettings and LoadHistory. `hardware`, `settings`, `dialogs` and
  // `game` must outlive the page.
  TOptiFrame(const THareWareInfo& hardware, OptiSettings& settings, OptiDialogs& dialogs,
             GameControl& game, std::unique_ptr<TPUBGLib> engine = nullptr);
  // A page on the game's files under `localAppData`, a folder the user named
  // (--game-dir, GameDir); empty: the platform's folder, whatever GameDir says.
  static std::unique_ptr<TOptiFrame> ForGameFolder(const THareWareInfo& hardware,
                                                   OptiSettings& settings, OptiDialogs& dialogs,
                                                   GameControl& game,
                                                   const std::string& localAppData);
  TOptiFrame(const TOptiFrame&) = delete;
  TOptiFrame& operator=(const TOptiFrame&) = delete;

  // ---- State ----
  const TComboModel& ListModel(ListId id) const { return lists_[static_cast<size_t>(id)]; }
  int ItemIndex(ListId id) const { return ListModel(id).ItemIndex; }
  // Setting an index from code: no change handler runs.
  void SetItemIndex(ListId id, int index) { lists_[static_cast<size_t>(id)].SetItemIndex(index); }
  // A selection made by the user: for the scheme list, CBConfigModelChange runs.
  void UserSelect(ListId id, int index);

  const std::string& EditText(EditId id) const { return edits_[static_cast<size_t>(id)]; }
  void SetEditText(EditId id, std::string text) {
    edits_[static_cast<size_t>(id)] = std::move(text);
  }

  bool Checked(CheckId id) const { return checks_[static_cast<size_t>(id)]; }
  void SetChecked(CheckId id, bool on) { checks_[static_cast<size_t>(id)] = on; }

  const HardwareSummary& Hardware() const { return summary_; }

  // Restore history: entries and their display lines (same index).
  const std::vector<TBackupEntry>& History() const { return history_; }
  const TComboModel& HistoryList() const { return historyList_; }
  void SetHistoryIndex(int index) { historyList_.SetItemIndex(index); }

  // ---- What the engine knows, for front ends ----
  // The folder of the game's configuration files.
  std::string GameConfigFolder() const { return engine_->GameConfigFolder(); }
  // The three files Apply writes: Engine.ini, GameUserSettings.ini,
  // Scalability.ini, in that order.
  std::array<std::string, 3> GameFilePaths() const {
    return {engine_->EngineIniPath, engine_->GameUserSettingsPath, engine_->ScalabilityIniPath};
  }
  // The folder the backups and their index live in.
  const std::string& BackupRoot() const { return engine_->BackupRoot; }
  // The folder the last backup went to (empty before the first).
  const std::string& LastBackupFolder() const { return engine_->LastBackupFolder(); }
  // Where the record of the last Apply is kept.
  std::string ApplyRecordFile() const { return ApplyRecordPath(*engine_); }
  // The files the last flow's writers could not change, with the reason.
  std::vector<TSwallowedWrite> SwallowedWrites() const { return engine_->SwallowedWrites(); }
  // Tests pin the backups' time stamp.
  void SetClock(TPUBGLib::TClock clock) { engine_->SetClock(std::move(clock)); }

  // Tests and tools watch the engine calls of the flows: name and argument
  // (a level, 0/1 for a switch, a number, or 0 for calls without one).
  using EngineObserver = std::function<void(std::string_view call, int arg)>;
  void SetEngineObserver(EngineObserver observer) { observer_ = std::move(observer); }

  // The flows end with the engine's durability barrier. A dry run on scratch
  // copies turns it off: flushing files that are about to be deleted only
  // costs time.
  void SetDurabilityBarrier(bool on) { durable_ = on; }

  // ---- Operations ----
  void InitControls();
  void ShowHardwareInfo();
  void LoadSettings();
  // False when some value could not be saved to Config.dat, and when the last
  // LoadSettings found Config.dat unreadable (nothing is saved then).
  bool SaveSettings();
  // Why the last LoadSettings could not read Config.dat (the file is there
  // but a read failed); empty when every value was read or was absent. Apply
  // and any save stop while it is set.
  const std::string& LoadError() const { return loadError_; }
  void CBConfigModelChange();
  void BtnAutoConfigClick();

  ApplyResult BtnApplyClick();
  void LoadHistory();
  // False when there was nothing to restore (empty history, no selection),
  // or when the restore was refused or not complete (an error box said why;
  // see LastReport).
  bool btnRestoreClick();
  // False when the safety backup could not be taken whole (nothing
  // deleted), or when some file could not be deleted (see LastReport).
  bool Label4Click();
  const FlowReport& LastReport() const { return report_; }
  // True when the game was started.
  bool BtnStartPUBGClick();

  // ---- Drift and the tidy history (opti_history.cpp) ----

  // Keys the game changed since the last Apply (none without a readable record).
  std::vector<DriftedKey> CheckDrift() const;
  // Apply again with the last Apply's selections (saved to Config.dat
  // first, as Apply saves them). Failed with a reason when there is no record.
  ApplyResult ApplyAgain();
  // The "KeepBackups" setting: how many backups Apply keeps (0 = all).
  int KeepBackups();
  // History actions by line index; each holds the game folder's lock, then
  // reloads the history. False with `error` set when refused or failed.
  bool DeleteHistoryEntry(int index, std::string& error);
  bool PinHistoryEntry(int index, bool pinned, std::string& error);
  // Deletes the oldest unpinned backups beyond `keep`; -1 when it failed.
  int PruneHistory(int keep, std::string& error);
  bool HistoryEntryPinned(int index) const;
  // The keys that differ between the backup on history line `index` and the
  // game's files now (errors name a file that could not be read, or a line
  // that is no backup).
  FileSetComparison CompareHistoryEntry(int index) const;

 private:
  // Apply's record: the key observer runs while the writers do; a
  // successful Apply saves the record and prunes the history.
  void BeginApplyRecord();
  void EndApplyRecord(bool done);
  void Note(std::string_view call, int arg = 0);
  bool Sync();
  void RunApplySteps(ApplyResult& result);

  const THareWareInfo& hardware_;
  OptiSettings& settings_;
  OptiDialogs& dialogs_;
  GameControl& game_;
  std::unique_ptr<TPUBGLib> engine_;
  EngineObserver observer_;
  bool durable_ = true;
  std::string loadError_;

  std::array<TComboModel, kListCount> lists_;
  std::array<std::string, kEditCount> edits_;
  std::array<bool, kCheckCount> checks_{};
  HardwareSummary summary_;
  std::vector<TBackupEntry> history_;
  TComboModel historyList_;
  FlowReport report_;
  ApplyRecord applying_;
};

}  // namespace kestrune::opti
