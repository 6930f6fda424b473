// The Nodemark library (stand-in built beside the tests) through the
// program's loader: identity answers and the autostart entry.
#include "net/nodemark.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "sha256.h"  // stand-ins/nodemark
#include "support/temp_dir.h"
#include "support/test_env.h"

namespace kestrune {
namespace {

using test::ReadFile;
using test::TempDir;

std::string Hex(const nodemark::Digest& digest) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (uint8_t b : digest) {
    out += kHex[b >> 4];
    out += kHex[b & 15];
  }
  return out;
}

TEST(NodemarkHashTest, KnownAnswers) {
  EXPECT_EQ(Hex(nodemark::Sha256("")),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Hex(nodemark::Sha256("abc")),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  // 56 bytes: the padding spills into a second block.
  EXPECT_EQ(Hex(nodemark::Sha256("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(Hex(nodemark::Sha256(std::string(1000000, 'a'))),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
  // RFC 4231 test cases 2 and 6 (a key longer than the block).
  EXPECT_EQ(Hex(nodemark::HmacSha256("Jefe", "what do ya want for nothing?")),
            "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843");
  EXPECT_EQ(Hex(nodemark::HmacSha256(std::string(131, '\xaa'),
                                     "Test Using Larger Than Block-Size Key - Hash Key First")),
            "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54");
}

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
