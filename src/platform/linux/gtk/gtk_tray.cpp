// The notification-area icon through the StatusNotifier protocol (ayatana
// appindicator). The library registers again by itself whenever the tray
// host comes back, which is what "TaskbarCreated" asks of a Windows program.
#include <gtk/gtk.h>
#include <libayatana-appindicator/app-indicator.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/debug_log.h"
#include "platform/file_system.h"
#include "platform/gui_host.h"

namespace kestrune::gui {
namespace gtk {
GtkWidget* BuildMenu(std::vector<MenuItem> items, GtkWidget** defaultItem);
}

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

class AppIndicatorTray final : public TrayIcon {
 public:
  AppIndicatorTray(const std::string& id, const std::vector<uint8_t>& png) : id_(id) {
    folder_ = WriteIconFolder(id, png);
    indicator_ = app_indicator_new_with_path(
        id.c_str(), id.c_str(), APP_INDICATOR_CATEGORY_APPLICATION_STATUS, folder_.c_str());
    app_indicator_set_status(indicator_, APP_INDICATOR_STATUS_ACTIVE);
    g_signal_connect(indicator_, "connection-changed",
                     G_CALLBACK(+[](AppIndicator*, gboolean connected, gpointer) {
                       DebugLogF("tray: host %s", connected ? "connected, icon added" : "gone");
                     }),
                     nullptr);
    DebugLog("tray: icon added");
  }
  ~AppIndicatorTray() override {
    app_indicator_set_status(indicator_, APP_INDICATOR_STATUS_PASSIVE);
    g_object_unref(indicator_);
    std::remove((folder_ + "/" + id_ + ".png").c_str());
    ::rmdir(folder_.c_str());
  }

  void SetHint(const std::string& hint) override {
    app_indicator_set_title(indicator_, hint.c_str());
    app_indicator_set_label(indicator_, "", hint.c_str());
  }

  void SetMenu(std::vector<MenuItem> items) override {
    GtkWidget* defaultItem = nullptr;
    GtkWidget* menu = gtk::BuildMenu(std::move(items), &defaultItem);
    app_indicator_set_menu(indicator_, GTK_MENU(menu));
    // Activating the icon itself runs the default item.
    if (defaultItem) app_indicator_set_secondary_activate_target(indicator_, defaultItem);
  }

 private:
  std::string id_;
  std::string folder_;
  AppIndicator* indicator_ = nullptr;
};

}  // namespace

std::unique_ptr<TrayIcon> CreateTrayIcon(const std::string& id,
                                         const std::vector<uint8_t>& iconPng) {
  return std::make_unique<AppIndicatorTray>(id, iconPng);
}

}  // namespace kestrune::gui
