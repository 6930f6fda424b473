// INI text rules (see ini_text.h).
#include "ini/ini_text.h"

#include <cstddef>
#include <cstring>

#include "platform/ascii.h"

namespace kestrune::ini {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kCrLf = "\r\n";

enum class LineKind { kOther, kHeader, kComment, kKey };

struct Line {
  size_t begin = 0;       // first byte of the line's content
  size_t contentEnd = 0;  // one past the content (the ending starts here)
  size_t end = 0;         // one past the line ending
  LineKind kind = LineKind::kOther;
  std::string_view name;  // section or key name, trimmed
  size_t equals = 0;      // position of the first '=' (key lines)
};

// Reads a text line by line without keeping the lines: every operation is
// one pass that remembers only the few lines it needs, so a file of tens of
// megabytes costs no more memory than its own bytes. Content before the
// first header is never a key.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {
    if (text.substr(0, kBom.size()) == kBom) pos_ = kBom.size();
  }

  bool Next(Line& line) {
    if (pos_ >= text_.size()) return false;
    line = Line{};
    line.begin = pos_;
    size_t i = EndOfContent(pos_);
    line.contentEnd = i;
    if (i < text_.size())
      i += (text_[i] == '\r' && i + 1 < text_.size() && text_[i + 1] == '\n') ? 2 : 1;
    line.end = i;
    std::string_view content = text_.substr(line.begin, line.contentEnd - line.begin);
    size_t first = 0;
    while (first < content.size() && IsSpaceOrTab(content[first])) ++first;
    size_t close = std::string_view::npos;
    if (first < content.size() && content[first] == '[') close = content.find(']', first + 1);
    if (close != std::string_view::npos) {
      line.kind = LineKind::kHeader;
      line.name = TrimSpaceTab(content.substr(first + 1, close - first - 1));
      inSection_ = true;
    } else if (first < content.size() && (content[first] == ';' || content[first] == '#')) {
      line.kind = LineKind::kComment;
    } else if (size_t eq = content.find('='); inSection_ && eq != std::string_view::npos) {
      line.kind = LineKind::kKey;
      line.equals = line.begin + eq;
      line.name = TrimSpaceTab(content.substr(0, eq));
    }
    pos_ = line.end;
    return true;
  }

 private:
  // Where the line starting at `from` ends: at its first CR or LF. Every
  // operation of an Apply reads its whole file, so this scan is the hottest
  // spot of an Apply; memchr reads many bytes per step, where a byte loop or
  // find_first_of (one memchr per byte of the set) does not.
  size_t EndOfContent(size_t from) const {
    const char* base = text_.data();
    const size_t size = text_.size();
    const void* lf = std::memchr(base + from, '\n', size - from);
    const size_t lfAt = lf ? static_cast<size_t>(static_cast<const char*>(lf) - base) : size;
    const void* cr = std::memchr(base + from, '\r', lfAt - from);
    return cr ? static_cast<size_t>(static_cast<const char*>(cr) - base) : lfAt;
  }

  std::string_view text_;
  size_t pos_ = 0;
  bool inSection_ = false;
};

// Where a section and a key in it stand, found in one pass.
struct Located {
  bool hasSection = false;
  Line header;
  bool hasKey = false;
  Line key;      // the first matching key line
  Line lastKey;  // the section's last key line (valid when hasLastKey)
  bool hasLastKey = false;
};

// Finds the first section named `section` and, when `key` is given, its
// first key of that name; with `wantLastKey` it reads on to the section's
// end to find its last key line.
Located Locate(std::string_view text, std::string_view section, std::string_view key,
               bool wantLastKey) {
  Located at;
  std::string_view wantedSection = TrimSpaceTab(section);
  std::string_view wantedKey = TrimSpaceTab(key);
  LineReader reader(text);
  Line line;
  while (reader.Next(line)) {
    if (!at.hasSection) {
      if (line.kind == LineKind::kHeader && NamesEqual(line.name, wantedSection)) {
        at.hasSection = true;
        at.header = line;
      }
      continue;
    }
    if (line.kind == LineKind::kHeader) break;  // end of the section
    if (line.kind != LineKind::kKey) continue;
    at.lastKey = line;
    at.hasLastKey = true;
    if (!at.hasKey && !wantedKey.empty() && NamesEqual(line.name, wantedKey)) {
      at.hasKey = true;
      at.key = line;
      if (!wantLastKey) break;
    }
  }
  return at;
}

// Calls `fn` for each key line of the first section named `section`.
template <typename Fn>
void ForEachKeyOf(std::string_view text, std::string_view section, Fn fn) {
  std::string_view wanted = TrimSpaceTab(section);
  LineReader reader(text);
  Line line;
  bool inside = false;
  while (reader.Next(line)) {
    if (line.kind == LineKind::kHeader) {
      if (inside) return;
      inside = NamesEqual(line.name, wanted);
      continue;
    }
    if (inside && line.kind == LineKind::kKey) fn(line);
  }
}

bool HasEnding(const Line& line) {
  return line.end > line.contentEnd;
}

