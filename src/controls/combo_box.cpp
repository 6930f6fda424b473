// TCZComboBox: skinned face, owner-drawn rows, the opened list as a popup
// surface, and the keyboard of a drop-down list.
#include "controls/combo_box.h"

#include <algorithm>

#include "controls/scroll_bar.h"
#include "controls/virtual_keys.h"
#include "platform/ascii.h"
#include "platform/utf8.h"

namespace kestrune {

namespace {
constexpr Color kDisabledText = Color::Rgb(0x808080);
constexpr Color kPlainBorder = Color::Rgb(0xA0A0A0);
constexpr Color kListBorder = Color::Rgb(0x7A7A7A);
constexpr int64_t kTypeAheadMs = 1000;  // typed prefix resets after this pause
// The list's scroll bar: a flat track with a thumb in the page's greys.
}  // namespace

// The opened list: root control of the popup host, one row per item, and a
// scroll bar at the right when there are more items than rows.
class TCZComboBox::ListControl : public Control {
 public:
  explicit ListControl(TCZComboBox& owner) : owner_(owner) {}

  int RowAt(int y) const {
    if (y < 1 || owner_.itemHeight_ <= 0) return -1;
    int row = owner_.listTop_ + (y - 1) / owner_.itemHeight_;
    return row < static_cast<int>(owner_.items_.size()) ? row : -1;
  }

  void Paint(Canvas& canvas) override {
    canvas.FillRect(ClientRect(), owner_.GetColor());
    const int rows = owner_.VisibleRows();
    const int rowWidth = Width() - 2 - (owner_.HasScrollBar() ? kComboScrollBarWidth : 0);
    for (int i = 0; i < rows; ++i) {
      int index = owner_.listTop_ + i;
      if (index >= static_cast<int>(owner_.items_.size())) break;
      Rect row{1, 1 + i * owner_.itemHeight_, rowWidth, owner_.itemHeight_};
      unsigned state = index == owner_.listIndex_ ? (kOdsSelected | kOdsFocus) : 0u;
      owner_.DrawItem(canvas, index, row, state);
    }
    if (owner_.HasScrollBar()) {
      canvas.FillRect(owner_.ScrollTrackRect(), scroll_bar::kTrack);
      canvas.FillRect(owner_.ScrollThumbRect(),
                      dragging_ ? scroll_bar::kThumbActive : scroll_bar::kThumb);
    }
    canvas.FrameRect(ClientRect(), kListBorder);
  }

  void MouseDown(MouseButton button, ShiftState, int x, int y) override {
    if (button != MouseButton::kLeft || !owner_.HasScrollBar() ||
        !owner_.ScrollTrackRect().Contains(x, y))
      return;
    Rect thumb = owner_.ScrollThumbRect();
    if (thumb.Contains(x, y)) {
      dragging_ = true;
      dragOffset_ = y - thumb.y;
      Invalidate();
    } else {
      // A press on the track pages towards it.
      const int page = owner_.VisibleRows();
      owner_.ScrollListTo(owner_.listTop_ + (y < thumb.y ? -page : page));
    }
  }
  void MouseMove(ShiftState, int x, int y) override {
    if (dragging_) {
      owner_.ScrollListTo(owner_.TopForThumbAt(y - dragOffset_));
      return;
    }
    if (owner_.HasScrollBar() && owner_.ScrollTrackRect().Contains(x, y)) return;
    int row = RowAt(y);
    if (row >= 0) owner_.MoveListIndex(row);
  }
  void MouseUp(MouseButton button, ShiftState, int x, int y) override {
    if (dragging_) {
      dragging_ = false;
      Invalidate();
      return;
    }
    if (button != MouseButton::kLeft || !ClientRect().Contains(x, y)) return;
    if (owner_.HasScrollBar() && owner_.ScrollTrackRect().Contains(x, y)) return;
    int row = RowAt(y);
    if (row >= 0) owner_.CommitList(row);
  }
  void MouseWheel(int delta, ShiftState, int, int) override {
    owner_.ScrollListTo(owner_.listTop_ - delta);
  }

