// RegexGroup: the first case-insensitive PCRE2 match of a pattern, and one of
// its capture groups. Portable (PCRE2 builds everywhere), so it sits beside
// the platform services that every subsystem may use.
#pragma once

#include <string>
#include <string_view>

namespace kestrune {

// Text of capture group `group` (0 = whole match) of the first
// case-insensitive match of `pattern` in `subject`; empty when there is no
// match, the group did not take part, or the pattern does not compile.
std::string RegexGroup(std::string_view subject, std::string_view pattern, int group);

// The byte range of the same match's group, for callers that edit in place.
struct RegexSpan {
  bool found = false;
  size_t begin = 0;
  size_t end = 0;
};
RegexSpan RegexGroupSpan(std::string_view subject, std::string_view pattern, int group);

}  // namespace kestrune
