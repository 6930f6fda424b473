// Random-access reads of a file, for readers that need a few small pieces of
// a possibly large binary (version resources in executables).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kestrune::platform {

class FileReader {
 public:
  FileReader() = default;
  ~FileReader();
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;

  // Opens a regular file for reading; false (and `error`) otherwise. A FIFO
  // or device is refused without blocking on it.
  bool Open(const std::string& path, std::string* error = nullptr);
  bool IsOpen() const { return handle_ != -1; }
  uint64_t Size() const { return size_; }

  // Exactly `length` bytes at `offset` into `out`; false when the file is
  // shorter or the read fails.
  bool ReadAt(uint64_t offset, size_t length, std::string* out) const;

 private:
  intptr_t handle_ = -1;  // the system's handle; -1 when none
  uint64_t size_ = 0;
};

}  // namespace kestrune::platform
