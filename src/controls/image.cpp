// PNG decoding and encoding through libpng's simplified API (which keeps its
// own setjmp error handling out of our C++ frames).
#include "controls/image.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

namespace kestrune {

namespace {

// libpng allocates a chunk's claimed length before it reads the data, and
// 1.6 holds only compressed chunks to its allocation limit: a 251-byte file
// whose text chunk claims 0x6f6f6f6f bytes asked for 1.8 GB. The whole file
// is in memory, so no chunk may claim more bytes than remain after it.
std::string CheckChunkLengths(std::span<const uint8_t> data) {
  static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (data.size() < sizeof kSignature || std::memcmp(data.data(), kSignature, 8) != 0) {
    return {};  // libpng names what is wrong with the signature
  }
  size_t at = sizeof kSignature;
  while (data.size() - at >= 8) {
    const uint8_t* h = data.data() + at;
    const uint32_t length =
        (uint32_t{h[0]} << 24) | (uint32_t{h[1]} << 16) | (uint32_t{h[2]} << 8) | uint32_t{h[3]};
    const uint64_t remain = data.size() - at - 8;  // after length and type
    if (uint64_t{length} + 4 > remain) {           // data and CRC
      char type[5] = {};
      for (int i = 0; i < 4; ++i) {
        const uint8_t c = h[4 + i];
        type[i] = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ? static_cast<char>(c) : '?';
      }
      char text[128];
      std::snprintf(text, sizeof text,
                    "PNG chunk %s at offset %zu claims %u bytes, only %llu remain", type, at,
                    length, static_cast<unsigned long long>(remain < 4 ? 0 : remain - 4));
      return text;
    }
    at += 12 + size_t{length};
    if (std::memcmp(h + 4, "IEND", 4) == 0) break;
  }
  return {};
}

}  // namespace

Image::Image(int width, int height)
    : width_(width < 0 ? 0 : width),
      height_(height < 0 ? 0 : height),
      pixels_(static_cast<size_t>(width_) * height_, 0u),
      data_(pixels_.data()) {}

Image Image::Borrow(uint32_t* pixels, int width, int height) {
  Image image;
  if (!pixels || width <= 0 || height <= 0) return image;
  image.width_ = width;
  image.height_ = height;
  image.data_ = pixels;
  return image;
}

Image::Image(const Image& other)
    : width_(other.width_),
      height_(other.height_),
      pixels_(other.data_, other.data_ + other.Count()),
      data_(pixels_.data()) {}

Image& Image::operator=(const Image& other) {
  if (this != &other) *this = Image(other);
  return *this;
}

// A moved vector keeps its buffer, so data_ stays valid for owned pixels too.
Image::Image(Image&& other) noexcept
    : width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)),
      pixels_(std::move(other.pixels_)),
      data_(std::exchange(other.data_, nullptr)) {}

Image& Image::operator=(Image&& other) noexcept {
  if (this != &other) {
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
    pixels_ = std::move(other.pixels_);
    other.pixels_.clear();
    data_ = std::exchange(other.data_, nullptr);
  }
  return *this;
}

Color Image::ColorAt(int x, int y) const {
  uint32_t p = Pixel(x, y);
  uint8_t a = static_cast<uint8_t>(p >> 24);
  auto un = [a](uint32_t c) -> uint8_t {
    if (a == 0) return 0;
    return static_cast<uint8_t>(std::min<uint32_t>(255, (c * 255 + a / 2) / a));
  };
  return {un((p >> 16) & 0xFF), un((p >> 8) & 0xFF), un(p & 0xFF), a};
}

PngDecodeResult DecodePng(std::span<const uint8_t> data) {
  PngDecodeResult result;
  if (data.empty()) {
    result.error = "PNG data is empty";
    return result;
  }
  result.error = CheckChunkLengths(data);
  if (!result.error.empty()) return result;
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&png, data.data(), data.size())) {
    result.error = png.message[0] ? png.message : "not a PNG";
    png_image_free(&png);
    return result;
  }
  if (png.width == 0 || png.height == 0 || png.width > kMaxPngDimension ||
      png.height > kMaxPngDimension || int64_t{png.width} * int64_t{png.height} > kMaxPngPixels) {
    char text[96];
    std::snprintf(text, sizeof text, "PNG dimensions %ux%u are out of range", png.width,
                  png.height);
    result.error = text;
    png_image_free(&png);
    return result;
  }
  // Deflate cannot expand more than about 1032:1, so a file far too short for
  // the rows its header claims is refused before the pixels are allocated.
  const uint64_t minRowBytes = 1 + (uint64_t{png.width} + 7) / 8;  // 1-bit rows
  if (uint64_t{png.height} * minRowBytes > uint64_t{data.size()} * 1100 + 4096) {
    result.error = "PNG data is too short for its dimensions";
    png_image_free(&png);
    return result;
  }
  // BGRA in memory is 0xAARRGGBB in a little-endian uint32, Cairo's layout.
  png.format = PNG_FORMAT_BGRA;
  auto image = std::make_shared<Image>(static_cast<int>(png.width), static_cast<int>(png.height));
  if (!png_image_finish_read(&png, nullptr, image->Data(), image->Stride(), nullptr)) {
    result.error = png.message[0] ? png.message : "PNG data is corrupt";
    png_image_free(&png);
    return result;
  }
  png_image_free(&png);
  uint32_t* p = image->Data();
  size_t count = static_cast<size_t>(image->Width()) * image->Height();
  for (size_t i = 0; i < count; ++i) {
    uint32_t a = p[i] >> 24;
    if (a == 255) continue;
    auto pre = [a](uint32_t c) { return (c * a + 127) / 255; };
    p[i] = (a << 24) | (pre((p[i] >> 16) & 0xFF) << 16) | (pre((p[i] >> 8) & 0xFF) << 8) |
           pre(p[i] & 0xFF);
  }
  result.image = std::move(image);
  return result;
}

