// Main loop, cross-thread posting, message-bus delivery, timers, menus and
// key state on Win32. Timers and posted work ride on one hidden message
// window of the UI thread, so every nested loop (a modal dialog, a menu, the
// system's move loop) keeps them running.
#include <windows.h>

#include <algorithm>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "controls/image.h"
#include "gui/posted_queue.h"
#include "gui/win32/win32_browser.h"
#include "gui/win32/win32_gui.h"
#include "platform/debug_log.h"

namespace kestrune::gui {
namespace win32 {
namespace {

constexpr wchar_t kMessageWindowClass[] = L"KestruneMessageWindow";
constexpr wchar_t kApplicationClass[] = L"KestruneApplication";
constexpr UINT kPostedMessage = WM_APP + 1;

HWND g_messageWindow = nullptr;
HWND g_applicationWindow = nullptr;
DWORD g_uiThread = 0;
bool g_quitting = false;
int g_loopDepth = 0;
std::function<void()> g_sessionEnd;
bool g_sessionEnded = false;

// The message window runs the item on the UI thread and frees it.
bool CarryByMessage(PostedQueue::Item* item) {
  if (::PostMessageW(g_messageWindow, kPostedMessage, 0, reinterpret_cast<LPARAM>(item)))
    return true;
  DebugLog("gui: a message could not be posted to the UI thread");
  return false;
}

// Bus endpoints signal an event; the pump waits on them beside the messages.
struct BusEntry {
  HANDLE event;
  class Win32BusReceiver* receiver;
};
std::vector<BusEntry> g_bus;

class Win32BusReceiver final : public BusReceiver {
 public:
  Win32BusReceiver(std::unique_ptr<platform::MessageBusEndpoint> endpoint, MessageHandler handler)
      : endpoint_(std::move(endpoint)), handler_(std::move(handler)) {
    g_bus.push_back({reinterpret_cast<HANDLE>(endpoint_->WaitHandle()), this});
  }
  ~Win32BusReceiver() override {
    g_bus.erase(std::remove_if(g_bus.begin(), g_bus.end(),
                               [this](const BusEntry& e) { return e.receiver == this; }),
                g_bus.end());
  }

  // One message per wake-up: a handler may run a modal loop, which pumps
  // this endpoint again; the rest wait for the next round.
  void Ready() {
    if (auto message = endpoint_->Receive()) {
      if (handler_) handler_(message->message, message->wParam, message->lParam);
    }
  }

 private:
  std::unique_ptr<platform::MessageBusEndpoint> endpoint_;
  MessageHandler handler_;
};

// Timers and delayed tasks share the message window's timer ids.
class Win32Timer;
std::map<UINT_PTR, Win32Timer*> g_timers;
std::map<UINT_PTR, std::function<void()>> g_later;
UINT_PTR g_nextTimerId = 1;

class Win32Timer final : public Timer {
 public:
  explicit Win32Timer(int intervalMs) : interval_(intervalMs) {}
  ~Win32Timer() override { SetEnabled(false); }

  void SetEnabled(bool enabled) override {
    if (enabled == (id_ != 0)) return;
    if (enabled) {
      id_ = g_nextTimerId++;
      g_timers[id_] = this;
      ::SetTimer(g_messageWindow, id_, static_cast<UINT>(interval_), nullptr);
    } else {
      ::KillTimer(g_messageWindow, id_);
      g_timers.erase(id_);
      id_ = 0;
    }
  }
  bool Enabled() const override { return id_ != 0; }
  int Interval() const override { return interval_; }

