// The hardware facts as the command-line front end gathers them: processor
// and memory from the system; the adapter facts from the cache in Config.dat
// (as the GUI shows them at start-up), or from the GPU library when nothing
// was ever cached. Nothing is written.
#pragma once

#include <string>

#include "hardware/hardware_info.h"

namespace kestrune::cli {

struct HardwareSource {
  std::string adapters;  // where the adapter facts came from
};

THareWareInfo GatherHardware(HardwareSource* source = nullptr);

}  // namespace kestrune::cli
