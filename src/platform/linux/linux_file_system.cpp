// File services on Linux (POSIX calls).
#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <set>

#include "platform/linux/linux_held_locks.h"

namespace kestrune::platform {
namespace {

using linux_internal::HoldsLockOn;

std::string ErrnoText(int err) {
  return std::strerror(err);
}

bool WriteAll(int fd, std::string_view data) {
  const char* p = data.data();
  size_t left = data.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

void SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

// This process's mark in its temporary names: random, because a pid says
// nothing across pid namespaces (two writers in two containers may both be
// pid 2), and nothing judges liveness by it.
const std::string& ProcessToken() {
  static const std::string token = [] {
    unsigned char bytes[8] = {};
    if (::getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
      uint64_t mix = static_cast<uint64_t>(::getpid()) * 0x9E3779B97F4A7C15ull ^
                     static_cast<uint64_t>(std::time(nullptr)) ^
                     reinterpret_cast<uintptr_t>(&bytes);
      std::memcpy(bytes, &mix, sizeof bytes);
    }
    char text[17];
    for (size_t i = 0; i < 8; ++i) std::snprintf(text + 2 * i, 3, "%02x", bytes[i]);
    return std::string(text, 16);
  }();
  return token;
}

// A name no other writer uses: hidden, with this process's token and a
// counter, and not ending in ".ini" so a folder clear never mistakes it for a
// game file: ".<name>.kst<token>-<n>.tmp".
std::string TempNameFor(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  std::string folder = ParentFolder(path);
  std::string name = "." + FileName(path) + ".kst" + ProcessToken() + "-" +
                     std::to_string(counter.fetch_add(1)) + ".tmp";
  return folder.empty() ? name : folder + "/" + name;
}

// The owner mark of one of our temporary names (".<name>.kst<mark>-<n>.tmp",
// the mark being a token, or a pid in files of older versions); empty when
// the name is not ours.
std::string_view TempOwner(std::string_view name) {
  static constexpr std::string_view kSuffix = ".tmp";
  if (name.size() < 10 || name[0] != '.' ||
      name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0)
    return {};
  size_t kst = name.rfind(".kst");
  if (kst == std::string_view::npos || kst == 0) return {};
  size_t dash = name.find('-', kst);
  if (dash == std::string_view::npos || dash == kst + 4) return {};
  for (size_t i = kst + 4; i < dash; ++i) {
    if (!std::isxdigit(static_cast<unsigned char>(name[i]))) return {};
  }
  if (dash + 1 == name.size() - kSuffix.size()) return {};
  for (size_t i = dash + 1; i < name.size() - kSuffix.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return {};
  }
  return name.substr(kst + 4, dash - kst - 4);
}

// Folders this process has scanned for stale temporaries: a process scans a
// folder once, before its first replace there, not at every write.
bool FirstWriteInto(const std::string& folder) {
  static std::mutex mutex;
  static std::set<std::string> scanned;
  std::lock_guard<std::mutex> hold(mutex);
  return scanned.insert(linux_internal::NormalisedFolder(folder)).second;
}

mode_t ProcessUmask() {
  // Read once, without the umask() call pair that would briefly change it
  // for every thread.
  static const mode_t mask = [] {
    mode_t found = 022;
    bool known = false;
    if (FILE* status = std::fopen("/proc/self/status", "re")) {
      char line[256];
      while (std::fgets(line, sizeof line, status)) {
        unsigned value = 0;
        if (std::sscanf(line, "Umask: %o", &value) == 1) {
          found = static_cast<mode_t>(value & 0777);
          known = true;
          break;
        }
      }
      std::fclose(status);
    }
    if (!known) {
      found = ::umask(022);
      ::umask(found);
    }
    return found;
  }();
  return mask;
}

// Whether the user may not write a file, from its status: no write bit at
// all, or none for this user. Root may write anything, yet a file the player
// marked read-only stays alone, so the bits themselves decide.
bool ReadOnlyByStatus(const std::string& path, const struct stat& st) {
  static const uid_t euid = ::geteuid();
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return true;
  if (euid == 0) return false;
  if (st.st_uid == euid) return (st.st_mode & S_IWUSR) == 0;
  return ::access(path.c_str(), W_OK) != 0;
}

// The handle of a file this process has just written stays open: the next
// operation on the same file reads it through that handle after one look at
// the path shows the path still names that very file (same device and
// inode), instead of opening it again. Every read still reads the file's
// current bytes; only the open and close are saved. A few files at most, so
// a flow's handful of files fit; closed when the file is replaced again,
// removed, flushed by the barrier, or pushed out by newer ones.
struct KeptHandle {
  std::string path;
  int fd = -1;
  dev_t dev = 0;
  ino_t ino = 0;
};
constexpr size_t kMaxKeptHandles = 8;
std::mutex gKeptMutex;
std::vector<KeptHandle> gKept;  // oldest first

// Removes `path`'s entry (the caller holds gKeptMutex); the handle is
// returned, not closed.
int TakeKept(const std::string& path) {
  for (auto it = gKept.begin(); it != gKept.end(); ++it) {
    if (it->path == path) {
      int fd = it->fd;
      gKept.erase(it);
      return fd;
    }
  }
  return -1;
}

void KeepHandle(const std::string& path, int fd, const struct stat& st) {
  int old = -1;
  int evicted = -1;
  {
    std::lock_guard<std::mutex> hold(gKeptMutex);
    old = TakeKept(path);
    if (gKept.size() >= kMaxKeptHandles) {
      evicted = gKept.front().fd;
      gKept.erase(gKept.begin());
    }
    gKept.push_back({path, fd, st.st_dev, st.st_ino});
  }
  if (old >= 0) ::close(old);
  if (evicted >= 0) ::close(evicted);
}

void DropKept(const std::string& path) {
  int fd;
  {
    std::lock_guard<std::mutex> hold(gKeptMutex);
    fd = TakeKept(path);
  }
  if (fd >= 0) ::close(fd);
}

}  // namespace

void RemoveStaleTemporaries(const std::string& folder) {
  const std::string dirPath = folder.empty() ? "." : folder;
  DIR* dir = ::opendir(dirPath.c_str());
  if (!dir) return;
  std::vector<std::string> candidates;
  while (dirent* e = ::readdir(dir)) {
    std::string_view owner = TempOwner(e->d_name);
    if (owner.empty() || owner == ProcessToken()) continue;
    candidates.emplace_back(e->d_name);
  }
  ::closedir(dir);
  if (candidates.empty()) return;
  // A writer that holds the folder's lock puts no lock on its temporary
  // file: judge only while nobody else holds the folder.
  int folderFd = -1;
  if (!HoldsLockOn(dirPath)) {
    folderFd = ::open(dirPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0) return;
    if (::flock(folderFd, LOCK_EX | LOCK_NB) != 0) {
      ::close(folderFd);
      return;
    }
  }
  for (const std::string& name : candidates) {
    std::string path = JoinPath(folder, name);
    int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    // A live writer holds its file's lock until the rename; the lock is
    // free only when the writer is gone. Unlink while holding it, so a
    // writer that takes the lock later finds its name gone and starts over.
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) ::unlink(path.c_str());
    ::close(fd);
  }
  if (folderFd >= 0) ::close(folderFd);
}

namespace {

// Reads the whole regular file behind `fd` (status `st`) into `result`: from
// the start with pread for a kept handle, else with read from where a new
// handle stands. False with `result` filled in on failure.
bool ReadRegularFile(int fd, const std::string& path, const struct stat& st, uint64_t maxBytes,
                     bool fromStart, ReadResult& result) {
  auto tooLarge = [&] {
    result.status = ReadStatus::kTooLarge;
    result.error = "file is larger than " + std::to_string(maxBytes) + " bytes";
    result.data = std::string();
    return false;
  };
  if (st.st_size < 0 || static_cast<uint64_t>(st.st_size) > maxBytes) return tooLarge();
  // One read normally does it: ask for a byte more than the size, so a
  // short count is the end of the file. A file that states no size (the
  // kernel's /proc files) is read in pages until the read returns nothing.
  const bool sized = st.st_size > 0;
  size_t capacity = static_cast<size_t>(
      std::min<uint64_t>(maxBytes + 1, std::max<uint64_t>(uint64_t(st.st_size) + 1, 4096)));
  size_t used = 0;
  result.data.resize(capacity);
  bool cleared = false;
  for (;;) {
    if (used == capacity) {
      if (used > maxBytes) return tooLarge();
      capacity = static_cast<size_t>(std::min<uint64_t>(maxBytes + 1, uint64_t{capacity} * 2));
      result.data.resize(capacity);
    }
    ssize_t n = fromStart ? ::pread(fd, result.data.data() + used, capacity - used,
                                    static_cast<off_t>(used))
                          : ::read(fd, result.data.data() + used, capacity - used);
    if (n < 0) {
      int err = errno;
      if (err == EINTR) continue;
      if (err == EAGAIN && !cleared) {
        int flags = ::fcntl(fd, F_GETFL);
        if (flags != -1 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0) {
          cleared = true;
          continue;
        }
      }
      result.status = ReadStatus::kError;
      result.error = ErrnoText(err);
      result.data = std::string();
      return false;
    }
    if (n == 0) break;
    used += static_cast<size_t>(n);
    if (sized && used < capacity && static_cast<uint64_t>(used) >= uint64_t(st.st_size)) break;
  }
  if (used > maxBytes) return tooLarge();
  result.data.resize(used);
  result.status = ReadStatus::kOk;
  result.permissions = static_cast<uint32_t>(st.st_mode & 07777);
  result.readOnly = ReadOnlyByStatus(path, st);
  return true;
}

// Reads through the handle kept from this process's last write of `path`,
// when the path still names that file. False when there is none to use.
bool ReadThroughKeptHandle(const std::string& path, uint64_t maxBytes, ReadResult& result) {
  std::unique_lock<std::mutex> hold(gKeptMutex);
  auto it =
      std::find_if(gKept.begin(), gKept.end(), [&](const KeptHandle& k) { return k.path == path; });
  if (it == gKept.end()) return false;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || st.st_dev != it->dev || st.st_ino != it->ino ||
      !S_ISREG(st.st_mode)) {
    int fd = TakeKept(path);
    hold.unlock();
    ::close(fd);
    return false;  // replaced or gone since: read it afresh
  }
  ReadRegularFile(it->fd, path, st, maxBytes, true, result);
  return true;
}

}  // namespace

