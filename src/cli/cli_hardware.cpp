// Hardware facts for the command line, without the GUI's background thread.
#include "cli/cli_hardware.h"

#include "env/settings_store.h"
#include "hardware/hardware_lib.h"
#include "hardware/hardware_thread.h"

namespace kestrune::cli {

THareWareInfo GatherHardware(HardwareSource* source) {
  THareWareInfo info;
  StoreProcessorTopology(info);
  THareWareLib lib;
  info.CPUName = lib.GetCPUName();
  info.MemorySize = lib.GetMemorySize();
  // The adapter facts the program knows (the GUI's cached survey); a fresh
  // query of the GPU library when none was ever cached. The CLI writes no
  // cache: a dry run must leave Config.dat alone.
  GpuFacts facts;
  bool cached = !ReadConfig("ShaderCount").empty() || !ReadConfig("CardName").empty();
  if (cached) {
    facts = ReadHardwareCache();
  } else {
    facts = QueryGpuFacts();
  }
  info.ShaderCount = facts.ShaderCount;
  info.CardName = facts.CardName;
  info.CardVendor = facts.CardVendor;
  info.VideoMemorySize = facts.VideoMemorySize;
  if (source) source->adapters = cached ? "Config.dat cache" : "GPU library";
  return info;
}

}  // namespace kestrune::cli
