// Cairo drawing and Pango text for the canvas interface.
#include "controls/cairo/cairo_canvas.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>

#include "controls/offscreen_canvas.h"
#include "controls/text_measure.h"
#include "controls/ui_font.h"

namespace kestrune {

namespace {

void SetSource(cairo_t* cr, Color c) {
  cairo_set_source_rgba(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0, c.a / 255.0);
}

// Layouts are expensive to build and the same few hundred texts are drawn at
// every paint, so they are kept keyed by everything that shapes them.
class TextEngine {
 public:
  static TextEngine& Get() {
    static TextEngine engine;
    return engine;
  }

  PangoLayout* Layout(const Font& font, std::string_view text, unsigned flags, int width,
                      int height) {
    std::string key;
    key.reserve(text.size() + font.name.size() + 48);
    key.append(font.name).append("\x1f").append(std::to_string(font.height));
    key += font.bold ? 'B' : 'b';
    key += font.underline ? 'U' : 'u';
    key.append(std::to_string(flags)).append(",").append(std::to_string(width));
    key.append(",").append(std::to_string(height)).append("\x1f").append(text);
    auto it = cache_.find(key);
    if (it != cache_.end()) return it->second;
    if (cache_.size() >= kMaxCached) Clear();
    PangoLayout* layout = Build(font, text, flags, width, height);
    cache_.emplace(std::move(key), layout);
    return layout;
  }

 private:
  static constexpr size_t kMaxCached = 2048;

  TextEngine() {
    PangoFontMap* map = pango_cairo_font_map_get_default();
    context_ = pango_font_map_create_context(map);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    pango_cairo_context_set_font_options(context_, options);
    cairo_font_options_destroy(options);
  }
  ~TextEngine() {
    Clear();
    g_object_unref(context_);
  }
  void Clear() {
    for (auto& [k, v] : cache_) g_object_unref(v);
    cache_.clear();
  }

  PangoLayout* Build(const Font& font, std::string_view text, unsigned flags, int width,
                     int height) {
    PangoLayout* layout = pango_layout_new(context_);
    // The face itself first, then the CJK face that is installed, so the
    // text renders even where neither of the Windows faces exists.
    std::string family = font.name + "," + std::string(kUiFontInstalledCjk) + ",sans-serif";
    PangoFontDescription* desc = pango_font_description_new();
    pango_font_description_set_family(desc, family.c_str());
    pango_font_description_set_absolute_size(desc, font.height * PANGO_SCALE);
    pango_font_description_set_weight(desc, font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_layout_set_font_description(layout, desc);
    pango_font_description_free(desc);
    if (font.underline) {
      PangoAttrList* attrs = pango_attr_list_new();
      pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
      pango_layout_set_attributes(layout, attrs);
      pango_attr_list_unref(attrs);
    }
    std::string shown = ShownText(text, flags);
    if (flags & kTextRtlReading) shown = "\u202B" + shown + "\u202C";
    pango_layout_set_text(layout, shown.c_str(), static_cast<int>(shown.size()));
    if (flags & kTextSingleLine) pango_layout_set_single_paragraph_mode(layout, TRUE);
    bool wrap = !(flags & kTextSingleLine) && (flags & kTextWordBreak);
    if (wrap && width > 0) {
      pango_layout_set_width(layout, width * PANGO_SCALE);
      pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
      if (flags & kTextCenter) pango_layout_set_alignment(layout, PANGO_ALIGN_CENTER);
      if (flags & kTextRight) pango_layout_set_alignment(layout, PANGO_ALIGN_RIGHT);
    }
    if ((flags & kTextEndEllipsis) && width > 0) {
      pango_layout_set_width(layout, width * PANGO_SCALE);
      pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
      if (wrap && height > 0) pango_layout_set_height(layout, height * PANGO_SCALE);
    }
    return layout;
  }

  PangoContext* context_ = nullptr;
  std::unordered_map<std::string, PangoLayout*> cache_;
};

Size LayoutSize(PangoLayout* layout) {
  PangoRectangle logical;
  pango_layout_get_pixel_extents(layout, nullptr, &logical);
  return {logical.width, logical.height};
}

}  // namespace

CairoCanvas::CairoCanvas(cairo_t* cr) : cr_(cr) {}
CairoCanvas::~CairoCanvas() = default;

namespace {

// A frame buffer on an image surface the window's surface made: cairo keeps
// it in shared memory on X11 and shows it with one request, no copy.
class CairoFrameBuffer final : public FrameBuffer {
 public:
  CairoFrameBuffer(cairo_surface_t* surface, int width, int height)
      : FrameBuffer(Image::Borrow(
            reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface)), width, height)),
        surface_(surface) {}
  ~CairoFrameBuffer() override { cairo_surface_destroy(surface_); }

