// Named raw-data resources compiled into the executable from resources/
// (the build turns every resources/**/*.png into a table entry named after
// the file without its extension).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "controls/picture.h"

namespace kestrune {

// The bytes of a named resource, or nullopt when the program carries none.
std::optional<std::span<const uint8_t>> FindRawResource(std::string_view name);

// Decodes the named resource as a PNG and assigns it to the picture. A missing
// resource or bad data throws PngError with the decoder's message; the
// picture is then left as it was.
void LoadPngResource(TPicture& picture, std::string_view name);

// The decoded image of a named PNG resource (throws PngError like above).
std::shared_ptr<const Image> LoadPngResourceImage(std::string_view name);

}  // namespace kestrune
