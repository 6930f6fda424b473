// Fuzzes the version resource reader: the input as a whole PE/ELF image, and
// the input as a bare VS_VERSION_INFO structure.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "env/version_resource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  kestrune::MemorySource image(bytes);
  if (std::optional<std::string> resource = kestrune::ExtractVersionResource(image)) {
    kestrune::VersionStringFromResource(*resource, "FileVersion");
    kestrune::VersionStringFromResource(*resource, "ProductName");
  }
  kestrune::VersionStringFromResource(bytes, "FileVersion");
  if (std::optional<kestrune::VersionBlock> root = kestrune::ParseVersionResource(bytes)) {
    kestrune::FindVersionBlock(*root, "\\StringFileInfo\\080404b0\\FileDescription");
    kestrune::FixedFileVersion(*root);
  }
  return 0;
}
