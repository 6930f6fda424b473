// GDI+ drawing and text for the canvas interface, through the flat API.
#include "controls/gdiplus/gdiplus_canvas.h"

#include <windows.h>
// (after windows.h, whose types it uses)
#include <gdiplus.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include "controls/offscreen_canvas.h"
#include "controls/text_measure.h"
#include "controls/ui_font.h"
#include "platform/utf8.h"

namespace kestrune {

namespace gp = Gdiplus;
// The flat API's functions (all named Gdip...).
using namespace Gdiplus::DllExports;

void EnsureGdiplus() {
  // Started once and left running: canvases live until the process ends.
  static const bool started = [] {
    ULONG_PTR token = 0;
    gp::GdiplusStartupInput input;
    return gp::GdiplusStartup(&token, &input, nullptr) == gp::Ok;
  }();
  (void)started;
}

namespace {

gp::ARGB ToArgb(Color c) {
  return (gp::ARGB{c.a} << 24) | (gp::ARGB{c.r} << 16) | (gp::ARGB{c.g} << 8) | c.b;
}

std::wstring Wide(std::string_view utf8) {
  std::u16string u16 = Utf8ToUtf16(utf8);
  return std::wstring(u16.begin(), u16.end());
}

// Pixel centres at half coordinates (as Cairo has them), so integer
// rectangles cover whole pixels; grey-scale antialiased text, as on a
// transparent surface no sub-pixel rendering can be right.
void Prepare(gp::GpGraphics* g) {
  GdipSetPixelOffsetMode(g, gp::PixelOffsetModeHalf);
  GdipSetSmoothingMode(g, gp::SmoothingModeNone);
  GdipSetTextRenderingHint(g, gp::TextRenderingHintAntiAliasGridFit);
  GdipSetCompositingMode(g, gp::CompositingModeSourceOver);
}

// Families the text falls back to when its own face is missing, so CJK text
// never shows as boxes: the installed CJK faces Windows and Linux (under
// Wine) commonly have.
constexpr const char* kCjkFallbacks[] = {
    "WenQuanYi Micro Hei", "Microsoft YaHei",     "SimSun", "NSimSun", "SimHei",
    "Noto Sans CJK SC",    "Droid Sans Fallback",
};

// Fonts are made once per face, size and style and kept: the same few are
// used at every paint.
class FontCache {
 public:
  static FontCache& Get() {
    static FontCache cache;
    return cache;
  }

  gp::GpFont* FontFor(const Font& font) {
    auto key = std::make_tuple(font.name, font.height, font.bold, font.underline, font.charset);
    std::lock_guard lock(mu_);
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second;
    gp::GpFont* made = Make(font);
    fonts_.emplace(std::move(key), made);
    return made;
  }

 private:
  static std::string Face(const Font& font) {
    if (FontFamilyInstalled(font.name)) return font.name;
    for (const char* face : kCjkFallbacks) {
      if (FontFamilyInstalled(face)) return face;
    }
    return {};
  }

  static gp::GpFont* Make(const Font& font) {
    const std::string face = Face(font);
    int style = font.bold ? gp::FontStyleBold : gp::FontStyleRegular;
    if (font.underline) style |= gp::FontStyleUnderline;
    const gp::REAL size = static_cast<gp::REAL>(std::max(1, font.height));
    gp::GpFont* made = nullptr;
    // Through a LOGFONT first, so the character set takes part in the
    // font mapper's choice as it does for the program's GDI text.
    if (!face.empty()) {
      LOGFONTW lf{};
      lf.lfHeight = -std::max(1, font.height);
      lf.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
      lf.lfUnderline = font.underline ? TRUE : FALSE;
      lf.lfCharSet = static_cast<BYTE>(font.charset);
      lf.lfQuality = ANTIALIASED_QUALITY;
      const std::wstring wide = Wide(face);
      std::copy_n(wide.c_str(), std::min<size_t>(wide.size(), LF_FACESIZE - 1), lf.lfFaceName);
      HDC dc = CreateCompatibleDC(nullptr);
      if (GdipCreateFontFromLogfontW(dc, &lf, &made) != gp::Ok) made = nullptr;
      DeleteDC(dc);
      if (!made) {
        gp::GpFontFamily* family = nullptr;
        if (GdipCreateFontFamilyFromName(wide.c_str(), nullptr, &family) == gp::Ok) {
          if (GdipCreateFont(family, size, style, gp::UnitPixel, &made) != gp::Ok) made = nullptr;
          GdipDeleteFontFamily(family);
        }
      }
    }
    if (!made) {
      gp::GpFontFamily* family = nullptr;
      if (GdipGetGenericFontFamilySansSerif(&family) == gp::Ok) {
        if (GdipCreateFont(family, size, style, gp::UnitPixel, &made) != gp::Ok) made = nullptr;
        GdipDeleteFontFamily(family);
      }
    }
    return made;
  }

