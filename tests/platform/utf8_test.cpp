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

TEST(Utf8, DecodesUtf16) {
  EXPECT_EQ(Utf16ToUtf8(u"a\u00E9\u5F20\u4E09\U0001F600"),
            "a\xC3\xA9\xE5\xBC\xA0\xE4\xB8\x89\xF0\x9F\x98\x80");
  // Lone surrogates (either half, at the end or inside) read as U+FFFD.
  const char16_t lone[] = {u'x', 0xD800, u'y', 0xDC00, 0xD83D};
  EXPECT_EQ(Utf16ToUtf8(std::u16string_view(lone, 5)), "x\xEF\xBF\xBDy\xEF\xBF\xBD\xEF\xBF\xBD");
  const std::string chinese = "\xE5\xBC\xA0\xE4\xB8\x89";  // a user name
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(chinese)), chinese);
}

}  // namespace
}  // namespace kestrune
