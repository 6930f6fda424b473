// The GPU library stand-in on Linux: adapters from fake DRM trees.
#include <gtest/gtest.h>

#include "gauge3_adapters.h"
#include "support/temp_dir.h"

namespace kestrune {
namespace {

using test::TempDir;
using test::WriteFile;

const std::string kPciIds = std::string(KESTRUNE_FIXTURES) + "/hardware/pci.ids";

struct FakeCard {
  const char* card;
  const char* vendor;
  const char* device;
  const char* vramBytes;  // nullptr: not exposed
};

void AddCard(const std::string& root, const FakeCard& c) {
  std::string device = root + "/" + c.card + "/device";
  if (c.vendor) WriteFile(device + "/vendor", std::string(c.vendor) + "\n");
  if (c.device) WriteFile(device + "/device", std::string(c.device) + "\n");
  if (c.vramBytes) WriteFile(device + "/mem_info_vram_total", std::string(c.vramBytes) + "\n");
}

TEST(Gauge3StandInTest, AdaptersFromTheDrmTree) {
  TempDir dir;
  AddCard(dir.path(), {"card1", "0x1002", "0x67df", "8589934592"});
  AddCard(dir.path(), {"card0", "0x8086", "0x3e92", nullptr});
  AddCard(dir.path(), {"card10", "0x10de", "0x1c03", nullptr});
  // Connector entries and devices without ids are not adapters.
  AddCard(dir.path(), {"card0-HDMI-A-1", "0x8086", "0x3e92", nullptr});
  AddCard(dir.path(), {"card2", nullptr, "0x1234", nullptr});
  AddCard(dir.path(), {"card3", "garbage", "0x1234", nullptr});
  AddCard(dir.path(), {"renderD128", "0x8086", "0x3e92", nullptr});

  auto adapters = ::gauge3::DiscoverAdapters(dir.path(), {dir.Path("missing.ids"), kPciIds});
  ASSERT_EQ(adapters.size(), 3u);
  EXPECT_EQ(adapters[0].name, "Intel UHD Graphics 630");
  EXPECT_EQ(adapters[0].vendorId, "8086");
  EXPECT_EQ(adapters[0].shaderCount, 0);
  EXPECT_EQ(adapters[0].videoMemoryMb, 0);
  EXPECT_EQ(adapters[1].name, "AMD Radeon RX 470/480/570/570X/580/580X/590");
  EXPECT_EQ(adapters[1].vendorId, "1002");
  EXPECT_EQ(adapters[1].shaderCount, 2304);
  EXPECT_EQ(adapters[1].videoMemoryMb, 8192);
  EXPECT_EQ(adapters[2].name, "NVIDIA GeForce GTX 1060 6GB");
  EXPECT_EQ(adapters[2].vendorId, "10DE");
  EXPECT_EQ(adapters[2].deviceId, "1C03");
  EXPECT_EQ(adapters[2].shaderCount, 1280);
}

TEST(Gauge3StandInTest, NoGpuAtAll) {
  TempDir dir;
  EXPECT_TRUE(::gauge3::DiscoverAdapters(dir.Path("no-drm"), {kPciIds}).empty());
  EXPECT_TRUE(::gauge3::DiscoverAdapters(dir.path(), {kPciIds}).empty());
}

}  // namespace
}  // namespace kestrune
