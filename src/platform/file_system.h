// File services the core needs from the operating system: whole-file reads,
// atomic replacement, copies, listings and the durability barrier.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune::platform {

// The system's own separator, used when the program builds a path. Windows
// accepts '/' as well, so there the helpers below split at either one.
#if defined(_WIN32)
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// kNotRegular: a FIFO, a device, a socket (or a link to one): never read, so
// a FIFO cannot block and /dev/zero cannot fill the memory. kTooLarge: a
// regular file above the caller's cap.
enum class ReadStatus { kOk, kNotFound, kIsDirectory, kNotRegular, kTooLarge, kError };

// Cap of a whole-file read: far above any game or settings file.
inline constexpr uint64_t kMaxReadBytes = 64u << 20;

struct ReadResult {
  ReadStatus status = ReadStatus::kError;
  std::string data;
  std::string error;  // the system's reason when status is not kOk
  // When status is kOk: the file's permission bits, and whether the user
  // may not write it (the rule of IsWritable), taken from the same open
  // handle so a read-modify-replace needs no second look at the file.
  uint32_t permissions = 0;
  bool readOnly = false;
};

// Opens without blocking, checks the open handle is a regular file, reads at
// most `maxBytes` (more is kTooLarge, nothing returned).
ReadResult ReadWholeFile(const std::string& path, uint64_t maxBytes = kMaxReadBytes);

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
// The same, for a caller that has just read the file: `permissions` are its
// ReadResult::permissions (nullopt when it did not exist), so they are not
// looked up again.
bool ReplaceFileAtomically(const std::string& path, std::string_view data,
                           std::optional<uint32_t> permissions, std::string* error);

// A writer killed between creating its temporary file and the rename leaves
// that file behind. This removes such files in `folder`; a temporary file
// whose writer still runs is kept, in whatever process or pid namespace the
// writer lives (each writer holds a lock on its temporary file). A process
// scans a folder the first time it replaces a file there; a flow (Apply,
// restore, clear) scans the game's folder again at its start.
void RemoveStaleTemporaries(const std::string& folder);

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

// Path helpers at the system's separators. The parent of a root ("/",
// "C:\\") is the root itself; JoinPath adds kPathSeparator unless the folder
// already ends in a separator.
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
