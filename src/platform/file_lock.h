// Advisory locks that serialise read-modify-write cycles on a shared file
// between threads and processes, and the size check that keeps a runaway file
// out of memory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kestrune::platform {

// Holds an exclusive advisory lock on `path` (a file or a folder that
// already exists) for the object's lifetime. Waits at most `timeoutMs` for
// another holder; on timeout or error `held()` is false and the caller goes
// on unguarded. Each object opens its own handle, so two objects exclude each
// other even inside one process (threads included).
class ScopedFileLock {
 public:
  explicit ScopedFileLock(const std::string& path, int timeoutMs = 5000);
  ~ScopedFileLock();
  ScopedFileLock(const ScopedFileLock&) = delete;
  ScopedFileLock& operator=(const ScopedFileLock&) = delete;

  bool held() const { return handle_ >= 0; }
  const std::string& error() const { return error_; }

 private:
  int handle_ = -1;
  std::string error_;
};

// Size in bytes of a regular file; nullopt when it is missing or not a file.
std::optional<uint64_t> FileSize(const std::string& path);

}  // namespace kestrune::platform
