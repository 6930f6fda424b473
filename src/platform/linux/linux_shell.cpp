// The desktop shell on Linux: xdg-open (found in PATH, so a desktop or a
// test may put its own first) for documents and addresses; Steam counts as
// registered when its launcher is found.
#include "platform/shell.h"

#include <cstdlib>

#include "platform/debug_log.h"
#include "platform/file_system.h"
#include "platform/process.h"

namespace kestrune::platform {
namespace {

constexpr const char* kDesktopOpener = "xdg-open";

bool RunOpener(const std::string& target) {
  std::string error;
  if (SpawnDetached({kDesktopOpener, target}, &error) != 0) return true;
  DebugLogF("shell: cannot start %s for '%s' (%s)", kDesktopOpener, target.c_str(), error.c_str());
  return false;
}

}  // namespace

bool ShellOpenTarget(const std::string& target, const std::vector<std::string>& parameters) {
  if (target.empty()) return false;
  if (target.find('/') != std::string::npos && IsExecutableFile(target)) {
    std::vector<std::string> argv{target};
    argv.insert(argv.end(), parameters.begin(), parameters.end());
    std::string error;
    if (SpawnDetached(argv, &error) != 0) return true;
    DebugLogF("shell: cannot start %s (%s)", target.c_str(), error.c_str());
    return false;
  }
  return RunOpener(target);
}

bool OpenAddressThroughDesktop(const std::string& address) {
  return RunOpener(address);
}

std::string SteamRegistrationCommand() {
  std::string inPath = FindInSearchPath("steam");
  if (!inPath.empty()) return inPath;
  std::string home;
  if (const char* h = std::getenv("HOME"); h && *h) home = h;
  std::vector<std::string> candidates;
  if (!home.empty()) {
    for (const char* rel :
         {".steam/steam/steam.sh", ".steam/root/steam.sh", ".local/share/Steam/steam.sh",
          ".var/app/com.valvesoftware.Steam/.local/share/Steam/steam.sh"})
      candidates.push_back(JoinPath(home, rel));
  }
  candidates.push_back("/usr/games/steam");
  candidates.push_back("/var/lib/flatpak/exports/bin/com.valvesoftware.Steam");
  for (const std::string& c : candidates)
    if (FileExists(c)) return c;
  return "";
}

}  // namespace kestrune::platform
