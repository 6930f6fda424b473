// A small reader of Steam's KeyValues text ("VDF"), enough for
// steamapps/libraryfolders.vdf: quoted or bare tokens, nested { } blocks,
// // comments, \" \\ escapes. Portable text code, no system call.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrune::platform {

// Every value whose key is `key` (ASCII case ignored), at any depth, in file
// order. Text that does not parse yields the values read before the fault;
// depth and output are capped, so any input ends quickly.
std::vector<std::string> VdfValues(std::string_view text, std::string_view key);

// The library folders libraryfolders.vdf lists: the "path" values (both the
// current layout, "libraryfolders" { "0" { "path" "…" } }, and the old one,
// "LibraryFolders" { "1" "…" } with numbered keys).
std::vector<std::string> SteamLibraryFolders(std::string_view text);

}  // namespace kestrune::platform
