// The INI file layer against what only Linux puts in a file's place: FIFOs,
// links to devices, and permission bits changed under the program.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "ini/ini_file.h"
#include "support/temp_dir.h"

namespace kestrune::ini {
namespace {

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
                     !DeleteKeyFromFile(path, "A", "k").ok && !ReadValueFromFile(path, "A", "k") &&
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
  EXPECT_FALSE(ReadValueFromFile(path, "A", "k"));
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

}  // namespace
}  // namespace kestrune::ini
