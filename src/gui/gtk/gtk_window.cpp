// Frameless top-level windows hosting a control tree, their popups, the
// shadow surface and the embedded browsers.
#include <gtk/gtk.h>

#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "controls/cairo/cairo_canvas.h"
#include "gui/gtk/gtk_browser_texts.h"
#include "gui/gtk/gtk_keys.h"
#include "gui/gui_host.h"
#include "i18n/i18n.h"
#include "platform/debug_log.h"
#include "platform/shared_library.h"

namespace kestrune::gui {
namespace gtk {
unsigned long X11WindowId(GdkWindow* window);  // gtk_x11.cpp: X11 macros stay there
// gtk_app.cpp: a nested loop for a modal window; false when the program is
// ending (the dialog is not shown at all).
bool RunModalLoop(GMainLoop** running);
}  // namespace gtk
namespace {

MouseButton ButtonOf(guint button) {
  if (button == 3) return MouseButton::kRight;
  if (button == 2) return MouseButton::kMiddle;
  return MouseButton::kLeft;
}

void ConnectPointer(GtkWidget* area, ControlHost* host) {
  gtk_widget_add_events(area, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                  GDK_POINTER_MOTION_MASK | GDK_LEAVE_NOTIFY_MASK |
                                  GDK_KEY_PRESS_MASK | GDK_KEY_RELEASE_MASK | GDK_SCROLL_MASK);
  g_signal_connect(area, "scroll-event",
                   G_CALLBACK(+[](GtkWidget*, GdkEventScroll* e, gpointer data) -> gboolean {
                     // Notches: positive away from the user.
                     int delta = 0;
                     if (e->direction == GDK_SCROLL_UP) delta = 1;
                     if (e->direction == GDK_SCROLL_DOWN) delta = -1;
                     if (delta != 0)
                       static_cast<ControlHost*>(data)->PointerWheel(static_cast<int>(e->x),
                                                                     static_cast<int>(e->y), delta,
                                                                     gtk::ShiftStateOf(e->state));
                     return TRUE;
                   }),
                   host);
  g_signal_connect(area, "draw",
                   G_CALLBACK(+[](GtkWidget*, cairo_t* cr, gpointer data) -> gboolean {
                     CairoCanvas canvas(cr);
                     static_cast<ControlHost*>(data)->Paint(canvas);
                     return FALSE;  // the first-frame hook runs after this
                   }),
                   host);
  g_signal_connect(area, "button-press-event",
                   G_CALLBACK(+[](GtkWidget* w, GdkEventButton* e, gpointer data) -> gboolean {
                     auto* h = static_cast<ControlHost*>(data);
                     if (e->type == GDK_BUTTON_PRESS) {
                       gtk_widget_grab_focus(w);
                       h->PointerDown(ButtonOf(e->button), static_cast<int>(e->x),
                                      static_cast<int>(e->y), gtk::ShiftStateOf(e->state), 1);
                     } else if (e->type == GDK_2BUTTON_PRESS) {
                       h->PointerDown(ButtonOf(e->button), static_cast<int>(e->x),
                                      static_cast<int>(e->y), gtk::ShiftStateOf(e->state), 2);
                     }
                     return TRUE;
                   }),
                   host);
  g_signal_connect(area, "button-release-event",
                   G_CALLBACK(+[](GtkWidget*, GdkEventButton* e, gpointer data) -> gboolean {
                     static_cast<ControlHost*>(data)->PointerUp(
                         ButtonOf(e->button), static_cast<int>(e->x), static_cast<int>(e->y),
                         gtk::ShiftStateOf(e->state));
                     return TRUE;
                   }),
                   host);
  g_signal_connect(area, "motion-notify-event",
                   G_CALLBACK(+[](GtkWidget*, GdkEventMotion* e, gpointer data) -> gboolean {
                     static_cast<ControlHost*>(data)->PointerMove(static_cast<int>(e->x),
                                                                  static_cast<int>(e->y),
                                                                  gtk::ShiftStateOf(e->state));
                     return TRUE;
                   }),
                   host);
  g_signal_connect(area, "leave-notify-event",
                   G_CALLBACK(+[](GtkWidget*, GdkEventCrossing* e, gpointer data) -> gboolean {
                     // Crossing into a grab or an inferior is not leaving.
                     if (e->mode == GDK_CROSSING_NORMAL)
                       static_cast<ControlHost*>(data)->PointerLeave();
                     return FALSE;
                   }),
                   host);
}

gboolean ForwardKey(GtkWidget*, GdkEventKey* e, gpointer data) {
  auto* host = static_cast<ControlHost*>(data);
  int vk = gtk::VirtualKeyOf(e);
  ShiftState shift = gtk::ShiftStateOf(e->state);
  if (e->type == GDK_KEY_RELEASE) return vk ? host->KeyUp(vk, shift) : FALSE;
  bool handled = vk ? host->KeyDown(vk, shift) : false;
  gunichar ch = gdk_keyval_to_unicode(e->keyval);
  // Characters typed with Ctrl or Alt are commands, not text.
  if (ch != 0 && !(e->state & (GDK_CONTROL_MASK | GDK_MOD1_MASK)))
    handled = host->KeyPress(static_cast<char32_t>(ch)) || handled;
  return handled ? TRUE : FALSE;
}

// ---- Popup surfaces (combo lists) ----

class PopupSurface final : public HostDelegate {
 public:
  // owner: the host of the window that opened the popup. Keys belong to its
  // focused control (the opener), wherever the display delivers them.
  PopupSurface(ControlHost& popup, ControlHost& owner, const Rect& screenRect)
      : popup_(popup), owner_(owner) {
    window_ = gtk_window_new(GTK_WINDOW_POPUP);
    gtk_window_set_type_hint(GTK_WINDOW(window_), GDK_WINDOW_TYPE_HINT_COMBO);
    gtk_window_move(GTK_WINDOW(window_), screenRect.x, screenRect.y);
    gtk_window_resize(GTK_WINDOW(window_), screenRect.width, screenRect.height);
    area_ = gtk_drawing_area_new();
    gtk_widget_set_size_request(area_, screenRect.width, screenRect.height);
    gtk_widget_set_can_focus(area_, TRUE);
    gtk_container_add(GTK_CONTAINER(window_), area_);
    ConnectPointer(area_, &popup_);
    g_signal_connect(window_, "key-press-event", G_CALLBACK(ForwardKey), &owner_);
    g_signal_connect(window_, "key-release-event", G_CALLBACK(ForwardKey), &owner_);
    // Under the grab, presses outside every window of ours arrive at the
    // popup's own window, outside the drawing area: they close the list.
    gtk_widget_add_events(window_, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK);
    g_signal_connect(window_, "button-press-event", G_CALLBACK(&PopupSurface::PressOnWindow), this);
    g_signal_connect(window_, "button-release-event", G_CALLBACK(&PopupSurface::ReleaseOnWindow),
                     this);
    // The grab needs a viewable window: it is taken once the popup is mapped.
    g_signal_connect(window_, "map-event",
                     G_CALLBACK(+[](GtkWidget* w, GdkEvent*, gpointer) -> gboolean {
                       GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
                       GdkGrabStatus status = gdk_seat_grab(seat, gtk_widget_get_window(w),
                                                            GDK_SEAT_CAPABILITY_ALL_POINTING, TRUE,
                                                            nullptr, nullptr, nullptr, nullptr);
                       if (status != GDK_GRAB_SUCCESS)
                         DebugLogF("popup: pointer grab refused (%d)", static_cast<int>(status));
                       return FALSE;
                     }),
                     nullptr);
    origin_ = {screenRect.x, screenRect.y};
    popup_.SetDelegate(this);
    popup_.Resize(screenRect.width, screenRect.height);
    gtk_widget_show_all(window_);
  }
  ~PopupSurface() override {
    Retire();
    gtk_widget_destroy(window_);
  }

