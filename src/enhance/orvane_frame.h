// The picture-enhancement page's logic (TOrvaneFrame): the current filter
// preset, the three hot keys and their capture. It holds the texts the page
// shows; the GUI draws them and forwards key events. No toolkit here.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "enhance/hot_keys.h"
#include "enhance/renderer_launcher.h"

namespace kestrune::enhance {

// One text of the page with its character height and colour (0xRRGGBB, -1 =
// the control's own).
struct PageText {
  std::string_view control;
  std::string_view text;
  int height;
  int32_t colour;
};
const std::array<PageText, 10>& OrvanePageTexts();

// The three hot-key editors, in the order of the table of keys.
enum class HotKeyEditor { Edit1, Edit3, Edit2 };

struct HotKeySlot {
  HotKeyEditor editor;
  std::string_view codeKey;  // read by the renderer
  std::string_view textKey;  // read by this page
  std::string_view defaultText;
  uint32_t defaultCode;
};
const std::array<HotKeySlot, 3>& HotKeySlots();
const HotKeySlot& SlotOf(HotKeyEditor editor);

// Preset name for a stored renderModel ("尚未选择" for anything outside 0..3).
std::string PresetName(int renderModel);

class TOrvaneFrame {
 public:
  struct Hooks {
    ProcessStarter startProcess;  // for the chooser
    std::function<void()> notifyRenderer = NotifyRendererWindow;
  };
  // Writes renderModel = -1, then LoadHotKeysAndPreset.
  explicit TOrvaneFrame(Hooks hooks);

  void LoadHotKeysAndPreset();
  std::string GetPresetName() const;

  // Key-down in one of the editors. ctrlDown/shiftDown: the keys' physical
  // state now. True when the editor's hot key changed.
  bool EditKeyDown(HotKeyEditor editor, int virtualKey, ShiftState state, bool ctrlDown,
                   bool shiftDown);
  // Typed characters never reach the editors.
  bool EditKeyPress(HotKeyEditor, char32_t) { return false; }

  void Label5Click();
  void NotifyRenderer();
  void BtnGraphicsOptiClick();

  const std::string& EditText(HotKeyEditor editor) const {
    return editTexts_[static_cast<size_t>(editor)];
  }
  const std::string& Label6Text() const { return label6_; }

  // Called after any text the page shows has changed.
  std::function<void()> onChanged;

 private:
  void Changed();

  Hooks hooks_;
  std::array<std::string, 3> editTexts_;
  std::string label6_;
};

}  // namespace kestrune::enhance
