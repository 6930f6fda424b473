// Dry run of Apply in a scratch folder.
#include "opti/opti_dry_run.h"

#include "env/settings_store.h"
#include "opti/game_files.h"
#include "platform/debug_log.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/scratch_folder.h"

namespace kestrune::opti {
namespace {

// Answers like a user who only looks: no game is ended, none is started.
class DryRunDialogs final : public OptiDialogs {
 public:
  std::string question;
  void ShowGameRunningNotice(const std::function<void()>&) override {}
  int ShowMessageBox(std::string_view, std::string_view text, int, int) override {
    question = std::string(text);
    return kResultCancel;
  }
  void ShowErrorBox(std::string_view) override {}
};

// The game as the dry run's page sees it: not running (the run only looks;
// the report says whether the real one runs), never ended or started.
class LookOnlyGame final : public GameControl {
 public:
  bool IsGameRunning() override { return false; }
  void TerminateGameProcesses() override {}
  void LaunchGameViaSteam() override {}
};

// A fresh folder under the system's temporary folder, removed on exit.
class ScratchFolder {
 public:
  ScratchFolder() : path_(platform::CreateScratchFolder("kestrune-dry-run-")) {}
  ~ScratchFolder() {
    if (!path_.empty() && !platform::RemoveTree(path_))
      DebugLogF("Dry run: cannot remove %s", path_.c_str());
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

std::string ReadOrEmpty(const std::string& path, bool* exists) {
  platform::ReadResult read = platform::ReadWholeFile(path);
  *exists = read.status == platform::ReadStatus::kOk;
  return *exists ? read.data : std::string();
}

}  // namespace

DryRunReport DryRunApply(const THareWareInfo& hardware, OptiSettings& settings, GameControl& game,
                         const std::string& localAppData,
                         const std::function<void(const TOptiFrame&)>& pageBuilt) {
  DryRunReport report;
  report.gameRunning = game.IsGameRunning();
  std::string base = localAppData.empty() ? platform::LocalAppDataFolder() : localAppData;
  std::string realFolder = GameConfigFolderUnder(base);

  ScratchFolder scratch;
  if (scratch.path().empty()) {
    report.apply.status = ApplyStatus::Failed;
    report.apply.error = "cannot create a temporary folder for the dry run";
    return report;
  }
  std::string scratchFolder = GameConfigFolderUnder(scratch.path());
  platform::CreateDirectories(scratchFolder);

  std::string before[3];
  bool existed[3] = {};
  for (int i = 0; i < 3; ++i) {
    std::string real = platform::JoinPath(realFolder, kGameFileNames[i]);
    before[i] = ReadOrEmpty(real, &existed[i]);
    if (!existed[i]) continue;
    std::string copy = platform::JoinPath(scratchFolder, kGameFileNames[i]);
    std::string error;
    if (!platform::ReplaceFileAtomically(copy, before[i], &error))
      DebugLogF("Dry run: cannot copy %s: %s", real.c_str(), error.c_str());
    // A read-only game file stays read-only in the copy, so skipped writes show.
    if (!platform::IsWritable(real) && !platform::MarkReadOnly(copy))
      DebugLogF("Dry run: cannot mark %s read-only", copy.c_str());
  }

  OverlaySettings overlay(settings);
  DryRunDialogs dialogs;
  LookOnlyGame lookOnly;
  {
    TOptiFrame page(hardware, overlay, dialogs, lookOnly,
                    std::make_unique<TPUBGLib>(scratch.path(), hardware));
    page.SetDurabilityBarrier(false);
    if (pageBuilt) pageBuilt(page);
    report.apply = page.BtnApplyClick();
  }
  report.question = dialogs.question;

  for (int i = 0; i < 3; ++i) {
    FileChanges file;
    file.name = kGameFileNames[i];
    file.path = platform::JoinPath(realFolder, kGameFileNames[i]);
    file.existed = existed[i];
    std::string after =
        ReadOrEmpty(platform::JoinPath(scratchFolder, kGameFileNames[i]), &file.exists);
    file.changes = DiffIniKeys(before[i], after);
    file.beforeText = std::move(before[i]);
    file.afterText = std::move(after);
    report.files.push_back(std::move(file));
  }

  FileChanges config;
  config.name = "Config.dat";
  config.path = ConfigFilePath();
  config.existed = platform::FileExists(config.path);
  config.exists = config.existed || !overlay.Written().empty();
  // Config.dat is written in SaveSettings' key order; report it that way.
  for (const auto& [key, value] : overlay.Written()) {
    std::string old = TrimSpacesAndControls(settings.Read(key));
    if (old.empty())
      config.changes.push_back({"general", key, std::nullopt, value});
    else if (old != value)
      config.changes.push_back({"general", key, old, value});
  }
  report.files.push_back(std::move(config));
  return report;
}

}  // namespace kestrune::opti
