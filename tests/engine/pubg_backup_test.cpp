// Backups that must be whole before they count, the leftovers of killed
// backups, where a restore may read from, and game files that are links to
// nothing.
#include <sys/mount.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "engine/pubg_lib.h"
#include "engine_test_support.h"

namespace kestrune::test {
namespace {

namespace fs = std::filesystem;

std::chrono::system_clock::time_point FixedMoment() {
  return std::chrono::system_clock::time_point(std::chrono::milliseconds(1509745509077LL));
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

class BackupTest : public EngineTest {
 protected:
  std::string Index() const { return lib.BackupRoot + "config.dat"; }
  std::string Stamped() const { return lib.BackupRoot + TPUBGLib::BackupStamp(FixedMoment()); }
};

TEST_F(BackupTest, NoFolderForTheBackupStopsItAndRecordsNothing) {
  WriteFile(lib.EngineIniPath, "[a]\r\n");
  WriteFile(Index(), "[Backup]\r\nID0=old\r\n");
  WriteFile(Stamped(), "a file where the folder must go");
  lib.SetClock(FixedMoment);
  try {
    lib.BackupConfigFiles();
    FAIL() << "no error";
  } catch (const EBackupError& e) {
    EXPECT_NE(std::string(e.what()).find("Backup incomplete"), std::string::npos) << e.what();
    EXPECT_EQ(e.Path(), Stamped());
  }
  EXPECT_EQ(ReadFile(Index()), "[Backup]\r\nID0=old\r\n");
}

// A real full disk: the backup root is a tiny file system that holds the
// small game files but not the large one.
TEST_F(BackupTest, AFullDiskLeavesNoPartialBackup) {
  fs::create_directories(lib.BackupRoot);
  if (::mount("tmpfs", lib.BackupRoot.c_str(), "tmpfs", 0, "size=16k") != 0)
    GTEST_SKIP() << "cannot mount a small tmpfs here (not root?)";
  struct Unmount {
    std::string path;
    ~Unmount() { ::umount(path.c_str()); }
  } unmount{lib.BackupRoot};
  WriteFile(Index(), "[Backup]\r\nID0=" + lib.BackupRoot + "20171102_101010010\r\n");
  WriteFile(lib.EngineIniPath, "[a]\r\nk=1\r\n");
  WriteFile(lib.GameUserSettingsPath, "[g]\r\n" + std::string(64 * 1024, 'x') + "\r\n");
  lib.SetClock(FixedMoment);
  EXPECT_THROW(lib.BackupConfigFiles(), EBackupError);
  // No folder holding only Engine.ini, no entry for it.
  EXPECT_EQ(Names(lib.BackupRoot), std::vector<std::string>{"config.dat"});
  EXPECT_EQ(ReadFile(Index()), "[Backup]\r\nID0=" + lib.BackupRoot + "20171102_101010010\r\n");
  EXPECT_TRUE(lib.SwallowedWrites().empty());
}

TEST_F(BackupTest, LeftoversOfKilledBackupsGoAtTheNextBackup) {
  const std::string root = lib.BackupRoot;
  WriteFile(Index(), "[Backup]\r\nID0=" + root + "20171102_101010010\r\nID1=" + root +
                         "20180307_140509123/\r\n");
  // Recorded backups stay, whatever they hold.
  WriteFile(root + "20171102_101010010/Engine.ini", "kept");
  WriteFile(root + "20180307_140509123/Scalability.ini", "kept");
  // A copy killed half way: a temporary file, never recorded.
  WriteFile(root + "20190101_000000001/Engine.ini", "copied");
  WriteFile(root + "20190101_000000001/.GameUserSettings.ini.kst4242-0.tmp", "half");
  // Recorded nowhere, and empty.
  fs::create_directories(root + "20190101_000000002");
  // Not ours to remove: other names, or something else inside.
  WriteFile(root + "20190101_000000003/notes.txt", "mine");
  WriteFile(root + "my backups/Engine.ini", "mine");
  fs::create_symlink(root + "my backups", root + "20190101_000000004");

  lib.SetClock(FixedMoment);
  lib.BackupConfigFiles();
  std::vector<std::string> expected = {"20171102_101010010",
                                       "20180307_140509123",
                                       "20190101_000000003",
                                       "20190101_000000004",
                                       TPUBGLib::BackupStamp(FixedMoment()),
                                       "config.dat",
                                       "my backups"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Names(root), expected);
  EXPECT_EQ(Names(root + "20190101_000000003"), std::vector<std::string>{"notes.txt"});
  EXPECT_EQ(ReadFile(root + "my backups/Engine.ini"), "mine");
  EXPECT_EQ(ReadFile(root + "20171102_101010010/Engine.ini"), "kept");
}

struct RefusedFolder {
  const char* name;
  // The folder the index names, relative to the engine's base folder.
  const char* folder;
};

const RefusedFolder kRefusedFolders[] = {
    {"outsideTheRoot", "elsewhere"},
    {"dotDotOutOfTheRoot", "Kestrune/BackupFiles/../../elsewhere"},
    {"theRootItself", "Kestrune/BackupFiles"},
    {"dotDot", "Kestrune/BackupFiles/.."},
    {"linkToAFolderOutside", "Kestrune/BackupFiles/20190101_000000005"},
    {"gone", "Kestrune/BackupFiles/20190101_000000006"},
    {"relative", "20190101_000000007"},
};

class RestoreRefusalTest : public EngineTest,
                           public ::testing::WithParamInterface<RefusedFolder> {};

TEST_P(RestoreRefusalTest, NothingIsCopied) {
  // A folder outside the backups that holds game files.
  const std::string elsewhere = dir.Path("elsewhere");
  WriteFile(elsewhere + "/Engine.ini", "[hostile]\r\n");
  WriteFile(dir.Path("Kestrune/Engine.ini"), "[hostile]\r\n");
  fs::create_symlink(elsewhere, lib.BackupRoot + "20190101_000000005");
  WriteFile(lib.EngineIniPath, "[mine]\r\n");
  std::string folder = GetParam().folder;
  if (folder.rfind("2019", 0) != 0) folder = dir.Path(folder);
  EXPECT_THROW(lib.RestoreBackup(folder), EBackupError);
  EXPECT_THROW(lib.RestoreBackup(folder + "/"), EBackupError);
  EXPECT_EQ(ReadFile(lib.EngineIniPath), "[mine]\r\n");
  EXPECT_TRUE(lib.ChangedFiles().empty());
}

INSTANTIATE_TEST_SUITE_P(Folders, RestoreRefusalTest, ::testing::ValuesIn(kRefusedFolders),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(BackupTest, RestoreTakesRegularFilesOnly) {
  const std::string folder = lib.BackupRoot + "20190101_000000008";
  WriteFile(dir.Path("secret"), "[hostile]\r\n");
  fs::create_directories(folder);
  fs::create_symlink(dir.Path("secret"), folder + "/Engine.ini");
  fs::create_directories(folder + "/Scalability.ini");
  WriteFile(folder + "/GameUserSettings.ini", "[g]\r\n");
  WriteFile(lib.EngineIniPath, "[mine]\r\n");
  WriteFile(lib.ScalabilityIniPath, "[s]\r\n");
  EXPECT_EQ(lib.RestoreBackup(folder), 1);
  EXPECT_EQ(ReadFile(lib.GameUserSettingsPath), "[g]\r\n");
  EXPECT_EQ(ReadFile(lib.EngineIniPath), "[mine]\r\n");
  EXPECT_EQ(ReadFile(lib.ScalabilityIniPath), "[s]\r\n");
  ASSERT_EQ(lib.SwallowedWrites().size(), 2u);
  EXPECT_EQ(lib.SwallowedWrites()[0].Path, lib.EngineIniPath);
  EXPECT_EQ(lib.SwallowedWrites()[1].Path, lib.ScalabilityIniPath);
}

TEST_F(BackupTest, ClearCountsWhatItDeleted) {
  const std::string folder = lib.GameConfigFolder();
  WriteFile(folder + "Engine.ini", "x");
  WriteFile(folder + "locked.ini", "x");
  MakeReadOnly(folder + "locked.ini");
  EXPECT_EQ(lib.ClearGameConfig(folder), 1);
  ASSERT_EQ(lib.SwallowedWrites().size(), 1u);
  EXPECT_EQ(lib.SwallowedWrites()[0].Path, folder + "locked.ini");
}

// A game file that is a link to nothing holds no settings: it gets the
// default template first, like a missing file, and the writers' keys go
// into that.
TEST_F(EngineTest, ADanglingLinkCountsAsAMissingFile) {
  for (const std::string* path : {&lib.GameUserSettingsPath, &lib.EngineIniPath})
    fs::create_symlink(dir.Path("nowhere/" + fs::path(*path).filename().string()), *path);
  lib.EnsureDefaultConfigFiles();
  lib.ApplyScreenScale(90);
  EXPECT_FALSE(fs::is_symlink(lib.GameUserSettingsPath));
  EXPECT_EQ(ReadFile(lib.EngineIniPath), ReadFile(FixturePath("templates/Engine.ini")));
  std::string gus = ReadFile(lib.GameUserSettingsPath);
  EXPECT_NE(gus.find("\r\nGamma=50.000000\r\n"), std::string::npos) << gus;
  EXPECT_NE(gus.find("\r\nScreenScale=90.000000\r\n"), std::string::npos) << gus;
  EXPECT_EQ(lib.SwallowedWriteCount(), 0);
  EXPECT_FALSE(fs::exists(dir.Path("nowhere")));

  // A link to a real file is a file: left as it is.
  TempDir other;
  TPUBGLib second(other.path());
  WriteFile(other.Path("real.ini"), "[mine]\r\n");
  fs::create_symlink(other.Path("real.ini"), second.EngineIniPath);
  second.WriteDefaultEngineIni();
  EXPECT_EQ(ReadFile(second.EngineIniPath), "[mine]\r\n");
}

}  // namespace
}  // namespace kestrune::test
