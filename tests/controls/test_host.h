// A window stand-in for the control tests: a root control driven by
// synthetic events, with a delegate that records what the host asks for.
#pragma once

#include <vector>

#include "controls/control.h"
#include "controls/control_host.h"

namespace kestrune::testing {

class RecordingDelegate : public HostDelegate {
 public:
  void InvalidateRect(const Rect& rect) override { invalidated.push_back(rect); }
  void SetCursor(Cursor c) override { cursor = c; }
  Point ClientOrigin() override { return origin; }
  Rect ScreenWorkArea() override { return workArea; }
  void OpenPopup(ControlHost& popup, const Rect& screenRect) override {
    openPopup = &popup;
    popupRect = screenRect;
    ++opened;
  }
  void ClosePopup(ControlHost& popup) override {
    if (openPopup == &popup) openPopup = nullptr;
    ++closed;
  }

  std::vector<Rect> invalidated;
  Cursor cursor = Cursor::kDefault;
  Point origin{100, 100};
  Rect workArea{0, 0, 1280, 800};
  ControlHost* openPopup = nullptr;
  Rect popupRect;
  int opened = 0;
  int closed = 0;
};

struct TestWindow {
  explicit TestWindow(int width = 400, int height = 300) : host(root, &delegate) {
    host.Resize(width, height);
  }
  // Pointer helpers in window coordinates.
  void Move(int x, int y) { host.PointerMove(x, y, 0); }
  void Press(int x, int y) { host.PointerDown(MouseButton::kLeft, x, y, kShiftLeft); }
  void Release(int x, int y) { host.PointerUp(MouseButton::kLeft, x, y, 0); }
  void ClickAt(int x, int y) {
    Move(x, y);
    Press(x, y);
    Release(x, y);
  }

  Control root;
  RecordingDelegate delegate;
  ControlHost host;
};

}  // namespace kestrune::testing
