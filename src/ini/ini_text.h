// INI text rules shared by the game files, the backup index, Config.dat and
// the registry stand-in. Operations work on the file's bytes and change only
// the bytes they must; everything else (line endings, spacing, comments,
// blank lines, text before the first section, a UTF-8 byte-order mark) stays.
//
// Rules: lines end at CR LF, LF or CR and keep their own ending. Blanks are
// space and tab. Names compare trimmed and ASCII-case-insensitively. A header
// is a line whose first non-blank is '[' with a later ']'. A comment starts
// with ';' or '#'. Any other line in a section with '=' is a key line named
// by the trimmed text before its first '='. The first matching section and,
// in it, the first matching key are the ones read, set or deleted.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrune::ini {

// True when the text may be written as a name or value without injecting
// lines: no CR, LF or NUL.
bool IsSafeText(std::string_view text);

// True when section, key and value can be written as one header and one key
// line that read back as the same names (no CR/LF/NUL; no ']' in a section
// name, no '=' in a key name, key not empty).
bool IsWritableEntry(std::string_view section, std::string_view key, std::string_view value);

// Sets `key` in `section` to `value` (the write rule). Returns the new text.
std::string SetKey(std::string_view text, std::string_view section, std::string_view key,
                   std::string_view value);

// Removes the first matching key line; returns the text unchanged when the
// section or key is absent.
std::string DeleteKey(std::string_view text, std::string_view section, std::string_view key);

// Removes the first matching section's header and all its key lines.
std::string EraseSection(std::string_view text, std::string_view section);

// Key names of the first matching section, in file order (duplicates too).
std::vector<std::string> ListKeys(std::string_view text, std::string_view section);

// Key names and values (trimmed) of the first matching section, in file
// order; each duplicate key keeps its own value.
std::vector<std::pair<std::string, std::string>> ListEntries(std::string_view text,
                                                             std::string_view section);

// Names of all sections in file order.
std::vector<std::string> ListSections(std::string_view text);

// The value of the first matching key, blanks trimmed; nullopt when absent.
std::optional<std::string> ReadValue(std::string_view text, std::string_view section,
                                     std::string_view key);

// Splits text into lines at CR LF, LF or CR (no extra empty line after a
// final line break).
std::vector<std::string> SplitLines(std::string_view text);

// Joins lines, each followed by CR LF.
std::string JoinLinesCrLf(const std::vector<std::string>& lines);

bool NamesEqual(std::string_view a, std::string_view b);

}  // namespace kestrune::ini
