// The page's preset files: export and import from the options menu.
#include "app/opti_page.h"
#include "opti/opti_preset.h"
#include "platform/file_system.h"

namespace kestrune::app {

std::string TOptiFrameView::ExportPreset(const std::string& path) {
  // Defaults in place of unread settings are not the player's setup.
  if (!model_->LoadError().empty()) return model_->LoadError();
  PullFromWidgets();
  std::string error;
  if (!platform::ReplaceFileAtomically(path, opti::WritePreset(opti::PresetOf(*model_)), &error))
    return "Could not write " + path + ": " + error;
  return {};
}

std::string TOptiFrameView::ImportPreset(const std::string& path) {
  platform::ReadResult file = platform::ReadWholeFile(path, opti::kPresetMaxBytes);
  if (file.status == platform::ReadStatus::kTooLarge)
    return path + " is too large for a preset; nothing was changed.";
  if (file.status != platform::ReadStatus::kOk)
    return "Could not read " + path + (file.error.empty() ? "" : ": " + file.error) +
           "; nothing was changed.";
  opti::PresetRead preset = opti::ReadPreset(file.data);
  if (!preset.ok)
    return path + (preset.line > 0 ? ", line " + std::to_string(preset.line) : "") + ": " +
           preset.error + "; nothing was changed.";
  PullFromWidgets();
  opti::StorePreset(*model_, preset.values);
  PushToWidgets();
  return {};
}

}  // namespace kestrune::app
