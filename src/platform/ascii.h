// ASCII letter case, as every name comparison of the program uses it (INI
// names, header fields, schemes, version keys): bytes outside A-Z stay as
// they are, whatever the locale. And the two trims of text that others
// wrote, which differ on purpose (the page's own trim of what a player types
// is opti::TrimSpacesAndControls).
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

// Space and tab: the blanks of an INI line and the optional white space of
// HTTP header fields and cookie attributes. Nothing else is cut, so a name
// that holds another control byte never matches one without it.
inline bool IsSpaceOrTab(char c) {
  return c == ' ' || c == '\t';
}

inline std::string_view TrimSpaceTab(std::string_view text) {
  while (!text.empty() && IsSpaceOrTab(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpaceOrTab(text.back())) text.remove_suffix(1);
  return text;
}

// A response's status or header line as the transport hands it over: the
// same blanks, and its line break (CR LF) at the end too.
inline std::string_view TrimHeaderLine(std::string_view text) {
  while (!text.empty() &&
         (text.back() == '\r' || text.back() == '\n' || IsSpaceOrTab(text.back()))) {
    text.remove_suffix(1);
  }
  return TrimSpaceTab(text);
}

}  // namespace kestrune
