// Where files live on Linux: XDG folders, or the game's Proton prefix.
#include "platform/paths.h"

#include <limits.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/file_system.h"
#include "platform/game_search.h"
#include "platform/own_places.h"
#include "platform/steam_vdf.h"

namespace kestrune::platform {
namespace {

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "";
}

std::string XdgFolder(const char* variable, const char* fallbackUnderHome) {
  if (const char* value = std::getenv(variable); value && *value == '/') return value;
  std::string home = HomeFolder();
  if (home.empty()) return "";
  return JoinPath(home, fallbackUnderHome);
}

constexpr const char* kGameAppId = "578080";
constexpr const char* kPrefixLocal = "pfx/drive_c/users/steamuser/AppData/Local";

void AddOnce(std::vector<std::string>& list, const std::string& item) {
  for (const std::string& seen : list)
    if (seen == item) return;
  list.push_back(item);
}

}  // namespace

// The game runs under Proton; its Windows "local application data" lives in
// the prefix Steam keeps for app 578080 in one of its libraries.
GameSearch FindGameFolders() {
  GameSearch search;
  std::vector<std::string> compat;  // compatdata/578080 folders, in order
  // Steam names the running game's prefix folder when it starts a tool.
  if (const char* path = std::getenv("STEAM_COMPAT_DATA_PATH");
      path && *path == '/' && FileName(path) == kGameAppId)
    AddOnce(compat, path);
  std::string home = HomeFolder();
  if (!home.empty()) {
    std::vector<std::string> roots;
    for (const char* root : {".steam/steam", ".steam/root", ".local/share/Steam",
                             ".var/app/com.valvesoftware.Steam/.local/share/Steam"}) {
      std::string folder = JoinPath(home, root);
      // A link (~/.steam/steam) counts once, as the folder it names; a
      // missing root is still listed as a place looked at.
      std::string resolved = CanonicalPath(folder);
      AddOnce(roots, resolved.empty() ? folder : resolved);
    }
    std::vector<std::string> libraries;
    for (const std::string& root : roots) {
      AddOnce(libraries, root);
      ReadResult vdf = ReadWholeFile(JoinPath(root, "steamapps/libraryfolders.vdf"), 1u << 20);
      if (vdf.status != ReadStatus::kOk) continue;
      for (const std::string& library : SteamLibraryFolders(vdf.data)) {
        if (library.empty() || library[0] != '/') continue;
        std::string resolved = CanonicalPath(library);
        AddOnce(libraries, resolved.empty() ? library : resolved);
      }
    }
    for (const std::string& library : libraries)
      AddOnce(compat, JoinPath(library, std::string("steamapps/compatdata/") + kGameAppId));
  }
  for (const std::string& folder : compat) {
    std::string candidate = JoinPath(folder, kPrefixLocal);
    search.searched.push_back(candidate);
    if (!search.found && DirectoryExists(candidate)) {
      search.found = true;
      search.localAppData = candidate;
    }
  }
  if (!search.found) search.localAppData = XdgFolder("XDG_DATA_HOME", ".local/share");
  return search;
}

namespace {}  // namespace

std::string LocalAppDataFolder() {
  return FindGameFolders().localAppData;
}

std::string ExecutablePath() {
  char buffer[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return "";
  return std::string(buffer, static_cast<size_t>(n));
}

std::string ExecutableFolder() {
  return ParentFolder(ExecutablePath());
}

std::string UserSettingsFolder() {
  return XdgFolder("XDG_CONFIG_HOME", ".config");
}

// ---- Kestrune's own files ----

std::string SettingsFileFolder() {
  std::string config = UserSettingsFolder();
  return config.empty() ? "" : JoinPath(config, "KestruneTools");
}

std::string LegacySettingsFileFolder() {
  std::string folder = ExecutableFolder();
  return folder == SettingsFileFolder() ? "" : folder;
}

std::string OwnDataFolder() {
  std::string data = XdgFolder("XDG_DATA_HOME", ".local/share");
  return data.empty() ? "" : JoinPath(data, "Kestrune");
}

std::string LegacyOwnDataFolder() {
  std::string local = LocalAppDataFolder();
  if (local.empty()) return "";
  std::string legacy = JoinPath(local, "Kestrune");
  return legacy == OwnDataFolder() ? "" : legacy;
}

bool MovePath(const std::string& from, const std::string& to, std::string* error) {
  if (std::rename(from.c_str(), to.c_str()) == 0) return true;
  if (error) *error = std::strerror(errno);
  return false;
}

}  // namespace kestrune::platform
