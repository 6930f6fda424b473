// The picture container of the skinned controls: the stored graphic (as its
// file bytes) and the rule that turns it into a decoded, cached image once per
// assignment rather than at every paint.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "controls/image.h"

namespace kestrune {

class TPicture {
 public:
  enum class Kind { kEmpty, kPng, kOther };

  TPicture() = default;
  // Takes the graphic's bytes; anything with a PNG signature counts as a PNG.
  static TPicture FromBytes(std::span<const uint8_t> bytes);
  static TPicture FromImage(const Image& image);  // stored as PNG

  void Assign(const TPicture& other) { *this = other; }
  void Clear() { *this = TPicture(); }

  Kind GetKind() const { return kind_; }
  bool IsPng() const { return kind_ == Kind::kPng; }
  bool Empty() const { return kind_ == Kind::kEmpty; }
  std::span<const uint8_t> Bytes() const;

  // Identity of the stored graphic; equal ids mean the same bytes.
  const void* Id() const { return data_.get(); }

  // The decoded image of these bytes, kept by a loader that decoded them to
  // check them: building the cached image then takes it instead of decoding
  // again. Copies of the picture share it.
  void KeepDecoded(std::shared_ptr<const Image> image) { decoded_ = std::move(image); }
  const std::shared_ptr<const Image>& Decoded() const { return decoded_; }

 private:
  Kind kind_ = Kind::kEmpty;
  std::shared_ptr<const std::vector<uint8_t>> data_;
  std::shared_ptr<const Image> decoded_;
};

// The cached-image rule: decode the picture's PNG data; null (with one debug
// line) when the picture is empty, not a PNG, or does not decode. Pictures
// with the same bytes share one decoded image while any holder keeps it.
std::shared_ptr<const Image> BuildCachedImage(const TPicture& picture);
// The same, with the decoder's message in *error (when given) instead of
// the debug line.
std::shared_ptr<const Image> BuildCachedImage(const TPicture& picture, std::string* error);

// Number of PNG decodes performed so far by BuildCachedImage (tests check
// that paints do not decode, and that a shared skin is decoded once).
uint64_t CachedImageBuildCount();

}  // namespace kestrune
