// The plain edit, label and picture, and the UI font rule.
#include "controls/plain_controls.h"

#include <gtest/gtest.h>

#include "controls/recording_canvas.h"
#include "controls/test_host.h"
#include "controls/test_pictures.h"
#include "controls/ui_font.h"
#include "controls/virtual_keys.h"

namespace kestrune {
namespace {

using testing::TestWindow;

struct EditFixture : ::testing::Test {
  EditFixture() : edit(&w.root) {
    edit.SetBounds(10, 10, 150, 24);
    edit.SetFocus();
  }
  void Type(const std::u32string& text) {
    for (char32_t ch : text) w.host.KeyPress(ch);
  }
  void Key(int code, ShiftState shift = 0) { w.host.KeyDown(code, shift); }
  TestWindow w;
  TEdit edit;
};

TEST_F(EditFixture, TypingBackspaceDeleteAndCaret) {
  Type(U"60帧");
  EXPECT_EQ(edit.Text(), "60帧");
  EXPECT_EQ(edit.CaretPos(), 3);
  Key(vk::kBack);
  EXPECT_EQ(edit.Text(), "60");
  Key(vk::kHome);
  Key(vk::kDelete);
  EXPECT_EQ(edit.Text(), "0");
  Key(vk::kEnd);
  Type(U"1");
  EXPECT_EQ(edit.Text(), "01");
  Key(vk::kLeft);
  Type(U"x");
  EXPECT_EQ(edit.Text(), "0x1");
}

TEST_F(EditFixture, SelectionIsReplacedAndDeleted) {
  edit.SetText("108");
  Key(vk::kLeft, kShiftShift);
  Key(vk::kLeft, kShiftShift);
  EXPECT_EQ(edit.SelText(), "08");
  Type(U"2");
  EXPECT_EQ(edit.Text(), "12");
  Key(vk::kA, kShiftCtrl);
  EXPECT_EQ(edit.SelLength(), 2);
  Key(vk::kBack);
  EXPECT_EQ(edit.Text(), "");
}

TEST_F(EditFixture, KeyEventsCarryCodeAndModifiersAndCanDiscard) {
  std::vector<std::pair<int, ShiftState>> downs;
  edit.OnKeyDown = [&](Control&, int& key, ShiftState shift) { downs.push_back({key, shift}); };
  edit.OnKeyPress = [](Control&, char32_t& ch) { ch = 0; };  // the hot-key editors discard
  edit.SetText("Ctrl+F1");
  w.host.KeyDown(vk::kF1 + 1, kShiftCtrl | kShiftShift);
  Type(U"abc");
  EXPECT_EQ(edit.Text(), "Ctrl+F1");
  ASSERT_EQ(downs.size(), 1u);
  EXPECT_EQ(downs[0].first, vk::kF1 + 1);
  EXPECT_EQ(downs[0].second, kShiftCtrl | kShiftShift);
  EXPECT_EQ(w.host.Modifiers(), kShiftCtrl | kShiftShift);
}

TEST_F(EditFixture, OnKeyDownCanEatEditingKeys) {
  edit.SetText("abc");
  edit.OnKeyDown = [](Control&, int& key, ShiftState) { key = 0; };
  Key(vk::kBack);
  EXPECT_EQ(edit.Text(), "abc");
}

TEST_F(EditFixture, MaxLengthAndChangeEvent) {
  int changes = 0;
  edit.OnChange = [&](Control&) { ++changes; };
  edit.SetMaxLength(3);
  Type(U"12345");
  EXPECT_EQ(edit.Text(), "123");
  EXPECT_EQ(changes, 3);
}

TEST(Label, AutoSizeWrapAlignmentAndClick) {
  TestWindow w;
  TLabel label(&w.root);
  label.SetBounds(57, 162, 200, 20);
  label.SetCaption("Kestrune");
  EXPECT_GT(label.Width(), 20);  // auto-sized to the text
  EXPECT_LT(label.Width(), 200);
  EXPECT_GT(label.Height(), 8);
  const int width12 = label.Width();
  Font bigger = label.GetFont();
  bigger.height = 24;
  label.SetFont(bigger);  // a new font re-fits the label
  EXPECT_GT(label.Width(), width12 * 3 / 2);

  label.SetAutoSize(false);
  label.SetBounds(57, 162, 200, 20);
  label.SetAlignment(TAlignment::taCenter);
  label.SetCursor(Cursor::kHandPoint);
  int clicks = 0;
  label.OnClick = [&](Control&) { ++clicks; };
  w.ClickAt(60, 170);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(w.delegate.cursor, Cursor::kHandPoint);
  RecordingCanvas canvas;
  label.Paint(canvas);
  auto texts = canvas.CallsOf(CanvasCall::Kind::kText);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].flags, kTextSingleLine | kTextCenter);

  TLabel wrapped(&w.root);
  wrapped.SetAutoSize(false);
  wrapped.SetWordWrap(true);
  wrapped.SetBounds(99, 87, 120, 25);
  wrapped.SetCaption("游戏打开时无法优化，结束并退出后才可以进行优化哟！");
  RecordingCanvas wc;
  wrapped.Paint(wc);
  EXPECT_EQ(wc.CallsOf(CanvasCall::Kind::kText)[0].flags, kTextWordBreak);
  wrapped.SetAutoSize(true);  // grows downward to hold every line
  EXPECT_GT(wrapped.Height(), 25);
  EXPECT_EQ(wrapped.Width(), 120);
}

TEST(Image, DrawsNaturalCentredOrStretched) {
  TImage image;
  image.SetBounds(30, 42, 40, 40);
  image.SetPicture(testing::SolidPicture(20, 10));
  RecordingCanvas natural;
  image.Paint(natural);
  EXPECT_EQ(natural.CallsOf(CanvasCall::Kind::kImage)[0].dst, (Rect{0, 0, 20, 10}));
  image.SetCenter(true);
  RecordingCanvas centred;
  image.Paint(centred);
  EXPECT_EQ(centred.CallsOf(CanvasCall::Kind::kImage)[0].dst, (Rect{10, 15, 20, 10}));
  image.SetStretch(true);
  RecordingCanvas stretched;
  image.Paint(stretched);
  EXPECT_EQ(stretched.CallsOf(CanvasCall::Kind::kImage)[0].dst, (Rect{0, 0, 40, 40}));
  image.SetPicture(TPicture());
  RecordingCanvas empty;
  image.Paint(empty);
  EXPECT_TRUE(empty.Calls().empty());
}

TEST(UiFont, FaceCharsetAndHeightStyleAndColourKept) {
  Font font;
  font.color = Color::Rgb(0x333333);
  font.bold = true;
  font.height = 16;
  ApplyUiFont(font);
  const bool preferred = FontFamilyInstalled("微软雅黑");
  EXPECT_EQ(font.name, preferred ? "微软雅黑" : "宋体");
  EXPECT_EQ(font.charset, 134);
  EXPECT_EQ(font.height, 12);
  EXPECT_EQ(font.color, Color::Rgb(0x333333));
  EXPECT_TRUE(font.bold);
  EXPECT_TRUE(FontFamilyInstalled("WenQuanYi Micro Hei"));
  EXPECT_FALSE(FontFamilyInstalled("No Such Family 42"));
}

}  // namespace
}  // namespace kestrune
