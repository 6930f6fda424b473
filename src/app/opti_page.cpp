// Optimisation page widgets: layout in pixels as the page design has it.
#include "app/opti_page.h"

#include <algorithm>
#include <iterator>

#include "app/dialogs.h"
#include "controls/ui_font.h"
#include "env/game_process.h"
#include "i18n/i18n.h"
#include "platform/debug_log.h"

namespace kestrune::app {

using opti::CheckId;
using opti::EditId;
using opti::ListId;

// ---- Dialogs ----

void GuiOptiDialogs::ShowGameRunningNotice(const std::function<void()>& closeGame) {
  DebugLog("dialog: game running notice");
  TMessageForm3 form(closeGame);
  form.ShowModal();
}

int GuiOptiDialogs::ShowMessageBox(std::string_view title, std::string_view text, int iconType,
                                   int buttonsMode) {
  return app::ShowMessageBox(title, text, iconType, buttonsMode);
}

void GuiOptiDialogs::ShowErrorBox(std::string_view message) {
  app::ShowErrorBox(message);
}

// ---- The game ----

bool GuiGameControl::IsGameRunning() {
  return kestrune::IsGameRunning();
}

void GuiGameControl::TerminateGameProcesses() {
  kestrune::TerminateGameProcesses();
}

void GuiGameControl::LaunchGameViaSteam() {
  if (!kestrune::SteamInstalled()) {
    app::ShowMessageBox(i18n::Tr("启动游戏"), i18n::Tr(kSteamNotFoundText), mitError, 1);
    return;
  }
  if (!kestrune::LaunchGameViaSteam())
    app::ShowMessageBox(i18n::Tr("启动游戏"), i18n::Tr(kOpenerMissingText), mitError, 1);
}

// ---- Layout ----

namespace {

// Rows of the "视觉设定" column: seven lists, then the screen percentage.
constexpr int kVisualRows[] = {180, 213, 247, 281, 315, 349, 383, 417};
constexpr ListId kVisualLists[] = {ListId::MSAA,   ListId::FXAA, ListId::AO,  ListId::Text,
                                   ListId::Effect, ListId::Tree, ListId::View};
constexpr ListId kOtherLists[] = {ListId::NetWork, ListId::HardWare, ListId::MouseSmoothing};
constexpr int kOtherRows[] = {180, 213, 247};
constexpr int kOtherCheckTop = 288;
constexpr int kOtherCheckStep = 17;
constexpr int kAdvancedTop = 174;
constexpr int kAdvancedStep = 33;

// The group headings: text, position, width and character height.
struct HeadingPlace {
  TLabel TOptiFrameView::*label;
  const char* text;
  int x, y, width, height;
};
constexpr HeadingPlace kHeadings[] = {
    {&TOptiFrameView::Heading1, "配置文件", 439, 7, 120, 16},
    {&TOptiFrameView::Heading2, "还原历史版本", 438, 89, 84, 12},
    {&TOptiFrameView::Heading3, "视觉设定", 24, 144, 120, 16},
    {&TOptiFrameView::Heading4, "其他设定", 296, 144, 120, 16},
    {&TOptiFrameView::Heading5, "高级功能", 574, 144, 120, 16},
};
// The hardware summary's captions, in the order of opti::HardwareSummary.
constexpr const char* kHardwareCaptions[] = {"CPU", "内存", "GPU", "渲染数量"};

}  // namespace

TOptiFrameView::TOptiFrameView(Control& parent, const THareWareInfo& hardware) {
  Frame.SetParent(&parent);
  Frame.SetBounds(0, 0, 880, 480);
  Build();
  model_ = std::make_unique<opti::TOptiFrame>(hardware, settings_, dialogs_, game_);
  PushToWidgets();
  CheckDrift();
}

void TOptiFrameView::Build() {
  // Hardware summary.
  HardwareGroup.SetBounds(26, 7, 380, 127);
  FontColour(HardwareGroup, 0x000000, 16);
  HardwareGroup.SetCaption(i18n::TrS("电脑配置"));
  for (size_t i = 0; i < 4; ++i) {
    int y = 32 + static_cast<int>(i) * 22;
    hwCaptions_[i] = std::make_unique<TLabel>(&HardwareGroup);
    hwCaptions_[i]->SetBounds(16, y, 66, 18);
    FontColour(*hwCaptions_[i], 0x666666);
    hwCaptions_[i]->SetCaption(i18n::TrS(kHardwareCaptions[i]));
    hwValues_[i] = std::make_unique<TLabel>(&HardwareGroup);
    hwValues_[i]->SetAutoSize(false);
    hwValues_[i]->SetBounds(86, y, 286, 18);
    FontColour(*hwValues_[i], 0x333333);
  }

  for (const HeadingPlace& place : kHeadings) {
    TLabel& label = this->*place.label;
    label.SetBounds(place.x, place.y, place.width, 22);
    FontColour(label, 0x000000, place.height);
    label.SetCaption(i18n::TrS(place.text));
  }

  auto makeList = [this](ListId id, int x, int y, int w, int h, int itemHeight,
                         const char* face = "ComboFace") {
    auto list = std::make_unique<TCZComboBox>(&Frame);
    list->SetBounds(x, y, w, h);
    list->SetItemHeight(itemHeight);
    list->SetName(std::string(opti::List(id).control));
    FontColour(*list, 0x000000);
    list->SetColor(colors::kWhite);
    LoadSkin(*list, face);
    list->OnChange = [this, id](Control& control) {
      int index = static_cast<TCZComboBox&>(control).ItemIndex();
      Run([this, id, index] { model_->UserSelect(id, index); });
    };
    lists_[static_cast<size_t>(id)] = std::move(list);
  };
  auto makeLabel = [this](std::string_view text, int x, int y) {
    auto label = std::make_unique<TLabel>(&Frame);
    label->SetBounds(x, y + 4, 60, 18);
    FontColour(*label, 0x333333);
    label->SetCaption(i18n::TrS(text));
    labels_.push_back(std::move(label));
  };

  makeList(ListId::ConfigModel, 438, 34, 320, 34, 28, "ComboPreset");
  for (size_t i = 0; i < std::size(kVisualLists); ++i) {
    makeLabel(opti::List(kVisualLists[i]).label, 40, kVisualRows[i]);
    makeList(kVisualLists[i], 102, kVisualRows[i], 164, 26, 20);
  }
  for (size_t i = 0; i < std::size(kOtherLists); ++i) {
    makeLabel(opti::List(kOtherLists[i]).label, 296, kOtherRows[i]);
    makeList(kOtherLists[i], 358, kOtherRows[i], 164, 26, 20);
  }
  for (EditId id : {EditId::Screen, EditId::FpsCamearFov, EditId::FPSLimit}) {
    auto edit = std::make_unique<TEdit>(&Frame);
    FontColour(*edit, 0x000000);
    edit->SetName(std::string(opti::Edit(id).control));
    edits_[static_cast<size_t>(id)] = std::move(edit);
  }
  makeLabel(opti::Edit(EditId::Screen).label, 40, kVisualRows[7]);
  Edit(EditId::Screen).SetBounds(102, kVisualRows[7], 164, 26);
  Edit(EditId::FpsCamearFov).SetBounds(154, 445, 60, 22);
  Edit(EditId::FPSLimit).SetBounds(374, 354, 50, 20);

  // Check options: the first-person field of view under the lists, the
  // other settings from row 288, the advanced options in two columns.
  // The other settings in the page's order (not the order they are saved in).
  constexpr CheckId kOtherOrder[] = {CheckId::CPUUsage, CheckId::CPUPerformanceBalance,
                                     CheckId::GPUUsage, CheckId::GPUUseCPU,
                                     CheckId::FPSLimit, CheckId::BigJump,
                                     CheckId::Language};
  int advanced = 0;
  const int advancedCount = static_cast<int>(std::count_if(
      opti::Checks().begin(), opti::Checks().end(),
      [](const opti::CheckDesc& d) { return d.group == opti::CheckGroup::Advanced; }));
  for (const opti::CheckDesc& desc : opti::Checks()) {
    auto box = std::make_unique<TCZCheckBox2>(&Frame);
    box->SetName(std::string(desc.control));
    box->SetCaption(i18n::TrS(desc.text));
    FontColour(*box, 0x333333);
    LoadSkin(*box, "CheckBox");
    if (desc.group == opti::CheckGroup::Visual) {
      box->SetBounds(40, 445, 112, 22);
    } else if (desc.group == opti::CheckGroup::Other) {
      int row =
          static_cast<int>(std::find(std::begin(kOtherOrder), std::end(kOtherOrder), desc.id) -
                           std::begin(kOtherOrder));
      int y = kOtherCheckTop + row * kOtherCheckStep;
      box->SetBounds(296, y, desc.id == CheckId::FPSLimit ? 76 : 268, 18);
    } else {
      int column = advanced % 2, row = advanced / 2;
      // A box alone on its row ("30FPS以下使用渲染延迟", the longest caption)
      // may use the whole row instead of being clipped at the column.
      bool alone = column == 0 && advanced + 1 == advancedCount;
      box->SetBounds(column == 0 ? 564 : 713, kAdvancedTop + row * kAdvancedStep,
                     alone ? 880 - 564 - 8 : 146, 22);
      ++advanced;
    }
    CheckId id = desc.id;
    box->OnClick = [this, id](Control& control) {
      bool on = static_cast<TCZCheckBox2&>(control).Checked();
      model_->SetChecked(id, on);
    };
    checks_[static_cast<size_t>(desc.id)] = std::move(box);
  }
  // The screen-percentage edit sits where the FPS limit's row meets it.
  Edit(EditId::FPSLimit).SetTop(kOtherCheckTop + 4 * kOtherCheckStep - 2);

  // History and actions.
  CBOptiHistory.SetBounds(524, 84, 234, 26);
  CBOptiHistory.SetItemHeight(20);
  CBOptiHistory.SetName("CBOptiHistory");
  FontColour(CBOptiHistory, 0x000000);
  CBOptiHistory.SetColor(colors::kWhite);
  LoadSkin(CBOptiHistory, "ComboHistory");
  CBOptiHistory.OnChange = [this](Control&) { model_->SetHistoryIndex(CBOptiHistory.ItemIndex()); };
  btnRestore.SetBounds(777, 84, 80, 26);
  SkinStrip(btnRestore, "RestoreButton", 4);
  btnRestore.OnClick = [this](Control&) { Run([this] { model_->btnRestoreClick(); }); };
  BtnApply.SetBounds(574, 390, 180, 50);
  SkinStrip(BtnApply, "ApplyButton", 4);
  BtnApply.SetName("BtnApply");
  BtnApply.OnClick = [this](Control&) {
    Run([this] {
      opti::ApplyResult result = model_->BtnApplyClick();
      DebugLogF("Apply: status %d", static_cast<int>(result.status));
    });
  };
  BtnStartPUBG.SetBounds(769, 393, 94, 44);
  SkinStrip(BtnStartPUBG, "StartGameButton", 4);
  BtnStartPUBG.OnClick = [this](Control&) { Run([this] { model_->BtnStartPUBGClick(); }); };
  Label4.SetBounds(698, 450, 110, 18);
  FontColour(Label4, 0x1E6FD9);
  Label4.SetCaption(i18n::TrS(opti::kClearLinkText));
  Label4.SetCursor(Cursor::kHandPoint);
  Label4.OnClick = [this](Control&) { Run([this] { model_->Label4Click(); }); };
  BuildHistoryExtras();
}

void TOptiFrameView::Run(const std::function<void()>& action) {
  PullFromWidgets();
  RunGuarded(action);
  PushToWidgets();
  CheckDrift();
}

void TOptiFrameView::PullFromWidgets() {
  for (const opti::EditDesc& desc : opti::Edits())
    model_->SetEditText(desc.id, Edit(desc.id).Text());
  for (const opti::CheckDesc& desc : opti::Checks())
    model_->SetChecked(desc.id, Check(desc.id).Checked());
  for (const opti::ListDesc& desc : opti::Lists())
    model_->SetItemIndex(desc.id, List(desc.id).ItemIndex());
  model_->SetHistoryIndex(CBOptiHistory.ItemIndex());
}

void TOptiFrameView::PushToWidgets() {
  for (const opti::ListDesc& desc : opti::Lists()) {
    TCZComboBox& list = List(desc.id);
    const opti::TComboModel& m = model_->ListModel(desc.id);
    std::vector<std::string> shown;
    for (const std::string& item : m.Items) shown.push_back(i18n::TrS(item));
    if (list.Items() != shown) list.SetItems(shown);
    list.SetItemIndex(m.ItemIndex);
    list.SetState(TCZComboBoxState::cbsNormal);
  }
  for (const opti::EditDesc& desc : opti::Edits())
    if (Edit(desc.id).Text() != model_->EditText(desc.id))
      Edit(desc.id).SetText(model_->EditText(desc.id));
  for (const opti::CheckDesc& desc : opti::Checks())
    Check(desc.id).SetChecked(model_->Checked(desc.id));
  const opti::TComboModel& history = model_->HistoryList();
  if (CBOptiHistory.Items() != history.Items) CBOptiHistory.SetItems(history.Items);
  CBOptiHistory.SetItemIndex(history.ItemIndex);
  RefreshHistoryLinks();
  const opti::HardwareSummary& hw = model_->Hardware();
  const std::string* values[] = {&hw.CPU, &hw.Memory, &hw.GPU, &hw.Shaders};
  for (size_t i = 0; i < 4; ++i) hwValues_[i]->SetCaption(*values[i]);
}

void TOptiFrameView::ShowHardwareInfo() {
  model_->ShowHardwareInfo();
  const opti::HardwareSummary& hw = model_->Hardware();
  const std::string* values[] = {&hw.CPU, &hw.Memory, &hw.GPU, &hw.Shaders};
  for (size_t i = 0; i < 4; ++i) hwValues_[i]->SetCaption(*values[i]);
}

}  // namespace kestrune::app
