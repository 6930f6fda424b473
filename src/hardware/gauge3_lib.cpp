// TGPUZLib over the platform's sibling-library loader.
#include "hardware/gauge3_lib.h"

#include <exception>

#include "env/settings_store.h"
#include "env/version_resource.h"
#include "platform/debug_log.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/shared_library.h"

namespace kestrune {
namespace {

template <typename Fn>
Fn Bind(platform::SharedLibrary* library, const gauge3::EntryName& entry) {
  return reinterpret_cast<Fn>(platform::LibraryEntryByOrdinal(library, entry.ordinal, entry.name));
}

// The buffer's text up to its first zero character (never past `capacity`).
std::string PropertyText(const char16_t* buffer, int32_t capacity) {
  std::string bytes;
  for (int32_t i = 0; i < capacity && buffer[i] != 0; ++i) {
    bytes.push_back(static_cast<char>(buffer[i] & 0xFF));
    bytes.push_back(static_cast<char>(buffer[i] >> 8));
  }
  return Utf16LeToUtf8(bytes);
}

}  // namespace

void TGPUZLib::LoadLibraryEntries() {
  LoadLibraryEntries(platform::ExecutableFolder());
}

void TGPUZLib::LoadLibraryEntries(const std::string& folder) {
  GpuInit = nullptr;
  GpuDone = nullptr;
  GpuAdapterCount = nullptr;
  GpuAdapterProperty = nullptr;
  GpuSensorCount = nullptr;
  GpuSensorName = nullptr;
  GpuSensorValue = nullptr;
  Ready = false;
  const std::string path =
      platform::JoinPath(folder, platform::SiblingLibraryFileName(gauge3::kLibraryBaseName));
  platform::SharedLibrary* library = platform::LoadLibraryFromPath(path);
  if (!library) return;  // the loader wrote the debug line
  const std::string version = GetFileVersionString(path, "FileVersion");
  if (version != gauge3::kRequiredVersion) {
    DebugLogF("TGPUZLib: %s has version '%s', not %s; not used", path.c_str(), version.c_str(),
              gauge3::kRequiredVersion);
    return;
  }
  GpuInit = Bind<gauge3::GpuInitFn>(library, gauge3::kGpuInit);
  GpuDone = Bind<gauge3::GpuDoneFn>(library, gauge3::kGpuDone);
  GpuAdapterCount = Bind<gauge3::GpuAdapterCountFn>(library, gauge3::kGpuAdapterCount);
  GpuAdapterProperty = Bind<gauge3::GpuAdapterPropertyFn>(library, gauge3::kGpuAdapterProperty);
  GpuSensorCount = Bind<gauge3::GpuSensorCountFn>(library, gauge3::kGpuSensorCount);
  GpuSensorName = Bind<gauge3::GpuUnusedFn>(library, gauge3::kGpuSensorName);
  GpuSensorValue = Bind<gauge3::GpuUnusedFn>(library, gauge3::kGpuSensorValue);
  Ready = GpuInit != nullptr;
  if (!Ready) DebugLogF("TGPUZLib: %s lacks its init entry", path.c_str());
}

void TGPUZLib::QueryAdapters() {
  if (!Ready) return;
  try {
    char initBuffer[gauge3::kInitBufferSize] = {};
    if (GpuInit(initBuffer, gauge3::kInitBufferSize) == 0) return;
    DebugLog("Initialized.");
    // A library without these entries cannot be asked anything; calling
    // through a missing entry would bring the whole program down.
    if (!GpuAdapterCount || !GpuAdapterProperty) {
      DebugLog("TGPUZLib: the library lacks its adapter entries");
      if (GpuDone) GpuDone();
      return;
    }
    int32_t count = GpuAdapterCount();
    if (count > kMaxGpuAdapters) {
      DebugLogF("TGPUZLib: %d adapters reported; reading the first %d", count, kMaxGpuAdapters);
      count = kMaxGpuAdapters;
    }
    static constexpr gauge3::Property kOrder[] = {
        gauge3::kPropertyName, gauge3::kPropertyShaderCount, gauge3::kPropertyVideoMemory,
        gauge3::kPropertyVendorId};
    for (int32_t i = 0; i < count; ++i) {
      if (GpuSensorCount) DebugLogF("nVGASensorCount=%d", GpuSensorCount(i));
      std::string name;
      for (gauge3::Property property : kOrder) {
        // One spare character beyond the capacity we announce, always zero.
        char16_t buffer[gauge3::kPropertyCapacity + 1] = {};
        if (GpuAdapterProperty(i, property, buffer, gauge3::kPropertyCapacity) < 1) continue;
        std::string text = PropertyText(buffer, gauge3::kPropertyCapacity);
        switch (property) {
          case gauge3::kPropertyName:
            name = text;
            break;
          case gauge3::kPropertyShaderCount: {
            int32_t shaders = ParseConfigInteger(text).value_or(0);
            if (shaders >= 1 && shaders > ShaderCount) ShaderCount = shaders;
            break;
          }
          case gauge3::kPropertyVideoMemory: {
            int32_t memory = ParseConfigInteger(text).value_or(0);
            if (memory >= 1 && memory > VideoMemorySize) VideoMemorySize = memory;
            break;
          }
          case gauge3::kPropertyVendorId:
            // Any non-Intel adapter replaces an earlier choice; Intel only
            // fills an empty one.
            if (CardVendor.empty()) {
              CardVendor = text;
              CardName = name;
            }
            if (text != "8086") {
              CardVendor = text;
              CardName = name;
            }
            break;
        }
      }
    }
    if (GpuDone) GpuDone();
  } catch (const std::exception& e) {
    DebugLogF("TGPUZLib: %s", e.what());
  }
}

}  // namespace kestrune
