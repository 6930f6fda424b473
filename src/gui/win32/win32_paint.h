// Windows only: the window surface a control host paints on.
#pragma once

#include <windows.h>

#include "controls/control_host.h"

namespace kestrune::gui::win32 {

// Paints the host (double buffered: the host keeps the back buffer and
// redraws only its invalid part) onto a window's paint context.
// A window's scale: layout pixels (96 dpi) to the pixels of the monitor the
// window is on, and back. Rectangles scale by their edges, so neighbours stay
// neighbours.
struct Dpi {
  UINT value = 96;

  int Px(int v) const { return ::MulDiv(v, static_cast<int>(value), 96); }
  int Logical(int v) const { return ::MulDiv(v, 96, static_cast<int>(value)); }
  Point Px(Point p) const { return {Px(p.x), Px(p.y)}; }
  Point Logical(Point p) const { return {Logical(p.x), Logical(p.y)}; }
  Rect Px(const Rect& r) const {
    return Rect::FromEdges(Px(r.x), Px(r.y), Px(r.Right()), Px(r.Bottom()));
  }
  Rect Logical(const Rect& r) const {
    return Rect::FromEdges(Logical(r.x), Logical(r.y), Logical(r.Right()), Logical(r.Bottom()));
  }
};

// The window's dpi (96 where the system cannot say).
UINT DpiOfWindow(HWND window);

// Copies the host's back buffer to the window at the window's scale.
void PaintHost(ControlHost& host, HDC target, const Dpi& dpi);

}  // namespace kestrune::gui::win32