ReadResult ReadWholeFile(const std::string& path, uint64_t maxBytes) {
  ReadResult result;
  if (ReadThroughKeptHandle(path, maxBytes, result)) return result;
  // Non-blocking: a FIFO in the file's place must not hold the open. The
  // flag means nothing for a regular file; should a file system still answer
  // EAGAIN, it is cleared then.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    int err = errno;
    result.status = (err == ENOENT || err == ENOTDIR) ? ReadStatus::kNotFound : ReadStatus::kError;
    result.error = ErrnoText(err);
    return result;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    result.error = ErrnoText(errno);
    ::close(fd);
    return result;
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    result.status = S_ISDIR(st.st_mode) ? ReadStatus::kIsDirectory : ReadStatus::kNotRegular;
    result.error = S_ISDIR(st.st_mode) ? ErrnoText(EISDIR) : "not a regular file";
    return result;
  }
  ReadRegularFile(fd, path, st, maxBytes, false, result);
  ::close(fd);
  return result;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PathExists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

bool IsWritable(const std::string& path, std::string* error) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return true;
  if (S_ISDIR(st.st_mode)) {
    SetError(error, ErrnoText(EISDIR));
    return false;
  }
  // Root passes access(W_OK) on anything, yet a file the player marked
  // read-only must stay alone: look at the permission bits themselves.
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0) {
    SetError(error, "file is read-only");
    return false;
  }
  return true;
}

