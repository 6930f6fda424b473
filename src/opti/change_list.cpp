// The change list: grouping, the structured-value breakdown and renderers.
#include "opti/change_list.h"

#include <cstdio>
#include <map>
#include <optional>
#include <utility>

#include "ini/ini_text.h"
#include "platform/ascii.h"
#include "platform/utf8.h"

namespace kestrune::opti {
namespace {

// Values above this length are broken down into their changed parts (or
// shortened when they cannot be).
constexpr size_t kLongValue = 160;

// A long value: its start and its size, cut at a character boundary.
std::string Shorten(std::string_view value) {
  if (value.size() <= kLongValue) return std::string(value);
  size_t cut = 100;
  while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80) --cut;
  return std::string(value.substr(0, cut)) + "… [" + std::to_string(value.size()) + " chars]";
}

// A line like "None=====Optimization By=====": a ruler, not a setting.
bool IsRuler(const std::optional<std::string>& value) {
  return value && !value->empty() && (*value)[0] == '=';
}

// ---- Structured values: (Name=Value,List=((A="x",...),(...)),...) ----

// Parts of `inner` split at commas outside parentheses and quotes.
std::vector<std::string_view> SplitTopLevel(std::string_view inner) {
  std::vector<std::string_view> parts;
  int depth = 0;
  bool quoted = false;
  size_t begin = 0;
  for (size_t i = 0; i < inner.size(); ++i) {
    char c = inner[i];
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    if (c == '(') ++depth;
    if (c == ')') --depth;
    if (c == ',' && depth == 0) {
      parts.push_back(inner.substr(begin, i - begin));
      begin = i + 1;
    }
  }
  parts.push_back(inner.substr(begin));
  return parts;
}

// The text inside "( ... )" when the parentheses enclose the whole value.
std::optional<std::string_view> Enclosed(std::string_view value) {
  value = TrimSpaceTab(value);
  if (value.size() < 2 || value.front() != '(') return std::nullopt;
  int depth = 0;
  bool quoted = false;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '"') quoted = !quoted;
    if (quoted) continue;
    if (value[i] == '(') ++depth;
    if (value[i] == ')' && --depth == 0)
      return i + 1 == value.size() ? std::optional(value.substr(1, i - 1)) : std::nullopt;
  }
  return std::nullopt;
}

struct Field {
  std::string name;
  std::string_view value;
};

std::optional<std::vector<Field>> ParseStruct(std::string_view value) {
  std::optional<std::string_view> inner = Enclosed(value);
  if (!inner) return std::nullopt;
  std::vector<Field> fields;
  if (TrimSpaceTab(*inner).empty()) return fields;
  for (std::string_view part : SplitTopLevel(*inner)) {
    size_t eq = part.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    std::string_view name = TrimSpaceTab(part.substr(0, eq));
    if (name.empty() || name.find_first_of("()\"") != std::string_view::npos) return std::nullopt;
    fields.push_back({std::string(name), TrimSpaceTab(part.substr(eq + 1))});
  }
  return fields;
}

struct Item {
  std::string name;  // the value of its first "...Name" field, unquoted
  std::string_view text;
};

// A list of structures each named by its first field ("ActionName"...).
std::optional<std::vector<Item>> ParseNamedList(std::string_view value) {
  std::vector<Item> items;
  if (TrimSpaceTab(value).empty()) return items;
  std::optional<std::string_view> inner = Enclosed(value);
  if (!inner) return std::nullopt;
  for (std::string_view part : SplitTopLevel(*inner)) {
    part = TrimSpaceTab(part);
    std::optional<std::vector<Field>> fields = ParseStruct(part);
    if (!fields || fields->empty()) return std::nullopt;
    const Field& first = fields->front();
    if (first.name.size() < 4 || LowerName(first.name.substr(first.name.size() - 4)) != "name")
      return std::nullopt;
    std::string_view name = first.value;
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
      name = name.substr(1, name.size() - 2);
    items.push_back({std::string(name), part});
  }
  return items;
}

// Pairs equal names in order of occurrence: for each new element the index
// of its old partner, or npos.
template <typename T, typename NameOf>
std::vector<size_t> PairByName(const std::vector<T>& olds, const std::vector<T>& news,
                               NameOf nameOf, std::vector<bool>& oldUsed) {
  std::map<std::string, std::vector<size_t>> byName;
  for (size_t i = 0; i < olds.size(); ++i) byName[LowerName(nameOf(olds[i]))].push_back(i);
  std::map<std::string, size_t> taken;
  std::vector<size_t> partner(news.size(), std::string::npos);
  oldUsed.assign(olds.size(), false);
  for (size_t i = 0; i < news.size(); ++i) {
    std::string name = LowerName(nameOf(news[i]));
    auto found = byName.find(name);
    size_t& next = taken[name];
    if (found == byName.end() || next >= found->second.size()) continue;
    partner[i] = found->second[next++];
    oldUsed[partner[i]] = true;
  }
  return partner;
}