  // Closed: the grab ends and the surface hides at once, but the window
  // lives a moment longer, so events the display already queued for it (the
  // release of the press that closed the list) still reach the opener's
  // window instead of being lost.
  void Retire() {
    if (retired_) return;
    retired_ = true;
    gdk_seat_ungrab(gdk_display_get_default_seat(gdk_display_get_default()));
    popup_.SetDelegate(nullptr);
    gtk_widget_set_sensitive(area_, FALSE);  // the list takes nothing more
    gtk_widget_hide(window_);
  }

  void InvalidateRect(const Rect& r) override {
    gtk_widget_queue_draw_area(area_, r.x, r.y, r.width, r.height);
  }
  void SetCursor(Cursor) override {}
  Point ClientOrigin() override { return origin_; }
  Rect ScreenWorkArea() override {
    GdkRectangle area{0, 0, 1280, 1024};
    GdkMonitor* monitor = gdk_display_get_primary_monitor(gdk_display_get_default());
    if (!monitor) monitor = gdk_display_get_monitor(gdk_display_get_default(), 0);
    if (monitor) gdk_monitor_get_workarea(monitor, &area);
    return {area.x, area.y, area.width, area.height};
  }
  void OpenPopup(ControlHost&, const Rect&) override {}
  void ClosePopup(ControlHost&) override {}

