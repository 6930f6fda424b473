// The embedded browser on WebKitGTK, built as its own module
// (KestruneWebKit.so beside the executable) and loaded on first use.
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <string>

#include "gui/gtk/gtk_browser_texts.h"
#include "gui/gui_host.h"
#include "platform/debug_log.h"

namespace kestrune::gui {
namespace {

// The host's words (KestruneCreateWebKitBrowser), in the interface language.
std::string g_loadFailed, g_checkNetwork, g_retry, g_openOutside, g_loading;

std::string HtmlEscape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// Our own notice for a page that could not be loaded (never the browser's
// English error page): a retry, and the address for the user's own browser
// (a new-window link, which the program hands to the desktop). The buttons
// sit at fixed places so they are easy to reach.
std::string FailureNotice(const std::string& url) {
  const std::string href = HtmlEscape(url);
  return "<!DOCTYPE html><html><head><meta charset='utf-8'><style>"
         "html,body{margin:0;height:100%;background:#f4f6fa;overflow:hidden}"
         "body{font-family:'Microsoft YaHei','WenQuanYi Micro Hei',sans-serif;color:#333}"
         "#box{position:absolute;left:240px;top:150px;width:400px;height:170px;"
         "background:#fff;border:1px solid #d8dde6;text-align:center}"
         "h1{font-size:16px;font-weight:bold;margin:28px 0 10px}"
         "p{font-size:12px;color:#666;margin:0}"
         "a{position:absolute;top:110px;width:120px;height:32px;line-height:32px;"
         "font-size:13px;text-decoration:none;border-radius:2px}"
         "#retry{left:64px;background:#1e6fd9;color:#fff}"
         "#open{left:216px;border:1px solid #1e6fd9;color:#1e6fd9;height:30px;line-height:30px}"
         "</style></head><body><div id='box'><h1>" +
         HtmlEscape(g_loadFailed) + "</h1><p>" + HtmlEscape(g_checkNetwork) +
         "</p><a id='retry' href='" + href + "'>" + HtmlEscape(g_retry) +
         "</a><a id='open' href='" + href + "' target='_blank'>" + HtmlEscape(g_openOutside) +
         "</a></div></body></html>";
}

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
    // Over the view while a page loads: a spinner and a short line on a band
    // across the pane, so the white before the first paint is not taken for
    // a broken tab. Put after the view, it is drawn above it.
    loading_ = gtk_event_box_new();
    gtk_widget_set_size_request(loading_, rect.width, 48);
    GtkWidget* line = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
    gtk_widget_set_halign(line, GTK_ALIGN_CENTER);
    gtk_widget_set_valign(line, GTK_ALIGN_CENTER);
    spinner_ = gtk_spinner_new();
    gtk_box_pack_start(GTK_BOX(line), spinner_, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(line), gtk_label_new(g_loading.c_str()), FALSE, FALSE, 0);
    gtk_container_add(GTK_CONTAINER(loading_), line);
    gtk_widget_show_all(line);
    gtk_fixed_put(GTK_FIXED(fixed), loading_, rect.x, rect.y + rect.height / 2 - 24);
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
    g_signal_connect(view_, "load-changed", G_CALLBACK(&WebKitBrowser::LoadChanged), this);
    g_signal_connect(view_, "load-failed", G_CALLBACK(&WebKitBrowser::LoadFailed), this);
  }

  void Navigate(const std::string& url) override {
    DebugLogF("browser: navigate %s", url.c_str());
    webkit_web_view_load_uri(WEBKIT_WEB_VIEW(view_), url.c_str());
  }
  void SetVisible(bool visible) override {
    visible_ = visible;
    if (visible)
      gtk_widget_show(view_);
    else
      gtk_widget_hide(view_);
    SetLoading(loading_on_);
  }
  std::string CurrentUrl() const override {
    const gchar* uri = webkit_web_view_get_uri(WEBKIT_WEB_VIEW(view_));
    return uri ? uri : "";
  }

 private:
  void SetLoading(bool loading) {
    if (loading != loading_on_)
      DebugLogF("browser: loading indicator %s", loading ? "shown" : "hidden");
    loading_on_ = loading;
    if (loading && visible_) {
      gtk_widget_show(loading_);
      gtk_spinner_start(GTK_SPINNER(spinner_));
    } else {
      gtk_spinner_stop(GTK_SPINNER(spinner_));
      gtk_widget_hide(loading_);
    }
  }

  static void LoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer data) {
    auto* self = static_cast<WebKitBrowser*>(data);
    if (event == WEBKIT_LOAD_STARTED) self->SetLoading(!self->showingNotice_);
    if (event == WEBKIT_LOAD_COMMITTED || event == WEBKIT_LOAD_FINISHED) {
      self->SetLoading(false);
      if (event == WEBKIT_LOAD_FINISHED) self->showingNotice_ = false;
    }
  }

  static gboolean LoadFailed(WebKitWebView* view, WebKitLoadEvent, gchar* uri, GError* error,
                             gpointer data) {
    auto* self = static_cast<WebKitBrowser*>(data);
    self->SetLoading(false);
    std::string url = uri ? uri : "";
    // A load replaced by another one, or handed elsewhere, is no failure.
    if (g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED) ||
        g_error_matches(error, WEBKIT_POLICY_ERROR,
                        WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE)) {
      DebugLogF("browser: load of %s ended (%s)", url.c_str(), error ? error->message : "");
      return FALSE;
    }
    DebugLogF("browser: load failed %s (%s); notice shown: %s", url.c_str(),
              error ? error->message : "", g_loadFailed.c_str());
    self->showingNotice_ = true;
    webkit_web_view_load_alternate_html(view, FailureNotice(url).c_str(), url.c_str(), nullptr);
    return TRUE;  // no error page of the browser's own
  }

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
  GtkWidget* loading_;
  GtkWidget* spinner_;
  bool showingNotice_ = false;
  bool loading_on_ = false;
  bool visible_ = false;
};

}  // namespace
}  // namespace kestrune::gui

extern "C" __attribute__((visibility("default"))) kestrune::gui::Browser*
KestruneCreateWebKitBrowser(GtkWidget* fixed, int x, int y, int width, int height,
                            const kestrune::gui::BrowserTexts* texts) {
  using namespace kestrune::gui;
  g_loadFailed = texts->loadFailed;
  g_checkNetwork = texts->checkNetwork;
  g_retry = texts->retry;
  g_openOutside = texts->openOutside;
  g_loading = texts->loading;
  return new kestrune::gui::WebKitBrowser(fixed, {x, y, width, height});
}
