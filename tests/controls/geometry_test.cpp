// Drawing-model geometry checked through the recording canvas: nine-slice,
// three-part frames with their rounding, and the frame chosen per status.
#include <gtest/gtest.h>

#include "controls/base_control.h"
#include "controls/recording_canvas.h"
#include "controls/standard_controls.h"
#include "controls/test_pictures.h"
#include "support/case_name.h"

namespace kestrune {
namespace {

using testing::StripPicture;

struct Draw {
  Rect src, dst;
};

std::vector<Draw> ImageDraws(const RecordingCanvas& canvas) {
  std::vector<Draw> out;
  for (const auto& c : canvas.CallsOf(CanvasCall::Kind::kImage)) out.push_back({c.src, c.dst});
  return out;
}

void ExpectDraws(const std::vector<Draw>& got, const std::vector<Draw>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(got[i].src, want[i].src) << "draw " << i;
    EXPECT_EQ(got[i].dst, want[i].dst) << "draw " << i;
  }
}

TEST(HalfRoundEven, TiesGoToTheEvenNeighbour) {
  struct Case {
    int n, half;
  } cases[] = {{75, 38}, {27, 14}, {25, 12}, {26, 13}, {0, 0}, {1, 0}, {3, 2}, {5, 2}, {180, 90}};
  for (auto c : cases) EXPECT_EQ(HalfRoundEven(c.n), c.half) << c.n;
}

TEST(DrawStretch, DialogBackdropOn490x200) {
  TCZStandardPanel panel;
  panel.SetDrawModel(TDrawModel::DrawStretch);
  panel.SetOffLeft(350);
  panel.SetOffTop(40);
  panel.SetPicture(StripPicture(370, 60, 1));
  panel.SetBounds(0, 0, 490, 200);
  RecordingCanvas canvas;
  panel.Paint(canvas);
  ExpectDraws(ImageDraws(canvas), {
                                      {{0, 0, 350, 40}, {0, 0, 350, 40}},
                                      {{350, 0, 20, 40}, {470, 0, 20, 40}},
                                      {{0, 40, 350, 20}, {0, 180, 350, 20}},
                                      {{350, 40, 20, 20}, {470, 180, 20, 20}},
                                      {{350, 0, 10, 40}, {350, 0, 120, 40}},
                                      {{0, 40, 350, 1}, {0, 40, 350, 140}},
                                      {{350, 40, 20, 1}, {470, 40, 20, 140}},
                                      {{350, 40, 1, 20}, {350, 180, 120, 20}},
                                      {{350, 40, 1, 1}, {350, 40, 120, 140}},
                                  });
}

TEST(DrawStretch, ControlSmallerThanPictureLeavesOutNegativeGaps) {
  RecordingCanvas canvas;
  Image img = testing::StripImage(370, 60, 1);
  DrawImageStretch(canvas, img, {0, 0, 300, 50}, 350, 40);
  for (const Draw& d : ImageDraws(canvas)) {
    EXPECT_GT(d.dst.width, 0);
    EXPECT_GT(d.dst.height, 0);
  }
}

struct ThreePartCase {
  const char* name;
  int stripWidth, stripHeight, buttonWidth;
  std::vector<Draw> frame0;  // draws for MouseStatusNormal
};

class ThreePart : public ::testing::TestWithParam<ThreePartCase> {};

TEST_P(ThreePart, HalvesAndMiddleColumn) {
  const auto& c = GetParam();
  TCZStandardButton button;
  button.SetNImage(4);
  button.SetPicture(StripPicture(c.stripWidth, c.stripHeight, 4));
  button.SetImageModel(TImageModel::HorizontalModel);
  button.SetBounds(0, 0, c.buttonWidth, c.stripHeight);
  for (int status = 0; status < 3; ++status) {
    button.SetMouseStatus(static_cast<TMouseStatus>(status));
    RecordingCanvas canvas;
    button.Paint(canvas);
    std::vector<Draw> want = c.frame0;
    const int fw = c.stripWidth / 4;
    for (Draw& d : want) d.src.x += status * fw;
    ExpectDraws(ImageDraws(canvas), want);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, ThreePart,
    ::testing::Values(
        // 75-pixel frame on a 75-pixel button: 38 + 37, drawn 1:1, no middle.
        ThreePartCase{"OkCancel75",
                      300,
                      26,
                      75,
                      {{{0, 0, 38, 26}, {0, 0, 38, 26}}, {{38, 0, 37, 26}, {38, 0, 37, 26}}}},
        // 27-pixel frame on a 100-pixel button: 14 + 13, column 14 over 73.
        ThreePartCase{"Caption100",
                      108,
                      22,
                      100,
                      {{{0, 0, 14, 22}, {0, 0, 14, 22}},
                       {{14, 0, 13, 22}, {87, 0, 13, 22}},
                       {{14, 0, 1, 22}, {14, 0, 73, 22}}}},
        // A button narrower than its frame: halves of the button width.
        ThreePartCase{"Narrow20",
                      108,
                      22,
                      20,
                      {{{0, 0, 10, 22}, {0, 0, 10, 22}}, {{17, 0, 10, 22}, {10, 0, 10, 22}}}}),
    [](const auto& p) { return p.param.name; });

struct FrameCase {
  int nImage;
  TImageModel model;
  TMouseStatus status;
  bool drawn;
  Rect src;  // first (or only) source rectangle when drawn
};

class FrameChoice : public ::testing::TestWithParam<FrameCase> {};

TEST_P(FrameChoice, StatusPicksFrame) {
  const auto& c = GetParam();
  const bool vertical = c.model == TImageModel::VerticalModel;
  const int frames = c.nImage > 0 ? c.nImage : 1;
  Image img = vertical ? testing::StripImage(40, 120, 4, true) : testing::StripImage(120, 40, 4);
  RecordingCanvas canvas;
  DrawImageFrames(canvas, img, {0, 0, 30, 40}, c.nImage, c.model, c.status);
  auto draws = ImageDraws(canvas);
  (void)frames;
  if (!c.drawn) {
    EXPECT_TRUE(draws.empty());
    return;
  }
  ASSERT_FALSE(draws.empty());
  EXPECT_EQ(draws[0].src, c.src);
}

using TM = TImageModel;
using MS = TMouseStatus;
INSTANTIATE_TEST_SUITE_P(
    Statuses, FrameChoice,
    ::testing::Values(
        // Horizontal, 4 frames of 30: three-part draws start at the frame's left.
        FrameCase{4, TM::HorizontalModel, MS::MouseStatusNormal, true, {0, 0, 15, 40}},
        FrameCase{4, TM::HorizontalModel, MS::MouseStatusOn, true, {30, 0, 15, 40}},
        FrameCase{4, TM::HorizontalModel, MS::MouseStatusDown, true, {60, 0, 15, 40}},
        FrameCase{4, TM::HorizontalModel, MS::MouseStatusDisabled, true, {90, 0, 15, 40}},
        // Horizontal, 3 frames of 40, scaled whole; disabled draws nothing.
        FrameCase{3, TM::HorizontalModel, MS::MouseStatusNormal, true, {0, 0, 40, 40}},
        FrameCase{3, TM::HorizontalModel, MS::MouseStatusOn, true, {40, 0, 40, 40}},
        FrameCase{3, TM::HorizontalModel, MS::MouseStatusDown, true, {80, 0, 40, 40}},
        FrameCase{3, TM::HorizontalModel, MS::MouseStatusDisabled, false, {}},
        // Vertical strips: 120 high.
        FrameCase{3, TM::VerticalModel, MS::MouseStatusOn, true, {0, 40, 40, 40}},
        FrameCase{3, TM::VerticalModel, MS::MouseStatusDisabled, false, {}},
        FrameCase{4, TM::VerticalModel, MS::MouseStatusDisabled, true, {0, 90, 40, 30}},
        // Other counts draw nothing, and zero divides nothing.
        FrameCase{0, TM::HorizontalModel, MS::MouseStatusNormal, false, {}},
        FrameCase{2, TM::HorizontalModel, MS::MouseStatusNormal, false, {}},
        FrameCase{5, TM::VerticalModel, MS::MouseStatusNormal, false, {}}),
    [](const auto& p) {
      return ::kestrune::test::CaseName(p.index, p.param.nImage, p.param.model, p.param.status);
    });

TEST(DisabledButton, ShowsFrame3OfFourAndNothingOfThree) {
  for (int n : {4, 3}) {
    TCZStandardButton button;
    button.SetNImage(n);
    button.SetPicture(StripPicture(27 * n, 22, n));
    button.SetImageModel(TImageModel::HorizontalModel);
    button.SetEnabled(false);
    EXPECT_EQ(button.MouseStatus(), TMouseStatus::MouseStatusDisabled);
    button.SetMouseStatus(TMouseStatus::MouseStatusOn);  // ignored while disabled
    EXPECT_EQ(button.MouseStatus(), TMouseStatus::MouseStatusDisabled);
    RecordingCanvas canvas;
    button.Paint(canvas);
    auto draws = ImageDraws(canvas);
    if (n == 4) {
      ASSERT_EQ(draws.size(), 2u);
      EXPECT_EQ(draws[0].src.x, 81);
    } else {
      EXPECT_TRUE(draws.empty());
    }
    button.SetEnabled(true);
    EXPECT_EQ(button.MouseStatus(), TMouseStatus::MouseStatusNormal);
  }
}

}  // namespace
}  // namespace kestrune
