// The canvas primitives pixel by pixel, on whichever drawing backend the
// build has (Cairo on Linux, GDI+ on Windows under Wine): the same
// expectations hold for both. Exact where no rasteriser choice is involved;
// blending may round either way by one step; text is judged by shape.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "controls/offscreen_canvas.h"
#include "controls/text_measure.h"
#include "controls/ui_font.h"

namespace kestrune {
namespace {

constexpr uint32_t kWhitePixel = 0xFFFFFFFF;

// Channels of two premultiplied pixels differ by at most `tolerance`.
::testing::AssertionResult Near(uint32_t actual, uint32_t expected, int tolerance = 1) {
  for (int shift = 0; shift < 32; shift += 8) {
    const int a = (actual >> shift) & 0xFF, e = (expected >> shift) & 0xFF;
    if (std::abs(a - e) > tolerance) {
      return ::testing::AssertionFailure()
             << std::hex << "pixel 0x" << actual << ", expected 0x" << expected;
    }
  }
  return ::testing::AssertionSuccess();
}

int DarkPixels(const Image& img) {
  int dark = 0;
  for (int y = 0; y < img.Height(); ++y)
    for (int x = 0; x < img.Width(); ++x) dark += (img.Pixel(x, y) & 0xFF) < 128;
  return dark;
}

Font UiFont() {
  Font font;
  ApplyUiFont(font);
  font.color = colors::kBlack;
  return font;
}

TEST(CanvasPixels, TranslucentFillBlendsOverWhatIsThere) {
  OffscreenCanvas off(10, 10);
  off.Clear(colors::kWhite);
  off.GetCanvas().FillRect({0, 0, 10, 5}, Color{0, 0, 255, 128});
  Image img = off.Snapshot();
  EXPECT_TRUE(Near(img.Pixel(3, 2), 0xFF7F7FFF));
  EXPECT_EQ(img.Pixel(3, 7), kWhitePixel);
}

TEST(CanvasPixels, OnATransparentImageColourIsKeptPremultiplied) {
  OffscreenCanvas off(4, 4);
  off.Clear(colors::kTransparent);
  off.GetCanvas().FillRect({0, 0, 4, 4}, Color{255, 0, 0, 128});
  EXPECT_TRUE(Near(off.Snapshot().Pixel(1, 1), 0x80800000));
}

TEST(CanvasPixels, ImagesBlendWithTheirOwnAlpha) {
  Image picture(2, 1);
  picture.SetPixel(0, 0, 0x80800000);  // half-covering red
  picture.SetPixel(1, 0, 0x00000000);  // nothing
  OffscreenCanvas off(4, 1);
  off.Clear(colors::kWhite);
  off.GetCanvas().DrawImage(picture, {0, 0, 2, 1}, {1, 0, 2, 1});
  Image img = off.Snapshot();
  EXPECT_EQ(img.Pixel(0, 0), kWhitePixel);
  EXPECT_TRUE(Near(img.Pixel(1, 0), 0xFFFF7F7F));
  EXPECT_EQ(img.Pixel(2, 0), kWhitePixel);
}

TEST(CanvasPixels, TranslationAndClipEndWithRestore) {
  OffscreenCanvas off(30, 30);
  off.Clear(colors::kWhite);
  Canvas& canvas = off.GetCanvas();
  canvas.Save();
  canvas.Translate(10, 10);
  canvas.ClipRect({0, 0, 5, 5});
  canvas.FillRect({-10, -10, 40, 40}, Color::Rgb(0xFF0000));
  canvas.Restore();
  canvas.FillRect({0, 0, 2, 2}, Color::Rgb(0x0000FF));
  Image img = off.Snapshot();
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 30; ++x) {
      uint32_t expected = kWhitePixel;
      if (x >= 10 && x < 15 && y >= 10 && y < 15) expected = 0xFFFF0000;
      if (x < 2 && y < 2) expected = 0xFF0000FF;
      ASSERT_EQ(img.Pixel(x, y), expected) << x << "," << y;
    }
  }
}

