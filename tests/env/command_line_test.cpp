// Windows command-line splitting, game process names and the Steam path rule.
#include "env/command_line.h"

#include <gtest/gtest.h>

#include <set>

#include "env/game_process.h"
#include "support/case_name.h"

namespace kestrune {
namespace {

struct SplitCase {
  const char* line;
  std::vector<std::string> args;
};

class SplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTest, SplitsLikeTheWindowsRuntime) {
  EXPECT_EQ(SplitWindowsCommandLine(GetParam().line), GetParam().args) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    Table, SplitTest,
    ::testing::Values(SplitCase{"", {}}, SplitCase{"   ", {}}, SplitCase{"prog", {"prog"}},
                      SplitCase{"  prog  a   b ", {"prog", "a", "b"}},
                      SplitCase{"\"C:\\Program Files\\Orvane\\Lumeshade.dat\" -start 1",
                                {"C:\\Program Files\\Orvane\\Lumeshade.dat", "-start", "1"}},
                      // The program name takes backslashes literally, even before a quote.
                      SplitCase{"\"C:\\dir\\\" x", {"C:\\dir\\", "x"}},
                      SplitCase{"\"/opt/my app/run\"tail x", {"/opt/my app/runtail", "x"}},
                      SplitCase{"p \"a b\" c", {"p", "a b", "c"}},
                      SplitCase{"p a\"b c\"d", {"p", "ab cd"}},
                      SplitCase{"p a\\\\\"b c\"", {"p", "a\\b c"}},  // 2 backslashes + quote
                      SplitCase{"p a\\\"b", {"p", "a\"b"}},          // 1 backslash + quote
                      SplitCase{"p a\\\\\\\"b", {"p", "a\\\"b"}},    // 3 backslashes + quote
                      SplitCase{"p a\\\\b", {"p", "a\\\\b"}},        // backslashes alone
                      SplitCase{"p \"a\"\"b\"", {"p", "a\"b"}},      // doubled quote inside quotes
                      SplitCase{"p \"\"", {"p", ""}},                // empty quoted argument
                      SplitCase{"p \"unterminated arg", {"p", "unterminated arg"}},
                      SplitCase{"p\ta\tb", {"p", "a", "b"}}),
    [](const auto& p) { return ::kestrune::test::CaseName(p.index, p.param.line); });

struct NameCase {
  const char* name;
  bool isGame;
};

TEST(GameProcessNameTest, UpperCasedExactMatchOnly) {
  const NameCase cases[] = {
      {"TslGame.exe", true},
      {"tslgame.exe", true},
      {"TSLGAME.EXE", true},
      {"TslGame_BE.exe", true},
      {"tslgame_be.EXE", true},
      {"TslGame", false},
      {"TslGame.exe.bak", false},
      {"TslGameX.exe", false},
      {"TslGame_BE", false},
      {" TslGame.exe", false},
      {"", false},
      {"C:\\TslGame.exe", false},
  };
  for (const NameCase& c : cases) EXPECT_EQ(IsGameProcessName(c.name), c.isGame) << c.name;
}

struct SteamCase {
  const char* value;
  std::set<std::string> files;
  const char* expected;
};

TEST(SteamCommandTest, WholeValueOrThePatternMatch) {
  const SteamCase cases[] = {
      {"", {}, ""},
      {"/usr/bin/steam", {"/usr/bin/steam"}, "/usr/bin/steam"},
      {"\"C:\\Program Files (x86)\\Steam\\steam.exe\" -- \"%1\"",
       {"C:\\Program Files (x86)\\Steam\\steam.exe"},
       "C:\\Program Files (x86)\\Steam\\steam.exe"},
      {"\"c:\\steam\\Steam.EXE\" -- \"%1\"", {"c:\\steam\\Steam.EXE"}, "c:\\steam\\Steam.EXE"},
      // The pattern matched but no such file: not installed.
      {"\"D:\\Games\\Steam\\steam.exe\" -- \"%1\"", {}, ""},
      {"\"/home/u/steam.sh\" %U", {}, ""},
      // The lazy match stops at the first "steam.exe".
      {"E:\\steam.exe\\steam.exe", {"E:\\steam.exe"}, "E:\\steam.exe"},
  };
  for (const SteamCase& c : cases) {
    auto exists = [&](const std::string& p) { return c.files.count(p) > 0; };
    EXPECT_EQ(SteamExecutableFromCommand(c.value, exists), c.expected) << c.value;
  }
}

}  // namespace
}  // namespace kestrune
