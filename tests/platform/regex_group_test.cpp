// RegexGroup: first case-insensitive match, a chosen group, empty otherwise.
#include "platform/regex_group.h"

#include <gtest/gtest.h>

#include "platform/debug_log.h"
#include "support/case_name.h"

namespace kestrune {
namespace {

struct RegexCase {
  const char* subject;
  const char* pattern;
  int group;
  const char* expected;
};

class RegexGroupTest : public ::testing::TestWithParam<RegexCase> {};

TEST_P(RegexGroupTest, Matches) {
  const RegexCase& c = GetParam();
  EXPECT_EQ(RegexGroup(c.subject, c.pattern, c.group), c.expected)
      << c.subject << " / " << c.pattern << " / " << c.group;
}

INSTANTIATE_TEST_SUITE_P(
    Table, RegexGroupTest,
    ::testing::Values(
        // Case-insensitive both ways.
        RegexCase{"\"C:\\Program Files\\Steam\\STEAM.EXE\" -- \"%1\"", "[a-z]:\\\\.*?steam\\.exe",
                  0, "C:\\Program Files\\Steam\\STEAM.EXE"},
        RegexCase{"version=ABC", "VERSION=(\\w+)", 1, "ABC"},
        // The first match wins, not the longest or the last.
        RegexCase{"v=1 v=22 v=333", "v=(\\d+)", 1, "1"}, RegexCase{"a1b2", "(\\d)", 0, "1"},
        // Group 0 is the whole match.
        RegexCase{"url: http://x.test/a end", "http://(\\S+)", 0, "http://x.test/a"},
        // No match, a group beyond the pattern, a group that took no part.
        RegexCase{"nothing here", "steam\\.exe", 0, ""}, RegexCase{"abc", "(b)", 2, ""},
        RegexCase{"ac", "a(b)?c", 1, ""}, RegexCase{"abc", "(b)", -1, ""},
        // An empty match is an empty text too.
        RegexCase{"abc", "x*", 0, ""},
        // UTF-8 subjects pass through byte for byte.
        RegexCase{"名称=优化完成", "名称=(.+)", 1, "优化完成"}),
    [](const auto& p) {
      return ::kestrune::test::CaseName(p.index, p.param.pattern, p.param.group);
    });

TEST(RegexGroupBadPatternTest, EmptyAndOneDebugLine) {
  int lines = 0;
  SetDebugLogSink([&](std::string_view) { ++lines; });
  const char* bad[] = {"(unclosed", "[z-a]", "a{2,1}", "\\"};
  for (const char* pattern : bad)
    EXPECT_EQ(RegexGroup("(unclosed [z-a]", pattern, 0), "") << pattern;
  SetDebugLogSink(nullptr);
  EXPECT_EQ(lines, 4);
}

TEST(RegexGroupSpanTest, SpanPointsIntoTheSubject) {
  std::string subject = "key=Value; other";
  RegexSpan span = RegexGroupSpan(subject, "KEY=([^;]*)", 1);
  ASSERT_TRUE(span.found);
  EXPECT_EQ(subject.substr(span.begin, span.end - span.begin), "Value");
  EXPECT_FALSE(RegexGroupSpan(subject, "missing=(.*)", 1).found);
}

}  // namespace
}  // namespace kestrune