void ListEntries(const std::string& key, const std::string& field, const std::vector<Item>& olds,
                 const std::vector<Item>& news, std::vector<ChangeEntry>& out) {
  std::vector<bool> oldUsed;
  auto partner = PairByName(
      olds, news, [](const Item& item) { return item.name; }, oldUsed);
  auto label = [&](const Item& item) { return field + "[" + item.name + "]"; };
  for (size_t i = 0; i < news.size(); ++i) {
    if (partner[i] == std::string::npos) {
      out.push_back({ChangeKind::kAdded, key, label(news[i]), "", Shorten(news[i].text)});
    } else if (olds[partner[i]].text != news[i].text) {
      out.push_back({ChangeKind::kChanged, key, label(news[i]), Shorten(olds[partner[i]].text),
                     Shorten(news[i].text)});
    }
  }
  for (size_t i = 0; i < olds.size(); ++i)
    if (!oldUsed[i])
      out.push_back({ChangeKind::kRemoved, key, label(olds[i]), Shorten(olds[i].text), ""});
}

// The changed parts of a structured value; empty when it is not one (or
// nothing but its layout or order changed).
std::vector<ChangeEntry> StructEntries(const std::string& key, std::string_view before,
                                       std::string_view after) {
  std::vector<ChangeEntry> out;
  std::optional<std::vector<Field>> olds = ParseStruct(before);
  std::optional<std::vector<Field>> news = ParseStruct(after);
  if (!olds || !news) return out;
  std::vector<bool> oldUsed;
  auto partner = PairByName(
      *olds, *news, [](const Field& f) { return f.name; }, oldUsed);
  for (size_t i = 0; i < news->size(); ++i) {
    const Field& field = (*news)[i];
    if (partner[i] == std::string::npos) {
      out.push_back({ChangeKind::kAdded, key, field.name, "", Shorten(field.value)});
      continue;
    }
    const Field& old = (*olds)[partner[i]];
    if (old.value == field.value) continue;
    std::optional<std::vector<Item>> oldItems = ParseNamedList(old.value);
    std::optional<std::vector<Item>> newItems = ParseNamedList(field.value);
    size_t count = out.size();
    if (oldItems && newItems) ListEntries(key, field.name, *oldItems, *newItems, out);
    if (out.size() == count)  // not a named list, or only its order changed
      out.push_back(
          {ChangeKind::kChanged, key, field.name, Shorten(old.value), Shorten(field.value)});
  }
  for (size_t i = 0; i < olds->size(); ++i)
    if (!oldUsed[i])
      out.push_back({ChangeKind::kRemoved, key, (*olds)[i].name, Shorten((*olds)[i].value), ""});
  return out;
}

// ---- Sections and the lines without a key ----

struct SectionText {
  std::string name;                // first spelling
  std::vector<std::string> lines;  // lines without '=' (trimmed)
};

// Sections by lower-case name, in order of first appearance.
std::vector<std::pair<std::string, SectionText>> ScanSections(std::string_view text) {
  std::vector<std::pair<std::string, SectionText>> out;
  SectionText* current = nullptr;
  ForEachIniLine(text, [&](bool header, std::string_view line) {
    if (header) {
      std::string lower = LowerName(line);
      current = nullptr;
      for (auto& [key, section] : out)
        if (key == lower) current = &section;
      if (!current) {
        out.push_back({lower, SectionText{std::string(line), {}}});
        current = &out.back().second;
      }
      return;
    }
    if (current && line.find('=') == std::string_view::npos) current->lines.emplace_back(line);
  });
  return out;
}

const SectionText* FindSection(const std::vector<std::pair<std::string, SectionText>>& sections,
                               const std::string& lower) {
  for (const auto& [key, section] : sections)
    if (key == lower) return &section;
  return nullptr;
}

class Grouper {
 public:
  Grouper(std::string_view before, std::string_view after)
      : before_(ScanSections(before)), after_(ScanSections(after)) {}

  SectionChanges& Section(const std::string& spelled) {
    std::string lower = LowerName(spelled);
    for (auto& [key, index] : order_)
      if (key == lower) return sections_[index];
    std::string name = spelled;
    if (const SectionText* s = FindSection(before_, lower))
      name = s->name;
    else if (const SectionText* t = FindSection(after_, lower))
      name = t->name;
    order_.push_back({lower, sections_.size()});
    sections_.push_back({name, {}});
    return sections_.back();
  }

