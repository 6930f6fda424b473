// Fuzzes the KeyValues reader behind the Steam library search: any text
// ends, within the caps, with no fault.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/steam_vdf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const std::string& path : kestrune::platform::SteamLibraryFolders(text))
    if (path.size() > size) __builtin_trap();  // a value is never longer than the input
  kestrune::platform::VdfValues(text, "path");
  return 0;
}
