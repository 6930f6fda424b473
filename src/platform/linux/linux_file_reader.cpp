// Random-access file reads on Linux (pread).
#include "platform/file_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kestrune::platform {

FileReader::~FileReader() {
  if (handle_ != -1) ::close(static_cast<int>(handle_));
}

bool FileReader::Open(const std::string& path, std::string* error) {
  if (handle_ != -1) {
    ::close(static_cast<int>(handle_));
    handle_ = -1;
  }
  // Non-blocking, so a FIFO in the file's place cannot hold the open; the
  // flag is cleared once the handle is known to be a regular file.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (error) *error = std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (error) *error = "not a regular file";
    ::close(fd);
    return false;
  }
  int flags = ::fcntl(fd, F_GETFL);
  if (flags == -1 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    if (error) *error = std::strerror(errno);
    ::close(fd);
    return false;
  }
  handle_ = fd;
  size_ = static_cast<uint64_t>(st.st_size);
  return true;
}

bool FileReader::ReadAt(uint64_t offset, size_t length, std::string* out) const {
  if (handle_ == -1 || offset > size_ || length > size_ - offset) return false;
  const int fd = static_cast<int>(handle_);
  out->resize(length);
  size_t done = 0;
  while (done < length) {
    ssize_t n = ::pread(fd, out->data() + done, length - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace kestrune::platform
