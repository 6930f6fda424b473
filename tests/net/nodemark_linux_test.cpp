// The Nodemark stand-in on Linux through the program's loader: the machine
// identifier from /etc/machine-id, the OS text, the autostart entry.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "net/nodemark.h"
#include "support/temp_dir.h"
#include "support/test_env.h"

namespace kestrune {
namespace {

using test::ReadFile;
using test::TempDir;

TEST(NodemarkTest, MachineIdIsAStableHashNeverTheRawId) {
  std::string raw = ReadFile("/etc/machine-id");
  if (raw.empty()) GTEST_SKIP() << "no /etc/machine-id here";
  raw = raw.substr(0, raw.find_first_of("\r\n"));
  std::string id = NodemarkMachineId();
  ASSERT_EQ(id.size(), 32u);
  EXPECT_EQ(id.find_first_not_of("0123456789ABCDEF"), std::string::npos) << id;
  EXPECT_EQ(id, NodemarkMachineId());
  std::string lower = id;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(raw.find(lower.substr(0, 8)), std::string::npos);
  EXPECT_NE(lower, raw.substr(0, 32));
}

TEST(NodemarkTest, WindowsVersionIsThePrettyName) {
  std::istringstream lines(ReadFile("/etc/os-release"));
  std::string line, pretty;
  while (std::getline(lines, line)) {
    if (line.rfind("PRETTY_NAME=", 0) == 0) pretty = line.substr(12);
  }
  if (pretty.empty()) GTEST_SKIP() << "no PRETTY_NAME here";
  if (pretty.front() == '"') pretty = pretty.substr(1, pretty.size() - 2);
  EXPECT_EQ(NodemarkWindowsVersion(), pretty);
}

class NodemarkAutoRunTest : public testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    saved_ = old ? old : "";
    hadValue_ = old != nullptr;
    kestrune::test::SetEnv("XDG_CONFIG_HOME", home_.path().c_str());
  }
  void TearDown() override {
    if (hadValue_) {
      kestrune::test::SetEnv("XDG_CONFIG_HOME", saved_.c_str());
    } else {
      kestrune::test::UnsetEnv("XDG_CONFIG_HOME");
    }
    SetNodemarkPathForTesting("");
  }
  std::string EntryFile() const { return home_.Path("autostart/kestrune.desktop"); }

  TempDir home_;
  std::string saved_;
  bool hadValue_ = false;
};

TEST_F(NodemarkAutoRunTest, EntryStartsTheProgramHiddenAndGoesAway) {
  EXPECT_FALSE(IsAutoRun());
  SetAutoRun(true, "/opt/Kes trune/kestrune");
  EXPECT_TRUE(IsAutoRun());
  std::string entry = ReadFile(EntryFile());
  EXPECT_NE(entry.find("[Desktop Entry]\n"), std::string::npos);
  EXPECT_NE(entry.find("\nType=Application\n"), std::string::npos);
  EXPECT_NE(entry.find("\nExec=\"/opt/Kes trune/kestrune\" /start\n"), std::string::npos) << entry;
  SetAutoRun(false, "");
  EXPECT_FALSE(IsAutoRun());
  EXPECT_TRUE(ReadFile(EntryFile()).empty());
}

TEST_F(NodemarkAutoRunTest, ExecQuotesAndEscapesThePath) {
  struct {
    const char* path;
    const char* exec;
  } cases[] = {
      {"/a/b", "Exec=\"/a/b\" /start\n"},
      {"/o$p\"t\\x%y`z", "Exec=\"/o\\\\$p\\\\\"t\\\\\\\\x%%y\\\\`z\" /start\n"},
      {"/\xe4\xb8\xad\xe6\x96\x87/k", "Exec=\"/\xe4\xb8\xad\xe6\x96\x87/k\" /start\n"},
  };
  for (const auto& c : cases) {
    SetAutoRun(true, c.path);
    EXPECT_NE(ReadFile(EntryFile()).find(c.exec), std::string::npos) << c.path;
  }
  // A line break would end the Exec line: refused, the previous entry stays.
  SetAutoRun(true, "/a\nX-Evil=1");
  EXPECT_EQ(ReadFile(EntryFile()).find("X-Evil"), std::string::npos);
  EXPECT_TRUE(IsAutoRun());
}

TEST_F(NodemarkAutoRunTest, MissingLibraryAnswersEmptyAndDoesNothing) {
  SetNodemarkPathForTesting(home_.Path("Nodemark.so"));
  EXPECT_EQ(NodemarkMachineId(), "");
  EXPECT_EQ(NodemarkWindowsVersion(), "");
  SetAutoRun(true, "/a/b");
  EXPECT_FALSE(IsAutoRun());
  SetNodemarkPathForTesting("");
  EXPECT_FALSE(IsAutoRun());  // nothing was written
}

}  // namespace
}  // namespace kestrune
