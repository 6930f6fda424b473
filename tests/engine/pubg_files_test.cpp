// Paths, backups and the backup index, restore, clearing and the default
// templates of TPUBGLib.
#include <gtest/gtest.h>

#include <ostream>

#include <chrono>
#include <filesystem>

#include "engine/pubg_lib.h"
#include "engine_test_support.h"
#include "platform/file_system.h"

namespace kestrune::test {
namespace {

namespace fs = std::filesystem;

std::chrono::system_clock::time_point FixedMoment() {
  return std::chrono::system_clock::time_point(std::chrono::milliseconds(1509745509077LL));
}

TEST_F(EngineTest, PathsHangOffTheBaseAndFoldersAreCreated) {
  const std::string sep(1, platform::kPathSeparator);
  const std::string base = dir.path() + sep;
  const std::string config =
      base + "TslGame" + sep + "Saved" + sep + "Config" + sep + "WindowsNoEditor" + sep;
  EXPECT_EQ(lib.BackupRoot, base + "Kestrune" + sep + "BackupFiles" + sep);
  EXPECT_EQ(lib.EngineIniPath, config + "Engine.ini");
  EXPECT_EQ(lib.GameUserSettingsPath, config + "GameUserSettings.ini");
  EXPECT_EQ(lib.ScalabilityIniPath, config + "Scalability.ini");
  EXPECT_EQ(lib.GameConfigFolder(), config);
  EXPECT_TRUE(fs::is_directory(config));
  EXPECT_TRUE(fs::is_directory(lib.BackupRoot));

  // A base given with its separator gets no second one ('/' is one on
  // Windows too).
  TPUBGLib again(base);
  EXPECT_EQ(again.EngineIniPath, lib.EngineIniPath);
  TPUBGLib slashed(dir.path() + "/");
  EXPECT_EQ(slashed.EngineIniPath, dir.path() + "/TslGame" + sep + "Saved" + sep + "Config" + sep +
                                       "WindowsNoEditor" + sep + "Engine.ini");
}

TEST(BackupStampTest, LocalDateTimeWithMilliseconds) {
  std::string stamp = TPUBGLib::BackupStamp(FixedMoment());
  ASSERT_EQ(stamp.size(), 18u);
  EXPECT_EQ(stamp[8], '_');
  EXPECT_EQ(stamp.substr(15), "077");
  for (size_t i = 0; i < stamp.size(); ++i)
    if (i != 8) {
      EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(stamp[i]))) << stamp;
    }
}

TEST_F(EngineTest, BackupCopiesExistingFilesAndNumbersTheIndex) {
  WriteFile(lib.EngineIniPath, "[a]\r\nk=1\r\n");
  WriteFile(lib.ScalabilityIniPath, "[s]\r\n");
  lib.SetClock(FixedMoment);
  lib.BackupConfigFiles();

  const std::string folder = lib.BackupRoot + TPUBGLib::BackupStamp(FixedMoment());
  EXPECT_EQ(ReadFile(folder + "/Engine.ini"), "[a]\r\nk=1\r\n");
  EXPECT_EQ(ReadFile(folder + "/Scalability.ini"), "[s]\r\n");
  EXPECT_FALSE(fs::exists(folder + "/GameUserSettings.ini"));
  EXPECT_EQ(ReadFile(lib.BackupRoot + "config.dat"), "[Backup]\r\nID0=" + folder + "\r\n");

  // Same millisecond: same folder, a second entry.
  lib.BackupConfigFiles();
  std::vector<TBackupEntry> list;
  lib.ListBackups(list);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].Key, "ID0");
  EXPECT_EQ(list[1].Key, "ID1");
  EXPECT_EQ(list[0].Folder, folder);
  EXPECT_EQ(list[1].Folder, folder);
}

struct RenumberCase {
  const char* name;
  const char* index;     // existing index text
  const char* expected;  // after one more backup to "NEW"
};

void PrintTo(const RenumberCase& c, std::ostream* os) {
  *os << c.name;
}

const RenumberCase kRenumberCases[] = {
    {"empty", "", "[Backup]\r\nID0=NEW\r\n"},
    {"gapsInAnyOrder", "[Backup]\r\nID10=c\r\nID0=a\r\nID2=b\r\n",
     "[Backup]\r\nID0=a\r\nID1=b\r\nID2=c\r\nID3=NEW\r\n"},
    // Not a number counts as 0; equal numbers keep their file order.
    {"nonNumericKeys", "[Backup]\r\nID5=e\r\nfoo=f\r\nIDx=x\r\n",
     "[Backup]\r\nID0=f\r\nID1=x\r\nID2=e\r\nID3=NEW\r\n"},
    // Each duplicate keeps its own folder: nothing of the history is lost.
    {"duplicateKeys", "[Backup]\r\nID1=first\r\nID1=second\r\nID0=zero\r\n",
     "[Backup]\r\nID0=zero\r\nID1=first\r\nID2=second\r\nID3=NEW\r\n"},
    // A repeated section is merged, not overwritten key by key.
    {"duplicateSections", "[Backup]\r\nID0=a\r\n[backup]\r\nID0=b\r\n",
     "[Backup]\r\nID0=a\r\nID1=b\r\nID2=NEW\r\n"},
    {"otherSectionsStay", ";note\r\n[Other]\r\nx=1\r\n[Backup]\r\nID0=a\r\n[Tail]\r\ny=2\r\n",
     ";note\r\n[Other]\r\nx=1\r\n[Tail]\r\ny=2\r\n[Backup]\r\nID0=a\r\nID1=NEW\r\n"},
    {"blanksAroundKeys", "[Backup]\r\n  ID1 = b \r\nID0=a\r\n",
     "[Backup]\r\nID0=a\r\nID1=b\r\nID2=NEW\r\n"},
};

