// The notification-area icon through the StatusNotifier protocol (ayatana
// appindicator). The library registers again by itself whenever the tray
// host comes back, which is what "TaskbarCreated" asks of a Windows program.
#include <gtk/gtk.h>
#include <libayatana-appindicator/app-indicator.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui/gui_host.h"
#include "platform/debug_log.h"
#include "platform/file_system.h"

namespace kestrune::gui {
namespace gtk {
GtkWidget* BuildMenu(std::vector<MenuItem> items, GtkWidget** defaultItem);
// gtk_x11.cpp: the XEmbed notification area of the screen.
bool XEmbedTrayPresent();
bool WatchXEmbedTray(std::function<void()>* appeared);
void StopWatchingXEmbedTray(std::function<void()>* appeared);
}  // namespace gtk

namespace {

// The icon must be a file the tray host can read: a private folder under
// the runtime (or temp) folder, removed with the icon.
std::string WriteIconFolder(const std::string& id, const std::vector<uint8_t>& png) {
  const char* runtime = g_get_user_runtime_dir();
  std::string folder = std::string(runtime && *runtime ? runtime : g_get_tmp_dir()) + "/" + id +
                       "-" + std::to_string(::getpid());
  platform::CreateDirectories(folder);
  std::string data(png.begin(), png.end());
  if (!platform::ReplaceFileAtomically(folder + "/" + id + ".png", data))
    DebugLogF("tray: cannot write the icon into %s", folder.c_str());
  return folder;
}

// Without a tray host the indicator library falls back to a status icon and
// looks for the icon folder in the theme's search path; when the folder is
// not there yet, its scan runs past the end of the path array until it meets
// a non-null word. With the folder already in the path the scan stops at it.
void AddToIconSearchPath(const std::string& folder) {
  GtkIconTheme* theme = gtk_icon_theme_get_default();
  if (!theme) return;
  gchar** paths = nullptr;
  gint count = 0;
  gtk_icon_theme_get_search_path(theme, &paths, &count);
  bool present = false;
  for (gint i = 0; i < count && !present; ++i) present = folder == paths[i];
  g_strfreev(paths);
  if (!present) gtk_icon_theme_append_search_path(theme, folder.c_str());
}

// A click on the icon reaches the item as the StatusNotifierItem method
// "Activate", which the indicator library does not answer (it only knows the
// middle click). A filter on the session connection takes the call, answers
// it and runs OnActivate on the UI thread.
struct ActivateHook {
  std::atomic<bool> alive{true};
  std::function<void()>* onActivate = nullptr;
};

GDBusMessage* FilterActivate(GDBusConnection* connection, GDBusMessage* message, gboolean incoming,
                             gpointer data) {
  if (!incoming || g_dbus_message_get_message_type(message) != G_DBUS_MESSAGE_TYPE_METHOD_CALL)
    return message;
  const char* iface = g_dbus_message_get_interface(message);
  const char* member = g_dbus_message_get_member(message);
  if (!iface || !member || std::strcmp(iface, "org.kde.StatusNotifierItem") != 0 ||
      std::strcmp(member, "Activate") != 0)
    return message;
  // This runs on the bus worker thread: the UI thread does the work.
  auto* hook = static_cast<std::shared_ptr<ActivateHook>*>(data);
  auto* held = new std::shared_ptr<ActivateHook>(*hook);
  g_idle_add_full(
      G_PRIORITY_DEFAULT,
      [](gpointer p) -> gboolean {
        auto& h = *static_cast<std::shared_ptr<ActivateHook>*>(p);
        DebugLog("tray: icon activated");
        if (h->alive && h->onActivate && *h->onActivate) (*h->onActivate)();
        return G_SOURCE_REMOVE;
      },
      held, [](gpointer p) { delete static_cast<std::shared_ptr<ActivateHook>*>(p); });
  GDBusMessage* reply = g_dbus_message_new_method_reply(message);
  g_dbus_connection_send_message(connection, reply, G_DBUS_SEND_MESSAGE_FLAGS_NONE, nullptr,
                                 nullptr);
  g_object_unref(reply);
  g_object_unref(message);
  return nullptr;
}

// Without a StatusNotifier host the library falls back to a status icon,
// which docks into an XEmbed notification area. Where there is none (most
// desktops without a tray, and every Wayland session) that icon shows
// nowhere, yet its widgets, theme icons and fonts cost about 3 MB; the
// indicator below makes it only when an area exists, and the tray makes
// the indicator again when one starts later.
struct TrayIndicator {
  AppIndicator parent;
};
struct TrayIndicatorClass {
  AppIndicatorClass parent_class;
};
constexpr char kDeclinedKey[] = "kestrune-no-status-icon";

G_DEFINE_TYPE(TrayIndicator, tray_indicator, APP_INDICATOR_TYPE)

GtkStatusIcon* FallBackWhereShown(AppIndicator* indicator) {
  if (!gtk::XEmbedTrayPresent()) {
    DebugLog("tray: no tray host and no notification area; the icon waits for one");
    g_object_set_data(G_OBJECT(indicator), kDeclinedKey, GINT_TO_POINTER(1));
    return nullptr;
  }
  DebugLog("tray: no tray host; the icon docks into the notification area");
  return APP_INDICATOR_CLASS(tray_indicator_parent_class)->fallback(indicator);
}

void tray_indicator_class_init(TrayIndicatorClass* type) {
  APP_INDICATOR_CLASS(type)->fallback = &FallBackWhereShown;
}
void tray_indicator_init(TrayIndicator*) {}

class AppIndicatorTray final : public TrayIcon {
 public:
  AppIndicatorTray(const std::string& id, const std::vector<uint8_t>& png) : id_(id) {
    hook_ = new std::shared_ptr<ActivateHook>(std::make_shared<ActivateHook>());
    (*hook_)->onActivate = &OnActivate;
    bus_ = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (bus_)
      filter_ = g_dbus_connection_add_filter(bus_, &FilterActivate, hook_, [](gpointer p) {
        delete static_cast<std::shared_ptr<ActivateHook>*>(p);
      });
    folder_ = WriteIconFolder(id, png);
    AddToIconSearchPath(folder_);
    MakeIndicator();
    trayAppeared_ = [this] {
      // Not from inside the display's event filter: on the next turn.
      if (!remake_ && indicator_ && g_object_get_data(G_OBJECT(indicator_), kDeclinedKey))
        remake_ = g_idle_add(&RemakeIndicator, this);
    };
    watching_ = gtk::WatchXEmbedTray(&trayAppeared_);
    DebugLog("tray: icon added");
  }
  ~AppIndicatorTray() override {
    if (watching_) gtk::StopWatchingXEmbedTray(&trayAppeared_);
    if (remake_) g_source_remove(remake_);
    (*hook_)->alive = false;
    if (bus_) {
      g_dbus_connection_remove_filter(bus_, filter_);  // frees hook_
      g_object_unref(bus_);
    } else {
      delete hook_;
    }
    DropIndicator();
    std::remove((folder_ + "/" + id_ + ".png").c_str());
    ::rmdir(folder_.c_str());
  }

