// Draws every skin picture of the program with Cairo and Pango and writes
// them as PNGs into the folder given on the command line. One look for all:
// flat surfaces, 4-pixel corners, a blue accent on a slate title area.
// Run through the `skins` build target; the output is committed.
#include <cairo.h>
#include <pango/pangocairo.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

namespace {

struct Rgba {
  double r, g, b, a;
};
Rgba Hex(unsigned rgb, double a = 1.0) {
  return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, a};
}

// The palette.
const Rgba kAccent = Hex(0x2B7CE9);
const Rgba kAccentHover = Hex(0x4A90F0);
const Rgba kAccentDown = Hex(0x1F63C4);
const Rgba kSlate = Hex(0x1E293B);
const Rgba kSlateDeep = Hex(0x0F172A);
const Rgba kWhite = Hex(0xFFFFFF);
const Rgba kBorder = Hex(0xC9CED6);
const Rgba kBorderLight = Hex(0xE2E5EA);
const Rgba kFaint = Hex(0xF4F6F9);
const Rgba kPaleAccent = Hex(0xEAF2FE);
const Rgba kPaleAccentDown = Hex(0xD6E6FD);
const Rgba kText = Hex(0x333333);
const Rgba kMuted = Hex(0x9AA3AE);
const Rgba kDanger = Hex(0xE5484D);
const Rgba kWarn = Hex(0xF59E0B);
const Rgba kGreen = Hex(0x16A34A);
const Rgba kOrange = Hex(0xF08101);
const char* kFace = "WenQuanYi Micro Hei";

std::string gOutDir;
int gWritten = 0;
bool gFailed = false;

void Source(cairo_t* cr, Rgba c) {
  cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a);
}

void RoundRect(cairo_t* cr, double x, double y, double w, double h, double r) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
  cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

// A filled rounded box with a crisp 1-pixel border.
void Box(cairo_t* cr, double x, double y, double w, double h, double r, Rgba fill, Rgba border) {
  RoundRect(cr, x + 0.5, y + 0.5, w - 1, h - 1, r);
  Source(cr, fill);
  cairo_fill_preserve(cr);
  Source(cr, border);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
}

void Fill(cairo_t* cr, double x, double y, double w, double h, double r, Rgba fill) {
  RoundRect(cr, x, y, w, h, r);
  Source(cr, fill);
  cairo_fill(cr);
}

// Text centred on (cx, cy), or left-aligned at x when left is set.
void Text(cairo_t* cr, const std::string& text, double px, bool bold, Rgba color, double cx,
          double cy, bool left = false) {
  PangoLayout* layout = pango_cairo_create_layout(cr);
  PangoFontDescription* desc = pango_font_description_new();
  pango_font_description_set_family(desc, kFace);
  pango_font_description_set_absolute_size(desc, px * PANGO_SCALE);
  pango_font_description_set_weight(desc, bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_layout_set_font_description(layout, desc);
  pango_font_description_free(desc);
  pango_layout_set_text(layout, text.c_str(), -1);
  PangoRectangle ink, logical;
  pango_layout_get_pixel_extents(layout, &ink, &logical);
  double x = left ? cx : cx - logical.width / 2.0;
  double y = cy - logical.height / 2.0;
  // A text must lie within its picture (or its frame of a strip): a
  // translation that is too long fails here instead of being cut off.
  double x1, y1, x2, y2;
  cairo_clip_extents(cr, &x1, &y1, &x2, &y2);
  if (x < x1 || x + logical.width > x2) {
    std::fprintf(stderr, "text '%s' (%d px wide) does not fit in %.0f..%.0f\n", text.c_str(),
                 logical.width, x1, x2);
    gFailed = true;
  }
  cairo_move_to(cr, std::round(x), std::round(y));
  Source(cr, color);
  pango_cairo_show_layout(cr, layout);
  g_object_unref(layout);
}

void Save(cairo_surface_t* s, const std::string& name) {
  std::string path = gOutDir + "/" + name + ".png";
  if (cairo_surface_write_to_png(s, path.c_str()) != CAIRO_STATUS_SUCCESS) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    gFailed = true;
    return;
  }
  ++gWritten;
}

// One picture of w x h drawn by `draw`.
void Picture(const std::string& name, int w, int h, const std::function<void(cairo_t*)>& draw) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  cairo_t* cr = cairo_create(s);
  draw(cr);
  cairo_destroy(cr);
  Save(s, name);
  cairo_surface_destroy(s);
}

