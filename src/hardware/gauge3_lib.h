// TGPUZLib: loads the GPU information library beside the executable, checks
// its version and asks it for every adapter's name, vendor, shader count and
// video memory.
#pragma once

#include <cstdint>
#include <string>

#include "hardware/gauge3_api.h"

namespace kestrune {

class TGPUZLib {
 public:
  gauge3::GpuInitFn GpuInit = nullptr;
  gauge3::GpuDoneFn GpuDone = nullptr;
  gauge3::GpuAdapterCountFn GpuAdapterCount = nullptr;
  gauge3::GpuAdapterPropertyFn GpuAdapterProperty = nullptr;
  gauge3::GpuSensorCountFn GpuSensorCount = nullptr;
  gauge3::GpuUnusedFn GpuSensorName = nullptr;   // bound, never called
  gauge3::GpuUnusedFn GpuSensorValue = nullptr;  // bound, never called
  bool Ready = false;
  int32_t ShaderCount = 0;
  std::string CardVendor;
  std::string CardName;
  int32_t VideoMemorySize = 0;

  // Loads the library from the executable's folder (or `folder`) and binds
  // its entries when its file version is exactly "2.4.0.0". The library
  // stays loaded for the life of the process.
  void LoadLibraryEntries();
  void LoadLibraryEntries(const std::string& folder);

  // Fills the four facts from every adapter; nothing unless Ready.
  void QueryAdapters();
};

// More adapters than this is a library answering garbage, not a machine.
inline constexpr int32_t kMaxGpuAdapters = 64;

}  // namespace kestrune