class RenumberTest : public EngineTest, public ::testing::WithParamInterface<RenumberCase> {};

TEST_P(RenumberTest, IndexIsRewrittenOldestFirst) {
  const RenumberCase& c = GetParam();
  const std::string index = lib.BackupRoot + "config.dat";
  if (*c.index) WriteFile(index, c.index);
  lib.SetClock(FixedMoment);
  lib.BackupConfigFiles();
  std::string expected = c.expected;
  const std::string folder = lib.BackupRoot + TPUBGLib::BackupStamp(FixedMoment());
  expected.replace(expected.find("NEW"), 3, folder);
  EXPECT_EQ(ReadFile(index), expected);
}

INSTANTIATE_TEST_SUITE_P(Index, RenumberTest, ::testing::ValuesIn(kRenumberCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(EngineTest, ListBackupsKeepsFileOrderAndVanishedFolders) {
  WriteFile(lib.BackupRoot + "config.dat",
            "[Backup]\r\nID2=/gone/c\r\n ID0 =/gone/a\r\nID1\r\nID0=/dup\r\n");
  std::vector<TBackupEntry> list;
  lib.ListBackups(list);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].Key, "ID2");
  EXPECT_EQ(list[0].Folder, "/gone/c");
  EXPECT_EQ(list[1].Key, "ID0");
  EXPECT_EQ(list[1].Folder, "/gone/a");
  EXPECT_EQ(list[2].Folder, "/dup");

  // Restoring a vanished folder changes nothing.
  WriteFile(lib.EngineIniPath, "keep");
  lib.RestoreBackup("/gone/a");
  EXPECT_EQ(ReadFile(lib.EngineIniPath), "keep");
}

TEST_F(EngineTest, BackupOfNothingStillRecordsAnEmptyFolder) {
  lib.BackupConfigFiles();
  std::vector<TBackupEntry> list;
  lib.ListBackups(list);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_TRUE(fs::is_directory(list[0].Folder));
  EXPECT_TRUE(fs::is_empty(list[0].Folder));
  WriteFile(lib.EngineIniPath, "now");
  lib.RestoreBackup(list[0].Folder);
  EXPECT_EQ(ReadFile(lib.EngineIniPath), "now");
}

TEST_F(EngineTest, IndexThatCannotBeWrittenStopsTheBackup) {
  const std::string index = lib.BackupRoot + "config.dat";
  WriteFile(lib.EngineIniPath, "[a]\r\n");
  WriteFile(index, "[Backup]\r\nID0=old\r\n");
  MakeReadOnly(index);
  lib.SetClock(FixedMoment);
  try {
    lib.BackupConfigFiles();
    FAIL() << "no error";
  } catch (const EIndexWriteError& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + index);
    EXPECT_EQ(e.Path(), index);
  }
  EXPECT_EQ(ReadFile(index), "[Backup]\r\nID0=old\r\n");
  // The copy already made stays.
  EXPECT_TRUE(fs::exists(lib.BackupRoot + TPUBGLib::BackupStamp(FixedMoment()) + "/Engine.ini"));

  // An index that is a folder cannot be written either.
  TempDir other;
  TPUBGLib second(other.path());
  fs::create_directories(second.BackupRoot + "config.dat");
  EXPECT_THROW(second.BackupConfigFiles(), EIndexWriteError);
}

TEST_F(EngineTest, RestoreCopiesWhatTheBackupHolds) {
  WriteFile(lib.EngineIniPath, "engine-old");
  WriteFile(lib.GameUserSettingsPath, "gus-old");
  WriteFile(lib.ScalabilityIniPath, "scal-old");
  const std::string backup = dir.Path("b");
  WriteFile(backup + "/Engine.ini", "engine-backup");
  WriteFile(backup + "/GameUserSettings.ini", "gus-backup");

  // Folder given with or without its trailing separator.
  lib.RestoreBackup(backup + "/");
  EXPECT_EQ(ReadFile(lib.EngineIniPath), "engine-backup");
  EXPECT_EQ(ReadFile(lib.GameUserSettingsPath), "gus-backup");
  EXPECT_EQ(ReadFile(lib.ScalabilityIniPath), "scal-old");

  // A read-only game file is left alone, the others still restored.
  WriteFile(backup + "/Scalability.ini", "scal-backup");
  WriteFile(lib.EngineIniPath, "engine-mine");
  MakeReadOnly(lib.EngineIniPath);
  lib.ResetSwallowedWrites();
  lib.RestoreBackup(backup);
  EXPECT_EQ(ReadFile(lib.EngineIniPath), "engine-mine");
  EXPECT_EQ(ReadFile(lib.ScalabilityIniPath), "scal-backup");
  EXPECT_EQ(lib.SwallowedWriteCount(), 1);
}

