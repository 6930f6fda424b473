// TLinesView: lines wrapped to the width, the visible rows painted in their
// colours, and scrolling by wheel, scroll bar and keys; keys it does not use
// go on to its handler.
#include "controls/lines_view.h"

#include <gtest/gtest.h>

#include "controls/recording_canvas.h"
#include "controls/test_host.h"
#include "controls/text_measure.h"
#include "controls/ui_font.h"
#include "controls/virtual_keys.h"

namespace kestrune {
namespace {

using testing::TestWindow;

struct LinesView : ::testing::Test {
  LinesView() : view(&w.root) {
    Font font = view.GetFont();
    ApplyUiFont(font);
    view.SetFont(font);
    view.SetBounds(20, 70, 300, 2 + 10 * 18);  // ten rows of 18 pixels
  }
  void SetCount(int count) {
    std::vector<TLinesView::Line> lines;
    for (int i = 0; i < count; ++i) lines.push_back({"line " + std::to_string(i)});
    view.SetLines(std::move(lines));
  }
  void Key(int key) { w.host.KeyDown(key, 0); }

  TestWindow w{600, 400};
  TLinesView view;
};

TEST_F(LinesView, AShortListHasNoScrollBarAndNeverScrolls) {
  SetCount(10);
  EXPECT_EQ(view.VisibleRows(), 10);
  EXPECT_EQ(view.RowCount(), 10);
  EXPECT_FALSE(view.HasScrollBar());
  EXPECT_TRUE(view.ScrollTrackRect().Empty());
  w.host.PointerWheel(60, 100, -3, 0);
  view.SetFocus();
  Key(vk::kEnd);
  EXPECT_EQ(view.TopRow(), 0);
}

TEST_F(LinesView, ALongLineWrapsIntoRowsThatFitAndContinueIndented) {
  std::string words;
  for (int i = 0; i < 40; ++i) words += "word" + std::to_string(i) + " ";
  std::string unbroken(200, 'x');
  view.SetHeight(2 + 30 * 18);
  view.SetLines({{"  " + words}, {unbroken}, {"short"}});
  ASSERT_FALSE(view.HasScrollBar());
  const int room = 300 - 2 - 2 * 6;
  std::string joined;
  int rowsOfFirst = 0;
  for (int r = 0; r < view.RowCount(); ++r) {
    std::string text = view.RowText(r);
    EXPECT_LE(MeasureText(view.GetFont(), text).width, room) << text;
    if (view.RowLine(r) == 0) {
      ++rowsOfFirst;
      // Broken after a blank: no word is cut in two.
      if (r + 1 < view.RowCount() && view.RowLine(r + 1) == 0) {
        EXPECT_EQ(text.back(), ' ');
      }
      joined += text;
    }
  }
  EXPECT_GT(rowsOfFirst, 1);
  EXPECT_EQ(joined, "  " + words);
  EXPECT_EQ(view.RowText(view.RowCount() - 1), "short");

  // Continuation rows are painted further right than the line's first row.
  RecordingCanvas canvas;
  view.Paint(canvas);
  auto texts = canvas.CallsOf(CanvasCall::Kind::kText);
  ASSERT_GE(texts.size(), 2u);
  EXPECT_GT(texts[1].dst.x, texts[0].dst.x);
  EXPECT_TRUE(texts[0].flags & kTextNoPrefix);  // '&' in a value is shown as it is
}

// A line without a blank as long as a whole file (a value the game wrote
// on one line) is cut into rows that keep every character, in order.
TEST_F(LinesView, AHugeLineIsCutIntoRowsThatKeepEveryCharacter) {
  std::string huge;
  for (int i = 0; i < 4000; ++i) huge += "ab,c\xE4\xB8\xAD";  // ASCII and a CJK character
  view.SetLines({{huge}});
  std::string joined;
  for (int r = 0; r < view.RowCount(); ++r) {
    std::string text = view.RowText(r);
    EXPECT_FALSE(text.empty());
    joined += text;
  }
  EXPECT_GT(view.RowCount(), 100);
  EXPECT_EQ(joined, huge);
}

TEST_F(LinesView, TheVisibleRowsArePaintedInTheirLinesColours) {
  view.SetLines({{"+ a = 1", Color::Rgb(0x2E7D32)}, {"- b = 2", Color::Rgb(0xC62828), true}});
  RecordingCanvas canvas;
  view.Paint(canvas);
  auto texts = canvas.CallsOf(CanvasCall::Kind::kText);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].text, "+ a = 1");
  EXPECT_EQ(texts[0].font.color, Color::Rgb(0x2E7D32));
  EXPECT_FALSE(texts[0].font.bold);
  EXPECT_EQ(texts[1].font.color, Color::Rgb(0xC62828));
  EXPECT_TRUE(texts[1].font.bold);
  EXPECT_EQ(texts[1].dst.y, 1 + 18);
}

