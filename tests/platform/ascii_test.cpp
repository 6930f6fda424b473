// The two trims of text others wrote: INI and HTTP fields lose only space and
// tab; a header line also loses its line break at the end. Any other control
// byte stays, so a name holding one never matches a name without it.
#include "platform/ascii.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

TEST(TrimTest, SpaceTabAndHeaderLineCutWhatTheirTextMayCarry) {
  struct Case {
    std::string_view text;
    std::string_view spaceTab;
    std::string_view headerLine;
  };
  const Case kCases[] = {
      {"", "", ""},
      {" \t ", "", ""},
      {" \tName = value\t ", "Name = value", "Name = value"},
      {"value\r\n", "value\r\n", "value"},
      {"  Set-Cookie: a=b \r\n", "Set-Cookie: a=b \r\n", "Set-Cookie: a=b"},
      {"\r\nvalue", "\r\nvalue", "\r\nvalue"},
      {std::string_view("\0key\0", 5), std::string_view("\0key\0", 5),
       std::string_view("\0key\0", 5)},
      {"\vkey\f", "\vkey\f", "\vkey\f"},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(TrimSpaceTab(c.text), c.spaceTab) << '"' << c.text << '"';
    EXPECT_EQ(TrimHeaderLine(c.text), c.headerLine) << '"' << c.text << '"';
  }
}

}  // namespace
}  // namespace kestrune
