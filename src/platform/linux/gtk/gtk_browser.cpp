// The embedded browser on WebKitGTK, built as its own module
// (KestruneWebKit.so beside the executable) and loaded on first use.
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include "platform/debug_log.h"
#include "platform/gui_host.h"

namespace kestrune::gui {
namespace {

class WebKitBrowser final : public Browser {
 public:
  WebKitBrowser(GtkWidget* fixed, const Rect& rect) {
    WebKitUserContentManager* content = webkit_user_content_manager_new();
    // The pages run without scroll bars.
    WebKitUserStyleSheet* sheet = webkit_user_style_sheet_new(
        "::-webkit-scrollbar{display:none;width:0;height:0}", WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
        WEBKIT_USER_STYLE_LEVEL_USER, nullptr, nullptr);
    webkit_user_content_manager_add_style_sheet(content, sheet);
    webkit_user_style_sheet_unref(sheet);
    view_ = webkit_web_view_new_with_user_content_manager(content);
    g_object_unref(content);
    // A small pane in a frameless window: software drawing works everywhere
    // (also on displays without GL) and starts faster.
    WebKitSettings* settings = webkit_web_view_get_settings(WEBKIT_WEB_VIEW(view_));
    webkit_settings_set_hardware_acceleration_policy(settings,
                                                     WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);
    webkit_settings_set_enable_developer_extras(settings, FALSE);
    gtk_widget_set_size_request(view_, rect.width, rect.height);
    gtk_fixed_put(GTK_FIXED(fixed), view_, rect.x, rect.y);
    // No context (help) menu.
    g_signal_connect(view_, "context-menu",
                     G_CALLBACK(+[](WebKitWebView*, WebKitContextMenu*, GdkEvent*,
                                    WebKitHitTestResult*, gpointer) -> gboolean { return TRUE; }),
                     nullptr);
    // Ctrl+N would open a new window of the browser; it is disabled.
    g_signal_connect(view_, "key-press-event",
                     G_CALLBACK(+[](GtkWidget*, GdkEventKey* e, gpointer) -> gboolean {
                       return (e->state & GDK_CONTROL_MASK) &&
                              (e->keyval == GDK_KEY_n || e->keyval == GDK_KEY_N);
                     }),
                     nullptr);
    g_signal_connect(view_, "decide-policy", G_CALLBACK(&WebKitBrowser::DecidePolicy), this);
    g_signal_connect(view_, "create", G_CALLBACK(&WebKitBrowser::Create), this);
  }

  void Navigate(const std::string& url) override {
    DebugLogF("browser: navigate %s", url.c_str());
    webkit_web_view_load_uri(WEBKIT_WEB_VIEW(view_), url.c_str());
  }
  void SetVisible(bool visible) override {
    if (visible)
      gtk_widget_show(view_);
    else
      gtk_widget_hide(view_);
  }
  std::string CurrentUrl() const override {
    const gchar* uri = webkit_web_view_get_uri(WEBKIT_WEB_VIEW(view_));
    return uri ? uri : "";
  }

 private:
  static gboolean DecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                               WebKitPolicyDecisionType type, gpointer data) {
    if (type != WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION) return FALSE;
    auto* self = static_cast<WebKitBrowser*>(data);
    WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(
        WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    WebKitURIRequest* request = webkit_navigation_action_get_request(action);
    std::string url = webkit_uri_request_get_uri(request);
    DebugLogF("browser: new window %s", url.c_str());
    if (self->OnNewWindow && self->OnNewWindow(url)) {
      webkit_policy_decision_ignore(decision);
      return TRUE;
    }
    return FALSE;
  }

  // Addresses the program does not take over open in a window of the browser's own.
  static GtkWidget* Create(WebKitWebView* view, WebKitNavigationAction*, gpointer) {
    GtkWidget* child = webkit_web_view_new_with_related_view(view);
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(window), 900, 640);
    gtk_container_add(GTK_CONTAINER(window), child);
    g_signal_connect(child, "ready-to-show", G_CALLBACK(+[](WebKitWebView*, gpointer w) {
                       gtk_widget_show_all(GTK_WIDGET(w));
                     }),
                     window);
    return child;
  }

  GtkWidget* view_;
};

}  // namespace
}  // namespace kestrune::gui

extern "C" __attribute__((visibility("default"))) kestrune::gui::Browser*
KestruneCreateWebKitBrowser(GtkWidget* fixed, int x, int y, int width, int height) {
  return new kestrune::gui::WebKitBrowser(fixed, {x, y, width, height});
}
