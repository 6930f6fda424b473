#include "env/config_location.h"

#include <mutex>

#include "env/settings_store.h"
#include "platform/debug_log.h"
#include "platform/file_system.h"
#include "platform/own_places.h"

namespace kestrune {
namespace {

std::string Settle() {
  std::string folder = platform::SettingsFileFolder();
  std::string legacyFolder = platform::LegacySettingsFileFolder();
  if (folder.empty()) return platform::JoinPath(legacyFolder, kConfigFileName);
  std::string path = platform::JoinPath(folder, kConfigFileName);
  if (!platform::CreateDirectories(folder))
    DebugLogF("Config.dat: cannot create %s", folder.c_str());
  if (legacyFolder.empty()) return path;
  std::string legacy = platform::JoinPath(legacyFolder, kConfigFileName);
  if (platform::PathExists(path) || !platform::FileExists(legacy)) return path;
  platform::ReadResult read = platform::ReadWholeFile(legacy);
  std::string error = read.error;
  if (read.status == platform::ReadStatus::kOk &&
      platform::ReplaceFileAtomically(path, read.data, &error)) {
    DebugLogF("Config.dat: moved %s to %s", legacy.c_str(), path.c_str());
    // An installed program's folder is not the user's to change: the old
    // copy then stays, unread from now on.
    if (!platform::RemoveFile(legacy, &error))
      DebugLogF("Config.dat: cannot remove %s: %s", legacy.c_str(), error.c_str());
    return path;
  }
  DebugLogF("Config.dat: cannot move %s to %s (%s); it stays in use", legacy.c_str(), path.c_str(),
            error.c_str());
  return legacy;
}

}  // namespace

std::string SettledConfigFilePath() {
  static std::once_flag once;
  static std::string path;
  std::call_once(once, [] { path = Settle(); });
  return path;
}

}  // namespace kestrune
