// Picture container and the cached-image rule.
#include "controls/picture.h"

#include <atomic>
#include <cstring>
#include <functional>
#include <mutex>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "platform/debug_log.h"

namespace kestrune {

namespace {
constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
std::atomic<uint64_t> gBuildCount{0};

// Decoded pictures shared by content: many controls carry the same skin (every
// page combo box, every check box), and one decoded copy serves them all. The
// images are immutable; an entry lives as long as some control holds its image.
struct SharedDecode {
  std::shared_ptr<const std::vector<uint8_t>> bytes;
  std::weak_ptr<const Image> image;
};
std::mutex gSharedMutex;
std::unordered_multimap<size_t, SharedDecode>& SharedDecodes() {
  static auto* decodes = new std::unordered_multimap<size_t, SharedDecode>();
  return *decodes;
}

size_t HashBytes(std::span<const uint8_t> bytes) {
  return std::hash<std::string_view>{}(
      std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

bool SameBytes(const std::vector<uint8_t>& a, std::span<const uint8_t> b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), b.size()) == 0;
}
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
  std::string error;
  std::shared_ptr<const Image> image = BuildCachedImage(picture, &error);
  if (!image && picture.IsPng()) DebugLogF("skin picture does not decode: %s", error.c_str());
  return image;
}

std::shared_ptr<const Image> BuildCachedImage(const TPicture& picture, std::string* error) {
  if (!picture.IsPng()) {
    // The decoder's own words for what is wrong with it.
    if (error) *error = DecodePng(picture.Bytes()).error;
    return nullptr;
  }
  if (picture.Decoded()) return picture.Decoded();
  std::span<const uint8_t> bytes = picture.Bytes();
  const size_t hash = HashBytes(bytes);
  std::lock_guard lock(gSharedMutex);
  auto& decodes = SharedDecodes();
  auto [first, last] = decodes.equal_range(hash);
  for (auto it = first; it != last;) {
    std::shared_ptr<const Image> image = it->second.image.lock();
    if (!image) {
      it = decodes.erase(it);
      continue;
    }
    if (SameBytes(*it->second.bytes, bytes)) return image;
    ++it;
  }
  ++gBuildCount;
  PngDecodeResult r = DecodePng(bytes);
  if (!r.image) {
    if (error) *error = std::move(r.error);
    return nullptr;
  }
  std::erase_if(decodes, [](const auto& entry) { return entry.second.image.expired(); });
  decodes.emplace(
      hash, SharedDecode{std::make_shared<const std::vector<uint8_t>>(bytes.begin(), bytes.end()),
                         r.image});
  return r.image;
}

uint64_t CachedImageBuildCount() {
  return gBuildCount.load();
}

}  // namespace kestrune
