// Gauge3: the GPU information library beside the executable. Exports the
// entries the program binds (by ordinal on Windows, through gauge3.def;
// elsewhere by names that carry the ordinals) and answers from this
// machine's display adapters.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "gauge3_adapters.h"

namespace {

std::mutex gMutex;
std::vector<gauge3::Adapter> gAdapters;

// UTF-8 (ASCII in practice: pci.ids names) into the caller's UTF-16 buffer.
int32_t CopyText(const std::string& text, char16_t* buffer, int32_t capacity) {
  if (!buffer || capacity <= 0) return 0;
  int32_t n = 0;
  for (size_t i = 0; i < text.size() && n < capacity - 1; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    buffer[n++] = c < 0x80 ? c : u'?';
  }
  buffer[n] = 0;
  return n;
}

}  // namespace

#ifdef _WIN32
#define GAUGE3_EXPORT extern "C"  // the ordinals come from gauge3.def
#else
#define GAUGE3_EXPORT extern "C" __attribute__((visibility("default")))
#endif

GAUGE3_EXPORT int32_t Gauge3Ord9_GpuInit(char* buffer, int32_t size) {
  std::lock_guard<std::mutex> lock(gMutex);
  gAdapters = gauge3::DiscoverSystemAdapters();
  if (buffer && size > 0) {
    const char kBanner[] = "Gauge3 2.4.0.0";
    size_t n = std::min(sizeof kBanner, static_cast<size_t>(size));
    std::memcpy(buffer, kBanner, n);
    buffer[n - 1] = '\0';
  }
  return 1;
}

GAUGE3_EXPORT void Gauge3Ord10_GpuDone() {
  std::lock_guard<std::mutex> lock(gMutex);
  gAdapters.clear();
}

GAUGE3_EXPORT int32_t Gauge3Ord7_GpuAdapterCount() {
  std::lock_guard<std::mutex> lock(gMutex);
  return static_cast<int32_t>(gAdapters.size());
}

GAUGE3_EXPORT int32_t Gauge3Ord8_GpuAdapterProperty(int32_t adapter, int32_t property,
                                                    char16_t* buffer, int32_t capacity) {
  std::lock_guard<std::mutex> lock(gMutex);
  if (adapter < 0 || static_cast<size_t>(adapter) >= gAdapters.size()) return 0;
  const gauge3::Adapter& a = gAdapters[static_cast<size_t>(adapter)];
  switch (property) {
    case 0:
      return CopyText(a.name, buffer, capacity);
    case 4:
      return CopyText(a.vendorId, buffer, capacity);
    case 17:
      return CopyText(std::to_string(a.shaderCount), buffer, capacity);
    case 20:
      return a.videoMemoryMb > 0 ? CopyText(std::to_string(a.videoMemoryMb), buffer, capacity) : 0;
    default:
      return 0;
  }
}

// No sensors are read by this build.
GAUGE3_EXPORT int32_t Gauge3Ord4_GpuSensorCount(int32_t) {
  return 0;
}
GAUGE3_EXPORT int32_t Gauge3Ord5_GpuSensorName() {
  return 0;
}
GAUGE3_EXPORT int32_t Gauge3Ord6_GpuSensorValue() {
  return 0;
}