 private:
  TCZComboBox& owner_;
  bool dragging_ = false;
  int dragOffset_ = 0;
};

TCZComboBox::TCZComboBox(Control* parent) : Control(parent) {
  SetBounds(Left(), Top(), 190, 24);
  SetTabStop(true);
  list_ = std::make_unique<ListControl>(*this);
  popupHost_ = std::make_unique<ControlHost>(*list_);
  // A press outside the opened list (the window grabs the pointer for it)
  // closes the list without choosing.
  popupHost_->OnPressOutside = [this] { SetDroppedDown(false); };
}

TCZComboBox::~TCZComboBox() {
  if (dropped_) {
    if (ControlHost* host = Host()) host->ClosePopup();
  }
  popupHost_.reset();
  list_.reset();
}

void TCZComboBox::SetState(TCZComboBoxState state) {
  SetStateInternal(state);
}

void TCZComboBox::SetStateInternal(TCZComboBoxState state) {
  state_ = state;
  Invalidate();
}

void TCZComboBox::SetPicture(const TPicture& picture) {
  picture_ = picture;
  cachedImage_ = BuildCachedImage(picture_);
  Invalidate();
}

void TCZComboBox::SetItems(std::vector<std::string> items) {
  items_ = std::move(items);
  if (itemIndex_ >= static_cast<int>(items_.size())) itemIndex_ = -1;
  Invalidate();
}

void TCZComboBox::SetItemIndex(int index) {
  itemIndex_ = (index >= 0 && index < static_cast<int>(items_.size())) ? index : -1;
  Invalidate();
}

std::string TCZComboBox::Text() const {
  return itemIndex_ >= 0 ? items_[static_cast<size_t>(itemIndex_)] : std::string();
}

void TCZComboBox::SetBiDiMode(TBiDiMode v) {
  biDiMode_ = v;
  Invalidate();
}

void TCZComboBox::DrawBorders(Canvas& canvas) {
  if (!cachedImage_ && picture_.IsPng()) cachedImage_ = BuildCachedImage(picture_);
  if (!cachedImage_) return;
  const Image& image = *cachedImage_;
  const int fw = static_cast<int>(static_cast<unsigned>(image.Width()) / 3u);
  int x = 0;
  switch (state_) {
    case TCZComboBoxState::cbsNormal:
    case TCZComboBoxState::cbsDisable:
      x = 0;
      break;
    case TCZComboBoxState::cbsHover:
      x = fw;
      break;
    case TCZComboBoxState::cbsDown:
      x = 2 * fw;
      break;
  }
  canvas.DrawImage(image, {x, 0, fw, image.Height()}, ClientRect());
}

void TCZComboBox::DrawItem(Canvas& canvas, int index, const Rect& rect, unsigned state) {
  const unsigned textFlags = kTextSingleLine | kTextVCenter | kTextNoPrefix | kTextEndEllipsis |
                             (biDiMode_ == TBiDiMode::bdRightToLeft ? kTextRtlReading : 0u);
  canvas.SetFont(GetFont());
  canvas.SetBrush({BrushStyle::kSolid, GetColor()});
  const bool selected = (state & kOdsSelected) != 0;
  if (index >= 0 && selected) {
    canvas.SetBrush({BrushStyle::kSolid, colors::kHighlight});
    canvas.MutableFont().color = colors::kHighlightText;
  }
  if (index < 0 || index >= static_cast<int>(items_.size())) return;
  const std::string& text = items_[static_cast<size_t>(index)];
  if (state & kOdsComboBoxEdit) {
    DrawBorders(canvas);
    canvas.SetBrushStyle(BrushStyle::kClear);
    canvas.MutableFont().color = GetFont().color;  // the face never shows the highlight
    Rect r = ClientRect();
    canvas.DrawText(text, Rect::FromEdges(r.x + 4, r.y, r.Right(), r.Bottom()), textFlags);
    return;
  }
  canvas.SetBrushStyle(BrushStyle::kSolid);
  canvas.FillRect(rect, selected ? colors::kHighlight : GetColor());
  // The row was just filled; the text goes over it without a second fill.
  canvas.SetBrushStyle(BrushStyle::kClear);
  canvas.DrawText(text, rect, textFlags);
}

void TCZComboBox::Paint(Canvas& canvas) {
  if (!cachedImage_ && picture_.IsPng()) cachedImage_ = BuildCachedImage(picture_);
  Rect client = ClientRect();
  if (!cachedImage_) {
    // No skin: a plain drop-down face stands in for the platform's own.
    canvas.FillRect(client, GetColor());
    canvas.FrameRect(client, kPlainBorder);
    int cx = client.Right() - 10, cy = client.y + client.height / 2 - 1;
    for (int i = 0; i < 4; ++i) {
      canvas.FillRect({cx - 3 + i, cy + i, 7 - 2 * i, 1},
                      Enabled() ? colors::kWindowText : kDisabledText);
    }
  }
  // With a skin the face frame covers the whole client area, so the
  // platform's face row underneath would be painted over anyway.
  DrawBorders(canvas);
  canvas.SetFont(GetFont());
  canvas.MutableFont().color = Enabled() ? GetFont().color : kDisabledText;
  canvas.SetBrushStyle(BrushStyle::kClear);
  unsigned flags = kTextSingleLine | kTextVCenter | kTextNoPrefix | kTextEndEllipsis;
  if (biDiMode_ == TBiDiMode::bdRightToLeft) flags |= kTextRtlReading;
  canvas.DrawText(Text(), Rect::FromEdges(client.x + 4, client.y, client.Right(), client.Bottom()),
                  flags);
}

void TCZComboBox::MouseEnter() {
  Control::MouseEnter();
  if (state_ == TCZComboBoxState::cbsNormal || state_ == TCZComboBoxState::cbsDown)
    SetStateInternal(TCZComboBoxState::cbsHover);
}

void TCZComboBox::MouseLeave() {
  Control::MouseLeave();
  if (state_ == TCZComboBoxState::cbsHover || state_ == TCZComboBoxState::cbsDown)
    SetStateInternal(TCZComboBoxState::cbsNormal);
}

void TCZComboBox::MouseDown(MouseButton button, ShiftState shift, int x, int y) {
  Control::MouseDown(button, shift, x, y);
  if (button == MouseButton::kLeft) SetDroppedDown(!dropped_);
  if (state_ == TCZComboBoxState::cbsNormal || state_ == TCZComboBoxState::cbsHover)
    SetStateInternal(TCZComboBoxState::cbsDown);
}

void TCZComboBox::MouseUp(MouseButton button, ShiftState shift, int x, int y) {
  Control::MouseUp(button, shift, x, y);
  if (state_ == TCZComboBoxState::cbsHover || state_ == TCZComboBoxState::cbsDown)
    SetStateInternal(TCZComboBoxState::cbsNormal);
}

void TCZComboBox::MouseWheel(int delta, ShiftState, int, int) {
  if (dropped_) {
    ScrollListTo(listTop_ - delta);
    return;
  }
  if (items_.empty()) return;
  int next = itemIndex_ < 0 ? 0 : itemIndex_ - delta;
  next = std::clamp(next, 0, static_cast<int>(items_.size()) - 1);
  if (next != itemIndex_) SelectByUser(next);
}

bool TCZComboBox::HasScrollBar() const {
  return static_cast<int>(items_.size()) > VisibleRows();
}

Rect TCZComboBox::ScrollTrackRect() const {
  if (!HasScrollBar()) return {};
  const int h = VisibleRows() * itemHeight_;
  return {Width() - 1 - kComboScrollBarWidth, 1, kComboScrollBarWidth, h};
}

Rect TCZComboBox::ScrollThumbRect() const {
  return scroll_bar::ThumbRect(ScrollTrackRect(), static_cast<int>(items_.size()), VisibleRows(),
                               listTop_);
}

int TCZComboBox::TopForThumbAt(int thumbY) const {
  return scroll_bar::TopForThumbAt(ScrollTrackRect(), ScrollThumbRect(),
                                   static_cast<int>(items_.size()), VisibleRows(), thumbY);
}

int TCZComboBox::VisibleRows() const {
  int n = static_cast<int>(items_.size());
  return std::max(1, std::min(n, std::max(1, dropDownCount_)));
}

Rect TCZComboBox::DropDownScreenRect() const {
  const int h = VisibleRows() * itemHeight_ + 2;
  ControlHost* host = Host();
  Point o = WindowOrigin();
  if (host) o = host->ClientToScreen(o);
  Rect below{o.x, o.y + Height(), Width(), h};
  Rect work = host ? host->ScreenWorkArea() : Rect{0, 0, 1920, 1080};
  if (below.Bottom() <= work.Bottom()) return below;
  // No room below: open upward when there is more room above.
  int roomAbove = o.y - work.y;
  int roomBelow = work.Bottom() - below.y;
  if (roomAbove >= h || roomAbove > roomBelow) return {o.x, o.y - h, Width(), h};
  return below;
}

void TCZComboBox::SetDroppedDown(bool open) {
  if (open == dropped_) return;
  ControlHost* host = Host();
  if (open) {
    if (OnDropDown) OnDropDown(*this);
    dropped_ = true;
    listIndex_ = itemIndex_;
    listTop_ = 0;
    ScrollListTo(listIndex_ - VisibleRows() / 2);
    Rect r = DropDownScreenRect();
    popupHost_->Resize(r.width, r.height);
    if (host) {
      host->OpenPopup(*popupHost_, r, this, [this] {
        dropped_ = false;
        Invalidate();
        if (OnCloseUp) OnCloseUp(*this);
      });
    }
    Invalidate();
    return;
  }
  if (host && host->PopupOpen()) {
    host->ClosePopup();  // runs the close callback above
  } else {
    dropped_ = false;
    Invalidate();
    if (OnCloseUp) OnCloseUp(*this);
  }
}

void TCZComboBox::ScrollListTo(int top) {
  int maxTop = std::max(0, static_cast<int>(items_.size()) - VisibleRows());
  listTop_ = std::clamp(top, 0, maxTop);
  list_->Invalidate();
}

void TCZComboBox::MoveListIndex(int index) {
  if (items_.empty()) return;
  index = std::clamp(index, 0, static_cast<int>(items_.size()) - 1);
  if (index == listIndex_) return;
  listIndex_ = index;
  if (listIndex_ < listTop_)
    ScrollListTo(listIndex_);
  else if (listIndex_ >= listTop_ + VisibleRows())
    ScrollListTo(listIndex_ - VisibleRows() + 1);
  list_->Invalidate();
}

void TCZComboBox::CommitList(int index) {
  SetDroppedDown(false);
  if (index >= 0 && index != itemIndex_) SelectByUser(index);
}

void TCZComboBox::SelectByUser(int index) {
  SetItemIndex(index);
  Control::Click();
  if (OnSelect) {
    OnSelect(*this);
  } else if (OnChange) {
    OnChange(*this);
  }
}

int TCZComboBox::FindByPrefix(const std::u32string& prefix, int start) const {
  const int n = static_cast<int>(items_.size());
  for (int k = 0; k < n; ++k) {
    int i = (start + k) % n;
    std::u32string item = Utf8ToUtf32(items_[static_cast<size_t>(i)]);
    if (item.size() < prefix.size()) continue;
    bool match = true;
    for (size_t c = 0; c < prefix.size() && match; ++c) {
      match = AsciiLower(item[c]) == AsciiLower(prefix[c]);
    }
    if (match) return i;
  }
  return -1;
}

void TCZComboBox::KeyDown(int& key, ShiftState shift) {
  Control::KeyDown(key, shift);
  if (key == 0) return;
  // Opening and closing work on an empty list too: an open list must always
  // be closable from the keyboard.
  const bool toggle =
      key == vk::kF4 || ((key == vk::kDown || key == vk::kUp) && (shift & kShiftAlt));
  if (dropped_ && key == vk::kEscape) {
    SetDroppedDown(false);
    key = 0;
    return;
  }
  if (toggle) {
    dropped_ ? CommitList(listIndex_) : SetDroppedDown(true);
    key = 0;
    return;
  }
  if (items_.empty()) {
    if (dropped_ && key == vk::kReturn) {
      SetDroppedDown(false);
      key = 0;
    }
    return;
  }
  const int last = static_cast<int>(items_.size()) - 1;
  const int current = dropped_ ? listIndex_ : itemIndex_;
  const int page = std::max(1, VisibleRows() - 1);
  int next = -2;
  switch (key) {
    case vk::kReturn:
      if (dropped_) {
        CommitList(listIndex_);
        key = 0;
      }
      return;
    case vk::kDown:
    case vk::kRight:
      next = current < 0 ? 0 : std::min(current + 1, last);
      break;
    case vk::kUp:
    case vk::kLeft:
      next = current < 0 ? 0 : std::max(current - 1, 0);
      break;
    case vk::kHome:
      next = 0;
      break;
    case vk::kEnd:
      next = last;
      break;
    case vk::kNext:
      next = current < 0 ? 0 : std::min(current + page, last);
      break;
    case vk::kPrior:
      next = current < 0 ? 0 : std::max(current - page, 0);
      break;
    default:
      return;
  }
  key = 0;
  if (dropped_) {
    MoveListIndex(next);
  } else if (next != itemIndex_) {
    SelectByUser(next);
  }
}

void TCZComboBox::KeyPress(char32_t& ch) {
  Control::KeyPress(ch);
  if (ch < 0x20 || items_.empty()) return;
  const int64_t now = Host() ? Host()->NowMs() : 0;
  if (now - typedAt_ > kTypeAheadMs) typed_.clear();
  typedAt_ = now;
  const int current = dropped_ ? listIndex_ : itemIndex_;
  int found = -1;
  if (autoComplete_) {
    typed_ += ch;
    // A longer prefix keeps the current item when it still matches.
    found = FindByPrefix(typed_, std::max(0, current));
  }
  if (found < 0) {
    // One character: step to the next item starting with it.
    typed_ = std::u32string(1, ch);
    found = FindByPrefix(typed_, current + 1);
  }
  ch = 0;
  if (found < 0) return;
  if (dropped_) {
    MoveListIndex(found);
  } else if (found != itemIndex_) {
    SelectByUser(found);
  }
}

void TCZComboBox::FocusChanged(bool focused) {
  Control::FocusChanged(focused);
  if (!focused && dropped_) SetDroppedDown(false);
  Invalidate();
}

}  // namespace kestrune