std::shared_ptr<const Image> DecodePngOrThrow(std::span<const uint8_t> data) {
  PngDecodeResult r = DecodePng(data);
  if (!r.image) throw PngError(r.error);
  return r.image;
}

std::vector<uint8_t> EncodePng(const Image& image) {
  std::vector<uint8_t> out;
  if (image.Empty()) return out;
  // Back to straight alpha, byte order B, G, R, A.
  std::vector<uint32_t> straight(static_cast<size_t>(image.Width()) * image.Height());
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < image.Width(); ++x) {
      Color c = image.ColorAt(x, y);
      straight[static_cast<size_t>(y) * image.Width() + x] =
          (uint32_t{c.a} << 24) | (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b;
    }
  }
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.Width());
  png.height = static_cast<png_uint_32>(image.Height());
  png.format = PNG_FORMAT_BGRA;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&png, nullptr, &size, 0, straight.data(), image.Stride(),
                                 nullptr)) {
    return out;
  }
  out.resize(size);
  if (!png_image_write_to_memory(&png, out.data(), &size, 0, straight.data(), image.Stride(),
                                 nullptr)) {
    out.clear();
    return out;
  }
  out.resize(size);
  return out;
}

Image ScaleDown(const Image& image, int width, int height) {
  if (image.Empty()) return {};
  width = std::clamp(width, 1, image.Width());
  height = std::clamp(height, 1, image.Height());
  Image out(width, height);
  for (int ty = 0; ty < height; ++ty) {
    // Source rows [y0, y1) and columns [x0, x1) fall into the target pixel.
    const int y0 = static_cast<int>(int64_t{ty} * image.Height() / height);
    const int y1 = static_cast<int>(int64_t{ty + 1} * image.Height() / height);
    for (int tx = 0; tx < width; ++tx) {
      const int x0 = static_cast<int>(int64_t{tx} * image.Width() / width);
      const int x1 = static_cast<int>(int64_t{tx + 1} * image.Width() / width);
      uint64_t sum[4] = {0, 0, 0, 0};
      for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
          const uint32_t p = image.Pixel(x, y);
          for (int c = 0; c < 4; ++c) sum[c] += (p >> (8 * c)) & 0xFF;
        }
      const uint64_t count = static_cast<uint64_t>(y1 - y0) * static_cast<uint64_t>(x1 - x0);
      uint32_t p = 0;
      for (int c = 0; c < 4; ++c)
        p |= static_cast<uint32_t>((sum[c] + count / 2) / count) << (8 * c);
      out.SetPixel(tx, ty, p);
    }
  }
  return out;
}

Image Resample(const Image& image, int width, int height) {
  if (image.Empty() || width <= 0 || height <= 0) return {};
  if (width <= image.Width() && height <= image.Height()) return ScaleDown(image, width, height);
  Image out(width, height);
  const int sw = image.Width(), sh = image.Height();
  for (int ty = 0; ty < height; ++ty) {
    // Pixel centres map onto pixel centres; 8 fraction bits.
    const int64_t fy = std::clamp<int64_t>(((int64_t{ty} * 2 + 1) * sh * 128) / height - 128, 0,
                                           int64_t{sh - 1} * 256);
    const int y0 = static_cast<int>(fy >> 8), y1 = std::min(y0 + 1, sh - 1);
    const uint32_t wy = static_cast<uint32_t>(fy & 0xFF);
    for (int tx = 0; tx < width; ++tx) {
      const int64_t fx = std::clamp<int64_t>(((int64_t{tx} * 2 + 1) * sw * 128) / width - 128, 0,
                                             int64_t{sw - 1} * 256);
      const int x0 = static_cast<int>(fx >> 8), x1 = std::min(x0 + 1, sw - 1);
      const uint32_t wx = static_cast<uint32_t>(fx & 0xFF);
      const uint32_t a = image.Pixel(x0, y0), b = image.Pixel(x1, y0);
      const uint32_t c = image.Pixel(x0, y1), d = image.Pixel(x1, y1);
      uint32_t p = 0;
      for (int k = 0; k < 32; k += 8) {
        const uint32_t top = ((a >> k) & 0xFF) * (256 - wx) + ((b >> k) & 0xFF) * wx;
        const uint32_t bottom = ((c >> k) & 0xFF) * (256 - wx) + ((d >> k) & 0xFF) * wx;
        const uint32_t v = (top * (256 - wy) + bottom * wy + (1u << 15)) >> 16;
        p |= std::min<uint32_t>(v, 255) << k;
      }
      out.SetPixel(tx, ty, p);
    }
  }
  return out;
}

bool WritePngFile(const Image& image, const std::string& path) {
  std::vector<uint8_t> bytes = EncodePng(image);
  if (bytes.empty()) return false;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = (std::fclose(f) == 0) && ok;
  return ok;
}

}  // namespace kestrune
