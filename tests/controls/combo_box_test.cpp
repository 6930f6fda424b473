// Combo box: visual state transitions, face and row drawing, the popup list
// and the keyboard of a drop-down list.
#include "controls/combo_box.h"

#include <gtest/gtest.h>

#include <functional>

#include "controls/recording_canvas.h"
#include "controls/test_host.h"
#include "controls/test_pictures.h"
#include "controls/virtual_keys.h"

namespace kestrune {
namespace {

using S = TCZComboBoxState;
using testing::TestWindow;

struct Combo : ::testing::Test {
  Combo() : combo(&w.root) {
    combo.SetBounds(102, 180, 164, 26);
    combo.SetPicture(testing::StripPicture(492, 26, 3));
    combo.SetItemHeight(20);
    combo.SetItems({"请选择", "超级Orvane 低", "超级Orvane 中", "超级Orvane 高", "官方 非常低",
                    "官方 低", "官方 中", "官方 高", "官方 极致", "Alpha", "alpine"});
    combo.SetItemIndex(0);
    combo.OnChange = [this](Control&) { ++changes; };
  }
  void Key(int vkCode, ShiftState shift = 0) { w.host.KeyDown(vkCode, shift); }
  void Type(char32_t ch) { w.host.KeyPress(ch); }

  TestWindow w{880, 600};
  TCZComboBox combo;
  int changes = 0;
};

enum class Ev { kEnter, kLeave, kPress, kRelease };

struct TransitionCase {
  S from;
  Ev event;
  S to;
};

TEST_F(Combo, StateTransitionTable) {
  const TransitionCase cases[] = {
      {S::cbsHover, Ev::kEnter, S::cbsHover},     {S::cbsDisable, Ev::kEnter, S::cbsDisable},
      {S::cbsNormal, Ev::kEnter, S::cbsHover},    {S::cbsDown, Ev::kEnter, S::cbsHover},
      {S::cbsNormal, Ev::kLeave, S::cbsNormal},   {S::cbsDisable, Ev::kLeave, S::cbsDisable},
      {S::cbsHover, Ev::kLeave, S::cbsNormal},    {S::cbsDown, Ev::kLeave, S::cbsNormal},
      {S::cbsDown, Ev::kPress, S::cbsDown},       {S::cbsDisable, Ev::kPress, S::cbsDisable},
      {S::cbsNormal, Ev::kPress, S::cbsDown},     {S::cbsHover, Ev::kPress, S::cbsDown},
      {S::cbsNormal, Ev::kRelease, S::cbsNormal}, {S::cbsDisable, Ev::kRelease, S::cbsDisable},
      {S::cbsHover, Ev::kRelease, S::cbsNormal},  {S::cbsDown, Ev::kRelease, S::cbsNormal},
  };
  for (const auto& c : cases) {
    combo.SetState(c.from);
    switch (c.event) {
      case Ev::kEnter:
        combo.MouseEnter();
        break;
      case Ev::kLeave:
        combo.MouseLeave();
        break;
      case Ev::kPress:
        combo.MouseDown(MouseButton::kRight, 0, 5, 5);
        break;
      case Ev::kRelease:
        combo.MouseUp(MouseButton::kRight, 0, 5, 5);
        break;
    }
    EXPECT_EQ(combo.State(), c.to) << int(c.from) << " event " << int(c.event);
  }
}

TEST_F(Combo, ReleaseReturnsToNormalUntilReEntry) {
  w.Move(110, 190);
  EXPECT_EQ(combo.State(), S::cbsHover);
  w.Press(110, 190);
  EXPECT_EQ(combo.State(), S::cbsDown);
  EXPECT_TRUE(combo.DroppedDown());
  w.Release(110, 190);
  EXPECT_EQ(combo.State(), S::cbsNormal);
}

TEST_F(Combo, FaceFramePerState) {
  const std::pair<S, int> cases[] = {
      {S::cbsNormal, 0}, {S::cbsHover, 164}, {S::cbsDown, 328}, {S::cbsDisable, 0}};
  for (auto [state, x] : cases) {
    combo.SetState(state);
    RecordingCanvas canvas;
    combo.Paint(canvas);
    auto images = canvas.CallsOf(CanvasCall::Kind::kImage);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].src, (Rect{x, 0, 164, 26}));
    EXPECT_EQ(images[0].dst, (Rect{0, 0, 164, 26}));
  }
}