  void SetHint(const std::string& hint) override {
    hint_ = hint;
    ApplyHint();
  }

  void SetMenu(std::vector<MenuItem> items) override {
    items_ = std::move(items);
    ApplyMenu();
  }

 private:
  void MakeIndicator() {
    indicator_ = APP_INDICATOR(
        g_object_new(tray_indicator_get_type(), "id", id_.c_str(), "category", "ApplicationStatus",
                     "icon-name", id_.c_str(), "icon-theme-path", folder_.c_str(), nullptr));
    app_indicator_set_status(indicator_, APP_INDICATOR_STATUS_ACTIVE);
    g_signal_connect(indicator_, "connection-changed",
                     G_CALLBACK(+[](AppIndicator*, gboolean connected, gpointer) {
                       DebugLogF("tray: host %s", connected ? "connected, icon added" : "gone");
                     }),
                     nullptr);
  }

  void DropIndicator() {
    app_indicator_set_status(indicator_, APP_INDICATOR_STATUS_PASSIVE);
    g_object_unref(indicator_);
    indicator_ = nullptr;
  }

  static gboolean RemakeIndicator(gpointer data) {
    auto* tray = static_cast<AppIndicatorTray*>(data);
    tray->remake_ = 0;
    DebugLog("tray: a notification area started");
    tray->DropIndicator();
    tray->MakeIndicator();
    // What the old indicator had been given; a new one starts without either.
    if (!tray->hint_.empty()) tray->ApplyHint();
    if (!tray->items_.empty()) tray->ApplyMenu();
    return G_SOURCE_REMOVE;
  }

  void ApplyHint() {
    app_indicator_set_title(indicator_, hint_.c_str());
    app_indicator_set_label(indicator_, "", hint_.c_str());
  }

  void ApplyMenu() {
    GtkWidget* defaultItem = nullptr;
    GtkWidget* menu = gtk::BuildMenu(items_, &defaultItem);
    app_indicator_set_menu(indicator_, GTK_MENU(menu));
    // Activating the icon itself runs the default item.
    if (defaultItem) app_indicator_set_secondary_activate_target(indicator_, defaultItem);
  }

  std::string hint_;
  std::vector<MenuItem> items_;
  std::function<void()> trayAppeared_;
  bool watching_ = false;
  guint remake_ = 0;
  std::string id_;
  std::string folder_;
  AppIndicator* indicator_ = nullptr;
  GDBusConnection* bus_ = nullptr;
  guint filter_ = 0;
  std::shared_ptr<ActivateHook>* hook_ = nullptr;
};

}  // namespace

std::unique_ptr<TrayIcon> CreateTrayIcon(const std::string& id,
                                         const std::vector<uint8_t>& iconPng) {
  return std::make_unique<AppIndicatorTray>(id, iconPng);
}

}  // namespace kestrune::gui
