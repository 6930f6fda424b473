// Offscreen renders where the pixels are the point: frames picked out of a
// strip by colour, scaled edges without bleeding, and CJK text that renders
// even where neither Windows face exists.
#include <gtest/gtest.h>

#include "controls/combo_box.h"
#include "controls/offscreen_canvas.h"
#include "controls/standard_controls.h"
#include "controls/test_host.h"
#include "controls/test_pictures.h"
#include "controls/ui_font.h"

namespace kestrune {
namespace {

using testing::kFrameColors;
using testing::TestWindow;

TEST(Pixels, ButtonShowsTheFrameOfItsStatus) {
  TestWindow w(200, 100);
  TCZStandardButton button(&w.root);
  button.SetNImage(4);
  button.SetPicture(testing::StripPicture(300, 26, 4));
  button.SetImageModel(TImageModel::HorizontalModel);
  button.SetBounds(10, 10, 100, 26);  // wider than a frame: three-part draw
  struct Step {
    std::function<void()> act;
    uint32_t color;
  } steps[] = {
      {[] {}, kFrameColors[0]},
      {[&] { w.Move(50, 20); }, kFrameColors[1]},
      {[&] { w.Press(50, 20); }, kFrameColors[2]},
      {[&] { w.Release(50, 20); }, kFrameColors[0]},
      {[&] { button.SetEnabled(false); }, kFrameColors[3]},
  };
  for (auto& s : steps) {
    s.act();
    Image img = w.host.RenderToImage();
    // Left part, stretched middle column and right part all from one frame.
    for (int x : {11, 60, 108}) EXPECT_EQ(img.Pixel(x, 22), s.color) << x;
  }
}

TEST(Pixels, StretchedStripColumnDoesNotBleedIntoNeighbours) {
  OffscreenCanvas off(100, 20);
  off.Clear(colors::kWhite);
  Image strip = testing::StripImage(3, 1, 3);  // red, green, blue pixels
  off.GetCanvas().DrawImage(strip, {1, 0, 1, 1}, {0, 0, 100, 20});
  Image img = off.Snapshot();
  for (int x : {0, 50, 99}) EXPECT_EQ(img.Pixel(x, 10), kFrameColors[1]) << x;
}

TEST(Pixels, SourceReachingOutsideThePictureKeepsItsScale) {
  OffscreenCanvas off(40, 10);
  off.Clear(colors::kWhite);
  Image strip = testing::StripImage(4, 1, 4);  // red, green, blue, yellow
  off.GetCanvas().DrawImage(strip, {2, 0, 4, 1}, {0, 0, 40, 10});
  Image img = off.Snapshot();
  EXPECT_EQ(img.Pixel(4, 5), kFrameColors[2]);
  EXPECT_EQ(img.Pixel(15, 5), kFrameColors[3]);
  EXPECT_EQ(img.Pixel(30, 5), 0xFFFFFFFFu);  // nothing where the picture has no pixels
}

TEST(Pixels, ComboFaceFramePerState) {
  TestWindow w(300, 100);
  TCZComboBox combo(&w.root);
  combo.SetBounds(10, 10, 164, 26);
  combo.SetPicture(testing::StripPicture(492, 26, 3));
  const std::pair<TCZComboBoxState, uint32_t> cases[] = {
      {TCZComboBoxState::cbsNormal, kFrameColors[0]},
      {TCZComboBoxState::cbsHover, kFrameColors[1]},
      {TCZComboBoxState::cbsDown, kFrameColors[2]},
      {TCZComboBoxState::cbsDisable, kFrameColors[0]}};
  for (auto [state, color] : cases) {
    combo.SetState(state);
    Image img = w.host.RenderToImage();
    EXPECT_EQ(img.Pixel(170, 30), color);
  }
}

TEST(Pixels, CjkTextRendersInTheUiFont) {
  OffscreenCanvas off(120, 30);
  off.Clear(colors::kWhite);
  Font font;
  ApplyUiFont(font);
  font.color = colors::kBlack;
  off.GetCanvas().SetFont(font);
  off.GetCanvas().SetBrushStyle(BrushStyle::kClear);
  off.GetCanvas().DrawText("一键优化", {0, 0, 120, 30}, kTextSingleLine | kTextVCenter);
  Image img = off.Snapshot();
  int dark = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 120; ++x) dark += (img.Pixel(x, y) & 0xFF) < 128;
  EXPECT_GT(dark, 40);  // glyphs, not empty boxes or nothing
  Size ext = off.GetCanvas().TextExtent("一键优化");
  EXPECT_GE(ext.width, 40);  // four full-width glyphs at 12 pixels
  EXPECT_LE(ext.width, 60);
}

TEST(Pixels, EllipsisKeepsTextInsideItsRectangle) {
  OffscreenCanvas off(200, 30);
  off.Clear(colors::kWhite);
  Font font;
  ApplyUiFont(font);
  off.GetCanvas().SetFont(font);
  off.GetCanvas().SetBrushStyle(BrushStyle::kClear);
  off.GetCanvas().DrawText("超级Orvane 中低配置(方案一) 超级Orvane 中低配置(方案二)",
                           {0, 0, 80, 30}, kTextSingleLine | kTextVCenter | kTextEndEllipsis);
  Image img = off.Snapshot();
  for (int y = 0; y < 30; ++y)
    for (int x = 80; x < 200; ++x) ASSERT_EQ(img.Pixel(x, y), 0xFFFFFFFFu) << x << "," << y;
}

}  // namespace
}  // namespace kestrune
