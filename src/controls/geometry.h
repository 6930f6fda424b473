// Pixel geometry and colours shared by the canvas and the controls.
#pragma once

#include <algorithm>
#include <cstdint>

namespace kestrune {

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

// Left/top plus width/height, in pixels. Right() and Bottom() are exclusive.
struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  static Rect FromEdges(int left, int top, int right, int bottom) {
    return {left, top, right - left, bottom - top};
  }
  int Right() const { return x + width; }
  int Bottom() const { return y + height; }
  bool Empty() const { return width <= 0 || height <= 0; }
  bool Contains(int px, int py) const {
    return px >= x && py >= y && px < Right() && py < Bottom();
  }
  Rect Offset(int dx, int dy) const { return {x + dx, y + dy, width, height}; }
  Rect Intersect(const Rect& o) const {
    int l = std::max(x, o.x), t = std::max(y, o.y);
    int r = std::min(Right(), o.Right()), b = std::min(Bottom(), o.Bottom());
    if (r <= l || b <= t) return {l, t, 0, 0};
    return FromEdges(l, t, r, b);
  }
  Rect Union(const Rect& o) const {
    if (Empty()) return o;
    if (o.Empty()) return *this;
    return FromEdges(std::min(x, o.x), std::min(y, o.y), std::max(Right(), o.Right()),
                     std::max(Bottom(), o.Bottom()));
  }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// Straight (not premultiplied) RGBA colour.
struct Color {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  uint8_t a = 255;

  // From 0xRRGGBB, the way colours are written in the window layouts.
  static constexpr Color Rgb(uint32_t rgb) {
    return {static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8),
            static_cast<uint8_t>(rgb), 255};
  }
  constexpr uint32_t ToRgb() const { return (uint32_t{r} << 16) | (uint32_t{g} << 8) | b; }
  friend bool operator==(const Color&, const Color&) = default;
};

namespace colors {
inline constexpr Color kBlack = Color::Rgb(0x000000);
inline constexpr Color kWhite = Color::Rgb(0xFFFFFF);
inline constexpr Color kTransparent = {0, 0, 0, 0};
// The system colours our windows rely on, fixed so every desktop looks alike.
inline constexpr Color kHighlight = Color::Rgb(0x3399FF);
inline constexpr Color kHighlightText = Color::Rgb(0xFFFFFF);
inline constexpr Color kWindowText = Color::Rgb(0x000000);
inline constexpr Color kWindow = Color::Rgb(0xFFFFFF);
inline constexpr Color kGrayText = Color::Rgb(0x808080);
}  // namespace colors

}  // namespace kestrune