  std::mutex mu_;
  std::map<std::tuple<std::string, int, bool, bool, int>, gp::GpFont*> fonts_;
};

// A string format for the flags: no padding around the text (the typographic
// format), alignment only where the text is laid out in a width.
class Format {
 public:
  Format(unsigned flags, bool inWidth) {
    gp::GpStringFormat* typographic = nullptr;
    GdipStringFormatGetGenericTypographic(&typographic);
    GdipCloneStringFormat(typographic, &format_);
    INT f = gp::StringFormatFlagsNoFitBlackBox | gp::StringFormatFlagsNoClip;
    if (flags & kTextSingleLine || !(flags & kTextWordBreak)) f |= gp::StringFormatFlagsNoWrap;
    if (flags & kTextRtlReading) f |= gp::StringFormatFlagsDirectionRightToLeft;
    GdipSetStringFormatFlags(format_, f);
    GdipSetStringFormatTrimming(format_, (flags & kTextEndEllipsis)
                                             ? gp::StringTrimmingEllipsisCharacter
                                             : gp::StringTrimmingNone);
    GdipSetStringFormatHotkeyPrefix(format_, gp::HotkeyPrefixNone);
    gp::StringAlignment align = gp::StringAlignmentNear;
    if (inWidth && (flags & kTextCenter)) align = gp::StringAlignmentCenter;
    if (inWidth && (flags & kTextRight)) align = gp::StringAlignmentFar;
    GdipSetStringFormatAlign(format_, align);
  }
  ~Format() { GdipDeleteStringFormat(format_); }
  Format(const Format&) = delete;
  Format& operator=(const Format&) = delete;
  gp::GpStringFormat* Get() const { return format_; }

