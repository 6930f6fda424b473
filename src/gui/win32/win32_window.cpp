// Frameless top-level windows hosting a control tree, their popup lists, the
// layered shadow surface and the browser tabs, on Win32. Painting is double
// buffered: the invalid area is drawn into a back buffer, then copied.
//
// The layout is in pixels at 96 dpi. On a monitor set to a larger scale a
// window is sized, placed and drawn at that scale (the back buffer is
// enlarged when copied), and everything the host exchanges with the control
// tree (client points, screen rectangles) stays in layout pixels.
#include <windows.h>

#include <memory>
#include <utility>
#include <vector>

#include "gui/win32/win32_browser.h"
#include "gui/win32/win32_gui.h"
#include "gui/win32/win32_paint.h"
#include "platform/debug_log.h"

namespace kestrune::gui {
namespace {

using namespace win32;

constexpr wchar_t kFormClass[] = L"KestruneForm";
constexpr wchar_t kPopupClass[] = L"KestrunePopup";
constexpr wchar_t kShadowClass[] = L"TShadowFormEx";
// Repeats a show notification once the caller's own work is done: a
// companion attached right after Show (the main window's shadow) still hears
// that its form is visible, as it would when the window shows later.
constexpr UINT kAnnounceShown = WM_APP + 3;

int X(LPARAM l) {
  return static_cast<short>(LOWORD(l));
}
int Y(LPARAM l) {
  return static_cast<short>(HIWORD(l));
}

ShiftState ShiftOf(WPARAM keys) {
  ShiftState s = 0;
  if (keys & MK_SHIFT) s |= kShiftShift;
  if (keys & MK_CONTROL) s |= kShiftCtrl;
  if (::GetKeyState(VK_MENU) < 0) s |= kShiftAlt;
  if (keys & MK_LBUTTON) s |= kShiftLeft;
  if (keys & MK_RBUTTON) s |= kShiftRight;
  if (keys & MK_MBUTTON) s |= kShiftMiddle;
  return s;
}

ShiftState KeyShift() {
  return CurrentShiftState() & (kShiftShift | kShiftAlt | kShiftCtrl);
}

HCURSOR CursorOf(Cursor cursor) {
  switch (cursor) {
    case Cursor::kHandPoint:
      return ::LoadCursorW(nullptr, IDC_HAND);
    case Cursor::kIBeam:
      return ::LoadCursorW(nullptr, IDC_IBEAM);
    default:
      return ::LoadCursorW(nullptr, IDC_ARROW);
  }
}

Rect WorkAreaOf(HWND hwnd) {
  MONITORINFO info{sizeof info};
  HMONITOR monitor = ::MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY);
  if (monitor && ::GetMonitorInfoW(monitor, &info))
    return Rect::FromEdges(info.rcWork.left, info.rcWork.top, info.rcWork.right,
                           info.rcWork.bottom);
  return {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

// The left button as the user holds it (swapped buttons included).
bool PrimaryButtonDown() {
  int vk = ::GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
  return (::GetAsyncKeyState(vk) & 0x8000) != 0;
}

void PaintSurface(HWND hwnd, ControlHost& host, const Dpi& dpi) {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(hwnd, &ps);
  PaintHost(host, dc, dpi);
  ::EndPaint(hwnd, &ps);
}

// The window's pixels to repaint for a rectangle of the layout: rounded
// outwards at other scales, so the filtered copy covers its edges.
RECT PhysicalInvalid(const Dpi& dpi, const Rect& r) {
  Rect p = dpi.Px(r);
  if (dpi.value == 96) return {p.x, p.y, p.Right(), p.Bottom()};
  return {p.x - 1, p.y - 1, p.Right() + 1, p.Bottom() + 1};
}

template <typename T>
T* Self(HWND hwnd, UINT msg, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  return reinterpret_cast<T*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

void RegisterClasses();

// ---- Popup surfaces (combo lists) ----

class PopupSurface final : public HostDelegate {
 public:
  // owner: the host of the window that opened the popup. Keys stay with the
  // owner's window (the popup never takes the focus); the popup holds the
  // mouse capture, so a press anywhere reaches it.
  PopupSurface(ControlHost& popup, ControlHost& owner, HWND ownerWindow, const Rect& screenRect,
               const Dpi& dpi)
      : popup_(popup), owner_(owner), origin_{screenRect.x, screenRect.y}, dpi_(dpi) {
    const Rect px = dpi_.Px(screenRect);
    window_ = ::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, kPopupClass,
                                L"", WS_POPUP, px.x, px.y, px.width, px.height, ownerWindow,
                                nullptr, Instance(), this);
    popup_.SetDelegate(this);
    popup_.Resize(screenRect.width, screenRect.height);
    ::ShowWindow(window_, SW_SHOWNOACTIVATE);
    ::SetCapture(window_);
  }
  ~PopupSurface() override {
    Retire();
    ::DestroyWindow(window_);
  }

  // Closed: the capture ends and the surface hides at once; the window is
  // destroyed a moment later, never from inside one of its own messages.
  void Retire() {
    if (retired_) return;
    retired_ = true;
    popup_.SetDelegate(nullptr);
    if (::GetCapture() == window_) ::ReleaseCapture();
    ::ShowWindow(window_, SW_HIDE);
  }

  void InvalidateRect(const Rect& r) override {
    RECT rc = PhysicalInvalid(dpi_, r);
    ::InvalidateRect(window_, &rc, FALSE);
  }
  void SetCursor(Cursor cursor) override { ::SetCursor(CursorOf(cursor)); }
  Point ClientOrigin() override { return origin_; }
  Rect ScreenWorkArea() override { return dpi_.Logical(WorkAreaOf(window_)); }
  void OpenPopup(ControlHost&, const Rect&) override {}
  void ClosePopup(ControlHost&) override {}

  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = Self<PopupSurface>(hwnd, msg, lParam);
    if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    return self->Handle(hwnd, msg, wParam, lParam);
  }

 private:
  LRESULT Handle(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
      case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT:
        PaintSurface(hwnd, popup_, dpi_);
        return 0;
      case WM_MOUSEMOVE:
        if (!retired_ && Inside(lParam))
          popup_.PointerMove(LX(lParam), LY(lParam), ShiftOf(wParam));
        return 0;
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
        Press(ButtonOf(msg), wParam, lParam);
        return 0;
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
      case WM_MBUTTONUP:
        Release(ButtonOf(msg), wParam, lParam);
        return 0;
      case WM_MOUSEWHEEL: {
        POINT p{X(lParam), Y(lParam)};
        ::ScreenToClient(hwnd, &p);
        if (!retired_)
          popup_.PointerWheel(dpi_.Logical(p.x), dpi_.Logical(p.y),
                              GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA,
                              ShiftOf(GET_KEYSTATE_WPARAM(wParam)));
        return 0;
      }
      case WM_CAPTURECHANGED:
        // Another window took the mouse (a switch to another program): the
        // list closes as it would on a press outside.
        if (!retired_ && reinterpret_cast<HWND>(lParam) != hwnd && popup_.OnPressOutside)
          popup_.OnPressOutside();
        return 0;
      default:
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
  }

  static MouseButton ButtonOf(UINT msg) {
    if (msg == WM_RBUTTONDOWN || msg == WM_RBUTTONUP) return MouseButton::kRight;
    if (msg == WM_MBUTTONDOWN || msg == WM_MBUTTONUP) return MouseButton::kMiddle;
    return MouseButton::kLeft;
  }

  int LX(LPARAM l) const { return dpi_.Logical(X(l)); }
  int LY(LPARAM l) const { return dpi_.Logical(Y(l)); }

  bool Inside(LPARAM lParam) const {
    RECT rc;
    ::GetClientRect(window_, &rc);
    POINT p{X(lParam), Y(lParam)};
    return ::PtInRect(&rc, p) != 0;
  }

  // A popup-client point in the opener's client coordinates, when it lies
  // on the opener's window.
  bool InOwner(LPARAM lParam, Point* at) const {
    Point o = owner_.Delegate() ? owner_.Delegate()->ClientOrigin() : Point{};
    *at = {origin_.x + LX(lParam) - o.x, origin_.y + LY(lParam) - o.y};
    return owner_.Root().ClientRect().Contains(at->x, at->y);
  }

  void Press(MouseButton button, WPARAM wParam, LPARAM lParam) {
    if (retired_) return;
    if (Inside(lParam)) {
      popup_.PointerDown(button, LX(lParam), LY(lParam), ShiftOf(wParam), 1);
      return;
    }
    Point at;
    if (InOwner(lParam, &at)) {
      // A press on the opener's window: its host closes the list and hands
      // the press on (a tab, a button), as it would without the capture.
      owner_.PointerDown(button, at.x, at.y, ShiftOf(wParam), 1);
    } else if (popup_.OnPressOutside) {
      popup_.OnPressOutside();
    }
  }

  void Release(MouseButton button, WPARAM wParam, LPARAM lParam) {
    if (!retired_ && Inside(lParam)) {
      popup_.PointerUp(button, LX(lParam), LY(lParam), ShiftOf(wParam));
      return;
    }
    Point at;
    if (InOwner(lParam, &at)) owner_.PointerUp(button, at.x, at.y, ShiftOf(wParam));
  }

  ControlHost& popup_;
  ControlHost& owner_;
  HWND window_ = nullptr;
  Point origin_;
  Dpi dpi_;
  bool retired_ = false;
};

// ---- Shadow surface ----

class Win32ShadowWindow final : public ShadowWindowPort {
 public:
  // dpi: the owner's, which follows the owner from monitor to monitor.
  Win32ShadowWindow(HWND owner, const Rect& rect, std::shared_ptr<const Dpi> dpi)
      : dpi_(std::move(dpi)) {
    const Rect px = dpi_->Px(rect);
    window_ = ::CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, kShadowClass, L"",
                                WS_POPUP | WS_DISABLED, px.x, px.y, px.width, px.height, owner,
                                nullptr, Instance(), nullptr);
  }
  ~Win32ShadowWindow() override {
    if (window_) ::DestroyWindow(window_);
  }