bool ReplaceFileAtomically(const std::string& path, std::string_view data, std::string* error) {
  struct stat st {};
  std::optional<uint32_t> permissions;
  if (::stat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) {
      SetError(error, ErrnoText(EISDIR));
      return false;
    }
    permissions = static_cast<uint32_t>(st.st_mode & 07777);
  }
  return ReplaceFileAtomically(path, data, permissions, error);
}

bool ReplaceFileAtomically(const std::string& path, std::string_view data,
                           std::optional<uint32_t> permissions, std::string* error) {
  const std::string folder = ParentFolder(path);
  if (FirstWriteInto(folder)) RemoveStaleTemporaries(folder);
  // A new file gets 0666 less the umask from the open itself; an existing
  // file's bits need a chmod only when the umask would strip some of them.
  const mode_t wanted = permissions ? static_cast<mode_t>(*permissions & 07777) : 0;
  const mode_t createMode = permissions ? (wanted & 0777) : 0666;
  const bool needsChmod = permissions && (createMode & ~ProcessUmask()) != wanted;
  // Inside a folder this process holds locked, the folder's lock vouches for
  // the temporary file; elsewhere the writer locks the file itself.
  const bool covered = HoldsLockOn(folder);
  int err = 0;
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::string temp = TempNameFor(path);
    int fd = ::open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, createMode);
    if (fd < 0) {
      err = errno;
      if (err == EEXIST) continue;
      break;
    }
    if (!covered && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      // A scan caught the file before the lock: it removes it; start over.
      err = errno;
      ::close(fd);
      continue;
    }
    bool ok = WriteAll(fd, data);
    err = ok ? 0 : errno;
    if (ok && needsChmod && ::fchmod(fd, wanted) != 0) {
      ok = false;
      err = errno;
    }
    struct stat st {};
    if (ok && ::fstat(fd, &st) != 0) {
      ok = false;
      err = errno;
    }
    // (A file's own lock lasts until the rename.)
    if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
      ok = false;
      err = errno;
    }
    if (ok) {
      if (!covered) ::flock(fd, LOCK_UN);
      KeepHandle(path, fd, st);
      return true;
    }
    ::close(fd);
    ::unlink(temp.c_str());
    // ENOENT at the rename: a scan removed the temporary file between its
    // creation and the lock (writers outside a locked folder only).
    if (!(err == ENOENT && !covered)) break;
  }
  SetError(error, ErrnoText(err == 0 ? EIO : err));
  return false;
}

