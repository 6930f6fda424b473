// TCZBaseControl and the three drawing models.
#include "controls/base_control.h"

namespace kestrune {

int HalfRoundEven(int n) {
  int half = n / 2;
  // Only odd n leave a .5; round it to the even neighbour.
  if (n % 2 != 0 && half % 2 != 0) half += (n > 0 ? 1 : -1);
  return half;
}

void DrawImageNormal(Canvas& canvas, const Image& image, const Rect& dst) {
  canvas.DrawImage(image, {0, 0, image.Width(), image.Height()}, dst);
}

namespace {

// Every pixel of the (clipped) source rectangle fully transparent.
bool IsClear(const Image& image, const Rect& src) {
  const Rect r = src.Intersect({0, 0, image.Width(), image.Height()});
  for (int y = r.y; y < r.Bottom(); ++y)
    for (int x = r.x; x < r.Right(); ++x)
      if (image.Pixel(x, y) != 0) return false;
  return true;
}

}  // namespace

void DrawImageStretch(Canvas& canvas, const Image& image, const Rect& dst, int offLeft,
                      int offTop) {
  const int W = image.Width(), H = image.Height();
  const int x0 = dst.x, y0 = dst.y, x1 = dst.Right(), y1 = dst.Bottom();
  const int w = dst.width, h = dst.height;
  const int R = W - offLeft, B = H - offTop;
  struct Piece {
    Rect src, dst;
  };
  const Piece pieces[9] = {
      {{0, 0, offLeft, offTop}, {x0, y0, offLeft, offTop}},
      {{offLeft, 0, R, offTop}, {x1 - R, y0, R, offTop}},
      {{0, offTop, offLeft, B}, {x0, y1 - B, offLeft, B}},
      {{offLeft, offTop, R, B}, {x1 - R, y1 - B, R, B}},
      // The top edge comes from a 10-pixel strip, the other edges from one line.
      {{offLeft, 0, 10, offTop}, {x0 + offLeft, y0, w - W, offTop}},
      {{0, offTop, offLeft, 1}, {x0, y0 + offTop, offLeft, h - H}},
      {{offLeft, offTop, R, 1}, {x1 - R, y0 + offTop, R, h - H}},
      {{offLeft, offTop, 1, B}, {x0 + offLeft, y1 - B, w - W, B}},
      {{offLeft, offTop, 1, 1}, {x0 + offLeft, y0 + offTop, w - W, h - H}},
  };
  for (const Piece& p : pieces) {
    // A control smaller than its picture would give negative gaps: those
    // pieces are left out rather than drawn mirrored.
    if (p.dst.width <= 0 || p.dst.height <= 0 || p.src.width <= 0 || p.src.height <= 0) continue;
    // A fully transparent piece changes nothing (a shadow's clear middle,
    // stretched over the whole window, is most of its area).
    if (IsClear(image, p.src)) continue;
    canvas.DrawImage(image, p.src, p.dst);
  }
}

void DrawThreePart(Canvas& canvas, const Image& image, const Rect& src, const Rect& dst) {
  const int m = std::min(src.width, dst.width);
  const int half = HalfRoundEven(m);
  const int rest = m - half;
  canvas.DrawImage(image, {src.x, src.y, half, src.height}, {dst.x, dst.y, half, dst.height});
  canvas.DrawImage(image, {src.x + src.width - rest, src.y, rest, src.height},
                   {dst.x + dst.width - rest, dst.y, rest, dst.height});
  if (dst.width > m) {
    canvas.DrawImage(image, {src.x + HalfRoundEven(src.width), src.y, 1, src.height},
                     {dst.x + half, dst.y, dst.width - m, dst.height});
  }
}

void DrawImageFrames(Canvas& canvas, const Image& image, const Rect& dst, int nImage,
                     TImageModel model, TMouseStatus status) {
  if (nImage != 3 && nImage != 4) return;
  const int f = static_cast<int>(status);
  if (f >= nImage) return;  // a 3-frame strip has no disabled look
  const int W = image.Width(), H = image.Height();
  if (model == TImageModel::VerticalModel) {
    const int fh = H / nImage;
    canvas.DrawImage(image, {0, f * fh, W, fh}, dst);
    return;
  }
  const int fw = W / nImage;
  if (nImage == 3) {
    canvas.DrawImage(image, {f * fw, 0, fw, H}, dst);
  } else {
    DrawThreePart(canvas, image, {f * fw, 0, fw, H}, dst);
  }
}

TCZBaseControl::TCZBaseControl(Control* parent) : Control(parent) {}

void TCZBaseControl::SetDrawModel(TDrawModel v) {
  drawModel_ = v;
  Invalidate();
}

void TCZBaseControl::SetOffLeft(int v) {
  offLeft_ = v;
  Invalidate();
}

void TCZBaseControl::SetOffTop(int v) {
  offTop_ = v;
  Invalidate();
}

void TCZBaseControl::SetImageModel(TImageModel v) {
  imageModel_ = v;
  PictureChanged();
  Invalidate();
}

void TCZBaseControl::SetNImage(int v) {
  nImage_ = v;
  FrameCountChanged();
  Invalidate();
}

void TCZBaseControl::SetPicture(const TPicture& picture) {
  picture_ = picture;
  // A graphic that is not a PNG is kept but never drawn, so the old cached
  // image must not stay on screen in its place.
  cachedImage_.reset();
  if (picture_.IsPng()) RebuildCachedImage();
  PictureChanged();
  Invalidate();
}

void TCZBaseControl::SetCaption(const std::string& caption) {
  if (caption != caption_) caption_ = caption;
  Invalidate();
}

void TCZBaseControl::SetMouseStatus(TMouseStatus status) {
  if (Enabled()) {
    if (status == mouseStatus_) return;
    mouseStatus_ = status;
    Invalidate();
    return;
  }
  if (mouseStatus_ == TMouseStatus::MouseStatusDisabled) return;
  mouseStatus_ = TMouseStatus::MouseStatusDisabled;
  Invalidate();
}

void TCZBaseControl::RebuildCachedImage() {
  cachedImage_ = BuildCachedImage(picture_);
  failedPicture_ = cachedImage_ ? nullptr : picture_.Id();
}

void TCZBaseControl::DrawPicture(Canvas& canvas, const Rect& rect) {
  if (!cachedImage_ && picture_.IsPng() && picture_.Id() != failedPicture_) RebuildCachedImage();
  if (!cachedImage_) return;
  const Image& image = *cachedImage_;
  switch (drawModel_) {
    case TDrawModel::DrawNormal:
      DrawImageNormal(canvas, image, rect);
      break;
    case TDrawModel::DrawStretch:
      DrawImageStretch(canvas, image, rect, offLeft_, offTop_);
      break;
    case TDrawModel::DrawNImage:
      DrawImageFrames(canvas, image, rect, nImage_, imageModel_, mouseStatus_);
      break;
  }
}

void TCZBaseControl::PrepareCanvas(Canvas& canvas) const {
  canvas.SetFont(GetFont());
  canvas.SetBrushStyle(BrushStyle::kClear);
}

}  // namespace kestrune
