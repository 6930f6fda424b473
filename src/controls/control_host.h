// The bridge between one window (or popup surface) and its tree of
// windowless controls. The window forwards its events here; the host does
// hit testing, enter/leave, press/release/click dispatch with capture,
// keyboard focus, invalidation and double-buffered repaint. Nothing here
// knows the windowing toolkit: the window implements HostDelegate.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "controls/canvas.h"
#include "controls/control.h"
#include "controls/image.h"

namespace kestrune {

class ControlHost;

// What a host asks of its window. All coordinates are the window's client
// coordinates unless the name says screen.
class HostDelegate {
 public:
  virtual ~HostDelegate() = default;
  // Schedule a paint of this area (the window later calls Paint*).
  virtual void InvalidateRect(const Rect& rect) = 0;
  virtual void SetCursor(Cursor cursor) = 0;
  // The window's client origin on the screen.
  virtual Point ClientOrigin() = 0;
  // Usable screen area (of the monitor that shows the window).
  virtual Rect ScreenWorkArea() = 0;
  // Open a borderless popup surface at a screen rectangle and route its
  // pointer, key and paint events to `popup` (the popup's own host: the
  // window gives it a delegate with SetDelegate). While it is open the window
  // should grab the pointer for the popup so presses outside it reach it.
  virtual void OpenPopup(ControlHost& popup, const Rect& screenRect) = 0;
  // Close the popup opened for this host (and SetDelegate(nullptr) on it).
  virtual void ClosePopup(ControlHost& popup) = 0;
};

class ControlHost {
 public:
  ControlHost(Control& root, HostDelegate* delegate = nullptr);
  ~ControlHost();
  ControlHost(const ControlHost&) = delete;
  ControlHost& operator=(const ControlHost&) = delete;

  Control& Root() const { return root_; }
  HostDelegate* Delegate() const { return delegate_; }
  void SetDelegate(HostDelegate* delegate);

  // --- events from the window (client coordinates) ---
  void PointerMove(int x, int y, ShiftState shift);
  // clickCount 2 is a double click (sent after the first press/release pair).
  void PointerDown(MouseButton button, int x, int y, ShiftState shift, int clickCount = 1);
  void PointerUp(MouseButton button, int x, int y, ShiftState shift);
  void PointerLeave();
  void PointerWheel(int x, int y, int delta, ShiftState shift);
  // Returns true when a control handled the key (the window then stops it).
  bool KeyDown(int virtualKey, ShiftState shift);
  bool KeyUp(int virtualKey, ShiftState shift);
  // A typed character (after the toolkit's input method).
  bool KeyPress(char32_t ch);
  // Window focus: on loss, drop capture and close any popup.
  void WindowFocusChanged(bool focused);
  // The window's client size changed: resizes the root (anchors follow).
  void Resize(int width, int height);

  // Current modifier state, from the latest event (what a hot-key editor asks
  // for as "physically down").
  ShiftState Modifiers() const { return modifiers_; }

  // --- painting ---
  // Double-buffered: repaints the invalid area into the back buffer and
  // copies the buffer to the window's canvas (clipped by the window).
  void Paint(Canvas& target);
  // Unbuffered: paints the whole tree (clipped to `clip`) on any canvas.
  void PaintTo(Canvas& canvas, const Rect& clip);
  void PaintTo(Canvas& canvas) { PaintTo(canvas, root_.ClientRect()); }
  // Renders the whole tree offscreen (tests, screenshots).
  Image RenderToImage();
  Color Background() const { return background_; }
  void SetBackground(Color color) { background_ = color; }

  // --- control-side services ---
  void InvalidateRect(const Rect& rect);
  Rect InvalidRect() const { return invalid_; }
  void SetFocusControl(Control* control);
  Control* FocusControl() const { return focus_; }
  Control* HoverControl() const { return hover_; }
  Control* CaptureControl() const { return capture_; }
  void ReleaseCapture();
  Control* ControlAt(int x, int y) const;  // deepest visible, enabled-or-not hit
  Point ClientToScreen(Point p) const;
  Rect ScreenWorkArea() const;
  // Popups owned by a control of this host. Any press in this host while one
  // is open closes it first (onClosed runs); a press on the opener itself is
  // then still delivered so it can toggle.
  void OpenPopup(ControlHost& popup, const Rect& screenRect, Control* opener,
                 std::function<void()> onClosed);
  void ClosePopup();
  bool PopupOpen() const { return popup_ != nullptr; }
  // For popup hosts: called on a press that lands outside every control.
  std::function<void()> OnPressOutside;

  // Millisecond clock used for type-to-select timeouts; tests replace it.
  std::function<int64_t()> Clock;
  int64_t NowMs() const;

  // Called by Control's destructor and SetParent.
  void ForgetControl(Control* control);

 private:
  void UpdateHover(int x, int y, ShiftState shift);
  void PaintControl(Canvas& canvas, Control& control, const Rect& clip);
  void EnsureBackBuffer(Canvas& target);

  Control& root_;
  HostDelegate* delegate_;
  Control* hover_ = nullptr;
  Control* capture_ = nullptr;
  Control* focus_ = nullptr;
  Control* pressed_ = nullptr;
  Control* upTarget_ = nullptr;
  MouseButton pressedButton_ = MouseButton::kLeft;
  ShiftState modifiers_ = 0;
  Rect invalid_;
  Color background_ = colors::kWindow;
  std::unique_ptr<FrameBuffer> back_;
  bool backValid_ = false;
  ControlHost* popup_ = nullptr;
  Control* popupOpener_ = nullptr;
  std::function<void()> popupClosed_;
  Cursor cursor_ = Cursor::kDefault;
};

}  // namespace kestrune
