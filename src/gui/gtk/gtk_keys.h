// Key translation between GDK and the Windows virtual-key numbering that the
// controls and the stored hot-key codes use.
#pragma once

#include <gdk/gdk.h>

#include "controls/control.h"

namespace kestrune::gui::gtk {

// The virtual-key code of a key event (from its unshifted key), 0 when unknown.
int VirtualKeyOf(const GdkEventKey* event);
int VirtualKeyOfKeyval(guint keyval);
ShiftState ShiftStateOf(guint gdkState);

}  // namespace kestrune::gui::gtk
