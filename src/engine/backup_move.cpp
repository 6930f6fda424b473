#include "engine/backup_move.h"

#include "platform/debug_log.h"
#include "platform/file_system.h"
#include "platform/own_places.h"

namespace kestrune {
namespace {

std::string WithoutSeparator(std::string folder) {
  while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
  return folder;
}

}  // namespace

bool MoveLegacyBackups(const std::string& legacyRoot, const std::string& root) {
  const std::string from = WithoutSeparator(legacyRoot);
  const std::string to = WithoutSeparator(root);
  if (from.empty() || to.empty() || from == to || !platform::DirectoryExists(from) ||
      platform::PathExists(to))
    return true;
  std::string error;
  platform::CreateDirectories(platform::ParentFolder(to));
  if (!platform::MovePath(from, to, &error)) {
    DebugLogF("Backups: cannot move %s to %s: %s", from.c_str(), to.c_str(), error.c_str());
    return false;
  }
  DebugLogF("Backups: moved %s to %s", from.c_str(), to.c_str());
  // The old "Kestrune" folder held only the backups: it goes when empty.
  platform::RemoveEmptyFolder(platform::ParentFolder(from));
  // The index names each folder by its full path: the old root becomes the new.
  const std::string index = platform::JoinPath(to, "config.dat");
  platform::ReadResult read = platform::ReadWholeFile(index);
  if (read.status != platform::ReadStatus::kOk) return true;
  std::string text = read.data;
  const std::string oldPrefix = from + platform::kPathSeparator;
  const std::string newPrefix = to + platform::kPathSeparator;
  for (size_t at = text.find(oldPrefix); at != std::string::npos;
       at = text.find(oldPrefix, at + newPrefix.size())) {
    text.replace(at, oldPrefix.size(), newPrefix);
  }
  if (!platform::ReplaceFileAtomically(index, text, read.permissions, &error))
    DebugLogF("Backups: cannot rewrite %s: %s", index.c_str(), error.c_str());
  return true;
}

}  // namespace kestrune
