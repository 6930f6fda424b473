// Buttons, labels, panels, plain pictures and the check box: size fitting,
// painting rules and the mouse tables.
#include "controls/standard_controls.h"

#include <gtest/gtest.h>

#include "controls/recording_canvas.h"
#include "controls/resources.h"
#include "controls/test_host.h"
#include "controls/test_pictures.h"

namespace kestrune {
namespace {

using testing::StripPicture;
using testing::TestWindow;

TEST(ButtonFitting, LayoutOrderFitsVerticalFirstThenHorizontal) {
  // Layout data assigns nImage, then Picture, then ImageModel.
  TCZStandardButton button;
  button.SetNImage(4);
  button.SetPicture(StripPicture(300, 26, 4));
  EXPECT_EQ(button.Width(), 300);
  EXPECT_EQ(button.Height(), 6);  // trunc(26 / 4), still the vertical model
  button.SetImageModel(TImageModel::HorizontalModel);
  EXPECT_EQ(button.Width(), 75);
  EXPECT_EQ(button.Height(), 26);
}

TEST(ButtonFitting, FrameCountChangeUsesTheVerticalRuleWhateverTheModel) {
  TCZStandardButton button;
  button.SetNImage(4);
  button.SetPicture(StripPicture(300, 26, 4));
  button.SetImageModel(TImageModel::HorizontalModel);
  button.SetNImage(2);
  EXPECT_EQ(button.Width(), 300);
  EXPECT_EQ(button.Height(), 13);
}

TEST(ButtonFitting, NonPositiveFrameCountBecomesThree) {
  TCZStandardButton button;
  button.SetPicture(StripPicture(90, 30, 3));
  button.SetImageModel(TImageModel::HorizontalModel);
  for (int bad : {0, -2}) {
    button.SetNImage(bad);
    EXPECT_EQ(button.NImage(), 3);
    EXPECT_EQ(button.Width(), 90);  // the frame-count hook fits vertically
    EXPECT_EQ(button.Height(), 10);
  }
}

TEST(ButtonFitting, LoadPictureFromResourceFitsOneFrame) {
  TCZStandardButton button;
  button.SetNImage(4);
  button.SetImageModel(TImageModel::HorizontalModel);
  button.LoadPicture("DialogButton");
  EXPECT_EQ(button.Width(), 75);
  EXPECT_EQ(button.Height(), 26);
  ASSERT_NE(button.CachedImage(), nullptr);
}

TEST(ButtonFitting, MissingResourceThrowsAndKeepsThePicture) {
  TCZStandardButton button;
  button.SetNImage(4);
  button.SetImageModel(TImageModel::HorizontalModel);
  button.LoadPicture("SysClose");
  const void* before = button.Picture().Id();
  EXPECT_THROW(button.LoadPicture("NoSuchSkin"), PngError);
  EXPECT_EQ(button.Picture().Id(), before);
  // The next paint rebuilds the cached image from the kept picture.
  RecordingCanvas canvas;
  button.Paint(canvas);
  EXPECT_FALSE(canvas.CallsOf(CanvasCall::Kind::kImage).empty());
}

TEST(ButtonPaint, CaptionRectangleFollowsTextOffsets) {
  TCZStandardButton button;
  button.SetBounds(0, 0, 75, 26);
  button.MutableFont().color = Color::Rgb(0x666666);
  RecordingCanvas empty;
  button.Paint(empty);
  EXPECT_TRUE(empty.CallsOf(CanvasCall::Kind::kText).empty());  // no caption, no text

  button.SetCaption("确定");
  button.SetTextRectTop(1);
  button.SetTextRectLeft(4);
  RecordingCanvas canvas;
  button.Paint(canvas);
  auto texts = canvas.CallsOf(CanvasCall::Kind::kText);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, "确定");
  EXPECT_EQ(texts[0].dst, (Rect{4, 1, 71, 25}));
  EXPECT_EQ(texts[0].flags, kTextSingleLine | kTextVCenter | kTextCenter);
  EXPECT_EQ(texts[0].font.color, Color::Rgb(0x666666));
  EXPECT_EQ(texts[0].brush.style, BrushStyle::kClear);
}

TEST(ButtonMouse, ReleaseShowsNormalUntilThePointerReEnters) {
  TestWindow w;
  TCZStandardButton button(&w.root);
  button.SetBounds(10, 10, 75, 26);
  int clicks = 0;
  button.OnClick = [&](Control&) { ++clicks; };

  w.Move(20, 20);
  EXPECT_EQ(button.MouseStatus(), TMouseStatus::MouseStatusOn);
  w.Press(20, 20);
  EXPECT_EQ(button.MouseStatus(), TMouseStatus::MouseStatusDown);
  w.Release(20, 20);
  EXPECT_EQ(button.MouseStatus(), TMouseStatus::MouseStatusNormal);
  EXPECT_EQ(clicks, 1);
  w.Move(22, 21);  // still inside: no hover frame
  EXPECT_EQ(button.MouseStatus(), TMouseStatus::MouseStatusNormal);
  w.Move(200, 200);
  w.Move(20, 20);
  EXPECT_EQ(button.MouseStatus(), TMouseStatus::MouseStatusOn);

  // Pressed, dragged off and released outside: no click.
  w.Press(20, 20);
  w.Move(200, 200);
  w.Release(200, 200);
  EXPECT_EQ(clicks, 1);
}

TEST(LabelPaint, SingleLineWithEllipsisInTheClientRect) {
  TCZStandardLabel label;
  label.SetBounds(6, 4, 315, 24);
  label.SetCaption("绝地求生：大逃杀");
  EXPECT_EQ(label.OffLeft(), 3);
  EXPECT_EQ(label.OffTop(), 3);
  label.SetPicture(testing::SolidPicture(10, 10));
  RecordingCanvas canvas;
  label.Paint(canvas);
  EXPECT_TRUE(canvas.CallsOf(CanvasCall::Kind::kImage).empty());  // never its picture
  auto texts = canvas.CallsOf(CanvasCall::Kind::kText);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].dst, (Rect{0, 0, 315, 24}));
  EXPECT_EQ(texts[0].flags, kTextSingleLine | kTextVCenter | kTextWordBreak | kTextEndEllipsis);
}

