// Reading and writing preset files, driven by the page table.
#include "opti/opti_preset.h"

#include <vector>

#include "env/settings_store.h"
#include "opti/opti_frame.h"
#include "platform/ascii.h"

namespace kestrune::opti {
namespace {

enum class Section { None, Header, Lists, Edits, Options, Unknown };

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Lines end at CR LF, LF or CR.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

// Error texts quote what the file holds: control characters and long
// values would garble a terminal line.
std::string Quoted(std::string_view text) {
  constexpr size_t kMax = 40;
  std::string out = "'";
  for (size_t i = 0; i < text.size() && i < kMax; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    out += c < 0x20 || c == 0x7F ? '?' : static_cast<char>(c);
  }
  if (text.size() > kMax) out += "...";
  return out + "'";
}

std::string Range(int count) {
  return "-1.." + std::to_string(count - 1);
}

struct Seen {
  std::string key;
  int line;
};

}  // namespace

std::optional<bool> ParseOnOff(std::string_view text) {
  std::string v = AsciiLowerCopy(text);
  if (v == "1" || v == "on" || v == "yes" || v == "true") return true;
  if (v == "0" || v == "off" || v == "no" || v == "false") return false;
  return std::nullopt;
}

PresetRead ReadPreset(std::string_view text) {
  PresetRead result;
  auto fail = [&result](int line, std::string error) {
    result.ok = false;
    result.line = line;
    result.error = std::move(error);
    result.values = PresetValues{};
    return result;
  };
  if (text.size() > kPresetMaxBytes)
    return fail(0, "the file is too large for a preset (" + std::to_string(text.size()) +
                       " bytes, at most " + std::to_string(kPresetMaxBytes) + ")");
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  if (text.find('\0') != std::string_view::npos)
    return fail(0, "the file is not a text file (it holds NUL bytes)");

  Section section = Section::None;
  int headerLine = 0;
  bool formatSeen = false;
  std::vector<Seen> seen;
  const std::vector<std::string_view> lines = SplitLines(text);
  for (size_t i = 0; i < lines.size(); ++i) {
    const int number = static_cast<int>(i) + 1;
    std::string_view line = Trim(lines[i]);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      if (line.back() != ']')
        return fail(number, "a section header must end with ']': " + Quoted(line));
      std::string name = AsciiLowerCopy(Trim(line.substr(1, line.size() - 2)));
      if (name == kPresetHeader) {
        if (headerLine != 0)
          return fail(number, "[kestrune-preset] is given twice (first on line " +
                                  std::to_string(headerLine) + ")");
        headerLine = number;
        section = Section::Header;
        continue;
      }
      if (headerLine == 0)
        return fail(number, "a preset starts with [kestrune-preset] and format=1");
      section = name == "lists"     ? Section::Lists
                : name == "edits"   ? Section::Edits
                : name == "options" ? Section::Options
                                    : Section::Unknown;
      if (section == Section::Unknown)
        return fail(number, "unknown section " + Quoted(name) +
                                " (a preset has [lists], [edits] and [options])");
      continue;
    }
    size_t eq = line.find('=');
    if (section == Section::None)
      return fail(number, "a preset starts with [kestrune-preset] and format=1");
    if (eq == std::string_view::npos)
      return fail(number, "expected NAME=VALUE, found " + Quoted(line));
    std::string key = AsciiLowerCopy(Trim(line.substr(0, eq)));
    std::string_view value = Trim(line.substr(eq + 1));
    for (const Seen& s : seen)
      if (s.key == key)
        return fail(number,
                    Quoted(key) + " is given twice (first on line " + std::to_string(s.line) + ")");
    seen.push_back({key, number});

    if (section == Section::Header) {
      if (key != "format")
        return fail(number, "unknown key " + Quoted(key) + " in [kestrune-preset]");
      if (value != std::to_string(kPresetFormat))
        return fail(number, "format " + Quoted(value) + " is not one this program reads (format=" +
                                std::to_string(kPresetFormat) + ")");
      formatSeen = true;
      continue;
    }
    if (!formatSeen) return fail(number, "format=1 must come first, in [kestrune-preset]");
    std::optional<int> number32 = ParseConfigInteger(value);
    if (section == Section::Lists) {
      const ListDesc* desc = nullptr;
      for (const ListDesc& d : Lists())
        if (key == d.name) desc = &d;
      if (!desc) return fail(number, "unknown list " + Quoted(key) + " in [lists]");
      int count = static_cast<int>(desc->items.size());
      if (!number32)
        return fail(number,
                    key + "=" + Quoted(value) + " is not an entry's index (" + Range(count) + ")");
      if (*number32 < -1 || *number32 >= count)
        return fail(number, key + "=" + std::to_string(*number32) + " is out of range (" +
                                Range(count) + ")");
      result.values.lists[static_cast<size_t>(desc->id)] = *number32;
    } else if (section == Section::Edits) {
      const EditDesc* desc = nullptr;
      for (const EditDesc& d : Edits())
        if (key == d.name) desc = &d;
      if (!desc) return fail(number, "unknown edit " + Quoted(key) + " in [edits]");
      if (!number32) return fail(number, key + "=" + Quoted(value) + " is not a whole number");
      result.values.edits[static_cast<size_t>(desc->id)] = *number32;
    } else {
      const CheckDesc* desc = nullptr;
      for (const CheckDesc& d : Checks())
        if (key == d.name) desc = &d;
      if (!desc) return fail(number, "unknown option " + Quoted(key) + " in [options]");
      std::optional<bool> on = ParseOnOff(value);
      if (!on) return fail(number, key + "=" + Quoted(value) + " is not 1 or 0");
      result.values.checks[static_cast<size_t>(desc->id)] = *on;
    }
  }
  if (headerLine == 0) return fail(0, "not a preset: no [kestrune-preset] section");
  if (!formatSeen) return fail(headerLine, "[kestrune-preset] has no format=1");
  result.ok = true;
  return result;
}

