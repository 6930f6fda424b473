// Hardware facts for the command line, without the GUI's background thread.
#include "cli/cli_hardware.h"

#include "env/settings_store.h"
#include "hardware/hareware_lib.h"

namespace kestrune::cli {

THareWareInfo GatherHardware(HardwareSource* source) {
  THareWareInfo info;
  StoreProcessorTopology(info);
  THareWareLib lib;
  info.CPUName = lib.GetCPUName();
  info.MemorySize = lib.GetMemorySize();
  // The adapter facts as the GUI shows them at start-up: the cached survey.
  info.ShaderCount = ReadConfigInt("ShaderCount", 0);
  info.CardName = ReadConfig("CardName");
  info.CardVendor = ReadConfig("CardVendor");
  info.VideoMemorySize = ReadConfigInt("VideoMemorySize", 0);
  if (source) source->adapters = "Config.dat cache";
  return info;
}

}  // namespace kestrune::cli
