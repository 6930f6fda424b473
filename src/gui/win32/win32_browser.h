// Windows only: the browser tab host (win32_browser.cpp).
#pragma once

#include "gui/win32/win32_gui.h"

#include <memory>

#include "controls/geometry.h"

namespace kestrune::gui::win32 {

// A browser over `rect` of the parent window's client area, initially hidden.
std::unique_ptr<Browser> CreateBrowserIn(HWND parent, const Rect& rect);
// Gives a key message to the browser it belongs to; true when it was used.
bool TranslateBrowserKey(MSG* msg);

}  // namespace kestrune::gui::win32
