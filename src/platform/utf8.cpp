#include "platform/utf8.h"

namespace kestrune {

char32_t NextUtf8(std::string_view text, size_t* pos) {
  auto c = static_cast<unsigned char>(text[*pos]);
  size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
  if (length == 1) {
    ++*pos;
    return c;
  }
  if (length == 0 || text.size() - *pos < length) {
    ++*pos;
    return U'\uFFFD';
  }
  char32_t cp = c & (0xFF >> (length + 1));
  for (size_t k = 1; k < length; ++k) {
    auto next = static_cast<unsigned char>(text[*pos + k]);
    if ((next >> 6) != 2) {
      ++*pos;
      return U'\uFFFD';
    }
    cp = (cp << 6) | (next & 0x3F);
  }
  *pos += length;
  return (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) ? U'\uFFFD' : cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
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

void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  } else {
    out += static_cast<char16_t>(cp);
  }
}

std::u32string Utf8ToUtf32(std::string_view text) {
  std::u32string out;
  for (size_t i = 0; i < text.size();) out += NextUtf8(text, &i);
  return out;
}

std::string Utf32ToUtf8(std::u32string_view text) {
  std::string out;
  for (char32_t cp : text) AppendUtf8(out, cp);
  return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  for (size_t i = 0; i < text.size();) AppendUtf16(out, NextUtf8(text, &i));
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t unit = text[i];
    if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
      continue;
    }
    AppendUtf8(out, (unit >= 0xD800 && unit < 0xE000) ? U'\uFFFD' : unit);
  }
  return out;
}

}  // namespace kestrune
