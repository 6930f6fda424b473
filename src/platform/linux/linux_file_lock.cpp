// Advisory locks on Linux: flock() on a handle of our own. flock locks
// belong to the open file description, so separate handles in one process
// exclude each other as well as other processes.
#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace kestrune::platform {

ScopedFileLock::ScopedFileLock(const std::string& path, int timeoutMs) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error_ = std::strerror(errno);
    return;
  }
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::chrono::microseconds pause(200);
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      handle_ = fd;
      return;
    }
    int err = errno;
    if (err != EWOULDBLOCK && err != EINTR) {
      error_ = std::strerror(err);
      break;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      error_ = "timed out waiting for the lock";
      break;
    }
    std::this_thread::sleep_for(pause);
    if (pause < std::chrono::milliseconds(5)) pause *= 2;
  }
  ::close(fd);
}

ScopedFileLock::~ScopedFileLock() {
  if (handle_ >= 0) {
    ::flock(handle_, LOCK_UN);
    ::close(handle_);
  }
}

std::optional<uint64_t> FileSize(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return static_cast<uint64_t>(st.st_size);
}

}  // namespace kestrune::platform
