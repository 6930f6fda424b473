// The GPU library stand-in: names from a small pci.ids, the adapter record,
// and the built library itself loaded the way the program loads it (on
// Windows: entries by ordinal only).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "gauge3_adapters.h"
#include "hardware/gauge3_api.h"
#include "hardware/gauge3_lib.h"
#include "platform/debug_log.h"
#include "platform/shared_library.h"
#include "support/temp_dir.h"

namespace kestrune {
namespace {

const std::string kPciIds = std::string(KESTRUNE_FIXTURES) + "/hardware/pci.ids";

TEST(Gauge3StandInTest, NamesFromPciIds) {
  std::string ids = test::ReadFile(kPciIds);
  const std::tuple<uint16_t, uint16_t, const char*> cases[] = {
      {0x10DE, 0x1F82, "NVIDIA GeForce GTX 1650"},
      {0x10DE, 0x2000, "NVIDIA NoBrackets Device"},
      {0x10DE, 0x9999, "NVIDIA device 9999"},
      {0x1AF4, 0x1050, "Red Hat, Inc. Virtio 1.0 GPU"},
      {0xABCD, 0x0001, "PCI ABCD device 0001"},
      // A subsystem line with the same digits is not a device.
      {0x1002, 0x0B37, "AMD device 0B37"},
  };
  for (const auto& [vendor, device, name] : cases)
    EXPECT_EQ(::gauge3::AdapterName(ids, vendor, device), name);
  EXPECT_EQ(::gauge3::AdapterName("", 0x10DE, 0x1C03), "NVIDIA device 1C03");
}

// The built stand-in, loaded from bin/ as the program loads it: its version
// passes the gate and its answers match this machine's adapters.
TEST(Gauge3StandInTest, BuiltLibraryPassesTheGateAndReportsThisMachine) {
  SetDebugLogSink([](std::string_view) {});
  TGPUZLib gpu;
  gpu.LoadLibraryEntries(KESTRUNE_BIN_DIR);
  ASSERT_TRUE(gpu.Ready);
  ASSERT_NE(gpu.GpuAdapterCount, nullptr);
  gpu.QueryAdapters();
  SetDebugLogSink(nullptr);
  auto adapters = ::gauge3::DiscoverSystemAdapters();
  if (adapters.empty()) {
    EXPECT_EQ(gpu.CardVendor, "");
    EXPECT_EQ(gpu.ShaderCount, 0);
  } else {
    // The card chosen is one of the adapters the system lists, and the
    // largest figures are those of the list.
    bool listed = false;
    int32_t shaders = 0;
    int64_t memory = 0;
    for (const auto& a : adapters) {
      listed = listed || (a.name == gpu.CardName && a.vendorId == gpu.CardVendor);
      shaders = std::max(shaders, a.shaderCount);
      memory = std::max(memory, a.videoMemoryMb);
    }
    EXPECT_TRUE(listed) << gpu.CardName << " " << gpu.CardVendor;
    EXPECT_EQ(gpu.ShaderCount, shaders);
    EXPECT_EQ(gpu.VideoMemorySize, memory);
  }
}

TEST(Gauge3StandInTest, AdapterRecord) {
  struct {
    uint16_t vendor, device;
    uint64_t bytes;
    const char* vendorId;
    const char* deviceId;
    int64_t mb;
    int32_t shaders;
  } cases[] = {
      {0x10DE, 0x1C03, 6ull << 30, "10DE", "1C03", 6144, 1280},
      {0x8086, 0x3E92, 128ull << 20, "8086", "3E92", 128, 0},
      {0x1002, 0x67DF, (8ull << 30) + 12345, "1002", "67DF", 8192, 2304},
      {0x00AB, 0x0001, 0, "00AB", "0001", 0, 0},
  };
  for (const auto& c : cases) {
    ::gauge3::Adapter a = ::gauge3::MakeAdapter("Card", c.vendor, c.device, c.bytes);
    EXPECT_EQ(a.name, "Card");
    EXPECT_EQ(a.vendorId, c.vendorId);
    EXPECT_EQ(a.deviceId, c.deviceId);
    EXPECT_EQ(a.videoMemoryMb, c.mb) << c.vendorId;
    EXPECT_EQ(a.shaderCount, c.shaders) << c.vendorId;
  }
}

// What the program binds: ordinals 4 to 10 and nothing else; on Windows the
// entries carry no names at all, so only a lookup by ordinal finds them.
TEST(Gauge3StandInTest, BuiltLibraryExportsTheOrdinals) {
  platform::SharedLibrary* lib = platform::LoadLibraryFromPath(
      std::string(KESTRUNE_BIN_DIR) + "/" + platform::SiblingLibraryFileName("Gauge3"));
  ASSERT_NE(lib, nullptr);
  for (const auto& entry :
       {kestrune::gauge3::kGpuInit, kestrune::gauge3::kGpuDone, kestrune::gauge3::kGpuAdapterCount,
        kestrune::gauge3::kGpuAdapterProperty, kestrune::gauge3::kGpuSensorCount,
        kestrune::gauge3::kGpuSensorName, kestrune::gauge3::kGpuSensorValue}) {
    EXPECT_NE(
        platform::LibraryEntryByOrdinal(lib, static_cast<uint16_t>(entry.ordinal), entry.name),
        nullptr)
        << entry.ordinal;
  }
  if (platform::SiblingLibraryFileName("Gauge3") == "Gauge3.dll") {
    EXPECT_EQ(platform::LibraryEntryByOrdinal(lib, 11, "Gauge3Ord11_None"), nullptr);
    EXPECT_EQ(platform::LibraryEntryByOrdinal(lib, 3, "Gauge3Ord3_None"), nullptr);
    EXPECT_EQ(platform::LibraryEntry(lib, kestrune::gauge3::kGpuInit.name), nullptr);
  }
}

}  // namespace
}  // namespace kestrune