 private:
  gp::GpStringFormat* format_ = nullptr;
};

// The graphics text is measured on when no surface is at hand.
gp::GpGraphics* MeasuringGraphics() {
  static gp::GpGraphics* graphics = [] {
    EnsureGdiplus();
    static uint32_t pixel = 0;
    gp::GpBitmap* bitmap = nullptr;
    GdipCreateBitmapFromScan0(1, 1, 4, PixelFormat32bppPARGB, reinterpret_cast<BYTE*>(&pixel),
                              &bitmap);
    gp::GpGraphics* g = nullptr;
    GdipGetImageGraphicsContext(bitmap, &g);
    Prepare(g);
    return g;
  }();
  return graphics;
}

// Distance from the top of a line to its baseline, in pixels.
float Ascent(gp::GpFont* font) {
  gp::GpFontFamily* family = nullptr;
  if (GdipGetFamily(font, &family) != gp::Ok) return 0;
  INT style = 0;
  gp::REAL size = 0;
  UINT16 ascent = 0, em = 0;
  GdipGetFontStyle(font, &style);
  GdipGetFontSize(font, &size);
  GdipGetCellAscent(family, style, &ascent);
  GdipGetEmHeight(family, style, &em);
  GdipDeleteFontFamily(family);
  return em ? size * ascent / em : size;
}

// Size of the text laid out in `width` pixels (0: unlimited), whole pixels.
Size Measure(gp::GpGraphics* g, const Font& font, const std::wstring& text, unsigned flags,
             int width) {
  gp::GpFont* gpFont = FontCache::Get().FontFor(font);
  if (!gpFont) return {};
  Format format(flags, width > 0);
  gp::RectF layout(0, 0, static_cast<gp::REAL>(std::max(0, width)), 0);
  gp::RectF box(0, 0, 0, 0);
  const std::wstring measured = text.empty() ? L" " : text;
  GdipMeasureString(g, measured.c_str(), static_cast<INT>(measured.size()), gpFont, &layout,
                    format.Get(), &box, nullptr, nullptr);
  return {text.empty() ? 0 : static_cast<int>(std::ceil(box.Width - 0.01f)),
          static_cast<int>(std::ceil(box.Height - 0.01f))};
}

}  // namespace

GdiplusCanvas::GdiplusCanvas(gp::GpGraphics* graphics, bool owned)
    : graphics_(graphics), owned_(owned) {
  Prepare(graphics_);
}

std::unique_ptr<GdiplusCanvas> GdiplusCanvas::ForDc(HDC dc) {
  EnsureGdiplus();
  gp::GpGraphics* g = nullptr;
  if (GdipCreateFromHDC(dc, &g) != gp::Ok) return nullptr;
  return std::make_unique<GdiplusCanvas>(g, true);
}

GdiplusCanvas::~GdiplusCanvas() {
  if (owned_ && graphics_) GdipDeleteGraphics(graphics_);
}

void GdiplusCanvas::DrawImage(const Image& image, const Rect& src, const Rect& dst) {
  const std::optional<ImagePlacement> placed = PlaceImage(image, src, dst);
  if (!placed) return;
  const auto& [s, scaleX, scaleY, dx, dy, dw, dh] = *placed;
  if (scaleX == 1.0 && scaleY == 1.0) {
    // A bitmap over just the source part, without a copy.
    const uint8_t* first = reinterpret_cast<const uint8_t*>(image.Data()) +
                           static_cast<size_t>(s.y) * image.Stride() + static_cast<size_t>(s.x) * 4;
    Blit(first, s.width, s.height, image.Stride(), static_cast<int>(dx), static_cast<int>(dy));
    return;
  }
  // Scaled here rather than by GDI+, whose filters place pixel centres
  // differently from one implementation to the next: bilinear between pixel
  // centres, the edge pixels extended (never a neighbouring frame of the
  // strip), every destination pixel whose centre the rectangle covers.
  const int x0 = static_cast<int>(std::ceil(dx - 0.5)),
            x1 = static_cast<int>(std::ceil(dx + dw - 0.5));
  const int y0 = static_cast<int>(std::ceil(dy - 0.5)),
            y1 = static_cast<int>(std::ceil(dy + dh - 0.5));
  if (x1 <= x0 || y1 <= y0) return;
  Image scaled(x1 - x0, y1 - y0);
  std::vector<int> left(scaled.Width()), right(scaled.Width());
  std::vector<uint32_t> weight(scaled.Width());  // of the right pixel, 0..256
  for (int x = 0; x < scaled.Width(); ++x) {
    double u = (x0 + x + 0.5 - dx) / scaleX - 0.5;
    u = std::clamp(u, 0.0, static_cast<double>(s.width - 1));
    left[x] = static_cast<int>(u);
    right[x] = std::min(left[x] + 1, s.width - 1);
    weight[x] = static_cast<uint32_t>(std::lround((u - left[x]) * 256));
  }
  auto mix = [](uint32_t a, uint32_t b, uint32_t w) {
    // Per channel a + (b - a) * w / 256, on premultiplied values.
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      const uint32_t ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
      out |= ((ca * (256 - w) + cb * w + 128) >> 8) << shift;
    }
    return out;
  };
  for (int y = 0; y < scaled.Height(); ++y) {
    double v = (y0 + y + 0.5 - dy) / scaleY - 0.5;
    v = std::clamp(v, 0.0, static_cast<double>(s.height - 1));
    const int top = static_cast<int>(v), bottom = std::min(top + 1, s.height - 1);
    const uint32_t wy = static_cast<uint32_t>(std::lround((v - top) * 256));
    for (int x = 0; x < scaled.Width(); ++x) {
      const uint32_t upper = mix(image.Pixel(s.x + left[x], s.y + top),
                                 image.Pixel(s.x + right[x], s.y + top), weight[x]);
      const uint32_t lower = mix(image.Pixel(s.x + left[x], s.y + bottom),
                                 image.Pixel(s.x + right[x], s.y + bottom), weight[x]);
      scaled.SetPixel(x, y, mix(upper, lower, wy));
    }
  }
  Blit(reinterpret_cast<const uint8_t*>(scaled.Data()), scaled.Width(), scaled.Height(),
       scaled.Stride(), x0, y0);
}

