// The nine-sliced shadow picture and the companion that keeps the layered
// shadow surface in step with its form.
#include "controls/shadow_form.h"

#include <utility>

#include "controls/base_control.h"
#include "controls/offscreen_canvas.h"
#include "controls/resources.h"

namespace kestrune {

TCZBaseImage::TCZBaseImage(std::string_view resourceName, int cornerWidth, int cornerHeight)
    : cornerWidth_(cornerWidth),
      cornerHeight_(cornerHeight),
      image_(LoadPngResourceImage(resourceName)) {}

TCZBaseImage::TCZBaseImage(std::shared_ptr<const Image> image, int cornerWidth, int cornerHeight)
    : cornerWidth_(cornerWidth), cornerHeight_(cornerHeight), image_(std::move(image)) {
  if (!image_) throw PngError("no shadow picture");
}

void TCZBaseImage::DrawNineSlice(Canvas& canvas, int width, int height) const {
  DrawImageStretch(canvas, *image_, {0, 0, width, height}, cornerWidth_, cornerHeight_);
}

TShadowForm::TShadowForm(ShadowOwnerForm& form) : form_(form) {
  form_.SetDoubleBuffered(true);
  image_ = std::make_unique<TCZBaseImage>("ShadowImage", 24, 24);
  margins_ = kMargins;
  window_ = form_.CreateShadowWindow(ShadowRect());
}

TShadowForm::~TShadowForm() {
  window_.reset();
  image_.reset();
}

Rect TShadowForm::ShadowRect(const Rect& r) {
  return Rect::FromEdges(r.x - kMargins.left, r.y - kMargins.top, r.Right() + kMargins.right,
                         r.Bottom() + kMargins.bottom);
}

void TShadowForm::ShowShadow(bool visible) {
  if (!window_ || !window_->IsWindow()) return;
  if (visible) {
    if (!window_->CanShow()) return;
    UpdateShadow();
    window_->ShowNoActivate();
  } else {
    window_->Hide();
  }
}

void TShadowForm::UpdateShadow() {
  if (!window_) return;
  window_->SetRect(ShadowRect());
  PaintShadow();
}

void TShadowForm::MoveShadow() {
  if (!window_) return;
  Rect r = ShadowRect();
  window_->MoveTo({r.x, r.y});
}

Image TShadowForm::RenderShadow(int width, int height) const {
  if (width <= 0 || height <= 0) return Image();
  OffscreenCanvas off(width, height);
  off.Clear(colors::kTransparent);
  image_->DrawNineSlice(off.GetCanvas(), width, height);
  return off.TakeImage();
}

void TShadowForm::PaintShadow() {
  if (!window_) return;
  Rect r = window_->WindowRect();
  const unsigned generation = window_->SurfaceGeneration();
  if (r.width == paintedWidth_ && r.height == paintedHeight_ && generation == paintedGeneration_)
    return;
  Image pixels = RenderShadow(r.width, r.height);
  if (pixels.Empty()) return;
  window_->UpdateLayered(std::move(pixels), {r.x, r.y});
  paintedWidth_ = r.width;
  paintedHeight_ = r.height;
  paintedGeneration_ = generation;
}

void TShadowForm::ActivateReaction(bool active) {
  if (active) {
    MoveShadow();
  } else {
    ShowShadow(form_.FormVisible());
  }
}

void TShadowForm::OwnerWindowProc(const FormMessage& m) {
  using K = FormMessage::Kind;
  switch (m.kind) {
    case K::kMove:
    case K::kMoving:
      if (window_ && form_.DragFullWindows()) MoveShadow();
      break;
    case K::kSize:
      if (!window_) break;
      ShowShadow(!(m.sizeType == FormMessage::kSizeMinimized ||
                   m.sizeType == FormMessage::kSizeMaximized));
      break;
    case K::kShowWindow:
      ShowShadow(m.shown);
      break;
    case K::kWindowPosChanging:
      if (!m.hasPos) break;
      if (m.posFlags & FormMessage::kShowWindowFlag) {
        ShowShadow(true);
      } else if (m.posFlags & FormMessage::kHideWindowFlag) {
        ShowShadow(false);
      } else if (window_ && window_->IsWindow()) {
        MoveShadow();
      }
      break;
    case K::kWindowPosChanged:
      if (!m.hasPos) break;
      if (m.posFlags & FormMessage::kShowWindowFlag) {
        ShowShadow(true);
      } else if (m.posFlags & FormMessage::kHideWindowFlag) {
        ShowShadow(false);
      }
      break;
    case K::kActivate:
    case K::kActivateApp:
    case K::kNcActivate:
      ActivateReaction(m.active);
      break;
  }
}

}  // namespace kestrune
