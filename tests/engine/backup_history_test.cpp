// Pinning, deleting and pruning backups: the index rewritten once, the
// folders removed after it, pins kept with the history, and nothing outside
// the backup root ever deleted.
#include <gmock/gmock.h>

#include <chrono>
#include <filesystem>

#include "engine/pubg_lib.h"
#include "engine_test_support.h"
#include "platform/file_system.h"

namespace kestrune::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

class BackupHistoryTest : public EngineTest {
 protected:
  // `n` backups, one millisecond apart, each holding an Engine.ini.
  std::vector<std::string> TakeBackups(int n) {
    WriteFile(lib.EngineIniPath, "[a]\r\nk=1\r\n");
    std::vector<std::string> folders;
    for (int i = 0; i < n; ++i) {
      auto moment = std::chrono::system_clock::time_point(
          std::chrono::milliseconds(1765339584000LL + next_++));
      lib.SetClock([moment] { return moment; });
      lib.BackupConfigFiles();
      folders.push_back(lib.LastBackupFolder());
    }
    return folders;
  }
  std::vector<std::string> Folders() {
    std::vector<TBackupEntry> list;
    lib.ListBackups(list);
    std::vector<std::string> out;
    for (const auto& e : list) out.push_back(e.Folder);
    return out;
  }
  std::string Index() const { return lib.BackupIndexPath(); }

  long long next_ = 0;
};

TEST_F(BackupHistoryTest, PruneKeepsTheNewestAndThePinned) {
  std::vector<std::string> taken = TakeBackups(6);
  lib.SetBackupPinned(1, true);
  EXPECT_EQ(lib.PruneBackups(2), 3);
  EXPECT_THAT(Folders(), ElementsAre(taken[1], taken[4], taken[5]));
  for (int i : {0, 2, 3}) EXPECT_FALSE(fs::exists(taken[i])) << i;
  for (int i : {1, 4, 5}) EXPECT_TRUE(fs::exists(taken[i] + "/Engine.ini")) << i;
  EXPECT_THAT(lib.PinnedBackups(), ElementsAre(fs::path(taken[1]).filename().string()));
  // The index is renumbered in history order, the pin kept beside it.
  EXPECT_EQ(ReadFile(Index()), "[Backup]\r\nID0=" + taken[1] + "\r\nID1=" + taken[4] +
                                   "\r\nID2=" + taken[5] + "\r\n[Pinned]\r\n" +
                                   fs::path(taken[1]).filename().string() + "=1\r\n");
  // The next backup keeps the pins and numbers on.
  std::vector<std::string> more = TakeBackups(1);
  EXPECT_THAT(Folders(), ElementsAre(taken[1], taken[4], taken[5], more[0]));
  EXPECT_EQ(lib.PinnedBackups().size(), 1u);
}

TEST_F(BackupHistoryTest, PruneNeverRemovesTheProtectedFolderAndZeroKeepsAll) {
  std::vector<std::string> taken = TakeBackups(3);
  EXPECT_EQ(lib.PruneBackups(0), 0);
  EXPECT_EQ(Folders().size(), 3u);
  // All pinned but the oldest, keep 1: the protected one (the newest) stays
  // even though the pins fill nothing.
  EXPECT_EQ(lib.PruneBackups(1, taken[2]), 2);
  EXPECT_THAT(Folders(), ElementsAre(taken[2]));
}

TEST_F(BackupHistoryTest, DeleteRenumbersAndKeepsAFolderAnotherEntryNames) {
  std::vector<std::string> taken = TakeBackups(2);
  // Two backups in one millisecond share a folder: deleting one entry
  // leaves the folder to the other.
  WriteFile(Index(), ReadFile(Index()) + "ID2=" + taken[1] + "\r\n");
  lib.DeleteBackup(1);
  EXPECT_THAT(Folders(), ElementsAre(taken[0], taken[1]));
  EXPECT_TRUE(fs::exists(taken[1] + "/Engine.ini"));
  lib.DeleteBackup(1);
  EXPECT_THAT(Folders(), ElementsAre(taken[0]));
  EXPECT_FALSE(fs::exists(taken[1]));
  EXPECT_THROW(lib.DeleteBackup(1), std::out_of_range);
}

TEST_F(BackupHistoryTest, EntriesOutsideTheBackupRootOnlyLeaveTheIndex) {
  std::vector<std::string> taken = TakeBackups(1);
  std::string stranger = dir.Path("elsewhere/20261210_040624001");
  WriteFile(stranger + "/Engine.ini", "[keep]\r\n");
  std::string game = fs::path(lib.EngineIniPath).parent_path().string();
  WriteFile(Index(), ReadFile(Index()) + "ID1=" + stranger + "\r\nID2=" + game +
                         "\r\nID3=" + lib.BackupRoot + "../BackupFiles2\r\n");
  EXPECT_EQ(lib.PruneBackups(1), 3);
  EXPECT_THAT(Folders(), ElementsAre(lib.BackupRoot + "../BackupFiles2"));
  EXPECT_FALSE(fs::exists(taken[0]));
  EXPECT_EQ(ReadFile(stranger + "/Engine.ini"), "[keep]\r\n");
  EXPECT_EQ(ReadFile(lib.EngineIniPath), "[a]\r\nk=1\r\n");
  fs::create_directories(lib.BackupRoot + "../BackupFiles2");
  lib.DeleteBackup(0);
  EXPECT_THAT(Folders(), ElementsAre());
  EXPECT_TRUE(fs::exists(lib.BackupRoot + "../BackupFiles2"));
}

TEST_F(BackupHistoryTest, AnIndexThatCannotBeWrittenChangesNothing) {
  std::vector<std::string> taken = TakeBackups(3);
  std::string before = ReadFile(Index());
  fs::remove(Index());
  fs::create_directory(Index());  // a folder in the index's place
  EXPECT_THROW(lib.PruneBackups(1), EIndexWriteError);
  EXPECT_THROW(lib.SetBackupPinned(0, true), EIndexWriteError);
  fs::remove(Index());
  WriteFile(Index(), before);
  MakeReadOnly(Index());
  EXPECT_THROW(lib.DeleteBackup(0), EIndexWriteError);
  EXPECT_THAT(Folders(), ElementsAreArray(taken));
  for (const std::string& f : taken) EXPECT_TRUE(fs::exists(f + "/Engine.ini"));
}

TEST_F(BackupHistoryTest, DataFolderHoldsTheBackupRoot) {
  EXPECT_EQ(lib.DataFolder() + "BackupFiles" + platform::kPathSeparator, lib.BackupRoot);
}

}  // namespace
}  // namespace kestrune::test
