// The preset commands.
#include "cli/cli_preset.h"

#include "cli/cli_app.h"
#include "cli/cli_output.h"
#include "cli/cli_values.h"
#include "env/settings_store.h"
#include "opti/opti_frame.h"
#include "opti/opti_preset.h"
#include "platform/file_system.h"

namespace kestrune::cli {
namespace {

void Error(const std::string& text) {
  PrintError("kestrune-cli: error: %s\n", text.c_str());
}

bool OneFile(const char* command, const std::vector<std::string>& words) {
  if (words.size() == 1 && !words[0].empty()) return true;
  Error(std::string(command) + " takes one FILE, e.g. kestrune-cli " + command + " my-setup.ini");
  return false;
}

}  // namespace

int RunExport(opti::TOptiFrame& page, const std::vector<std::string>& words) {
  if (!OneFile("export", words)) return kExitUsage;
  const std::string& path = words[0];
  // Defaults in place of unread settings are not the player's setup.
  if (!page.LoadError().empty()) {
    Error(page.LoadError());
    return kExitFailed;
  }
  if (platform::PathExists(path) && !platform::FileExists(path)) {
    Error(path + " is not a file; nothing was written");
    return kExitFailed;
  }
  std::string error;
  if (!platform::ReplaceFileAtomically(path, opti::WritePreset(opti::PresetOf(page)), &error)) {
    Error("could not write " + path + ": " + error);
    return kExitFailed;
  }
  Print("Exported the page's selections to %s\n", path.c_str());
  return kExitOk;
}

int RunImport(opti::TOptiFrame& page, const std::vector<std::string>& words) {
  if (!OneFile("import", words)) return kExitUsage;
  const std::string& path = words[0];
  platform::ReadResult file = platform::ReadWholeFile(path, opti::kPresetMaxBytes);
  if (file.status == platform::ReadStatus::kTooLarge) {
    Error(path + " is too large for a preset; nothing was changed");
    return kExitFailed;
  }
  if (file.status == platform::ReadStatus::kNotFound) {
    Error("there is no file " + path + "; nothing was changed");
    return kExitFailed;
  }
  if (file.status != platform::ReadStatus::kOk) {
    Error("could not read " + path + (file.error.empty() ? "" : ": " + file.error) +
          "; nothing was changed");
    return kExitFailed;
  }
  opti::PresetRead preset = opti::ReadPreset(file.data);
  if (!preset.ok) {
    std::string where = path + (preset.line > 0 ? ":" + std::to_string(preset.line) : "");
    Error(where + ": " + preset.error + "; nothing was changed");
    return kExitFailed;
  }
  if (!page.LoadError().empty()) {
    Error(page.LoadError());
    return kExitFailed;
  }
  opti::StorePreset(page, preset.values);
  if (!page.SaveSettings()) {
    Error("could not save the settings to " + ConfigFilePath() +
          " (too large, read-only or not a file? --verbose shows why)");
    return kExitFailed;
  }
  for (const opti::EditDesc& desc : opti::Edits())
    if (preset.values.edits[static_cast<size_t>(desc.id)])
      WarnOutsideRange(desc, *preset.values.edits[static_cast<size_t>(desc.id)]);
  Print("Imported %s; saved to %s\n", path.c_str(), ConfigFilePath().c_str());
  return kExitOk;
}

}  // namespace kestrune::cli