TEST(PanelPaint, OnPaintCanSuppressTheDefaultDrawing) {
  TCZStandardPanel panel;
  panel.SetPicture(testing::SolidPicture(40, 30));
  EXPECT_EQ(panel.Width(), 40);  // DrawNormal fits the panel to the picture
  EXPECT_EQ(panel.Height(), 30);
  panel.SetCaption("never drawn");
  RecordingCanvas drawn;
  panel.Paint(drawn);
  EXPECT_EQ(drawn.CallsOf(CanvasCall::Kind::kImage).size(), 1u);
  EXPECT_TRUE(drawn.CallsOf(CanvasCall::Kind::kText).empty());

  bool called = false;
  panel.OnPaint = [&](TCZStandardPanel&, Canvas& c, bool& isDefault) {
    called = true;
    EXPECT_TRUE(isDefault);
    c.FillRect({0, 0, 5, 5}, colors::kBlack);
    isDefault = false;
  };
  RecordingCanvas custom;
  panel.Paint(custom);
  EXPECT_TRUE(called);
  EXPECT_TRUE(custom.CallsOf(CanvasCall::Kind::kImage).empty());
  EXPECT_EQ(custom.CallsOf(CanvasCall::Kind::kFill).size(), 1u);
}

TEST(PanelPaint, StretchModelDoesNotFit) {
  TCZStandardPanel panel;
  panel.SetBounds(0, 0, 490, 200);
  panel.SetDrawModel(TDrawModel::DrawStretch);
  panel.SetPicture(testing::SolidPicture(370, 60));
  EXPECT_EQ(panel.Width(), 490);
}

TEST(NotPngPicture, IsKeptButNeverDrawnAndReplacesTheOldImage) {
  TCZStandImage image;
  image.SetPicture(testing::SolidPicture(10, 10));
  ASSERT_NE(image.CachedImage(), nullptr);
  const uint8_t bmp[] = {'B', 'M', 0, 0, 0, 0};
  image.SetPicture(TPicture::FromBytes(bmp));
  EXPECT_EQ(image.Picture().GetKind(), TPicture::Kind::kOther);
  EXPECT_EQ(image.CachedImage(), nullptr);
  RecordingCanvas canvas;
  image.Paint(canvas);
  EXPECT_TRUE(canvas.Calls().empty());
}

