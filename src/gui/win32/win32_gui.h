// Windows only: what the files of the Win32 GUI host share. The application
// window, the hidden message window that carries timers and posted work, the
// message pump that modal loops reuse, and small conversions.
#pragma once

#include <windows.h>
// Our CreateWindow is the toolkit-neutral one of the GUI host, which this
// header includes; the host's files include it through here.
#undef CreateWindow

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "controls/control.h"
#include "controls/image.h"
#include "gui/gui_host.h"
#include "platform/win32/win32_text.h"

namespace kestrune::gui::win32 {

using platform::win32::Narrow;
using platform::win32::Wide;

// The invisible top-level window that owns the taskbar button and carries the
// application title; every window listed in the taskbar is owned by it.
HWND ApplicationWindow();
HINSTANCE Instance();

// One round of the message pump: waits for a message or a bus endpoint,
// then dispatches everything pending. Returns false once the program quits.
bool PumpOnce();
bool Quitting();

// The modifier and button state now, as the controls count it.
ShiftState CurrentShiftState();

// A 32-bit top-down DIB section with the image's premultiplied pixels
// (0xAARRGGBB is the DIB's BGRA byte order); nullptr on failure.
HBITMAP BitmapFromImage(const Image& image);
// An icon made from the image (alpha kept); nullptr on failure.
HICON IconFromImage(const Image& image);

// The application-wide session-end handler (WM_QUERYENDSESSION).
void SessionEnding();

}  // namespace kestrune::gui::win32
