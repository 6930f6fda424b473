// TGPUZLib against fake GPU libraries built beside the tests: the adapter
// choice, the version gate, missing entries and garbage answers.
#include "hardware/gauge3_lib.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "platform/debug_log.h"
#include "platform/shared_library.h"
#include "support/temp_dir.h"
#include "support/test_env.h"

namespace kestrune {
namespace {

std::string FakeFolder(const std::string& variant) {
  return std::string(KESTRUNE_FAKE_GPU_DIR) + "/" + variant;
}

// Calls counted inside a fake library (the same loaded copy TGPUZLib uses).
struct FakeCounters {
  explicit FakeCounters(const std::string& variant) {
    lib = platform::LoadLibraryFromPath(FakeFolder(variant) + "/" +
                                        platform::SiblingLibraryFileName("Gauge3"));
    if (auto reset = reinterpret_cast<void (*)()>(platform::LibraryEntry(lib, "FakeGauge3_Reset")))
      reset();
  }
  int Count(const char* entry) const {
    auto fn = reinterpret_cast<int (*)()>(platform::LibraryEntry(lib, entry));
    return fn ? fn() : -1;
  }
  int Inits() const { return Count("FakeGauge3_InitCalls"); }
  int Dones() const { return Count("FakeGauge3_DoneCalls"); }
  platform::SharedLibrary* lib = nullptr;
};

class GpuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetDebugLogSink([this](std::string_view l) { log_ += std::string(l) + "\n"; });
  }
  void TearDown() override {
    SetDebugLogSink(nullptr);
    kestrune::test::UnsetEnv("KESTRUNE_FAKE_GAUGE3");
  }
  static void Script(const std::string& text) {
    kestrune::test::SetEnv("KESTRUNE_FAKE_GAUGE3", text.c_str());
  }
  std::string log_;
};

struct AdapterCase {
  const char* name;
  const char* script;
  int32_t shaders;
  const char* vendor;
  const char* card;
  int32_t memory;
};

class AdapterChoiceTest : public GpuTest, public ::testing::WithParamInterface<AdapterCase> {};

