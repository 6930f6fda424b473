// INI key comparison on top of the shared line rules.
#include "opti/ini_diff.h"

#include <map>
#include <tuple>

#include "engine/ini_text.h"

namespace kestrune::opti {
namespace {

struct Entry {
  std::string section;
  std::string key;
  std::string value;
};

using Identity = std::tuple<std::string, int, std::string, int>;

std::string Lower(std::string_view text) {
  std::string out(ini::Trim(text));
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// Every key line with its identity: (section, nth section of that name,
// key, nth key of that name in the section).
std::vector<std::pair<Identity, Entry>> Entries(std::string_view text) {
  std::vector<std::pair<Identity, Entry>> out;
  std::vector<std::string> lines = ini::SplitLines(text);
  if (!lines.empty() && lines[0].rfind("\xEF\xBB\xBF", 0) == 0) lines[0].erase(0, 3);
  std::map<std::string, int> sectionSeen;
  std::map<std::string, int> keySeen;
  bool inSection = false;
  std::string section, sectionLower;
  int sectionNth = 0;
  for (const std::string& raw : lines) {
    std::string_view line = ini::Trim(raw);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      size_t close = line.find(']');
      if (close != std::string_view::npos) {
        section = std::string(ini::Trim(line.substr(1, close - 1)));
        sectionLower = Lower(section);
        sectionNth = sectionSeen[sectionLower]++;
        keySeen.clear();
        inSection = true;
        continue;
      }
    }
    size_t eq = line.find('=');
    if (!inSection || eq == std::string_view::npos) continue;
    std::string key(ini::Trim(line.substr(0, eq)));
    std::string keyLower = Lower(key);
    int keyNth = keySeen[keyLower]++;
    out.push_back({Identity{sectionLower, sectionNth, keyLower, keyNth},
                   Entry{section, key, std::string(ini::Trim(line.substr(eq + 1)))}});
  }
  return out;
}

}  // namespace

std::vector<KeyChange> DiffIniKeys(std::string_view before, std::string_view after) {
  auto oldEntries = Entries(before);
  auto newEntries = Entries(after);
  std::map<Identity, const Entry*> oldByIdentity;
  for (const auto& [id, entry] : oldEntries) oldByIdentity[id] = &entry;
  std::map<Identity, bool> stillThere;

  std::vector<KeyChange> changes;
  for (const auto& [id, entry] : newEntries) {
    auto it = oldByIdentity.find(id);
    if (it == oldByIdentity.end()) {
      changes.push_back({entry.section, entry.key, std::nullopt, entry.value});
      continue;
    }
    stillThere[id] = true;
    if (it->second->value != entry.value)
      changes.push_back({entry.section, entry.key, it->second->value, entry.value});
  }
  for (const auto& [id, entry] : oldEntries)
    if (!stillThere.count(id))
      changes.push_back({entry.section, entry.key, entry.value, std::nullopt});
  return changes;
}

std::string FormatKeyChange(const KeyChange& change) {
  std::string line = "[" + change.section + "] " + change.key + ": ";
  if (!change.before) return line + "added = " + *change.after;
  if (!change.after) return line + "removed (was " + *change.before + ")";
  return line + *change.before + " → " + *change.after;
}

}  // namespace kestrune::opti
