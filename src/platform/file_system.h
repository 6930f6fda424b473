// File services the core needs from the operating system: whole-file reads,
// atomic replacement, copies, listings and the durability barrier.
#pragma once

#include <string>
#include <vector>

namespace kestrune::platform {

inline constexpr char kPathSeparator = '/';

enum class ReadStatus { kOk, kNotFound, kIsDirectory, kError };

struct ReadResult {
  ReadStatus status = ReadStatus::kError;
  std::string data;
  std::string error;  // the system's reason when status is not kOk
};

ReadResult ReadWholeFile(const std::string& path);

bool FileExists(const std::string& path);  // a regular file (or a link to one)
bool DirectoryExists(const std::string& path);
bool PathExists(const std::string& path);  // anything at all

// False when the file exists and the user may not write it (read-only).
// A missing file counts as writable: creating it is up to its folder.
bool IsWritable(const std::string& path, std::string* error = nullptr);

// Replaces (or creates) `path` with `data`: temporary file in the same folder,
// then rename. Keeps an existing file's permission bits. Never leaves a torn
// file behind; on failure the target is unchanged and `error` says why.
bool ReplaceFileAtomically(const std::string& path, std::string_view data,
                           std::string* error = nullptr);

// Copies `from` over `to` atomically (same rules as above).
bool CopyFileReplacing(const std::string& from, const std::string& to,
                       std::string* error = nullptr);

bool RemoveFile(const std::string& path, std::string* error = nullptr);
bool CreateDirectories(const std::string& path);

struct DirEntry {
  std::string name;
  bool isDirectory = false;
};
std::vector<DirEntry> ListDirectory(const std::string& path);

// Durability barrier: flushes the files and the folders that hold them.
bool SyncFiles(const std::vector<std::string>& paths);

std::string ParentFolder(const std::string& path);
std::string FileName(const std::string& path);
std::string JoinPath(const std::string& folder, const std::string& name);

}  // namespace kestrune::platform

namespace kestrune::platform {

// ---- Backup checks: flush with names, links, folders ----

struct SyncFailure {
  std::string path;
  std::string error;
};
// The durability barrier of SyncFiles, naming every file or folder whose
// flush failed. A path that no longer exists is no failure (a deleted file:
// its folder is flushed).
std::vector<SyncFailure> SyncFilesNamingFailures(const std::vector<std::string>& paths);

// The path itself is a symbolic link (not followed).
bool IsSymbolicLink(const std::string& path);
// A symbolic link whose target does not exist.
bool IsDanglingLink(const std::string& path);
// Absolute path with every link, "." and ".." resolved; empty when the path
// cannot be resolved (missing, no permission).
std::string CanonicalPath(const std::string& path);
// Removes an empty folder.
bool RemoveEmptyFolder(const std::string& path, std::string* error = nullptr);

}  // namespace kestrune::platform