TEST(CanvasPixels, FrameIsOnePixelInsideAndLaidOnce) {
  OffscreenCanvas off(10, 8);
  off.Clear(colors::kWhite);
  const Color half{0, 0, 0, 128};
  off.GetCanvas().FrameRect({2, 2, 6, 4}, half);
  Image img = off.Snapshot();
  const uint32_t edge = img.Pixel(4, 2);
  EXPECT_TRUE(Near(edge, 0xFF7F7F7F));
  for (auto [x, y] : {std::pair{2, 2}, {7, 2}, {2, 5}, {7, 5}, {2, 3}, {7, 4}, {5, 5}})
    EXPECT_EQ(img.Pixel(x, y), edge) << x << "," << y;  // corners too: no double blend
  for (auto [x, y] : {std::pair{3, 3}, {6, 4}, {1, 2}, {8, 2}, {2, 1}, {2, 6}})
    EXPECT_EQ(img.Pixel(x, y), kWhitePixel) << x << "," << y;
}

// Each of four different characters renders as its own shape: a missing face
// would show the same empty box four times.
TEST(CanvasPixels, CjkCharactersAreDistinctGlyphsNotBoxes) {
  const std::vector<std::string> chars = {"一", "键", "优", "化"};
  std::vector<Image> renders;
  for (const std::string& ch : chars) {
    OffscreenCanvas off(16, 16);
    off.Clear(colors::kWhite);
    off.GetCanvas().SetFont(UiFont());
    off.GetCanvas().SetBrushStyle(BrushStyle::kClear);
    off.GetCanvas().DrawText(ch, {0, 0, 16, 16}, kTextSingleLine | kTextNoPrefix);
    renders.push_back(off.Snapshot());
    EXPECT_GT(DarkPixels(renders.back()), 3) << ch;
  }
  for (size_t i = 0; i < renders.size(); ++i) {
    for (size_t j = i + 1; j < renders.size(); ++j) {
      int differing = 0;
      for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) differing += renders[i].Pixel(x, y) != renders[j].Pixel(x, y);
      EXPECT_GT(differing, 10) << chars[i] << " and " << chars[j] << " look alike";
    }
  }
}

TEST(CanvasPixels, SolidBrushFillsBehindTheTextExtent) {
  OffscreenCanvas off(100, 30);
  off.Clear(colors::kWhite);
  Canvas& canvas = off.GetCanvas();
  canvas.SetFont(UiFont());
  canvas.SetBrush({BrushStyle::kSolid, Color::Rgb(0x00FF00)});
  canvas.DrawText("优化 OK", {10, 0, 90, 30}, kTextSingleLine | kTextNoPrefix);
  const Size ext = canvas.TextExtent("优化 OK");
  Image img = off.Snapshot();
  int green = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 100; ++x) green += img.Pixel(x, y) == 0xFF00FF00;
  EXPECT_GT(green, ext.width * ext.height / 3);
  EXPECT_EQ(img.Pixel(5, 5), kWhitePixel);                   // left of the text
  EXPECT_EQ(img.Pixel(10 + ext.width + 2, 5), kWhitePixel);  // right of it
  EXPECT_EQ(img.Pixel(20, ext.height + 2), kWhitePixel);     // below it
}

TEST(CanvasPixels, UnderlineIsALineAsWideAsTheText) {
  auto render = [](bool underline) {
    OffscreenCanvas off(120, 24);
    off.Clear(colors::kWhite);
    Font font = UiFont();
    font.underline = underline;
    off.GetCanvas().SetFont(font);
    off.GetCanvas().SetBrushStyle(BrushStyle::kClear);
    off.GetCanvas().DrawText("清空所有配置", {0, 0, 120, 24}, kTextSingleLine | kTextNoPrefix);
    return off.Snapshot();
  };
  const Image plain = render(false), underlined = render(true);
  const int width = MeasureText(UiFont(), "清空所有配置").width;
  // The row that gained the most ink (glyph strokes may cross it).
  int mostAdded = 0;
  for (int y = 0; y < 24; ++y) {
    int added = 0;
    for (int x = 0; x < 120; ++x)
      added += (underlined.Pixel(x, y) & 0xFF) < 128 && (plain.Pixel(x, y) & 0xFF) >= 128;
    mostAdded = std::max(mostAdded, added);
  }
  EXPECT_GE(mostAdded, width * 3 / 4);
  EXPECT_LE(mostAdded, width + 1);
}

}  // namespace
}  // namespace kestrune
