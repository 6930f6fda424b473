// UTF-8, UTF-16 and UTF-32 code points, one rule for every text that crosses
// an encoding boundary (edit controls, version resources, library calls):
// a byte that does not start a well-formed sequence, a surrogate and a value
// above U+10FFFF all read as U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace kestrune {

// The code point that starts at text[*pos]; *pos moves past it, or by one
// byte when the sequence is not well formed.
char32_t NextUtf8(std::string_view text, size_t* pos);
void AppendUtf8(std::string& out, char32_t cp);
// One unit, or a surrogate pair above U+FFFF.
void AppendUtf16(std::u16string& out, char32_t cp);

std::u32string Utf8ToUtf32(std::string_view text);
std::string Utf32ToUtf8(std::u32string_view text);
std::u16string Utf8ToUtf16(std::string_view text);
// A surrogate pair becomes one code point, a lone surrogate U+FFFD; the whole
// view is converted (zero units included).
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace kestrune
