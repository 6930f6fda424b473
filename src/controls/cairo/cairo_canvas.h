// The canvas over a cairo_t, text through Pango: the Linux drawing backend.
// Works on the screen (a cairo_t handed over by the window) and on our own
// images (CreateImageCanvas).
#pragma once

#include "controls/canvas.h"

// Cairo's own type name, declared as cairo.h does.
typedef struct _cairo cairo_t;  // NOLINT(bugprone-reserved-identifier)

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
  void Flush() override;
  // On an X11 window: a buffer in memory shared with the display server.
  std::unique_ptr<FrameBuffer> CreateFrameBuffer(int width, int height) override;

  cairo_t* Context() const { return cr_; }

 private:
  cairo_t* cr_;
};

}  // namespace kestrune
