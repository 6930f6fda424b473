// Names of parameterised cases, so that a failing case names itself in the
// test list: "<index>_<the given fields>", each field cut to letters, digits
// and single underscores ("3_Screen_abc", "0_null_100"). The index keeps
// names unique when two cases print alike.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>

namespace kestrune::test {

inline void AppendCaseWord(std::string& name, std::string_view text) {
  constexpr size_t kMaxWord = 32;
  name += '_';
  if (text.empty()) {
    name += "empty";
    return;
  }
  size_t start = name.size();
  for (char c : text) {
    if (name.size() - start >= kMaxWord) break;
    bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (keep) {
      name += c;
    } else if (name.back() != '_') {
      name += '_';
    }
  }
  while (name.size() > start && name.back() == '_') name.pop_back();
  if (name.size() == start) name += "x";  // only punctuation or non-ASCII text
}

inline void AppendCaseWord(std::string& name, const char* text) {
  if (text == nullptr) {
    name += "_null";
    return;
  }
  AppendCaseWord(name, std::string_view(text));
}

inline void AppendCaseWord(std::string& name, const std::string& text) {
  AppendCaseWord(name, std::string_view(text));
}

inline void AppendCaseWord(std::string& name, bool value) {
  name += value ? "_true" : "_false";
}

template <class T>
requires(std::is_integral_v<T> || std::is_enum_v<T>) void AppendCaseWord(std::string& name,
                                                                         T value) {
  long long number = static_cast<long long>(value);
  name += number < 0 ? "_minus" + std::to_string(-number) : "_" + std::to_string(number);
}

template <class... Fields>
std::string CaseName(size_t index, const Fields&... fields) {
  std::string name = std::to_string(index);
  (AppendCaseWord(name, fields), ...);
  return name;
}

}  // namespace kestrune::test
