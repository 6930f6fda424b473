// Small, strict-enough UTF-8 codec: invalid bytes become U+FFFD.
#include "controls/utf8.h"

namespace kestrune {

std::u32string Utf8ToUtf32(std::string_view text) {
  std::u32string out;
  size_t i = 0;
  while (i < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      out += c;
      ++i;
      continue;
    }
    int extra = (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    bool ok = extra > 0;
    char32_t cp = ok ? (c & (0x3F >> extra)) : 0;
    for (int k = 1; ok && k <= extra; ++k) {
      if (i + k >= text.size()) {
        ok = false;
        break;
      }
      unsigned char cc = static_cast<unsigned char>(text[i + k]);
      if ((cc & 0xC0) != 0x80) ok = false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    if (!ok) {
      out += U'\uFFFD';
      ++i;
      continue;
    }
    out += cp;
    i += extra + 1;
  }
  return out;
}

std::string Utf32ToUtf8(std::u32string_view text) {
  std::string out;
  for (char32_t cp : text) {
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

char32_t FoldAscii(char32_t c) {
  return (c >= U'A' && c <= U'Z') ? c + 32 : c;
}

}  // namespace kestrune
