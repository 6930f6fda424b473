#include "platform/utf8.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

struct DecodeCase {
  const char* name;
  std::string_view bytes;
  std::u32string want;
};

TEST(Utf8, DecodesWellFormedAndReplacesTheRest) {
  const DecodeCase cases[] = {
      {"ascii", "Ab1", U"Ab1"},
      {"allLengths", "\x7F\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80", U"\x7F\u00E9\u4E2D\U0001F600"},
      {"strayContinuation", "a\x80z", U"a\uFFFDz"},
      {"invalidLead", "\xF8\xFF", U"\uFFFD\uFFFD"},
      // A broken sequence costs one byte; what follows is read again.
      {"brokenSequence", "\xE4\xB8Z", U"\uFFFD\uFFFDZ"},
      {"truncatedAtEnd", "x\xF0\x9F\x98", U"x\uFFFD\uFFFD\uFFFD"},
      {"surrogate", "\xED\xA0\x80", U"\uFFFD"},
      {"aboveUnicode", "\xF4\x90\x80\x80", U"\uFFFD"},
  };
  for (const DecodeCase& c : cases) {
    EXPECT_EQ(Utf8ToUtf32(c.bytes), c.want) << c.name;
  }
}

TEST(Utf8, EncodesUtf8AndUtf16) {
  const std::u32string text = U"a\u00E9\u4E2D\U0001F600";
  EXPECT_EQ(Utf32ToUtf8(text), "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf8ToUtf16(Utf32ToUtf8(text)), u"a\u00E9\u4E2D\U0001F600");
  EXPECT_EQ(Utf8ToUtf16("\xFF"), u"\uFFFD");
}

}  // namespace
}  // namespace kestrune