// A horizontal strip of n frames, each drawn by draw(cr, frame, fw, h) in
// frame-local coordinates.
void Strip(const std::string& name, int frames, int fw, int h,
           const std::function<void(cairo_t*, int, int, int)>& draw, int totalWidth = 0) {
  Picture(name, totalWidth > 0 ? totalWidth : frames * fw, h, [&](cairo_t* cr) {
    for (int f = 0; f < frames; ++f) {
      cairo_save(cr);
      cairo_rectangle(cr, f * fw, 0, fw, h);
      cairo_clip(cr);
      cairo_translate(cr, f * fw, 0);
      draw(cr, f, fw, h);
      cairo_restore(cr);
    }
  });
}

// Frames of the 4-frame buttons: normal, hover (highlighted border), pressed, faded.
enum Frame { kNormal = 0, kHover = 1, kDown = 2, kDisabled = 3 };

void LightButton(cairo_t* cr, int f, int w, int h, const std::string& label = "",
                 Rgba labelColor = kText, double px = 13) {
  Rgba fill = f == kHover      ? kPaleAccent
              : f == kDown     ? kPaleAccentDown
              : f == kDisabled ? kFaint
                               : kWhite;
  Rgba border = f == kHover || f == kDown ? kAccent : f == kDisabled ? kBorderLight : kBorder;
  Box(cr, 0, 0, w, h, 4, fill, border);
  if (!label.empty())
    Text(cr, label, px, false, f == kDisabled ? kMuted : labelColor, w / 2.0, h / 2.0);
}

void AccentButton(cairo_t* cr, int f, int w, int h, const std::string& label = "", double px = 14,
                  bool bold = false, Rgba base = kAccent, Rgba hover = kAccentHover,
                  Rgba down = kAccentDown) {
  Rgba fill = f == kHover ? hover : f == kDown ? down : f == kDisabled ? Hex(0xC4CAD3) : base;
  Fill(cr, 0, 0, w, h, 4, fill);
  if (f == kHover) {  // a highlighted border
    RoundRect(cr, 0.5, 0.5, w - 1, h - 1, 4);
    Source(cr, Hex(0xFFFFFF, 0.55));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
  }
  if (!label.empty())
    Text(cr, label, px, bold, f == kDisabled ? Hex(0xF1F3F5) : kWhite, w / 2.0, h / 2.0);
}

// Caption buttons sit on the dark title area: glyph only, a soft plate on hover.
void CaptionButton(cairo_t* cr, int f, int w, int h, const std::function<void(cairo_t*)>& glyph,
                   bool danger) {
  if (f == kHover) Fill(cr, 0, 0, w, h, 0, danger ? kDanger : Hex(0xFFFFFF, 0.16));
  if (f == kDown) Fill(cr, 0, 0, w, h, 0, danger ? Hex(0xC53030) : Hex(0xFFFFFF, 0.28));
  Source(cr, f == kDisabled ? Hex(0xFFFFFF, 0.35) : kWhite);
  cairo_set_line_width(cr, 1.4);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  glyph(cr);
}

void ComboFrame(cairo_t* cr, int f, int w, int h) {
  Rgba fill = f == 2 ? kPaleAccent : kWhite;
  Rgba border = f == 0 ? kBorder : kAccent;
  Box(cr, 0, 0, w, h, 4, fill, border);
  // Chevron.
  double cx = w - 14, cy = h / 2.0;
  cairo_move_to(cr, cx - 4, cy - 2);
  cairo_line_to(cr, cx, cy + 2);
  cairo_line_to(cr, cx + 4, cy - 2);
  Source(cr, f == 0 ? Hex(0x7A8593) : kAccent);
  cairo_set_line_width(cr, 1.5);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_stroke(cr);
}

void Circle(cairo_t* cr, double cx, double cy, double r, Rgba c) {
  cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
  Source(cr, c);
  cairo_fill(cr);
}

// The texts drawn into pictures, per interface language: the program loads
// "<name>_<language>" when it runs in that language (resources/i18n/*.po
// holds every other text).
struct ArtTexts {
  const char* suffix;
  const char* apply;
  const char* restore;
  const char* start;
  const char* greeting;
  const char* conflict;
  const char* fixing;
  const char* andWord;
  const char* thanks;
  const char* choose;
  const char* social;
};
const ArtTexts kArtTexts[] = {
    {"", "一键优化", "还原", "启动游戏", "亲爱的玩家，您好！",
     "当前版本的 Kestrune 与 Orvane 存在兼容性问题，暂时无法同时运行。",
     "我们正在全力修复，修复进度可关注 Orvane 的社区主页", "及", "，感谢您的理解与支持。",
     "请选择您现在要使用的程序：", "Orvane 社区主页"},
    {"_en", "Optimise", "Restore", "Start game", "Hello, player!",
     "This version of Kestrune cannot run together with Orvane yet.",
     "We are working on a fix: follow it on Orvane's", "and", "- thank you for your patience.",
     "Which program do you want to use now?", "community page"},
};

