// The notification-area icon (Shell_NotifyIconW) with its menu on a hidden
// window of its own. Explorer announces a new taskbar with the registered
// message "TaskbarCreated"; the icon is added again then.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cwchar>

#include "gui/win32/win32_gui.h"
#include "platform/debug_log.h"

namespace kestrune::gui {
namespace win32 {
void TrackMenu(std::vector<MenuItem> items, Point screen, HWND window);
}
namespace {

using namespace win32;

constexpr wchar_t kTrayClass[] = L"KestruneTrayWindow";
constexpr UINT kTrayCallback = WM_APP + 2;
constexpr UINT kTrayId = 1;

class Win32Tray final : public TrayIcon {
 public:
  explicit Win32Tray(const std::vector<uint8_t>& png) {
    static UINT taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
    taskbarCreated_ = taskbarCreated;
    WNDCLASSEXW wc{sizeof wc};
    wc.lpfnWndProc = &Win32Tray::Proc;
    wc.hInstance = Instance();
    wc.lpszClassName = kTrayClass;
    ::RegisterClassExW(&wc);
    // A top-level (hidden) window: message-only windows get no broadcasts,
    // and "TaskbarCreated" is one.
    window_ = ::CreateWindowExW(WS_EX_TOOLWINDOW, kTrayClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                nullptr, Instance(), nullptr);
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    PngDecodeResult decoded = DecodePng(png);
    if (decoded.image) {
      // The tray shows the small icon size; shrink the picture ourselves
      // rather than leave a 48 px icon to the shell's nearest-pixel scaling.
      icon_ = IconFromImage(ScaleDown(*decoded.image, ::GetSystemMetrics(SM_CXSMICON),
                                      ::GetSystemMetrics(SM_CYSMICON)));
    }
    if (!icon_) icon_ = ::LoadIconW(nullptr, IDI_APPLICATION);
    Add();
  }
  ~Win32Tray() override {
    NOTIFYICONDATAW data = Data();
    ::Shell_NotifyIconW(NIM_DELETE, &data);
    ::DestroyWindow(window_);
    if (icon_) ::DestroyIcon(icon_);
  }

  void SetHint(const std::string& hint) override {
    hint_ = Wide(hint);
    NOTIFYICONDATAW data = Data();
    data.uFlags = NIF_TIP;
    ::Shell_NotifyIconW(NIM_MODIFY, &data);
  }

  void SetMenu(std::vector<MenuItem> items) override { menu_ = std::move(items); }

 private:
  NOTIFYICONDATAW Data() const {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window_;
    data.uID = kTrayId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayCallback;
    data.hIcon = icon_;
    std::wcsncpy(data.szTip, hint_.c_str(), std::size(data.szTip) - 1);
    return data;
  }

  void Add() {
    NOTIFYICONDATAW data = Data();
    // A tray that kept the icon would refuse to add it twice.
    ::Shell_NotifyIconW(NIM_DELETE, &data);
    bool added = ::Shell_NotifyIconW(NIM_ADD, &data);
    DebugLogF("tray: icon %s", added ? "added" : "not added (no notification area)");
  }

  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Win32Tray*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == self->taskbarCreated_) {
      self->Add();
      return 0;
    }
    if (msg == kTrayCallback) {
      switch (LOWORD(lParam)) {
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
          // A click or a double click brings the window back.
          DebugLog("tray: icon activated");
          if (self->OnActivate) self->OnActivate();
          break;
        case WM_RBUTTONUP: {
          POINT at;
          ::GetCursorPos(&at);
          TrackMenu(self->menu_, {at.x, at.y}, hwnd);
          break;
        }
        default:
          break;
      }
      return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
  }

  HWND window_ = nullptr;
  HICON icon_ = nullptr;
  UINT taskbarCreated_ = 0;
  std::wstring hint_;
  std::vector<MenuItem> menu_;
};

}  // namespace

std::unique_ptr<TrayIcon> CreateTrayIcon(const std::string&, const std::vector<uint8_t>& iconPng) {
  return std::make_unique<Win32Tray>(iconPng);
}

}  // namespace kestrune::gui
