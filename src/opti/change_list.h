// A readable list of what changed in a set of INI files, the way a diff tool
// shows it: per file, per section (spelled as the file spells it), one entry
// per key added, removed or changed, lines without a key as lines, and a long
// structured value (the key-binding list) broken down to the entries that
// changed. Renderers turn the list into text (optionally coloured) or JSON.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "opti/ini_diff.h"

namespace kestrune::opti {

enum class ChangeKind { kAdded, kRemoved, kChanged };

struct ChangeEntry {
  ChangeKind kind = ChangeKind::kChanged;
  // The key as the file spells it; empty for a line without a key, whose
  // whole text is in before (removed) or after (added).
  std::string key;
  // Inside a structured value: the part that changed, e.g.
  // "ActionKeyList[Jump]"; empty when the entry is the whole value.
  std::string item;
  std::string before;  // kRemoved, kChanged
  std::string after;   // kAdded, kChanged
};

struct SectionChanges {
  std::string name;  // as the file spells it (the older text's spelling)
  std::vector<ChangeEntry> entries;
};

struct FileChangeList {
  std::string name;  // "Engine.ini", ..., "Config.dat"
  std::string path;
  bool existed = false;
  bool exists = false;
  std::vector<SectionChanges> sections;

  bool Changed() const { return existed != exists || !sections.empty(); }
};

struct ChangeSummary {
  int files = 0;  // files with a change
  int added = 0;
  int changed = 0;
  int removed = 0;
};

struct ChangeList {
  std::vector<FileChangeList> files;
  ChangeSummary Summary() const;
};

// One file's list from its text before and after (empty text: no file).
FileChangeList CompareIniTexts(std::string name, std::string path, bool existed, bool exists,
                               std::string_view before, std::string_view after);

// The same from key changes already worked out (a file known only by its
// keys); `before`/`after` texts, when given, supply section spellings and the
// lines without a key.
FileChangeList FileChangeListFromKeys(std::string name, std::string path, bool existed, bool exists,
                                      const std::vector<KeyChange>& changes,
                                      std::string_view before = {}, std::string_view after = {});

// The entries for one changed key: one entry, or one per changed part of a
// long structured value. Exposed for tests.
std::vector<ChangeEntry> KeyChangeEntries(const KeyChange& change);

// "2 files changed: 3 keys added, 5 changed, 1 removed" (or "No changes").
std::string SummaryLine(const ChangeSummary& summary);

// The text form. With `colour`, ANSI colours mark additions, removals,
// changes and headers.
std::string RenderChangeListText(const ChangeList& list, bool colour = false);

// The text form line by line, without colour, for a front end that styles
// lines itself: each line's text (its indent included) joined with "\n" is
// the text form.
enum class ChangeLineKind { kFile, kNoChange, kSection, kAdded, kRemoved, kChanged, kSummary };
struct ChangeLine {
  ChangeLineKind kind = ChangeLineKind::kSummary;
  std::string text;
};
std::vector<ChangeLine> ChangeListLines(const ChangeList& list);

// The JSON form: {"files":[{"name","path","existed","exists","sections":
// [{"name","changes":[{"op","key","item","before","after"}]}]}],
// "summary":{"files","added","changed","removed"}}. Text that is not UTF-8
// is carried with U+FFFD in place of the bad bytes. `extra` members (name,
// JSON value) follow "summary" in the same object.
std::string RenderChangeListJson(
    const ChangeList& list, const std::vector<std::pair<std::string, std::string>>& extra = {});

// A JSON string literal (quotes included) for `text`.
std::string JsonString(std::string_view text);

}  // namespace kestrune::opti
