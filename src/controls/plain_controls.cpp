// Single-line edit, label and picture drawn through the canvas.
#include "controls/plain_controls.h"

#include "controls/text_measure.h"
#include "controls/virtual_keys.h"
#include "platform/utf8.h"

namespace kestrune {

namespace {
constexpr Color kEditBorder = Color::Rgb(0xABADB3);
constexpr Color kEditBorderFocused = Color::Rgb(0x3399FF);
constexpr int kEditPadding = 3;
}  // namespace

// --- TEdit ---

TEdit::TEdit(Control* parent) : Control(parent) {
  SetBounds(Left(), Top(), 121, 21);
  SetTabStop(true);
  SetCursor(Cursor::kIBeam);
}

int TEdit::Length() const {
  return static_cast<int>(chars_.size());
}

void TEdit::SetText(const std::string& text) {
  chars_ = Utf8ToUtf32(text);
  if (maxLength_ > 0 && Length() > maxLength_) chars_.resize(static_cast<size_t>(maxLength_));
  text_ = Utf32ToUtf8(chars_);
  caret_ = anchor_ = Length();
  Invalidate();
}

void TEdit::SetSelection(int anchor, int caret) {
  anchor_ = std::clamp(anchor, 0, Length());
  caret_ = std::clamp(caret, 0, Length());
  Invalidate();
}

std::string TEdit::SelText() const {
  return Utf32ToUtf8(std::u32string_view(chars_).substr(static_cast<size_t>(SelStart()),
                                                        static_cast<size_t>(SelLength())));
}

void TEdit::ReplaceSelection(const std::u32string& with) {
  std::u32string insert = with;
  int start = SelStart(), len = SelLength();
  if (maxLength_ > 0) {
    int room = maxLength_ - (Length() - len);
    if (room < static_cast<int>(insert.size()))
      insert.resize(static_cast<size_t>(std::max(0, room)));
  }
  if (len == 0 && insert.empty()) return;
  chars_.replace(static_cast<size_t>(start), static_cast<size_t>(len), insert);
  text_ = Utf32ToUtf8(chars_);
  caret_ = anchor_ = start + static_cast<int>(insert.size());
  Invalidate();
  if (OnChange) OnChange(*this);
}

int TEdit::TextX(int index) const {
  std::string prefix =
      Utf32ToUtf8(std::u32string_view(chars_).substr(0, static_cast<size_t>(index)));
  return kEditPadding + MeasureText(GetFont(), prefix).width;
}

int TEdit::CharAt(int x) {
  int best = 0, bestDist = std::abs(x - TextX(0));
  for (int i = 1; i <= Length(); ++i) {
    int d = std::abs(x - TextX(i));
    if (d < bestDist) {
      best = i;
      bestDist = d;
    }
  }
  return best;
}

void TEdit::Paint(Canvas& canvas) {
  Rect client = ClientRect();
  canvas.FillRect(client, Enabled() ? GetColor() : Color::Rgb(0xF0F0F0));
  canvas.FrameRect(client, focused_ ? kEditBorderFocused : kEditBorder);
  canvas.SetFont(GetFont());
  if (!Enabled()) canvas.MutableFont().color = colors::kGrayText;
  Size ext = MeasureText(GetFont(), "");
  int textTop = (client.height - ext.height) / 2;
  if (focused_ && SelLength() > 0) {
    int x0 = TextX(SelStart()), x1 = TextX(SelStart() + SelLength());
    canvas.FillRect({x0, textTop, x1 - x0, ext.height}, colors::kHighlight);
  }
  canvas.SetBrushStyle(BrushStyle::kClear);
  Rect textRect =
      Rect::FromEdges(kEditPadding, client.y, client.Right() - kEditPadding, client.Bottom());
  canvas.DrawText(text_, textRect, kTextSingleLine | kTextVCenter | kTextNoPrefix);
  if (focused_ && SelLength() > 0) {
    // Selected characters again, in the highlight text colour, clipped to the band.
    int x0 = TextX(SelStart()), x1 = TextX(SelStart() + SelLength());
    canvas.Save();
    canvas.ClipRect({x0, textTop, x1 - x0, ext.height});
    canvas.MutableFont().color = colors::kHighlightText;
    canvas.DrawText(text_, textRect, kTextSingleLine | kTextVCenter | kTextNoPrefix);
    canvas.Restore();
  }
  if (focused_) canvas.FillRect({TextX(caret_), textTop, 1, ext.height}, GetFont().color);
}

void TEdit::MouseDown(MouseButton button, ShiftState shift, int x, int y) {
  Control::MouseDown(button, shift, x, y);
  if (button != MouseButton::kLeft) return;
  int at = CharAt(x);
  if (shift & kShiftDouble) {
    SelectAll();
    return;
  }
  SetSelection((shift & kShiftShift) ? anchor_ : at, at);
  selecting_ = true;
}

void TEdit::MouseMove(ShiftState shift, int x, int y) {
  Control::MouseMove(shift, x, y);
  if (selecting_ && (shift & kShiftLeft)) SetSelection(anchor_, CharAt(x));
  if (!(shift & kShiftLeft)) selecting_ = false;
}

void TEdit::KeyDown(int& key, ShiftState shift) {
  Control::KeyDown(key, shift);
  if (key == 0) return;
  const bool extend = shift & kShiftShift;
  auto moveTo = [&](int pos) {
    pos = std::clamp(pos, 0, Length());
    if (!extend && SelLength() > 0 && (key == vk::kLeft || key == vk::kRight)) {
      pos = key == vk::kLeft ? SelStart() : SelStart() + SelLength();
    }
    SetSelection(extend ? anchor_ : pos, pos);
  };
  switch (key) {
    case vk::kLeft:
      moveTo(caret_ - 1);
      break;
    case vk::kRight:
      moveTo(caret_ + 1);
      break;
    case vk::kHome:
      moveTo(0);
      break;
    case vk::kEnd:
      moveTo(Length());
      break;
    case vk::kBack:
      if (readOnly_) break;
      if (SelLength() == 0 && caret_ > 0) anchor_ = caret_ - 1;
      ReplaceSelection({});
      break;
    case vk::kDelete:
      if (readOnly_) break;
      if (SelLength() == 0 && caret_ < Length()) anchor_ = caret_ + 1;
      ReplaceSelection({});
      break;
    case vk::kA:
      if (shift & kShiftCtrl)
        SelectAll();
      else
        return;
      break;
    default:
      return;
  }
  key = 0;
}

void TEdit::KeyPress(char32_t& ch) {
  Control::KeyPress(ch);
  // Control characters (backspace, Enter, Ctrl+letter) are handled as keys.
  if (ch == 0 || ch < 0x20 || ch == 0x7F || readOnly_) return;
  ReplaceSelection(std::u32string(1, ch));
}

void TEdit::FocusChanged(bool focused) {
  focused_ = focused;
  Control::FocusChanged(focused);
  Invalidate();
}

// --- TLabel ---

TLabel::TLabel(Control* parent) : Control(parent) {
  SetBounds(Left(), Top(), 65, 13);
  SetColor(colors::kWindow);
}

void TLabel::SetCaption(const std::string& caption) {
  caption_ = caption;
  AdjustSize();
  Invalidate();
}

void TLabel::SetAutoSize(bool v) {
  autoSize_ = v;
  AdjustSize();
}

void TLabel::SetWordWrap(bool v) {
  wordWrap_ = v;
  AdjustSize();
  Invalidate();
}

void TLabel::SetAlignment(TAlignment v) {
  alignment_ = v;
  Invalidate();
}

void TLabel::SetTransparent(bool v) {
  transparent_ = v;
  Invalidate();
}

void TLabel::AdjustSize() {
  if (!autoSize_) return;
  if (wordWrap_) {
    Size s = MeasureWrappedText(GetFont(), caption_.empty() ? " " : caption_, Width());
    SetBounds(Left(), Top(), Width(), s.height);
  } else {
    Size s = MeasureText(GetFont(), caption_);
    SetBounds(Left(), Top(), s.width, s.height);
  }
}

void TLabel::Paint(Canvas& canvas) {
  if (!transparent_) canvas.FillRect(ClientRect(), GetColor());
  canvas.SetFont(GetFont());
  canvas.SetBrushStyle(BrushStyle::kClear);
  unsigned flags = wordWrap_ ? kTextWordBreak : kTextSingleLine;
  if (alignment_ == TAlignment::taCenter) flags |= kTextCenter;
  if (alignment_ == TAlignment::taRightJustify) flags |= kTextRight;
  canvas.DrawText(caption_, ClientRect(), flags);
}

// --- TImage ---

TImage::TImage(Control* parent) : Control(parent) {
  SetBounds(Left(), Top(), 105, 105);
}

void TImage::SetPicture(const TPicture& picture) {
  picture_ = picture;
  cachedImage_ = BuildCachedImage(picture_);
  Invalidate();
}

void TImage::SetStretch(bool v) {
  stretch_ = v;
  Invalidate();
}

void TImage::SetCenter(bool v) {
  center_ = v;
  Invalidate();
}

void TImage::Paint(Canvas& canvas) {
  if (!cachedImage_) return;
  const Image& image = *cachedImage_;
  Rect src{0, 0, image.Width(), image.Height()};
  if (stretch_) {
    canvas.DrawImage(image, src, ClientRect());
    return;
  }
  int x = center_ ? (Width() - image.Width()) / 2 : 0;
  int y = center_ ? (Height() - image.Height()) / 2 : 0;
  canvas.DrawImage(image, src, {x, y, image.Width(), image.Height()});
}

}  // namespace kestrune