std::string WritePreset(const PresetValues& values) {
  std::string out;
  out += "; Kestrune preset: the optimisation page's selections.\r\n";
  out += "; Read it with: kestrune-cli import FILE\r\n";
  out += "[" + std::string(kPresetHeader) + "]\r\n";
  out += "format=" + std::to_string(kPresetFormat) + "\r\n";
  out += "\r\n[lists]\r\n";
  for (const ListDesc& desc : Lists()) {
    const std::optional<int>& index = values.lists[static_cast<size_t>(desc.id)];
    if (!index) continue;
    out += "; " + std::string(desc.label) + ": ";
    if (*index >= 0 && *index < static_cast<int>(desc.items.size()))
      out += std::string(desc.items[static_cast<size_t>(*index)]);
    else
      out += "-";
    out += "\r\n" + std::string(desc.name) + "=" + std::to_string(*index) + "\r\n";
  }
  out += "\r\n[edits]\r\n";
  for (const EditDesc& desc : Edits()) {
    const std::optional<int>& value = values.edits[static_cast<size_t>(desc.id)];
    if (!value) continue;
    out += std::string(desc.name) + "=" + std::to_string(*value) + "\r\n";
  }
  out += "\r\n[options]\r\n";
  for (const CheckDesc& desc : Checks()) {
    const std::optional<bool>& on = values.checks[static_cast<size_t>(desc.id)];
    if (!on) continue;
    out += "; " + std::string(desc.text) + "\r\n";
    out += std::string(desc.name) + "=" + (*on ? "1" : "0") + "\r\n";
  }
  return out;
}

PresetValues PresetOf(const TOptiFrame& page) {
  PresetValues values;
  for (const ListDesc& desc : Lists())
    values.lists[static_cast<size_t>(desc.id)] = page.ItemIndex(desc.id);
  for (const EditDesc& desc : Edits())
    values.edits[static_cast<size_t>(desc.id)] = StoredEditValue(desc, page.EditText(desc.id));
  for (const CheckDesc& desc : Checks())
    values.checks[static_cast<size_t>(desc.id)] = page.Checked(desc.id);
  return values;
}

void StorePreset(TOptiFrame& page, const PresetValues& values) {
  const auto& scheme = values.lists[static_cast<size_t>(ListId::ConfigModel)];
  if (scheme) page.UserSelect(ListId::ConfigModel, *scheme);
  for (const ListDesc& desc : Lists()) {
    const auto& index = values.lists[static_cast<size_t>(desc.id)];
    if (index && desc.id != ListId::ConfigModel) page.SetItemIndex(desc.id, *index);
  }
  for (const EditDesc& desc : Edits()) {
    const auto& value = values.edits[static_cast<size_t>(desc.id)];
    if (value) page.SetEditText(desc.id, std::to_string(*value));
  }
  for (const CheckDesc& desc : Checks()) {
    const auto& on = values.checks[static_cast<size_t>(desc.id)];
    if (on) page.SetChecked(desc.id, *on);
  }
}

}  // namespace kestrune::opti
