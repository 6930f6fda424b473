// Hot keys shared with the renderer: the code stored in Config.dat (virtual-key
// code in the low 16 bits, one bit per modifier) and the text the page shows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrune::enhance {

inline constexpr uint32_t kHotKeyCtrl = 0x10000000;
inline constexpr uint32_t kHotKeyShift = 0x20000000;
inline constexpr uint32_t kHotKeyAlt = 0x40000000;

// The modifiers a key event carries (the toolkit's shift state).
struct ShiftState {
  bool shift = false;
  bool alt = false;
  bool ctrl = false;
};

// The name of a main key by virtual-key code; empty for keys that cannot be used.
std::string KeyName(int virtualKey);

struct HotKey {
  uint32_t code = 0;
  std::string text;
};

// One capture attempt. ctrlDown/shiftDown are the keys' physical state at this
// moment (they count even when the event's shift state lacks them); Alt counts
// only from the event. nullopt when nothing may change.
std::optional<HotKey> CaptureHotKey(int virtualKey, ShiftState state, bool ctrlDown,
                                    bool shiftDown);

}  // namespace kestrune::enhance