  void BeginDraw() override { cairo_surface_flush(surface_); }
  void EndDraw() override { cairo_surface_mark_dirty(surface_); }
  void Present(Canvas& target, const Rect& area) override {
    auto* cairo = dynamic_cast<CairoCanvas*>(&target);
    if (!cairo) return FrameBuffer::Present(target, area);
    cairo_t* cr = cairo->Context();
    cairo_save(cr);
    cairo_set_source_surface(cr, surface_, 0, 0);
    cairo_rectangle(cr, area.x, area.y, area.width, area.height);
    cairo_fill(cr);
    cairo_restore(cr);
  }

 private:
  cairo_surface_t* surface_;
};

}  // namespace

std::unique_ptr<FrameBuffer> CairoCanvas::CreateFrameBuffer(int width, int height) {
  cairo_surface_t* surface =
      cairo_surface_create_similar_image(cairo_get_target(cr_), CAIRO_FORMAT_ARGB32, width, height);
  // Our images are rows of exactly width pixels; anything else stays in plain memory.
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS ||
      cairo_image_surface_get_data(surface) == nullptr ||
      cairo_image_surface_get_stride(surface) != width * 4) {
    cairo_surface_destroy(surface);
    return Canvas::CreateFrameBuffer(width, height);
  }
  // A new image surface is cleared already, but one from a reused shared
  // segment may not be: start from transparent as plain memory does.
  cairo_surface_flush(surface);
  std::memset(cairo_image_surface_get_data(surface), 0,
              static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
  cairo_surface_mark_dirty(surface);
  return std::make_unique<CairoFrameBuffer>(surface, width, height);
}

void CairoCanvas::DrawImage(const Image& image, const Rect& src, const Rect& dst) {
  const std::optional<ImagePlacement> placed = PlaceImage(image, src, dst);
  if (!placed) return;
  const auto& [s, scaleX, scaleY, dx, dy, dw, dh] = *placed;
  cairo_surface_t* whole = cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(const_cast<uint32_t*>(image.Data())), CAIRO_FORMAT_ARGB32,
      image.Width(), image.Height(), image.Stride());
  // A sub-surface keeps the scaling filter from bleeding in neighbouring
  // frames of the strip; pad extends the edge pixels instead.
  cairo_surface_t* part = cairo_surface_create_for_rectangle(whole, s.x, s.y, s.width, s.height);
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(part);
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
  const double sx = 1.0 / scaleX, sy = 1.0 / scaleY;
  cairo_matrix_t m;
  cairo_matrix_init_scale(&m, sx, sy);
  cairo_matrix_translate(&m, -dx, -dy);
  cairo_pattern_set_matrix(pattern, &m);
  cairo_pattern_set_filter(pattern,
                           (sx == 1.0 && sy == 1.0) ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_BILINEAR);
  cairo_save(cr_);
  cairo_set_source(cr_, pattern);
  cairo_rectangle(cr_, dx, dy, dw, dh);
  cairo_fill(cr_);
  cairo_restore(cr_);
  cairo_pattern_destroy(pattern);
  cairo_surface_destroy(part);
  cairo_surface_destroy(whole);
}

void CairoCanvas::FillRect(const Rect& rect, Color color) {
  if (rect.Empty()) return;
  cairo_save(cr_);
  SetSource(cr_, color);
  cairo_rectangle(cr_, rect.x, rect.y, rect.width, rect.height);
  cairo_fill(cr_);
  cairo_restore(cr_);
}

