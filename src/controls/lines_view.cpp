// TLinesView: wrapping lines into rows, drawing the visible rows and the
// scroll bar, and scrolling by wheel, bar and keys.
#include "controls/lines_view.h"

#include <algorithm>

#include "controls/scroll_bar.h"
#include "controls/text_measure.h"
#include "controls/virtual_keys.h"
#include "platform/utf8.h"

namespace kestrune {
namespace {

// The combo box list's scroll bar colours, so both scroll alike.
constexpr Color kBorder = Color::Rgb(0xC8C8C8);
constexpr int kPadding = 6;  // text inset from the border
constexpr unsigned kRowFlags = kTextSingleLine | kTextVCenter | kTextNoPrefix;

Font LineFont(const Font& base, const TLinesView::Line& line) {
  Font font = base;
  font.color = line.color;
  font.bold = line.bold;
  return font;
}

// Byte offsets of at most `count` code points of text from `begin`, and
// the end of the last one.
std::vector<size_t> Boundaries(std::string_view text, size_t begin, size_t count) {
  std::vector<size_t> out;
  size_t pos = begin;
  while (pos < text.size() && out.size() < count) {
    out.push_back(pos);
    NextUtf8(text, &pos);
  }
  out.push_back(pos);
  return out;
}

// The end of the longest piece of text from `begin` that fits `width` (at
// least one code point), broken after a blank, a comma or a path separator
// when one lies in the piece's second half.
size_t FitPiece(const Font& font, std::string_view text, size_t begin, int width) {
  // No glyph of a UI font is narrower than this: a row never holds more code
  // points, so a huge line costs measurements of row-sized pieces only.
  constexpr int kNarrowestGlyph = 2;
  std::vector<size_t> cuts =
      Boundaries(text, begin, static_cast<size_t>(std::max(1, width / kNarrowestGlyph)));
  size_t lo = 1, hi = cuts.size() - 1;  // lo always fits (one code point at least)
  while (lo < hi) {
    size_t mid = (lo + hi + 1) / 2;
    if (MeasureText(font, text.substr(begin, cuts[mid] - begin)).width <= width)
      lo = mid;
    else
      hi = mid - 1;
  }
  size_t end = cuts[lo];
  if (end >= text.size()) return end;
  for (size_t i = lo; i > lo / 2 && i > 1; --i) {
    char c = text[cuts[i] - 1];
    if (c == ' ' || c == ',' || c == '/' || c == '\\') return cuts[i];
  }
  return end;
}

}  // namespace

TLinesView::TLinesView(Control* parent) : Control(parent) {
  SetTabStop(true);
  SetColor(colors::kWhite);
}

void TLinesView::SetLines(std::vector<Line> lines) {
  lines_ = std::move(lines);
  rowsValid_ = false;
  top_ = 0;
  Invalidate();
}

void TLinesView::SetRowHeight(int height) {
  rowHeight_ = std::max(1, height);
  rowsValid_ = false;
  ScrollTo(top_);
  Invalidate();
}

void TLinesView::FontChanged() {
  rowsValid_ = false;
  ScrollTo(top_);
}

void TLinesView::Resized() {
  rowsValid_ = false;
  ScrollTo(top_);
  Control::Resized();
}

int TLinesView::VisibleRows() const {
  return std::max(1, (Height() - 2) / rowHeight_);
}

int TLinesView::TextWidth() const {
  EnsureRows();
  return rowsWidth_;
}

void TLinesView::EnsureRows() const {
  if (rowsValid_) return;
  auto wrap = [this](int width) {
    rows_.clear();
    for (int l = 0; l < static_cast<int>(lines_.size()); ++l) {
      const std::string& text = lines_[static_cast<size_t>(l)].text;
      Font font = LineFont(GetFont(), lines_[static_cast<size_t>(l)]);
      if (text.empty() || MeasureText(font, text).width <= width) {
        rows_.push_back({l, 0, text.size(), 0});
        continue;
      }
      // Continuation rows start under the line's text, four blanks further.
      size_t lead = text.find_first_not_of(' ');
      if (lead == std::string::npos) lead = 0;
      int indent = MeasureText(font, std::string(lead + 4, ' ')).width;
      if (indent > width / 2) indent = 0;
      size_t begin = 0;
      int rowIndent = 0;
      while (begin < text.size()) {
        size_t end = FitPiece(font, text, begin, width - rowIndent);
        rows_.push_back({l, begin, end, rowIndent});
        begin = end;
        while (begin < text.size() && text[begin] == ' ') ++begin;
        rowIndent = indent;
      }
    }
  };
  const int inner = std::max(1, Width() - 2 - 2 * kPadding);
  rowsWidth_ = inner;
  wrap(inner);
  if (static_cast<int>(rows_.size()) > VisibleRows()) {
    rowsWidth_ = std::max(1, inner - kLinesScrollBarWidth);
    wrap(rowsWidth_);
  }
  rowsValid_ = true;
}

int TLinesView::RowCount() const {
  EnsureRows();
  return static_cast<int>(rows_.size());
}

std::string TLinesView::RowText(int row) const {
  EnsureRows();
  if (row < 0 || row >= static_cast<int>(rows_.size())) return {};
  const Row& r = rows_[static_cast<size_t>(row)];
  return lines_[static_cast<size_t>(r.line)].text.substr(r.begin, r.end - r.begin);
}

int TLinesView::RowLine(int row) const {
  EnsureRows();
  if (row < 0 || row >= static_cast<int>(rows_.size())) return -1;
  return rows_[static_cast<size_t>(row)].line;
}

void TLinesView::ScrollTo(int top) {
  int maxTop = std::max(0, RowCount() - VisibleRows());
  int next = std::clamp(top, 0, maxTop);
  if (next == top_) return;
  top_ = next;
  Invalidate();
}

bool TLinesView::HasScrollBar() const {
  return RowCount() > VisibleRows();
}

Rect TLinesView::ScrollTrackRect() const {
  if (!HasScrollBar()) return {};
  return {Width() - 1 - kLinesScrollBarWidth, 1, kLinesScrollBarWidth, Height() - 2};
}

Rect TLinesView::ScrollThumbRect() const {
  return scroll_bar::ThumbRect(ScrollTrackRect(), RowCount(), VisibleRows(), top_);
}

int TLinesView::TopForThumbAt(int thumbY) const {
  return scroll_bar::TopForThumbAt(ScrollTrackRect(), ScrollThumbRect(), RowCount(), VisibleRows(),
                                   thumbY);
}

void TLinesView::Paint(Canvas& canvas) {
  canvas.FillRect(ClientRect(), GetColor());
  EnsureRows();
  canvas.SetBrushStyle(BrushStyle::kClear);
  const int rows = VisibleRows();
  for (int i = 0; i < rows; ++i) {
    int index = top_ + i;
    if (index >= static_cast<int>(rows_.size())) break;
    const Row& row = rows_[static_cast<size_t>(index)];
    const Line& line = lines_[static_cast<size_t>(row.line)];
    canvas.SetFont(LineFont(GetFont(), line));
    Rect rect{1 + kPadding + row.indent, 1 + i * rowHeight_, rowsWidth_ - row.indent, rowHeight_};
    canvas.DrawText(std::string_view(line.text).substr(row.begin, row.end - row.begin), rect,
                    kRowFlags);
  }
  if (HasScrollBar()) {
    canvas.FillRect(ScrollTrackRect(), scroll_bar::kTrack);
    canvas.FillRect(ScrollThumbRect(), dragging_ ? scroll_bar::kThumbActive : scroll_bar::kThumb);
  }
  canvas.FrameRect(ClientRect(), kBorder);
}

void TLinesView::MouseDown(MouseButton button, ShiftState shift, int x, int y) {
  Control::MouseDown(button, shift, x, y);
  if (button != MouseButton::kLeft || !HasScrollBar() || !ScrollTrackRect().Contains(x, y)) return;
  Rect thumb = ScrollThumbRect();
  if (thumb.Contains(x, y)) {
    dragging_ = true;
    dragOffset_ = y - thumb.y;
    Invalidate();
  } else {
    // A press on the track pages towards it.
    const int page = std::max(1, VisibleRows() - 1);
    ScrollTo(top_ + (y < thumb.y ? -page : page));
  }
}

void TLinesView::MouseMove(ShiftState shift, int x, int y) {
  Control::MouseMove(shift, x, y);
  if (dragging_) ScrollTo(TopForThumbAt(y - dragOffset_));
}

void TLinesView::MouseUp(MouseButton button, ShiftState shift, int x, int y) {
  Control::MouseUp(button, shift, x, y);
  if (dragging_) {
    dragging_ = false;
    Invalidate();
  }
}

void TLinesView::MouseWheel(int delta, ShiftState, int, int) {
  ScrollTo(top_ - delta * kWheelRows);
}

void TLinesView::KeyDown(int& key, ShiftState shift) {
  const int page = std::max(1, VisibleRows() - 1);
  int next = -1;
  switch (key) {
    case vk::kUp:
      next = top_ - 1;
      break;
    case vk::kDown:
      next = top_ + 1;
      break;
    case vk::kPrior:
      next = top_ - page;
      break;
    case vk::kNext:
      next = top_ + page;
      break;
    case vk::kHome:
      next = 0;
      break;
    case vk::kEnd:
      next = RowCount();
      break;
    default:
      Control::KeyDown(key, shift);
      return;
  }
  ScrollTo(std::max(0, next));
  key = 0;
}

}  // namespace kestrune
