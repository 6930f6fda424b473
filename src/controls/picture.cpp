// Picture container and the cached-image rule.
#include "controls/picture.h"

#include <atomic>
#include <cstring>

#include "platform/debug_log.h"

namespace kestrune {

namespace {
constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
std::atomic<uint64_t> gBuildCount{0};
}  // namespace

TPicture TPicture::FromBytes(std::span<const uint8_t> bytes) {
  TPicture p;
  if (bytes.empty()) return p;
  p.data_ = std::make_shared<const std::vector<uint8_t>>(bytes.begin(), bytes.end());
  p.kind_ = bytes.size() >= sizeof kPngSignature &&
                    std::memcmp(bytes.data(), kPngSignature, sizeof kPngSignature) == 0
                ? Kind::kPng
                : Kind::kOther;
  return p;
}

TPicture TPicture::FromImage(const Image& image) {
  std::vector<uint8_t> png = EncodePng(image);
  return FromBytes(png);
}

std::span<const uint8_t> TPicture::Bytes() const {
  if (!data_) return {};
  return {data_->data(), data_->size()};
}

std::shared_ptr<const Image> BuildCachedImage(const TPicture& picture) {
  if (!picture.IsPng()) return nullptr;
  ++gBuildCount;
  PngDecodeResult r = DecodePng(picture.Bytes());
  if (!r.image) DebugLogF("skin picture does not decode: %s", r.error.c_str());
  return r.image;
}

uint64_t CachedImageBuildCount() {
  return gBuildCount.load();
}

}  // namespace kestrune
