#include "engine/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/temp_dir.h"

namespace kestrune::ini {
namespace {

TEST(IniFileTest, CreatesMissingFileAndLeavesDeleteAlone) {
  test::TempDir dir;
  std::string path = dir.Path("Scalability.ini");
  EXPECT_TRUE(DeleteKeyFromFile(path, "S", "k").ok);
  EXPECT_FALSE(std::filesystem::exists(path));
  FileResult r = WriteKeyToFile(path, "ScalabilitySettings", "k", "v");
  EXPECT_TRUE(r.ok);
  EXPECT_TRUE(r.changed);
  EXPECT_EQ(test::ReadFile(path), "[ScalabilitySettings]\r\nk=v\r\n");
  EXPECT_EQ(ReadValueFromFile(path, "scalabilitysettings", "K"), "v");
}

TEST(IniFileTest, ReadOnlyFileIsLeftUntouched) {
  test::TempDir dir;
  std::string path = dir.Path("Engine.ini");
  test::WriteFile(path, "[A]\r\nk=1\r\n");
  ::chmod(path.c_str(), 0444);
  FileResult r = WriteKeyToFile(path, "A", "k", "2");
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.error.empty());
  EXPECT_EQ(test::ReadFile(path), "[A]\r\nk=1\r\n");
}

TEST(IniFileTest, KeepsPermissionsAndLeavesNoTemporaryFile) {
  test::TempDir dir;
  std::string path = dir.Path("GameUserSettings.ini");
  test::WriteFile(path, "[A]\r\n");
  ::chmod(path.c_str(), 0640);
  ASSERT_TRUE(WriteKeyToFile(path, "A", "k", "v").ok);
#ifndef _WIN32  // Windows files have no permission bits to keep
  struct stat st {};
  ::stat(path.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
#endif
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(IniFileTest, FailuresOfTheTarget) {
  test::TempDir dir;
  // A directory where the file should be.
  std::filesystem::create_directory(dir.Path("dir.ini"));
  EXPECT_FALSE(WriteKeyToFile(dir.Path("dir.ini"), "A", "k", "v").ok);
  // A missing folder.
  EXPECT_FALSE(WriteKeyToFile(dir.Path("no/such/x.ini"), "A", "k", "v").ok);
  // Line injection is refused before touching the file.
  test::WriteFile(dir.Path("x.ini"), "[A]\r\n");
  EXPECT_FALSE(WriteKeyToFile(dir.Path("x.ini"), "A", "k", "1\r\n[B]").ok);
  EXPECT_EQ(test::ReadFile(dir.Path("x.ini")), "[A]\r\n");
}

// A FIFO or a link to a device in a game file's place: every operation fails
// at once (no blocking open, no endless read) and leaves the entry as it was.
// Each case runs in a child that an alarm ends should it block.
TEST(IniFileTest, AFifoOrDeviceInTheFilesPlaceFailsAtOnce) {
  struct Case {
    const char* what;
    bool fifo;
  };
  for (const Case& c : {Case{"FIFO", true}, Case{"link to /dev/zero", false}}) {
    SCOPED_TRACE(c.what);
    test::TempDir dir;
    std::string path = dir.Path("GameUserSettings.ini");
    if (c.fifo)
      ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
    else
      std::filesystem::create_symlink("/dev/zero", path);
    pid_t child = ::fork();
    if (child == 0) {
      ::alarm(10);
      std::string error;
      bool refused = !WriteKeyToFile(path, "A", "k", "v").ok &&
                     !DeleteKeyFromFile(path, "A", "k").ok && !EraseSectionInFile(path, "A").ok &&
                     !ReadValueFromFile(path, "A", "k") && ListKeysInFile(path, "A").empty() &&
                     !LoadLinesFromFile(path, &error) && !error.empty();
      ::_exit(refused ? 0 : 1);
    }
    ASSERT_GT(child, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    struct stat st {};
    ASSERT_EQ(::lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(c.fifo ? S_ISFIFO(st.st_mode) : S_ISLNK(st.st_mode));
  }
}

// The file layer keeps the handle of a file it just wrote for the next
// operation: whatever happened to the file in between (replaced by another
// program, changed in place, removed, a FIFO put there) is what the next
// operation sees.
TEST(IniFileTest, EachOperationSeesTheFileAsItIsNow) {
  test::TempDir dir;
  std::string path = dir.Path("Engine.ini");
  std::string other = dir.Path("edited.ini");
  ASSERT_TRUE(WriteKeyToFile(path, "A", "k", "1").ok);
  // Replaced by another program (an editor's save).
  test::WriteFile(other, "[A]\r\nmine=2\r\n");
  std::filesystem::rename(other, path);
  ASSERT_TRUE(WriteKeyToFile(path, "A", "k", "3").ok);
  EXPECT_EQ(test::ReadFile(path), "[A]\r\nmine=2\r\nk=3\r\n");
  // Changed in place, same file.
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "[B]\r\n";
  }
  EXPECT_EQ(ListKeysInFile(path, "A"), std::vector<std::string>{});
  ASSERT_TRUE(WriteKeyToFile(path, "A", "k", "4").ok);
  EXPECT_EQ(test::ReadFile(path), "[B]\r\n[A]\r\nk=4\r\n");
  // Made read-only in place.
  ::chmod(path.c_str(), 0444);
  EXPECT_FALSE(WriteKeyToFile(path, "A", "k", "5").ok);
  ::chmod(path.c_str(), 0644);
  // Removed: the next write starts a new file.
  std::filesystem::remove(path);
  EXPECT_FALSE(ReadValueFromFile(path, "A", "k").has_value());
  ASSERT_TRUE(WriteKeyToFile(path, "A", "k", "6").ok);
  EXPECT_EQ(test::ReadFile(path), "[A]\r\nk=6\r\n");
  // A FIFO put in its place is refused, not read through the old handle.
  std::filesystem::remove(path);
  ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
  EXPECT_FALSE(ReadValueFromFile(path, "A", "k").has_value());
  EXPECT_FALSE(WriteKeyToFile(path, "A", "k", "7").ok);
}

TEST(IniFileTest, WholeFileLinesRoundTrip) {
  test::TempDir dir;
  std::string path = dir.Path("t.ini");
  ASSERT_TRUE(SaveLinesToFile(path, {"[A]", "", "k=v"}).ok);
  EXPECT_EQ(test::ReadFile(path), "[A]\r\n\r\nk=v\r\n");
  std::string error;
  auto lines = LoadLinesFromFile(path, &error);
  ASSERT_TRUE(lines.has_value());
  EXPECT_EQ(*lines, (std::vector<std::string>{"[A]", "", "k=v"}));
  EXPECT_FALSE(LoadLinesFromFile(dir.Path("missing.ini"), &error).has_value());
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace kestrune::ini
