// The page's actions on real files: Apply's steps and rules, the history,
// restore, clear and start.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <regex>

#include "ini/ini_text.h"
#include "opti/opti_frame.h"
#include "opti/opti_test_support.h"
#include "platform/file_lock.h"
#include "support/case_name.h"

namespace kestrune::opti::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::Not;
namespace fs = std::filesystem;
using kestrune::test::ReadFile;
using kestrune::test::WriteFile;

std::string Value(const std::string& path, const std::string& section, const std::string& key) {
  return ini::ReadValue(ReadFile(path), section, key).value_or("<absent>");
}

void MakeReadOnly(const std::string& path) {
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
}
void MakeWritable(const std::string& path) {
  fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(PageTest, ApplyRunsItsStepsInOrder) {
  Store("CBConfigModelIndex", "2");
  Store("CBMSAAIndex", "3");
  Store("CBTreeIndex", "5");
  Store("CBMouseSmoothingIndex", "1");
  Store("BigJumpCheck", "1");
  Store("DirectXBestProCheck", "1");
  auto page = MakePage();
  calls.clear();
  // Config.dat must already hold the choices when the backup starts.
  std::string configAtBackup;
  page->SetEngineObserver([&](std::string_view call, int arg) {
    if (call == "BackupConfigFiles") configAtBackup = ReadConfig("CPUUsageCheck");
    calls.emplace_back(std::string(call), arg);
  });
  page->SetChecked(CheckId::CPUUsage, true);
  ApplyResult result = page->BtnApplyClick();

  EXPECT_EQ(result.status, ApplyStatus::Done);
  EXPECT_EQ(configAtBackup, "1");
  // The writers in the page table's order; the field of view's box is clear.
  std::vector<std::string> expected = {"BackupConfigFiles", "EnsureDefaultConfigFiles"};
  for (const ApplyStep& step : ApplySteps())
    if (step.name != "ApplyFirstPersonFov") expected.emplace_back(step.name);
  expected.insert(expected.end(), {"SyncChangedFiles", "ListBackups"});
  EXPECT_THAT(CallNames(), ElementsAreArray(expected));
  // Indexes and switches go over unchanged.
  EXPECT_EQ(ArgOf("ApplyAntiAliasingQuality"), 3);
  EXPECT_EQ(ArgOf("ApplyFoliageQuality"), 5);
  EXPECT_EQ(ArgOf("ApplyMouseSmoothing"), 1);
  EXPECT_EQ(ArgOf("ApplyCpuUsageBoost"), 1);
  EXPECT_EQ(ArgOf("ApplyBigJumpBinding"), 1);
  EXPECT_EQ(ArgOf("ApplyDirectXPro"), 1);
  EXPECT_EQ(ArgOf("ApplyGpuUsageBoost"), 0);
  EXPECT_EQ(ArgOf("ApplyGameLanguage"), 1);

  // The final question, then nothing more on Cancel.
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].title, "绝地求生：大逃杀");
  EXPECT_EQ(dialogs.boxes[0].text, "优化完成！请问是否立即启动游戏？");
  EXPECT_EQ(dialogs.boxes[0].icon, 3);
  EXPECT_NE(dialogs.boxes[0].buttons, 1);
  EXPECT_EQ(game.launched, 0);
  EXPECT_FALSE(result.gameStarted);

  // The game files exist and hold the writers' keys.
  EXPECT_EQ(
      Value(GameFile("GameUserSettings.ini"), "/Script/TslGame.TslGameUserSettings", "ScreenScale"),
      "100.000000");
  EXPECT_EQ(Value(GameFile("GameUserSettings.ini"), "/Script/TslGame.TslGameUserSettings",
                  "FrameRateLimit"),
            "1000.000000");
  EXPECT_EQ(Value(GameFile("Engine.ini"), "/Script/Engine.InputSettings", "bEnableMouseSmoothing"),
            "True");
}

TEST_F(PageTest, ApplyStartsTheGameOnOk) {
  auto page = MakePage();
  dialogs.answer = kResultOk;
  ApplyResult result = page->BtnApplyClick();
  EXPECT_TRUE(result.gameStarted);
  EXPECT_EQ(game.launched, 1);
}

