// The user-interface thread's message queue as other code sees it: workers
// post a message id (with two parameters) and the UI thread acts on it.
// The GUI host implements it; tests use their own recorder.
#pragma once

#include <cstdint>

namespace kestrune {

class MessageQueue {
 public:
  virtual ~MessageQueue() = default;
  // Thread-safe; never blocks on the UI thread.
  virtual void Post(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0) = 0;
};

}  // namespace kestrune
