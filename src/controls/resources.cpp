// Lookup in the resource table the build generates from resources/.
#include "controls/resources.h"

#include <string>

#include "controls/resource_table.h"

namespace kestrune {

namespace {
const RawResourceEntry* FindEntry(std::string_view name) {
  for (size_t i = 0; i < kRawResourceCount; ++i) {
    if (kRawResources[i].name == name) return &kRawResources[i];
  }
  return nullptr;
}
}  // namespace

std::optional<std::span<const uint8_t>> FindRawResource(std::string_view name) {
  const RawResourceEntry* e = FindEntry(name);
  if (!e) return std::nullopt;
  return std::span<const uint8_t>(e->data, e->size);
}

std::shared_ptr<const Image> LoadPngResourceImage(std::string_view name) {
  auto bytes = FindRawResource(name);
  // A missing resource reaches the decoder as no data at all, so the caller
  // sees the decoder's own complaint, naming the resource.
  PngDecodeResult r = DecodePng(bytes ? *bytes : std::span<const uint8_t>());
  if (!r.image) throw PngError(r.error + " (resource \"" + std::string(name) + "\")");
  return r.image;
}

void LoadPngResource(TPicture& picture, std::string_view name) {
  auto bytes = FindRawResource(name);
  // Decoded (through the shared cache) to check it, before the picture
  // changes; the picture keeps the image, so its control does not decode it
  // again.
  TPicture loaded = TPicture::FromBytes(bytes ? *bytes : std::span<const uint8_t>());
  std::string error;
  std::shared_ptr<const Image> image = BuildCachedImage(loaded, &error);
  if (!image) throw PngError(error + " (resource \"" + std::string(name) + "\")");
  loaded.KeepDecoded(std::move(image));
  picture = std::move(loaded);
}

}  // namespace kestrune
