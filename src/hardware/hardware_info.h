// The process-wide hardware facts. Filled by the hardware subsystem at
// start-up (and by the hardware thread's completion on the UI thread); read
// by the engine's tweak writers and the optimisation page.
#pragma once

#include <cstdint>
#include <string>

namespace kestrune {

class THareWareInfo {
 public:
  int32_t ShaderCount = 0;
  std::string CardName;
  std::string CPUName;     // brand string as reported, leading blanks kept
  std::string CardVendor;  // four hexadecimal digits, e.g. "8086"
  int32_t MemorySize = 0;  // whole gigabytes, 1..1024
  int32_t VideoMemorySize = 0;
  int32_t LogicalProcessors = 0;
};

}  // namespace kestrune
