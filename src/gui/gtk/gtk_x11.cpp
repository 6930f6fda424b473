// The one place that includes the X11 headers (their macros clash with our names).
#include <gdk/gdkx.h>

#include <cstdio>
#include <functional>

namespace kestrune::gui::gtk {

unsigned long X11WindowId(GdkWindow* window) {
  return GDK_IS_X11_WINDOW(window) ? gdk_x11_window_get_xid(window) : 0;
}

namespace {

// The selection an XEmbed notification area owns on its screen.
Atom TraySelection(GdkDisplay* display) {
  char name[40];
  std::snprintf(name, sizeof name, "_NET_SYSTEM_TRAY_S%d",
                DefaultScreen(GDK_DISPLAY_XDISPLAY(display)));
  return gdk_x11_get_xatom_by_name_for_display(display, name);
}

GdkDisplay* X11Display() {
  GdkDisplay* display = gdk_display_get_default();
  return display && GDK_IS_X11_DISPLAY(display) ? display : nullptr;
}

// A new notification area announces itself with a MANAGER message to the
// root window, naming its selection.
GdkFilterReturn TrayAnnouncement(GdkXEvent* native, GdkEvent*, gpointer data) {
  const auto* event = static_cast<const XEvent*>(native);
  GdkDisplay* display = X11Display();
  if (display && event->type == ClientMessage &&
      event->xclient.message_type == gdk_x11_get_xatom_by_name_for_display(display, "MANAGER") &&
      static_cast<Atom>(event->xclient.data.l[1]) == TraySelection(display))
    (*static_cast<std::function<void()>*>(data))();
  return GDK_FILTER_CONTINUE;
}

}  // namespace

bool XEmbedTrayPresent() {
  GdkDisplay* display = X11Display();
  return display &&
         XGetSelectionOwner(GDK_DISPLAY_XDISPLAY(display), TraySelection(display)) != None;
}

bool WatchXEmbedTray(std::function<void()>* appeared) {
  if (!X11Display()) return false;
  GdkWindow* root = gdk_get_default_root_window();
  gdk_window_set_events(
      root, static_cast<GdkEventMask>(gdk_window_get_events(root) | GDK_STRUCTURE_MASK));
  gdk_window_add_filter(root, &TrayAnnouncement, appeared);
  return true;
}

void StopWatchingXEmbedTray(std::function<void()>* appeared) {
  if (X11Display())
    gdk_window_remove_filter(gdk_get_default_root_window(), &TrayAnnouncement, appeared);
}

}  // namespace kestrune::gui::gtk