void GdiplusCanvas::Blit(const uint8_t* pixels, int width, int height, int stride, int x, int y) {
  gp::GpBitmap* bitmap = nullptr;
  if (GdipCreateBitmapFromScan0(width, height, stride, PixelFormat32bppPARGB,
                                const_cast<BYTE*>(pixels), &bitmap) != gp::Ok)
    return;
  GdipSetInterpolationMode(graphics_, gp::InterpolationModeNearestNeighbor);
  GdipDrawImageRectRectI(graphics_, bitmap, x, y, width, height, 0, 0, width, height, gp::UnitPixel,
                         nullptr, nullptr, nullptr);
  GdipDisposeImage(bitmap);
}

void GdiplusCanvas::FillRect(const Rect& rect, Color color) {
  if (rect.Empty()) return;
  gp::GpSolidFill* brush = nullptr;
  if (GdipCreateSolidFill(ToArgb(color), &brush) != gp::Ok) return;
  GdipFillRectangleI(graphics_, brush, rect.x, rect.y, rect.width, rect.height);
  GdipDeleteBrush(brush);
}

void GdiplusCanvas::FrameRect(const Rect& rect, Color color) {
  if (rect.Empty()) return;
  // Four edges that do not overlap, so a translucent colour is laid once.
  FillRect({rect.x, rect.y, rect.width, 1}, color);
  if (rect.height > 1) FillRect({rect.x, rect.Bottom() - 1, rect.width, 1}, color);
  if (rect.height > 2) {
    FillRect({rect.x, rect.y + 1, 1, rect.height - 2}, color);
    if (rect.width > 1) FillRect({rect.Right() - 1, rect.y + 1, 1, rect.height - 2}, color);
  }
}

