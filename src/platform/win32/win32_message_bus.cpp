// The message bus on Windows is the window system itself: an endpoint is a
// hidden top-level window of the given class (or with the given text), so
// FindWindowW finds it and PostMessageW reaches it, from our programs and
// from the maker's alike (a message-only window where no display exists). Each endpoint runs its
// window on a thread of its own, which queues the application messages it receives (WM_USER up to
// the registered range) and signals an event, so a caller can wait or poll from any thread without
// pumping messages itself.
#include "platform/message_bus.h"

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/debug_log.h"
#include "platform/win32/win32_text.h"

namespace kestrune::platform {
namespace {

using win32::Wide;

constexpr wchar_t kTextWindowClass[] = L"KestruneBusWindow";
// Asks the endpoint's own thread to close its window.
constexpr UINT kCloseEndpoint = WM_APP + 0x3FFF;

bool Relayed(UINT message) {
  return message >= WM_USER && message < 0xC000 && message != kCloseEndpoint;
}

// A top-level window first (the maker's programs, a desktop session), then a
// message-only one (an endpoint made where no display exists).
HWND FindEndpointWindow(WindowKey key, std::string_view name) {
  std::wstring wide = Wide(name);
  const wchar_t* className = key == WindowKey::kClass ? wide.c_str() : nullptr;
  const wchar_t* text = key == WindowKey::kText ? wide.c_str() : nullptr;
  if (HWND window = ::FindWindowW(className, text)) return window;
  return ::FindWindowExW(HWND_MESSAGE, nullptr, className, text);
}

class Win32BusEndpoint final : public MessageBusEndpoint {
 public:
  Win32BusEndpoint() : event_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

  ~Win32BusEndpoint() override {
    if (thread_.joinable()) {
      ::PostMessageW(window_, kCloseEndpoint, 0, 0);
      thread_.join();
    }
    if (event_) ::CloseHandle(event_);
    if (nameMutex_) ::CloseHandle(nameMutex_);
  }
  Win32BusEndpoint(const Win32BusEndpoint&) = delete;
  Win32BusEndpoint& operator=(const Win32BusEndpoint&) = delete;

  // Creates the window on the endpoint's thread; false when that fails.
  bool Start(WindowKey key, const std::wstring& name, HANDLE nameMutex) {
    nameMutex_ = nameMutex;
    if (!event_) return false;
    std::unique_lock<std::mutex> lock(mutex_);
    thread_ = std::thread([this, key, name] { Run(key, name); });
    started_.wait(lock, [this] { return startDone_; });
    if (!window_) {
      lock.unlock();
      thread_.join();
      return false;
    }
    return true;
  }

  intptr_t WaitHandle() const override { return reinterpret_cast<intptr_t>(event_); }

  std::optional<BusMessage> Receive() override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (queue_.empty()) return std::nullopt;
    BusMessage message = queue_.front();
    queue_.pop_front();
    if (queue_.empty()) ::ResetEvent(event_);
    return message;
  }

  std::optional<BusMessage> WaitReceive(int timeoutMs) override {
    if (auto message = Receive()) return message;
    ::WaitForSingleObject(event_, timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs));
    return Receive();
  }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Win32BusEndpoint*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == kCloseEndpoint) {
      ::DestroyWindow(window);
      return 0;
    }
    if (message == WM_DESTROY) {
      ::PostQuitMessage(0);
      return 0;
    }
    if (self && Relayed(message)) {
      std::lock_guard<std::mutex> lock(self->mutex_);
      self->queue_.push_back(
          {message, static_cast<uintptr_t>(wParam), static_cast<intptr_t>(lParam)});
      ::SetEvent(self->event_);
      return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
  }

  void Run(WindowKey key, const std::wstring& name) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const std::wstring className = key == WindowKey::kClass ? name : kTextWindowClass;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = className.c_str();
    // A class this process registered before (an earlier endpoint) is reused.
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
      DebugLogF("message bus: cannot register the window class: %s",
                win32::ErrorText(::GetLastError()).c_str());
    }
    // A hidden top-level window, which FindWindowW finds from any program;
    // where the system has no display for it (a service, Wine without a
    // display) a message-only window, which the bus's own lookup finds too.
    const wchar_t* text = key == WindowKey::kText ? name.c_str() : L"";
    HWND window = ::CreateWindowExW(WS_EX_TOOLWINDOW, className.c_str(), text, WS_POPUP, 0, 0, 0, 0,
                                    nullptr, nullptr, instance, nullptr);
    if (!window)
      window = ::CreateWindowExW(0, className.c_str(), text, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 instance, nullptr);
    if (window) ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    {
      std::lock_guard<std::mutex> lock(mutex_);
      window_ = window;
      startDone_ = true;
    }
    started_.notify_all();
    if (!window) {
      DebugLogF("message bus: cannot create the window: %s",
                win32::ErrorText(::GetLastError()).c_str());
      return;
    }
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }

  HANDLE event_ = nullptr;
  HANDLE nameMutex_ = nullptr;
  HWND window_ = nullptr;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable started_;
  bool startDone_ = false;
  std::deque<BusMessage> queue_;
};

// Windows lets many windows share a class or a text; the bus keeps one holder
// per name with a mutex named after it, held for the endpoint's life.
HANDLE ClaimName(WindowKey key, std::string_view name) {
  uint64_t hash = 1469598103934665603ull;
  for (unsigned char c : name) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  wchar_t mutexName[80];
  std::swprintf(mutexName, 80, L"kestrune-window-%ls-%016llx",
                key == WindowKey::kClass ? L"class" : L"text",
                static_cast<unsigned long long>(hash));
  HANDLE mutex = ::CreateMutexW(nullptr, FALSE, mutexName);
  if (mutex && ::GetLastError() == ERROR_ALREADY_EXISTS) {
    ::CloseHandle(mutex);
    return nullptr;
  }
  return mutex;
}

}  // namespace

std::unique_ptr<MessageBusEndpoint> BindWindowEndpoint(WindowKey key, std::string_view name) {
  HANDLE claim = ClaimName(key, name);
  if (!claim) {
    DebugLogF("message bus: window %.*s is already bound", static_cast<int>(name.size()),
              name.data());
    return nullptr;
  }
  // Another program's window of that name (the maker's own) holds it too.
  if (FindEndpointWindow(key, name)) {
    DebugLogF("message bus: another window is %.*s", static_cast<int>(name.size()), name.data());
    ::CloseHandle(claim);
    return nullptr;
  }
  auto endpoint = std::make_unique<Win32BusEndpoint>();
  if (!endpoint->Start(key, Wide(name), claim)) return nullptr;
  return endpoint;
}

bool WindowExists(WindowKey key, std::string_view name) {
  return FindEndpointWindow(key, name) != nullptr;
}

bool PostWindowMessage(WindowKey key, std::string_view name, uint32_t message, uintptr_t wParam,
                       intptr_t lParam) {
  HWND window = FindEndpointWindow(key, name);
  if (!window) return false;
  if (!::PostMessageW(window, message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam))) {
    DebugLogF("message bus: post 0x%x to %.*s failed: %s", message, static_cast<int>(name.size()),
              name.data(), win32::ErrorText(::GetLastError()).c_str());
    return false;
  }
  return true;
}

}  // namespace kestrune::platform
