// The message dialogs without showing them: sizing, icons, button modes,
// results of the buttons and the fixed texts.
#include "app/dialogs.h"

#include <gtest/gtest.h>

#include "controls/image.h"

namespace kestrune::app {
namespace {

TEST(MessageForm, ShortTextGivesTheSmallestDialogAndLongTextWidensIt) {
  TMessageForm shortForm;
  shortForm.SetMessageText("还原完成");
  Size small = shortForm.ApplySizing();
  EXPECT_EQ(small.width, 400);
  EXPECT_EQ(small.height, 168);
  // Anchored right/bottom: the buttons keep their distance to the corner.
  EXPECT_EQ(shortForm.btnCancel.Left(), 400 - (490 - 399));
  EXPECT_EQ(shortForm.btnOK.Top(), 168 - (200 - 163));
  EXPECT_EQ(shortForm.checkbox.Top(), 168 - (200 - 163));
  EXPECT_EQ(shortForm.btnSysClose.Left(), 400 - (490 - 459));

  TMessageForm longForm;
  std::string text(60, 'W');
  longForm.SetMessageText(text + "，这是一条很长的消息，用来把对话框撑宽。");
  int textWidth = longForm.lblTitle.Width();
  Size wide = longForm.ApplySizing();
  EXPECT_GT(textWidth, 400);
  EXPECT_EQ(wide.width, 80 + textWidth + 18);
  EXPECT_EQ(wide.height, 168);  // one line only
}

TEST(MessageForm, IconTypes) {
  struct {
    int type;
    bool icon;
  } const kCases[] = {{0, false}, {1, true}, {2, true}, {3, true}, {4, false}, {-1, false}};
  for (const auto& c : kCases) {
    TMessageForm form;
    form.SetIconType(c.type);
    EXPECT_EQ(!form.imgIcon.Picture().Empty(), c.icon) << c.type;
  }
}

TEST(MessageForm, ButtonsModeOneLeavesOnlyOkFurtherRight) {
  TMessageForm both;
  both.SetButtonsMode(0);
  EXPECT_TRUE(both.btnCancel.Visible());
  EXPECT_EQ(both.btnOK.Left(), 308);
  TMessageForm okOnly;
  okOnly.SetButtonsMode(1);
  EXPECT_FALSE(okOnly.btnCancel.Visible());
  EXPECT_EQ(okOnly.btnOK.Left(), 383);
}

TEST(MessageForm, ButtonResults) {
  TMessageForm form;
  form.btnOK.OnClick(form.btnOK);
  EXPECT_EQ(form.ModalResult(), kModalOk);
  form.btnCancel.OnClick(form.btnCancel);
  EXPECT_EQ(form.ModalResult(), kModalCancel);
  form.SetModalResult(0);
  form.btnSysClose.OnClick(form.btnSysClose);
  EXPECT_EQ(form.ModalResult(), kModalCancel);  // closing counts as Cancel
  EXPECT_EQ(form.CaptionLabel.Caption(), "更新");
  EXPECT_EQ(form.checkbox.Caption(), "下次不再提醒");
  EXPECT_TRUE(form.checkbox.Checked());
  // The "do not remind me" option is a check box with its box, not a bare label.
  EXPECT_TRUE(form.checkbox.Picture().IsPng());
}

// What the desktop shows for a dialog is its caption.
TEST(Dialogs, DesktopTitleIsTheCaption) {
  TMessageForm message;
  message.SetCaptionText("升级");
  EXPECT_EQ(message.DesktopTitle(), "升级");
  TMessageForm3 running(nullptr);
  EXPECT_EQ(running.DesktopTitle(), "提醒");
  TMessageForm4 companion;  // shows no caption: the program's name
  EXPECT_EQ(companion.DesktopTitle(), "Kestrune");
  TAboutForm about;
  EXPECT_EQ(about.DesktopTitle(), "Kestrune");
}

TEST(OtherDialogs, GameRunningCompanionAndAbout) {
  int closed = 0;
  TMessageForm3 running([&] { ++closed; });
  running.BtnCloseGame.OnClick(running.BtnCloseGame);
  EXPECT_EQ(closed, 1);
  EXPECT_EQ(running.ModalResult(), 0);  // the notice stays open
  running.BtnOK.OnClick(running.BtnOK);
  EXPECT_EQ(running.ModalResult(), kModalOk);
  EXPECT_EQ(running.BtnCloseGame.Caption(), "一键关闭游戏");
  EXPECT_EQ(running.Label1.Caption(), "您正在吃鸡中，请退出游戏后重试！");

  TMessageForm4 companion;
  EXPECT_FALSE(companion.btnSysClose.Visible());
  companion.BtnPUBG.OnClick(companion.BtnPUBG);
  EXPECT_EQ(companion.ModalResult(), kModalOk);
  companion.BtnOrvane.OnClick(companion.BtnOrvane);
  EXPECT_EQ(companion.ModalResult(), kModalCancel);
  EXPECT_EQ(companion.orvaneLabel.Caption(), "Orvane官网");

  TAboutForm about;
  // The caption sits on the navy title band: white, as on every dialog.
  EXPECT_EQ(about.CaptionLabel.GetFont().color, colors::kWhite);
  EXPECT_EQ(about.CaptionLabel.GetFont().color, running.CaptionLabel.GetFont().color);
  EXPECT_EQ(about.LabelVersion.Caption().rfind("版本号：V", 0), 0u);
  EXPECT_EQ(about.Label2.Caption(), "Kestrune");
  EXPECT_EQ(about.Label4.Caption(), "Orvane");
}

}  // namespace
}  // namespace kestrune::app
