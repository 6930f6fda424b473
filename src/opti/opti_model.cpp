// The page's state: building the lists, showing the hardware summary,
// loading and saving the choices, the schemes and the automatic
// configuration.
#include "opti/opti_frame.h"

#include <cstdio>

#include "platform/debug_log.h"

namespace kestrune::opti {
namespace {

std::string FormatInt(const char* format, int value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

// The game's folder the user named in Config.dat ("GameDir"), else the one
// the platform finds.
std::unique_ptr<TPUBGLib> DefaultEngine(const THareWareInfo& hardware, OptiSettings& settings) {
  std::string named = TrimSpacesAndControls(settings.Read(std::string(kGameDirKey)));
  if (!named.empty()) return TPUBGLib::ForGameFolder(named, hardware);
  return std::make_unique<TPUBGLib>(hardware);
}

}  // namespace

TOptiFrame::TOptiFrame(const THareWareInfo& hardware, OptiSettings& settings, OptiDialogs& dialogs,
                       GameControl& game, std::unique_ptr<TPUBGLib> engine)
    : hardware_(hardware),
      settings_(settings),
      dialogs_(dialogs),
      game_(game),
      engine_(engine ? std::move(engine) : DefaultEngine(hardware, settings)) {
  InitControls();
  LoadSettings();
  LoadHistory();
}

std::unique_ptr<TOptiFrame> TOptiFrame::ForGameFolder(const THareWareInfo& hardware,
                                                      OptiSettings& settings, OptiDialogs& dialogs,
                                                      GameControl& game,
                                                      const std::string& localAppData) {
  return std::make_unique<TOptiFrame>(hardware, settings, dialogs, game,
                                      localAppData.empty()
                                          ? std::make_unique<TPUBGLib>(hardware)
                                          : TPUBGLib::ForGameFolder(localAppData, hardware));
}

void TOptiFrame::UserSelect(ListId id, int index) {
  SetItemIndex(id, index);
  if (id == ListId::ConfigModel) CBConfigModelChange();
}

void TOptiFrame::InitControls() {
  for (const ListDesc& desc : Lists()) {
    TComboModel& list = lists_[static_cast<size_t>(desc.id)];
    list.Items.assign(desc.items.begin(), desc.items.end());
    list.ItemIndex = 0;
  }
  historyList_ = TComboModel{};
  history_.clear();
  ShowHardwareInfo();
}

void TOptiFrame::ShowHardwareInfo() {
  summary_.CPU = TrimSpacesAndControls(hardware_.CPUName);
  summary_.Memory = FormatInt("%d G", hardware_.MemorySize);
  summary_.GPU = hardware_.CardName;
  summary_.Shaders = FormatInt("%d", hardware_.ShaderCount);
}

void TOptiFrame::LoadSettings() {
  // A key that is missing takes its default; a Config.dat that is there but
  // could not be read also shows defaults, and is remembered so that no save
  // writes those defaults over the player's settings.
  loadError_.clear();
  auto read = [this](std::string_view key) {
    SettingRead r = settings_.ReadChecked(std::string(key));
    if (!r.error.empty() && loadError_.empty()) loadError_ = r.error;
    return r.value;
  };
  for (const ListDesc& desc : Lists()) SetItemIndex(desc.id, ParseIntDef(read(desc.key), 0));
  for (const EditDesc& desc : Edits()) {
    int value = ParseIntDef(read(desc.key), desc.fallback);
    SetEditText(desc.id, std::to_string(value));
  }
  for (const CheckDesc& desc : Checks()) {
    int value = ParseIntDef(read(desc.key), desc.fallback ? 1 : 0);
    SetChecked(desc.id, value == 1);
  }
  if (!loadError_.empty()) {
    DebugLogF("settings not loaded: %s", loadError_.c_str());
    loadError_ = "The settings in Config.dat could not be read (" + loadError_ +
                 "); nothing was saved and the game files were not changed. Try again once "
                 "the file can be read.";
  }
  // A page that never had a scheme starts on the automatic one.
  if (ItemIndex(ListId::ConfigModel) == 0) {
    SetItemIndex(ListId::ConfigModel, 1);
    BtnAutoConfigClick();
  }
}

bool TOptiFrame::SaveSettings() {
  if (!loadError_.empty()) return false;  // defaults in place of unread values
  bool saved = true;
  for (const ListDesc& desc : Lists())
    saved = settings_.Write(std::string(desc.key), std::to_string(ItemIndex(desc.id))) && saved;
  for (const EditDesc& desc : Edits()) {
    int value = StoredEditValue(desc, EditText(desc.id));
    saved = settings_.Write(std::string(desc.key), std::to_string(value)) && saved;
  }
  for (const CheckDesc& desc : Checks())
    saved = settings_.Write(std::string(desc.key), Checked(desc.id) ? "1" : "0") && saved;
  return saved;
}

void TOptiFrame::CBConfigModelChange() {
  int scheme = ItemIndex(ListId::ConfigModel);
  if (scheme == 1) {
    BtnAutoConfigClick();
    return;
  }
  const SchemeRow* row = SchemeFor(scheme);
  if (!row) return;
  const std::pair<ListId, int> sets[] = {
      {ListId::MSAA, row->msaa}, {ListId::FXAA, row->fxaa},         {ListId::AO, row->ao},
      {ListId::Text, row->text}, {ListId::Effect, row->effect},     {ListId::Tree, row->tree},
      {ListId::View, row->view}, {ListId::HardWare, row->hardWare}, {ListId::NetWork, row->netWork},
  };
  for (const auto& [id, index] : sets)
    if (index >= 0) SetItemIndex(id, index);
}

void TOptiFrame::BtnAutoConfigClick() {
  SetItemIndex(ListId::ConfigModel, 1);
  SetItemIndex(ListId::NetWork, 5);   // 官方
  SetItemIndex(ListId::HardWare, 4);  // 超级Orvane 中配置

  // Rows by shader count: below 1024, up to 1535, 1536 and more.
  struct Row {
    int msaa, fxaa, ao, effect, tree, view;
  };
  static const Row kRows[] = {{1, 1, 1, 1, 1, 1}, {2, 1, 2, 2, 1, 2}, {3, 1, 2, 3, 1, 3}};
  int shaders = hardware_.ShaderCount;
  const Row& row = shaders < 1024 ? kRows[0] : shaders < 1536 ? kRows[1] : kRows[2];
  SetItemIndex(ListId::MSAA, row.msaa);
  SetItemIndex(ListId::FXAA, row.fxaa);
  SetItemIndex(ListId::AO, row.ao);
  SetItemIndex(ListId::Effect, row.effect);
  SetItemIndex(ListId::Tree, row.tree);
  SetItemIndex(ListId::View, row.view);
  SetItemIndex(ListId::Text, hardware_.VideoMemorySize > 2048 ? 3 : 2);
}

}  // namespace kestrune::opti