  bool IsWindow() override { return window_ && ::IsWindow(window_); }
  Rect WindowRect() override {
    RECT r{};
    ::GetWindowRect(window_, &r);
    return dpi_->Logical(Rect::FromEdges(r.left, r.top, r.right, r.bottom));
  }
  void SetRect(const Rect& r) override {
    const Rect px = dpi_->Px(r);
    ::SetWindowPos(window_, nullptr, px.x, px.y, px.width, px.height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
  void MoveTo(Point p) override {
    const Point px = dpi_->Px(p);
    ::SetWindowPos(window_, nullptr, px.x, px.y, 0, 0,
                   SWP_NOSIZE | SWP_NOREDRAW | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  void ShowNoActivate() override { ::ShowWindow(window_, SW_SHOWNOACTIVATE); }
  void Hide() override { ::ShowWindow(window_, SW_HIDE); }
  unsigned SurfaceGeneration() override { return dpi_->value; }
  void UpdateLayered(Image layout, Point at) override {
    const Image scaled =
        dpi_->value == 96 ? Image()
                          : Resample(layout, dpi_->Px(layout.Width()), dpi_->Px(layout.Height()));
    const Image& pixels = dpi_->value == 96 ? layout : scaled;
    HBITMAP bitmap = BitmapFromImage(pixels);
    if (!bitmap) return;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    const Point px = dpi_->Px(at);
    POINT dst{px.x, px.y};
    SIZE size{pixels.Width(), pixels.Height()};
    POINT src{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    if (!::UpdateLayeredWindow(window_, screen, &dst, &size, memory, &src, 0, &blend, ULW_ALPHA))
      DebugLog("shadow: the layered window could not be updated");
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
  }

  // Closing it is refused, and it shows or hides only when told to.
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CLOSE || msg == WM_SHOWWINDOW) return 0;
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
  }

 private:
  HWND window_ = nullptr;
  std::shared_ptr<const Dpi> dpi_;
};

// ---- Windows ----

class Win32HostWindow final : public Window, public ShadowOwnerForm {
 public:
  Win32HostWindow(Control& root, const WindowOptions& options)
      : host_(root, this),
        width_(options.width),
        height_(options.height),
        taskbar_(options.taskbar) {
    RegisterClasses();
    host_.SetBackground(options.background);
    host_.Resize(options.width, options.height);
    const std::string& text = WindowText(options);
    window_ = ::CreateWindowExW(
        0, kFormClass, Wide(text).c_str(), WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX,
        0, 0, options.width, options.height, ApplicationWindow(), nullptr, Instance(), this);
    if (!window_) {
      DebugLog("gui: a window could not be created");
      return;
    }
    dpi_->value = DpiOfWindow(window_);
    if (dpi_->value != 96) {
      DebugLogF("gui: drawn at %u dpi", dpi_->value);
      ::SetWindowPos(window_, nullptr, 0, 0, dpi_->Px(width_), dpi_->Px(height_),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }

  ~Win32HostWindow() override {
    *alive_ = false;
    popup_.reset();
    retired_.clear();
    browsers_.clear();
    if (window_) {
      ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
      ::DestroyWindow(window_);
    }
  }

  // HostDelegate
  void InvalidateRect(const Rect& r) override {
    RECT rc = PhysicalInvalid(*dpi_, r);
    ::InvalidateRect(window_, &rc, FALSE);
  }
  void SetCursor(Cursor cursor) override {
    cursor_ = cursor;
    POINT p;
    ::GetCursorPos(&p);
    if (::WindowFromPoint(p) == window_) ::SetCursor(CursorOf(cursor));
  }
  Point ClientOrigin() override {
    POINT p{0, 0};
    ::ClientToScreen(window_, &p);
    return dpi_->Logical(Point{p.x, p.y});
  }
  Rect ScreenWorkArea() override { return dpi_->Logical(WorkAreaOf(window_)); }
  void OpenPopup(ControlHost& popup, const Rect& screenRect) override {
    ClosePopup(popup);
    popup_ = std::make_unique<PopupSurface>(popup, host_, window_, screenRect, *dpi_);
  }
  void ClosePopup(ControlHost&) override {
    if (!popup_) return;
    popup_->Retire();
    retired_.push_back(std::move(popup_));
    RunLater(300, [alive = alive_, this] {
      if (*alive) retired_.clear();
    });
  }

  // Window
  ControlHost& Host() override { return host_; }
  void Show() override {
    if (taskbar_) ::ShowWindow(ApplicationWindow(), SW_SHOWNA);
    ::ShowWindow(window_, SW_SHOW);
    ::SetForegroundWindow(window_);
    ::UpdateWindow(window_);
    ::PostMessageW(window_, kAnnounceShown, 0, 0);
  }
  void Hide() override {
    ::ShowWindow(window_, SW_HIDE);
    // In the tray the program has no taskbar button.
    if (taskbar_) ::ShowWindow(ApplicationWindow(), SW_HIDE);
  }
  bool IsVisible() const override { return ::IsWindowVisible(window_) != 0; }
  void BringToFront() override {
    if (taskbar_) {
      if (::IsIconic(ApplicationWindow())) Restore();
      ::ShowWindow(ApplicationWindow(), SW_SHOWNA);
    }
    ::ShowWindow(window_, SW_SHOWNORMAL);
    ::SetForegroundWindow(window_);
    ::UpdateWindow(window_);
  }
  void Minimize() override {
    if (!taskbar_) {
      ::ShowWindow(window_, SW_MINIMIZE);
      return;
    }
    // The application window carries the taskbar button; its owned windows
    // go with it (said outright: not every system hides them by itself).
    ::ShowWindow(ApplicationWindow(), SW_MINIMIZE);
    ::ShowOwnedPopups(ApplicationWindow(), FALSE);
  }
  bool IsMinimized() const override {
    return ::IsIconic(taskbar_ ? ApplicationWindow() : window_) != 0;
  }
  void Restore() override {
    if (!taskbar_) {
      ::ShowWindow(window_, SW_RESTORE);
      return;
    }
    ::ShowWindow(ApplicationWindow(), SW_RESTORE);
    ::ShowOwnedPopups(ApplicationWindow(), TRUE);
  }
  void SetSkipTaskbar(bool skip) override {
    if (!taskbar_) return;
    ::ShowWindow(ApplicationWindow(), skip ? SW_HIDE : SW_SHOWNA);
  }
  void CentreOnScreen() override {
    Rect area = ScreenWorkArea();
    MoveTo(area.x + (area.width - width_) / 2, area.y + (area.height - height_) / 2);
  }
  void CentreOn(Window& other) override {
    Rect r = other.ScreenRect();
    MoveTo(r.x + (r.width - width_) / 2, r.y + (r.height - height_) / 2);
  }
  Rect ScreenRect() const override {
    RECT r{};
    ::GetWindowRect(window_, &r);
    return dpi_->Logical(Rect::FromEdges(r.left, r.top, r.right, r.bottom));
  }
  void MoveTo(int x, int y) override {
    ::SetWindowPos(window_, nullptr, dpi_->Px(x), dpi_->Px(y), 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  void BeginCaptionDrag() override {
    // The system's move loop follows the held button; without one there is
    // nothing to drag.
    if (!PrimaryButtonDown()) return;
    ::ReleaseCapture();
    POINT p;
    ::GetCursorPos(&p);
    ::SendMessageW(window_, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(p.x, p.y));
  }
  void RequestClose() override {
    if (OnCloseQuery && !OnCloseQuery()) return;
    if (OnClose) OnClose();
  }
  int RunModal(Window* owner) override {
    if (Quitting()) return 2;
    HWND ownerWindow = ApplicationWindow();
    if (auto* o = dynamic_cast<Win32HostWindow*>(owner)) ownerWindow = o->window_;
    ::SetWindowLongPtrW(window_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(ownerWindow));
    // Every other window of the program takes no input while this one runs.
    std::vector<HWND> disabled;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND w, LPARAM data) -> BOOL {
          auto* list = reinterpret_cast<std::vector<HWND>*>(data);
          if (::IsWindowVisible(w) && ::IsWindowEnabled(w)) list->push_back(w);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&disabled));
    for (HWND w : disabled)
      if (w != window_) ::EnableWindow(w, FALSE);
    modalResult_ = 2;  // ended any other way than by a button: Cancel
    modalDone_ = false;
    Show();
    while (!modalDone_ && PumpOnce()) {
    }
    for (HWND w : disabled)
      if (w != window_) ::EnableWindow(w, TRUE);
    if (ownerWindow && ::IsWindowVisible(ownerWindow)) ::SetForegroundWindow(ownerWindow);
    Hide();
    return modalResult_;
  }
  void EndModal(int result) override {
    modalResult_ = result;
    modalDone_ = true;
    ::PostMessageW(window_, WM_NULL, 0, 0);  // wakes the modal loop
  }
  Browser& CreateBrowser(const Rect& rect) override {
    browsers_.push_back(CreateBrowserIn(window_, dpi_->Px(rect)));
    return *browsers_.back();
  }
  ShadowOwnerForm& ShadowOwner() override { return *this; }
  unsigned long NativeId() const override {
    return static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window_));
  }

  // ShadowOwnerForm
  Rect FormWindowRect() override { return ScreenRect(); }
  bool FormVisible() override { return IsVisible(); }
  void SetDoubleBuffered(bool) override {}  // always double buffered
  bool DragFullWindows() override {
    BOOL on = TRUE;
    ::SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &on, 0);
    return on != FALSE;
  }
  std::unique_ptr<ShadowWindowPort> CreateShadowWindow(const Rect& screenRect) override {
    return std::make_unique<Win32ShadowWindow>(window_, screenRect, dpi_);
  }

  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = Self<Win32HostWindow>(hwnd, msg, lParam);
    if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    self->window_ = hwnd;
    return self->Handle(msg, wParam, lParam);
  }

 private:
  static const std::string& WindowText(const WindowOptions& options) {
    return options.windowText.empty() ? options.title : options.windowText;
  }

  void Notify(const FormMessage& message) {
    if (OnFormMessage) OnFormMessage(message);
  }

  // The shadow companion hears of each move, size, show and focus change
  // before the window acts on it.
  void NotifyForm(UINT msg, WPARAM wParam, LPARAM lParam) {
    FormMessage m{FormMessage::Kind::kMove};
    switch (msg) {
      case WM_MOVE:
        break;
      case WM_MOVING:
        m.kind = FormMessage::Kind::kMoving;
        break;
      case WM_SIZE:
        m.kind = FormMessage::Kind::kSize;
        m.sizeType = static_cast<int>(wParam);
        break;
      case WM_SHOWWINDOW:
        m.kind = FormMessage::Kind::kShowWindow;
        m.shown = wParam != 0;
        break;
      case WM_WINDOWPOSCHANGING:
      case WM_WINDOWPOSCHANGED: {
        m.kind = msg == WM_WINDOWPOSCHANGING ? FormMessage::Kind::kWindowPosChanging
                                             : FormMessage::Kind::kWindowPosChanged;
        auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        m.hasPos = pos != nullptr;
        m.posFlags = pos ? pos->flags : 0;
        break;
      }
      case WM_ACTIVATE:
        m.kind = FormMessage::Kind::kActivate;
        m.active = LOWORD(wParam) != WA_INACTIVE;
        break;
      case WM_ACTIVATEAPP:
        m.kind = FormMessage::Kind::kActivateApp;
        m.active = wParam != 0;
        break;
      case WM_NCACTIVATE:
        m.kind = FormMessage::Kind::kNcActivate;
        m.active = wParam != 0;
        break;
      default:
        return;
    }
    Notify(m);
  }

  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    NotifyForm(msg, wParam, lParam);
    switch (msg) {
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT:
        PaintSurface(window_, host_, *dpi_);
        if (!painted_) {
          painted_ = true;
          if (OnFirstPaint) OnFirstPaint();
        }
        return 0;
      case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
          ::SetCursor(CursorOf(cursor_));
          return TRUE;
        }
        break;
      case WM_MOUSEMOVE:
        if (!tracking_) {
          TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window_, 0};
          tracking_ = ::TrackMouseEvent(&track) != FALSE;
        }
        host_.PointerMove(LX(lParam), LY(lParam), ShiftOf(wParam));
        return 0;
      case WM_MOUSELEAVE:
        tracking_ = false;
        host_.PointerLeave();
        return 0;
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
      case WM_RBUTTONDBLCLK:
      case WM_MBUTTONDBLCLK: {
        ::SetFocus(window_);
        ::SetCapture(window_);
        bool twice = msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK;
        host_.PointerDown(ButtonOf(msg), LX(lParam), LY(lParam), ShiftOf(wParam), twice ? 2 : 1);
        return 0;
      }
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
      case WM_MBUTTONUP:
        if (!(wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) && ::GetCapture() == window_)
          ::ReleaseCapture();
        host_.PointerUp(ButtonOf(msg), LX(lParam), LY(lParam), ShiftOf(wParam));
        return 0;
      case WM_MOUSEWHEEL: {
        POINT p{X(lParam), Y(lParam)};
        ::ScreenToClient(window_, &p);
        host_.PointerWheel(dpi_->Logical(p.x), dpi_->Logical(p.y),
                           GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA,
                           ShiftOf(GET_KEYSTATE_WPARAM(wParam)));
        return 0;
      }
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
        if (wParam == VK_F4 && ::GetKeyState(VK_MENU) < 0) {
          RequestClose();
          return 0;
        }
        if (host_.KeyDown(static_cast<int>(wParam), KeyShift())) return 0;
        break;
      case WM_KEYUP:
      case WM_SYSKEYUP:
        if (host_.KeyUp(static_cast<int>(wParam), KeyShift())) return 0;
        break;
      case WM_CHAR: {
        char32_t ch = static_cast<char32_t>(wParam);
        if (ch >= 0xD800 && ch < 0xDC00) {
          highSurrogate_ = ch;
          return 0;
        }
        if (ch >= 0xDC00 && ch < 0xE000 && highSurrogate_) {
          ch = 0x10000 + ((highSurrogate_ - 0xD800) << 10) + (ch - 0xDC00);
          highSurrogate_ = 0;
        }
        // Characters typed with Ctrl are commands, not text.
        if (::GetKeyState(VK_CONTROL) >= 0) host_.KeyPress(ch);
        return 0;
      }
      case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) ::SetFocus(window_);
        host_.WindowFocusChanged(LOWORD(wParam) != WA_INACTIVE);
        return 0;
      case WM_CLOSE:
        RequestClose();
        return 0;
      case WM_QUERYENDSESSION:
        SessionEnding();
        return TRUE;
      case WM_DPICHANGED: {
        // Moved to a monitor with another scale: take the size the system
        // suggests for the new scale and draw everything again.
        dpi_->value = HIWORD(wParam) ? HIWORD(wParam) : 96;
        DebugLogF("gui: drawn at %u dpi", dpi_->value);
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        ::SetWindowPos(window_, nullptr, suggested->left, suggested->top, dpi_->Px(width_),
                       dpi_->Px(height_), SWP_NOZORDER | SWP_NOACTIVATE);
        ::InvalidateRect(window_, nullptr, FALSE);
        return 0;
      }
      case kAnnounceShown:
        if (::IsWindowVisible(window_)) NotifyForm(WM_SHOWWINDOW, TRUE, 0);
        return 0;
      default:
        // Another process found this window by its text and posted to it.
        if (msg >= WM_USER && msg < WM_APP) {
          if (OnAppMessage) OnAppMessage(msg, wParam, lParam);
          return 0;
        }
        break;
    }
    return ::DefWindowProcW(window_, msg, wParam, lParam);
  }

  int LX(LPARAM l) const { return dpi_->Logical(X(l)); }
  int LY(LPARAM l) const { return dpi_->Logical(Y(l)); }

  static MouseButton ButtonOf(UINT msg) {
    if (msg == WM_RBUTTONDOWN || msg == WM_RBUTTONUP || msg == WM_RBUTTONDBLCLK)
      return MouseButton::kRight;
    if (msg == WM_MBUTTONDOWN || msg == WM_MBUTTONUP || msg == WM_MBUTTONDBLCLK)
      return MouseButton::kMiddle;
    return MouseButton::kLeft;
  }

  ControlHost host_;
  int width_;
  int height_;
  bool taskbar_;
  HWND window_ = nullptr;
  std::shared_ptr<Dpi> dpi_ = std::make_shared<Dpi>();
  Cursor cursor_ = Cursor::kDefault;
  bool tracking_ = false;
  char32_t highSurrogate_ = 0;
  std::unique_ptr<PopupSurface> popup_;
  std::vector<std::unique_ptr<PopupSurface>> retired_;  // closed, freed shortly
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  std::vector<std::unique_ptr<Browser>> browsers_;
  bool painted_ = false;
  bool modalDone_ = false;
  int modalResult_ = 0;
};

void RegisterClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  WNDCLASSEXW form{sizeof form};
  form.style = CS_DBLCLKS;
  form.lpfnWndProc = &Win32HostWindow::Proc;
  form.hInstance = Instance();
  form.lpszClassName = kFormClass;
  ::RegisterClassExW(&form);
  WNDCLASSEXW popup{sizeof popup};
  popup.lpfnWndProc = &PopupSurface::Proc;
  popup.hInstance = Instance();
  popup.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  popup.lpszClassName = kPopupClass;
  ::RegisterClassExW(&popup);
  WNDCLASSEXW shadow{sizeof shadow};
  shadow.lpfnWndProc = &Win32ShadowWindow::Proc;
  shadow.hInstance = Instance();
  shadow.lpszClassName = kShadowClass;
  ::RegisterClassExW(&shadow);  // a class that exists already is fine
}

}  // namespace

std::unique_ptr<Window> CreateWindow(Control& root, const WindowOptions& options) {
  return std::make_unique<Win32HostWindow>(root, options);
}

}  // namespace kestrune::gui
