// The skinned message dialogs and the about box: TMessageForm (general),
// TMessageForm3 (game running), TMessageForm4 (companion program) and
// TAboutForm. Each is created by its caller, shown modally centred on the
// main window, and freed right after; the modal result (1 OK, 2 Cancel) is
// all a caller reads.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "controls/combo_box.h"
#include "controls/plain_controls.h"
#include "controls/shadow_form.h"
#include "controls/standard_controls.h"
#include "controls/tab_control.h"
#include "gui/gui_host.h"

namespace kestrune::app {

inline constexpr int kModalOk = 1;
inline constexpr int kModalCancel = 2;

// The window every dialog is centred on and owned by (the main window).
void SetDialogOwner(gui::Window* owner);
gui::Window* DialogOwner();

// Common frame: backdrop panel, close button, caption label, shadow, moving.
class TDialogForm {
 public:
  TDialogForm(int width, int height, std::string title);
  virtual ~TDialogForm();
  TDialogForm(const TDialogForm&) = delete;
  TDialogForm& operator=(const TDialogForm&) = delete;

  // Shows the dialog modally; returns the modal result.
  int ShowModal();
  void SetModalResult(int result);
  int ModalResult() const { return modalResult_; }
  // The dialog's window while it is shown (tests and screenshots).
  gui::Window* ShownWindow() const { return window_.get(); }
  // Runs once the dialog is on the screen (tests and screenshots).
  static void SetShownHook(std::function<void(TDialogForm&)> hook);
  Control& Root() { return root_; }
  const std::string& Title() const { return title_; }
  // What the desktop shows for the dialog: its caption (the program's name
  // when it shows none).
  std::string DesktopTitle() const;

 protected:
  // Called before the window is made: final sizing of the dialog.
  virtual void BeforeShow() {}
  // The control that has the keyboard when the dialog appears (none: keys
  // reach no control until one is clicked).
  virtual Control* InitialFocus() { return nullptr; }
  // The common backdrop: DrawStretch over the 370 x 60 title picture.
  void UseTitleBackdrop();
  void Resize(int width, int height) { root_.SetBounds(0, 0, width, height); }

  Control root_;

 public:
  TCZStandardPanel Panel{&root_};
  TCZStandardButton btnSysClose{&Panel};
  TCZStandardLabel CaptionLabel{&Panel};

 private:
  void MoveByCaption(ShiftState shift);

  std::string title_;
  std::unique_ptr<gui::Window> window_;
  std::unique_ptr<TShadowForm> shadow_;
  int modalResult_ = 0;
};

// TMessageIconType codes.
enum TMessageIconType { mitNone = 0, mitError = 1, mitInfo = 2, mitQuestion = 3 };

class TMessageForm : public TDialogForm {
 public:
  TMessageForm();
  void SetCaptionText(const std::string& text);
  void SetMessageText(const std::string& text);
  // Throws PngError when the icon's resource is missing.
  void SetIconType(int iconType);
  void SetButtonsMode(int mode);
  // The size the dialog takes when shown (the sizing rule), applied now.
  Size ApplySizing();

  TLabel lblTitle{&Panel};
  TImage imgIcon{&Panel};
  TCZStandardButton btnOK{&Panel};
  TCZStandardButton btnCancel{&Panel};
  TCZCheckBox2 checkbox{&Panel};

 protected:
  void BeforeShow() override;

 private:
  std::string message_;
};

// The general dialog in one call: title, text, icon type, buttons mode.
int ShowMessageBox(std::string_view title, std::string_view text, int iconType, int buttonsMode);

class TMessageForm3 : public TDialogForm {
 public:
  explicit TMessageForm3(const std::function<void()>& closeGame);
  TCZStandImage CZStandImage1{&Panel};
  TLabel Label1{&Panel};
  TLabel Label2{&Panel};
  TCZStandardButton BtnCloseGame{&Panel};
  TCZStandardButton BtnOK{&Panel};
};

class TMessageForm4 : public TDialogForm {
 public:
  TMessageForm4();
  TCZStandardButton BtnPUBG{&Panel};
  TCZStandardButton BtnOrvane{&Panel};
  TCZStandardButton orvaneLabel{&Panel};
  TCZStandardButton CZStandardButton1{&Panel};
};

class TAboutForm : public TDialogForm {
 public:
  TAboutForm();
  TCZStandImage CZStandImage1{&Panel};
  TCZStandImage CZStandImage2{&Panel};
  TCZStandImage CZStandImage3{&Panel};
  TLabel Label2{&Panel};
  TLabel Label3{&Panel};
  TLabel LabelVersion{&Panel};
  TLabel Label4{&Panel};
  TLabel Label1{&Panel};
};

// What the player is told when the game or an address cannot be opened.
inline constexpr const char* kSteamNotFoundText = "未找到Steam，无法启动游戏。请先安装Steam。";
inline constexpr const char* kOpenerMissingText =
    "无法打开：系统没有可用的默认浏览器（xdg-open）。";

// Opens an address (or document) with the desktop's opener; when that fails
// the player is told in a message box. False on failure.
bool OpenOrSay(const std::string& address);

// The plain error box of the application's default error handling.
void ShowErrorBox(std::string_view message);

// Runs an event handler; an exception that escapes it shows the error box
// (the application's default handling) and the program goes on.
void RunGuarded(const std::function<void()>& handler);

// Loads a skin picture; a missing one is logged and leaves the control bare.
void LoadSkin(TCZBaseControl& control, std::string_view resource);
void LoadSkin(TCZCheckBox2& control, std::string_view resource);
void LoadSkin(TCZComboBox& control, std::string_view resource);
void LoadSkin(TCZTabControl& control, std::string_view resource);
// The UI face (ApplyUiFont) at `height` pixels, keeping the control's colour;
// and with the given colour and weight.
void UiFont(Control& control, int height = 12);
void FontColour(Control& control, uint32_t rgb, int height = 12, bool bold = false);
// The drop shadow of a frameless window, following its moves; a window whose
// shadow cannot be made goes without, and `owner` names it in the log.
void AttachShadow(gui::Window& window, std::unique_ptr<TShadowForm>& shadow, const char* owner);
// A frame strip (frames side by side) on a button, keeping its bounds.
void SkinStrip(TCZStandardButton& button, std::string_view resource, int frames);

}  // namespace kestrune::app