void MakeAll() {
  // --- caption buttons: 4 frames of 27 x 22 ---
  Strip("SysClose", 4, 27, 22, [](cairo_t* cr, int f, int w, int h) {
    CaptionButton(
        cr, f, w, h,
        [](cairo_t* c) {
          cairo_move_to(c, 9.5, 7.5);
          cairo_line_to(c, 17.5, 15.5);
          cairo_move_to(c, 17.5, 7.5);
          cairo_line_to(c, 9.5, 15.5);
          cairo_stroke(c);
        },
        true);
  });
  Strip("SysMin", 4, 27, 22, [](cairo_t* cr, int f, int w, int h) {
    CaptionButton(
        cr, f, w, h,
        [](cairo_t* c) {
          cairo_move_to(c, 9, 11.5);
          cairo_line_to(c, 18, 11.5);
          cairo_stroke(c);
        },
        false);
  });
  Strip("SysOption", 4, 27, 22, [](cairo_t* cr, int f, int w, int h) {
    CaptionButton(
        cr, f, w, h,
        [](cairo_t* c) {
          for (double y : {7.5, 11.5, 15.5}) {
            cairo_move_to(c, 9, y);
            cairo_line_to(c, 18, y);
          }
          cairo_stroke(c);
        },
        false);
  });

  // --- dialog buttons ---
  Strip("DialogButton", 4, 75, 26,
        [](cairo_t* cr, int f, int w, int h) { LightButton(cr, f, w, h); });
  Strip("WarningCloseGameButton", 4, 102, 32,
        [](cairo_t* cr, int f, int w, int h) { LightButton(cr, f, w, h); });
  Strip("WarningOKButton", 4, 82, 32,
        [](cairo_t* cr, int f, int w, int h) { AccentButton(cr, f, w, h); });
  Strip("ChooseButton", 4, 100, 32,
        [](cairo_t* cr, int f, int w, int h) { AccentButton(cr, f, w, h); });

  // --- optimisation page buttons with their text in the art, per language ---
  for (const ArtTexts& t : kArtTexts) {
    Strip(std::string("ApplyButton") + t.suffix, 4, 180, 50,
          [&t](cairo_t* cr, int f, int w, int h) { AccentButton(cr, f, w, h, t.apply, 20, true); });
    Strip(std::string("RestoreButton") + t.suffix, 4, 80, 26,
          [&t](cairo_t* cr, int f, int w, int h) {
            LightButton(cr, f, w, h, t.restore, kAccent, 13);
          });
    Strip(std::string("StartGameButton") + t.suffix, 4, 94, 44,
          [&t](cairo_t* cr, int f, int w, int h) {
            AccentButton(cr, f, w, h, t.start, 15, true, kGreen, Hex(0x22B45A), Hex(0x12823B));
          });
  }

  // --- dialog backdrop: 370 x 60, title bar in the top 40 rows, split at 350, 40 ---
  Picture("DialogBackdrop", 370, 60, [](cairo_t* cr) {
    Source(cr, kWhite);
    cairo_paint(cr);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, 40);
    cairo_pattern_add_color_stop_rgb(g, 0, kSlate.r, kSlate.g, kSlate.b);
    cairo_pattern_add_color_stop_rgb(g, 1, kSlateDeep.r, kSlateDeep.g, kSlateDeep.b);
    cairo_rectangle(cr, 0, 0, 370, 40);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    Source(cr, kAccent);  // accent rule under the title
    cairo_rectangle(cr, 0, 38, 370, 2);
    cairo_fill(cr);
    Source(cr, kBorder);  // frame on the white part: left, right, bottom
    cairo_rectangle(cr, 0, 40, 1, 20);
    cairo_rectangle(cr, 369, 40, 1, 20);
    cairo_rectangle(cr, 0, 59, 370, 1);
    cairo_fill(cr);
  });

  // --- main window tab strip backdrop 880 x 120 ---
  Picture("MainTabBackdrop", 880, 120, [](cairo_t* cr) {
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 880, 120);
    cairo_pattern_add_color_stop_rgb(g, 0, kSlate.r, kSlate.g, kSlate.b);
    cairo_pattern_add_color_stop_rgb(g, 1, kSlateDeep.r, kSlateDeep.g, kSlateDeep.b);
    cairo_set_source(cr, g);
    cairo_paint(cr);
    cairo_pattern_destroy(g);
    // Quiet diagonal bands on the right for depth.
    for (int i = 0; i < 6; ++i) {
      cairo_move_to(cr, 560 + i * 60, 120);
      cairo_line_to(cr, 640 + i * 60, 0);
      cairo_line_to(cr, 670 + i * 60, 0);
      cairo_line_to(cr, 590 + i * 60, 120);
      cairo_close_path(cr);
      Source(cr, Hex(0xFFFFFF, 0.025));
      cairo_fill(cr);
    }
    Source(cr, kAccent);
    cairo_rectangle(cr, 0, 118, 880, 2);
    cairo_fill(cr);
  });

  // --- tab item: normal, hover or pressed, selected; 72 x 80 each ---
  Strip("TabItem", 3, 72, 80, [](cairo_t* cr, int f, int w, int h) {
    if (f == 1) Fill(cr, 2, 2, w - 4, h - 4, 6, Hex(0xFFFFFF, 0.10));
    if (f == 2) {
      Fill(cr, 2, 2, w - 4, h - 4, 6, Hex(0xFFFFFF, 0.18));
      Fill(cr, 14, h - 5, w - 28, 3, 1.5, kAccent);
    }
  });
  // Tab icons: 72 x 58, a 30-pixel line glyph centred above the caption.
  auto icon = [](const std::string& name, const std::function<void(cairo_t*)>& glyph) {
    Picture(name, 72, 58, [&](cairo_t* cr) {
      cairo_translate(cr, 21, 14);
      Source(cr, kWhite);
      cairo_set_line_width(cr, 2);
      cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
      cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
      glyph(cr);
    });
  };
  icon("TabIconHome", [](cairo_t* c) {  // gauge
    cairo_arc(c, 15, 18, 13, M_PI, 2 * M_PI);
    cairo_stroke(c);
    cairo_move_to(c, 15, 18);
    cairo_line_to(c, 23, 9);
    cairo_stroke(c);
    cairo_arc(c, 15, 18, 2.5, 0, 2 * M_PI);
    cairo_fill(c);
    cairo_move_to(c, 4, 26);
    cairo_line_to(c, 26, 26);
    cairo_stroke(c);
  });
  icon("TabIconVideo", [](cairo_t* c) {  // picture with sparkle
    RoundRect(c, 1, 4, 28, 22, 3);
    cairo_stroke(c);
    cairo_move_to(c, 4, 22);
    cairo_line_to(c, 12, 13);
    cairo_line_to(c, 18, 19);
    cairo_line_to(c, 22, 15);
    cairo_line_to(c, 27, 21);
    cairo_stroke(c);
    cairo_arc(c, 22, 10, 2.5, 0, 2 * M_PI);
    cairo_fill(c);
  });
  icon("TabIconSearch", [](cairo_t* c) {  // magnifier
    cairo_arc(c, 13, 13, 9, 0, 2 * M_PI);
    cairo_stroke(c);
    cairo_move_to(c, 20, 20);
    cairo_line_to(c, 28, 28);
    cairo_set_line_width(c, 3);
    cairo_stroke(c);
  });
  icon("TabIconSkill", [](cairo_t* c) {  // target
    cairo_arc(c, 15, 15, 12, 0, 2 * M_PI);
    cairo_stroke(c);
    cairo_arc(c, 15, 15, 6, 0, 2 * M_PI);
    cairo_stroke(c);
    cairo_move_to(c, 15, 0);
    cairo_line_to(c, 15, 8);
    cairo_move_to(c, 15, 22);
    cairo_line_to(c, 15, 30);
    cairo_move_to(c, 0, 15);
    cairo_line_to(c, 8, 15);
    cairo_move_to(c, 22, 15);
    cairo_line_to(c, 30, 15);
    cairo_stroke(c);
  });
  icon("TabIconTV", [](cairo_t* c) {  // screen with play mark
    RoundRect(c, 1, 3, 28, 20, 3);
    cairo_stroke(c);
    cairo_move_to(c, 9, 28);
    cairo_line_to(c, 21, 28);
    cairo_stroke(c);
    cairo_move_to(c, 12, 8);
    cairo_line_to(c, 20, 13);
    cairo_line_to(c, 12, 18);
    cairo_close_path(c);
    cairo_fill(c);
  });

  // --- combo box faces: normal, hover, down ---
  Strip("ComboFace", 3, 164, 26, [](cairo_t* cr, int f, int w, int h) { ComboFrame(cr, f, w, h); });
  Strip("ComboPreset", 3, 318, 32,
        [](cairo_t* cr, int f, int w, int h) { ComboFrame(cr, f, w, h); });
  Strip("ComboHistory", 3, 234, 26,
        [](cairo_t* cr, int f, int w, int h) { ComboFrame(cr, f, w, h); });

  // --- check box: 8 frames of 16 x 16 (0-2 unchecked, 3-4 unused faded, 5-7 checked) ---
  Strip("CheckBox", 8, 16, 16, [](cairo_t* cr, int f, int w, int h) {
    bool checked = f >= 4;
    int look = f < 3 ? f : f == 3 || f == 4 ? 3 : f - 5;  // 0 normal 1 hover 2 pressed 3 faded
    if (!checked) {
      Rgba fill = look == 2   ? kPaleAccentDown
                  : look == 1 ? kPaleAccent
                  : look == 3 ? kFaint
                              : kWhite;
      Rgba border = look == 1 || look == 2 ? kAccent : look == 3 ? kBorderLight : Hex(0xA9B1BC);
      Box(cr, 1, 1, w - 2, h - 2, 3, fill, border);
      return;
    }
    Rgba fill = look == 1   ? kAccentHover
                : look == 2 ? kAccentDown
                : look == 3 ? Hex(0xC4CAD3)
                            : kAccent;
    Fill(cr, 1, 1, w - 2, h - 2, 3, fill);
    cairo_move_to(cr, 4.5, 8.5);
    cairo_line_to(cr, 7, 11);
    cairo_line_to(cr, 11.5, 5.5);
    Source(cr, kWhite);
    cairo_set_line_width(cr, 1.8);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
  });

  // --- message dialog icons 40 x 40 ---
  auto dialogIcon = [](const std::string& name, Rgba color,
                       const std::function<void(cairo_t*)>& glyph) {
    Picture(name, 40, 40, [&](cairo_t* cr) {
      Circle(cr, 20, 20, 18, color);
      Source(cr, kWhite);
      cairo_set_line_width(cr, 3);
      cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
      glyph(cr);
    });
  };
  dialogIcon("ICON_MessageBox_ERROR", kDanger, [](cairo_t* c) {
    cairo_move_to(c, 14, 14);
    cairo_line_to(c, 26, 26);
    cairo_move_to(c, 26, 14);
    cairo_line_to(c, 14, 26);
    cairo_stroke(c);
  });
  dialogIcon("ICON_MessageBox_INFO", kAccent, [](cairo_t* c) {
    cairo_arc(c, 20, 12.5, 2.2, 0, 2 * M_PI);
    cairo_fill(c);
    cairo_move_to(c, 20, 18);
    cairo_line_to(c, 20, 29);
    cairo_stroke(c);
  });
  dialogIcon("ICON_MessageBox_Question", Hex(0x22A06B), [](cairo_t* c) {
    cairo_arc(c, 20, 15.5, 5, M_PI * 1.05, M_PI * 2.35);
    cairo_line_to(c, 20, 23);
    cairo_stroke(c);
    cairo_arc(c, 20, 28.5, 2, 0, 2 * M_PI);
    cairo_fill(c);
  });

  // --- warning picture 48 x 48 ---
  Picture("WarningImage", 48, 48, [](cairo_t* cr) {
    cairo_move_to(cr, 24, 4);
    cairo_line_to(cr, 45, 42);
    cairo_line_to(cr, 3, 42);
    cairo_close_path(cr);
    Source(cr, kWarn);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, 4);
    cairo_stroke_preserve(cr);
    cairo_fill(cr);
    Source(cr, kWhite);
    cairo_set_line_width(cr, 4);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, 24, 17);
    cairo_line_to(cr, 24, 29);
    cairo_stroke(cr);
    Circle(cr, 24, 36, 2.4, kWhite);
  });

  // --- the drop shadow: 48 x 48, alpha 4 at the edge fading to 0 inward ---
  {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 48, 48);
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < 48; ++y) {
      for (int x = 0; x < 48; ++x) {
        int d = std::min(std::min(x, y), std::min(47 - x, 47 - y));  // distance from the edge
        unsigned a = d < 4 ? 4u - d : 0u;
        reinterpret_cast<uint32_t*>(data + y * stride)[x] = a << 24;  // premultiplied black
      }
    }
    cairo_surface_mark_dirty(s);
    Save(s, "ShadowImage");
    cairo_surface_destroy(s);
  }

  // --- about box ---
  Picture("AboutProductLogo", 52, 52, [](cairo_t* cr) {
    Fill(cr, 0, 0, 52, 52, 12, kAccent);
    Text(cr, "K", 30, true, kWhite, 26, 26);
  });
  Picture("AboutMakerLogo", 52, 52, [](cairo_t* cr) {
    Fill(cr, 0, 0, 52, 52, 12, kOrange);
    Text(cr, "O", 30, true, kWhite, 26, 26);
  });
  Picture("AboutDivider", 1, 160, [](cairo_t* cr) {
    Source(cr, kBorderLight);
    cairo_paint(cr);
  });

  // --- companion-program dialog: 540 x 328 art with the whole message ---
  for (const ArtTexts& t : kArtTexts) {
    Picture(std::string("CompanionBackdrop") + t.suffix, 540, 328, [&t](cairo_t* cr) {
      Source(cr, kWhite);
      cairo_paint(cr);
      cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 540, 200);
      cairo_pattern_add_color_stop_rgb(g, 0, kSlate.r, kSlate.g, kSlate.b);
      cairo_pattern_add_color_stop_rgb(g, 1, kSlateDeep.r, kSlateDeep.g, kSlateDeep.b);
      cairo_rectangle(cr, 0, 0, 540, 196);
      cairo_set_source(cr, g);
      cairo_fill(cr);
      cairo_pattern_destroy(g);
      Source(cr, kAccent);
      cairo_rectangle(cr, 0, 194, 540, 2);
      cairo_fill(cr);
      Text(cr, t.greeting, 18, true, kWhite, 28, 36, true);
      Text(cr, t.conflict, 13, false, Hex(0xE2E8F0), 28, 74, true);
      Text(cr, t.fixing, 13, false, Hex(0xE2E8F0), 28, 132, true);
      // Gap at 373..492 for the social-page button; the web-site link sits at 56..147.
      Text(cr, t.andWord, 13, false, Hex(0xE2E8F0), 28, 155, true);
      Text(cr, t.thanks, 13, false, Hex(0xE2E8F0), 150, 155, true);
      Text(cr, t.choose, 15, true, kText, 270, 228);
      Source(cr, kBorder);
      cairo_rectangle(cr, 0, 196, 1, 132);
      cairo_rectangle(cr, 539, 196, 1, 132);
      cairo_rectangle(cr, 0, 327, 540, 1);
      cairo_fill(cr);
    });
  }
  Strip("CompanionUseKestrune", 4, 172, 46, [](cairo_t* cr, int f, int w, int h) {
    AccentButton(cr, f, w, h);
    Fill(cr, 34, 11, 24, 24, 6, kWhite);
    Text(cr, "K", 15, true, f == kDisabled ? Hex(0xC4CAD3) : kAccent, 46, 23);
    Text(cr, "Kestrune", 17, true, f == kDisabled ? Hex(0xF1F3F5) : kWhite, 68, 23, true);
  });
  Strip("CompanionUseOrvane", 4, 172, 46, [](cairo_t* cr, int f, int w, int h) {
    LightButton(cr, f, w, h);
    Fill(cr, 42, 11, 24, 24, 6, f == kDisabled ? Hex(0xC4CAD3) : kOrange);
    Text(cr, "O", 15, true, kWhite, 54, 23);
    Text(cr, "Orvane", 17, true, f == kDisabled ? kMuted : kText, 76, 23, true);
  });
  for (const ArtTexts& t : kArtTexts)
    Strip(
        std::string("CompanionSocial") + t.suffix, 3, 119, 28,
        [&t](cairo_t* cr, int f, int w, int h) {
          Rgba c = f == 0 ? Hex(0x7DB4F5) : f == 1 ? Hex(0xA5CBF8) : Hex(0x5E9CE9);
          Text(cr, t.social, 13, true, c, w / 2.0, h / 2.0);
          Source(cr, c);
          cairo_rectangle(cr, 12, h - 6, w - 24, 1);
          cairo_fill(cr);
        },
        358);  // 358 = 3 x 119 + one spare column, as the layout gives it
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  gOutDir = argv[1];
  MakeAll();
  std::printf("%d skin pictures written to %s\n", gWritten, gOutDir.c_str());
  return gFailed ? 1 : 0;
}
