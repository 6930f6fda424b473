// The one place that includes the X11 headers (their macros clash with our names).
#include <gdk/gdkx.h>

namespace kestrune::gui::gtk {

unsigned long X11WindowId(GdkWindow* window) {
  return GDK_IS_X11_WINDOW(window) ? gdk_x11_window_get_xid(window) : 0;
}

}  // namespace kestrune::gui::gtk