void CairoCanvas::FrameRect(const Rect& rect, Color color) {
  if (rect.Empty()) return;
  cairo_save(cr_);
  SetSource(cr_, color);
  cairo_set_line_width(cr_, 1.0);
  cairo_rectangle(cr_, rect.x + 0.5, rect.y + 0.5, rect.width - 1, rect.height - 1);
  cairo_stroke(cr_);
  cairo_restore(cr_);
}

void CairoCanvas::DrawText(std::string_view utf8, const Rect& rect, unsigned flags) {
  if (utf8.empty() || rect.Empty()) return;
  PangoLayout* layout = TextEngine::Get().Layout(font_, utf8, flags, rect.width, rect.height);
  Size size = LayoutSize(layout);
  bool laidOutInWidth = pango_layout_get_width(layout) > 0;
  int x = rect.x;
  if (!laidOutInWidth || pango_layout_get_ellipsize(layout) != PANGO_ELLIPSIZE_NONE) {
    if (flags & kTextCenter) x = rect.x + (rect.width - size.width) / 2;
    if (flags & kTextRight) x = rect.Right() - size.width;
  }
  int y = rect.y;
  if ((flags & kTextSingleLine) && (flags & kTextVCenter))
    y = rect.y + (rect.height - size.height) / 2;
  cairo_save(cr_);
  cairo_rectangle(cr_, rect.x, rect.y, rect.width, rect.height);
  cairo_clip(cr_);
  if (brush_.style == BrushStyle::kSolid) {
    SetSource(cr_, brush_.color);
    cairo_rectangle(cr_, x, y, size.width, size.height);
    cairo_fill(cr_);
  }
  SetSource(cr_, font_.color);
  cairo_move_to(cr_, x, y);
  pango_cairo_show_layout(cr_, layout);
  cairo_restore(cr_);
}

Size CairoCanvas::TextExtent(std::string_view utf8) {
  return MeasureText(font_, utf8);
}

void CairoCanvas::Save() {
  cairo_save(cr_);
}
void CairoCanvas::Restore() {
  cairo_restore(cr_);
}
void CairoCanvas::Translate(int dx, int dy) {
  cairo_translate(cr_, dx, dy);
}
void CairoCanvas::ClipRect(const Rect& rect) {
  cairo_rectangle(cr_, rect.x, rect.y, rect.width, rect.height);
  cairo_clip(cr_);
}
void CairoCanvas::Flush() {
  cairo_surface_flush(cairo_get_target(cr_));
}

Size MeasureText(const Font& font, std::string_view utf8) {
  if (utf8.empty())
    return {0,
            LayoutSize(TextEngine::Get().Layout(font, " ", kTextSingleLine | kTextNoPrefix, 0, 0))
                .height};
  return LayoutSize(TextEngine::Get().Layout(font, utf8, kTextSingleLine | kTextNoPrefix, 0, 0));
}

Size MeasureWrappedText(const Font& font, std::string_view utf8, int width) {
  return LayoutSize(TextEngine::Get().Layout(font, utf8, kTextWordBreak | kTextNoPrefix, width, 0));
}

namespace {

// A canvas with its own context on an image surface over our pixels.
class CairoImageCanvas : public CairoCanvas {
 public:
  CairoImageCanvas(cairo_surface_t* surface, cairo_t* cr) : CairoCanvas(cr), surface_(surface) {}
  ~CairoImageCanvas() override {
    cairo_destroy(Context());
    cairo_surface_destroy(surface_);
  }

 private:
  cairo_surface_t* surface_;
};

}  // namespace

std::unique_ptr<Canvas> CreateImageCanvas(Image& image) {
  cairo_surface_t* surface = cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(image.Data()), CAIRO_FORMAT_ARGB32, image.Width(),
      image.Height(), image.Stride());
  return std::make_unique<CairoImageCanvas>(surface, cairo_create(surface));
}

}  // namespace kestrune
