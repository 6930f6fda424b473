// Where the game keeps its per-user files: the local application-data
// folder, and on Linux every place a Steam install may keep the game's
// Proton prefix.
#pragma once

#include <string>
#include <vector>

namespace kestrune::platform {

struct GameSearch {
  // The local application-data folder the game's files are under: the
  // Proton prefix's when one was found (Linux), otherwise the fallback.
  std::string localAppData;
  // A game prefix was found (Linux); on Windows the folder is the system's.
  bool found = false;
  // The folders looked at, in order (Proton prefixes' AppData/Local).
  std::vector<std::string> searched;
};

// Linux: $STEAM_COMPAT_DATA_PATH (when it is the game's), then the native
// Steam (~/.steam/steam, ~/.steam/root, ~/.local/share/Steam) and the
// Flatpak Steam (~/.var/app/com.valvesoftware.Steam/.local/share/Steam),
// each with the libraries its steamapps/libraryfolders.vdf lists. The
// fallback is $XDG_DATA_HOME. Windows: the known folder.
GameSearch FindGameFolders();

}  // namespace kestrune::platform
