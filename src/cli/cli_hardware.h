// The hardware facts as the command-line front end gathers them: processor
// and memory from the system, the adapter facts from the GPU library when it
// can be queried, otherwise from the cache in Config.dat. Nothing is written.
#pragma once

#include <string>

#include "engine/hareware_info.h"

namespace kestrune::cli {

struct HardwareSource {
  std::string adapters;  // "GPU library" or "Config.dat cache"
};

THareWareInfo GatherHardware(HardwareSource* source = nullptr);

}  // namespace kestrune::cli