 private:
  // The opener's window under a screen point, in its client coordinates.
  bool InOwner(const GdkEventButton* e, Point* at) const {
    Point o = owner_.Delegate() ? owner_.Delegate()->ClientOrigin() : Point{};
    *at = {static_cast<int>(e->x_root) - o.x, static_cast<int>(e->y_root) - o.y};
    return owner_.Root().ClientRect().Contains(at->x, at->y);
  }

  static gboolean ReleaseOnWindow(GtkWidget*, GdkEventButton* e, gpointer data) {
    auto* self = static_cast<PopupSurface*>(data);
    Point at;
    if (self->retired_ && self->InOwner(e, &at))
      self->owner_.PointerUp(ButtonOf(e->button), at.x, at.y, gtk::ShiftStateOf(e->state));
    return TRUE;
  }

  static gboolean PressOnWindow(GtkWidget*, GdkEventButton* e, gpointer data) {
    auto* self = static_cast<PopupSurface*>(data);
    if (e->type != GDK_BUTTON_PRESS || self->retired_) return TRUE;
    int x = 0, y = 0;
    if (GdkWindow* w = gtk_widget_get_window(self->area_)) gdk_window_get_origin(w, &x, &y);
    Rect area{x, y, gtk_widget_get_allocated_width(self->area_),
              gtk_widget_get_allocated_height(self->area_)};
    const int px = static_cast<int>(e->x_root), py = static_cast<int>(e->y_root);
    if (area.Contains(px, py)) return FALSE;
    // Closing retires this surface; it is freed later, never during the event.
    Point at;
    if (self->InOwner(e, &at)) {
      // A press on the opener's window: its host closes the list and hands
      // the press on (a tab, a button), as it would without the grab.
      self->owner_.PointerDown(ButtonOf(e->button), at.x, at.y, gtk::ShiftStateOf(e->state), 1);
    } else {
      ControlHost& popup = self->popup_;
      if (popup.OnPressOutside) popup.OnPressOutside();
    }
    return TRUE;
  }

  ControlHost& popup_;
  ControlHost& owner_;
  GtkWidget* window_;
  GtkWidget* area_;
  Point origin_;
  bool retired_ = false;
};

// ---- Shadow surface ----

class GtkShadowWindow final : public ShadowWindowPort {
 public:
  GtkShadowWindow(GtkWindow* owner, const Rect& rect) : owner_(owner) {
    window_ = gtk_window_new(GTK_WINDOW_POPUP);
    GdkScreen* screen = gtk_widget_get_screen(window_);
    if (GdkVisual* visual = gdk_screen_get_rgba_visual(screen))
      gtk_widget_set_visual(window_, visual);
    gtk_widget_set_app_paintable(window_, TRUE);
    gtk_window_set_transient_for(GTK_WINDOW(window_), owner);
    gtk_window_set_accept_focus(GTK_WINDOW(window_), FALSE);
    gtk_widget_set_sensitive(window_, FALSE);
    g_signal_connect(
        window_, "draw", G_CALLBACK(+[](GtkWidget*, cairo_t* cr, gpointer data) -> gboolean {
          auto* self = static_cast<GtkShadowWindow*>(data);
          cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
          if (self->pixels_.Empty()) {
            cairo_set_source_rgba(cr, 0, 0, 0, 0);
            cairo_paint(cr);
            return TRUE;
          }
          cairo_surface_t* s = cairo_image_surface_create_for_data(
              reinterpret_cast<unsigned char*>(self->pixels_.Data()), CAIRO_FORMAT_ARGB32,
              self->pixels_.Width(), self->pixels_.Height(), self->pixels_.Stride());
          cairo_set_source_surface(cr, s, 0, 0);
          cairo_paint(cr);
          cairo_surface_destroy(s);
          return TRUE;
        }),
        this);
    rect_ = rect;
    gtk_window_move(GTK_WINDOW(window_), rect.x, rect.y);
    gtk_window_resize(GTK_WINDOW(window_), rect.width, rect.height);
  }
  ~GtkShadowWindow() override { gtk_widget_destroy(window_); }

