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
#include <map>
#include <mutex>
#include <thread>

#include "platform/linux/linux_held_locks.h"

namespace kestrune::platform {
namespace linux_internal {
namespace {

std::mutex gHeldMutex;
std::map<std::string, int>& Held() {
  static std::map<std::string, int> held;
  return held;
}

}  // namespace

std::string NormalisedFolder(const std::string& path) {
  std::string folder = path;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder.empty() ? "." : folder;
}

void NoteLockHeld(const std::string& path) {
  std::lock_guard<std::mutex> hold(gHeldMutex);
  ++Held()[NormalisedFolder(path)];
}

void NoteLockReleased(const std::string& path) {
  std::lock_guard<std::mutex> hold(gHeldMutex);
  auto it = Held().find(NormalisedFolder(path));
  if (it != Held().end() && --it->second <= 0) Held().erase(it);
}

bool HoldsLockOn(const std::string& folder) {
  std::lock_guard<std::mutex> hold(gHeldMutex);
  return Held().count(NormalisedFolder(folder)) != 0;
}

}  // namespace linux_internal

ScopedFileLock::ScopedFileLock(const std::string& path, int timeoutMs) {
  // Non-blocking: the path may name a FIFO, whose open would wait for a writer.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error_ = std::strerror(errno);
    return;
  }
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::chrono::microseconds pause(200);
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      handle_ = fd;
      path_ = path;
      linux_internal::NoteLockHeld(path_);
      return;
    }
    int err = errno;
    if (err != EWOULDBLOCK && err != EINTR) {
      error_ = std::strerror(err);
      break;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      timedOut_ = true;
      error_ = "timed out waiting for the lock";
      break;
    }
    std::this_thread::sleep_for(pause);
    if (pause < std::chrono::milliseconds(5)) pause *= 2;
  }
  ::close(fd);
}

ScopedFileLock::~ScopedFileLock() {
  if (handle_ != -1) {
    linux_internal::NoteLockReleased(path_);
    int fd = static_cast<int>(handle_);
    ::flock(fd, LOCK_UN);
    ::close(fd);
  }
}

std::optional<uint64_t> FileSize(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return static_cast<uint64_t>(st.st_size);
}

}  // namespace kestrune::platform