TEST_P(AdapterChoiceTest, FactsFollowTheChoiceRule) {
  const AdapterCase& c = GetParam();
  Script(c.script);
  FakeCounters counters("ok");
  TGPUZLib gpu;
  gpu.LoadLibraryEntries(FakeFolder("ok"));
  ASSERT_TRUE(gpu.Ready);
  gpu.QueryAdapters();
  EXPECT_EQ(gpu.ShaderCount, c.shaders);
  EXPECT_EQ(gpu.CardVendor, c.vendor);
  EXPECT_EQ(gpu.CardName, c.card);
  EXPECT_EQ(gpu.VideoMemorySize, c.memory);
  EXPECT_EQ(counters.Inits(), 1);
  EXPECT_EQ(counters.Dones(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AdapterChoiceTest,
    ::testing::Values(
        AdapterCase{"intel_first_then_other",
                    "Intel UHD 630|8086|192|1024;GeForce GTX 1060|10DE|1280|6144", 1280, "10DE",
                    "GeForce GTX 1060", 6144},
        AdapterCase{"other_first_then_intel",
                    "GeForce GTX 1060|10DE|1280|6144;Intel UHD 630|8086|192|1024", 1280, "10DE",
                    "GeForce GTX 1060", 6144},
        AdapterCase{"single_intel", "Intel UHD 630|8086|192|1024", 192, "8086", "Intel UHD 630",
                    1024},
        AdapterCase{"largest_shaders_whoever_is_chosen", "Radeon|1002|512|2048;Intel|8086|2048|512",
                    2048, "1002", "Radeon", 2048},
        AdapterCase{"last_non_intel_wins", "A|10DE|100|100;B|1002|50|50;C|8086|10|10", 100, "1002",
                    "B", 100},
        AdapterCase{"two_intel_keep_the_first", "First|8086|24|0;Second|8086|48|0", 48, "8086",
                    "First", 0},
        AdapterCase{"non_numeric_counts_change_nothing", "Card|10DE|many|lots", 0, "10DE", "Card",
                    0},
        AdapterCase{"zero_and_negative_numbers", "Card|10DE|0|-5", 0, "10DE", "Card", 0},
        AdapterCase{"blanks_around_numbers", "Card|10DE| 768 |2048 ", 768, "10DE", "Card", 2048},
        AdapterCase{"missing_vendor_chooses_nothing", "NoVendor||512|1024", 512, "", "", 1024},
        AdapterCase{"missing_name", "|10DE|512|1024", 512, "10DE", "", 1024},
        AdapterCase{"no_adapters", "", 0, "", "", 0},
        AdapterCase{"negative_count", "!count=-3;A|10DE|1|1", 0, "", "", 0}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(GpuTest, FailedInitStopsWithoutDone) {
  Script("!initfail;A|10DE|512|1024");
  FakeCounters counters("ok");
  TGPUZLib gpu;
  gpu.LoadLibraryEntries(FakeFolder("ok"));
  gpu.QueryAdapters();
  EXPECT_EQ(gpu.CardVendor, "");
  EXPECT_EQ(gpu.ShaderCount, 0);
  EXPECT_EQ(counters.Inits(), 1);
  EXPECT_EQ(counters.Dones(), 0);
  EXPECT_EQ(log_.find("Initialized."), std::string::npos);
}

TEST_F(GpuTest, DebugOutputNamesInitAndSensors) {
  Script("A|10DE|512|1024;B|8086|24|0");
  TGPUZLib gpu;
  gpu.LoadLibraryEntries(FakeFolder("ok"));
  gpu.QueryAdapters();
  EXPECT_EQ(log_, "Initialized.\nnVGASensorCount=3\nnVGASensorCount=3\n");
}

TEST_F(GpuTest, GarbageAnswersStayBounded) {
  // A huge adapter count and names that fill the buffer without terminator.
  Script("!count=1000000000;!unterminated;A|10DE|512|1024");
  TGPUZLib gpu;
  gpu.LoadLibraryEntries(FakeFolder("ok"));
  gpu.QueryAdapters();
  EXPECT_EQ(gpu.CardName, std::string(1024, 'A'));
  EXPECT_EQ(gpu.ShaderCount, 512);
  EXPECT_NE(log_.find("1000000000 adapters reported"), std::string::npos);
}

struct LibraryCase {
  const char* name;
  const char* folder;  // a variant under the fake folder; "" = empty folder
  bool ready;
  bool entriesBound;  // the other entries are bound whenever the version is right
};

class LibraryGateTest : public GpuTest, public ::testing::WithParamInterface<LibraryCase> {};

TEST_P(LibraryGateTest, OnlyTheRightLibraryIsCalled) {
  const LibraryCase& c = GetParam();
  Script("A|10DE|512|1024");
  test::TempDir empty;
  std::string folder = *c.folder ? FakeFolder(c.folder) : empty.path();
  FakeCounters counters(*c.folder ? c.folder : "ok");
  TGPUZLib gpu;
  gpu.LoadLibraryEntries(folder);
  EXPECT_EQ(gpu.Ready, c.ready);
  gpu.QueryAdapters();
  if (!c.ready) {
    EXPECT_EQ(gpu.GpuInit, nullptr);
    EXPECT_EQ(gpu.GpuAdapterProperty != nullptr, c.entriesBound);
    EXPECT_EQ(gpu.CardVendor, "");
    EXPECT_EQ(gpu.ShaderCount, 0);
    EXPECT_EQ(gpu.VideoMemorySize, 0);
    if (*c.folder) {
      EXPECT_EQ(counters.Inits(), 0);  // loaded, never called
    }
    EXPECT_FALSE(log_.empty());  // one line says why
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, LibraryGateTest,
    ::testing::Values(LibraryCase{"right_version", "ok", true, true},
                      LibraryCase{"higher_fourth_field", "wrong_version", false, false},
                      LibraryCase{"no_version_resource", "no_version", false, false},
                      LibraryCase{"missing_init_entry", "no_init", false, true},
                      LibraryCase{"missing_library", "", false, false}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(GpuTest, MissingPropertyEntryIsNotCalled) {
  Script("A|10DE|512|1024");
  FakeCounters counters("no_property");
  TGPUZLib gpu;
  gpu.LoadLibraryEntries(FakeFolder("no_property"));
  ASSERT_TRUE(gpu.Ready);
  EXPECT_EQ(gpu.GpuAdapterProperty, nullptr);
  gpu.QueryAdapters();
  EXPECT_EQ(gpu.CardVendor, "");
  EXPECT_EQ(counters.Dones(), 1);
}

TEST_F(GpuTest, EntriesBoundIncludingTheUnusedOnes) {
  TGPUZLib gpu;
  gpu.LoadLibraryEntries(FakeFolder("ok"));
  EXPECT_NE(gpu.GpuDone, nullptr);
  EXPECT_NE(gpu.GpuAdapterCount, nullptr);
  EXPECT_NE(gpu.GpuSensorCount, nullptr);
  EXPECT_NE(gpu.GpuSensorName, nullptr);
  EXPECT_NE(gpu.GpuSensorValue, nullptr);
}

}  // namespace
}  // namespace kestrune
