// The INI layer on files no game wrote: garbage and NUL bytes, a file of
// tens of megabytes, CR-only and mixed line endings, byte-order marks. Each
// edit must succeed or fail cleanly, keep every byte it does not own, and
// read back what it wrote.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "ini/ini_file.h"
#include "ini/ini_text.h"
#include "platform/process.h"
#include "support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace kestrune::ini {
namespace {

using namespace std::string_literals;

std::string Garbage(size_t size, unsigned seed) {
  std::mt19937 rng(seed);
  std::string out(size, '\0');
  for (char& c : out) c = static_cast<char>(rng() & 0xFF);
  return out;
}

size_t CountEntries(const std::string& folder) {
  size_t n = 0;
  for (auto it = std::filesystem::directory_iterator(folder);
       it != std::filesystem::directory_iterator(); ++it)
    ++n;
  return n;
}

struct HostileCase {
  const char* name;
  std::string bytes;
};

void PrintTo(const HostileCase& c, std::ostream* os) {
  *os << c.name;
}

std::vector<HostileCase> HostileCases() {
  return {
      {"Empty", ""},
      {"OnlyBom", "\xEF\xBB\xBF"},
      {"OnlyCr", "\r"},
      {"BinaryGarbage", Garbage(4096, 1)},
      {"GarbageWithSectionInside", Garbage(700, 2) + "\n[S]\nk=old\n" + Garbage(700, 3)},
      {"NulInsideKeyLine", "[S]\r\nk=1\0tail\r\nz=2\r\n"s},
      {"NulInSectionName", "[S\0x]\r\nk=1\r\n"s},
      {"Utf16LittleEndian", "\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0\x31\0\r\0\n\0"s},
      {"CrOnly", "[S]\rk=1\rother=2\r"},
      {"MixedEndings", "; head\n[S]\r\nk=1\rother=2\n\r\n[T]\rx=1"},
      {"BomThenSection", "\xEF\xBB\xBF[S]\r\nk=1\r\n"},
      {"BomThenBlankHeader", "\xEF\xBB\xBF  [ s ]  trailing\nk = 1\n"},
      {"UnterminatedLastKey", "[S]\r\nk=1"},
      {"HeaderWithoutClose", "[S\r\nk=1\r\n"},
      {"LongLine", "[S]\r\nk=" + std::string(1 << 20, 'x') + "\r\nz=1\r\n"},
      {"ManyBlankLines", "[S]" + std::string(100000, '\n') + "k=1"},
  };
}

class HostileFileTest : public ::testing::TestWithParam<HostileCase> {};

// Set, read back, set back, delete: whatever the bytes, the layer keeps the
// bytes outside the edited line and the file stays readable.
TEST_P(HostileFileTest, EditsKeepForeignBytes) {
  test::TempDir dir;
  const std::string path = dir.Path("Engine.ini");
  const std::string original = GetParam().bytes;
  test::WriteFile(path, original);

  const bool hadKey = ReadValue(original, "S", "k").has_value();
  FileResult set = WriteKeyToFile(path, "S", "k", "new");
  ASSERT_TRUE(set.ok) << set.error;
  std::string after = test::ReadFile(path);
  EXPECT_EQ(ReadValueFromFile(path, "S", "k"), "new");
  if (hadKey) {
    // Only a stretch inside the key's own line changed.
    size_t p = 0;
    while (p < after.size() && p < original.size() && after[p] == original[p]) ++p;
    size_t q = 0;
    while (q < after.size() - p && q < original.size() - p &&
           after[after.size() - 1 - q] == original[original.size() - 1 - q])
      ++q;
    std::string removed = original.substr(p, original.size() - p - q);
    std::string added = after.substr(p, after.size() - p - q);
    EXPECT_EQ(removed.find_first_of("\r\n"), std::string::npos)
        << ::testing::PrintToString(removed);
    EXPECT_EQ(added.find_first_of("\r\n"), std::string::npos) << ::testing::PrintToString(added);
  } else {
    // Nothing of the file is lost: the edit only inserted bytes.
    size_t i = 0;
    for (char c : after)
      if (i < original.size() && original[i] == c) ++i;
    EXPECT_EQ(i, original.size()) << "bytes of the original went missing";
    EXPECT_NE(after.find("k=new\r\n"), std::string::npos);
  }

  // Writing the same value again changes nothing on disk.
  FileResult again = WriteKeyToFile(path, "S", "k", "new");
  EXPECT_TRUE(again.ok);
  EXPECT_FALSE(again.changed);
  EXPECT_EQ(test::ReadFile(path), after);

  // Deleting leaves a file that no longer holds the key, and nothing else.
  FileResult del = DeleteKeyFromFile(path, "S", "k");
  EXPECT_TRUE(del.ok) << del.error;
  std::string deleted = test::ReadFile(path);
  EXPECT_LT(deleted.size(), after.size());
  // A key the file never had leaves the original in front when removed again.
  if (!hadKey) {
    EXPECT_EQ(deleted.compare(0, original.size(), original), 0);
  }
  EXPECT_EQ(CountEntries(dir.path()), 1u) << "a temporary file was left behind";
}

INSTANTIATE_TEST_SUITE_P(Files, HostileFileTest, ::testing::ValuesIn(HostileCases()),
                         [](const auto& p) { return std::string(p.param.name); });

// When the section exists, setting a key that is present changes only its
// value, and the line keeps its own ending (CR, LF or CR LF).
TEST(HostileEndingsTest, ExistingKeyKeepsItsEnding) {
  struct Case {
    std::string before;
    std::string after;
  };
  const Case cases[] = {
      {"[S]\rk=1\rz=2\r", "[S]\rk=22\rz=2\r"},
      {"[S]\nk=1\r\nz=2\n", "[S]\nk=22\r\nz=2\n"},
      {"[S]\r\nk=1\rz=2", "[S]\r\nk=22\rz=2"},
      {"\xEF\xBB\xBF[S]\nk=1", "\xEF\xBB\xBF[S]\nk=22"},
      {"[S]\r\nk=1\0x\r\nz=2\r\n"s, "[S]\r\nk=22\r\nz=2\r\n"},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    std::string path = dir.Path("t.ini");
    test::WriteFile(path, c.before);
    ASSERT_TRUE(WriteKeyToFile(path, "s", "K", "22").ok);
    EXPECT_EQ(test::ReadFile(path), c.after) << ::testing::PrintToString(c.before);
  }
}

// Adding keys to CR-only and unterminated files: the new line ends in CR LF
// and the line it follows gets a break only when it had none.
TEST(HostileEndingsTest, AddedLinesAfterForeignEndings) {
  test::TempDir dir;
  std::string path = dir.Path("t.ini");
  test::WriteFile(path, "[S]\rk=1\r\r[T]\rx=1");
  ASSERT_TRUE(WriteKeyToFile(path, "S", "new", "v").ok);
  ASSERT_TRUE(WriteKeyToFile(path, "T", "y", "2").ok);
  ASSERT_TRUE(WriteKeyToFile(path, "U", "z", "3").ok);
  EXPECT_EQ(test::ReadFile(path), "[S]\rk=1\rnew=v\r\n\r[T]\rx=1\r\ny=2\r\n[U]\r\nz=3\r\n");
}

// A file of tens of megabytes is edited like any other: the edit lands, the
// bytes around it survive, and no temporary file is left.
TEST(HostileSizeTest, TensOfMegabytes) {
  test::TempDir dir;
  std::string path = dir.Path("GameUserSettings.ini");
  std::string body = "[ScalabilityGroups]\r\nsg.ShadowQuality=3\r\n[Filler]\r\n";
  std::string line = "Filler=" + std::string(120, 'f') + "\r\n";
  while (body.size() < 24u * 1024 * 1024) body += line;
  test::WriteFile(path, body);
  ASSERT_TRUE(WriteKeyToFile(path, "ScalabilityGroups", "sg.ShadowQuality", "0").ok);
  ASSERT_TRUE(WriteKeyToFile(path, "Filler", "Last", "1").ok);
  std::string after = test::ReadFile(path);
  std::string expected = body;
  expected.replace(expected.find("=3"), 2, "=0");
  expected += "Last=1\r\n";
  EXPECT_TRUE(after == expected) << "sizes " << after.size() << " vs " << expected.size();
  EXPECT_EQ(CountEntries(dir.path()), 1u);
}

// Text the engine writes whole (templates, the binding edit) refuses line
// breaks and NUL inside a line rather than write a different file.
TEST(HostileWholeFileTest, RefusesUnsafeLinesAndKeepsTheFile) {
  test::TempDir dir;
  std::string path = dir.Path("GameUserSettings.ini");
  test::WriteFile(path, "[A]\r\nk=1\r\n");
  const std::vector<std::string> bad[] = {{"ok", "a\rb"}, {"a\nb"}, {"x\0y"s}};
  for (const auto& lines : bad) {
    EXPECT_FALSE(SaveLinesToFile(path, lines).ok);
    EXPECT_EQ(test::ReadFile(path), "[A]\r\nk=1\r\n");
  }
  // Loading splits CR-only and mixed endings and never returns a torn line.
  test::WriteFile(path, "a\rb\r\nc\nd");
  std::string error;
  auto lines = LoadLinesFromFile(path, &error);
  ASSERT_TRUE(lines.has_value()) << error;
  EXPECT_EQ(*lines, (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(CountEntries(dir.path()), 1u);
}

// A writer killed before its rename leaves its temporary file; a process's
// first write into the folder removes it, and leaves alone the files of live
// writers and anything not named like ours. On Linux a live writer holds a
// lock on its file, and a pid in the name counts for nothing (pids mean
// nothing across pid namespaces); on Windows a live writer keeps its file
// open without delete sharing, and the name's process id must have ended.
TEST(StaleTemporaryTest, NextWriteRemovesLeftoversOfDeadWriters) {
  test::TempDir dir;
#ifdef _WIN32
  // A process that has ended, and this test's own (alive) one.
  int64_t dead = platform::SpawnDetached({"cmd.exe", "/c", "exit"});
  ASSERT_NE(dead, 0);
  for (int i = 0; i < 500 && platform::ProcessIsAlive(dead); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_FALSE(platform::ProcessIsAlive(dead));
  const int64_t live = ::GetCurrentProcessId();
  const std::string deadTemp = ".Engine.ini.kst" + std::to_string(dead) + "-7.tmp";
  const std::string liveTemp = ".Engine.ini.kst" + std::to_string(live) + "-7.tmp";
  const std::string other[] = {".Engine.ini.kstabc-1.tmp", "Engine.ini.kst1-1.tmp.ini",
                               ".notes.kst" + std::to_string(dead) + "-x.tmp"};
  for (const std::string& name : {deadTemp, liveTemp}) test::WriteFile(dir.Path(name), "half");
  for (const std::string& name : other) test::WriteFile(dir.Path(name), "keep");
  test::WriteFile(dir.Path("Engine.ini"), "[S]\r\n");

  ASSERT_TRUE(WriteKeyToFile(dir.Path("Engine.ini"), "S", "k", "1").ok);
  EXPECT_FALSE(std::filesystem::exists(dir.Path(deadTemp)));
  EXPECT_TRUE(std::filesystem::exists(dir.Path(liveTemp)));
  for (const std::string& name : other)
    EXPECT_TRUE(std::filesystem::exists(dir.Path(name))) << name;
  EXPECT_EQ(test::ReadFile(dir.Path("Engine.ini")), "[S]\r\nk=1\r\n");
#else
  pid_t dead = 0;
  char arg0[] = "true";
  char* argv[] = {arg0, nullptr};
  ASSERT_EQ(::posix_spawnp(&dead, "true", nullptr, nullptr, argv, environ), 0);
  int status = 0;
  ASSERT_EQ(::waitpid(dead, &status, 0), dead);
  const std::string deadTemp = ".Engine.ini.kst" + std::to_string(dead) + "-7.tmp";
  const std::string unlockedTemp = ".Engine.ini.kst" + std::to_string(::getppid()) + "-7.tmp";
  const std::string liveTemp = ".Engine.ini.kst0123456789abcdef-3.tmp";
  const std::string other[] = {".Engine.ini.kstxyz-1.tmp", "Engine.ini.kst1-1.tmp.ini",
                               ".notes.kst" + std::to_string(dead) + "-x.tmp"};
  for (const std::string& name : {deadTemp, unlockedTemp, liveTemp})
    test::WriteFile(dir.Path(name), "half");
  for (const std::string& name : other) test::WriteFile(dir.Path(name), "keep");
  test::WriteFile(dir.Path("Engine.ini"), "[S]\r\n");
  // The live writer's lock (a handle of its own: flock excludes other
  // handles in this process too).
  int live = ::open(dir.Path(liveTemp).c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(live, 0);
  ASSERT_EQ(::flock(live, LOCK_EX), 0);

  ASSERT_TRUE(WriteKeyToFile(dir.Path("Engine.ini"), "S", "k", "1").ok);
  ::close(live);
  EXPECT_FALSE(std::filesystem::exists(dir.Path(deadTemp)));
  EXPECT_FALSE(std::filesystem::exists(dir.Path(unlockedTemp)));
  EXPECT_TRUE(std::filesystem::exists(dir.Path(liveTemp)));
  for (const std::string& name : other)
    EXPECT_TRUE(std::filesystem::exists(dir.Path(name))) << name;
  EXPECT_EQ(test::ReadFile(dir.Path("Engine.ini")), "[S]\r\nk=1\r\n");
#endif
}

}  // namespace
}  // namespace kestrune::ini