TEST_F(Combo, FaceTextIndentedAndGreyWhenDisabled) {
  combo.MutableFont().color = Color::Rgb(0x383838);
  combo.SetItemIndex(3);
  RecordingCanvas canvas;
  combo.Paint(canvas);
  auto texts = canvas.CallsOf(CanvasCall::Kind::kText);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, "超级Orvane 高");
  EXPECT_EQ(texts[0].dst, (Rect{4, 0, 160, 26}));
  EXPECT_EQ(texts[0].flags, kTextSingleLine | kTextVCenter | kTextNoPrefix | kTextEndEllipsis);
  EXPECT_EQ(texts[0].font.color, Color::Rgb(0x383838));
  EXPECT_EQ(texts[0].brush.style, BrushStyle::kClear);

  combo.SetState(S::cbsHover);
  combo.SetEnabled(false);  // not cbsDisable: the frame stays, the text greys
  EXPECT_EQ(combo.State(), S::cbsHover);
  RecordingCanvas disabled;
  combo.Paint(disabled);
  EXPECT_EQ(disabled.CallsOf(CanvasCall::Kind::kImage)[0].src.x, 164);
  EXPECT_EQ(disabled.CallsOf(CanvasCall::Kind::kText)[0].font.color, Color::Rgb(0x808080));

  combo.SetBiDiMode(TBiDiMode::bdRightToLeft);
  RecordingCanvas rtl;
  combo.Paint(rtl);
  EXPECT_TRUE(rtl.CallsOf(CanvasCall::Kind::kText)[0].flags & kTextRtlReading);
}

TEST_F(Combo, NoSelectionShowsFrameAndNoText) {
  combo.SetItemIndex(-1);
  RecordingCanvas canvas;
  combo.Paint(canvas);
  EXPECT_EQ(canvas.CallsOf(CanvasCall::Kind::kImage).size(), 1u);
  auto texts = canvas.CallsOf(CanvasCall::Kind::kText);
  EXPECT_TRUE(texts.empty() || texts[0].text.empty());
}

TEST_F(Combo, SelectedRowUsesHighlightButFaceUsesFontColour) {
  combo.MutableFont().color = Color::Rgb(0x383838);
  combo.SetColor(colors::kWhite);
  RecordingCanvas row;
  combo.DrawItem(row, 2, {1, 41, 162, 20}, kOdsSelected | kOdsFocus);
  auto fills = row.CallsOf(CanvasCall::Kind::kFill);
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0].dst, (Rect{1, 41, 162, 20}));
  EXPECT_EQ(fills[0].color, colors::kHighlight);
  auto texts = row.CallsOf(CanvasCall::Kind::kText);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].dst, (Rect{1, 41, 162, 20}));  // rows have no indent
  EXPECT_EQ(texts[0].font.color, colors::kHighlightText);

  RecordingCanvas plain;
  combo.DrawItem(plain, 2, {1, 41, 162, 20}, 0);
  EXPECT_EQ(plain.CallsOf(CanvasCall::Kind::kFill)[0].color, colors::kWhite);
  EXPECT_EQ(plain.CallsOf(CanvasCall::Kind::kText)[0].font.color, Color::Rgb(0x383838));

  RecordingCanvas face;
  combo.DrawItem(face, 2, combo.ClientRect(), kOdsSelected | kOdsComboBoxEdit);
  EXPECT_TRUE(face.CallsOf(CanvasCall::Kind::kFill).empty());
  EXPECT_EQ(face.CallsOf(CanvasCall::Kind::kImage).size(), 1u);
  EXPECT_EQ(face.CallsOf(CanvasCall::Kind::kText)[0].font.color, Color::Rgb(0x383838));
  EXPECT_EQ(face.CallsOf(CanvasCall::Kind::kText)[0].dst.x, 4);

  RecordingCanvas none;
  combo.DrawItem(none, -1, {0, 0, 10, 10}, kOdsSelected);
  EXPECT_TRUE(none.Calls().empty());
}

