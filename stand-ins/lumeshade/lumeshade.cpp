// Lumeshade stand-in: the least renderer the program can keep running. It
// holds the window class "ORVANE_RENDER_CLASS" on the message bus, reads the
// three hot-key codes from Config.dat in its own folder, offers the four
// presets with "/ui", and ends on 0x503. It applies no picture filter.
#include <glib-unix.h>
#include <gtk/gtk.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "enhance/orvane_frame.h"
#include "enhance/renderer_launcher.h"
#include "env/settings_store.h"
#include "platform/debug_log.h"
#include "platform/message_bus.h"

namespace {

using kestrune::platform::WindowKey;

constexpr const char* kMainWindowText = "PUBGMainForm";

struct Renderer {
  GMainLoop* loop = nullptr;
  std::unique_ptr<kestrune::platform::MessageBusEndpoint> endpoint;
  GtkWidget* chooser = nullptr;
  bool holdsClass = false;
};

void ReadHotKeys() {
  // The codes are what a real renderer would register; this one only reports them.
  std::string line = "lumeshade: hot keys";
  for (const auto& slot : kestrune::enhance::HotKeySlots()) {
    std::string key(slot.codeKey);
    line += " " + key + "=" + std::to_string(kestrune::ReadConfigInt(key, 0));
  }
  kestrune::DebugLog(line);
}

void ChoosePreset(int preset) {
  kestrune::WriteConfig("renderModel", std::to_string(preset));
  kestrune::DebugLogF("lumeshade: preset %d chosen", preset);
  kestrune::platform::PostWindowMessage(WindowKey::kText, kMainWindowText,
                                        kestrune::enhance::kMsgRefreshInfo);
}

gboolean OnBusMessage(gint, GIOCondition, gpointer data) {
  auto* renderer = static_cast<Renderer*>(data);
  while (auto message = renderer->endpoint->Receive()) {
    if (message->message == kestrune::enhance::kMsgRefreshInfo) {
      kestrune::DebugLog("lumeshade: 0x500 received, re-reading the hot keys");
      ReadHotKeys();
    } else if (message->message == kestrune::enhance::kMsgRendererEnd) {
      kestrune::DebugLog("lumeshade: 0x503 received, ending");
      g_main_loop_quit(renderer->loop);
    }
  }
  return G_SOURCE_CONTINUE;
}

void ShowChooser(Renderer& renderer) {
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), "Lumeshade");
  gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER);
  gtk_container_set_border_width(GTK_CONTAINER(window), 12);
  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
  gtk_container_add(GTK_CONTAINER(window), box);
  GtkWidget* note = gtk_label_new(
      "选择画质优化方案\n(此渲染器为替身程序：不应用任何画面滤镜)\n"
      "This stand-in renderer applies no picture filter.");
  gtk_label_set_justify(GTK_LABEL(note), GTK_JUSTIFY_CENTER);
  gtk_box_pack_start(GTK_BOX(box), note, FALSE, FALSE, 4);
  for (int preset = 0; preset < 4; ++preset) {
    GtkWidget* button = gtk_button_new_with_label(kestrune::enhance::PresetName(preset).c_str());
    g_object_set_data(G_OBJECT(button), "preset", GINT_TO_POINTER(preset));
    g_signal_connect(button, "clicked", G_CALLBACK(+[](GtkButton* b, gpointer w) {
                       ChoosePreset(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(b), "preset")));
                       gtk_widget_destroy(GTK_WIDGET(w));
                     }),
                     window);
    gtk_box_pack_start(GTK_BOX(box), button, FALSE, FALSE, 0);
  }
  g_signal_connect(window, "destroy", G_CALLBACK(+[](GtkWidget*, gpointer data) {
                     auto* r = static_cast<Renderer*>(data);
                     r->chooser = nullptr;
                     // A chooser-only process (another renderer holds the class) ends here.
                     if (!r->holdsClass) g_main_loop_quit(r->loop);
                   }),
                   &renderer);
  renderer.chooser = window;
  gtk_widget_show_all(window);
}

}  // namespace

int main(int argc, char** argv) {
  bool withChooser = false;
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "/ui") == 0) withChooser = true;

  Renderer renderer;
  renderer.loop = g_main_loop_new(nullptr, FALSE);
  renderer.endpoint = kestrune::platform::BindWindowEndpoint(
      WindowKey::kClass, kestrune::enhance::kRendererWindowClass);
  renderer.holdsClass = renderer.endpoint != nullptr;
  kestrune::DebugLogF("lumeshade: started%s%s", withChooser ? " with the chooser" : "",
                      renderer.holdsClass ? "" : " (another renderer holds the window class)");
  if (!renderer.holdsClass && !withChooser) return 0;

  ReadHotKeys();
  if (renderer.holdsClass)
    g_unix_fd_add(static_cast<int>(renderer.endpoint->WaitHandle()), G_IO_IN, OnBusMessage, &renderer);
  if (withChooser) {
    if (!gtk_init_check(&argc, &argv)) {
      kestrune::DebugLog("lumeshade: no display for the chooser");
      if (!renderer.holdsClass) return 1;
    } else {
      ShowChooser(renderer);
    }
  }
  g_main_loop_run(renderer.loop);
  if (renderer.chooser) gtk_widget_destroy(renderer.chooser);
  g_main_loop_unref(renderer.loop);
  return 0;
}
