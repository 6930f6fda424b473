// Hostile PNG data (truncated, huge dimensions, bad CRC, odd colour types)
// must decode or fail cleanly, never crash or allocate without bound.
#include <cstddef>
#include <cstdint>
#include <span>

#include "controls/image.h"
#include "controls/picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> bytes(data, size);
  kestrune::PngDecodeResult r = kestrune::DecodePng(bytes);
  if (r.image) {
    const kestrune::Image& img = *r.image;
    if (img.Width() <= 0 || img.Height() <= 0 || img.Width() > kestrune::kMaxPngDimension ||
        img.Height() > kestrune::kMaxPngDimension) {
      __builtin_trap();
    }
    // Premultiplied: no colour channel may exceed alpha.
    uint32_t p = img.Pixel(img.Width() - 1, img.Height() - 1);
    uint32_t a = p >> 24;
    if (((p >> 16) & 0xFF) > a || ((p >> 8) & 0xFF) > a || (p & 0xFF) > a) __builtin_trap();
  } else if (r.error.empty()) {
    __builtin_trap();  // a failure always says why
  }
  // The picture path the controls use.
  kestrune::TPicture picture = kestrune::TPicture::FromBytes(bytes);
  (void)kestrune::BuildCachedImage(picture);
  return 0;
}
