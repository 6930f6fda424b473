// The window's own canvas: the host hands it the finished back buffer, which
// is copied to the window as it is (the buffer is opaque). Everything else is
// drawn into the back buffer by the image canvas of the drawing backend.
#include "gui/win32/win32_paint.h"

#include "gui/win32/win32_gui.h"

namespace kestrune::gui::win32 {
namespace {

class WindowCanvas final : public Canvas {
 public:
  WindowCanvas(HDC dc, const Dpi& dpi) : dc_(dc), dpi_(dpi) {
    if (dpi_.value != 96) {
      // Enlarged copies are filtered, not repeated pixels.
      ::SetStretchBltMode(dc_, HALFTONE);
      ::SetBrushOrgEx(dc_, 0, 0, nullptr);
    }
  }

  void DrawImage(const Image& image, const Rect& src, const Rect& layoutDst) override {
    if (image.Empty()) return;
    const Rect dst = dpi_.Px(layoutDst.Offset(dx_, dy_));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.Width();
    info.bmiHeader.biHeight = -image.Height();  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    // The paint context's clip keeps the copy to the invalid area.
    ::StretchDIBits(dc_, dst.x, dst.y, dst.width, dst.height, src.x, image.Height() - src.Bottom(),
                    src.width, src.height, image.Data(), &info, DIB_RGB_COLORS, SRCCOPY);
  }
  void FillRect(const Rect& rect, Color color) override {
    RECT r = Physical(rect);
    HBRUSH brush = ::CreateSolidBrush(RGB(color.r, color.g, color.b));
    ::FillRect(dc_, &r, brush);
    ::DeleteObject(brush);
  }
  void FrameRect(const Rect& rect, Color color) override {
    RECT r = Physical(rect);
    HBRUSH brush = ::CreateSolidBrush(RGB(color.r, color.g, color.b));
    ::FrameRect(dc_, &r, brush);
    ::DeleteObject(brush);
  }
  // Text is drawn into the back buffer, never onto the window itself.
  void DrawText(std::string_view, const Rect&, unsigned) override {}
  Size TextExtent(std::string_view) override { return {}; }
  void Save() override { saved_ = ::SaveDC(dc_); }
  void Restore() override {
    if (saved_) ::RestoreDC(dc_, saved_);
  }
  void Translate(int dx, int dy) override {
    dx_ += dx;
    dy_ += dy;
  }
  void ClipRect(const Rect& rect) override {
    RECT r = Physical(rect);
    ::IntersectClipRect(dc_, r.left, r.top, r.right, r.bottom);
  }

 private:
  RECT Physical(const Rect& layout) const {
    const Rect r = dpi_.Px(layout.Offset(dx_, dy_));
    return {r.x, r.y, r.Right(), r.Bottom()};
  }

  HDC dc_;
  const Dpi& dpi_;
  int dx_ = 0;
  int dy_ = 0;
  int saved_ = 0;
};

}  // namespace

UINT DpiOfWindow(HWND window) {
  const UINT dpi = window ? ::GetDpiForWindow(window) : 0;
  return dpi ? dpi : 96;
}

void PaintHost(ControlHost& host, HDC target, const Dpi& dpi) {
  WindowCanvas canvas(target, dpi);
  host.Paint(canvas);
}

}  // namespace kestrune::gui::win32
