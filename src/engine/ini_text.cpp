// INI text rules (see ini_text.h).
#include "engine/ini_text.h"

#include <cstddef>

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

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The document as line records; content before the first header is never a key.
struct Document {
  std::string_view text;
  size_t bodyStart = 0;  // after a byte-order mark
  std::vector<Line> lines;
};

Document Parse(std::string_view text) {
  Document doc;
  doc.text = text;
  if (text.substr(0, kBom.size()) == kBom) doc.bodyStart = kBom.size();
  size_t pos = doc.bodyStart;
  bool inSection = false;
  while (pos < text.size()) {
    Line line;
    line.begin = pos;
    size_t i = pos;
    while (i < text.size() && text[i] != '\r' && text[i] != '\n') ++i;
    line.contentEnd = i;
    if (i < text.size()) {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
        i += 2;
      else
        ++i;
    }
    line.end = i;
    std::string_view content = text.substr(line.begin, line.contentEnd - line.begin);
    size_t first = 0;
    while (first < content.size() && IsBlank(content[first])) ++first;
    if (first < content.size() && content[first] == '[' &&
        content.find(']', first + 1) != std::string_view::npos) {
      size_t close = content.find(']', first + 1);
      line.kind = LineKind::kHeader;
      line.name = Trim(content.substr(first + 1, close - first - 1));
      inSection = true;
    } else if (first < content.size() && (content[first] == ';' || content[first] == '#')) {
      line.kind = LineKind::kComment;
    } else if (inSection && content.find('=') != std::string_view::npos) {
      line.kind = LineKind::kKey;
      line.equals = line.begin + content.find('=');
      line.name = Trim(content.substr(0, content.find('=')));
    }
    doc.lines.push_back(line);
    pos = line.end;
  }
  return doc;
}

// Index of the first header matching `section`, or npos.
size_t FindSection(const Document& doc, std::string_view section) {
  std::string_view wanted = Trim(section);
  for (size_t i = 0; i < doc.lines.size(); ++i) {
    if (doc.lines[i].kind == LineKind::kHeader && NamesEqual(doc.lines[i].name, wanted)) return i;
  }
  return std::string_view::npos;
}

// One past the last line of the section opened at `header`.
size_t SectionEnd(const Document& doc, size_t header) {
  size_t i = header + 1;
  while (i < doc.lines.size() && doc.lines[i].kind != LineKind::kHeader) ++i;
  return i;
}

size_t FindKey(const Document& doc, size_t header, std::string_view key) {
  std::string_view wanted = Trim(key);
  size_t end = SectionEnd(doc, header);
  for (size_t i = header + 1; i < end; ++i) {
    if (doc.lines[i].kind == LineKind::kKey && NamesEqual(doc.lines[i].name, wanted)) return i;
  }
  return std::string_view::npos;
}

bool HasEnding(const Line& line) {
  return line.end > line.contentEnd;
}