  // Lines without '=' that one text has and the other has not, as a
  // multiset per section.
  void AddKeylessLines() {
    for (const auto& [lower, section] : before_) {
      const SectionText* other = FindSection(after_, lower);
      std::map<std::string, int> left;
      if (other)
        for (const auto& line : other->lines) ++left[line];
      for (const auto& line : section.lines)
        if (left[line]-- <= 0)
          Section(section.name).entries.push_back({ChangeKind::kRemoved, "", "", line, ""});
    }
    for (const auto& [lower, section] : after_) {
      const SectionText* other = FindSection(before_, lower);
      std::map<std::string, int> left;
      if (other)
        for (const auto& line : other->lines) ++left[line];
      for (const auto& line : section.lines)
        if (left[line]-- <= 0)
          Section(section.name).entries.push_back({ChangeKind::kAdded, "", "", "", line});
    }
  }

  std::vector<SectionChanges> Take() { return std::move(sections_); }

 private:
  std::vector<std::pair<std::string, SectionText>> before_, after_;
  std::vector<std::pair<std::string, size_t>> order_;
  std::vector<SectionChanges> sections_;
};

// ---- Rendering ----

const char* Sign(ChangeKind kind) {
  return kind == ChangeKind::kAdded ? "+" : kind == ChangeKind::kRemoved ? "-" : "~";
}

std::string EntryText(const ChangeEntry& e) {
  std::string text = std::string(Sign(e.kind)) + " ";
  if (e.key.empty()) return text + (e.kind == ChangeKind::kRemoved ? e.before : e.after);
  std::string name = e.item.empty() ? e.key : e.key + " " + e.item;
  switch (e.kind) {
    case ChangeKind::kAdded:
      return text + name + " = " + e.after;
    case ChangeKind::kRemoved:
      return text + name + " = " + e.before;
    case ChangeKind::kChanged:
      break;
  }
  return text + name + ": " + e.before + " → " + e.after;
}

constexpr const char* kReset = "\x1b[0m";
const char* Colour(ChangeKind kind) {
  return kind == ChangeKind::kAdded     ? "\x1b[32m"
         : kind == ChangeKind::kRemoved ? "\x1b[31m"
                                        : "\x1b[33m";
}

}  // namespace

ChangeSummary ChangeList::Summary() const {
  ChangeSummary summary;
  for (const FileChangeList& file : files) {
    if (file.Changed()) ++summary.files;
    for (const SectionChanges& section : file.sections)
      for (const ChangeEntry& entry : section.entries) {
        if (entry.kind == ChangeKind::kAdded) ++summary.added;
        if (entry.kind == ChangeKind::kChanged) ++summary.changed;
        if (entry.kind == ChangeKind::kRemoved) ++summary.removed;
      }
  }
  return summary;
}

std::vector<ChangeEntry> KeyChangeEntries(const KeyChange& change) {
  if (!change.before) return {{ChangeKind::kAdded, change.key, "", "", Shorten(*change.after)}};
  if (!change.after) return {{ChangeKind::kRemoved, change.key, "", Shorten(*change.before), ""}};
  if (change.before->size() > kLongValue || change.after->size() > kLongValue) {
    std::vector<ChangeEntry> parts = StructEntries(change.key, *change.before, *change.after);
    if (!parts.empty()) return parts;
  }
  return {{ChangeKind::kChanged, change.key, "", Shorten(*change.before), Shorten(*change.after)}};
}

FileChangeList FileChangeListFromKeys(std::string name, std::string path, bool existed, bool exists,
                                      const std::vector<KeyChange>& changes,
                                      std::string_view before, std::string_view after) {
  FileChangeList file;
  file.name = std::move(name);
  file.path = std::move(path);
  file.existed = existed;
  file.exists = exists;
  Grouper grouper(before, after);
  for (const KeyChange& change : changes) {
    SectionChanges& section = grouper.Section(change.section);
    if (IsRuler(change.before) || IsRuler(change.after)) {
      // Shown as the lines they are.
      if (change.before)
        section.entries.push_back(
            {ChangeKind::kRemoved, "", "", change.key + "=" + *change.before, ""});
      if (change.after)
        section.entries.push_back(
            {ChangeKind::kAdded, "", "", "", change.key + "=" + *change.after});
      continue;
    }
    for (ChangeEntry& entry : KeyChangeEntries(change)) section.entries.push_back(std::move(entry));
  }
  grouper.AddKeylessLines();
  file.sections = grouper.Take();
  return file;
}

FileChangeList CompareIniTexts(std::string name, std::string path, bool existed, bool exists,
                               std::string_view before, std::string_view after) {
  return FileChangeListFromKeys(std::move(name), std::move(path), existed, exists,
                                DiffIniKeys(before, after), before, after);
}

