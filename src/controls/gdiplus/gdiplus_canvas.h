// The canvas over GDI+ (its flat API): the Windows drawing backend. Works on
// a window's device context and on our own images (CreateImageCanvas).
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "controls/canvas.h"

namespace Gdiplus {
class GpGraphics;
}  // namespace Gdiplus

namespace kestrune {

// Starts GDI+ once for the process (every canvas and measurement calls it).
void EnsureGdiplus();

class GdiplusCanvas : public Canvas {
 public:
  // Draws on the graphics; takes ownership when `owned`.
  GdiplusCanvas(Gdiplus::GpGraphics* graphics, bool owned);
  // Draws on a device context (a window's paint DC or a memory DC).
  static std::unique_ptr<GdiplusCanvas> ForDc(HDC dc);
  ~GdiplusCanvas() override;
  GdiplusCanvas(const GdiplusCanvas&) = delete;
  GdiplusCanvas& operator=(const GdiplusCanvas&) = delete;

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

  Gdiplus::GpGraphics* Graphics() const { return graphics_; }

 private:
  // Premultiplied ARGB pixels drawn unscaled with their top left at (x, y).
  void Blit(const uint8_t* pixels, int width, int height, int stride, int x, int y);

  Gdiplus::GpGraphics* graphics_;
  bool owned_;
  std::vector<unsigned long> states_;  // GraphicsState of each Save()
};

}  // namespace kestrune