TEST_F(Combo, ListOpensBelowOrAboveAtScreenCoordinates) {
  w.ClickAt(110, 190);
  ASSERT_TRUE(combo.DroppedDown());
  ASSERT_EQ(w.delegate.openPopup, &combo.PopupHost());
  // Window origin (100, 100); 8 rows of 20 plus the border.
  EXPECT_EQ(w.delegate.popupRect, (Rect{202, 306, 164, 162}));
  Key(vk::kEscape);
  EXPECT_FALSE(combo.DroppedDown());
  EXPECT_EQ(w.delegate.openPopup, nullptr);

  w.delegate.workArea = {0, 0, 1280, 400};  // no room below the face
  w.ClickAt(110, 190);
  EXPECT_EQ(w.delegate.popupRect, (Rect{202, 118, 164, 162}));
}

TEST_F(Combo, ClickingARowCommitsAndFiresChange) {
  w.ClickAt(110, 190);
  ControlHost& popup = combo.PopupHost();
  popup.PointerMove(20, 1 + 3 * 20 + 5, 0);
  EXPECT_EQ(combo.ListIndex(), 3);
  popup.PointerDown(MouseButton::kLeft, 20, 66, kShiftLeft);
  popup.PointerUp(MouseButton::kLeft, 20, 66, 0);
  EXPECT_FALSE(combo.DroppedDown());
  EXPECT_EQ(combo.ItemIndex(), 3);
  EXPECT_EQ(changes, 1);
}

TEST_F(Combo, PressOutsideTheListClosesWithoutChoosing) {
  w.ClickAt(110, 190);
  combo.PopupHost().PointerDown(MouseButton::kLeft, -50, -50, kShiftLeft);
  EXPECT_FALSE(combo.DroppedDown());
  EXPECT_EQ(combo.ItemIndex(), 0);
  // A press on the face while open only closes.
  w.ClickAt(110, 190);
  w.ClickAt(110, 190);
  EXPECT_FALSE(combo.DroppedDown());
  EXPECT_EQ(changes, 0);
}

TEST_F(Combo, KeyboardWhenClosedChangesSelection) {
  combo.SetFocus();
  Key(vk::kDown);
  EXPECT_EQ(combo.ItemIndex(), 1);
  Key(vk::kEnd);
  EXPECT_EQ(combo.ItemIndex(), 10);
  Key(vk::kDown);  // already last: no change, no event
  Key(vk::kHome);
  EXPECT_EQ(combo.ItemIndex(), 0);
  Key(vk::kUp);
  EXPECT_EQ(changes, 3);
}

TEST_F(Combo, KeyboardWhenOpenMovesHighlightEnterCommitsEscapeCancels) {
  combo.SetFocus();
  Key(vk::kF4);
  ASSERT_TRUE(combo.DroppedDown());
  Key(vk::kDown);
  Key(vk::kDown);
  EXPECT_EQ(combo.ListIndex(), 2);
  EXPECT_EQ(combo.ItemIndex(), 0);
  Key(vk::kEscape);
  EXPECT_EQ(combo.ItemIndex(), 0);
  EXPECT_EQ(changes, 0);

  Key(vk::kDown, kShiftAlt);
  ASSERT_TRUE(combo.DroppedDown());
  Key(vk::kEnd);
  EXPECT_EQ(combo.ListIndex(), 10);
  EXPECT_EQ(combo.ListTopIndex(), 3);  // scrolled so the last row shows
  Key(vk::kReturn);
  EXPECT_FALSE(combo.DroppedDown());
  EXPECT_EQ(combo.ItemIndex(), 10);
  EXPECT_EQ(changes, 1);
}

