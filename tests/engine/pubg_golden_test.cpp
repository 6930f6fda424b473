// Golden files: the writers run on real players' files and the results are
// compared byte for byte with expected files checked by hand. On a mismatch
// the actual bytes are left in the temporary folder named in the failure.
#include <gtest/gtest.h>

#include <ostream>

#include <filesystem>
#include <functional>

#include "engine/pubg_lib.h"
#include "engine_test_support.h"

namespace kestrune::test {
namespace {

namespace fs = std::filesystem;

struct GoldenCase {
  const char* name;
  const char* realFolder;  // under fixtures/engine/real/
  std::function<void(TPUBGLib&)> run;
  std::vector<const char*> compared;  // game files compared with golden/<name>/
};

void PrintTo(const GoldenCase& c, std::ostream* os) {
  *os << c.name;
}

THareWareInfo Facts(int shaders, const char* vendor, int processors) {
  THareWareInfo hw;
  hw.ShaderCount = shaders;
  hw.CardVendor = vendor;
  hw.LogicalProcessors = processors;
  return hw;
}

const GoldenCase kGoldenCases[] = {
    {"engine07_apply",
     "07-engine-lowercase-sections",
     [](TPUBGLib& lib) {
       lib.EnsureDefaultConfigFiles();
       lib.ApplyEffectsQuality(3);
       lib.ApplyPostProcessQuality(6);
       lib.ApplyAntiAliasingQuality(4);
       lib.ApplyTextureQuality(2);
       lib.ApplyViewDistanceQuality(1);
       lib.ApplyHardwarePreset(4, Facts(2048, "10DE", 12));
       lib.ApplyNetworkPreset(3);
       lib.ApplyCpuUsageBoost(true);
       lib.ApplyDirectXPro(true);
       lib.ApplyBestImageColour(false);
       lib.ApplyBestComputeConfig(false);
       lib.ApplyMouseSmoothing(true);
       lib.ApplyShaderCompileTweaks(Facts(2048, "10DE", 12));
     },
     {"Engine.ini", "GameUserSettings.ini"}},
    {"engine09_official",
     "09-engine-array-ops-large",
     [](TPUBGLib& lib) {
       lib.ApplyHardwarePreset(8, Facts(0, "", 0));
       lib.ApplyNetworkPreset(5);
       lib.ApplyGpuLoadToCpu(false);
       lib.ApplyReducedShadowQuality(false);
       lib.ApplyBestComputeConfig(true);
       lib.ApplyLowFpsRenderDelay(true);
     },
     {"Engine.ini"}},
    {"engine08_engine_section",
     "08-engine-comments-utf8",
     [](TPUBGLib& lib) {
       lib.ApplyReducedShadowQuality(true);
       lib.ApplyMemoryOptimisation(true);
       lib.ApplySoundPositioning(true);
       lib.ApplyShadowQuality(2);
     },
     {"Engine.ini"}},
    {"gus05_jump_on",
     "05-gus-2020-keybinds",
     [](TPUBGLib& lib) {
       lib.ApplyBigJumpBinding(true);
       lib.ApplyGameLanguage(false);
       lib.ApplyScreenScale(120);
       lib.ApplyFirstPersonFov(103);
       lib.ApplyFrameRateLimit(144);
       lib.ApplyShadowQuality(3);
       lib.ApplyFoliageQuality(5);
     },
     {"GameUserSettings.ini"}},
    {"gus06_jump_on_empty_list",
     "06-gus-sections-reordered",
     [](TPUBGLib& lib) { lib.ApplyBigJumpBinding(true); },
     {"GameUserSettings.ini"}},
    {"gus01_jump_on_then_off",
     "01-gus-2025-full-ptbr",
     [](TPUBGLib& lib) {
       lib.ApplyBigJumpBinding(true);
       lib.ApplyBigJumpBinding(false);
     },
     {"GameUserSettings.ini"}},
    {"scal12_hardware",
     "12-scalability-fpspack",
     [](TPUBGLib& lib) { lib.ApplyHardwarePreset(1, Facts(0, "", 0)); },
     {"Scalability.ini"}},
};

class GoldenTest : public EngineTest, public ::testing::WithParamInterface<GoldenCase> {};

TEST_P(GoldenTest, MatchesTheHandCheckedFile) {
  const GoldenCase& c = GetParam();
  for (const auto& e : fs::directory_iterator(FixturePath(std::string("real/") + c.realFolder)))
    fs::copy_file(e.path(), lib.GameConfigFolder() + e.path().filename().string());
  c.run(lib);
  EXPECT_EQ(lib.SwallowedWriteCount(), 0);
  for (const char* file : c.compared) {
    std::string actual = ReadFile(lib.GameConfigFolder() + file);
    std::string expected = ReadFile(FixturePath(std::string("golden/") + c.name + "/" + file));
    if (actual != expected) {
      std::string keep =
          fs::temp_directory_path().string() + "/kestrune-golden/" + c.name + "/" + file;
      WriteFile(keep, actual);
      ADD_FAILURE() << file << " differs from its golden file; actual bytes in " << keep;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(RealFiles, GoldenTest, ::testing::ValuesIn(kGoldenCases),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace kestrune::test
