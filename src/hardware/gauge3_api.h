// The GPU information library's interface (Gauge3): entries, arguments and
// property identifiers. Windows binds the entries by ordinal; a system without
// export ordinals looks them up by these names, which keep the ordinal in them.
// The entries use the C calling convention (the caller removes the arguments).
#pragma once

#include <cstdint>

namespace kestrune::gauge3 {

extern "C" {
using GpuInitFn = int32_t (*)(char* buffer, int32_t size);
using GpuDoneFn = void (*)();
using GpuAdapterCountFn = int32_t (*)();
using GpuAdapterPropertyFn = int32_t (*)(int32_t adapter, int32_t property, char16_t* buffer,
                                         int32_t capacity);
using GpuSensorCountFn = int32_t (*)(int32_t adapter);
using GpuUnusedFn = int32_t (*)();
}

struct EntryName {
  uint16_t ordinal;
  const char* name;
};

inline constexpr EntryName kGpuInit{9, "Gauge3Ord9_GpuInit"};
inline constexpr EntryName kGpuDone{10, "Gauge3Ord10_GpuDone"};
inline constexpr EntryName kGpuAdapterCount{7, "Gauge3Ord7_GpuAdapterCount"};
inline constexpr EntryName kGpuAdapterProperty{8, "Gauge3Ord8_GpuAdapterProperty"};
inline constexpr EntryName kGpuSensorCount{4, "Gauge3Ord4_GpuSensorCount"};
inline constexpr EntryName kGpuSensorName{5, "Gauge3Ord5_GpuSensorName"};
inline constexpr EntryName kGpuSensorValue{6, "Gauge3Ord6_GpuSensorValue"};

inline constexpr int32_t kInitBufferSize = 260;
inline constexpr int32_t kPropertyCapacity = 1024;  // characters

enum Property : int32_t {
  kPropertyName = 0,
  kPropertyVendorId = 4,
  kPropertyShaderCount = 17,
  kPropertyVideoMemory = 20,
};

inline constexpr const char* kLibraryBaseName = "Gauge3";
inline constexpr const char* kRequiredVersion = "2.4.0.0";

}  // namespace kestrune::gauge3
