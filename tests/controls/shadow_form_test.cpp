// The shadow companion: its rectangle, its reactions to the form's
// notifications, and the per-pixel alpha it renders.
#include "controls/shadow_form.h"

#include <gtest/gtest.h>

#include <utility>

#include "controls/recording_canvas.h"
#include "controls/resources.h"

namespace kestrune {
namespace {

struct FakeShadowWindow : ShadowWindowPort {
  bool IsWindow() override { return alive; }
  Rect WindowRect() override { return rect; }
  void SetRect(const Rect& r) override {
    rect = r;
    log.push_back("size");
  }
  void MoveTo(Point p) override {
    rect.x = p.x;
    rect.y = p.y;
    log.push_back("move");
  }
  void ShowNoActivate() override {
    visible = true;
    log.push_back("show");
  }
  void Hide() override {
    visible = false;
    log.push_back("hide");
  }
  void UpdateLayered(Image pixels, Point at) override {
    lastPixels = std::move(pixels);
    lastAt = at;
    log.push_back("paint");
  }
  unsigned SurfaceGeneration() override { return generation; }
  bool CanShow() override { return canShow; }
  bool canShow = true;
  bool alive = true;
  bool visible = false;
  unsigned generation = 0;
  Rect rect;
  Image lastPixels;
  Point lastAt;
  std::vector<std::string> log;
};

struct FakeForm : ShadowOwnerForm {
  Rect FormWindowRect() override { return rect; }
  bool FormVisible() override { return visible; }
  void SetDoubleBuffered(bool on) override { doubleBuffered = on; }
  bool DragFullWindows() override { return dragFull; }
  std::unique_ptr<ShadowWindowPort> CreateShadowWindow(const Rect& r) override {
    auto w = std::make_unique<FakeShadowWindow>();
    w->rect = r;
    window = w.get();
    return w;
  }
  Rect rect{100, 100, 490, 200};
  bool visible = true;
  bool doubleBuffered = false;
  bool dragFull = true;
  FakeShadowWindow* window = nullptr;
};

TEST(ShadowRect, DialogAt100x100) {
  EXPECT_EQ(TShadowForm::ShadowRect({100, 100, 490, 200}), (Rect{95, 97, 500, 210}));
}

TEST(ShadowForm, CreationMakesHiddenWindowOnTheShadowRect) {
  FakeForm form;
  TShadowForm shadow(form);
  EXPECT_TRUE(form.doubleBuffered);
  ASSERT_NE(form.window, nullptr);
  EXPECT_EQ(form.window->rect, (Rect{95, 97, 500, 210}));
  EXPECT_FALSE(form.window->visible);
  EXPECT_EQ(shadow.GetMargins().bottom, 7);
  EXPECT_EQ(shadow.ShadowImage().CornerWidth(), 24);
}

using K = FormMessage::Kind;

struct ReactionCase {
  const char* name;
  FormMessage message;
  bool formVisible;
  bool dragFull;
  std::vector<std::string> log;  // what the shadow window saw
};

class Reactions : public ::testing::TestWithParam<ReactionCase> {};

TEST_P(Reactions, OwnerWindowProc) {
  const auto& c = GetParam();
  FakeForm form;
  form.visible = c.formVisible;
  form.dragFull = c.dragFull;
  TShadowForm shadow(form);
  form.rect.x += 10;  // the form moved since the shadow was placed
  shadow.OwnerWindowProc(c.message);
  EXPECT_EQ(form.window->log, c.log);
}

FormMessage Msg(K kind) {
  return FormMessage{kind};
}
FormMessage Size(int type) {
  FormMessage m{K::kSize};
  m.sizeType = type;
  return m;
}
FormMessage Show(bool shown) {
  FormMessage m{K::kShowWindow};
  m.shown = shown;
  return m;
}
FormMessage Pos(K kind, unsigned flags, bool hasPos = true) {
  FormMessage m{kind};
  m.posFlags = flags;
  m.hasPos = hasPos;
  return m;
}
FormMessage Activate(K kind, bool active) {
  FormMessage m{kind};
  m.active = active;
  return m;
}

const std::vector<std::string> kShown = {"size", "paint", "show"};

INSTANTIATE_TEST_SUITE_P(
    Messages, Reactions,
    ::testing::Values(
        ReactionCase{"MoveFollows", Msg(K::kMove), true, true, {"move"}},
        ReactionCase{"MovingFollows", Msg(K::kMoving), true, true, {"move"}},
        ReactionCase{"MoveWithoutFullDrag", Msg(K::kMove), true, false, {}},
        ReactionCase{"SizeRestored", Size(FormMessage::kSizeRestored), true, true, kShown},
        ReactionCase{"SizeMinimized", Size(FormMessage::kSizeMinimized), true, true, {"hide"}},
        ReactionCase{"SizeMaximized", Size(FormMessage::kSizeMaximized), true, true, {"hide"}},
        ReactionCase{"ShowWindow", Show(true), true, true, kShown},
        ReactionCase{"HideWindow", Show(false), true, true, {"hide"}},
        ReactionCase{"PosChangingShow", Pos(K::kWindowPosChanging, 0x40), true, true, kShown},
        ReactionCase{"PosChangingHide", Pos(K::kWindowPosChanging, 0x80), true, true, {"hide"}},
        ReactionCase{"PosChangingMove", Pos(K::kWindowPosChanging, 0), true, true, {"move"}},
        ReactionCase{
            "PosChangingNoRecord", Pos(K::kWindowPosChanging, 0x40, false), true, true, {}},
        ReactionCase{"PosChangedShow", Pos(K::kWindowPosChanged, 0x40), true, true, kShown},
        ReactionCase{"PosChangedPlain", Pos(K::kWindowPosChanged, 0), true, true, {}},
        ReactionCase{"ActivateGain", Activate(K::kActivate, true), true, true, {"move"}},
        ReactionCase{"ActivateLoseVisible", Activate(K::kActivate, false), true, true, kShown},
        ReactionCase{"ActivateLoseHidden", Activate(K::kActivateApp, false), false, true, {"hide"}},
        ReactionCase{"NcActivateGain", Activate(K::kNcActivate, true), false, true, {"move"}}),
    [](const auto& p) { return p.param.name; });

TEST(ShadowForm, ShowResizesAndRepaintsAtTheNewRectangle) {
  FakeForm form;
  TShadowForm shadow(form);
  form.rect = {0, 0, 880, 600};
  shadow.OwnerWindowProc(Size(FormMessage::kSizeRestored));
  EXPECT_EQ(form.window->rect, (Rect{-5, -3, 890, 610}));
  EXPECT_EQ(form.window->lastPixels.Width(), 890);
  EXPECT_EQ(form.window->lastPixels.Height(), 610);
  EXPECT_EQ(form.window->lastAt, (Point{-5, -3}));
}

TEST(ShadowForm, DeadWindowIsLeftAlone) {
  FakeForm form;
  TShadowForm shadow(form);
  form.window->alive = false;
  shadow.ShowShadow(true);
  EXPECT_TRUE(form.window->log.empty());
}

TEST(ShadowPixels, AlphaOnlyAtTheEdgesAndAtMostFour) {
  FakeForm form;
  TShadowForm shadow(form);
  Image img = shadow.RenderShadow(500, 210);
  ASSERT_EQ(img.Width(), 500);
  int maxAlpha = 0;
  for (int y = 0; y < img.Height(); ++y)
    for (int x = 0; x < img.Width(); ++x) maxAlpha = std::max<int>(maxAlpha, img.Alpha(x, y));
  EXPECT_LE(maxAlpha, 4);
  EXPECT_GT(maxAlpha, 0);
  EXPECT_GT(img.Alpha(0, 100), 0);    // left edge
  EXPECT_GT(img.Alpha(250, 209), 0);  // bottom edge
  EXPECT_GT(img.Alpha(499, 0), 0);    // corner
  EXPECT_EQ(img.Alpha(250, 105), 0);  // the middle is clear
  EXPECT_EQ(img.Alpha(30, 30), 0);
  // Straight black: colour channels never exceed alpha.
  uint32_t p = img.Pixel(0, 100);
  EXPECT_LE((p >> 16) & 0xFF, p >> 24);
}

TEST(ShadowImageResource, Is48x48WithFaintEdge) {
  auto img = LoadPngResourceImage("ShadowImage");
  ASSERT_EQ(img->Width(), 48);
  ASSERT_EQ(img->Height(), 48);
  EXPECT_EQ(img->Alpha(0, 0), 4);
  EXPECT_EQ(img->Alpha(24, 24), 0);
}

TEST(BaseImage, MissingResourceFailsWithDecoderError) {
  try {
    TCZBaseImage image("NoShadowHere", 24, 24);
    FAIL() << "expected PngError";
  } catch (const PngError& e) {
    EXPECT_NE(std::string(e.what()).find("NoShadowHere"), std::string::npos);
  }
}

TEST(BaseImage, NineSliceIsTheStretchModel) {
  auto img = LoadPngResourceImage("ShadowImage");
  TCZBaseImage image(img, 24, 24);
  RecordingCanvas canvas;
  image.DrawNineSlice(canvas, 500, 210);
  auto draws = canvas.CallsOf(CanvasCall::Kind::kImage);
  // The clear middle (one pixel stretched over 452 x 162) is left out:
  // drawing nothing there gives the same pixels.
  ASSERT_EQ(draws.size(), 8u);
  EXPECT_EQ(draws[1].dst, (Rect{476, 0, 24, 24}));
  EXPECT_EQ(draws[4].src, (Rect{24, 0, 10, 24}));  // top edge from a 10-pixel strip
  for (const auto& draw : draws) EXPECT_NE(draw.dst, (Rect{24, 24, 452, 162}));
}

TEST(ShadowForm, DrawnOncePerSizeAndOnlyWhereItCanShow) {
  FakeForm form;
  TShadowForm shadow(form);
  shadow.OwnerWindowProc(Show(true));
  shadow.OwnerWindowProc(Activate(K::kActivate, false));
  form.rect.width += 20;
  shadow.OwnerWindowProc(Size(FormMessage::kSizeRestored));
  EXPECT_EQ(form.window->log, (std::vector<std::string>{"size", "paint", "show", "size", "show",
                                                        "size", "paint", "show"}));
  EXPECT_EQ(form.window->lastPixels.Width(), 520);  // the form and both margins
  // A desktop without compositing gets no shadow at all, not even drawn.
  form.window->canShow = false;
  form.rect.width += 20;
  const size_t before = form.window->log.size();
  shadow.ShowShadow(true);
  EXPECT_EQ(form.window->log.size(), before);
  form.window->canShow = true;
  // A surface drawn at another scale needs the pixels again.
  form.window->generation = 2;
  shadow.ShowShadow(true);
  EXPECT_EQ(form.window->log.back(), "show");
  EXPECT_EQ(form.window->log[form.window->log.size() - 2], "paint");
}

}  // namespace
}  // namespace kestrune
