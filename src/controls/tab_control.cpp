// The skinned tab strip and its items.
#include "controls/tab_control.h"

#include <algorithm>

namespace kestrune {

namespace {
constexpr Color kItemOutline = Color::Rgb(0x9EA0A1);
}

TCZTabControl::TCZTabControl(Control* parent) : Control(parent) {}

TCZTabControl::~TCZTabControl() {
  for (TCZTabControlItem* item : items_) item->tabControl_ = nullptr;
}

void TCZTabControl::SetPicture(const TPicture& picture) {
  picture_ = picture;
  cachedImage_ = BuildCachedImage(picture_);
  Invalidate();
}

void TCZTabControl::SelectItem(TCZTabControlItem* item) {
  for (TCZTabControlItem* other : items_) {
    if (other != item && other->Seleted()) other->SetSeleted(false);
  }
  if (!item) return;
  if (std::find(items_.begin(), items_.end(), item) != items_.end() && !item->Seleted()) {
    item->SetSeleted(true);
  }
}

void TCZTabControl::AddItem(TCZTabControlItem* item) {
  if (!item) return;
  if (std::find(items_.begin(), items_.end(), item) == items_.end()) items_.push_back(item);
  item->tabControl_ = this;
}

void TCZTabControl::RemoveItem(TCZTabControlItem* item) {
  if (!item) return;
  items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
}

void TCZTabControl::Paint(Canvas& canvas) {
  if (!cachedImage_ && picture_.IsPng()) cachedImage_ = BuildCachedImage(picture_);
  if (!cachedImage_) return;
  const Image& image = *cachedImage_;
  // Stretched to the full width, natural height.
  canvas.DrawImage(image, {0, 0, image.Width(), image.Height()}, {0, 0, Width(), image.Height()});
}

TCZTabControlItem::TCZTabControlItem(Control* parent) : Control(parent) {}

TCZTabControlItem::~TCZTabControlItem() {
  if (tabControl_) tabControl_->RemoveItem(this);
}

void TCZTabControlItem::AttachTo(TCZTabControl* strip) {
  if (!strip || strip == tabControl_) return;
  if (tabControl_) tabControl_->RemoveItem(this);
  SetParent(strip);
  strip->AddItem(this);
}

void TCZTabControlItem::SetPicture(const TPicture& picture) {
  picture_ = picture;
  cachedImage_ = BuildCachedImage(picture_);
  Invalidate();
}

void TCZTabControlItem::SetICON(const TPicture& icon) {
  icon_ = icon;
  cachedIcon_ = BuildCachedImage(icon_);
  Invalidate();
}

void TCZTabControlItem::SetSeleted(bool v) {
  seleted_ = v;
  Invalidate();
}

void TCZTabControlItem::SetPictureTop(int v) {
  pictureTop_ = v;
  Invalidate();
}
void TCZTabControlItem::SetICONTop(int v) {
  iconTop_ = v;
  Invalidate();
}
void TCZTabControlItem::SetCaptionTop(int v) {
  captionTop_ = v;
  Invalidate();
}
void TCZTabControlItem::SetCaption(const std::string& caption) {
  caption_ = caption;
  Invalidate();
}

int TCZTabControlItem::FrameIndex() const {
  if (seleted_) return 2;
  if (mouseStatus_ == TMouseStatus::MouseStatusOn || mouseStatus_ == TMouseStatus::MouseStatusDown)
    return 1;
  return 0;
}

void TCZTabControlItem::Paint(Canvas& canvas) {
  canvas.SetFont(GetFont());
  if (!cachedImage_ && picture_.IsPng()) cachedImage_ = BuildCachedImage(picture_);
  if (!cachedIcon_ && icon_.IsPng()) cachedIcon_ = BuildCachedImage(icon_);
  const int w = Width();
  if (!cachedImage_) {
    canvas.FrameRect(ClientRect(), kItemOutline);
  } else {
    const Image& image = *cachedImage_;
    const int fw = static_cast<int>(static_cast<unsigned>(image.Width()) / 3u);
    canvas.DrawImage(image, {FrameIndex() * fw, 0, fw, image.Height()},
                     {(w - fw) / 2, pictureTop_, fw, image.Height()});
    if (cachedIcon_) {
      const Image& icon = *cachedIcon_;
      canvas.DrawImage(icon, {0, 0, icon.Width(), icon.Height()},
                       {(w - icon.Width()) / 2, iconTop_, icon.Width(), icon.Height()});
    }
  }
  // Every caption on a strip shares the strip's font, colour and size.
  if (tabControl_) canvas.SetFont(tabControl_->GetFont());
  canvas.SetBrushStyle(BrushStyle::kClear);
  Rect r = ClientRect();
  canvas.DrawText(caption_, Rect::FromEdges(r.x, r.y + captionTop_, r.Right(), r.Bottom()),
                  kTextSingleLine | kTextVCenter | kTextCenter);
}

void TCZTabControlItem::SetStatus(TMouseStatus status) {
  if (status == mouseStatus_) return;
  mouseStatus_ = status;
  Invalidate();
}

void TCZTabControlItem::MouseEnter() {
  Control::MouseEnter();
  SetStatus(TMouseStatus::MouseStatusOn);
}

void TCZTabControlItem::MouseLeave() {
  Control::MouseLeave();
  SetStatus(TMouseStatus::MouseStatusNormal);
}

void TCZTabControlItem::MouseDown(MouseButton button, ShiftState shift, int x, int y) {
  Control::MouseDown(button, shift, x, y);
  SetStatus(TMouseStatus::MouseStatusDown);
}

void TCZTabControlItem::MouseUp(MouseButton button, ShiftState shift, int x, int y) {
  Control::MouseUp(button, shift, x, y);
  SetStatus(TMouseStatus::MouseStatusNormal);
}

}  // namespace kestrune
