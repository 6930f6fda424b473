// Lumeshade stand-in: the least renderer the program can keep running. It
// holds the renderer's window class, reads the three hot-key codes from
// Config.dat in its own folder, offers its presets with the chooser switch,
// and ends on 0x503. It applies no picture filter. It shares only the wire
// constants with the program and reads Config.dat with the system's INI and
// file services, as another maker's renderer would.
#include "lumeshade_renderer.h"

#include <cstdlib>
#include <optional>

#include "enhance/renderer_wire.h"
#include "ini/ini_file.h"
#include "platform/debug_log.h"
#include "platform/file_lock.h"
#include "platform/file_system.h"
#include "platform/own_places.h"
#include "platform/paths.h"

namespace lumeshade {
namespace {

namespace wire = kestrune::enhance;
using kestrune::platform::WindowKey;

// The settings file the program writes: beside both programs on Windows, in
// the user's configuration folder on Linux.
std::string ConfigPath() {
  return kestrune::platform::JoinPath(kestrune::platform::SettingsFileFolder(),
                                      wire::kRendererConfigFile);
}

// A stored code as the renderer reads it: decimal, anything else is 0.
long ReadCode(const char* key) {
  std::optional<std::string> value =
      kestrune::ini::ReadValueFromFile(ConfigPath(), wire::kRendererConfigSection, key);
  if (!value || value->empty()) return 0;
  char* end = nullptr;
  long code = std::strtol(value->c_str(), &end, 10);
  return *end == '\0' ? code : 0;
}

}  // namespace

Options ParseArguments(const std::vector<std::string>& arguments) {
  Options options;
  for (const std::string& argument : arguments) {
    if (argument == wire::kRendererSwitchChooser) options.withChooser = true;
  }
  return options;
}

void ReadHotKeys() {
  std::string line = "lumeshade: hot keys";
  for (const char* key :
       {wire::kConfigHotKeyShow, wire::kConfigHotKeyOpen, wire::kConfigHotKeySwitch}) {
    line += std::string(" ") + key + "=" + std::to_string(ReadCode(key));
  }
  kestrune::DebugLog(line);
}

void ChoosePreset(int preset) {
  // The program writes Config.dat under a lock on its folder; so does the
  // renderer.
  std::string path = ConfigPath();
  kestrune::platform::ScopedFileLock lock(kestrune::platform::ParentFolder(path));
  kestrune::ini::FileResult written = kestrune::ini::WriteKeyToFile(
      path, wire::kRendererConfigSection, wire::kConfigRenderModel, std::to_string(preset));
  kestrune::DebugLogF("lumeshade: preset %d chosen%s", preset, written.ok ? "" : " (not stored)");
  kestrune::platform::PostWindowMessage(WindowKey::kText, wire::kMainWindowText,
                                        wire::kMsgRefreshInfo);
}

int PresetCount() {
  return wire::kRendererPresetCount;
}

std::string PresetLabel(int preset) {
  return "Preset " + std::to_string(preset + 1);
}

Reply HandleMessage(const kestrune::platform::BusMessage& message) {
  if (message.message == wire::kMsgRefreshInfo) {
    kestrune::DebugLog("lumeshade: 0x500 received, re-reading the hot keys");
    ReadHotKeys();
  } else if (message.message == wire::kMsgRendererEnd) {
    kestrune::DebugLog("lumeshade: 0x503 received, ending");
    return Reply::kEnd;
  }
  return Reply::kContinue;
}

}  // namespace lumeshade
