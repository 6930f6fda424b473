// File services on Windows (wide calls). A game file is replaced through a
// temporary file in the same folder, flushed, then renamed over the target in
// one step; a file held by another program is tried again a few times before
// the write fails.
#include "platform/file_system.h"

#include <atomic>
#include <mutex>
#include <set>

#include "platform/win32/win32_text.h"

namespace kestrune::platform {
namespace {

using win32::ErrorText;
using win32::FilePath;
using win32::Handle;
using win32::Narrow;
using win32::RetryWhileShared;

void SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

DWORD Attributes(const std::string& path) {
  return ::GetFileAttributesW(FilePath(path).c_str());
}

bool IsSeparator(char c) {
  return c == '/' || c == '\\';
}

// Length of the root at the path's start: "C:\" (3), "C:" (2), "\" (1),
// "\\server\share\" or "\\?\C:\" (all of it); 0 for a relative path.
size_t RootLength(const std::string& path) {
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    size_t pos = 2;
    // \\?\C:\ and \\.\ devices: the prefix, then a drive root if one follows.
    if (path.size() >= 4 && (path[2] == '?' || path[2] == '.') && IsSeparator(path[3])) {
      std::string rest = path.substr(4);
      if (rest.size() >= 2 && rest[1] == ':') return 4 + (rest.size() >= 3 ? 3 : 2);
      pos = 4;
      if (rest.rfind("UNC", 0) == 0 && rest.size() > 3 && IsSeparator(rest[3])) pos = 8;
    }
    // server and share names
    for (int part = 0; part < 2 && pos < path.size(); ++part) {
      while (pos < path.size() && !IsSeparator(path[pos])) ++pos;
      if (pos < path.size()) ++pos;
    }
    return pos;
  }
  if (path.size() >= 2 && path[1] == ':') return (path.size() >= 3 && IsSeparator(path[2])) ? 3 : 2;
  if (!path.empty() && IsSeparator(path[0])) return 1;
  return 0;
}

// ".<name>.kst<pid>-<n>.tmp": hidden from a folder clear (not ".ini") and
// tied to the writer, so a later writer can tell an orphan from a live one.
std::string TempNameFor(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  std::string name = "." + FileName(path) + ".kst" + std::to_string(::GetCurrentProcessId()) + "-" +
                     std::to_string(counter.fetch_add(1)) + ".tmp";
  return JoinPath(ParentFolder(path), name);
}

DWORD TempOwner(const std::string& name) {
  static constexpr std::string_view kSuffix = ".tmp";
  if (name.size() < 10 || name[0] != '.' ||
      name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0)
    return 0;
  size_t kst = name.rfind(".kst");
  if (kst == std::string::npos || kst == 0) return 0;
  size_t dash = name.find('-', kst);
  if (dash == std::string::npos || dash == kst + 4) return 0;
  unsigned long long pid = 0;
  for (size_t i = kst + 4; i < dash; ++i) {
    if (name[i] < '0' || name[i] > '9' || pid > 0xFFFFFFFFull) return 0;
    pid = pid * 10 + static_cast<unsigned>(name[i] - '0');
  }
  for (size_t i = dash + 1; i < name.size() - kSuffix.size(); ++i)
    if (name[i] < '0' || name[i] > '9') return 0;
  return pid > 0xFFFFFFFFull ? 0 : static_cast<DWORD>(pid);
}

bool ProcessRuns(DWORD pid) {
  HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (!process) return ::GetLastError() != ERROR_INVALID_PARAMETER;  // denied: someone's
  bool running = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  ::CloseHandle(process);
  return running;
}

bool WriteAll(HANDLE file, std::string_view data) {
  while (!data.empty()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size(), 1u << 24));
    DWORD written = 0;
    if (!::WriteFile(file, data.data(), chunk, &written, nullptr) || written == 0) return false;
    data.remove_prefix(written);
  }
  return true;
}

// The error a rename over the file would meet when another handle keeps it
// from being written or deleted; 0 when nothing stands in the way (or it is
// gone).
DWORD HeldByAnotherProgram(const std::wstring& target) {
  Handle probe(::CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (probe.valid()) return 0;
  DWORD err = ::GetLastError();
  return win32::IsTransientSharingError(err) ? err : 0;
}

// Each process scans a folder for orphans the first time it replaces a file
// there; a flow scans its folder again when it starts.
void RemoveStaleTemporariesOnce(const std::string& folder) {
  static std::mutex mutex;
  static std::set<std::string> scanned;
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (!scanned.insert(folder).second) return;
  }
  RemoveStaleTemporaries(folder);
}

}  // namespace

// A writer killed between creating its temporary file and the swap leaves
// that file behind; this removes the files of writers that no longer run. A live writer keeps its
// file open without delete sharing, so even a reused process id cannot lose it its file.
void RemoveStaleTemporaries(const std::string& folder) {
  const DWORD self = ::GetCurrentProcessId();
  for (const DirEntry& e : ListDirectory(folder.empty() ? "." : folder)) {
    if (e.isDirectory) continue;
    DWORD owner = TempOwner(e.name);
    if (owner == 0 || owner == self || ProcessRuns(owner)) continue;
    ::DeleteFileW(FilePath(JoinPath(folder, e.name)).c_str());
  }
}

