// Lumeshade stand-in on Linux: the renderer's endpoint in a GLib main loop
// and the preset chooser as a GTK window.
#include <glib-unix.h>
#include <gtk/gtk.h>

#include <memory>
#include <string>
#include <vector>

#include "enhance/renderer_wire.h"
#include "lumeshade_renderer.h"
#include "platform/debug_log.h"
#include "platform/message_bus.h"

namespace {

using kestrune::platform::WindowKey;

struct Renderer {
  GMainLoop* loop = nullptr;
  std::unique_ptr<kestrune::platform::MessageBusEndpoint> endpoint;
  GtkWidget* chooser = nullptr;
  bool holdsClass = false;
};

gboolean OnBusMessage(gint, GIOCondition, gpointer data) {
  auto* renderer = static_cast<Renderer*>(data);
  while (auto message = renderer->endpoint->Receive()) {
    if (lumeshade::HandleMessage(*message) == lumeshade::Reply::kEnd)
      g_main_loop_quit(renderer->loop);
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
  GtkWidget* note = gtk_label_new(lumeshade::kChooserNote);
  gtk_label_set_justify(GTK_LABEL(note), GTK_JUSTIFY_CENTER);
  gtk_box_pack_start(GTK_BOX(box), note, FALSE, FALSE, 4);
  for (int preset = 0; preset < lumeshade::PresetCount(); ++preset) {
    GtkWidget* button = gtk_button_new_with_label(lumeshade::PresetLabel(preset).c_str());
    g_object_set_data(G_OBJECT(button), "preset", GINT_TO_POINTER(preset));
    g_signal_connect(
        button, "clicked", G_CALLBACK(+[](GtkButton* b, gpointer w) {
          lumeshade::ChoosePreset(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(b), "preset")));
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
  lumeshade::Options options =
      lumeshade::ParseArguments(std::vector<std::string>(argv + 1, argv + argc));

  Renderer renderer;
  renderer.loop = g_main_loop_new(nullptr, FALSE);
  renderer.endpoint = kestrune::platform::BindWindowEndpoint(
      WindowKey::kClass, kestrune::enhance::kRendererWindowClass);
  renderer.holdsClass = renderer.endpoint != nullptr;
  kestrune::DebugLogF("lumeshade: started%s%s", options.withChooser ? " with the chooser" : "",
                      renderer.holdsClass ? "" : " (another renderer holds the window class)");
  if (!renderer.holdsClass && !options.withChooser) return 0;

  lumeshade::ReadHotKeys();
  if (renderer.holdsClass)
    g_unix_fd_add(static_cast<int>(renderer.endpoint->WaitHandle()), G_IO_IN, OnBusMessage,
                  &renderer);
  if (options.withChooser) {
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
