// Lumeshade stand-in, the part every system shares: what the least renderer
// does with its command line, Config.dat and the program's messages. The
// window and the main loop are each system's own (lumeshade_linux.cpp with
// GTK, lumeshade_win32.cpp with a Win32 message loop).
#pragma once

#include <string>
#include <vector>

#include "platform/message_bus.h"

namespace lumeshade {

// What the chooser says above its four buttons.
inline constexpr const char* kChooserNote =
    "选择画质优化方案\n(此渲染器为替身程序：不应用任何画面滤镜)\n"
    "This stand-in renderer applies no picture filter.";

struct Options {
  bool withChooser = false;  // the chooser switch
};
Options ParseArguments(const std::vector<std::string>& arguments);

// Logs the three hot-key codes from Config.dat, as a real renderer would
// register them.
void ReadHotKeys();

// Stores the preset and tells the program's main window.
void ChoosePreset(int preset);
int PresetCount();
std::string PresetLabel(int preset);

// What a message from the program asks: go on, or end the renderer.
enum class Reply { kContinue, kEnd };
Reply HandleMessage(const kestrune::platform::BusMessage& message);

}  // namespace lumeshade
