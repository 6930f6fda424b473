// What every canvas shares.
#include "controls/canvas.h"

namespace kestrune {

void FrameBuffer::Present(Canvas& target, const Rect& area) {
  target.DrawImage(pixels_, area, area);
}

std::string ShownText(std::string_view text, unsigned flags) {
  if (flags & kTextNoPrefix) return std::string(text);
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&') {
      if (i + 1 < text.size() && text[i + 1] == '&') {
        out += '&';
        ++i;
      }
      continue;
    }
    out += text[i];
  }
  return out;
}

std::optional<ImagePlacement> PlaceImage(const Image& image, const Rect& src, const Rect& dst) {
  if (image.Empty() || src.Empty() || dst.Empty()) return std::nullopt;
  Rect s = src.Intersect({0, 0, image.Width(), image.Height()});
  if (s.Empty()) return std::nullopt;
  const double scaleX = static_cast<double>(dst.width) / src.width;
  const double scaleY = static_cast<double>(dst.height) / src.height;
  return ImagePlacement{s,
                        scaleX,
                        scaleY,
                        dst.x + (s.x - src.x) * scaleX,
                        dst.y + (s.y - src.y) * scaleY,
                        s.width * scaleX,
                        s.height * scaleY};
}

}  // namespace kestrune