TEST_F(Combo, TypeToSelect) {
  int64_t now = 1000;
  w.host.Clock = [&] { return now; };
  combo.SetFocus();
  combo.SetAutoComplete(true);
  Type(U'a');
  EXPECT_EQ(combo.ItemIndex(), 9);  // "Alpha", case folded
  Type(U'l');
  Type(U'p');
  Type(U'i');
  EXPECT_EQ(combo.ItemIndex(), 10);  // prefix "alpi"
  now += 2000;
  Type(U'官');
  EXPECT_EQ(combo.ItemIndex(), 4);
  Type(U'官');  // same character again steps to the next match
  EXPECT_EQ(combo.ItemIndex(), 5);

  combo.SetAutoComplete(false);  // one character at a time, cycling
  now += 2000;
  Type(U'a');
  Type(U'a');
  EXPECT_EQ(combo.ItemIndex(), 10);
}

TEST_F(Combo, ItemIndexFromCodeFiresNothingAndOutOfRangeIsNone) {
  combo.SetItemIndex(5);
  combo.SetItemIndex(42);
  EXPECT_EQ(combo.ItemIndex(), -1);
  EXPECT_EQ(changes, 0);
}

TEST_F(Combo, LosingWindowFocusClosesTheList) {
  w.ClickAt(110, 190);
  ASSERT_TRUE(combo.DroppedDown());
  w.host.WindowFocusChanged(false);
  EXPECT_FALSE(combo.DroppedDown());
  EXPECT_EQ(w.delegate.closed, 1);
}

// Every way of closing an opened list works whether the list has items or
// not (an empty list once stayed open until a press landed inside it).
TEST_F(Combo, AnOpenListClosesOnEveryRouteEmptyOrNot) {
  Control other(&w.root);
  other.SetBounds(10, 10, 40, 20);
  struct Route {
    const char* name;
    std::function<void()> close;
  };
  const Route routes[] = {
      {"Escape", [&] { Key(vk::kEscape); }},
      {"F4", [&] { Key(vk::kF4); }},
      {"Alt+Up", [&] { Key(vk::kUp, kShiftAlt); }},
      {"press outside the list",
       [&] { combo.PopupHost().PointerDown(MouseButton::kLeft, -50, -50, kShiftLeft); }},
      {"press on another control", [&] { w.ClickAt(20, 20); }},
      {"press on the window background", [&] { w.ClickAt(600, 500); }},
      {"window focus lost", [&] { w.host.WindowFocusChanged(false); }},
  };
  for (bool empty : {true, false}) {
    if (empty) combo.SetItems({});
    for (const Route& route : routes) {
      w.ClickAt(110, 190);
      ASSERT_TRUE(combo.DroppedDown()) << route.name;
      route.close();
      EXPECT_FALSE(combo.DroppedDown()) << route.name << (empty ? " (empty)" : "");
      EXPECT_EQ(w.delegate.openPopup, nullptr) << route.name;
      w.host.WindowFocusChanged(true);
    }
  }
  EXPECT_EQ(changes, 0);
}

