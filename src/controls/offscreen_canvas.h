// Drawing into our own pixels: a canvas over an Image (premultiplied ARGB),
// used for the window back buffers, the shadow picture, tests and
// screenshots.
#pragma once

#include <memory>

#include "controls/canvas.h"
#include "controls/image.h"

namespace kestrune {

// A canvas drawing straight into the image's pixels. The image must outlive
// the canvas and keep its size; Flush() the canvas before reading them.
// Implemented by the drawing backend.
std::unique_ptr<Canvas> CreateImageCanvas(Image& image);

// An offscreen ARGB image with a canvas on it; Snapshot() copies the pixels,
// TakeImage() hands them over without a copy.
class OffscreenCanvas {
 public:
  OffscreenCanvas(int width, int height);
  ~OffscreenCanvas();
  OffscreenCanvas(const OffscreenCanvas&) = delete;
  OffscreenCanvas& operator=(const OffscreenCanvas&) = delete;

  Canvas& GetCanvas() { return *canvas_; }
  Image Snapshot();
  // The pixels, moved out; the canvas is gone after this and the
  // OffscreenCanvas may only be destroyed.
  Image TakeImage();
  // Every pixel becomes the colour (alpha included), whatever was there.
  void Clear(Color color);

 private:
  Image image_;
  std::unique_ptr<Canvas> canvas_;
};

// Sets every pixel of the rectangle to the colour (no blending).
void FillPixels(Image& image, const Rect& rect, Color color);

}  // namespace kestrune
