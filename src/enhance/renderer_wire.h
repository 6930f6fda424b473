// What the program and the external renderer (Lumeshade.dat) agree on, and
// nothing more: file and window names, messages, command-line switches and
// the Config.dat keys both read or write. The renderer is another maker's
// program; its stand-in includes this header and none of our logic.
#pragma once

#include <cstdint>

namespace kestrune::enhance {

// Beside the program's executable.
inline constexpr const char* kRendererFileName = "Lumeshade.dat";
// The renderer's window, found by its class.
inline constexpr const char* kRendererWindowClass = "ORVANE_RENDER_CLASS";
// The program's main window, found by its text.
inline constexpr const char* kMainWindowText = "PUBGMainForm";

inline constexpr uint32_t kMsgRefreshInfo = 0x500;  // WM_USER+256, both directions
inline constexpr uint32_t kMsgRendererEnd = 0x503;  // WM_USER+259, to the renderer

// "<path> /sub" starts the renderer in the background; "/ui" adds its preset
// chooser.
inline constexpr const char* kRendererSwitchService = "/sub";
inline constexpr const char* kRendererSwitchChooser = "/ui";

// Config.dat, one section: beside both programs on Windows; on Linux in the
// user's configuration folder (platform::SettingsFileFolder).
inline constexpr const char* kRendererConfigFile = "Config.dat";
inline constexpr const char* kRendererConfigSection = "general";
// The hot keys' codes the renderer registers (this program writes them).
inline constexpr const char* kConfigHotKeyShow = "HotKeyShow";
inline constexpr const char* kConfigHotKeyOpen = "HotKeyOpen";
inline constexpr const char* kConfigHotKeySwitch = "HotKeySwitch";
// The preset the renderer runs, 0 to kRendererPresetCount - 1 (it writes it).
inline constexpr const char* kConfigRenderModel = "renderModel";
inline constexpr int kRendererPresetCount = 4;

}  // namespace kestrune::enhance
