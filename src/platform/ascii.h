// ASCII letter case, as every name comparison of the program uses it (INI
// names, header fields, schemes, version keys): bytes outside A-Z stay as
// they are, whatever the locale.
#pragma once

#include <string>
#include <string_view>

namespace kestrune {

inline char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The same for a decoded code point (type-to-select in lists).
inline char32_t AsciiLower(char32_t c) {
  return (c >= U'A' && c <= U'Z') ? c - U'A' + U'a' : c;
}

inline std::string AsciiLowerCopy(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = AsciiLower(c);
  return out;
}

inline bool AsciiEqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

}  // namespace kestrune
