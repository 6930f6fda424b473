// Hot-key capture rules and the main-key name table.
#include "enhance/hot_keys.h"

#include <array>

namespace kestrune::enhance {
namespace {

struct NamedKey {
  int virtualKey;
  const char* name;
};

// Keys outside the numeric and letter ranges, by virtual-key code.
constexpr std::array<NamedKey, 16> kPunctuationAndKeypad{{
    {110, "Num."},
    {107, "Num+"},
    {109, "Num-"},
    {106, "Num*"},
    {111, "Num/"},
    {192, "~"},
    {189, "-"},
    {187, "="},
    {220, "\\"},
    {219, "["},
    {221, "]"},
    {186, ";"},
    {222, "'"},
    {188, ","},
    {190, "."},
    {191, "/"},
}};

}  // namespace

std::string KeyName(int virtualKey) {
  if (virtualKey >= 96 && virtualKey <= 105) return "Num" + std::to_string(virtualKey - 96);
  if (virtualKey >= 112 && virtualKey <= 123) return "F" + std::to_string(virtualKey - 111);
  if ((virtualKey >= 48 && virtualKey <= 57) || (virtualKey >= 65 && virtualKey <= 90))
    return std::string(1, static_cast<char>(virtualKey));
  for (const NamedKey& key : kPunctuationAndKeypad)
    if (key.virtualKey == virtualKey) return key.name;
  return "";
}

std::optional<HotKey> CaptureHotKey(int virtualKey, ShiftState state, bool ctrlDown,
                                    bool shiftDown) {
  if (!(state.shift || state.alt || state.ctrl) || virtualKey == 0) return std::nullopt;

  std::string modifiers;
  uint32_t bits = 0;
  if (state.ctrl || ctrlDown) {
    modifiers = "Ctrl";
    bits |= kHotKeyCtrl;
  }
  if (state.shift || shiftDown) {
    modifiers += modifiers.empty() ? "Shift" : "+Shift";
    bits |= kHotKeyShift;
  }
  if (state.alt) {
    modifiers += modifiers.empty() ? "Alt" : "+Alt";
    bits |= kHotKeyAlt;
  }

  std::string name = KeyName(virtualKey);
  if (name.empty() || bits == 0) return std::nullopt;
  return HotKey{bits | static_cast<uint32_t>(virtualKey), modifiers + "+" + name};
}

}  // namespace kestrune::enhance