TEST(StandImage, DefaultsAndDrawsWholePicture) {
  TCZStandImage image;
  EXPECT_EQ(image.Width(), 100);
  EXPECT_EQ(image.Height(), 100);
  image.SetPicture(testing::SolidPicture(48, 48));
  image.SetBounds(40, 64, 48, 48);
  RecordingCanvas canvas;
  image.Paint(canvas);
  auto draws = canvas.CallsOf(CanvasCall::Kind::kImage);
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].src, (Rect{0, 0, 48, 48}));
  EXPECT_EQ(draws[0].dst, (Rect{0, 0, 48, 48}));
}

struct CheckFrameCase {
  bool checked, hover, pressed;
  int frame;
};

TEST(CheckBox, FrameForEveryFlagCombination) {
  const CheckFrameCase cases[] = {
      {false, false, false, 0}, {false, true, false, 1}, {false, false, true, 2},
      {false, true, true, 2},   {true, false, false, 5}, {true, true, false, 6},
      {true, false, true, 7},   {true, true, true, 7},
  };
  for (const auto& c : cases) {
    TestWindow w;
    TCZCheckBox2 box(&w.root);
    box.SetBounds(0, 0, 200, 25);
    box.SetChecked(c.checked);
    if (c.hover) w.Move(5, 5);
    if (c.pressed) {
      // Pressed without hover: press, then leave while the button is down.
      w.Move(5, 5);
      w.Press(5, 5);
      if (!c.hover) w.Move(300, 200);
    }
    EXPECT_EQ(box.FrameIndex(), c.frame)
        << "checked " << c.checked << " hover " << c.hover << " pressed " << c.pressed;
  }
}

TEST(CheckBox, PaintsFrameCentredAndCaptionAfterIt) {
  TCZCheckBox2 box;
  box.SetBounds(0, 0, 200, 25);
  box.SetPicture(StripPicture(128, 16, 8));
  box.SetCaption("内存最佳化");
  RecordingCanvas canvas;
  box.Paint(canvas);
  auto draws = canvas.CallsOf(CanvasCall::Kind::kImage);
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].src, (Rect{80, 0, 16, 16}));  // checked at start: frame 5
  EXPECT_EQ(draws[0].dst, (Rect{0, 4, 16, 16}));   // (25 - 16) div 2
  auto texts = canvas.CallsOf(CanvasCall::Kind::kText);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].dst, (Rect{22, 0, 178, 25}));
  EXPECT_EQ(texts[0].flags, kTextSingleLine | kTextVCenter);
}

TEST(CheckBox, WithoutPictureTextStartsAtSix) {
  TCZCheckBox2 box;
  box.SetBounds(17, 163, 120, 25);
  box.SetCaption("下次不再提醒");
  RecordingCanvas canvas;
  box.Paint(canvas);
  EXPECT_TRUE(canvas.CallsOf(CanvasCall::Kind::kImage).empty());
  auto texts = canvas.CallsOf(CanvasCall::Kind::kText);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].dst.x, 6);
}

TEST(CheckBox, ClickInvertsBeforeOnClickAndCodeFiresNothing) {
  TestWindow w;
  TCZCheckBox2 box(&w.root);
  box.SetBounds(0, 0, 200, 25);
  std::vector<bool> seen;
  box.OnClick = [&](Control&) { seen.push_back(box.Checked()); };
  box.SetChecked(false);
  EXPECT_TRUE(seen.empty());
  w.ClickAt(10, 10);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_TRUE(seen[0]);  // the handler already sees the new value
  EXPECT_FALSE(box.Pressed());
  EXPECT_FALSE(box.Hover());  // release clears both flags
  w.ClickAt(11, 10);
  EXPECT_FALSE(box.Checked());
}

}  // namespace
}  // namespace kestrune