  bool IsWindow() override { return window_ != nullptr; }
  Rect WindowRect() override { return rect_; }
  void SetRect(const Rect& r) override {
    rect_ = r;
    gtk_window_move(GTK_WINDOW(window_), r.x, r.y);
    gtk_window_resize(GTK_WINDOW(window_), r.width, r.height);
  }
  void MoveTo(Point p) override {
    rect_.x = p.x;
    rect_.y = p.y;
    gtk_window_move(GTK_WINDOW(window_), p.x, p.y);
  }
  // Per-pixel alpha needs a compositing manager; without one the shadow
  // would be an opaque black frame over the desktop, so it stays hidden.
  bool CanShow() override { return gdk_screen_is_composited(gtk_widget_get_screen(window_)); }
  void ShowNoActivate() override {
    if (!CanShow()) return;
    gtk_widget_show(window_);
    GdkWindow* shadow = gtk_widget_get_window(window_);
    GdkWindow* form = gtk_widget_get_window(GTK_WIDGET(owner_));
    // Below its form, as an owned layered window sits.
    if (shadow && form) gdk_window_restack(shadow, form, FALSE);
  }
  void Hide() override { gtk_widget_hide(window_); }
  void UpdateLayered(Image pixels, Point) override {
    pixels_ = std::move(pixels);
    gtk_widget_queue_draw(window_);
  }