ReadResult ReadWholeFile(const std::string& path, uint64_t maxBytes) {
  ReadResult result;
  const std::wstring wide = FilePath(path);
  DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    DWORD err = ::GetLastError();
    result.status = (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND ||
                     err == ERROR_INVALID_NAME || err == ERROR_BAD_NETPATH)
                        ? ReadStatus::kNotFound
                        : ReadStatus::kError;
    result.error = ErrorText(err);
    return result;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    result.status = ReadStatus::kIsDirectory;
    result.error = "is a folder";
    return result;
  }
  Handle file;
  DWORD err = RetryWhileShared([&] {
    file.Reset(::CreateFileW(wide.c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid() ? DWORD{0} : ::GetLastError();
  });
  if (err != 0) {
    result.status = (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND)
                        ? ReadStatus::kNotFound
                        : ReadStatus::kError;
    result.error = ErrorText(err);
    if (win32::IsTransientSharingError(err)) result.error += "; another program holds the file";
    return result;
  }
  // Only files on a disk are read: a named pipe or a device (NUL, CON, a
  // serial port) could block or never end.
  if (::GetFileType(file.get()) != FILE_TYPE_DISK) {
    result.status = ReadStatus::kNotRegular;
    result.error = "not a regular file";
    return result;
  }
  LARGE_INTEGER size{};
  if (::GetFileSizeEx(file.get(), &size) && static_cast<uint64_t>(size.QuadPart) > maxBytes) {
    result.status = ReadStatus::kTooLarge;
    result.error = "file too large (" + std::to_string(size.QuadPart) + " bytes)";
    return result;
  }
  if (size.QuadPart > 0) result.data.reserve(static_cast<size_t>(size.QuadPart));
  char buffer[65536];
  for (;;) {
    DWORD n = 0;
    if (!::ReadFile(file.get(), buffer, sizeof buffer, &n, nullptr)) {
      result.status = ReadStatus::kError;
      result.error = ErrorText(::GetLastError());
      result.data.clear();
      return result;
    }
    if (n == 0) break;
    if (result.data.size() + n > maxBytes) {  // grew while we read
      result.status = ReadStatus::kTooLarge;
      result.error = "file too large";
      result.data.clear();
      return result;
    }
    result.data.append(buffer, n);
  }
  result.status = ReadStatus::kOk;
  result.readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  return result;
}

bool FileExists(const std::string& path) {
  DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
  DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool PathExists(const std::string& path) {
  return Attributes(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsWritable(const std::string& path, std::string* error) {
  DWORD a = Attributes(path);
  if (a == INVALID_FILE_ATTRIBUTES) return true;
  if (a & FILE_ATTRIBUTE_DIRECTORY) {
    SetError(error, "is a folder");
    return false;
  }
  if (a & FILE_ATTRIBUTE_READONLY) {
    SetError(error, "file is read-only");
    return false;
  }
  return true;
}

bool ReplaceFileAtomically(const std::string& path, std::string_view data, std::string* error) {
  const std::wstring target = FilePath(path);
  DWORD attributes = ::GetFileAttributesW(target.c_str());
  bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    SetError(error, "is a folder");
    return false;
  }
  // A file the user made read-only stays alone (and would only be refused).
  if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) {
    SetError(error, "file is read-only");
    return false;
  }
  RemoveStaleTemporariesOnce(ParentFolder(path));
  const std::wstring temp = FilePath(TempNameFor(path));
  Handle file(::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    SetError(error, ErrorText(::GetLastError()));
    return false;
  }
  DWORD err = 0;
  if (!WriteAll(file.get(), data) || !::FlushFileBuffers(file.get())) err = ::GetLastError();
  file.Reset();
  // The rename takes the temporary file's attributes: carry the target's over
  // (hidden, archive...), as a swap that keeps them would.
  constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                          FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  if (err == 0 && exists && (attributes & kKept) != 0)
    ::SetFileAttributesW(temp.c_str(), attributes & kKept);
  if (err == 0) {
    // One rename over the target (MoveFileExW with MOVEFILE_REPLACE_EXISTING
    // | MOVEFILE_WRITE_THROUGH), never ReplaceFileW: Wine's ReplaceFileW moves
    // the old file aside before moving the new one in, so a writer ended
    // between the two leaves no game file at all (found by the kill test).
    err = RetryWhileShared([&] {
      // A target another program holds is found by opening it as the rename
      // will, so the error names the sharing problem.
      if (DWORD held = HeldByAnotherProgram(target); held != 0) return held;
      if (::MoveFileExW(temp.c_str(), target.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return DWORD{0};
      return ::GetLastError();
    });
  }
  if (err != 0) {
    ::DeleteFileW(temp.c_str());
    std::string text = ErrorText(err);
    if (win32::IsTransientSharingError(err)) text += "; another program holds the file";
    SetError(error, text);
    return false;
  }
  return true;
}

// Windows keeps no permission bits to carry over: the swap keeps the
// target's attributes and security itself.
bool ReplaceFileAtomically(const std::string& path, std::string_view data,
                           std::optional<uint32_t> /*permissions*/, std::string* error) {
  return ReplaceFileAtomically(path, data, error);
}

bool RemoveFile(const std::string& path, std::string* error) {
  const std::wstring wide = FilePath(path);
  DWORD err =
      RetryWhileShared([&] { return ::DeleteFileW(wide.c_str()) ? DWORD{0} : ::GetLastError(); });
  if (err != 0) {
    SetError(error, ErrorText(err));
    return false;
  }
  return true;
}

bool CreateDirectories(const std::string& path) {
  if (path.empty()) return false;
  size_t root = RootLength(path);
  size_t pos = root;
  while (pos <= path.size()) {
    size_t next = pos;
    while (next < path.size() && !IsSeparator(path[next])) ++next;
    std::string partial = path.substr(0, next);
    if (next > root && !DirectoryExists(partial)) {
      if (!::CreateDirectoryW(FilePath(partial).c_str(), nullptr) &&
          ::GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    }
    pos = next + 1;
  }
  return DirectoryExists(path);
}

std::vector<DirEntry> ListDirectory(const std::string& path) {
  std::vector<DirEntry> entries;
  std::wstring pattern = FilePath(JoinPath(path, "*"));
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return entries;
  do {
    std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    entries.push_back({Narrow(name), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
  return entries;
}

bool SyncFiles(const std::vector<std::string>& paths) {
  // Windows has no folder flush: the swap itself was written through, and
  // each file's data is flushed here.
  bool ok = true;
  for (const std::string& p : paths) {
    Handle file(::CreateFileW(FilePath(p).c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
      DWORD err = ::GetLastError();
      // Gone (removed by the flow) or read-only (never changed): nothing to flush.
      if (err != ERROR_FILE_NOT_FOUND && err != ERROR_PATH_NOT_FOUND && err != ERROR_ACCESS_DENIED)
        ok = false;
      continue;
    }
    if (!::FlushFileBuffers(file.get())) ok = false;
  }
  return ok;
}

std::string ParentFolder(const std::string& path) {
  size_t root = RootLength(path);
  size_t sep = path.find_last_of("/\\");
  if (sep == std::string::npos || sep < root) return root > 0 ? path.substr(0, root) : "";
  if (sep + 1 == root) return path.substr(0, root);  // a file right in the root
  return path.substr(0, sep);
}

std::string FileName(const std::string& path) {
  size_t root = RootLength(path);
  size_t sep = path.find_last_of("/\\");
  if (sep == std::string::npos || sep < root) return path.substr(root);
  return path.substr(sep + 1);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (IsSeparator(folder.back())) return folder + name;
  if (folder.size() == 2 && folder[1] == ':') return folder + name;  // "C:" + "x" = drive-relative
  return folder + kPathSeparator + name;
}

// ---- Backup checks: flush with names, links, folders ----

std::vector<SyncFailure> SyncFilesNamingFailures(const std::vector<std::string>& paths) {
  std::vector<SyncFailure> failures;
  for (const std::string& p : paths) {
    DWORD attributes = Attributes(p);
    // Gone (removed by the flow): nothing to flush. Folders have no flush of
    // their own here: each swap was written through.
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    // A read-only file was never changed by us.
    if (attributes & FILE_ATTRIBUTE_READONLY) continue;
    Handle file(::CreateFileW(FilePath(p).c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
      DWORD err = ::GetLastError();
      if (err != ERROR_FILE_NOT_FOUND && err != ERROR_PATH_NOT_FOUND)
        failures.push_back({p, ErrorText(err)});
      continue;
    }
    if (!::FlushFileBuffers(file.get())) failures.push_back({p, ErrorText(::GetLastError())});
  }
  return failures;
}

bool IsSymbolicLink(const std::string& path) {
  DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool IsDanglingLink(const std::string& path) {
  if (!IsSymbolicLink(path)) return false;
  // Opening follows the link: a missing target is what makes it dangle.
  Handle target(::CreateFileW(FilePath(path).c_str(), 0,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (target.valid()) return false;
  DWORD err = ::GetLastError();
  return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND;
}

std::string CanonicalPath(const std::string& path) {
  Handle file(::CreateFileW(FilePath(path).c_str(), 0,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.valid()) return {};
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = ::GetFinalPathNameByHandleW(file.get(), buffer.data(),
                                          static_cast<DWORD>(buffer.size()), FILE_NAME_NORMALIZED);
    if (n == 0) return {};
    if (n < buffer.size()) {
      buffer.resize(n);
      break;
    }
    buffer.resize(n + 1);
  }
  return Narrow(buffer);
}

bool RemoveEmptyFolder(const std::string& path, std::string* error) {
  if (::RemoveDirectoryW(FilePath(path).c_str())) return true;
  SetError(error, ErrorText(::GetLastError()));
  return false;
}

}  // namespace kestrune::platform
