// UTF-8 <-> UTF-32 conversion for caret and type-to-select logic.
#pragma once

#include <string>
#include <string_view>

namespace kestrune {

std::u32string Utf8ToUtf32(std::string_view text);
std::string Utf32ToUtf8(std::u32string_view text);
// ASCII letters folded to lower case; everything else unchanged.
char32_t FoldAscii(char32_t c);

}  // namespace kestrune
