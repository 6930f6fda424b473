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
// another holder; on timeout or error `held()` is false, `timedOut()` tells
// the two apart, and the caller decides whether to go on unguarded. Each
// object opens its own handle, so two objects exclude each other even inside
// one process (threads included). The lock lives on the file itself, so it
// holds between processes in different pid namespaces too.
class ScopedFileLock {
 public:
  explicit ScopedFileLock(const std::string& path, int timeoutMs = 5000);
  ~ScopedFileLock();
  ScopedFileLock(const ScopedFileLock&) = delete;
  ScopedFileLock& operator=(const ScopedFileLock&) = delete;

  bool held() const { return handle_ != -1; }
  bool timedOut() const { return timedOut_; }  // another holder kept it
  const std::string& error() const { return error_; }

 private:
  intptr_t handle_ = -1;  // the system's handle; -1 when none
  bool timedOut_ = false;
  std::string path_;
  std::string error_;
};

// Size in bytes of a regular file; nullopt when it is missing or not a file.
std::optional<uint64_t> FileSize(const std::string& path);

}  // namespace kestrune::platform