 private:
  GtkWindow* owner_;
  GtkWidget* window_;
  Rect rect_;
  Image pixels_;
};

// ---- Browser ----

// The browser lives in its own module (gtk_browser.cpp, KestruneWebKit.so),
// loaded on the first browser: WebKit is most of the program's libraries, and
// a start that opens no browser tab never maps it.
using CreateBrowserEntry = Browser* (*)(GtkWidget* fixed, int x, int y, int width, int height,
                                        const BrowserTexts* texts);

Browser* CreateWebKitBrowser(GtkWidget* fixed, const Rect& rect) {
  static CreateBrowserEntry create = [] {
    platform::SharedLibrary* library =
        platform::LoadLibraryBesideExecutable(platform::SiblingLibraryFileName("KestruneWebKit"));
    return reinterpret_cast<CreateBrowserEntry>(
        library ? platform::LibraryEntry(library, "KestruneCreateWebKitBrowser") : nullptr);
  }();
  if (!create) return nullptr;
  static const std::string loadFailed = i18n::TrS("页面加载失败"),
                           checkNetwork = i18n::TrS("请检查网络连接后重试。"),
                           retry = i18n::TrS("重试"), openOutside = i18n::TrS("在浏览器中打开"),
                           loading = i18n::TrS("正在加载…");
  const BrowserTexts texts{loadFailed.c_str(), checkNetwork.c_str(), retry.c_str(),
                           openOutside.c_str(), loading.c_str()};
  return create(fixed, rect.x, rect.y, rect.width, rect.height, &texts);
}

// Without the module the panel stays empty; navigation does nothing.
class NoBrowser final : public Browser {
 public:
  void Navigate(const std::string& url) override {
    DebugLogF("browser: navigate %s (no browser module)", url.c_str());
  }
  void SetVisible(bool) override {}
  std::string CurrentUrl() const override { return ""; }
};

// ---- Windows ----

class GtkHostWindow final : public Window, public ShadowOwnerForm {
 public:
  GtkHostWindow(Control& root, const WindowOptions& options)
      : host_(root, this), width_(options.width), height_(options.height) {
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window_), options.title.c_str());
    gtk_window_set_decorated(GTK_WINDOW(window_), FALSE);
    gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
    gtk_window_set_default_size(GTK_WINDOW(window_), options.width, options.height);
    gtk_window_set_skip_taskbar_hint(GTK_WINDOW(window_), !options.taskbar);
    fixed_ = gtk_fixed_new();
    area_ = gtk_drawing_area_new();
    gtk_widget_set_size_request(area_, options.width, options.height);
    gtk_widget_set_can_focus(area_, TRUE);
    gtk_fixed_put(GTK_FIXED(fixed_), area_, 0, 0);
    gtk_container_add(GTK_CONTAINER(window_), fixed_);
    gtk_widget_show(fixed_);
    gtk_widget_show(area_);
    host_.SetBackground(options.background);
    host_.Resize(options.width, options.height);
    ConnectPointer(area_, &host_);
    g_signal_connect_after(area_, "draw",
                           G_CALLBACK(+[](GtkWidget*, cairo_t*, gpointer d) -> gboolean {
                             auto* self = static_cast<GtkHostWindow*>(d);
                             if (!self->painted_) {
                               self->painted_ = true;
                               if (self->OnFirstPaint) self->OnFirstPaint();
                             }
                             return FALSE;
                           }),
                           this);
    g_signal_connect(window_, "key-press-event", G_CALLBACK(&GtkHostWindow::Key), this);
    g_signal_connect(window_, "key-release-event", G_CALLBACK(&GtkHostWindow::Key), this);
    g_signal_connect(window_, "delete-event",
                     G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer d) -> gboolean {
                       static_cast<GtkHostWindow*>(d)->RequestClose();
                       return TRUE;
                     }),
                     this);
    g_signal_connect(window_, "configure-event",
                     G_CALLBACK(+[](GtkWidget*, GdkEventConfigure*, gpointer d) -> gboolean {
                       auto* self = static_cast<GtkHostWindow*>(d);
                       self->Notify({FormMessage::Kind::kMove});
                       self->Notify({FormMessage::Kind::kSize});
                       return FALSE;
                     }),
                     this);
    g_signal_connect(window_, "map-event",
                     G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer d) -> gboolean {
                       FormMessage m{FormMessage::Kind::kShowWindow};
                       m.shown = true;
                       static_cast<GtkHostWindow*>(d)->Notify(m);
                       return FALSE;
                     }),
                     this);
    g_signal_connect(window_, "unmap-event",
                     G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer d) -> gboolean {
                       FormMessage m{FormMessage::Kind::kShowWindow};
                       m.shown = false;
                       static_cast<GtkHostWindow*>(d)->Notify(m);
                       return FALSE;
                     }),
                     this);
    g_signal_connect(window_, "focus-in-event",
                     G_CALLBACK(+[](GtkWidget*, GdkEventFocus*, gpointer d) -> gboolean {
                       auto* self = static_cast<GtkHostWindow*>(d);
                       FormMessage m{FormMessage::Kind::kActivate};
                       m.active = true;
                       self->Notify(m);
                       self->host_.WindowFocusChanged(true);
                       return FALSE;
                     }),
                     this);
    g_signal_connect(window_, "focus-out-event",
                     G_CALLBACK(+[](GtkWidget*, GdkEventFocus*, gpointer d) -> gboolean {
                       auto* self = static_cast<GtkHostWindow*>(d);
                       FormMessage m{FormMessage::Kind::kActivate};
                       self->Notify(m);
                       // Losing the focus closes an open list too (the popup takes no
                       // focus of its own, so this is another window's).
                       self->host_.WindowFocusChanged(false);
                       return FALSE;
                     }),
                     this);
    g_signal_connect(window_, "window-state-event",
                     G_CALLBACK(+[](GtkWidget*, GdkEventWindowState* e, gpointer d) -> gboolean {
                       auto* self = static_cast<GtkHostWindow*>(d);
                       if (e->changed_mask & GDK_WINDOW_STATE_ICONIFIED) {
                         FormMessage m{FormMessage::Kind::kSize};
                         m.sizeType = (e->new_window_state & GDK_WINDOW_STATE_ICONIFIED)
                                          ? FormMessage::kSizeMinimized
                                          : FormMessage::kSizeRestored;
                         self->Notify(m);
                       }
                       return FALSE;
                     }),
                     this);
    gtk_widget_realize(window_);
  }

  ~GtkHostWindow() override {
    if (reaper_) g_source_remove(reaper_);
    popup_.reset();
    retired_.clear();
    browsers_.clear();
    gtk_widget_destroy(window_);
  }

  // HostDelegate
  void InvalidateRect(const Rect& r) override {
    gtk_widget_queue_draw_area(area_, r.x, r.y, r.width, r.height);
  }
  void SetCursor(Cursor cursor) override {
    GdkWindow* w = gtk_widget_get_window(area_);
    if (!w) return;
    const char* name = cursor == Cursor::kHandPoint ? "pointer"
                       : cursor == Cursor::kIBeam   ? "text"
                                                    : "default";
    GdkCursor* c = gdk_cursor_new_from_name(gdk_display_get_default(), name);
    gdk_window_set_cursor(w, c);
    if (c) g_object_unref(c);
  }
  Point ClientOrigin() override {
    int x = 0, y = 0;
    if (GdkWindow* w = gtk_widget_get_window(window_)) gdk_window_get_origin(w, &x, &y);
    return {x, y};
  }
  Rect ScreenWorkArea() override {
    GdkRectangle area{0, 0, 1280, 1024};
    GdkMonitor* monitor = nullptr;
    if (GdkWindow* w = gtk_widget_get_window(window_))
      monitor = gdk_display_get_monitor_at_window(gdk_display_get_default(), w);
    if (!monitor) monitor = gdk_display_get_monitor(gdk_display_get_default(), 0);
    if (monitor) gdk_monitor_get_workarea(monitor, &area);
    return {area.x, area.y, area.width, area.height};
  }
  void OpenPopup(ControlHost& popup, const Rect& screenRect) override {
    ClosePopup(popup);
    popup_ = std::make_unique<PopupSurface>(popup, host_, screenRect);
  }
  void ClosePopup(ControlHost&) override {
    if (!popup_) return;
    popup_->Retire();
    retired_.push_back(std::move(popup_));
    if (!reaper_)
      reaper_ = g_timeout_add(
          300,
          [](gpointer d) -> gboolean {
            auto* self = static_cast<GtkHostWindow*>(d);
            self->retired_.clear();
            self->reaper_ = 0;
            return G_SOURCE_REMOVE;
          },
          this);
  }

  // Window
  ControlHost& Host() override { return host_; }
  void Show() override {
    PutBack();
    gtk_widget_show(window_);
    gtk_window_present(GTK_WINDOW(window_));
  }
  void Hide() override {
    // A hidden window forgets where it was (GTK places it anew when it is
    // mapped again): it comes back where the user left it.
    if (gtk_widget_get_visible(window_)) {
      int x = 0, y = 0;
      gtk_window_get_position(GTK_WINDOW(window_), &x, &y);
      hiddenAt_ = {x, y};
      hasHiddenAt_ = true;
    }
    gtk_widget_hide(window_);
  }
  bool IsVisible() const override { return gtk_widget_get_visible(window_); }
  void BringToFront() override {
    PutBack();
    gtk_window_deiconify(GTK_WINDOW(window_));
    gtk_widget_show(window_);
    gtk_window_present_with_time(GTK_WINDOW(window_), GDK_CURRENT_TIME);
  }
  void Minimize() override { gtk_window_iconify(GTK_WINDOW(window_)); }
  bool IsMinimized() const override {
    GdkWindow* w = gtk_widget_get_window(window_);
    return w && (gdk_window_get_state(w) & GDK_WINDOW_STATE_ICONIFIED);
  }
  void Restore() override { gtk_window_deiconify(GTK_WINDOW(window_)); }
  void SetSkipTaskbar(bool skip) override {
    gtk_window_set_skip_taskbar_hint(GTK_WINDOW(window_), skip);
  }
  void CentreOnScreen() override {
    Rect area = ScreenWorkArea();
    MoveTo(area.x + (area.width - width_) / 2, area.y + (area.height - height_) / 2);
  }
  void CentreOn(Window& other) override {
    Rect r = other.ScreenRect();
    MoveTo(r.x + (r.width - width_) / 2, r.y + (r.height - height_) / 2);
  }
  Rect ScreenRect() const override {
    int x = 0, y = 0;
    gtk_window_get_position(GTK_WINDOW(window_), &x, &y);
    return {x, y, width_, height_};
  }
  void MoveTo(int x, int y) override {
    hasHiddenAt_ = false;
    gtk_window_move(GTK_WINDOW(window_), x, y);
  }
  void BeginCaptionDrag() override {
    GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
    int x = 0, y = 0;
    gdk_device_get_position(gdk_seat_get_pointer(seat), nullptr, &x, &y);
    gtk_window_begin_move_drag(GTK_WINDOW(window_), 1, x, y, GDK_CURRENT_TIME);
  }
  void RequestClose() override {
    if (OnCloseQuery && !OnCloseQuery()) return;
    if (OnClose) OnClose();
  }
  int RunModal(Window* owner) override {
    if (auto* o = dynamic_cast<GtkHostWindow*>(owner))
      gtk_window_set_transient_for(GTK_WINDOW(window_), GTK_WINDOW(o->window_));
    gtk_window_set_modal(GTK_WINDOW(window_), TRUE);
    modalResult_ = 2;  // ended any other way than by a button: Cancel
    Show();
    gtk::RunModalLoop(&modalLoop_);
    gtk_window_set_modal(GTK_WINDOW(window_), FALSE);
    Hide();
    return modalResult_;
  }
  void EndModal(int result) override {
    modalResult_ = result;
    if (modalLoop_) g_main_loop_quit(modalLoop_);
  }
  Browser& CreateBrowser(const Rect& rect) override {
    Browser* browser = CreateWebKitBrowser(fixed_, rect);
    browsers_.emplace_back(browser ? browser : new NoBrowser());
    return *browsers_.back();
  }
  ShadowOwnerForm& ShadowOwner() override { return *this; }
  unsigned long NativeId() const override {
    GdkWindow* w = gtk_widget_get_window(window_);
    return w ? gtk::X11WindowId(w) : 0;
  }

  // ShadowOwnerForm
  Rect FormWindowRect() override { return ScreenRect(); }
  bool FormVisible() override { return IsVisible(); }
  void SetDoubleBuffered(bool) override {}
  bool DragFullWindows() override { return true; }
  std::unique_ptr<ShadowWindowPort> CreateShadowWindow(const Rect& screenRect) override {
    return std::make_unique<GtkShadowWindow>(GTK_WINDOW(window_), screenRect);
  }

 private:
  static gboolean Key(GtkWidget* w, GdkEventKey* e, gpointer d) {
    auto* self = static_cast<GtkHostWindow*>(d);
    // Keys for a focused browser go to the browser.
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(w));
    if (focus && focus != self->area_) return FALSE;
    if (e->type == GDK_KEY_PRESS && e->keyval == GDK_KEY_F4 && (e->state & GDK_MOD1_MASK)) {
      self->RequestClose();
      return TRUE;
    }
    return ForwardKey(w, e, &self->host_);
  }

  void PutBack() {
    if (!hasHiddenAt_ || gtk_widget_get_visible(window_)) return;
    hasHiddenAt_ = false;
    gtk_window_move(GTK_WINDOW(window_), hiddenAt_.x, hiddenAt_.y);
  }

  void Notify(const FormMessage& message) {
    if (OnFormMessage) OnFormMessage(message);
  }

  ControlHost host_;
  int width_;
  int height_;
  GtkWidget* window_ = nullptr;
  GtkWidget* fixed_ = nullptr;
  GtkWidget* area_ = nullptr;
  std::unique_ptr<PopupSurface> popup_;
  std::vector<std::unique_ptr<PopupSurface>> retired_;  // closed, freed shortly
  guint reaper_ = 0;
  std::vector<std::unique_ptr<Browser>> browsers_;
  GMainLoop* modalLoop_ = nullptr;
  bool painted_ = false;
  int modalResult_ = 0;
  Point hiddenAt_;
  bool hasHiddenAt_ = false;
};

}  // namespace

std::unique_ptr<Window> CreateWindow(Control& root, const WindowOptions& options) {
  return std::make_unique<GtkHostWindow>(root, options);
}

}  // namespace kestrune::gui