 private:
  int interval_;
  UINT_PTR id_ = 0;
};

void OnTimerMessage(UINT_PTR id) {
  if (auto t = g_timers.find(id); t != g_timers.end()) {
    Win32Timer* timer = t->second;
    if (timer->OnTimer) timer->OnTimer();
    return;
  }
  if (auto l = g_later.find(id); l != g_later.end()) {
    ::KillTimer(g_messageWindow, id);
    std::function<void()> task = std::move(l->second);
    g_later.erase(l);
    if (task) task();
    return;
  }
  ::KillTimer(g_messageWindow, id);  // a timer whose owner is gone
}

LRESULT CALLBACK MessageWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == kPostedMessage) {
    std::unique_ptr<PostedQueue::Item> item(reinterpret_cast<PostedQueue::Item*>(lParam));
    item->Run();
    return 0;
  }
  if (msg == WM_TIMER) {
    OnTimerMessage(static_cast<UINT_PTR>(wParam));
    return 0;
  }
  return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK ApplicationWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_QUERYENDSESSION:
      SessionEnding();
      return TRUE;
    case WM_SIZE:
      // Restored from the taskbar: the windows it owns come back with it.
      if (wParam == SIZE_RESTORED) ::ShowOwnedPopups(hwnd, TRUE);
      return 0;
    case WM_CLOSE:
      // The taskbar's close entry acts as closing the visible main window.
      if (HWND owned = ::GetWindow(hwnd, GW_ENABLEDPOPUP)) ::PostMessageW(owned, WM_CLOSE, 0, 0);
      return 0;
    case WM_ACTIVATE:
      // The application window is never the one to type into: hand focus on.
      if (LOWORD(wParam) != WA_INACTIVE) {
        if (HWND owned = ::GetWindow(hwnd, GW_ENABLEDPOPUP)) {
          if (owned != hwnd && ::IsWindowVisible(owned)) ::SetFocus(owned);
        }
      }
      return 0;
    default:
      return ::DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

HWND ApplicationWindow() {
  return g_applicationWindow;
}
HINSTANCE Instance() {
  return ::GetModuleHandleW(nullptr);
}
bool Quitting() {
  return g_quitting;
}

void SessionEnding() {
  if (g_sessionEnded) return;
  g_sessionEnded = true;
  if (g_sessionEnd) g_sessionEnd();
}

bool PumpOnce() {
  std::vector<HANDLE> handles;
  std::vector<Win32BusReceiver*> receivers;
  for (const BusEntry& e : g_bus) {
    handles.push_back(e.event);
    receivers.push_back(e.receiver);
  }
  DWORD n = static_cast<DWORD>(handles.size());
  DWORD r =
      ::MsgWaitForMultipleObjectsEx(n, handles.data(), INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  if (r < WAIT_OBJECT_0 + n) {
    Win32BusReceiver* ready = receivers[r - WAIT_OBJECT_0];
    // Still registered (an earlier handler may have detached it)?
    for (const BusEntry& e : g_bus) {
      if (e.receiver == ready) {
        ready->Ready();
        break;
      }
    }
  }
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      g_quitting = true;
      return false;
    }
    if (TranslateBrowserKey(&msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return !g_quitting;
}

ShiftState CurrentShiftState() {
  ShiftState s = 0;
  if (::GetKeyState(VK_SHIFT) < 0) s |= kShiftShift;
  if (::GetKeyState(VK_MENU) < 0) s |= kShiftAlt;
  if (::GetKeyState(VK_CONTROL) < 0) s |= kShiftCtrl;
  if (::GetKeyState(VK_LBUTTON) < 0) s |= kShiftLeft;
  if (::GetKeyState(VK_RBUTTON) < 0) s |= kShiftRight;
  if (::GetKeyState(VK_MBUTTON) < 0) s |= kShiftMiddle;
  return s;
}

HBITMAP BitmapFromImage(const Image& image) {
  if (image.Empty()) return nullptr;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = image.Width();
  info.bmiHeader.biHeight = -image.Height();  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) return nullptr;
  std::copy_n(image.Data(), static_cast<size_t>(image.Width()) * image.Height(),
              static_cast<uint32_t*>(bits));
  return bitmap;
}

HICON IconFromImage(const Image& image) {
  HBITMAP color = BitmapFromImage(image);
  if (!color) return nullptr;
  HBITMAP mask = ::CreateBitmap(image.Width(), image.Height(), 1, 1, nullptr);
  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmColor = color;
  info.hbmMask = mask;
  HICON icon = ::CreateIconIndirect(&info);
  ::DeleteObject(color);
  if (mask) ::DeleteObject(mask);
  return icon;
}

}  // namespace win32

using namespace win32;

bool InitGui(int*, char***) {
  g_uiThread = ::GetCurrentThreadId();
  // The browser control needs a single-threaded apartment with OLE.
  if (FAILED(::OleInitialize(nullptr))) DebugLog("gui: OLE could not be initialised");
  WNDCLASSEXW message{sizeof message};
  message.lpfnWndProc = MessageWindowProc;
  message.hInstance = Instance();
  message.lpszClassName = kMessageWindowClass;
  ::RegisterClassExW(&message);
  g_messageWindow = ::CreateWindowExW(0, kMessageWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                      nullptr, Instance(), nullptr);
  WNDCLASSEXW app{sizeof app};
  app.lpfnWndProc = ApplicationWindowProc;
  app.hInstance = Instance();
  app.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  app.lpszClassName = kApplicationClass;
  ::RegisterClassExW(&app);
  // No size and off in the centre of nothing: only its taskbar button shows.
  g_applicationWindow =
      ::CreateWindowExW(0, kApplicationClass, L"",
                        WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                        ::GetSystemMetrics(SM_CXSCREEN) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2, 0,
                        0, nullptr, nullptr, Instance(), nullptr);
  if (!g_messageWindow || !g_applicationWindow) {
    DebugLog("gui: the program's windows could not be created");
    return false;
  }
  return true;
}

void SetApplicationTitle(const std::string& title) {
  ::SetWindowTextW(g_applicationWindow, Wide(title).c_str());
}

void SetApplicationIcon(const std::vector<uint8_t>& png) {
  if (png.empty()) return;
  PngDecodeResult decoded = DecodePng(png);
  if (!decoded.image) {
    DebugLog("gui: the application icon is not a PNG");
    return;
  }
  // The taskbar and Alt-Tab take the large icon, the caption the small one.
  const std::pair<WPARAM, int> sizes[] = {{ICON_BIG, SM_CXICON}, {ICON_SMALL, SM_CXSMICON}};
  for (const auto& [which, metric] : sizes) {
    const int side = ::GetSystemMetrics(metric);
    if (HICON icon = IconFromImage(ScaleDown(*decoded.image, side, side)))
      ::SendMessageW(g_applicationWindow, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
  }
}

void RunMainLoop() {
  ++g_loopDepth;
  while (PumpOnce()) {
  }
  --g_loopDepth;
}

void QuitMainLoop() {
  // Open modal dialogs end first (as cancelled); no new one starts after this.
  g_quitting = true;
  ::PostQuitMessage(0);
}

std::unique_ptr<MessageQueue> CreateUiQueue(MessageHandler handler) {
  return std::make_unique<PostedQueue>(std::move(handler), &CarryByMessage);
}

std::unique_ptr<BusReceiver> AttachBusEndpoint(
    std::unique_ptr<platform::MessageBusEndpoint> endpoint, MessageHandler handler) {
  if (!endpoint) return nullptr;
  return std::make_unique<Win32BusReceiver>(std::move(endpoint), std::move(handler));
}

void OnSessionEnd(std::function<void()> handler) {
  g_sessionEnd = std::move(handler);
}

void RunLater(int delayMs, std::function<void()> task) {
  UINT_PTR id = g_nextTimerId++;
  g_later[id] = std::move(task);
  ::SetTimer(g_messageWindow, id,
             static_cast<UINT>(delayMs < USER_TIMER_MINIMUM ? USER_TIMER_MINIMUM : delayMs),
             nullptr);
}

std::unique_ptr<Timer> CreateTimer(int intervalMs) {
  return std::make_unique<Win32Timer>(intervalMs);
}

// Physically down now (asynchronous key state, high bit), as the hot-key
// capture asks.
bool IsKeyDown(int virtualKey) {
  return (::GetAsyncKeyState(virtualKey) & 0x8000) != 0;
}

namespace win32 {

// Menu captions use "&" before a mnemonic letter as Windows does; a trailing
// "&" marks nothing and is dropped.
std::wstring MenuCaption(const std::string& caption) {
  std::string text = caption;
  if (!text.empty() && text.back() == '&' && (text.size() < 2 || text[text.size() - 2] != '&'))
    text.pop_back();
  return Wide(text);
}

HMENU BuildMenu(const std::vector<MenuItem>& items, UINT firstId) {
  HMENU menu = ::CreatePopupMenu();
  for (size_t i = 0; i < items.size(); ++i) {
    const MenuItem& item = items[i];
    if (item.caption == "-") {
      ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT flags = MF_STRING | (item.checkable && item.checked ? MF_CHECKED : MF_UNCHECKED);
    ::AppendMenuW(menu, flags, firstId + i, MenuCaption(item.caption).c_str());
    if (item.isDefault) ::SetMenuDefaultItem(menu, firstId + static_cast<UINT>(i), FALSE);
  }
  return menu;
}

// Shows the menu at a screen point for a window of ours and runs the chosen
// item's action after it closes.
void TrackMenu(std::vector<MenuItem> items, Point screen, HWND window) {
  constexpr UINT kFirst = 1;
  HMENU menu = BuildMenu(items, kFirst);
  // A menu of a window that is not in front would not close on a click
  // elsewhere.
  ::SetForegroundWindow(window);
  DebugLogF("menu: popped up at %d,%d", screen.x, screen.y);
  UINT chosen = static_cast<UINT>(::TrackPopupMenuEx(
      menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screen.x,
      screen.y, window, nullptr));
  ::PostMessageW(window, WM_NULL, 0, 0);
  ::DestroyMenu(menu);
  if (chosen >= kFirst && chosen - kFirst < items.size()) {
    std::function<void()> action = items[chosen - kFirst].onClick;
    if (action) RunLater(0, action);
  }
}

}  // namespace win32

void PopupMenu(std::vector<MenuItem> items, Point screen) {
  HWND owner = ::GetForegroundWindow();
  DWORD pid = 0;
  if (owner) ::GetWindowThreadProcessId(owner, &pid);
  if (!owner || pid != ::GetCurrentProcessId()) owner = g_applicationWindow;
  TrackMenu(std::move(items), screen, owner);
}

}  // namespace kestrune::gui
