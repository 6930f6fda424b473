// Main loop, cross-thread posting, message-bus delivery, timers, menus and
// key state on GTK.
#include <glib-unix.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <csignal>
#include <mutex>
#include <vector>

#include "gui/gtk/gtk_keys.h"
#include "gui/gui_host.h"
#include "gui/posted_queue.h"
#include "platform/debug_log.h"

namespace kestrune::gui {
namespace {

GMainLoop* g_mainLoop = nullptr;
bool g_quitting = false;
std::vector<GMainLoop*> g_modalLoops;

// g_idle_add is safe from any thread; the default context runs the item on
// the UI thread and frees it after.
bool CarryOnIdle(PostedQueue::Item* item) {
  g_idle_add_full(
      G_PRIORITY_DEFAULT,
      [](gpointer data) -> gboolean {
        static_cast<PostedQueue::Item*>(data)->Run();
        return G_SOURCE_REMOVE;
      },
      item, [](gpointer data) { delete static_cast<PostedQueue::Item*>(data); });
  return true;
}

class GtkBusReceiver final : public BusReceiver {
 public:
  GtkBusReceiver(std::unique_ptr<platform::MessageBusEndpoint> endpoint, MessageHandler handler)
      : endpoint_(std::move(endpoint)), handler_(std::move(handler)) {
    source_ = g_unix_fd_add(static_cast<int>(endpoint_->WaitHandle()), G_IO_IN,
                            &GtkBusReceiver::Ready, this);
  }
  ~GtkBusReceiver() override {
    if (source_) g_source_remove(source_);
  }

 private:
  static gboolean Ready(gint, GIOCondition, gpointer data) {
    auto* self = static_cast<GtkBusReceiver*>(data);
    // One message per wake-up: a handler may run a modal loop, which would
    // re-enter this source; the rest wait for the next dispatch.
    if (auto message = self->endpoint_->Receive()) {
      if (self->handler_) self->handler_(message->message, message->wParam, message->lParam);
    }
    return G_SOURCE_CONTINUE;
  }

  std::unique_ptr<platform::MessageBusEndpoint> endpoint_;
  MessageHandler handler_;
  guint source_ = 0;
};

class GtkTimer final : public Timer {
 public:
  explicit GtkTimer(int intervalMs) : interval_(intervalMs) {}
  ~GtkTimer() override { SetEnabled(false); }

  void SetEnabled(bool enabled) override {
    if (enabled == (source_ != 0)) return;
    if (enabled) {
      source_ = g_timeout_add(static_cast<guint>(interval_), &GtkTimer::Tick, this);
    } else {
      // A source may not be removed from inside its own dispatch; Tick
      // notices that it was replaced or disabled and ends it.
      if (source_ != dispatching_) g_source_remove(source_);
      source_ = 0;
    }
  }
  bool Enabled() const override { return source_ != 0; }
  int Interval() const override { return interval_; }

 private:
  static gboolean Tick(gpointer data) {
    auto* self = static_cast<GtkTimer*>(data);
    guint me = self->source_;
    self->dispatching_ = me;
    if (self->OnTimer) self->OnTimer();
    self->dispatching_ = 0;
    return self->source_ == me ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
  }

