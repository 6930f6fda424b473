// The message dialogs and the about box.
#include "app/dialogs.h"

#include <algorithm>

#include "app/app_services.h"
#include "controls/resources.h"
#include "controls/ui_font.h"
#include "env/game_process.h"
#include "env/version_resource.h"
#include "i18n/i18n.h"
#include "platform/debug_log.h"
#include "platform/paths.h"

namespace kestrune::app {
namespace {

gui::Window* g_owner = nullptr;
std::function<void(TDialogForm&)> g_shownHook;

}  // namespace

void UiFont(Control& control, int height) {
  Font font = control.GetFont();
  ApplyUiFont(font);
  font.height = height;
  control.SetFont(font);
}

void FontColour(Control& control, uint32_t rgb, int height, bool bold) {
  Font font = control.GetFont();
  ApplyUiFont(font);
  font.height = height;
  font.color = Color::Rgb(rgb);
  font.bold = bold;
  control.SetFont(font);
}

void AttachShadow(gui::Window& window, std::unique_ptr<TShadowForm>& shadow, const char* owner) {
  try {
    shadow = std::make_unique<TShadowForm>(window.ShadowOwner());
    window.OnFormMessage = [&shadow](const FormMessage& m) {
      if (shadow) shadow->OwnerWindowProc(m);
    };
  } catch (const std::exception& error) {
    DebugLogF("%s shadow: %s", owner, error.what());
  }
}

void SkinStrip(TCZStandardButton& button, std::string_view resource, int frames) {
  // Our strips lie side by side; the button sizes itself to a frame, so the
  // layout's bounds are put back afterwards.
  Rect bounds = button.Bounds();
  button.SetImageModel(TImageModel::HorizontalModel);
  button.SetDrawModel(TDrawModel::DrawNImage);
  button.SetNImage(frames);
  LoadSkin(button, resource);
  if (!bounds.Empty()) button.SetBounds(bounds);
}

void SetDialogOwner(gui::Window* owner) {
  g_owner = owner;
}
gui::Window* DialogOwner() {
  return g_owner;
}

namespace {

// A picture with text in it comes in each interface language
// ("ApplyButton_en"); the source language's is the one without a suffix.
std::string SkinFor(std::string_view resource) {
  std::string local = std::string(resource) + "_" + i18n::CurrentLanguage();
  if (!i18n::IsSourceLanguage() && FindRawResource(local)) return local;
  return std::string(resource);
}

// A missing skin leaves the control without a picture and says so once.
template <typename Control>
void LoadSkinInto(Control& control, std::string_view resource) {
  try {
    TPicture picture;
    LoadPngResource(picture, SkinFor(resource));
    control.SetPicture(picture);
  } catch (const std::exception& error) {
    DebugLogF("skin %.*s missing: %s", static_cast<int>(resource.size()), resource.data(),
              error.what());
  }
}

}  // namespace

void LoadSkin(TCZBaseControl& control, std::string_view resource) {
  LoadSkinInto(control, resource);
}

void LoadSkin(TCZCheckBox2& control, std::string_view resource) {
  LoadSkinInto(control, resource);
}

void LoadSkin(TCZComboBox& control, std::string_view resource) {
  LoadSkinInto(control, resource);
}

void LoadSkin(TCZTabControl& control, std::string_view resource) {
  LoadSkinInto(control, resource);
}

// ---- Common frame ----

TDialogForm::TDialogForm(int width, int height, std::string title) : title_(std::move(title)) {
  root_.SetBounds(0, 0, width, height);
  root_.SetColor(colors::kWhite);
  Panel.SetAlign(Align::kClient);
  Panel.SetBounds(0, 0, width, height);
  btnSysClose.SetBounds(width - 31, 0, 27, 22);
  btnSysClose.SetAnchors(kAnchorTop | kAnchorRight);
  SkinStrip(btnSysClose, "SysClose", 4);
  btnSysClose.OnClick = [this](Control&) { SetModalResult(kModalCancel); };
  CaptionLabel.SetBounds(6, 4, 315, 24);
  // Dragging anywhere on the backdrop or the title moves the dialog.
  Panel.OnMouseMove = [this](Control&, ShiftState shift, int, int) { MoveByCaption(shift); };
  CaptionLabel.OnMouseMove = [this](Control&, ShiftState shift, int, int) { MoveByCaption(shift); };
}

TDialogForm::~TDialogForm() {
  shadow_.reset();
  window_.reset();
}

void TDialogForm::SetShownHook(std::function<void(TDialogForm&)> hook) {
  g_shownHook = std::move(hook);
}

void TDialogForm::UseTitleBackdrop() {
  Panel.SetDrawModel(TDrawModel::DrawStretch);
  Panel.SetOffLeft(350);
  Panel.SetOffTop(40);
  LoadSkin(Panel, "DialogBackdrop");
}

void TDialogForm::MoveByCaption(ShiftState shift) {
  // The system's move drag follows the held button; without one there is
  // nothing to drag (GTK would otherwise keep dragging until the next click).
  if (window_ && (shift & kShiftLeft)) window_->BeginCaptionDrag();
}

std::string TDialogForm::DesktopTitle() const {
  const std::string& caption = CaptionLabel.Caption();
  return caption.empty() || !CaptionLabel.Visible() ? std::string(kAppTitle) : caption;
}

void TDialogForm::SetModalResult(int result) {
  modalResult_ = result;
  if (window_) window_->EndModal(result);
}

int TDialogForm::ShowModal() {
  BeforeShow();
  gui::WindowOptions options;
  // The desktop (task switcher, window list) shows the dialog's own caption;
  // the class-like name stays for the log and the tests' own look-ups.
  options.title = DesktopTitle();
  options.width = root_.Width();
  options.height = root_.Height();
  options.taskbar = false;
  window_ = gui::CreateWindow(root_, options);
  window_->OnCloseQuery = [] { return true; };
  // Closing by any other means than the buttons counts as Cancel.
  window_->OnClose = [this] { SetModalResult(kModalCancel); };
  if (g_owner)
    window_->CentreOn(*g_owner);
  else
    window_->CentreOnScreen();
  AttachShadow(*window_, shadow_, "dialog");
  if (Control* first = InitialFocus()) first->SetFocus();
  if (g_shownHook) {
    window_->OnFirstPaint = [this] {
      gui::RunLater(0, [this] {
        if (g_shownHook) g_shownHook(*this);
      });
    };
  }
  modalResult_ = 0;
  int result = window_->RunModal(g_owner);
  window_->OnFormMessage = nullptr;
  shadow_.reset();
  window_.reset();
  return result;
}

// ---- TMessageForm ----

TMessageForm::TMessageForm() : TDialogForm(490, 200, "TMessageForm") {
  UseTitleBackdrop();
  UiFont(root_);
  btnSysClose.SetBounds(459, 0, 27, 22);
  FontColour(CaptionLabel, 0xFFFFFF);
  CaptionLabel.SetCaption(i18n::TrS("更新"));
  lblTitle.SetBounds(80, 51, 10, 14);
  lblTitle.SetAutoSize(true);
  lblTitle.SetWordWrap(false);
  FontColour(lblTitle, 0x333333, 14);
  imgIcon.SetBounds(30, 42, 40, 40);
  btnOK.SetBounds(308, 163, 75, 26);
  btnOK.SetAnchors(kAnchorRight | kAnchorBottom);
  SkinStrip(btnOK, "DialogButton", 4);
  btnOK.SetCaption(i18n::TrS("确定"));
  FontColour(btnOK, 0x666666);
  btnOK.OnClick = [this](Control&) { SetModalResult(kModalOk); };
  btnCancel.SetBounds(399, 163, 75, 26);
  btnCancel.SetAnchors(kAnchorRight | kAnchorBottom);
  SkinStrip(btnCancel, "DialogButton", 4);
  btnCancel.SetCaption(i18n::TrS("取消"));
  FontColour(btnCancel, 0x666666);
  btnCancel.OnClick = [this](Control&) { SetModalResult(kModalCancel); };
  checkbox.SetBounds(17, 163, 120, 25);
  checkbox.SetAnchors(kAnchorLeft | kAnchorBottom);
  checkbox.SetCaption(i18n::TrS("下次不再提醒"));
  checkbox.SetChecked(true);
  FontColour(checkbox, 0x333333);
  LoadSkin(checkbox, "CheckBox");  // without its skin it is a bare label
}

void TMessageForm::SetCaptionText(const std::string& text) {
  CaptionLabel.SetCaption(text);
}

void TMessageForm::SetMessageText(const std::string& text) {
  message_ = text;
  lblTitle.SetCaption(text);
  lblTitle.AdjustSize();
}

void TMessageForm::SetIconType(int iconType) {
  const char* name = iconType == mitError      ? "ICON_MessageBox_ERROR"
                     : iconType == mitInfo     ? "ICON_MessageBox_INFO"
                     : iconType == mitQuestion ? "ICON_MessageBox_Question"
                                               : nullptr;
  if (!name) return;
  TPicture picture;
  LoadPngResource(picture, name);  // a missing icon is the caller's error
  imgIcon.SetPicture(picture);
}

void TMessageForm::SetButtonsMode(int mode) {
  if (mode != 1) return;
  btnCancel.SetVisible(false);
  btnOK.SetLeft(btnOK.Left() + 75);
}

void TMessageForm::BeforeShow() {
  ApplySizing();
}

Size TMessageForm::ApplySizing() {
  int width = std::max(400, lblTitle.Left() + lblTitle.Width() + 18);
  int height = std::max(168, lblTitle.Top() + lblTitle.Height() + 80);
  Resize(width, height);
  return {width, height};
}

int ShowMessageBox(std::string_view title, std::string_view text, int iconType, int buttonsMode) {
  TMessageForm form;
  form.SetCaptionText(std::string(title));
  form.SetMessageText(std::string(text));
  form.SetIconType(iconType);
  form.SetButtonsMode(buttonsMode);
  DebugLogF("dialog: %.*s | %.*s", static_cast<int>(title.size()), title.data(),
            static_cast<int>(text.size()), text.data());
  int result = form.ShowModal();
  DebugLogF("dialog result: %d", result);
  return result;
}

// ---- TMessageForm3 ----

TMessageForm3::TMessageForm3(const std::function<void()>& closeGame)
    : TDialogForm(465, 205, "TMessageForm3") {
  UseTitleBackdrop();
  btnSysClose.SetBounds(434, 0, 27, 22);
  FontColour(CaptionLabel, 0xFFFFFF);
  CaptionLabel.SetCaption(i18n::TrS("提醒"));
  CZStandImage1.SetBounds(40, 64, 48, 48);
  LoadSkin(CZStandImage1, "WarningImage");
  Label1.SetAutoSize(false);
  Label1.SetWordWrap(true);
  Label1.SetBounds(99, 56, 339, 25);
  FontColour(Label1, 0x000000, 16, true);
  Label1.SetCaption(i18n::TrS("您正在吃鸡中，请退出游戏后重试！"));
  Label2.SetAutoSize(false);
  Label2.SetWordWrap(true);
  Label2.SetBounds(99, 87, 350, 25);
  UiFont(Label2);
  Label2.SetCaption(i18n::TrS("游戏打开时无法优化，结束并退出后才可以进行优化哟！"));
  BtnCloseGame.SetBounds(24, 160, 102, 32);
  SkinStrip(BtnCloseGame, "WarningCloseGameButton", 4);
  BtnCloseGame.SetCaption(i18n::TrS("一键关闭游戏"));
  FontColour(BtnCloseGame, 0x7D7D7D);
  // Ends the game and leaves the notice open.
  BtnCloseGame.OnClick = [closeGame](Control&) {
    DebugLog("TMessageForm3: closing the game");
    if (closeGame) closeGame();
  };
  BtnOK.SetBounds(346, 159, 82, 32);
  SkinStrip(BtnOK, "WarningOKButton", 4);
  BtnOK.SetCaption(i18n::TrS("确定"));
  FontColour(BtnOK, 0xFFFFFF);
  BtnOK.OnClick = [this](Control&) { SetModalResult(kModalOk); };
}

// ---- TMessageForm4 ----

TMessageForm4::TMessageForm4() : TDialogForm(540, 328, "TMessageForm4") {
  Panel.SetDrawModel(TDrawModel::DrawNormal);
  LoadSkin(Panel, "CompanionBackdrop");
  Panel.SetBounds(0, 0, 540, 328);
  UiFont(root_);
  btnSysClose.SetVisible(false);
  CaptionLabel.SetVisible(false);
  BtnPUBG.SetBounds(58, 257, 172, 46);
  SkinStrip(BtnPUBG, "CompanionUseKestrune", 4);
  BtnPUBG.OnClick = [this](Control&) { SetModalResult(kModalOk); };
  BtnOrvane.SetBounds(312, 257, 172, 46);
  SkinStrip(BtnOrvane, "CompanionUseOrvane", 4);
  BtnOrvane.OnClick = [this](Control&) { SetModalResult(kModalCancel); };
  orvaneLabel.SetBounds(56, 140, 91, 30);
  orvaneLabel.SetCaption(i18n::TrS("Orvane官网"));
  Font font = orvaneLabel.GetFont();
  ApplyUiFont(font);
  font.bold = true;
  font.underline = true;
  font.color = Color::Rgb(0x3081BA);
  orvaneLabel.SetFont(font);
  orvaneLabel.SetCursor(Cursor::kHandPoint);
  orvaneLabel.OnClick = [](Control&) { OpenOrSay(MakerWebSite()); };
  CZStandardButton1.SetBounds(373, 118, 119, 28);
  SkinStrip(CZStandardButton1, "CompanionSocial", 3);
  CZStandardButton1.OnClick = [](Control&) { OpenOrSay(MakerSocialPage()); };
}

// ---- TAboutForm ----

TAboutForm::TAboutForm() : TDialogForm(490, 246, "TAboutForm") {
  UseTitleBackdrop();
  UiFont(root_);
  btnSysClose.SetBounds(459, 0, 27, 22);
  // White on the navy title band, as every other dialog's caption.
  FontColour(CaptionLabel, 0xFFFFFF);
  CaptionLabel.SetCaption("Kestrune");
  CZStandImage1.SetBounds(128, 64, 52, 52);
  LoadSkin(CZStandImage1, "AboutProductLogo");
  CZStandImage2.SetBounds(344, 64, 52, 52);
  LoadSkin(CZStandImage2, "AboutMakerLogo");
  CZStandImage3.SetBounds(262, 67, 1, 160);
  LoadSkin(CZStandImage3, "AboutDivider");
  auto centred = [](TLabel& label, int x, int y, int w, int h) {
    label.SetAutoSize(false);
    label.SetAlignment(TAlignment::taCenter);
    label.SetBounds(x, y, w, h);
  };
  centred(Label2, 57, 138, 200, 20);
  FontColour(Label2, 0x4D4D4D, 14);
  Label2.SetCaption("Kestrune");
  centred(Label3, 57, 162, 200, 20);
  FontColour(Label3, 0xF08101);
  Label3.SetCaption(PartnerHostName());
  Label3.SetCursor(Cursor::kHandPoint);
  Label3.OnClick = [](Control&) { OpenOrSay(PartnerHomePage()); };
  centred(LabelVersion, 57, 202, 200, 20);
  FontColour(LabelVersion, 0x4D4D4D);
  LabelVersion.SetCaption(
      i18n::TrF("版本号：V%s", {GetFileVersionString(platform::ExecutablePath(), "FileVersion")}));
  centred(Label4, 298, 138, 153, 20);
  FontColour(Label4, 0x4D4D4D);
  Label4.SetCaption("Orvane");
  centred(Label1, 298, 161, 153, 20);
  FontColour(Label1, 0xF08101);
  Label1.SetCaption(MakerDomain());
  Label1.SetCursor(Cursor::kHandPoint);
  Label1.OnClick = [](Control&) { OpenOrSay(MakerWebSite()); };
}

// ---- Opening addresses ----

bool OpenOrSay(const std::string& address) {
  if (ShellOpenEx(address, "")) return true;
  ShowMessageBox("Kestrune", i18n::TrS(kOpenerMissingText) + " " + address, mitError, 1);
  return false;
}

// ---- Error handling ----

void ShowErrorBox(std::string_view message) {
  DebugLogF("error box: %.*s", static_cast<int>(message.size()), message.data());
  TMessageForm form;
  form.SetCaptionText("Kestrune");
  form.SetMessageText(std::string(message));
  try {
    form.SetIconType(mitError);
  } catch (const std::exception& error) {
    DebugLogF("error box icon: %s", error.what());
  }
  form.SetButtonsMode(1);
  form.ShowModal();
}

void RunGuarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    ShowErrorBox(error.what());
  }
}

}  // namespace kestrune::app