TEST_F(PageTest, ApplyPassesAnUnselectedListOnAsMinusOne) {
  Store("CBConfigModelIndex", "4");
  Store("CBViewIndex", "12");
  Store("CBMouseSmoothingIndex", "7");
  auto page = MakePage();
  calls.clear();
  page->BtnApplyClick();
  EXPECT_EQ(ArgOf("ApplyViewDistanceQuality"), -1);
  // Mouse smoothing without a selection: its writer is not called.
  EXPECT_FALSE(Called("ApplyMouseSmoothing"));
  EXPECT_EQ(ReadConfig("CBViewIndex"), "-1");
}

TEST_F(PageTest, ApplyWithMouseSmoothingOffWritesFalse) {
  auto page = MakePage();
  calls.clear();
  page->BtnApplyClick();
  EXPECT_EQ(ArgOf("ApplyMouseSmoothing"), 0);
  EXPECT_EQ(Value(GameFile("Engine.ini"), "/Script/Engine.InputSettings", "bEnableMouseSmoothing"),
            "False");
}

struct ScreenCase {
  const char* typed;
  int written;
  const char* saved;
};

class ScreenScaleTest : public PageTest, public ::testing::WithParamInterface<ScreenCase> {};

TEST_P(ScreenScaleTest, ScreenPercentageIsClampedForTheGameOnly) {
  auto page = MakePage();
  calls.clear();
  page->SetEditText(EditId::Screen, GetParam().typed);
  page->BtnApplyClick();
  EXPECT_EQ(ArgOf("ApplyScreenScale"), GetParam().written);
  EXPECT_EQ(
      Value(GameFile("GameUserSettings.ini"), "/Script/TslGame.TslGameUserSettings", "ScreenScale"),
      std::to_string(GetParam().written) + ".000000");
  EXPECT_EQ(page->EditText(EditId::Screen), std::to_string(GetParam().written));
  // Config.dat keeps what was typed (parsed, not clamped).
  EXPECT_EQ(ReadConfig("ScreenSize"), GetParam().saved);
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, ScreenScaleTest,
    ::testing::Values(ScreenCase{"39", 100, "39"}, ScreenCase{"40", 40, "40"},
                      ScreenCase{"120", 120, "120"}, ScreenCase{"121", 100, "121"},
                      ScreenCase{"abc", 100, "100"}, ScreenCase{" 85 ", 85, "85"},
                      ScreenCase{"150", 100, "150"}),
    [](const auto& p) { return ::kestrune::test::CaseName(p.index, p.param.typed); });

struct FpsCase {
  bool checked;
  const char* typed;
  int written;
  const char* shownAfter;
};

class FrameRateLimitTest : public PageTest, public ::testing::WithParamInterface<FpsCase> {};

