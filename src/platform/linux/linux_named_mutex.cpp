// Named mutexes on Linux: an abstract-namespace Unix socket bound to the name.
// Binding succeeds for exactly one process; the kernel drops the name when the
// holder's descriptor goes away, including when it crashes.
#include "platform/named_mutex.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/debug_log.h"

namespace kestrune::platform {

namespace linux_detail {
// Shared with the message bus (linux_message_bus.cpp): same per-user scope.
bool MakeAbstractAddress(std::string_view kind, std::string_view name, sockaddr_un* address,
                         socklen_t* length);
}  // namespace linux_detail

namespace {

class LinuxNamedMutex final : public NamedMutex {
 public:
  explicit LinuxNamedMutex(int fd) : fd_(fd) {}
  ~LinuxNamedMutex() override { ::close(fd_); }
  LinuxNamedMutex(const LinuxNamedMutex&) = delete;
  LinuxNamedMutex& operator=(const LinuxNamedMutex&) = delete;

 private:
  int fd_;
};

}  // namespace

MutexResult AcquireNamedMutex(std::string_view name) {
  MutexResult result;
  sockaddr_un address;
  socklen_t length;
  linux_detail::MakeAbstractAddress("mutex", name, &address, &length);
  // Close-on-exec: child processes must not inherit (and so keep) our mutex.
  int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    DebugLogF("named mutex: socket failed: %s", std::strerror(errno));
    return result;
  }
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
    int error = errno;
    ::close(fd);
    if (error == EADDRINUSE) {
      result.status = MutexOpen::kAlreadyExists;
    } else {
      DebugLogF("named mutex: bind %.*s failed: %s", static_cast<int>(name.size()), name.data(),
                std::strerror(error));
    }
    return result;
  }
  result.status = MutexOpen::kAcquired;
  result.mutex = std::make_unique<LinuxNamedMutex>(fd);
  return result;
}

}  // namespace kestrune::platform
