// Fuzzes the preset reader. Whatever it accepts must survive a write and a
// second read unchanged; whatever it refuses must carry a reason and no values.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "opti/opti_preset.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  kestrune::opti::PresetRead read = kestrune::opti::ReadPreset(text);
  if (!read.ok) {
    if (read.error.empty() || !(read.values == kestrune::opti::PresetValues{})) std::abort();
    return 0;
  }
  kestrune::opti::PresetRead again =
      kestrune::opti::ReadPreset(kestrune::opti::WritePreset(read.values));
  if (!again.ok || !(again.values == read.values)) std::abort();
  return 0;
}