TEST_P(FrameRateLimitTest, LimitGoesOutOnlyWhenChecked) {
  auto page = MakePage();
  calls.clear();
  page->SetChecked(CheckId::FPSLimit, GetParam().checked);
  page->SetEditText(EditId::FPSLimit, GetParam().typed);
  page->BtnApplyClick();
  EXPECT_EQ(ArgOf("ApplyFrameRateLimit"), GetParam().written);
  EXPECT_EQ(page->EditText(EditId::FPSLimit), GetParam().shownAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FrameRateLimitTest,
    ::testing::Values(FpsCase{false, "144", 1000, "144"}, FpsCase{false, "junk", 1000, "60"},
                      FpsCase{true, "144", 144, "144"}, FpsCase{true, " 30 ", 30, "30"},
                      FpsCase{true, "junk", 60, "60"}, FpsCase{true, "5000", 5000, "5000"}),
    [](const auto& p) {
      return ::kestrune::test::CaseName(p.index, p.param.checked, p.param.typed);
    });

struct FovCase {
  bool checked;
  const char* typed;
  int written;  // -1: ApplyFirstPersonFov is not called
  const char* shownAfter;
};

class FieldOfViewTest : public PageTest, public ::testing::WithParamInterface<FovCase> {};

TEST_P(FieldOfViewTest, FieldOfViewGoesOutOnlyWhenChecked) {
  auto page = MakePage();
  calls.clear();
  page->SetChecked(CheckId::FpsCamearFov, GetParam().checked);
  page->SetEditText(EditId::FpsCamearFov, GetParam().typed);
  page->BtnApplyClick();
  if (GetParam().written < 0)
    EXPECT_FALSE(Called("ApplyFirstPersonFov"));
  else
    EXPECT_EQ(ArgOf("ApplyFirstPersonFov"), GetParam().written);
  EXPECT_EQ(page->EditText(EditId::FpsCamearFov), GetParam().shownAfter);
}

INSTANTIATE_TEST_SUITE_P(Cases, FieldOfViewTest,
                         ::testing::Values(FovCase{false, "110", -1, "110"},
                                           // re-parsed with 100, not the load default 108
                                           FovCase{false, "wide", -1, "100"},
                                           FovCase{true, "110", 110, "110"},
                                           FovCase{true, "wide", 100, "100"},
                                           // no range is imposed
                                           FovCase{true, "300", 300, "300"}),
                         [](const auto& p) {
                           return ::kestrune::test::CaseName(p.index, p.param.checked,
                                                             p.param.typed);
                         });

TEST_F(PageTest, ApplyWhileTheGameRunsShowsOnlyTheNoticeAndTouchesNothing) {
  WriteFile(GameFile("Engine.ini"), "[Core.System]\r\nPaths=x\r\n");
  auto page = MakePage();
  calls.clear();
  game.running = true;
  dialogs.pressCloseGame = true;
  ApplyResult result = page->BtnApplyClick();
  EXPECT_EQ(result.status, ApplyStatus::GameRunning);
  EXPECT_EQ(dialogs.notices, 1);
  EXPECT_EQ(game.terminated, 1);  // the notice's button, and Apply does not resume
  EXPECT_TRUE(dialogs.boxes.empty());
  EXPECT_TRUE(calls.empty());
  EXPECT_TRUE(settings.writes.empty());
  EXPECT_FALSE(fs::exists(ConfigDat()));
  EXPECT_EQ(ReadFile(GameFile("Engine.ini")), "[Core.System]\r\nPaths=x\r\n");
  EXPECT_FALSE(fs::exists(GameFile("GameUserSettings.ini")));
  EXPECT_TRUE(fs::is_empty(Base() + "/Kestrune/BackupFiles"));
}

TEST(HistoryLineTest, ShowsTheDateWithTheYearAndWithoutTheMilliseconds) {
  struct Case {
    const char* folder;
    const char* line;
  } cases[] = {
      {"/home/p/.local/share/Kestrune/BackupFiles/20180307_140509123", "2018-03-07 14:05:09"},
      {"C:\\Users\\p\\Kestrune\\BackupFiles\\20171103_214509077", "2017-11-03 21:45:09"},
      {"/k/BackupFiles/20261210_040624999/", "2026-12-10 04:06:24"},
      // Without a stamp the folder's own name stands in for the date.
      {"/backups/old", "old"},
      {"C:\\backups\\older\\", "older"},
  };
  for (const Case& c : cases) EXPECT_EQ(HistoryLine(c.folder), c.line) << c.folder;
}

TEST(HistoryLineTest, BackupsOfTheSameSecondAreNumbered) {
  std::vector<TBackupEntry> history = {{"ID0", "/b/20261210_040624001"},
                                       {"ID1", "/b/20261210_040624500"},
                                       {"ID2", "/b/20261210_040625000"},
                                       {"ID3", "/b/20261210_040624999"}};
  EXPECT_THAT(HistoryLines(history), ElementsAre("2026-12-10 04:06:24", "2026-12-10 04:06:24 (2)",
                                                 "2026-12-10 04:06:25", "2026-12-10 04:06:24 (3)"));
}

TEST_F(PageTest, AfterTheFirstApplyTheHistoryShowsTheNewBackupSelected) {
  auto page = MakePage();
  page->BtnApplyClick();
  ASSERT_EQ(page->History().size(), 1u);
  EXPECT_EQ(page->HistoryList().Count(), 1);
  EXPECT_EQ(page->HistoryList().ItemIndex, 0);
  EXPECT_EQ(page->HistoryList().Items[0], HistoryLine(page->History()[0].Folder));
  // std::regex: GoogleTest's own matcher knows no character classes on Windows.
  EXPECT_TRUE(std::regex_match(page->HistoryList().Items[0],
                               std::regex("[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}")))
      << page->HistoryList().Items[0];
  page->BtnApplyClick();
  EXPECT_EQ(page->HistoryList().Count(), 2);
  EXPECT_EQ(page->HistoryList().ItemIndex, 1);
}

TEST_F(PageTest, HistoryListsTheIndexInFileOrder) {
  std::string root = Base() + "/Kestrune/BackupFiles/";
  WriteFile(root + "config.dat", "[Backup]\r\nID0=" + root + "20180307_140509123\r\nID1=" + root +
                                     "20190102_030405006\r\n");
  auto page = MakePage();
  EXPECT_THAT(page->HistoryList().Items, ElementsAre("2018-03-07 14:05:09", "2019-01-02 03:04:05"));
  EXPECT_EQ(page->HistoryList().ItemIndex, 1);
}

TEST_F(PageTest, RestorePutsTheSelectedBackupBack) {
  WriteFile(GameFile("Engine.ini"), "[A]\r\nk=original\r\n");
  auto page = MakePage();
  page->BtnApplyClick();  // backup 0 holds the original
  WriteFile(GameFile("Engine.ini"), "[A]\r\nk=changed\r\n");
  dialogs.boxes.clear();
  calls.clear();
  page->SetHistoryIndex(0);
  EXPECT_TRUE(page->btnRestoreClick());
  EXPECT_EQ(ReadFile(GameFile("Engine.ini")), "[A]\r\nk=original\r\n");
  // The backup of a missing file leaves the game's file as it is.
  EXPECT_TRUE(fs::exists(GameFile("GameUserSettings.ini")));
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].title, "绝地求生：大逃杀");
  EXPECT_EQ(dialogs.boxes[0].text, "还原完成！所有配置文件已经还原到所选时间点之前的状态。");
  EXPECT_EQ(dialogs.boxes[0].icon, 2);
  EXPECT_EQ(dialogs.boxes[0].buttons, 1);
  // No new backup, no history rebuild, the barrier at the end.
  EXPECT_THAT(CallNames(), ElementsAre("RestoreBackup", "SyncChangedFiles"));
}

