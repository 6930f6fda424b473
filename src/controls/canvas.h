// The drawing surface every control paints on. It names no graphics library:
// cairo/ draws it with Cairo and Pango (Linux), gdiplus/ with GDI+ (Windows),
// RecordingCanvas records the calls (tests). Coordinates are pixels;
// Translate/clip let a host paint a control in its own client coordinates.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "controls/geometry.h"
#include "controls/image.h"

namespace kestrune {

// Text layout flags, same bit values as the classic DrawText flags so layout
// data and tests read naturally.
enum TextFlags : unsigned {
  kTextLeft = 0x0,
  kTextCenter = 0x1,
  kTextRight = 0x2,
  kTextVCenter = 0x4,
  kTextWordBreak = 0x10,
  kTextSingleLine = 0x20,
  kTextNoPrefix = 0x800,
  kTextEndEllipsis = 0x8000,
  kTextRtlReading = 0x20000,
};

inline constexpr int kDefaultCharset = 1;
inline constexpr int kGb2312Charset = 134;

struct Font {
  std::string name = "宋体";
  int height = 12;  // character height in pixels (a font height of -12)
  Color color = colors::kWindowText;
  bool bold = false;
  bool underline = false;
  int charset = kDefaultCharset;
  friend bool operator==(const Font&, const Font&) = default;
};

enum class BrushStyle { kClear, kSolid };

struct Brush {
  BrushStyle style = BrushStyle::kSolid;
  Color color = colors::kWindow;
  friend bool operator==(const Brush&, const Brush&) = default;
};

// The text a canvas shows for these flags: without kTextNoPrefix an '&'
// marks an accelerator and is not shown, and "&&" shows one '&'.
std::string ShownText(std::string_view text, unsigned flags);

// Where a DrawImage lands: the part of the source rectangle that lies inside
// the image, drawn at the place and scale the whole rectangle would have had
// (fractional destination pixels).
struct ImagePlacement {
  Rect source;
  double scaleX, scaleY;
  double x, y, width, height;
};
// Nothing to draw (an empty image or rectangle, a source outside the image): nullopt.
std::optional<ImagePlacement> PlaceImage(const Image& image, const Rect& src, const Rect& dst);

class Canvas;

// The pixels a window keeps between frames. The window's canvas makes it, so
// it can live where that canvas shows it fastest: on X11, memory shared with
// the display server, shown without a copy into a second buffer.
class FrameBuffer {
 public:
  explicit FrameBuffer(Image pixels) : pixels_(std::move(pixels)) {}
  virtual ~FrameBuffer() = default;
  FrameBuffer(const FrameBuffer&) = delete;
  FrameBuffer& operator=(const FrameBuffer&) = delete;

  Image& Pixels() { return pixels_; }
  // Around drawing into Pixels(): the display may still be reading them
  // before, and must learn of the change after.
  virtual void BeginDraw() {}
  virtual void EndDraw() {}
  // The rectangle `area` of the buffer, at the same place on `target` (the
  // canvas that made the buffer, or one like it).
  virtual void Present(Canvas& target, const Rect& area);

 protected:
  Image pixels_;
};

class Canvas {
 public:
  virtual ~Canvas() = default;

  // Source rectangle of the image (pixels) scaled into the destination.
  virtual void DrawImage(const Image& image, const Rect& src, const Rect& dst) = 0;
  virtual void FillRect(const Rect& rect, Color color) = 0;
  // One-pixel outline just inside the rectangle.
  virtual void FrameRect(const Rect& rect, Color color) = 0;
  // Text in the current font; a solid brush fills behind the text first.
  virtual void DrawText(std::string_view utf8, const Rect& rect, unsigned flags) = 0;
  // Size of a single line of text in the current font.
  virtual Size TextExtent(std::string_view utf8) = 0;

  // State stack: translation and clip are restored by Restore().
  virtual void Save() = 0;
  virtual void Restore() = 0;
  virtual void Translate(int dx, int dy) = 0;
  virtual void ClipRect(const Rect& rect) = 0;
  // Finishes pending drawing, so the pixels underneath may be read.
  virtual void Flush() {}
  // A fully transparent frame buffer to present on this canvas (plain memory
  // unless the canvas knows better).
  virtual std::unique_ptr<FrameBuffer> CreateFrameBuffer(int width, int height) {
    return std::make_unique<FrameBuffer>(Image(width, height));
  }

  void SetFont(const Font& font) { font_ = font; }
  const Font& GetFont() const { return font_; }
  Font& MutableFont() { return font_; }
  void SetBrush(const Brush& brush) { brush_ = brush; }
  void SetBrushStyle(BrushStyle style) { brush_.style = style; }
  const Brush& GetBrush() const { return brush_; }

 protected:
  Font font_;
  Brush brush_;
};

}  // namespace kestrune
