// Message bus on Linux: abstract-namespace Unix datagram sockets, one per
// window name. Abstract names vanish with their last descriptor, so a crashed
// program never leaves a stale window behind.
#include "platform/message_bus.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/debug_log.h"

namespace kestrune::platform {

namespace linux_detail {

uint64_t Fnv1a(std::string_view text) {
  uint64_t hash = 1469598103934665603ull;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

// "\0kestrune/<uid>-<home hash>/<kind>/<name>". The home folder is part of the
// scope so that programs started with different profiles (and tests running
// side by side) never see each other's windows and mutexes.
bool MakeAbstractAddress(std::string_view kind, std::string_view name, sockaddr_un* address,
                         socklen_t* length) {
  const char* home = std::getenv("HOME");
  char scope[64];
  std::snprintf(scope, sizeof scope, "kestrune/%u-%016llx/", static_cast<unsigned>(::getuid()),
                static_cast<unsigned long long>(Fnv1a(home ? home : "")));
  std::string path = std::string(scope) + std::string(kind) + "/";
  std::string full = path + std::string(name);
  if (full.size() + 1 > sizeof(address->sun_path)) {
    // Names too long for the socket address are replaced by their hash.
    char hashed[24];
    std::snprintf(hashed, sizeof hashed, "#%016llx", static_cast<unsigned long long>(Fnv1a(name)));
    full = path + hashed;
  }
  std::memset(address, 0, sizeof *address);
  address->sun_family = AF_UNIX;
  address->sun_path[0] = '\0';
  std::memcpy(address->sun_path + 1, full.data(), full.size());
  *length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + full.size());
  return true;
}

}  // namespace linux_detail

namespace {

// Fixed wire layout, independent of the sender's word size.
struct WireMessage {
  uint32_t message;
  uint32_t reserved;
  uint64_t wParam;
  int64_t lParam;
};

const char* KindOf(WindowKey key) {
  return key == WindowKey::kClass ? "class" : "text";
}

std::optional<BusMessage> Decode(const WireMessage& wire) {
  BusMessage out;
  out.message = wire.message;
  out.wParam = static_cast<uintptr_t>(wire.wParam);
  out.lParam = static_cast<intptr_t>(wire.lParam);
  return out;
}

class LinuxBusEndpoint final : public MessageBusEndpoint {
 public:
  explicit LinuxBusEndpoint(int fd) : fd_(fd) {}
  ~LinuxBusEndpoint() override { ::close(fd_); }
  LinuxBusEndpoint(const LinuxBusEndpoint&) = delete;
  LinuxBusEndpoint& operator=(const LinuxBusEndpoint&) = delete;

  intptr_t WaitHandle() const override { return fd_; }

  std::optional<BusMessage> Receive() override {
    for (;;) {
      WireMessage wire{};
      ssize_t n = ::recv(fd_, &wire, sizeof wire, MSG_DONTWAIT | MSG_TRUNC);
      if (n < 0) {
        if (errno == EINTR) continue;
        return std::nullopt;  // EAGAIN: nothing waits
      }
      // Datagrams of any other size are not ours; drop them and look further.
      if (n != static_cast<ssize_t>(sizeof wire)) continue;
      return Decode(wire);
    }
  }

  std::optional<BusMessage> WaitReceive(int timeoutMs) override {
    if (auto message = Receive()) return message;
    pollfd p{fd_, POLLIN, 0};
    int rc;
    do {
      rc = ::poll(&p, 1, timeoutMs);
    } while (rc < 0 && errno == EINTR);
    if (rc <= 0) return std::nullopt;
    return Receive();
  }

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<MessageBusEndpoint> BindWindowEndpoint(WindowKey key, std::string_view name) {
  sockaddr_un address;
  socklen_t length;
  linux_detail::MakeAbstractAddress(KindOf(key), name, &address, &length);
  // Close-on-exec: a child process (the renderer) must not keep our window alive.
  int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) {
    DebugLogF("message bus: socket for %.*s failed: %s", static_cast<int>(name.size()), name.data(),
              std::strerror(errno));
    return nullptr;
  }
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
    DebugLogF("message bus: cannot bind window %.*s: %s", static_cast<int>(name.size()),
              name.data(), std::strerror(errno));
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<LinuxBusEndpoint>(fd);
}

namespace {

// A datagram socket connected to the name; -1 when nobody holds it.
int ConnectTo(WindowKey key, std::string_view name) {
  sockaddr_un address;
  socklen_t length;
  linux_detail::MakeAbstractAddress(KindOf(key), name, &address, &length);
  int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  int rc;
  do {
    rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), length);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

bool WindowExists(WindowKey key, std::string_view name) {
  int fd = ConnectTo(key, name);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

bool PostWindowMessage(WindowKey key, std::string_view name, uint32_t message, uintptr_t wParam,
                       intptr_t lParam) {
  int fd = ConnectTo(key, name);
  if (fd < 0) return false;
  WireMessage wire{message, 0, static_cast<uint64_t>(wParam), static_cast<int64_t>(lParam)};
  ssize_t n;
  do {
    n = ::send(fd, &wire, sizeof wire, MSG_DONTWAIT | MSG_NOSIGNAL);
  } while (n < 0 && errno == EINTR);
  int sendError = errno;
  ::close(fd);
  if (n != static_cast<ssize_t>(sizeof wire)) {
    DebugLogF("message bus: post 0x%x to %.*s failed: %s", message, static_cast<int>(name.size()),
              name.data(), std::strerror(sendError));
    return false;
  }
  return true;
}

}  // namespace kestrune::platform
