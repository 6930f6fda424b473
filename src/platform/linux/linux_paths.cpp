// Where files live on Linux: XDG folders, or the game's Proton prefix.
#include "platform/paths.h"

#include <limits.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/file_system.h"
#include "platform/own_places.h"

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

// The game runs under Proton; its Windows "local application data" lives in
// the prefix Steam keeps for app 578080.
std::string ProtonLocalAppData() {
  const char* kProtonUser = "steamapps/compatdata/578080/pfx/drive_c/users/steamuser/AppData/Local";
  std::string home = HomeFolder();
  if (home.empty()) return "";
  for (const char* steamRoot : {".steam/steam", ".local/share/Steam", ".steam/root"}) {
    std::string candidate = JoinPath(JoinPath(home, steamRoot), kProtonUser);
    if (DirectoryExists(candidate)) return candidate;
  }
  return "";
}

}  // namespace

std::string LocalAppDataFolder() {
  std::string proton = ProtonLocalAppData();
  if (!proton.empty()) return proton;
  return XdgFolder("XDG_DATA_HOME", ".local/share");
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