// Inserts `newLine` (without ending) after line `after`, adding CR LF to that
// line when it was the unterminated last line.
std::string InsertAfter(const Document& doc, size_t after, std::string_view newLine) {
  const Line& anchor = doc.lines[after];
  std::string out;
  out.reserve(doc.text.size() + newLine.size() + 4);
  out.append(doc.text.substr(0, anchor.end));
  if (!HasEnding(anchor)) out.append(kCrLf);
  out.append(newLine);
  out.append(kCrLf);
  out.append(doc.text.substr(anchor.end));
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

std::string_view Trim(std::string_view text) {
  size_t b = 0;
  size_t e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  return text.substr(b, e - b);
}

bool NamesEqual(std::string_view a, std::string_view b) {
  a = Trim(a);
  b = Trim(b);
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

bool IsSafeText(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

bool IsWritableEntry(std::string_view section, std::string_view key, std::string_view value) {
  if (!IsSafeText(section) || !IsSafeText(key) || !IsSafeText(value)) return false;
  if (section.find(']') != std::string_view::npos) return false;
  if (Trim(key).empty() || key.find('=') != std::string_view::npos) return false;
  // A key that opens with '[' , ';' or '#' would read back as a header or comment.
  std::string_view k = Trim(key);
  return k.front() != '[' && k.front() != ';' && k.front() != '#';
}

std::string SetKey(std::string_view text, std::string_view section, std::string_view key,
                   std::string_view value) {
  Document doc = Parse(text);
  size_t header = FindSection(doc, section);
  if (header == std::string_view::npos) {
    std::string out(text);
    if (!doc.lines.empty() && !HasEnding(doc.lines.back())) out.append(kCrLf);
    out.push_back('[');
    out.append(section);
    out.append("]\r\n");
    out.append(KeyLine(key, value));
    out.append(kCrLf);
    return out;
  }
  size_t keyLine = FindKey(doc, header, key);
  if (keyLine != std::string_view::npos) {
    const Line& line = doc.lines[keyLine];
    std::string out;
    out.reserve(text.size() + value.size());
    out.append(text.substr(0, line.equals + 1));
    out.append(value);
    out.append(text.substr(line.contentEnd));
    return out;
  }
  size_t anchor = header;
  size_t end = SectionEnd(doc, header);
  for (size_t i = header + 1; i < end; ++i) {
    if (doc.lines[i].kind == LineKind::kKey) anchor = i;
  }
  return InsertAfter(doc, anchor, KeyLine(key, value));
}

std::string DeleteKey(std::string_view text, std::string_view section, std::string_view key) {
  Document doc = Parse(text);
  size_t header = FindSection(doc, section);
  if (header == std::string_view::npos) return std::string(text);
  size_t keyLine = FindKey(doc, header, key);
  if (keyLine == std::string_view::npos) return std::string(text);
  const Line& line = doc.lines[keyLine];
  std::string out(text.substr(0, line.begin));
  out.append(text.substr(line.end));
  return out;
}

std::string EraseSection(std::string_view text, std::string_view section) {
  Document doc = Parse(text);
  size_t header = FindSection(doc, section);
  if (header == std::string_view::npos) return std::string(text);
  size_t end = SectionEnd(doc, header);
  std::string out(text.substr(0, doc.lines[header].begin));
  for (size_t i = header + 1; i < end; ++i) {
    if (doc.lines[i].kind == LineKind::kKey) continue;
    out.append(text.substr(doc.lines[i].begin, doc.lines[i].end - doc.lines[i].begin));
  }
  if (end < doc.lines.size()) out.append(text.substr(doc.lines[end].begin));
  return out;
}

std::vector<std::string> ListKeys(std::string_view text, std::string_view section) {
  std::vector<std::string> keys;
  Document doc = Parse(text);
  size_t header = FindSection(doc, section);
  if (header == std::string_view::npos) return keys;
  size_t end = SectionEnd(doc, header);
  for (size_t i = header + 1; i < end; ++i) {
    if (doc.lines[i].kind == LineKind::kKey) keys.emplace_back(doc.lines[i].name);
  }
  return keys;
}

std::vector<std::pair<std::string, std::string>> ListEntries(std::string_view text,
                                                             std::string_view section) {
  std::vector<std::pair<std::string, std::string>> entries;
  Document doc = Parse(text);
  size_t header = FindSection(doc, section);
  if (header == std::string_view::npos) return entries;
  size_t end = SectionEnd(doc, header);
  for (size_t i = header + 1; i < end; ++i) {
    const Line& line = doc.lines[i];
    if (line.kind != LineKind::kKey) continue;
    entries.emplace_back(line.name,
                         Trim(text.substr(line.equals + 1, line.contentEnd - line.equals - 1)));
  }
  return entries;
}

std::vector<std::string> ListSections(std::string_view text) {
  std::vector<std::string> sections;
  Document doc = Parse(text);
  for (const Line& line : doc.lines) {
    if (line.kind == LineKind::kHeader) sections.emplace_back(line.name);
  }
  return sections;
}

std::optional<std::string> ReadValue(std::string_view text, std::string_view section,
                                     std::string_view key) {
  Document doc = Parse(text);
  size_t header = FindSection(doc, section);
  if (header == std::string_view::npos) return std::nullopt;
  size_t keyLine = FindKey(doc, header, key);
  if (keyLine == std::string_view::npos) return std::nullopt;
  const Line& line = doc.lines[keyLine];
  return std::string(Trim(text.substr(line.equals + 1, line.contentEnd - line.equals - 1)));
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
