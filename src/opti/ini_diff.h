// Key-by-key comparison of two versions of an INI text, for the dry run of
// Apply: which keys a run changed, added or removed.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune::opti {

struct KeyChange {
  std::string section;                // as spelled in the file (the newer one when both)
  std::string key;                    // as spelled in the file
  std::optional<std::string> before;  // nullopt: the key was added
  std::optional<std::string> after;   // nullopt: the key was removed
};

// Keys are matched by section name and key name (trimmed, ASCII case
// ignored) and by their occurrence, so repeated sections and keys pair up in
// order. Values compare with surrounding blanks removed. Changes come in the
// newer text's order, then the removed keys in the older text's order.
std::vector<KeyChange> DiffIniKeys(std::string_view before, std::string_view after);

// The significant lines of an INI text in order, as the comparisons read
// them: a header gives its section name, any other line that is not blank or
// a comment gives its text (both without surrounding blanks). A byte-order
// mark before the first line is skipped. The views last for the call only.
void ForEachIniLine(std::string_view text,
                    const std::function<void(bool header, std::string_view line)>& visit);

// A name as the comparisons match it: trimmed, ASCII letters in lower case.
std::string LowerName(std::string_view text);

// One line per change: "[section] key: old → new", "[section] key: added = v",
// "[section] key: removed (was v)".
std::string FormatKeyChange(const KeyChange& change);

}  // namespace kestrune::opti