bool RemoveFile(const std::string& path, std::string* error) {
  DropKept(path);
  if (::unlink(path.c_str()) != 0) {
    SetError(error, ErrnoText(errno));
    return false;
  }
  return true;
}

bool CreateDirectories(const std::string& path) {
  if (path.empty()) return false;
  if (DirectoryExists(path)) return true;
  std::string partial;
  size_t pos = 0;
  while (pos <= path.size()) {
    size_t next = path.find('/', pos);
    if (next == std::string::npos) next = path.size();
    partial = path.substr(0, next);
    if (!partial.empty() && !DirectoryExists(partial)) {
      if (::mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    pos = next + 1;
  }
  return DirectoryExists(path);
}

std::vector<DirEntry> ListDirectory(const std::string& path) {
  std::vector<DirEntry> entries;
  DIR* dir = ::opendir(path.c_str());
  if (!dir) return entries;
  while (dirent* e = ::readdir(dir)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    bool isDirectory = e->d_type == DT_DIR;
    if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK)
      isDirectory = DirectoryExists(JoinPath(path, name));
    entries.push_back({name, isDirectory});
  }
  ::closedir(dir);
  return entries;
}

bool SyncFiles(const std::vector<std::string>& paths) {
  bool ok = true;
  std::set<std::string> folders;
  for (const std::string& p : paths) {
    // The handle kept from the last write, when the path still names that
    // file; else a new one, non-blocking: whatever took the file's place
    // since must not hold us.
    int fd = -1;
    {
      std::lock_guard<std::mutex> hold(gKeptMutex);
      auto it = std::find_if(gKept.begin(), gKept.end(),
                             [&](const KeptHandle& k) { return k.path == p; });
      struct stat st {};
      if (it != gKept.end() && ::stat(p.c_str(), &st) == 0 && st.st_dev == it->dev &&
          st.st_ino == it->ino)
        fd = TakeKept(p);
    }
    if (fd < 0) {
      DropKept(p);
      fd = ::open(p.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    }
    if (fd >= 0) {
      if (::fsync(fd) != 0) ok = false;
      ::close(fd);
    }
    std::string folder = ParentFolder(p);
    folders.insert(folder.empty() ? "." : folder);
  }
  for (const std::string& f : folders) {
    int fd = ::open(f.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) continue;
    if (::fsync(fd) != 0) ok = false;
    ::close(fd);
  }
  return ok;
}

std::string ParentFolder(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return "";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string FileName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

}  // namespace kestrune::platform

namespace kestrune::platform {

std::vector<SyncFailure> SyncFilesNamingFailures(const std::vector<std::string>& paths) {
  std::vector<SyncFailure> failures;
  std::set<std::string> folders;
  auto flush = [&](const std::string& path, int flags) {
    int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) {
      if (errno != ENOENT && errno != ENOTDIR) failures.push_back({path, ErrnoText(errno)});
      return;
    }
    if (::fsync(fd) != 0) failures.push_back({path, ErrnoText(errno)});
    ::close(fd);
  };
  for (const std::string& p : paths) {
    flush(p, O_RDONLY);
    std::string folder = ParentFolder(p);
    folders.insert(folder.empty() ? "." : folder);
  }
  for (const std::string& f : folders) flush(f, O_RDONLY | O_DIRECTORY);
  return failures;
}

bool IsSymbolicLink(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool IsDanglingLink(const std::string& path) {
  struct stat st {};
  return IsSymbolicLink(path) && ::stat(path.c_str(), &st) != 0 && errno == ENOENT;
}

std::string CanonicalPath(const std::string& path) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (!resolved) return "";
  std::string out = resolved;
  std::free(resolved);
  return out;
}

bool RemoveEmptyFolder(const std::string& path, std::string* error) {
  if (::rmdir(path.c_str()) != 0) {
    SetError(error, ErrnoText(errno));
    return false;
  }
  return true;
}

}  // namespace kestrune::platform