// Like an opened combo box list: a bar at the right, the wheel, a press on
// the track, a dragged thumb, and the keyboard.
TEST_F(LinesView, ALongListScrollsByWheelBarAndKeys) {
  SetCount(40);
  EXPECT_TRUE(view.HasScrollBar());
  EXPECT_EQ(view.ScrollTrackRect(),
            (Rect{300 - 1 - kLinesScrollBarWidth, 1, kLinesScrollBarWidth, 180}));
  RecordingCanvas canvas;
  view.Paint(canvas);
  auto texts = canvas.CallsOf(CanvasCall::Kind::kText);
  ASSERT_EQ(texts.size(), 10u);
  EXPECT_LE(texts[0].dst.Right(), view.ScrollTrackRect().x);  // rows leave the bar free
  bool thumbPainted = false;
  for (const auto& fill : canvas.CallsOf(CanvasCall::Kind::kFill))
    thumbPainted = thumbPainted || fill.dst == view.ScrollThumbRect();
  EXPECT_TRUE(thumbPainted);

  // Wheel: three rows a notch, towards the user is down; clamped at the ends.
  w.host.PointerWheel(60, 100, -2, 0);
  EXPECT_EQ(view.TopRow(), 6);
  w.host.PointerWheel(60, 100, 5, 0);
  EXPECT_EQ(view.TopRow(), 0);
  w.host.PointerWheel(60, 100, -100, 0);
  EXPECT_EQ(view.TopRow(), 30);
  EXPECT_EQ(view.ScrollThumbRect().Bottom(), 181);

  // A press on the track above the thumb pages up; dragging the thumb to the
  // top scrolls back to the first row.
  Rect track = view.ScrollTrackRect();
  int x = 20 + track.x + 4;
  w.ClickAt(x, 70 + 10);
  EXPECT_EQ(view.TopRow(), 30 - 9);
  Rect thumb = view.ScrollThumbRect();
  w.Move(x, 70 + thumb.y + 2);
  w.Press(x, 70 + thumb.y + 2);
  w.host.PointerMove(x, 70 + 1, kShiftLeft);
  EXPECT_EQ(view.TopRow(), 0);
  w.Release(x, 70 + 1);

  // Keys: the press gave the view the focus.
  EXPECT_TRUE(view.Focused());
  const struct {
    int key;
    int top;
  } kKeys[] = {{vk::kDown, 1}, {vk::kNext, 10},  {vk::kEnd, 30},
               {vk::kUp, 29},  {vk::kPrior, 20}, {vk::kHome, 0}};
  for (const auto& k : kKeys) {
    Key(k.key);
    EXPECT_EQ(view.TopRow(), k.top) << k.key;
  }
  // Other keys reach the handler (a dialog closes on Escape).
  int heard = 0;
  view.OnKeyDown = [&](Control&, int& key, ShiftState) { heard = key; };
  Key(vk::kEscape);
  EXPECT_EQ(heard, vk::kEscape);
  Key(vk::kDown);
  EXPECT_EQ(heard, vk::kEscape);  // eaten by the view

  // New lines start at the top again; a bigger view shows more rows.
  view.SetTop(0);
  SetCount(12);
  EXPECT_EQ(view.TopRow(), 0);
  view.SetHeight(2 + 12 * 18);
  EXPECT_FALSE(view.HasScrollBar());
}

}  // namespace
}  // namespace kestrune