TEST_F(EngineTest, ClearRemovesIniFilesOnly) {
  const std::string folder = lib.GameConfigFolder();
  for (const char* name : {"Engine.ini", "GameUserSettings.ini", "Scalability.ini", "Input.INI",
                           ".hidden.ini", "notes.txt", "ini", "sub/Deep.ini"})
    WriteFile(folder + name, "x");
  fs::create_directories(folder + "folder.ini");
  WriteFile(folder + "locked.ini", "x");
  MakeReadOnly(folder + "locked.ini");

  lib.ClearGameConfig(folder);
  std::vector<std::string> left;
  for (const auto& e : fs::directory_iterator(folder)) left.push_back(e.path().filename().string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left,
            (std::vector<std::string>{"folder.ini", "ini", "locked.ini", "notes.txt", "sub"}));
  EXPECT_TRUE(fs::exists(folder + "sub/Deep.ini"));

  lib.ClearGameConfig(dir.Path("missing-folder"));  // nothing to do, no error
}

TEST_F(EngineTest, TemplatesMatchTheirExpectedBytes) {
  lib.EnsureDefaultConfigFiles();
  EXPECT_EQ(ReadFile(lib.GameUserSettingsPath),
            ReadFile(FixturePath("templates/GameUserSettings.ini")));
  EXPECT_EQ(ReadFile(lib.EngineIniPath), ReadFile(FixturePath("templates/Engine.ini")));
  EXPECT_FALSE(fs::exists(lib.ScalabilityIniPath));

  const std::string gus = ReadFile(lib.GameUserSettingsPath);
  EXPECT_EQ(std::count(gus.begin(), gus.end(), '\n'), 67);
  EXPECT_NE(gus.find("\r\nFpsCamearFov=90.00000\r\n"), std::string::npos);
  const std::string engine = ReadFile(lib.EngineIniPath);
  EXPECT_EQ(std::count(engine.begin(), engine.end(), '\n'), 13);
  EXPECT_NE(engine.find("\r\nNone=======Optimization By==========================\r\n"),
            std::string::npos);
}

TEST_F(EngineTest, ExistingFilesKeepTheirContent) {
  WriteFile(lib.GameUserSettingsPath, "");
  WriteFile(lib.EngineIniPath, "[mine]\n");
  lib.EnsureDefaultConfigFiles();
  EXPECT_EQ(ReadFile(lib.GameUserSettingsPath), "");
  EXPECT_EQ(ReadFile(lib.EngineIniPath), "[mine]\n");
}

TEST(EngineNoFolderTest, TemplateInAMissingFolderIsSwallowedAndCounted) {
  TempDir dir;
  TPUBGLib lib(dir.path());
  fs::remove_all(lib.GameConfigFolder());
  lib.EnsureDefaultConfigFiles();
  EXPECT_FALSE(fs::exists(lib.GameUserSettingsPath));
  EXPECT_EQ(lib.SwallowedWriteCount(), 2);
  // The key writers then meet the same missing folder: swallowed, counted.
  lib.ApplyGameLanguage(true);
  EXPECT_EQ(lib.SwallowedWriteCount(), 3);
  ASSERT_EQ(lib.SwallowedWrites().size(), 2u);
  EXPECT_EQ(lib.SwallowedWrites()[0].Path, lib.GameUserSettingsPath);
  EXPECT_EQ(lib.SwallowedWrites()[0].Count, 2);
  EXPECT_FALSE(lib.SwallowedWrites()[0].Reason.empty());
  lib.ResetSwallowedWrites();
  EXPECT_EQ(lib.SwallowedWriteCount(), 0);
}

TEST_F(EngineTest, ChangedFilesAreTrackedUntilTheBarrier) {
  lib.EnsureDefaultConfigFiles();
  lib.ApplyCpuUsageBoost(false);  // nothing to remove: no change
  lib.ApplyGameLanguage(false);
  std::vector<std::string> changed = lib.ChangedFiles();
  EXPECT_EQ(changed, (std::vector<std::string>{lib.GameUserSettingsPath, lib.EngineIniPath}));
  EXPECT_TRUE(lib.SyncChangedFiles());
  EXPECT_TRUE(lib.ChangedFiles().empty());
  lib.ClearGameConfig(lib.GameConfigFolder());
  EXPECT_EQ(lib.ChangedFiles().size(), 2u);
  EXPECT_TRUE(lib.SyncChangedFiles());  // deleted files: their folder is flushed
}

}  // namespace
}  // namespace kestrune::test
