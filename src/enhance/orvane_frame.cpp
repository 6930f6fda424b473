// Picture-enhancement page logic: presets, hot keys, renderer notification.
#include "enhance/orvane_frame.h"

#include "env/settings_store.h"
#include "i18n/i18n.h"
#include "platform/debug_log.h"

namespace kestrune::enhance {
namespace {

constexpr std::string_view kPresetNames[] = {
    "电影风格画质增强",
    "雨雾天气画质增强",
    "浓雾天气画质增强",
    "晴朗天气画质增强",
};
static_assert(std::size(kPresetNames) == kRendererPresetCount);
constexpr std::string_view kNoPreset = "尚未选择";
// The renderer looks for the hot keys where the settings store keeps them.
static_assert(std::string_view(kRendererConfigFile) == std::string_view(kConfigFileName));
static_assert(std::string_view(kRendererConfigSection) == std::string_view(kConfigSection));
constexpr std::string_view kCurrentPrefix = "当前方案：";

}  // namespace

const std::array<PageText, 10>& OrvanePageTexts() {
  static const std::array<PageText, 10> kTexts{{
      {"GroupBox1", "画质优化", 14, -1},
      {"Label6", "当前方案：", 14, 0x333333},
      {"BtnGraphicsOpti", "选择方案", 16, -1},
      {"Label7", "画质优化作用介绍：", 12, 0x666666},
      {"DescriptionLabel",
       "绝地求生画质优化能使游戏画面更清晰、鲜亮、真实，针对不同天气不同场景适配不同的画质优化方"
       "案，让玩家能够感受到更加真实游戏体验，能够更加清晰的看清远方的敌人提高吃鸡几率。",
       12, 0x9A9A9A},
      {"Label1", "设置快捷键", 14, -1},
      {"Label2", "游戏内唤出画质优化窗口", 12, -1},
      {"Label4", "开启/关闭画质优化效果", 12, -1},
      {"Label3", "游戏内切换画质优化方案", 12, -1},
      {"Label5", "恢复默认设置", 14, -1},
  }};
  return kTexts;
}

const std::array<HotKeySlot, 3>& HotKeySlots() {
  static const std::array<HotKeySlot, 3> kSlots{{
      {HotKeyEditor::Edit1, kConfigHotKeyShow, "HotKeyShowInfo", "Ctrl+F1", 268435568u},
      {HotKeyEditor::Edit3, kConfigHotKeyOpen, "HotKeyOpenInfo", "Ctrl+F5", 268435572u},
      {HotKeyEditor::Edit2, kConfigHotKeySwitch, "HotKeySwitchInfo", "Ctrl+F3", 268435570u},
  }};
  return kSlots;
}

const HotKeySlot& SlotOf(HotKeyEditor editor) {
  return HotKeySlots()[static_cast<size_t>(editor)];
}

std::string PresetName(int renderModel) {
  if (renderModel >= 0 && renderModel < kRendererPresetCount)
    return std::string(kPresetNames[renderModel]);
  return std::string(kNoPreset);
}

TOrvaneFrame::TOrvaneFrame(Hooks hooks) : hooks_(std::move(hooks)) {
  // Until the renderer announces its preset, the page shows none.
  WriteConfig(kConfigRenderModel, "-1");
  LoadHotKeysAndPreset();
}

void TOrvaneFrame::LoadHotKeysAndPreset() {
  for (const HotKeySlot& slot : HotKeySlots()) {
    std::string text = ReadConfig(std::string(slot.textKey));
    editTexts_[static_cast<size_t>(slot.editor)] =
        text.empty() ? std::string(slot.defaultText) : text;
  }
  label6_ = i18n::TrS(kCurrentPrefix) + i18n::TrS(GetPresetName());
  Changed();
}

std::string TOrvaneFrame::GetPresetName() const {
  return PresetName(ReadConfigInt(kConfigRenderModel, 0));
}

bool TOrvaneFrame::EditKeyDown(HotKeyEditor editor, int virtualKey, ShiftState state, bool ctrlDown,
                               bool shiftDown) {
  std::optional<HotKey> key = CaptureHotKey(virtualKey, state, ctrlDown, shiftDown);
  if (!key) return false;
  const HotKeySlot& slot = SlotOf(editor);
  WriteConfig(std::string(slot.codeKey), std::to_string(key->code));
  WriteConfig(std::string(slot.textKey), key->text);
  editTexts_[static_cast<size_t>(editor)] = key->text;
  Changed();
  NotifyRenderer();
  return true;
}

void TOrvaneFrame::Label5Click() {
  for (const HotKeySlot& slot : HotKeySlots()) {
    editTexts_[static_cast<size_t>(slot.editor)] = std::string(slot.defaultText);
    WriteConfig(std::string(slot.codeKey), std::to_string(slot.defaultCode));
  }
  for (const HotKeySlot& slot : HotKeySlots())
    WriteConfig(std::string(slot.textKey), std::string(slot.defaultText));
  Changed();
  NotifyRenderer();
}

void TOrvaneFrame::NotifyRenderer() {
  if (hooks_.notifyRenderer) hooks_.notifyRenderer();
}

void TOrvaneFrame::BtnGraphicsOptiClick() {
  LaunchRenderer(hooks_.startProcess, true);
}

void TOrvaneFrame::Changed() {
  if (onChanged) onChanged();
}

}  // namespace kestrune::enhance