// Lists longer than DropDownCount rows scroll: a bar at the right, the wheel,
// the keyboard, and the selection brought into view when the list opens.
TEST_F(Combo, ALongListHasAScrollBarAndScrolls) {
  combo.SetItemIndex(10);
  w.ClickAt(110, 190);
  ASSERT_TRUE(combo.DroppedDown());
  EXPECT_EQ(combo.VisibleRows(), 8);
  EXPECT_TRUE(combo.HasScrollBar());
  EXPECT_EQ(combo.ListTopIndex(), 3);  // the selected last entry is in view
  EXPECT_EQ(combo.ScrollTrackRect(),
            (Rect{164 - 1 - kComboScrollBarWidth, 1, kComboScrollBarWidth, 160}));
  Rect bottomThumb = combo.ScrollThumbRect();
  EXPECT_EQ(bottomThumb.Bottom(), 161);

  // Rows leave the bar free, and the bar is painted.
  RecordingCanvas canvas;
  combo.PopupHost().PaintTo(canvas);
  auto texts = canvas.CallsOf(CanvasCall::Kind::kText);
  ASSERT_EQ(texts.size(), 8u);
  EXPECT_EQ(texts[0].text, "超级Orvane 高");
  EXPECT_EQ(texts[0].dst.width, 162 - kComboScrollBarWidth);
  bool thumbPainted = false;
  for (const auto& fill : canvas.CallsOf(CanvasCall::Kind::kFill))
    thumbPainted = thumbPainted || fill.dst == bottomThumb;
  EXPECT_TRUE(thumbPainted);

  ControlHost& popup = combo.PopupHost();
  popup.PointerWheel(20, 50, 2, 0);  // two notches up
  EXPECT_EQ(combo.ListTopIndex(), 1);
  popup.PointerWheel(20, 50, 5, 0);
  EXPECT_EQ(combo.ListTopIndex(), 0);
  EXPECT_EQ(combo.ScrollThumbRect().y, 1);
  popup.PointerWheel(20, 50, -1, 0);
  EXPECT_EQ(combo.ListTopIndex(), 1);

  // A press on the track below the thumb pages down; dragging the thumb to
  // the top scrolls back.
  Rect track = combo.ScrollTrackRect();
  popup.PointerMove(track.x + 4, 155, 0);
  popup.PointerDown(MouseButton::kLeft, track.x + 4, 155, kShiftLeft);
  popup.PointerUp(MouseButton::kLeft, track.x + 4, 155, 0);
  EXPECT_EQ(combo.ListTopIndex(), 3);
  EXPECT_TRUE(combo.DroppedDown());  // the bar chooses nothing
  Rect thumb = combo.ScrollThumbRect();
  popup.PointerMove(track.x + 4, thumb.y + 2, 0);
  popup.PointerDown(MouseButton::kLeft, track.x + 4, thumb.y + 2, kShiftLeft);
  popup.PointerMove(track.x + 4, 3, kShiftLeft);
  EXPECT_EQ(combo.ListTopIndex(), 0);
  popup.PointerUp(MouseButton::kLeft, track.x + 4, 3, 0);
  EXPECT_EQ(combo.ItemIndex(), 10);
  EXPECT_EQ(changes, 0);

  // Page Down, End, Page Up, Home move the highlight and keep it in view.
  Key(vk::kHome);
  EXPECT_EQ(combo.ListIndex(), 0);
  Key(vk::kNext);
  EXPECT_EQ(combo.ListIndex(), 7);
  Key(vk::kNext);
  EXPECT_EQ(combo.ListIndex(), 10);
  EXPECT_EQ(combo.ListTopIndex(), 3);
  Key(vk::kPrior);
  EXPECT_EQ(combo.ListIndex(), 3);
  Key(vk::kHome);
  EXPECT_EQ(combo.ListTopIndex(), 0);
  Key(vk::kEnd);
  EXPECT_EQ(combo.ListTopIndex(), 3);
  Key(vk::kEscape);

  // Eight entries or fewer: no bar, rows over the whole width.
  combo.SetItems({"a", "b", "c", "d", "e", "f", "g", "h"});
  w.ClickAt(110, 190);
  EXPECT_FALSE(combo.HasScrollBar());
  EXPECT_TRUE(combo.ScrollTrackRect().Empty());
  RecordingCanvas plain;
  combo.PopupHost().PaintTo(plain);
  EXPECT_EQ(plain.CallsOf(CanvasCall::Kind::kText)[0].dst.width, 162);
}

}  // namespace
}  // namespace kestrune
