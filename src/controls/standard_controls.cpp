// Label, panel, button, plain picture and the eight-frame check box.
#include "controls/standard_controls.h"

#include "controls/resources.h"

namespace kestrune {

// --- TCZStandardLabel ---

TCZStandardLabel::TCZStandardLabel(Control* parent) : TCZBaseControl(parent) {
  SetOffLeft(3);
  SetOffTop(3);
}

void TCZStandardLabel::Paint(Canvas& canvas) {
  PrepareCanvas(canvas);
  canvas.DrawText(Caption(), ClientRect(),
                  kTextSingleLine | kTextVCenter | kTextWordBreak | kTextEndEllipsis);
}

// --- TCZStandardPanel ---

TCZStandardPanel::TCZStandardPanel(Control* parent) : TCZBaseControl(parent) {
  SetOffLeft(3);
  SetOffTop(3);
}

void TCZStandardPanel::Paint(Canvas& canvas) {
  PrepareCanvas(canvas);
  bool isDefaultDraw = true;
  if (OnPaint) OnPaint(*this, canvas, isDefaultDraw);
  if (isDefaultDraw) DrawPicture(canvas, ClientRect());
}

void TCZStandardPanel::FitToPicture() {
  if (DrawModel() != TDrawModel::DrawNormal || !CachedImage()) return;
  SetBounds(Left(), Top(), CachedImage()->Width(), CachedImage()->Height());
}

// --- TCZStandardButton ---

TCZStandardButton::TCZStandardButton(Control* parent) : TCZBaseControl(parent) {
  SetNImage(3);
  SetImageModel(TImageModel::VerticalModel);
  SetDrawModel(TDrawModel::DrawNImage);
}

void TCZStandardButton::SetTextRectTop(int v) {
  if (v == textRectTop_) return;
  textRectTop_ = v;
  Invalidate();
}

void TCZStandardButton::SetEnableDownLoadModel(bool v) {
  enableDownLoadModel_ = v;
  Invalidate();
}
void TCZStandardButton::SetPosition(int v) {
  position_ = v;
  Invalidate();
}
void TCZStandardButton::SetCloseButtonLeft(int v) {
  closeButtonLeft_ = v;
  Invalidate();
}
void TCZStandardButton::SetCloseButtonTop(int v) {
  closeButtonTop_ = v;
  Invalidate();
}

void TCZStandardButton::Paint(Canvas& canvas) {
  PrepareCanvas(canvas);
  DrawPicture(canvas, ClientRect());
  if (Caption().empty()) return;
  Rect r = ClientRect();
  Rect text = Rect::FromEdges(r.x + textRectLeft_, r.y + textRectTop_, r.Right(), r.Bottom());
  canvas.DrawText(Caption(), text, kTextSingleLine | kTextVCenter | kTextCenter);
}

void TCZStandardButton::LoadPicture(std::string_view resourceName) {
  ReleaseCachedImage();
  TPicture picture;
  LoadPngResource(picture, resourceName);  // throws; Picture stays as it was
  SetPictureRaw(picture);
  RebuildCachedImage();
  PictureChanged();
  Invalidate();
}

void TCZStandardButton::PictureChanged() {
  if (NImage() <= 0) SetNImage(3);
  const Image* image = CachedImage();
  if (!image) return;
  if (ImageModel() == TImageModel::VerticalModel) {
    SetBounds(Left(), Top(), image->Width(), image->Height() / NImage());
  } else {
    SetBounds(Left(), Top(), image->Width() / NImage(), image->Height());
  }
}

void TCZStandardButton::FrameCountChanged() {
  if (NImage() <= 0) SetNImage(3);
  const Image* image = CachedImage();
  if (!image) return;
  SetBounds(Left(), Top(), image->Width(), image->Height() / NImage());
}

void TCZStandardButton::EnabledChanged() {
  SetMouseStatus(Enabled() ? TMouseStatus::MouseStatusNormal : TMouseStatus::MouseStatusDisabled);
  Invalidate();
}

void TCZStandardButton::MouseEnter() {
  Control::MouseEnter();
  SetMouseStatus(TMouseStatus::MouseStatusOn);
}

void TCZStandardButton::MouseLeave() {
  Control::MouseLeave();
  SetMouseStatus(TMouseStatus::MouseStatusNormal);
}

void TCZStandardButton::MouseDown(MouseButton button, ShiftState shift, int x, int y) {
  Control::MouseDown(button, shift, x, y);
  SetMouseStatus(TMouseStatus::MouseStatusDown);
}

void TCZStandardButton::MouseUp(MouseButton button, ShiftState shift, int x, int y) {
  Control::MouseUp(button, shift, x, y);
  SetMouseStatus(TMouseStatus::MouseStatusNormal);
}

// --- TCZStandImage ---

TCZStandImage::TCZStandImage(Control* parent) : TCZBaseControl(parent) {
  SetBounds(Left(), Top(), 100, 100);
}

void TCZStandImage::Paint(Canvas& canvas) {
  DrawPicture(canvas, ClientRect());
}

// --- TCZCheckBox2 ---

TCZCheckBox2::TCZCheckBox2(Control* parent) : Control(parent) {
  SetBounds(Left(), Top(), 200, 25);
}

void TCZCheckBox2::SetChecked(bool v) {
  checked_ = v;
  Invalidate();
}

void TCZCheckBox2::SetPicture(const TPicture& picture) {
  picture_ = picture;
  cachedImage_ = BuildCachedImage(picture_);
  Invalidate();
}

void TCZCheckBox2::SetCaption(const std::string& caption) {
  caption_ = caption;
  Invalidate();
}

int TCZCheckBox2::FrameIndex() const {
  int base = checked_ ? 5 : 0;
  if (pressed_) return base + 2;
  if (hover_) return base + 1;
  return base;
}

void TCZCheckBox2::Paint(Canvas& canvas) {
  canvas.SetFont(GetFont());
  canvas.SetBrushStyle(BrushStyle::kClear);
  if (!cachedImage_ && picture_.IsPng()) cachedImage_ = BuildCachedImage(picture_);
  Rect client = ClientRect();
  int textLeft = client.x + 6;
  if (cachedImage_) {
    const Image& image = *cachedImage_;
    int fw = image.Width() / 8;
    int top = client.y + (client.height - image.Height()) / 2;
    canvas.DrawImage(image, {FrameIndex() * fw, 0, fw, image.Height()},
                     {client.x, top, fw, image.Height()});
    textLeft = client.x + fw + 6;
  }
  canvas.DrawText(caption_, Rect::FromEdges(textLeft, client.y, client.Right(), client.Bottom()),
                  kTextSingleLine | kTextVCenter);
}

void TCZCheckBox2::MouseEnter() {
  Control::MouseEnter();
  hover_ = true;
  Invalidate();
}

void TCZCheckBox2::MouseLeave() {
  Control::MouseLeave();
  hover_ = false;
  Invalidate();
}

void TCZCheckBox2::MouseDown(MouseButton button, ShiftState shift, int x, int y) {
  Control::MouseDown(button, shift, x, y);
  pressed_ = true;
  Invalidate();
}

void TCZCheckBox2::MouseUp(MouseButton button, ShiftState shift, int x, int y) {
  Control::MouseUp(button, shift, x, y);
  pressed_ = false;
  hover_ = false;
  Invalidate();
}

void TCZCheckBox2::Click() {
  checked_ = !checked_;
  Control::Click();  // the handler sees the new value
  Invalidate();
}

}  // namespace kestrune
