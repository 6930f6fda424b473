// Window messages between processes. Windows finds another program's window by
// class or text and posts it a message; every window that other processes look
// for binds a named endpoint, and posting sends {message, wParam, lParam} to
// that name. On Windows the endpoint is a real hidden window of that class or
// text; on Linux names live in a per-user scope (uid and home folder), the way
// a window station is per logon session.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kestrune::platform {

// What other processes look a window up by: its class name or its text.
enum class WindowKey { kClass, kText };

struct BusMessage {
  uint32_t message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
};

// A window's receiving end. Only one endpoint can hold a name at a time; the
// name is released when the endpoint is destroyed or the process dies.
class MessageBusEndpoint {
 public:
  virtual ~MessageBusEndpoint() = default;
  // What a main loop waits on: it becomes ready when a message waits. A file
  // descriptor on Linux, an event handle on Windows.
  virtual intptr_t WaitHandle() const = 0;
  // The next waiting message, without blocking; nullopt when none waits.
  virtual std::optional<BusMessage> Receive() = 0;
  // Waits up to timeoutMs (negative: forever) for a message.
  virtual std::optional<BusMessage> WaitReceive(int timeoutMs) = 0;
};

// Binds the name; nullptr when another endpoint holds it or the system refuses.
std::unique_ptr<MessageBusEndpoint> BindWindowEndpoint(WindowKey key, std::string_view name);

// FindWindow: does an endpoint with this name exist?
bool WindowExists(WindowKey key, std::string_view name);

// PostMessage: queues the message at the named endpoint without waiting.
// False when no such endpoint exists or its queue is full.
bool PostWindowMessage(WindowKey key, std::string_view name, uint32_t message, uintptr_t wParam = 0,
                       intptr_t lParam = 0);

}  // namespace kestrune::platform
