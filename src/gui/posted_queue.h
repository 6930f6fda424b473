// The UI queue the GUI hosts hand out from CreateUiQueue. Each post is one
// heap item that the host carries to the UI thread its own way (an idle
// source, a window message); there the host runs it and frees it. An item
// that arrives after its queue is gone does nothing.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>

// Not gui_host.h: the Win32 host may include that only after <windows.h>'s
// CreateWindow is undefined. The handler is gui_host.h's MessageHandler.
#include "platform/message_queue.h"

namespace kestrune::gui {

class PostedQueue final : public MessageQueue {
 public:
  using Handler = std::function<void(uint32_t message, uintptr_t wParam, intptr_t lParam)>;

 private:
  // Shared by the queue and its items in flight.
  struct State {
    Handler handler;
    std::atomic<bool> alive{true};
  };

 public:
  struct Item {
    std::shared_ptr<State> state;
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;

    // On the UI thread: the handler, unless the queue is gone.
    void Run() const {
      if (state->alive && state->handler) state->handler(message, wParam, lParam);
    }
  };

  // Takes an item to the UI thread from any thread; true when it owns the
  // item from then on, false when it could not be sent (the queue frees it).
  using Carrier = bool (*)(Item* item);

  PostedQueue(Handler handler, Carrier carry) : state_(std::make_shared<State>()), carry_(carry) {
    state_->handler = std::move(handler);
  }
  ~PostedQueue() override { state_->alive = false; }
  PostedQueue(const PostedQueue&) = delete;
  PostedQueue& operator=(const PostedQueue&) = delete;

  void Post(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    auto* item = new Item{state_, message, wParam, lParam};
    if (!carry_(item)) delete item;
  }

 private:
  std::shared_ptr<State> state_;
  Carrier carry_;
};

}  // namespace kestrune::gui