  int interval_;
  guint source_ = 0;
  guint dispatching_ = 0;
};

}  // namespace

bool InitGui(int* argc, char*** argv) {
  if (!gtk_init_check(argc, argv)) {
    DebugLog("gui: cannot open the display");
    return false;
  }
  return true;
}

void SetApplicationTitle(const std::string& title) {
  g_set_application_name(title.c_str());
}

void SetApplicationIcon(const std::vector<uint8_t>& png) {
  if (png.empty()) return;
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type("png", nullptr);
  if (!loader) return;
  if (gdk_pixbuf_loader_write(loader, png.data(), png.size(), nullptr) &&
      gdk_pixbuf_loader_close(loader, nullptr)) {
    if (GdkPixbuf* icon = gdk_pixbuf_loader_get_pixbuf(loader)) gtk_window_set_default_icon(icon);
  } else {
    DebugLog("gui: the application icon is not a PNG");
  }
  g_object_unref(loader);
}

void RunMainLoop() {
  g_mainLoop = g_main_loop_new(nullptr, FALSE);
  g_main_loop_run(g_mainLoop);
  g_main_loop_unref(g_mainLoop);
  g_mainLoop = nullptr;
}

void QuitMainLoop() {
  // Open modal dialogs end first (as cancelled); no new one starts after this.
  g_quitting = true;
  for (GMainLoop* loop : g_modalLoops) g_main_loop_quit(loop);
  if (g_mainLoop) g_main_loop_quit(g_mainLoop);
}

namespace gtk {

bool RunModalLoop(GMainLoop** running) {
  if (g_quitting) return false;
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  *running = loop;
  g_modalLoops.push_back(loop);
  g_main_loop_run(loop);
  g_modalLoops.erase(std::find(g_modalLoops.begin(), g_modalLoops.end(), loop));
  *running = nullptr;
  g_main_loop_unref(loop);
  return true;
}

}  // namespace gtk

std::unique_ptr<MessageQueue> CreateUiQueue(MessageHandler handler) {
  return std::make_unique<PostedQueue>(std::move(handler), &CarryOnIdle);
}

std::unique_ptr<BusReceiver> AttachBusEndpoint(
    std::unique_ptr<platform::MessageBusEndpoint> endpoint, MessageHandler handler) {
  if (!endpoint) return nullptr;
  return std::make_unique<GtkBusReceiver>(std::move(endpoint), std::move(handler));
}

void RunLater(int delayMs, std::function<void()> task) {
  auto* heap = new std::function<void()>(std::move(task));
  g_timeout_add_full(
      G_PRIORITY_DEFAULT, static_cast<guint>(delayMs < 0 ? 0 : delayMs),
      [](gpointer data) -> gboolean {
        (*static_cast<std::function<void()>*>(data))();
        return G_SOURCE_REMOVE;
      },
      heap, [](gpointer data) { delete static_cast<std::function<void()>*>(data); });
}

void OnSessionEnd(std::function<void()> handler) {
  static std::function<void()> stored;
  stored = std::move(handler);
  for (int signal : {SIGTERM, SIGHUP, SIGINT})
    g_unix_signal_add(
        signal,
        [](gpointer) -> gboolean {
          if (stored) stored();
          return G_SOURCE_CONTINUE;
        },
        nullptr);
}

std::unique_ptr<Timer> CreateTimer(int intervalMs) {
  return std::make_unique<GtkTimer>(intervalMs);
}

bool IsKeyDown(int virtualKey) {
  GdkDisplay* display = gdk_display_get_default();
  if (!display) return false;
  guint state = gdk_keymap_get_modifier_state(gdk_keymap_get_for_display(display));
  switch (virtualKey) {
    case 0x10:
      return state & GDK_SHIFT_MASK;
    case 0x11:
      return state & GDK_CONTROL_MASK;
    case 0x12:
      return state & GDK_MOD1_MASK;
    default:
      return false;
  }
}

namespace gtk {

// Menu captions use "&" before a mnemonic letter; a trailing "&" marks nothing.
std::string MenuLabel(const std::string& caption) {
  std::string out;
  for (size_t i = 0; i < caption.size(); ++i) {
    char c = caption[i];
    if (c == '_') {
      out += "__";
    } else if (c == '&') {
      if (i + 1 < caption.size() && caption[i + 1] == '&') {
        out += '&';
        ++i;
      } else if (i + 1 < caption.size()) {
        out += '_';
      }
    } else {
      out += c;
    }
  }
  return out;
}

GtkWidget* BuildMenu(std::vector<MenuItem> items, GtkWidget** defaultItem) {
  GtkWidget* menu = gtk_menu_new();
  auto* shared = new std::vector<MenuItem>(std::move(items));
  g_object_set_data_full(G_OBJECT(menu), "kestrune-items", shared,
                         [](gpointer data) { delete static_cast<std::vector<MenuItem>*>(data); });
  for (size_t i = 0; i < shared->size(); ++i) {
    const MenuItem& item = (*shared)[i];
    GtkWidget* widget;
    if (item.caption == "-") {
      widget = gtk_separator_menu_item_new();
    } else if (item.checkable) {
      widget = gtk_check_menu_item_new_with_mnemonic(MenuLabel(item.caption).c_str());
      gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(widget), item.checked);
    } else {
      widget = gtk_menu_item_new_with_mnemonic(MenuLabel(item.caption).c_str());
    }
    gtk_widget_set_name(widget, item.caption.c_str());
    if (item.isDefault) {
      GtkWidget* label = gtk_bin_get_child(GTK_BIN(widget));
      if (GTK_IS_LABEL(label)) {
        std::string markup = "<b>" + std::string(gtk_label_get_label(GTK_LABEL(label))) + "</b>";
        gtk_label_set_markup_with_mnemonic(GTK_LABEL(label), markup.c_str());
      }
      if (defaultItem) *defaultItem = widget;
    }
    g_object_set_data(G_OBJECT(widget), "kestrune-index", GSIZE_TO_POINTER(i));
    g_signal_connect(widget, "activate", G_CALLBACK(+[](GtkMenuItem* w, gpointer data) {
                       auto* list = static_cast<std::vector<MenuItem>*>(data);
                       size_t index =
                           GPOINTER_TO_SIZE(g_object_get_data(G_OBJECT(w), "kestrune-index"));
                       // Copy: the handler may rebuild the menu that owns the list.
                       std::function<void()> action = (*list)[index].onClick;
                       if (action) RunLater(0, action);
                     }),
                     shared);
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), widget);
  }
  gtk_widget_show_all(menu);
  return menu;
}

}  // namespace gtk

void PopupMenu(std::vector<MenuItem> items, Point screen) {
  GtkWidget* menu = gtk::BuildMenu(std::move(items), nullptr);
  g_signal_connect(menu, "deactivate", G_CALLBACK(+[](GtkWidget* w, gpointer) {
                     // Destroy after the activate handlers have run.
                     g_idle_add(
                         [](gpointer data) -> gboolean {
                           gtk_widget_destroy(GTK_WIDGET(data));
                           return G_SOURCE_REMOVE;
                         },
                         w);
                   }),
                   nullptr);
  GdkDisplay* display = gdk_display_get_default();
  GdkSeat* seat = gdk_display_get_default_seat(display);
  GdkDevice* pointer = gdk_seat_get_pointer(seat);
  GdkWindow* root = gdk_screen_get_root_window(gdk_screen_get_default());
  GdkRectangle at{screen.x, screen.y, 1, 1};
  // A menu needs a pointer grab; anchor it to the root window at the point.
  gtk_menu_popup_at_rect(GTK_MENU(menu), root, &at, GDK_GRAVITY_NORTH_WEST, GDK_GRAVITY_NORTH_WEST,
                         nullptr);
  (void)pointer;
  DebugLogF("menu: popped up at %d,%d", screen.x, screen.y);
}

}  // namespace kestrune::gui
