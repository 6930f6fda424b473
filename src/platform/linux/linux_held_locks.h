// Which folders this process holds a ScopedFileLock on, for the file layer:
// a writer inside such a folder needs no lock of its own on its temporary
// file, because a stale-file scan only judges while it holds the folder's lock.
#pragma once

#include <string>

namespace kestrune::platform::linux_internal {

// `path` without trailing separators ("." for an empty one).
std::string NormalisedFolder(const std::string& path);

void NoteLockHeld(const std::string& path);
void NoteLockReleased(const std::string& path);
bool HoldsLockOn(const std::string& folder);

}  // namespace kestrune::platform::linux_internal
