// The file chooser on GTK: GTK's own dialog, run modally.
#include <gtk/gtk.h>

#include "gui/gui_host.h"
#include "i18n/i18n.h"
#include "platform/debug_log.h"

namespace kestrune::gui {

std::optional<std::string> ChooseFile(FileChoice choice, const std::string& title,
                                      const std::string& suggestedName) {
  const bool save = choice == FileChoice::kSave;
  GtkWidget* dialog = gtk_file_chooser_dialog_new(
      title.c_str(), nullptr, save ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN,
      i18n::TrS("取消").c_str(), GTK_RESPONSE_CANCEL, i18n::TrS(save ? "保存" : "打开").c_str(),
      GTK_RESPONSE_ACCEPT, nullptr);
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
  if (save) {
    gtk_file_chooser_set_do_overwrite_confirmation(chooser, TRUE);
    gtk_file_chooser_set_current_name(chooser, suggestedName.c_str());
  }
  GtkFileFilter* presets = gtk_file_filter_new();
  gtk_file_filter_set_name(presets, "*.ini");
  gtk_file_filter_add_pattern(presets, "*.ini");
  gtk_file_chooser_add_filter(chooser, presets);
  GtkFileFilter* all = gtk_file_filter_new();
  gtk_file_filter_set_name(all, "*");
  gtk_file_filter_add_pattern(all, "*");
  gtk_file_chooser_add_filter(chooser, all);

  std::optional<std::string> chosen;
  if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
    if (char* name = gtk_file_chooser_get_filename(chooser)) {
      chosen = name;
      g_free(name);
    }
  }
  gtk_widget_destroy(dialog);
  DebugLogF("file chooser '%s': %s", title.c_str(), chosen ? chosen->c_str() : "cancelled");
  return chosen;
}

}  // namespace kestrune::gui
