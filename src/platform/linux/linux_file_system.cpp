// File services on Linux (POSIX calls).
#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <set>

namespace kestrune::platform {
namespace {

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

// A name no other writer uses: hidden, with our pid and a counter, and not
// ending in ".ini" so a folder clear never mistakes it for a game file.
std::string TempNameFor(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  std::string folder = ParentFolder(path);
  std::string name = "." + FileName(path) + ".kst" + std::to_string(::getpid()) + "-" +
                     std::to_string(counter.fetch_add(1)) + ".tmp";
  return folder.empty() ? name : folder + "/" + name;
}

// Parses the pid out of one of our temporary names (".<name>.kst<pid>-<n>.tmp");
// 0 when the name is not ours.
pid_t TempOwner(const std::string& name) {
  static constexpr std::string_view kSuffix = ".tmp";
  if (name.size() < 10 || name[0] != '.' ||
      name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0)
    return 0;
  size_t kst = name.rfind(".kst");
  if (kst == std::string::npos || kst == 0) return 0;
  size_t dash = name.find('-', kst);
  if (dash == std::string::npos || dash == kst + 4) return 0;
  pid_t pid = 0;
  for (size_t i = kst + 4; i < dash; ++i) {
    if (name[i] < '0' || name[i] > '9' || pid > 100000000) return 0;
    pid = pid * 10 + (name[i] - '0');
  }
  for (size_t i = dash + 1; i < name.size() - kSuffix.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return 0;
  }
  return pid;
}

// A writer killed between creating its temporary file and the rename leaves
// that file behind. The next write into the same folder removes such files
// of processes that no longer run, so they never pile up.
void RemoveStaleTemporaries(const std::string& folder) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return;
  const pid_t self = ::getpid();
  std::vector<std::string> stale;
  while (dirent* e = ::readdir(dir)) {
    std::string name = e->d_name;
    pid_t owner = TempOwner(name);
    if (owner <= 0 || owner == self) continue;
    if (::kill(owner, 0) == 0 || errno != ESRCH) continue;  // alive, or not ours to judge
    stale.push_back(name);
  }
  ::closedir(dir);
  for (const std::string& name : stale) ::unlink(JoinPath(folder, name).c_str());
}

}  // namespace

ReadResult ReadWholeFile(const std::string& path) {
  ReadResult result;
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    int err = errno;
    result.status = (err == ENOENT || err == ENOTDIR) ? ReadStatus::kNotFound : ReadStatus::kError;
    result.error = ErrnoText(err);
    return result;
  }
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    result.status = ReadStatus::kIsDirectory;
    result.error = ErrnoText(EISDIR);
    return result;
  }
  if (st.st_size > 0) result.data.reserve(static_cast<size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      result.status = ReadStatus::kError;
      result.error = ErrnoText(errno);
      ::close(fd);
      result.data.clear();
      return result;
    }
    if (n == 0) break;
    result.data.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  result.status = ReadStatus::kOk;
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
  mode_t mode = 0644;
  bool exists = ::stat(path.c_str(), &st) == 0;
  if (exists) {
    if (S_ISDIR(st.st_mode)) {
      SetError(error, ErrnoText(EISDIR));
      return false;
    }
    mode = st.st_mode & 07777;
  }
  RemoveStaleTemporaries(ParentFolder(path));
  std::string temp = TempNameFor(path);
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) {
    SetError(error, ErrnoText(errno));
    return false;
  }
  bool ok = WriteAll(fd, data);
  int err = errno;
  if (ok && ::fchmod(fd, exists ? mode : (0666 & ~[] {
                       mode_t m = ::umask(0);
                       ::umask(m);
                       return m;
                     }())) != 0) {
    ok = false;
    err = errno;
  }
  if (::close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    SetError(error, ErrnoText(err));
  }
  return ok;
}

bool CopyFileReplacing(const std::string& from, const std::string& to, std::string* error) {
  ReadResult source = ReadWholeFile(from);
  if (source.status != ReadStatus::kOk) {
    SetError(error, source.error);
    return false;
  }
  return ReplaceFileAtomically(to, source.data, error);
}

bool RemoveFile(const std::string& path, std::string* error) {
  if (::unlink(path.c_str()) != 0) {
    SetError(error, ErrnoText(errno));
    return false;
  }
  return true;
}

bool CreateDirectories(const std::string& path) {
  if (path.empty()) return false;
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
    entries.push_back({name, DirectoryExists(JoinPath(path, name))});
  }
  ::closedir(dir);
  return entries;
}

bool SyncFiles(const std::vector<std::string>& paths) {
  bool ok = true;
  std::set<std::string> folders;
  for (const std::string& p : paths) {
    int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
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
