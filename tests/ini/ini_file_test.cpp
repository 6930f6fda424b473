#include "ini/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

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
