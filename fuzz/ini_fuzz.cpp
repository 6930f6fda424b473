// Fuzzes the INI text rules on arbitrary bytes. Besides "no crash", every
// edit must keep the bytes it does not own:
//  - setting a key that exists changes bytes inside that one line only, and
//    setting the old value back restores the text (up to blanks around the
//    value, which reading trims);
//  - setting a key that is absent only inserts (nothing of the text is lost),
//    and deleting it again gives the text back, plus at most the line break
//    added to an unterminated line and the header of a new section;
//  - deleting or erasing only removes bytes;
//  - the key reads back as written, and writing it again changes nothing.
//
// Input: op byte, section length, key length, value length, then section,
// key, value and the document.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ini/ini_text.h"
#include "platform/ascii.h"

namespace {

using namespace kestrune::ini;

// Names the broken invariant before stopping, so a finding says what failed.
void CheckAt(bool ok, int line) {
  if (ok) return;
  std::fprintf(stderr, "ini_fuzz.cpp:%d: invariant broken\n", line);
  std::abort();
}
#define Check(ok) CheckAt((ok), __LINE__)

size_t CommonPrefix(std::string_view a, std::string_view b) {
  size_t n = 0;
  while (n < a.size() && n < b.size() && a[n] == b[n]) ++n;
  return n;
}

size_t CommonSuffix(std::string_view a, std::string_view b, size_t limit) {
  size_t n = 0;
  while (n < limit && n < a.size() && n < b.size() && a[a.size() - 1 - n] == b[b.size() - 1 - n])
    ++n;
  return n;
}

bool HasLineBreak(std::string_view s) {
  return s.find_first_of("\r\n") != std::string_view::npos;
}

// `shorter` is `longer` with some bytes removed (none added or changed);
// with `onlyBlanks`, every removed byte is a space or a tab.
bool IsSubsequence(std::string_view shorter, std::string_view longer, bool onlyBlanks = false) {
  size_t i = 0;
  for (char c : longer) {
    if (i < shorter.size() && shorter[i] == c) {
      ++i;
    } else if (onlyBlanks && c != ' ' && c != '\t') {
      return false;
    }
  }
  return i == shorter.size();
}

// `after` differs from `before` by replacing one stretch that lies inside a
// single line with another stretch without line breaks.
bool ChangedWithinOneLine(std::string_view before, std::string_view after) {
  size_t p = CommonPrefix(before, after);
  size_t s = CommonSuffix(before, after, std::min(before.size(), after.size()) - p);
  return !HasLineBreak(before.substr(p, before.size() - p - s)) &&
         !HasLineBreak(after.substr(p, after.size() - p - s));
}

void CheckSet(const std::string& text, const std::string& section, const std::string& key,
              const std::string& value) {
  if (!IsWritableEntry(section, key, value)) return;
  const std::optional<std::string> old = ReadValue(text, section, key);
  const std::string out = SetKey(text, section, key, value);
  const std::optional<std::string> now = ReadValue(out, section, key);
  Check(now.has_value() && *now == std::string(kestrune::TrimSpaceTab(value)));
  Check(SetKey(out, section, key, value) == out);
  if (old) {
    Check(ChangedWithinOneLine(text, out));
    // Set back: the text returns, except blanks that stood around the value.
    if (IsWritableEntry(section, key, *old)) {
      const std::string back = SetKey(out, section, key, *old);
      Check(back == text || IsSubsequence(back, text, true));
    }
  } else {
    // Pure insertion: the whole text survives in order.
    Check(IsSubsequence(text, out));
    Check(out.size() > text.size());
    const std::string removed = DeleteKey(out, section, key);
    Check(removed.compare(0, text.size(), text) == 0);
    std::string_view extra = std::string_view(removed).substr(text.size());
    // At most a line break for an unterminated last line, and a new header.
    if (!extra.empty() && extra.substr(0, 2) == "\r\n") extra.remove_prefix(2);
    if (!extra.empty()) {
      Check(extra.front() == '[');
      Check(extra.size() >= 3 && extra.substr(extra.size() - 3) == "]\r\n");
      Check(!HasLineBreak(extra.substr(0, extra.size() - 2)));
    }
    Check(!ReadValue(removed, section, key).has_value());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const int op = data[0] % 4;
  size_t lengths[3] = {data[1] % 64u, data[2] % 64u, data[3] % 64u};
  std::string_view rest(reinterpret_cast<const char*>(data) + 4, size - 4);
  std::string parts[3];
  for (int i = 0; i < 3; ++i) {
    size_t n = std::min(lengths[i], rest.size());
    parts[i] = std::string(rest.substr(0, n));
    rest.remove_prefix(n);
  }
  const std::string& section = parts[0];
  const std::string& key = parts[1];
  const std::string& value = parts[2];
  const std::string text(rest);

  switch (op) {
    case 0:
      CheckSet(text, section, key, value);
      break;
    case 1: {
      const std::string out = DeleteKey(text, section, key);
      if (out != text) {
        // One stretch went; everything around it is intact.
        Check(out.size() < text.size());
        size_t p = CommonPrefix(text, out);
        Check(p + CommonSuffix(text, out, out.size() - p) == out.size());
      }
      break;
    }
    case 2: {
      const std::string out = EraseSection(text, section);
      Check(out.size() <= text.size());
      const size_t before = ListSections(text).size();
      const size_t after = ListSections(out).size();
      if (out == text) {
        Check(after == before);
      } else {
        // A byte-order mark counts only at the very start of the file. Erasing
        // the first section can bring a line that starts with one there, and
        // that line may then read as a header.
        const bool bomMoved = std::string_view(out).substr(0, 3) == "\xEF\xBB\xBF" &&
                              std::string_view(text).substr(0, 3) != "\xEF\xBB\xBF";
        Check(after + 1 == before || (bomMoved && after == before));
      }
      break;
    }
    default: {
      const std::vector<std::string> lines = SplitLines(text);
      for (const std::string& line : lines) Check(!HasLineBreak(line));
      // Joining with CR LF and splitting again gives the same lines.
      Check(SplitLines(JoinLinesCrLf(lines)) == lines);
      (void)ListKeys(text, section);
      (void)ListEntries(text, section);
      break;
    }
  }
  return 0;
}
