#include "xembed_tray.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <cstdio>

namespace kestrune::test {

namespace {
Display* X(void* display) {
  return static_cast<Display*>(display);
}
constexpr long kRequestDock = 0;
}  // namespace

XEmbedTray::XEmbedTray() {
  Display* x = XOpenDisplay(nullptr);
  if (!x) return;
  display_ = x;
  int screen = DefaultScreen(x);
  Window root = RootWindow(x, screen);
  window_ = XCreateSimpleWindow(x, root, 0, 0, 1, 1, 0, 0, 0);
  char name[40];
  std::snprintf(name, sizeof name, "_NET_SYSTEM_TRAY_S%d", screen);
  Atom selection = XInternAtom(x, name, False);
  XSetSelectionOwner(x, selection, window_, CurrentTime);
  if (XGetSelectionOwner(x, selection) != window_) return;
  long horizontal = 0;
  XChangeProperty(x, window_, XInternAtom(x, "_NET_SYSTEM_TRAY_ORIENTATION", False), XA_CARDINAL,
                  32, PropModeReplace, reinterpret_cast<unsigned char*>(&horizontal), 1);
  XEvent manager{};
  manager.xclient.type = ClientMessage;
  manager.xclient.window = root;
  manager.xclient.message_type = XInternAtom(x, "MANAGER", False);
  manager.xclient.format = 32;
  manager.xclient.data.l[0] = CurrentTime;
  manager.xclient.data.l[1] = static_cast<long>(selection);
  manager.xclient.data.l[2] = static_cast<long>(window_);
  XSendEvent(x, root, False, StructureNotifyMask, &manager);
  XSync(x, False);
  running_ = true;
  thread_ = std::thread([this] { Serve(); });
}

XEmbedTray::~XEmbedTray() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (display_) {
    if (window_) XDestroyWindow(X(display_), window_);  // gives the selection up
    XCloseDisplay(X(display_));
  }
}

std::vector<unsigned long> XEmbedTray::DockRequests() {
  std::lock_guard lock(mutex_);
  return docks_;
}

void XEmbedTray::Serve() {
  Display* x = X(display_);
  Atom opcode = XInternAtom(x, "_NET_SYSTEM_TRAY_OPCODE", False);
  pollfd fd{ConnectionNumber(x), POLLIN, 0};
  while (!stop_) {
    while (XPending(x) > 0) {
      XEvent event;
      XNextEvent(x, &event);
      if (event.type == ClientMessage && event.xclient.message_type == opcode &&
          event.xclient.data.l[1] == kRequestDock) {
        std::lock_guard lock(mutex_);
        docks_.push_back(static_cast<unsigned long>(event.xclient.data.l[2]));
      }
    }
    ::poll(&fd, 1, 50);
  }
}

}  // namespace kestrune::test