void GdiplusCanvas::DrawText(std::string_view utf8, const Rect& rect, unsigned flags) {
  if (utf8.empty() || rect.Empty()) return;
  const std::wstring text = Wide(ShownText(utf8, flags));
  const bool wrap = !(flags & kTextSingleLine) && (flags & kTextWordBreak);
  const bool ellipsis = flags & kTextEndEllipsis;
  const bool inWidth = wrap || ellipsis;
  // A line's underline is drawn here: not every GDI+ draws the font's own.
  const bool ownUnderline = font_.underline && !wrap;
  Font face = font_;
  if (ownUnderline) face.underline = false;
  gp::GpFont* gpFont = FontCache::Get().FontFor(face);
  if (!gpFont) return;
  Size size = Measure(graphics_, face, text, flags, inWidth ? rect.width : 0);
  // A line placed by its measured width (a shortened line too); wrapped
  // lines are aligned one by one by the layout.
  int x = rect.x;
  if (!wrap) {
    if (flags & kTextCenter) x = rect.x + (rect.width - size.width) / 2;
    if (flags & kTextRight) x = rect.Right() - size.width;
  }
  int y = rect.y;
  if ((flags & kTextSingleLine) && (flags & kTextVCenter))
    y = rect.y + (rect.height - size.height) / 2;
  gp::GraphicsState state = 0;
  GdipSaveGraphics(graphics_, &state);
  GdipSetClipRectI(graphics_, rect.x, rect.y, rect.width, rect.height, gp::CombineModeIntersect);
  if (brush_.style == BrushStyle::kSolid) FillRect({x, y, size.width, size.height}, brush_.color);
  gp::GpSolidFill* ink = nullptr;
  if (GdipCreateSolidFill(ToArgb(font_.color), &ink) == gp::Ok) {
    // Laid out in the rectangle's width when it wraps or shortens (aligned
    // by the format); from x without a limit (0) otherwise.
    Format format(flags, inWidth);
    gp::RectF layout(static_cast<gp::REAL>(inWidth ? rect.x : x), static_cast<gp::REAL>(y),
                     static_cast<gp::REAL>(inWidth ? rect.width : 0),
                     static_cast<gp::REAL>(wrap && ellipsis ? rect.Bottom() - y : 0));
    GdipDrawString(graphics_, text.c_str(), static_cast<INT>(text.size()), gpFont, &layout,
                   format.Get(), ink);
    GdipDeleteBrush(ink);
  }
  if (ownUnderline) {
    // One pixel, one row below the baseline.
    FillRect({x, y + static_cast<int>(std::floor(Ascent(gpFont))) + 1, size.width, 1}, font_.color);
  }
  GdipRestoreGraphics(graphics_, state);
}

Size GdiplusCanvas::TextExtent(std::string_view utf8) {
  return MeasureText(font_, utf8);
}

void GdiplusCanvas::Save() {
  gp::GraphicsState state = 0;
  GdipSaveGraphics(graphics_, &state);
  states_.push_back(state);
}

void GdiplusCanvas::Restore() {
  if (states_.empty()) return;
  GdipRestoreGraphics(graphics_, states_.back());
  states_.pop_back();
}

void GdiplusCanvas::Translate(int dx, int dy) {
  GdipTranslateWorldTransform(graphics_, static_cast<gp::REAL>(dx), static_cast<gp::REAL>(dy),
                              gp::MatrixOrderPrepend);
}

void GdiplusCanvas::ClipRect(const Rect& rect) {
  GdipSetClipRectI(graphics_, rect.x, rect.y, rect.width, rect.height, gp::CombineModeIntersect);
}

void GdiplusCanvas::Flush() {
  GdipFlush(graphics_, gp::FlushIntentionSync);
}

namespace {

// A canvas with its own graphics on a bitmap over our pixels.
class GdiplusImageCanvas : public GdiplusCanvas {
 public:
  GdiplusImageCanvas(gp::GpBitmap* bitmap, gp::GpGraphics* graphics)
      : GdiplusCanvas(graphics, false), bitmap_(bitmap) {}
  ~GdiplusImageCanvas() override {
    GdipDeleteGraphics(Graphics());
    GdipDisposeImage(bitmap_);
  }

 private:
  gp::GpBitmap* bitmap_;
};

}  // namespace

std::unique_ptr<Canvas> CreateImageCanvas(Image& image) {
  EnsureGdiplus();
  gp::GpBitmap* bitmap = nullptr;
  GdipCreateBitmapFromScan0(image.Width(), image.Height(), image.Stride(), PixelFormat32bppPARGB,
                            reinterpret_cast<BYTE*>(image.Data()), &bitmap);
  gp::GpGraphics* graphics = nullptr;
  GdipGetImageGraphicsContext(bitmap, &graphics);
  return std::make_unique<GdiplusImageCanvas>(bitmap, graphics);
}

Size MeasureText(const Font& font, std::string_view utf8) {
  return Measure(MeasuringGraphics(), font, Wide(utf8), kTextSingleLine | kTextNoPrefix, 0);
}

Size MeasureWrappedText(const Font& font, std::string_view utf8, int width) {
  return Measure(MeasuringGraphics(), font, Wide(utf8), kTextWordBreak | kTextNoPrefix, width);
}

}  // namespace kestrune