std::string SummaryLine(const ChangeSummary& s) {
  if (s.files == 0) return "No changes";
  return std::to_string(s.files) + (s.files == 1 ? " file" : " files") +
         " changed: " + std::to_string(s.added) + (s.added == 1 ? " key" : " keys") + " added, " +
         std::to_string(s.changed) + " changed, " + std::to_string(s.removed) + " removed";
}

std::string RenderChangeListText(const ChangeList& list, bool colour) {
  std::string out;
  auto paint = [&](const char* code, const std::string& text) {
    return colour ? std::string(code) + text + kReset : text;
  };
  for (const FileChangeList& file : list.files) {
    const char* state = !file.existed && file.exists   ? " (new file)"
                        : file.existed && !file.exists ? " (deleted)"
                                                       : "";
    out += paint("\x1b[1m", file.name + state + ":") + " " + file.path + "\n";
    if (file.sections.empty()) out += "  no change\n";
    for (const SectionChanges& section : file.sections) {
      out += "  " + paint("\x1b[36m", "[" + section.name + "]") + "\n";
      for (const ChangeEntry& entry : section.entries)
        out += "    " + paint(Colour(entry.kind), EntryText(entry)) + "\n";
    }
  }
  out += SummaryLine(list.Summary()) + "\n";
  return out;
}

std::vector<ChangeLine> ChangeListLines(const ChangeList& list) {
  std::vector<ChangeLine> lines;
  for (const FileChangeList& file : list.files) {
    const char* state = !file.existed && file.exists   ? " (new file)"
                        : file.existed && !file.exists ? " (deleted)"
                                                       : "";
    lines.push_back({ChangeLineKind::kFile, file.name + state + ": " + file.path});
    if (file.sections.empty()) lines.push_back({ChangeLineKind::kNoChange, "  no change"});
    for (const SectionChanges& section : file.sections) {
      lines.push_back({ChangeLineKind::kSection, "  [" + section.name + "]"});
      for (const ChangeEntry& entry : section.entries) {
        ChangeLineKind kind = entry.kind == ChangeKind::kAdded     ? ChangeLineKind::kAdded
                              : entry.kind == ChangeKind::kRemoved ? ChangeLineKind::kRemoved
                                                                   : ChangeLineKind::kChanged;
        lines.push_back({kind, "    " + EntryText(entry)});
      }
    }
  }
  lines.push_back({ChangeLineKind::kSummary, SummaryLine(list.Summary())});
  return lines;
}

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  size_t pos = 0;
  while (pos < text.size()) {
    char32_t cp = NextUtf8(text, &pos);
    switch (cp) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (cp < 0x20 || cp == 0x7F) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(cp));
          out += escaped;
        } else {
          AppendUtf8(out, cp);
        }
    }
  }
  return out + "\"";
}

std::string RenderChangeListJson(const ChangeList& list,
                                 const std::vector<std::pair<std::string, std::string>>& extra) {
  auto flag = [](bool b) { return b ? "true" : "false"; };
  std::string out = "{\"files\":[";
  for (size_t f = 0; f < list.files.size(); ++f) {
    const FileChangeList& file = list.files[f];
    if (f) out += ",";
    out += "{\"name\":" + JsonString(file.name) + ",\"path\":" + JsonString(file.path) +
           ",\"existed\":" + flag(file.existed) + ",\"exists\":" + flag(file.exists) +
           ",\"sections\":[";
    for (size_t s = 0; s < file.sections.size(); ++s) {
      const SectionChanges& section = file.sections[s];
      if (s) out += ",";
      out += "{\"name\":" + JsonString(section.name) + ",\"changes\":[";
      for (size_t e = 0; e < section.entries.size(); ++e) {
        const ChangeEntry& entry = section.entries[e];
        if (e) out += ",";
        const char* op = entry.kind == ChangeKind::kAdded     ? "added"
                         : entry.kind == ChangeKind::kRemoved ? "removed"
                                                              : "changed";
        out += std::string("{\"op\":\"") + op + "\"";
        out += ",\"key\":" + (entry.key.empty() ? std::string("null") : JsonString(entry.key));
        if (!entry.item.empty()) out += ",\"item\":" + JsonString(entry.item);
        if (entry.kind != ChangeKind::kAdded) out += ",\"before\":" + JsonString(entry.before);
        if (entry.kind != ChangeKind::kRemoved) out += ",\"after\":" + JsonString(entry.after);
        out += "}";
      }
      out += "]}";
    }
    out += "]}";
  }
  ChangeSummary s = list.Summary();
  out += "],\"summary\":{\"files\":" + std::to_string(s.files) +
         ",\"added\":" + std::to_string(s.added) + ",\"changed\":" + std::to_string(s.changed) +
         ",\"removed\":" + std::to_string(s.removed) + "}";
  for (const auto& [name, value] : extra) out += "," + JsonString(name) + ":" + value;
  return out + "}";
}

}  // namespace kestrune::opti