// Inserts `newLine` (without ending) after line `after`, adding CR LF to that
// line when it was the unterminated last line.
std::string InsertAfter(std::string_view text, const Line& anchor, std::string_view newLine) {
  std::string out;
  out.reserve(text.size() + newLine.size() + 4);
  out.append(text.substr(0, anchor.end));
  if (!HasEnding(anchor)) out.append(kCrLf);
  out.append(newLine);
  out.append(kCrLf);
  out.append(text.substr(anchor.end));
  return out;
}

std::string KeyLine(std::string_view key, std::string_view value) {
  std::string line;
  line.reserve(key.size() + value.size() + 1);
  line.append(key);
  line.push_back('=');
  line.append(value);
  return line;
}

}  // namespace

bool NamesEqual(std::string_view a, std::string_view b) {
  a = TrimSpaceTab(a);
  b = TrimSpaceTab(b);
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

bool IsSafeText(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

bool IsWritableEntry(std::string_view section, std::string_view key, std::string_view value) {
  if (!IsSafeText(section) || !IsSafeText(key) || !IsSafeText(value)) return false;
  if (section.find(']') != std::string_view::npos) return false;
  if (TrimSpaceTab(key).empty() || key.find('=') != std::string_view::npos) return false;
  // A key that opens with '[' , ';' or '#' would read back as a header or comment.
  std::string_view k = TrimSpaceTab(key);
  return k.front() != '[' && k.front() != ';' && k.front() != '#';
}

std::string SetKey(std::string_view text, std::string_view section, std::string_view key,
                   std::string_view value) {
  Located at = Locate(text, section, key, false);
  if (!at.hasSection) {
    std::string out;
    out.reserve(text.size() + section.size() + key.size() + value.size() + 8);
    out.append(text);
    size_t bodyStart = text.substr(0, kBom.size()) == kBom ? kBom.size() : 0;
    if (text.size() > bodyStart && text.back() != '\n' && text.back() != '\r') out.append(kCrLf);
    out.push_back('[');
    out.append(section);
    out.append("]\r\n");
    out.append(KeyLine(key, value));
    out.append(kCrLf);
    return out;
  }
  if (at.hasKey) {
    std::string out;
    out.reserve(text.size() + value.size());
    out.append(text.substr(0, at.key.equals + 1));
    out.append(value);
    out.append(text.substr(at.key.contentEnd));
    return out;
  }
  return InsertAfter(text, at.hasLastKey ? at.lastKey : at.header, KeyLine(key, value));
}

std::string DeleteKey(std::string_view text, std::string_view section, std::string_view key) {
  Located at = Locate(text, section, key, false);
  if (!at.hasKey) return std::string(text);
  std::string out(text.substr(0, at.key.begin));
  out.append(text.substr(at.key.end));
  return out;
}

std::string EraseSection(std::string_view text, std::string_view section) {
  std::string_view wanted = TrimSpaceTab(section);
  LineReader reader(text);
  Line line;
  std::string out;
  bool found = false;
  bool inside = false;
  size_t copiedTo = 0;  // bytes of `text` already handled
  while (reader.Next(line)) {
    if (line.kind == LineKind::kHeader) {
      if (inside) break;  // the rest is copied below
      if (!found && NamesEqual(line.name, wanted)) {
        found = inside = true;
        out.append(text.substr(0, line.begin));
        copiedTo = line.end;
      }
      continue;
    }
    if (inside && line.kind == LineKind::kKey) {
      out.append(text.substr(copiedTo, line.begin - copiedTo));
      copiedTo = line.end;
    }
  }
  if (!found) return std::string(text);
  out.append(text.substr(copiedTo));
  return out;
}

std::vector<std::string> ListKeys(std::string_view text, std::string_view section) {
  std::vector<std::string> keys;
  ForEachKeyOf(text, section, [&](const Line& line) { keys.emplace_back(line.name); });
  return keys;
}

std::vector<std::pair<std::string, std::string>> ListEntries(std::string_view text,
                                                             std::string_view section) {
  std::vector<std::pair<std::string, std::string>> entries;
  ForEachKeyOf(text, section, [&](const Line& line) {
    entries.emplace_back(
        line.name, TrimSpaceTab(text.substr(line.equals + 1, line.contentEnd - line.equals - 1)));
  });
  return entries;
}

std::vector<std::string> ListSections(std::string_view text) {
  std::vector<std::string> sections;
  LineReader reader(text);
  Line line;
  while (reader.Next(line)) {
    if (line.kind == LineKind::kHeader) sections.emplace_back(line.name);
  }
  return sections;
}

std::optional<std::string> ReadValue(std::string_view text, std::string_view section,
                                     std::string_view key) {
  Located at = Locate(text, section, key, false);
  if (!at.hasKey) return std::nullopt;
  const Line& line = at.key;
  return std::string(TrimSpaceTab(text.substr(line.equals + 1, line.contentEnd - line.equals - 1)));
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t i = pos;
    while (i < text.size() && text[i] != '\r' && text[i] != '\n') ++i;
    lines.emplace_back(text.substr(pos, i - pos));
    if (i < text.size() && text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    pos = i + 1;
  }
  return lines;
}

std::string JoinLinesCrLf(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) {
    out.append(line);
    out.append(kCrLf);
  }
  return out;
}

}  // namespace kestrune::ini