TEST_F(PageTest, RestoreWithNothingToRestoreDoesNothing) {
  auto page = MakePage();
  EXPECT_FALSE(page->btnRestoreClick());  // empty history
  page->BtnApplyClick();
  dialogs.boxes.clear();
  calls.clear();
  page->SetHistoryIndex(-1);
  EXPECT_FALSE(page->btnRestoreClick());  // no selection
  page->SetHistoryIndex(5);               // past the end: no selection either
  EXPECT_FALSE(page->btnRestoreClick());
  EXPECT_TRUE(dialogs.boxes.empty());
  EXPECT_TRUE(calls.empty());
}

TEST_F(PageTest, RestoreEvenWhenTheGameRuns) {
  WriteFile(GameFile("Scalability.ini"), "[S]\r\na=1\r\n");
  auto page = MakePage();
  page->BtnApplyClick();
  WriteFile(GameFile("Scalability.ini"), "[S]\r\na=2\r\n");
  game.running = true;
  EXPECT_TRUE(page->btnRestoreClick());
  EXPECT_EQ(ReadFile(GameFile("Scalability.ini")), "[S]\r\na=1\r\n");
}

TEST_F(PageTest, ClearDeletesEveryIniButNoSubfolderAndCanBeUndone) {
  WriteFile(GameFile("Engine.ini"), "[E]\r\ne=1\r\n");
  WriteFile(GameFile("GameUserSettings.ini"), "[G]\r\ng=1\r\n");
  WriteFile(GameFile("Scalability.ini"), "[S]\r\ns=1\r\n");
  WriteFile(GameFile("Input.ini"), "[I]\r\ni=1\r\n");
  WriteFile(GameFile("notes.txt"), "keep");
  WriteFile(GameFile("Sub/Deep.ini"), "[D]\r\n");
  auto page = MakePage();
  calls.clear();
  EXPECT_TRUE(page->Label4Click());
  for (const char* gone : {"Engine.ini", "GameUserSettings.ini", "Scalability.ini", "Input.ini"})
    EXPECT_FALSE(fs::exists(GameFile(gone))) << gone;
  EXPECT_TRUE(fs::exists(GameFile("notes.txt")));
  EXPECT_TRUE(fs::exists(GameFile("Sub/Deep.ini")));
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text, "删除完成，游戏已经恢复到第一次安装的状态，请重启游戏。");
  EXPECT_EQ(dialogs.boxes[0].icon, 2);
  EXPECT_EQ(dialogs.boxes[0].buttons, 1);
  // The files went into a backup first; the history offers it.
  EXPECT_THAT(CallNames(), ElementsAre("BackupConfigFiles", "ClearGameConfig", "SyncChangedFiles",
                                       "ListBackups"));
  ASSERT_EQ(page->History().size(), 1u);
  EXPECT_EQ(page->HistoryList().ItemIndex, 0);
  EXPECT_TRUE(page->btnRestoreClick());
  EXPECT_EQ(ReadFile(GameFile("Engine.ini")), "[E]\r\ne=1\r\n");
  EXPECT_EQ(ReadFile(GameFile("GameUserSettings.ini")), "[G]\r\ng=1\r\n");
  EXPECT_EQ(ReadFile(GameFile("Scalability.ini")), "[S]\r\ns=1\r\n");
}

