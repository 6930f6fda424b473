// Decoded pictures: 32-bit premultiplied ARGB in native byte order (the
// layout of Cairo's ARGB32 surfaces and of GDI+'s PARGB bitmaps), plus the
// PNG decoder and encoder.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "controls/geometry.h"

namespace kestrune {

class Image {
 public:
  Image() = default;
  Image(int width, int height);  // fully transparent
  // The pixels of memory someone else owns (rows of width * 4 bytes), which
  // must outlive this image; a copy of it owns its own pixels.
  static Image Borrow(uint32_t* pixels, int width, int height);

  Image(const Image& other);
  Image& operator=(const Image& other);
  Image(Image&& other) noexcept;
  Image& operator=(Image&& other) noexcept;
  ~Image() = default;

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ <= 0 || height_ <= 0; }
  int Stride() const { return width_ * 4; }

  // Premultiplied 0xAARRGGBB.
  uint32_t Pixel(int x, int y) const { return data_[static_cast<size_t>(y) * width_ + x]; }
  void SetPixel(int x, int y, uint32_t argb) { data_[static_cast<size_t>(y) * width_ + x] = argb; }
  uint8_t Alpha(int x, int y) const { return static_cast<uint8_t>(Pixel(x, y) >> 24); }
  // Straight colour of a pixel (un-premultiplied), handy in tests.
  Color ColorAt(int x, int y) const;

  uint32_t* Data() { return data_; }
  const uint32_t* Data() const { return data_; }

 private:
  size_t Count() const { return static_cast<size_t>(width_) * static_cast<size_t>(height_); }

  int width_ = 0;
  int height_ = 0;
  std::vector<uint32_t> pixels_;  // empty when borrowed
  uint32_t* data_ = nullptr;      // pixels_.data() or the borrowed memory
};

// The decoder's failure. Carries libpng's own message.
class PngError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Largest picture we agree to decode; hostile headers claiming more fail cleanly.
inline constexpr int kMaxPngDimension = 16384;
inline constexpr int64_t kMaxPngPixels = int64_t{16} * 1024 * 1024;

struct PngDecodeResult {
  std::shared_ptr<const Image> image;  // null on failure
  std::string error;                   // libpng's message on failure
};

// Any colour type and bit depth become premultiplied ARGB32.
PngDecodeResult DecodePng(std::span<const uint8_t> data);
// Same, throwing PngError on failure.
std::shared_ptr<const Image> DecodePngOrThrow(std::span<const uint8_t> data);

// The image shrunk (or kept) to `width` x `height` by averaging the
// premultiplied pixels each target pixel covers: icons for the sizes the
// system asks for. Sizes are clamped to at least 1; an empty image stays empty.
Image ScaleDown(const Image& image, int width, int height);
// The image at `width` x `height`: shrunk as ScaleDown does, enlarged by
// interpolating between the four nearest pixels (for windows drawn at a
// monitor's higher scale).
Image Resample(const Image& image, int width, int height);

// RGBA PNG of an image (used by the skin generator and for screenshots).
std::vector<uint8_t> EncodePng(const Image& image);
bool WritePngFile(const Image& image, const std::string& path);

}  // namespace kestrune
