// Lumeshade stand-in: the least renderer the program can keep running. It
// holds the window class "ORVANE_RENDER_CLASS", reads the three hot-key codes
// from Config.dat in its own folder, offers the four presets with "/ui", and
// ends on 0x503. It applies no picture filter.
#include "lumeshade_renderer.h"

#include "enhance/orvane_frame.h"
#include "enhance/renderer_launcher.h"
#include "env/settings_store.h"
#include "platform/debug_log.h"

namespace lumeshade {

using kestrune::platform::WindowKey;

Options ParseArguments(const std::vector<std::string>& arguments) {
  Options options;
  for (const std::string& argument : arguments) {
    if (argument == "/ui") options.withChooser = true;
  }
  return options;
}

void ReadHotKeys() {
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

int PresetCount() {
  return 4;
}

std::string PresetLabel(int preset) {
  return kestrune::enhance::PresetName(preset);
}

Reply HandleMessage(const kestrune::platform::BusMessage& message) {
  if (message.message == kestrune::enhance::kMsgRefreshInfo) {
    kestrune::DebugLog("lumeshade: 0x500 received, re-reading the hot keys");
    ReadHotKeys();
  } else if (message.message == kestrune::enhance::kMsgRendererEnd) {
    kestrune::DebugLog("lumeshade: 0x503 received, ending");
    return Reply::kEnd;
  }
  return Reply::kContinue;
}

}  // namespace lumeshade
