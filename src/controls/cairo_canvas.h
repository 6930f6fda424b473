// Canvas over a cairo_t, text through Pango. Works on the screen (a cairo_t
// handed over by the window) and on offscreen image surfaces.
#pragma once

#include <memory>

#include "controls/canvas.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace kestrune {

class CairoCanvas : public Canvas {
 public:
  explicit CairoCanvas(cairo_t* cr);  // does not take ownership
  ~CairoCanvas() override;

  void DrawImage(const Image& image, const Rect& src, const Rect& dst) override;
  void FillRect(const Rect& rect, Color color) override;
  void FrameRect(const Rect& rect, Color color) override;
  void DrawText(std::string_view utf8, const Rect& rect, unsigned flags) override;
  Size TextExtent(std::string_view utf8) override;
  void Save() override;
  void Restore() override;
  void Translate(int dx, int dy) override;
  void ClipRect(const Rect& rect) override;

  cairo_t* Context() const { return cr_; }

 private:
  cairo_t* cr_;
};

// An offscreen ARGB image with a canvas on it; Snapshot() copies the pixels.
class OffscreenCanvas {
 public:
  OffscreenCanvas(int width, int height);
  ~OffscreenCanvas();
  OffscreenCanvas(const OffscreenCanvas&) = delete;
  OffscreenCanvas& operator=(const OffscreenCanvas&) = delete;

  CairoCanvas& GetCanvas() { return *canvas_; }
  Image Snapshot();
  void Clear(Color color);

 private:
  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
  std::unique_ptr<CairoCanvas> canvas_;
};

// Text measurement without a visible surface (auto-sizing labels).
Size MeasureText(const Font& font, std::string_view utf8);
// Height of the text laid out with word wrapping at the given width.
Size MeasureWrappedText(const Font& font, std::string_view utf8, int width);

}  // namespace kestrune
