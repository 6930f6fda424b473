// RegexGroup over PCRE2 (8-bit code units).
#include "platform/regex_group.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include "platform/debug_log.h"

namespace kestrune {

RegexSpan RegexGroupSpan(std::string_view subject, std::string_view pattern, int group) {
  RegexSpan span;
  if (group < 0) return span;
  int errorCode = 0;
  PCRE2_SIZE errorOffset = 0;
  pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                                   PCRE2_CASELESS, &errorCode, &errorOffset, nullptr);
  if (!code) {
    PCRE2_UCHAR message[256];
    pcre2_get_error_message(errorCode, message, sizeof message);
    DebugLogF("RegexGroup: pattern does not compile at %zu: %s", static_cast<size_t>(errorOffset),
              reinterpret_cast<const char*>(message));
    return span;
  }
  pcre2_match_data* match = pcre2_match_data_create_from_pattern(code, nullptr);
  int rc = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(), 0, 0,
                       match, nullptr);
  if (rc > group) {
    PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(match);
    PCRE2_SIZE b = ovector[2 * group];
    PCRE2_SIZE e = ovector[2 * group + 1];
    if (b != PCRE2_UNSET && e != PCRE2_UNSET && b <= e) {
      span.found = true;
      span.begin = b;
      span.end = e;
    }
  }
  pcre2_match_data_free(match);
  pcre2_code_free(code);
  return span;
}

std::string RegexGroup(std::string_view subject, std::string_view pattern, int group) {
  RegexSpan span = RegexGroupSpan(subject, pattern, group);
  if (!span.found) return "";
  return std::string(subject.substr(span.begin, span.end - span.begin));
}

}  // namespace kestrune
