// INI key comparison on top of the shared line rules.
#include "opti/ini_diff.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "ini/ini_text.h"
#include "platform/ascii.h"

namespace kestrune::opti {
namespace {

struct Entry {
  std::string section;
  std::string key;
  std::string value;
};

using Identity = std::tuple<std::string, int, std::string, int>;

// Every key line with its identity: (section, nth section of that name,
// key, nth key of that name in the section).
std::vector<std::pair<Identity, Entry>> Entries(std::string_view text) {
  std::vector<std::pair<Identity, Entry>> out;
  std::map<std::string, int> sectionSeen;
  std::map<std::string, int> keySeen;
  bool inSection = false;
  std::string section, sectionLower;
  int sectionNth = 0;
  ForEachIniLine(text, [&](bool header, std::string_view line) {
    if (header) {
      section = std::string(line);
      sectionLower = LowerName(section);
      sectionNth = sectionSeen[sectionLower]++;
      keySeen.clear();
      inSection = true;
      return;
    }
    size_t eq = line.find('=');
    if (!inSection || eq == std::string_view::npos) return;
    std::string key(TrimSpaceTab(line.substr(0, eq)));
    std::string keyLower = LowerName(key);
    int keyNth = keySeen[keyLower]++;
    out.push_back({Identity{sectionLower, sectionNth, keyLower, keyNth},
                   Entry{section, key, std::string(TrimSpaceTab(line.substr(eq + 1)))}});
  });
  return out;
}

}  // namespace

void ForEachIniLine(std::string_view text,
                    const std::function<void(bool header, std::string_view line)>& visit) {
  std::vector<std::string> lines = ini::SplitLines(text);
  if (!lines.empty() && lines[0].rfind("\xEF\xBB\xBF", 0) == 0) lines[0].erase(0, 3);
  for (const std::string& raw : lines) {
    std::string_view line = TrimSpaceTab(raw);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      size_t close = line.find(']');
      if (close != std::string_view::npos) {
        visit(true, TrimSpaceTab(line.substr(1, close - 1)));
        continue;
      }
    }
    visit(false, line);
  }
}

std::string LowerName(std::string_view text) {
  std::string out(TrimSpaceTab(text));
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::vector<KeyChange> DiffIniKeys(std::string_view before, std::string_view after) {
  auto oldEntries = Entries(before);
  auto newEntries = Entries(after);

  // Repeated keys of one section are aligned by value (longest common
  // subsequence), so deleting the first of two lines reads as one removal,
  // not as a change plus a removal. What stays unmatched pairs up in order
  // as changes; the rest is added or removed.
  using Group = std::tuple<std::string, int, std::string>;
  std::map<Group, std::vector<size_t>> oldGroups, newGroups;
  for (size_t i = 0; i < oldEntries.size(); ++i) {
    const auto& [section, sectionNth, key, keyNth] = oldEntries[i].first;
    oldGroups[{section, sectionNth, key}].push_back(i);
  }
  for (size_t i = 0; i < newEntries.size(); ++i) {
    const auto& [section, sectionNth, key, keyNth] = newEntries[i].first;
    newGroups[{section, sectionNth, key}].push_back(i);
  }

  constexpr size_t kNone = static_cast<size_t>(-1);
  std::vector<size_t> newPartner(newEntries.size(), kNone);  // old index paired with a new entry
  std::vector<bool> oldUsed(oldEntries.size(), false);
  std::vector<bool> newSame(newEntries.size(), false);
  for (const auto& [group, news] : newGroups) {
    auto found = oldGroups.find(group);
    if (found == oldGroups.end()) continue;
    const std::vector<size_t>& olds = found->second;
    const size_t n = olds.size(), m = news.size();
    std::vector<std::vector<int>> lcs(n + 1, std::vector<int>(m + 1, 0));
    for (size_t a = n; a-- > 0;)
      for (size_t b = m; b-- > 0;)
        lcs[a][b] = oldEntries[olds[a]].second.value == newEntries[news[b]].second.value
                        ? lcs[a + 1][b + 1] + 1
                        : std::max(lcs[a + 1][b], lcs[a][b + 1]);
    std::vector<size_t> oldLeft, newLeft;
    size_t a = 0, b = 0;
    while (a < n && b < m) {
      if (oldEntries[olds[a]].second.value == newEntries[news[b]].second.value) {
        oldUsed[olds[a]] = true;
        newSame[news[b]] = true;
        ++a;
        ++b;
      } else if (lcs[a + 1][b] >= lcs[a][b + 1]) {
        oldLeft.push_back(olds[a++]);
      } else {
        newLeft.push_back(news[b++]);
      }
    }
    for (; a < n; ++a) oldLeft.push_back(olds[a]);
    for (; b < m; ++b) newLeft.push_back(news[b]);
    for (size_t k = 0; k < oldLeft.size() && k < newLeft.size(); ++k) {
      newPartner[newLeft[k]] = oldLeft[k];
      oldUsed[oldLeft[k]] = true;
    }
  }

  std::vector<KeyChange> changes;
  for (size_t i = 0; i < newEntries.size(); ++i) {
    if (newSame[i]) continue;
    const Entry& entry = newEntries[i].second;
    if (newPartner[i] == kNone)
      changes.push_back({entry.section, entry.key, std::nullopt, entry.value});
    else
      changes.push_back(
          {entry.section, entry.key, oldEntries[newPartner[i]].second.value, entry.value});
  }
  for (size_t i = 0; i < oldEntries.size(); ++i)
    if (!oldUsed[i]) {
      const Entry& entry = oldEntries[i].second;
      changes.push_back({entry.section, entry.key, entry.value, std::nullopt});
    }
  return changes;
}

std::string FormatKeyChange(const KeyChange& change) {
  std::string line = "[" + change.section + "] " + change.key + ": ";
  if (!change.before) return line + "added = " + *change.after;
  if (!change.after) return line + "removed (was " + *change.before + ")";
  return line + *change.before + " → " + *change.after;
}

}  // namespace kestrune::opti