TEST_F(PageTest, ClearOnAnEmptyFolderStillReportsDone) {
  auto page = MakePage();
  EXPECT_TRUE(page->Label4Click());
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].icon, 2);
}

TEST_F(PageTest, ClearDeletesNothingWhenItsBackupCannotBeRecorded) {
  WriteFile(GameFile("Engine.ini"), "[E]\r\ne=1\r\n");
  std::string index = Base() + "/Kestrune/BackupFiles/config.dat";
  WriteFile(index, "[Backup]\r\n");
  MakeReadOnly(index);
  auto page = MakePage();
  EXPECT_FALSE(page->Label4Click());
  EXPECT_TRUE(fs::exists(GameFile("Engine.ini")));
  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_THAT(dialogs.errors[0], HasSubstr("Unable to write to"));
  EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(PageTest, AnUnwritableBackupIndexStopsApplyWithAnErrorBox) {
  WriteFile(GameFile("Engine.ini"), "[E]\r\ne=1\r\n");
  std::string index = Base() + "/Kestrune/BackupFiles/config.dat";
  WriteFile(index, "[Backup]\r\n");
  MakeReadOnly(index);
  auto page = MakePage();
  calls.clear();
  ApplyResult result = page->BtnApplyClick();
  EXPECT_EQ(result.status, ApplyStatus::Failed);
  EXPECT_THAT(result.error, HasSubstr("Unable to write to"));
  EXPECT_THAT(result.error, HasSubstr("config.dat"));
  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_EQ(dialogs.errors[0], result.error);
  EXPECT_TRUE(dialogs.boxes.empty());  // no final question
  // Choices were saved; no writer ran; the history was not reloaded.
  EXPECT_EQ(ReadConfig("CBConfigModelIndex"), "1");
  EXPECT_THAT(CallNames(), ElementsAre("BackupConfigFiles", "SyncChangedFiles"));
  EXPECT_EQ(ReadFile(GameFile("Engine.ini")), "[E]\r\ne=1\r\n");

  // The page stays usable: once the index can be written, Apply goes through.
  MakeWritable(index);
  dialogs.errors.clear();
  EXPECT_EQ(page->BtnApplyClick().status, ApplyStatus::Done);
  EXPECT_TRUE(dialogs.errors.empty());
  EXPECT_EQ(dialogs.boxes.size(), 1u);
}

TEST_F(PageTest, ApplySaysWhichFilesItCouldNotChange) {
  WriteFile(GameFile("GameUserSettings.ini"),
            "[/Script/TslGame.TslGameUserSettings]\r\nScreenScale=90.000000\r\n");
  MakeReadOnly(GameFile("GameUserSettings.ini"));
  auto page = MakePage();
  dialogs.answer = kResultOk;
  ApplyResult result = page->BtnApplyClick();
  EXPECT_EQ(result.status, ApplyStatus::Done);
  ASSERT_FALSE(result.skipped.empty());
  EXPECT_THAT(result.skipped[0].Path, HasSubstr("GameUserSettings.ini"));
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_THAT(dialogs.boxes[0].text, Not(HasSubstr("优化完成！")));
  EXPECT_THAT(dialogs.boxes[0].text, HasSubstr("GameUserSettings.ini"));
  EXPECT_THAT(dialogs.boxes[0].text, HasSubstr("read-only"));
  EXPECT_THAT(dialogs.boxes[0].text, ::testing::EndsWith("请问是否立即启动游戏？"));
  EXPECT_NE(dialogs.boxes[0].buttons, 1);
  // The question still follows.
  EXPECT_EQ(game.launched, 1);
  EXPECT_EQ(ReadFile(GameFile("GameUserSettings.ini")),
            "[/Script/TslGame.TslGameUserSettings]\r\nScreenScale=90.000000\r\n");
  // The next clean Apply says "优化完成！" again.
  MakeWritable(GameFile("GameUserSettings.ini"));
  dialogs.boxes.clear();
  EXPECT_TRUE(page->BtnApplyClick().skipped.empty());
  EXPECT_EQ(dialogs.boxes.at(0).text, "优化完成！请问是否立即启动游戏？");
}

// The folder the next backup of `page` goes to is taken by a file: the
// backup cannot be made whole.
void BlockTheNextBackup(TOptiFrame& page) {
  auto moment = std::chrono::system_clock::time_point(std::chrono::milliseconds(1509745509077LL));
  page.SetClock([moment] { return moment; });
  WriteFile(page.BackupRoot() + TPUBGLib::BackupStamp(moment), "in the way");
}

TEST_F(PageTest, AnIncompleteBackupStopsApplyBeforeTheFirstWrite) {
  WriteFile(GameFile("Engine.ini"), "[E]\r\ne=1\r\n");
  auto page = MakePage();
  BlockTheNextBackup(*page);
  calls.clear();
  ApplyResult result = page->BtnApplyClick();
  EXPECT_EQ(result.status, ApplyStatus::Failed);
  EXPECT_THAT(result.error, HasSubstr("Backup incomplete, so nothing was changed"));
  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_EQ(dialogs.errors[0], result.error);
  EXPECT_TRUE(dialogs.boxes.empty());
  EXPECT_THAT(CallNames(), ElementsAre("BackupConfigFiles", "SyncChangedFiles"));
  EXPECT_EQ(ReadFile(GameFile("Engine.ini")), "[E]\r\ne=1\r\n");
  EXPECT_FALSE(fs::exists(GameFile("GameUserSettings.ini")));
}

TEST_F(PageTest, ClearDeletesNothingWhenItsBackupIsIncomplete) {
  WriteFile(GameFile("Engine.ini"), "[E]\r\ne=1\r\n");
  auto page = MakePage();
  BlockTheNextBackup(*page);
  EXPECT_FALSE(page->Label4Click());
  EXPECT_EQ(ReadFile(GameFile("Engine.ini")), "[E]\r\ne=1\r\n");
  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_THAT(dialogs.errors[0], HasSubstr("Backup incomplete"));
  EXPECT_TRUE(dialogs.boxes.empty());
  EXPECT_FALSE(page->LastReport().changed);
  EXPECT_TRUE(page->History().empty());
}

TEST_F(PageTest, ClearNamesTheFilesItKeptInsteadOfSayingDone) {
  WriteFile(GameFile("Engine.ini"), "[E]\r\ne=1\r\n");
  WriteFile(GameFile("Input.ini"), "[I]\r\n");
  MakeReadOnly(GameFile("Engine.ini"));
  auto page = MakePage();
  EXPECT_FALSE(page->Label4Click());
  EXPECT_TRUE(fs::exists(GameFile("Engine.ini")));
  EXPECT_FALSE(fs::exists(GameFile("Input.ini")));
  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_EQ(dialogs.errors[0], "删除未完成，以下文件出错：Engine.ini（file is read-only）。");
  EXPECT_TRUE(dialogs.boxes.empty());  // no "删除完成"
  EXPECT_TRUE(page->LastReport().changed);
  ASSERT_EQ(page->LastReport().failed.size(), 1u);
  EXPECT_EQ(fs::path(page->LastReport().failed[0].Path), fs::path(GameFile("Engine.ini")));
  EXPECT_EQ(page->History().size(), 1u);  // the backup it took first
}

TEST_F(PageTest, RestoreNamesTheFilesItDidNotRestore) {
  WriteFile(GameFile("Engine.ini"), "[E]\r\ne=1\r\n");
  WriteFile(GameFile("Scalability.ini"), "[S]\r\ns=1\r\n");
  auto page = MakePage();
  page->BtnApplyClick();
  WriteFile(GameFile("Scalability.ini"), "[S]\r\ns=2\r\n");
  MakeReadOnly(GameFile("Engine.ini"));
  std::string engine = ReadFile(GameFile("Engine.ini"));
  dialogs.boxes.clear();
  EXPECT_FALSE(page->btnRestoreClick());
  EXPECT_EQ(ReadFile(GameFile("Scalability.ini")), "[S]\r\ns=1\r\n");
  EXPECT_EQ(ReadFile(GameFile("Engine.ini")), engine);
  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_EQ(dialogs.errors[0], "还原未完成，以下文件出错：Engine.ini（file is read-only）。");
  EXPECT_TRUE(dialogs.boxes.empty());  // no "还原完成"
  EXPECT_TRUE(page->LastReport().changed);
}

TEST_F(PageTest, RestoreOfABackupWithoutFilesOrOutsideTheBackupsIsRefused) {
  std::string root = Base() + "/Kestrune/BackupFiles/";
  fs::create_directories(root + "20180307_140509123");
  WriteFile(temp.Path("elsewhere/Engine.ini"), "[hostile]\r\n");
  WriteFile(root + "config.dat", "[Backup]\r\nID0=" + root + "20180307_140509123\r\nID1=" + root +
                                     "../../../elsewhere\r\n");
  WriteFile(GameFile("Engine.ini"), "[E]\r\ne=1\r\n");
  auto page = MakePage();
  for (int index : {0, 1}) {
    dialogs.errors.clear();
    page->SetHistoryIndex(index);
    EXPECT_FALSE(page->btnRestoreClick()) << index;
    ASSERT_EQ(dialogs.errors.size(), 1u) << index;
    EXPECT_FALSE(page->LastReport().changed);
    EXPECT_TRUE(dialogs.boxes.empty());
  }
  EXPECT_THAT(dialogs.errors[0], HasSubstr("Not a backup folder"));
  EXPECT_EQ(ReadFile(GameFile("Engine.ini")), "[E]\r\ne=1\r\n");
}

TEST(ApplyQuestionTextTest, NamesEachFileAndItsReason) {
  std::vector<TSwallowedWrite> skipped = {{"/g/Engine.ini", 3, "file is read-only"},
                                          {"/g/Scalability.ini", 1, "Permission denied"}};
  EXPECT_EQ(ApplyQuestionText(skipped),
            "以下文件无法修改：Engine.ini（file is read-only）；Scalability.ini（Permission "
            "denied）。请问是否立即启动游戏？");
  EXPECT_EQ(ApplyQuestionText({}), "优化完成！请问是否立即启动游戏？");
}

TEST_F(PageTest, StartButtonStartsTheGameOnlyWhenItIsNotRunning) {
  auto page = MakePage();
  EXPECT_TRUE(page->BtnStartPUBGClick());
  EXPECT_EQ(game.launched, 1);
  game.running = true;
  EXPECT_FALSE(page->BtnStartPUBGClick());
  EXPECT_EQ(game.launched, 1);
  EXPECT_TRUE(dialogs.boxes.empty());
}

// While another Kestrune changes the game's files (it holds their folder),
// Apply, restore and clear wait for it, then say so in the error box and
// change nothing; once it is done they go through.
TEST_F(PageTest, FlowsGiveUpWhileAnotherKestruneChangesTheFiles) {
  WriteFile(GameFile("Engine.ini"), "[A]\r\nk=original\r\n");
  auto page = MakePage();
  ASSERT_EQ(page->BtnApplyClick().status, ApplyStatus::Done);  // a backup to restore
  const std::string applied = ReadFile(GameFile("Engine.ini"));
  dialogs.boxes.clear();
  calls.clear();
  {
    platform::ScopedFileLock other(page->GameConfigFolder());
    ASSERT_TRUE(other.held());
    ApplyResult result = page->BtnApplyClick();
    EXPECT_EQ(result.status, ApplyStatus::Failed);
    page->SetHistoryIndex(0);
    EXPECT_FALSE(page->btnRestoreClick());
    EXPECT_FALSE(page->Label4Click());
    ASSERT_EQ(dialogs.errors.size(), 3u);
    for (const std::string& error : dialogs.errors)
      EXPECT_THAT(error, HasSubstr("Another Kestrune is changing the game's configuration files"));
    EXPECT_EQ(result.error, dialogs.errors[0]);
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_TRUE(calls.empty());  // no engine step ran
    EXPECT_EQ(ReadFile(GameFile("Engine.ini")), applied);
  }
  page->SetHistoryIndex(0);
  EXPECT_TRUE(page->btnRestoreClick());
  EXPECT_EQ(ReadFile(GameFile("Engine.ini")), "[A]\r\nk=original\r\n");
}

}  // namespace
}  // namespace kestrune::opti::test
