// TLinesView: a read-only list of text lines, each in its own colour,
// wrapped to the control's width and scrolled by row: the mouse wheel, a
// scroll bar at the right (the look of an opened combo box's list) and the
// keys Up, Down, Page Up, Page Down, Home and End.
#pragma once

#include <string>
#include <vector>

#include "controls/control.h"

namespace kestrune {

// Width of the scroll bar (inside the border), as the combo box list's.
inline constexpr int kLinesScrollBarWidth = 12;

class TLinesView : public Control {
 public:
  struct Line {
    std::string text;
    Color color = colors::kWindowText;
    bool bold = false;
  };

  explicit TLinesView(Control* parent = nullptr);

  void SetLines(std::vector<Line> lines);
  const std::vector<Line>& Lines() const { return lines_; }
  int RowHeight() const { return rowHeight_; }
  void SetRowHeight(int height);
  // Rows wheel notch scrolls.
  static constexpr int kWheelRows = 3;

  // The wrapped rows: a line too wide for the control continues on the next
  // rows, indented a little further than the line itself.
  int RowCount() const;
  std::string RowText(int row) const;
  int RowLine(int row) const;  // the line a row belongs to
  int VisibleRows() const;     // whole rows that fit
  int TopRow() const { return top_; }
  // Clamped to 0 .. RowCount() - VisibleRows().
  void ScrollTo(int top);
  bool HasScrollBar() const;
  Rect ScrollTrackRect() const;
  Rect ScrollThumbRect() const;

  void Paint(Canvas& canvas) override;
  void MouseDown(MouseButton button, ShiftState shift, int x, int y) override;
  void MouseMove(ShiftState shift, int x, int y) override;
  void MouseUp(MouseButton button, ShiftState shift, int x, int y) override;
  void MouseWheel(int delta, ShiftState shift, int x, int y) override;
  // Scrolling keys are eaten; every other key goes on to OnKeyDown.
  void KeyDown(int& key, ShiftState shift) override;
  bool CanFocus() const override { return true; }
  void FontChanged() override;
  void Resized() override;

 private:
  struct Row {
    int line = 0;
    size_t begin = 0, end = 0;  // bytes of the line's text
    int indent = 0;             // pixels (continuation rows)
  };
  void EnsureRows() const;
  int TextWidth() const;  // room for text: inside the border, left of the bar
  int TopForThumbAt(int thumbY) const;

  std::vector<Line> lines_;
  int rowHeight_ = 18;
  int top_ = 0;
  bool dragging_ = false;
  int dragOffset_ = 0;
  mutable std::vector<Row> rows_;
  mutable bool rowsValid_ = false;
  mutable int rowsWidth_ = -1;
};

}  // namespace kestrune
