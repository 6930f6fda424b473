// Windows only: the window surface a control host paints on.
#pragma once

#include <windows.h>

#include "controls/control_host.h"

namespace kestrune::gui::win32 {

// Paints the host (double buffered: the host keeps the back buffer and
// redraws only its invalid part) onto a window's paint context.
void PaintHost(ControlHost& host, HDC target);

}  // namespace kestrune::gui::win32
