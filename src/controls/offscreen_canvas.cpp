// Offscreen drawing over the backend's image canvas.
#include "controls/offscreen_canvas.h"

#include <algorithm>
#include <utility>

namespace kestrune {

OffscreenCanvas::OffscreenCanvas(int width, int height)
    : image_(width, height), canvas_(CreateImageCanvas(image_)) {}

OffscreenCanvas::~OffscreenCanvas() = default;

Image OffscreenCanvas::Snapshot() {
  canvas_->Flush();
  return image_;
}

Image OffscreenCanvas::TakeImage() {
  canvas_->Flush();
  canvas_.reset();
  Image out = std::move(image_);
  image_ = Image();
  return out;
}

void OffscreenCanvas::Clear(Color color) {
  canvas_->Flush();
  FillPixels(image_, {0, 0, image_.Width(), image_.Height()}, color);
}

void FillPixels(Image& image, const Rect& rect, Color color) {
  Rect r = rect.Intersect({0, 0, image.Width(), image.Height()});
  if (r.Empty()) return;
  auto pre = [&](uint8_t c) { return static_cast<uint32_t>((c * color.a + 127) / 255); };
  const uint32_t argb =
      (uint32_t{color.a} << 24) | (pre(color.r) << 16) | (pre(color.g) << 8) | pre(color.b);
  for (int y = r.y; y < r.Bottom(); ++y) {
    uint32_t* row = image.Data() + static_cast<size_t>(y) * image.Width();
    std::fill(row + r.x, row + r.Right(), argb);
  }
}

}  // namespace kestrune
