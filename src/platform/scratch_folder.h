// A private folder under the system's temporary folder, for work that must
// not touch the user's files (the dry run of Apply), and its removal.
#pragma once

#include <string>
#include <string_view>

namespace kestrune::platform {

// Creates a new, empty folder named `prefix` plus a unique part, readable by
// this user only where the system has such rights; empty on failure.
std::string CreateScratchFolder(std::string_view prefix);

// Removes `folder` and everything in it; read-only files go too. Links are
// removed, never followed. False when something stayed behind.
bool RemoveTree(const std::string& folder);

// Marks a file read-only the way a user does (no write permission bits; the
// read-only attribute on Windows).
bool MarkReadOnly(const std::string& path);

}  // namespace kestrune::platform
