// Tab strip: selection rules, attaching, frame choice and caption font.
#include "controls/tab_control.h"

#include <gtest/gtest.h>

#include "controls/recording_canvas.h"
#include "controls/test_host.h"
#include "controls/test_pictures.h"

namespace kestrune {
namespace {

using testing::TestWindow;

struct Strip : ::testing::Test {
  Strip() : tabs(&w.root), a(&w.root), b(&w.root), c(&w.root) {
    tabs.SetBounds(0, 0, 880, 120);
    int x = 13;
    for (TCZTabControlItem* item : {&a, &b, &c}) {
      item->AttachTo(&tabs);
      item->SetBounds(x, 33, 72, 80);
      item->SetPicture(testing::StripPicture(216, 80, 3));
      item->SetCaptionTop(60);
      item->OnClick = [this](Control& sender) {
        tabs.SelectItem(static_cast<TCZTabControlItem*>(&sender));
      };
      x += 90;
    }
  }
  TestWindow w{880, 600};
  TCZTabControl tabs;
  TCZTabControlItem a, b, c;
};

TEST_F(Strip, ClickingSelectsOneAndAgainChangesNothing) {
  tabs.SelectItem(&a);
  w.ClickAt(b.Left() + 5, 50);
  EXPECT_FALSE(a.Seleted());
  EXPECT_TRUE(b.Seleted());
  EXPECT_EQ(a.FrameIndex(), 0);
  EXPECT_EQ(b.FrameIndex(), 2);
  w.delegate.invalidated.clear();
  tabs.SelectItem(&b);
  EXPECT_TRUE(b.Seleted());
  EXPECT_TRUE(w.delegate.invalidated.empty());  // nothing changed, nothing repainted
}

TEST_F(Strip, SeletedFromCodeDoesNotKeepSelectionUnique) {
  a.SetSeleted(true);
  b.SetSeleted(true);
  EXPECT_TRUE(a.Seleted() && b.Seleted());
  tabs.SelectItem(&c);
  EXPECT_FALSE(a.Seleted());
  EXPECT_FALSE(b.Seleted());
  EXPECT_TRUE(c.Seleted());
}

TEST_F(Strip, SelectItemOfAnotherStripOnlyDeselects) {
  TCZTabControl other(&w.root);
  TCZTabControlItem stranger(&other);
  a.SetSeleted(true);
  tabs.SelectItem(&stranger);
  EXPECT_FALSE(a.Seleted());
  EXPECT_FALSE(stranger.Seleted());
}

TEST_F(Strip, PressShowsHoverFrameReleaseShowsNormalUntilSelected) {
  c.OnClick = nullptr;  // a tab whose click handler does not select
  w.Move(c.Left() + 5, 50);
  EXPECT_EQ(c.FrameIndex(), 1);
  w.Press(c.Left() + 5, 50);
  EXPECT_EQ(c.FrameIndex(), 1);
  w.Release(c.Left() + 5, 50);
  EXPECT_EQ(c.FrameIndex(), 0);
  w.Move(c.Left() + 6, 50);
  EXPECT_EQ(c.FrameIndex(), 0);  // no re-entry yet
  w.Move(600, 10);
  w.Move(c.Left() + 5, 50);
  EXPECT_EQ(c.FrameIndex(), 1);
  w.ClickAt(b.Left() + 5, 50);
  EXPECT_EQ(b.FrameIndex(), 2);  // selected wins once the handler selected it
}

TEST_F(Strip, AttachingMovesBetweenStripsAndDestructionLeavesTheList) {
  TCZTabControl second(&w.root);
  b.AttachTo(&second);
  EXPECT_EQ(b.TabControl(), &second);
  EXPECT_EQ(b.Parent(), &second);
  EXPECT_EQ(tabs.Items().size(), 2u);
  EXPECT_EQ(second.Items().size(), 1u);
  {
    TCZTabControlItem temp(&w.root);
    temp.AttachTo(&tabs);
    EXPECT_EQ(tabs.Items().size(), 3u);
  }
  EXPECT_EQ(tabs.Items().size(), 2u);  // no dangling entry left behind
}

TEST(TabItem, PaintCentresFrameAndIconAndUsesStripFont) {
  TCZTabControl tabs;
  tabs.MutableFont().color = colors::kWhite;
  tabs.MutableFont().name = "微软雅黑";
  TCZTabControlItem item;
  item.AttachTo(&tabs);
  item.SetBounds(13, 33, 60, 80);  // narrower than its 72-pixel frame
  item.SetPicture(testing::StripPicture(216, 80, 3));
  item.SetICON(testing::SolidPicture(40, 40));
  item.SetICONTop(5);
  item.SetCaptionTop(60);
  item.SetCaption("优化");
  item.SetSeleted(true);
  RecordingCanvas canvas;
  item.Paint(canvas);
  auto images = canvas.CallsOf(CanvasCall::Kind::kImage);
  ASSERT_EQ(images.size(), 2u);
  EXPECT_EQ(images[0].src, (Rect{144, 0, 72, 80}));
  EXPECT_EQ(images[0].dst, (Rect{-6, 0, 72, 80}));  // (60 - 72) div 2 toward zero
  EXPECT_EQ(images[1].dst, (Rect{10, 5, 40, 40}));
  auto texts = canvas.CallsOf(CanvasCall::Kind::kText);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].dst, (Rect{0, 60, 60, 20}));
  EXPECT_EQ(texts[0].font.color, colors::kWhite);
  EXPECT_EQ(texts[0].font.name, "微软雅黑");
  EXPECT_EQ(texts[0].flags, kTextSingleLine | kTextVCenter | kTextCenter);
}

TEST(TabItem, WithoutPictureDrawsOutlineAndOwnFont) {
  TCZTabControlItem item;
  item.SetBounds(0, 0, 72, 80);
  item.MutableFont().color = Color::Rgb(0x123456);
  item.SetICON(testing::SolidPicture(10, 10));
  item.SetCaption("x");
  RecordingCanvas canvas;
  item.Paint(canvas);
  auto frames = canvas.CallsOf(CanvasCall::Kind::kFrame);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].color, Color::Rgb(0x9EA0A1));
  EXPECT_TRUE(canvas.CallsOf(CanvasCall::Kind::kImage).empty());  // no icon either
  EXPECT_EQ(canvas.CallsOf(CanvasCall::Kind::kText)[0].font.color, Color::Rgb(0x123456));
}

TEST(TabStrip, BackdropStretchedToWidthAtNaturalHeight) {
  TCZTabControl tabs;
  tabs.SetBounds(0, 0, 900, 150);
  tabs.SetPicture(testing::SolidPicture(880, 120));
  RecordingCanvas canvas;
  tabs.Paint(canvas);
  auto images = canvas.CallsOf(CanvasCall::Kind::kImage);
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(images[0].src, (Rect{0, 0, 880, 120}));
  EXPECT_EQ(images[0].dst, (Rect{0, 0, 900, 120}));
}

}  // namespace
}  // namespace kestrune
