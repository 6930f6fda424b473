// The graphics, tweak and switch writers: which keys each choice writes,
// removes or leaves, in which file, section and order.
#include <gtest/gtest.h>

#include <ostream>

#include <filesystem>
#include <functional>
#include <map>
#include <sstream>

#include "engine/pubg_lib.h"
#include "engine_test_support.h"
#include "support/case_name.h"

namespace kestrune::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kRenderer = "/script/engine.renderersettings";
constexpr const char* kEngine = "/script/engine.engine";
constexpr const char* kGroups = "ScalabilityGroups";
constexpr const char* kUser = "/Script/TslGame.TslGameUserSettings";

// An expectation names a key by a one-letter place: R renderer, E engine
// (both Engine.ini), G ScalabilityGroups, U user settings (both
// GameUserSettings.ini), S ScalabilitySettings (Scalability.ini), P player,
// N ipnetdriver. "R:k=v" writes v, "R:k-" removes k, "R:k" leaves k alone.
struct Place {
  char letter;
  const char* section;
  int file;  // 0 Engine.ini, 1 GameUserSettings.ini, 2 Scalability.ini
};
const Place kPlaces[] = {
    {'R', kRenderer, 0},
    {'E', kEngine, 0},
    {'P', "/script/engine.player", 0},
    {'N', "/script/onlinesubsystemutils.ipnetdriver", 0},
    {'G', kGroups, 1},
    {'U', kUser, 1},
    {'S', "ScalabilitySettings", 2},
};

struct Expect {
  const Place* place;
  std::string key;
  enum { kWrite, kRemove, kKeep } what;
  std::string value;
};

Expect ParseExpect(const std::string& desc) {
  Expect e{};
  for (const Place& p : kPlaces)
    if (p.letter == desc[0]) e.place = &p;
  std::string rest = desc.substr(2);
  if (size_t eq = rest.find('='); eq != std::string::npos) {
    e.key = rest.substr(0, eq);
    e.value = rest.substr(eq + 1);
    e.what = Expect::kWrite;
  } else if (rest.back() == '-') {
    e.key = rest.substr(0, rest.size() - 1);
    e.what = Expect::kRemove;
  } else {
    e.key = rest;
    e.what = Expect::kKeep;
  }
  return e;
}

std::vector<Expect> ParseAll(const std::string& descs) {
  std::vector<Expect> out;
  std::istringstream in(descs);
  std::string word;
  while (in >> word) out.push_back(ParseExpect(word));
  return out;
}

const std::string& FileOf(const TPUBGLib& lib, int file) {
  return file == 0   ? lib.EngineIniPath
         : file == 1 ? lib.GameUserSettingsPath
                     : lib.ScalabilityIniPath;
}

using Writer = std::function<void(TPUBGLib&, int)>;

struct LevelCase {
  const char* name;
  Writer writer;
  int level;
  const char* expect;  // in write order; empty: the writer touches nothing
};

void PrintTo(const LevelCase& c, std::ostream* os) {
  *os << c.name;
}

#define W(fn) [](TPUBGLib& lib, int level) { lib.fn(level); }

const LevelCase kLevelCases[] = {
    {"Shadow0", W(ApplyShadowQuality), 0, "R:r.LightFunctionQuality G:sg.ShadowQuality"},
    {"Shadow1", W(ApplyShadowQuality), 1, "R:r.LightFunctionQuality=1 G:sg.ShadowQuality=0"},
    {"Shadow2", W(ApplyShadowQuality), 2, "R:r.LightFunctionQuality=3 G:sg.ShadowQuality=0"},
    {"Shadow3", W(ApplyShadowQuality), 3, "R:r.LightFunctionQuality=3 G:sg.ShadowQuality=2"},
    {"Shadow4", W(ApplyShadowQuality), 4, "R:r.LightFunctionQuality- G:sg.ShadowQuality=0"},
    {"Shadow8", W(ApplyShadowQuality), 8, "R:r.LightFunctionQuality- G:sg.ShadowQuality=4"},
    {"Shadow9", W(ApplyShadowQuality), 9, "R:r.LightFunctionQuality G:sg.ShadowQuality"},
    {"ShadowNeg", W(ApplyShadowQuality), -1, "R:r.LightFunctionQuality G:sg.ShadowQuality"},
    {"Effects1", W(ApplyEffectsQuality), 1,
     "G:sg.EffectsQuality=0 R:r.TranslucencyLightingVolumeDim=0 R:r.RefractionQuality=0 R:r.SSR=0 "
     "R:r.SceneColorFormat=1 R:r.DetailMode=0 R:r.TranslucencyVolumeBlur=0 "
     "R:r.MaterialQualityLevel=0"},
    {"Effects2", W(ApplyEffectsQuality), 2,
     "G:sg.EffectsQuality=0 R:r.TranslucencyLightingVolumeDim=4 R:r.RefractionQuality=0 R:r.SSR=0 "
     "R:r.SceneColorFormat=4 R:r.DetailMode=0 R:r.TranslucencyVolumeBlur=0 "
     "R:r.MaterialQualityLevel=0"},
    {"Effects3", W(ApplyEffectsQuality), 3,
     "G:sg.EffectsQuality=0 R:r.TranslucencyLightingVolumeDim=32 R:r.RefractionQuality=2 R:r.SSR=1 "
     "R:r.SceneColorFormat=5 R:r.DetailMode=2 R:r.TranslucencyVolumeBlur=0 "
     "R:r.MaterialQualityLevel=1"},
    {"Effects4", W(ApplyEffectsQuality), 4,
     "G:sg.EffectsQuality=0 R:r.TranslucencyLightingVolumeDim=64 R:r.RefractionQuality=2 R:r.SSR=1 "
     "R:r.SceneColorFormat=5 R:r.DetailMode=2 R:r.TranslucencyVolumeBlur=1 "
     "R:r.MaterialQualityLevel=1"},
    {"Effects7", W(ApplyEffectsQuality), 7,
     "G:sg.EffectsQuality=2 R:r.TranslucencyLightingVolumeDim- R:r.RefractionQuality- R:r.SSR- "
     "R:r.SceneColorFormat- R:r.DetailMode- R:r.TranslucencyVolumeBlur- R:r.MaterialQualityLevel-"},
    {"Effects10", W(ApplyEffectsQuality), 10, "G:sg.EffectsQuality R:r.SSR"},
    {"PostProcess1", W(ApplyPostProcessQuality), 1,
     "G:sg.PostProcessQuality=0 R:r.MotionBlurQuality- R:r.BlurGBuffer- "
     "R:r.AmbientOcclusionLevels- "
     "R:r.AmbientOcclusionRadiusScale- R:r.DepthOfFieldQuality- R:r.RenderTargetPoolMin- "
     "R:r.LensFlareQuality- R:r.SceneColorFringeQuality- R:r.EyeAdaptationQuality- "
     "R:r.BloomQuality- "
     "R:r.FastBlurThreshold- R:r.Upscale.Quality- R:r.Tonemapper.GrainQuantization-"},
    {"PostProcess5", W(ApplyPostProcessQuality), 5, "G:sg.PostProcessQuality=4 R:r.BloomQuality-"},
    {"PostProcess6", W(ApplyPostProcessQuality), 6,
     "G:sg.PostProcessQuality=0 R:r.MotionBlurQuality=3 R:r.BlurGBuffer=-1 "
     "R:r.AmbientOcclusionLevels=2 "
     "R:r.AmbientOcclusionRadiusScale=1.5 R:r.DepthOfFieldQuality=2 R:r.RenderTargetPoolMin=400 "
     "R:r.LensFlareQuality=2 R:r.SceneColorFringeQuality=1 R:r.EyeAdaptationQuality=3 "
     "R:r.BloomQuality=5 "
     "R:r.FastBlurThreshold=3 R:r.Upscale.Quality=2 R:r.Tonemapper.GrainQuantization=1"},
    {"PostProcess7", W(ApplyPostProcessQuality), 7, "G:sg.PostProcessQuality R:r.BloomQuality"},
    {"AntiAliasing1", W(ApplyAntiAliasingQuality), 1,
     "R:r.PostProcessAAQuality=0 R:r.SkeletalMeshLODBias=32 G:sg.AntiAliasingQuality=0 "
     "R:r.TemporalAASamples- R:r.MaxQualityMode- R:r.TemporalAASharpness-"},
    {"AntiAliasing2", W(ApplyAntiAliasingQuality), 2,
     "R:r.PostProcessAAQuality=4 R:r.SkeletalMeshLODBias=3 G:sg.AntiAliasingQuality=0 "
     "R:r.TemporalAASamples- R:r.MaxQualityMode- R:r.TemporalAASharpness-"},
    {"AntiAliasing3", W(ApplyAntiAliasingQuality), 3,
     "R:r.PostProcessAAQuality=6 R:r.SkeletalMeshLODBias=5 G:sg.AntiAliasingQuality=0 "
     "R:r.TemporalAASamples- R:r.MaxQualityMode- R:r.TemporalAASharpness-"},
    {"AntiAliasing4", W(ApplyAntiAliasingQuality), 4,
     "R:r.PostProcessAAQuality=6 R:r.SkeletalMeshLODBias=5 G:sg.AntiAliasingQuality=0 "
     "R:r.TemporalAASamples=4 R:r.MaxQualityMode=1 R:r.TemporalAASharpness=1.0"},
    {"AntiAliasing9", W(ApplyAntiAliasingQuality), 9,
     "R:r.PostProcessAAQuality- R:r.SkeletalMeshLODBias- G:sg.AntiAliasingQuality=4 "
     "R:r.TemporalAASamples- R:r.MaxQualityMode- R:r.TemporalAASharpness-"},
    {"Texture0", W(ApplyTextureQuality), 0, "R:r.Streaming.MipBias- G:sg.TextureQuality"},
    {"Texture1", W(ApplyTextureQuality), 1, "R:r.Streaming.MipBias- G:sg.TextureQuality=0"},
    {"Texture2", W(ApplyTextureQuality), 2, "R:r.Streaming.MipBias=0 G:sg.TextureQuality=0"},
    {"Texture3", W(ApplyTextureQuality), 3, "R:r.Streaming.MipBias=0 G:sg.TextureQuality=0"},
    {"Texture6", W(ApplyTextureQuality), 6, "R:r.Streaming.MipBias- G:sg.TextureQuality=2"},
    {"Texture9", W(ApplyTextureQuality), 9, "R:r.Streaming.MipBias- G:sg.TextureQuality"},
    {"Foliage1", W(ApplyFoliageQuality), 1, "G:sg.FoliageQuality=0"},
    {"Foliage5", W(ApplyFoliageQuality), 5, "G:sg.FoliageQuality=4"},
    {"Foliage6", W(ApplyFoliageQuality), 6, "G:sg.FoliageQuality"},
    {"ViewDistance0", W(ApplyViewDistanceQuality), 0,
     "R:r.ViewDistanceScale- G:sg.ViewDistanceQuality"},
    {"ViewDistance1", W(ApplyViewDistanceQuality), 1,
     "R:r.ViewDistanceScale=0 G:sg.ViewDistanceQuality=0"},
    {"ViewDistance2", W(ApplyViewDistanceQuality), 2,
     "R:r.ViewDistanceScale=0.4 G:sg.ViewDistanceQuality=0"},
    {"ViewDistance3", W(ApplyViewDistanceQuality), 3,
     "R:r.ViewDistanceScale=0.4 G:sg.ViewDistanceQuality=0"},
    {"ViewDistance4", W(ApplyViewDistanceQuality), 4,
     "R:r.ViewDistanceScale- G:sg.ViewDistanceQuality=4"},
    {"ViewDistance5", W(ApplyViewDistanceQuality), 5,
     "R:r.ViewDistanceScale- G:sg.ViewDistanceQuality=0"},
    {"ViewDistance10", W(ApplyViewDistanceQuality), 10,
     "R:r.ViewDistanceScale- G:sg.ViewDistanceQuality"},
    {"ScreenScale100", W(ApplyScreenScale), 100, "U:ScreenScale=100.000000"},
    {"ScreenScale0", W(ApplyScreenScale), 0, "U:ScreenScale=0.000000"},
    {"ScreenScaleNeg", W(ApplyScreenScale), -1, "U:ScreenScale=-1.000000"},
    {"Fov90", W(ApplyFirstPersonFov), 90, "U:FpsCamearFov=90.000000"},
    {"FrameRate144", W(ApplyFrameRateLimit), 144, "U:FrameRateLimit=144.000000"},
    {"Network1", W(ApplyNetworkPreset), 1,
     "P:ConfiguredInternetSpeed=80000 P:ConfiguredLanSpeed=80000 N:MaxClientRate=80000 "
     "N:MaxInternetClientRate=80000 N:NetServerMaxTickRate=15 N:LanServerMaxTickRate=15 "
     "N:AckTimeout=1.0 "
     "N:AllowDownloads=False N:SimLatency=0 N:MaxTicksPerSecond=15 N:DumbProxyTimeout=2.000000 "
     "N:TotalNetBandwidth=100000 N:MaxDynamicBandwidth=80000 N:MinDynamicBandwidth=50000 "
     "N:PktLag=0 "
     "N:PktLagVariance=0 N:PktLoss=0 N:PktOrder=0 N:PktDup=0"},
    {"Network4", W(ApplyNetworkPreset), 4,
     "P:ConfiguredInternetSpeed=50000 P:ConfiguredLanSpeed=50000 N:MaxClientRate=50000 "
     "N:MaxInternetClientRate=50000 N:NetServerMaxTickRate=10 N:LanServerMaxTickRate=10 "
     "N:AckTimeout=1.0 "
     "N:AllowDownloads=False N:SimLatency=0 N:MaxTicksPerSecond=10 N:DumbProxyTimeout=2.000000 "
     "N:TotalNetBandwidth=100000 N:MaxDynamicBandwidth=80000 N:MinDynamicBandwidth=50000 "
     "N:PktLag=0 "
     "N:PktLagVariance=0 N:PktLoss=0 N:PktOrder=0 N:PktDup=0"},
    {"Network5", W(ApplyNetworkPreset), 5,
     "P:ConfiguredInternetSpeed- P:ConfiguredLanSpeed- N:MaxClientRate- N:MaxInternetClientRate- "
     "N:NetServerMaxTickRate- N:LanServerMaxTickRate- N:AckTimeout- N:AllowDownloads- "
     "N:SimLatency- "
     "N:MaxTicksPerSecond- N:DumbProxyTimeout- N:TotalNetBandwidth- N:MaxDynamicBandwidth- "
     "N:MinDynamicBandwidth- N:PktLag- N:PktLagVariance- N:PktLoss- N:PktOrder- N:PktDup-"},
    {"Network6", W(ApplyNetworkPreset), 6, "P:ConfiguredInternetSpeed N:PktDup"},
};
#undef W

class LevelWriterTest : public EngineTest, public ::testing::WithParamInterface<LevelCase> {};

// From files holding every named key with a marker value: written keys get
// their value, removed ones go, the others keep the marker.
TEST_P(LevelWriterTest, WritesRemovesAndLeavesTheListedKeys) {
  const LevelCase& c = GetParam();
  std::vector<Expect> expects = ParseAll(c.expect);
  for (const Expect& e : expects)
    ASSERT_TRUE(lib.WriteIniKey(FileOf(lib, e.place->file), e.place->section, e.key, "marker"));
  std::map<std::string, std::string> before;
  for (int f = 0; f < 3; ++f) before[FileOf(lib, f)] = ReadFile(FileOf(lib, f));

  c.writer(lib, c.level);

  for (const Expect& e : expects) {
    std::string text = ReadFile(FileOf(lib, e.place->file));
    std::optional<std::string> value = ini::ReadValue(text, e.place->section, e.key);
    switch (e.what) {
      case Expect::kWrite:
        EXPECT_EQ(value.value_or("<absent>"), e.value) << e.key;
        break;
      case Expect::kRemove:
        EXPECT_FALSE(value.has_value()) << e.key;
        break;
      case Expect::kKeep:
        EXPECT_EQ(value.value_or("<absent>"), "marker") << e.key;
        break;
    }
  }
  // Nothing but the named keys changed: put the expected edits on the old text.
  for (int f = 0; f < 3; ++f) {
    std::string expected = before[FileOf(lib, f)];
    for (const Expect& e : expects) {
      if (e.place->file != f) continue;
      if (e.what == Expect::kWrite)
        expected = ini::SetKey(expected, e.place->section, e.key, e.value);
      if (e.what == Expect::kRemove) expected = ini::DeleteKey(expected, e.place->section, e.key);
    }
    EXPECT_EQ(ReadFile(FileOf(lib, f)), expected) << FileOf(lib, f);
  }
}

// From no files at all: new keys line up in their sections in write order,
// and a choice that only removes creates no file.
TEST_P(LevelWriterTest, NewKeysFollowTheWriteOrder) {
  const LevelCase& c = GetParam();
  c.writer(lib, c.level);
  std::map<int, std::vector<std::string>> expected;
  for (const Expect& e : ParseAll(c.expect)) {
    if (e.what == Expect::kWrite)
      expected[e.place->file].push_back(std::string(e.place->section) + "|" + e.key + "=" +
                                        e.value);
  }
  for (int f = 0; f < 3; ++f) {
    if (expected[f].empty()) {
      EXPECT_FALSE(fs::exists(FileOf(lib, f))) << FileOf(lib, f);
      continue;
    }
    std::vector<std::string> got = EntriesOf(FileOf(lib, f));
    std::vector<std::string> want = expected[f];
    // Sections appear in order of first use; compare per section.
    std::stable_sort(got.begin(), got.end(), [](const std::string& a, const std::string& b) {
      return a.substr(0, a.find('|')) < b.substr(0, b.find('|'));
    });
    std::stable_sort(want.begin(), want.end(), [](const std::string& a, const std::string& b) {
      return a.substr(0, a.find('|')) < b.substr(0, b.find('|'));
    });
    EXPECT_EQ(got, want);
  }
}

INSTANTIATE_TEST_SUITE_P(Choices, LevelWriterTest, ::testing::ValuesIn(kLevelCases),
                         [](const auto& p) { return std::string(p.param.name); });

// ---- Hardware preset ----

TEST_F(EngineTest, HardwarePresetShaderCountAndLevelSixOrder) {
  THareWareInfo hw;
  hw.ShaderCount = 2560;
  lib.ApplyHardwarePreset(6, hw);
  std::vector<std::string> engine = EntriesOf(lib.EngineIniPath);
  std::vector<std::string> want = {
      std::string(kEngine) + "|PhysXGpuHeapSize=0",
      std::string(kEngine) + "|PhysXMeshCacheSize=0",
      std::string(kEngine) + "|MaxPixelShaderAdditiveComplexityCount=2560",
      std::string(kEngine) + "|b.cuda_devices=0",
  };
  ASSERT_GE(engine.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(engine.begin(), engine.begin() + 4), want);
  // Level 6 leaves PoolSize, the streaming keys and the mip fades alone.
  std::string text = ReadFile(lib.EngineIniPath);
  for (const char* untouched : {"PoolSize", "dynamicstreaming", "MipFadeInSpeed0",
                                "bSmoothFrameRate", "TimeBetweenPurgingPendingKillObjects"})
    EXPECT_FALSE(ini::ReadValue(text, kEngine, untouched)) << untouched;
  EXPECT_EQ(ini::ReadValue(ReadFile(lib.ScalabilityIniPath), "ScalabilitySettings",
                           "PerfIndexValues_ResolutionQuality"),
            "100 100 100 100");
}

TEST_F(EngineTest, HardwarePresetWithoutShaderCountSkipsThatKeyOnly) {
  TempDir other;
  TPUBGLib withCount(other.path());
  THareWareInfo none;
  THareWareInfo some;
  some.ShaderCount = 1;
  for (int level = 1; level <= 6; ++level) {
    lib.ApplyHardwarePreset(level, none);
    withCount.ApplyHardwarePreset(level, some);
    std::string without = ReadFile(lib.EngineIniPath);
    std::string with = ReadFile(withCount.EngineIniPath);
    EXPECT_FALSE(ini::ReadValue(without, kEngine, "MaxPixelShaderAdditiveComplexityCount"))
        << level;
    EXPECT_EQ(ini::ReadValue(with, kEngine, "MaxPixelShaderAdditiveComplexityCount"), "1") << level;
    EXPECT_EQ(ini::DeleteKey(with, kEngine, "MaxPixelShaderAdditiveComplexityCount"), without)
        << level;
    fs::remove(lib.EngineIniPath);
    fs::remove(withCount.EngineIniPath);
  }
}

TEST_F(EngineTest, HardwarePresetColumnsSpotChecks) {
  THareWareInfo hw;
  hw.ShaderCount = 640;
  lib.ApplyHardwarePreset(3, hw);
  std::string text = ReadFile(lib.EngineIniPath);
  EXPECT_EQ(ini::ReadValue(text, kEngine, "SmoothedFrameRateRange"),
            "(LowerBound=(Type=\"ERangeBoundTypes::Inclusive\",Value=60),UpperBound=(Type="
            "\"ERangeBoundTypes::Exclusive\",Value=165))");
  EXPECT_EQ(ini::ReadValue(text, kEngine, "MinDesiredFrameRate"), "60");
  EXPECT_EQ(ini::ReadValue(text, kEngine, "MaxES2PixelShaderAdditiveComplexityCount"), "45");
  EXPECT_FALSE(ini::ReadValue(text, kEngine, "bSmoothFrameRate"));
  EXPECT_FALSE(ini::ReadValue(text, kRenderer, "r.ViewDistanceScale"));

  lib.ApplyHardwarePreset(5, hw);
  text = ReadFile(lib.EngineIniPath);
  EXPECT_EQ(ini::ReadValue(text, kEngine, "dynamicstreaming"), "false");
  EXPECT_EQ(ini::ReadValue(text, kEngine, "bBakeAndPruneDuringCook"), "false");
  EXPECT_EQ(ini::ReadValue(text, kEngine, "bUseBackgroundLevelStreaming"), "False");

  lib.ApplyHardwarePreset(7, hw);
  text = ReadFile(lib.EngineIniPath);
  EXPECT_EQ(ini::ReadValue(text, kRenderer, "r.ViewDistanceScale"), "0");
  EXPECT_EQ(ini::ReadValue(text, kEngine, "TimeBetweenPurgingPendingKillObjects"), "10");
  EXPECT_EQ(ini::ReadValue(text, kEngine, "MeasuredCPUScore"), "-1.000000");

  // Level 8 removes its rows and keeps what it does not list.
  lib.ApplyHardwarePreset(1, hw);
  lib.ApplyHardwarePreset(8, hw);
  text = ReadFile(lib.EngineIniPath);
  for (const char* gone :
       {"bSmoothFrameRate", "PhysXGpuHeapSize", "PackageSizeSoftLimi", "b.tempunits",
        "MeasuredCPUScore", "TimeBetweenPurgingPendingKillObjects"})
    EXPECT_FALSE(ini::ReadValue(text, kEngine, gone)) << gone;
  for (const char* gone :
       {"r.ViewDistanceScale", "v.PreShadowsOptimization", "r.NotebookOptimization"})
    EXPECT_FALSE(ini::ReadValue(text, kRenderer, gone)) << gone;
  EXPECT_EQ(ini::ReadValue(text, kEngine, "AllowJoystickInput"), "0");
  EXPECT_EQ(ini::ReadValue(text, kEngine, "MipFadeInSpeed1"), "2.0");
  EXPECT_EQ(ini::ReadValue(text, kEngine, "MaxPixelShaderAdditiveComplexityCount"), "640");
  EXPECT_FALSE(ini::ReadValue(ReadFile(lib.ScalabilityIniPath), "ScalabilitySettings",
                              "PerfIndexValues_ResolutionQuality"));

  // Out of range: nothing.
  std::string before = ReadFile(lib.EngineIniPath);
  lib.ApplyHardwarePreset(0, hw);
  lib.ApplyHardwarePreset(9, hw);
  EXPECT_EQ(ReadFile(lib.EngineIniPath), before);
}

TEST(HardwareFactsTest, ConstructorFactsAreReadWhenTheWriterRuns) {
  TempDir dir;
  THareWareInfo hw;
  TPUBGLib lib(dir.path(), hw);
  hw.ShaderCount = 77;  // filled in after the engine was made
  hw.LogicalProcessors = 4;
  hw.CardVendor = "1002";
  lib.ApplyHardwarePreset(1);
  lib.ApplyShaderCompileTweaks();
  std::string text = ReadFile(lib.EngineIniPath);
  EXPECT_EQ(ini::ReadValue(text, kEngine, "MaxPixelShaderAdditiveComplexityCount"), "77");
  EXPECT_EQ(ini::ReadValue(text, kRenderer, "CacheCpuNum"), "4");
  EXPECT_EQ(ini::ReadValue(text, kRenderer, "UseMinimalNVIDIADriverShaderOptimization"), "False");

  TempDir other;
  TPUBGLib bare(other.path());  // no facts: S = 0, V = "", N = 0
  bare.ApplyShaderCompileTweaks();
  EXPECT_EQ(EntriesOf(bare.EngineIniPath),
            (std::vector<std::string>{
                std::string(kRenderer) + "|bGetCPUScore=-1.000000",
                std::string(kRenderer) + "|DisableATITextureFilterOptimizationChecks=True",
                std::string(kRenderer) + "|UseMinimalNVIDIADriverShaderOptimization=True",
                std::string(kRenderer) + "|bAllowMultiThreadedShaderCompile=True"}));
}

// ---- Shader-compile tweaks ----

struct TweakCase {
  const char* vendor;
  int processors;
  const char* vendorValue;
  const char* compat;  // composite/cpu/gpu, or "" when N <= 0
};

void PrintTo(const TweakCase& c, std::ostream* os) {
  *os << "\"" << c.vendor << "\" N=" << c.processors;
}

const TweakCase kTweakCases[] = {
    {"1002", 4, "False", "4/4/4"}, {"10DE", 6, "True", "4/5/4"}, {"", 3, "True", "3/3/4"},
    {"1002 ", 1, "True", "3/3/4"}, {"8086", 5, "True", "4/4/4"}, {"1002", 64, "False", "4/5/4"},
    {"1002", 0, "False", ""},      {"1002", -2, "False", ""},
};

class ShaderTweakTest : public EngineTest, public ::testing::WithParamInterface<TweakCase> {};

TEST_P(ShaderTweakTest, VendorAndProcessorCount) {
  const TweakCase& c = GetParam();
  THareWareInfo hw;
  hw.CardVendor = c.vendor;
  hw.LogicalProcessors = c.processors;
  lib.ApplyShaderCompileTweaks(hw);
  const std::string r = std::string(kRenderer) + "|";
  std::vector<std::string> want = {r + "bGetCPUScore=-1.000000",
                                   r + "DisableATITextureFilterOptimizationChecks=" + c.vendorValue,
                                   r + "UseMinimalNVIDIADriverShaderOptimization=" + c.vendorValue,
                                   r + "bAllowMultiThreadedShaderCompile=True"};
  if (c.processors > 0) {
    std::string n = std::to_string(c.processors);
    for (const char* key :
         {"CPUNumLogicalProcessors", "CacheCpuNum", "ThreadedShaderCompileThreshold",
          "ThreadedShaderCpuCore", "PreViewUpdateEveryFrame"})
      want.push_back(r + key + "=" + n);
    std::string compat = c.compat;
    want.push_back(r + "CompatLevelComposite=" + compat.substr(0, 1));
    want.push_back(r + "CompatLevelCPU=" + compat.substr(2, 1));
    want.push_back(r + "CompatLevelGPU=" + compat.substr(4, 1));
  }
  EXPECT_EQ(EntriesOf(lib.EngineIniPath), want);
}

INSTANTIATE_TEST_SUITE_P(Facts, ShaderTweakTest, ::testing::ValuesIn(kTweakCases),
                         [](const auto& p) {
                           return ::kestrune::test::CaseName(p.index, p.param.vendor,
                                                             p.param.processors);
                         });

// ---- Option switches ----

using Switch = void (TPUBGLib::*)(bool);

struct SwitchCase {
  const char* name;
  Switch writer;
  size_t keyLines;    // distinct key lines after "on"
  const char* check;  // a few of its keys with their values, in write order
};

void PrintTo(const SwitchCase& c, std::ostream* os) {
  *os << c.name;
}

const SwitchCase kSwitchCases[] = {
    {"CpuUsageBoost", &TPUBGLib::ApplyCpuUsageBoost, 1,
     "R:r.UseParallelGetDynamicMeshElementsTasks=1536"},
    {"CpuPerformanceBalance", &TPUBGLib::ApplyCpuPerformanceBalance, 5,
     "R:r.OptimizeForUAVPerformance=1 R:r.VRAMCache=32 R:r.VRAMPerformance=1 "
     "R:r.MaxGPUPerFrame=145 "
     "R:r.MinGPUPerFrame=59"},
    {"GpuUsageBoost", &TPUBGLib::ApplyGpuUsageBoost, 8,
     "R:x.bUseGetGPUScore=1 R:x.MaxGPUPixelFrame=0.785321 R:x.MaxCPUScore=0398.564985 "
     "R:x.MinCPUScore=168.616821"},
    {"GpuLoadToCpu", &TPUBGLib::ApplyGpuLoadToCpu, 4,
     "R:r.CPUHTPreferences=0 R:r.CPUCoreTiming=-1.000000 R:r.CPUMemoryScore=-1.000000 "
     "R:r.FreeSkeletalMeshBuffers=1"},
    {"SoundPositioning", &TPUBGLib::ApplySoundPositioning, 20,
     "E:voicesound=True E:voiceMaxsound=512 E:UnfocusedVolumeMultiplier=0.0 E:music.MinChannles=64 "
     "E:music.MaxSoundchannels=256 E:UseAudioThread=false E:VolumeMultiplier=7.1 "
     "E:b.MinMusicChannles=64"},
    {"BestComputePerformance", &TPUBGLib::ApplyBestComputePerformance, 15,
     "R:r.HighPerformanceMode=1 R:t.AOCheckCount=12 R:r.StopCacheGpu=0 R:r.MaxLight=120"},
    {"ReducedShadowQuality", &TPUBGLib::ApplyReducedShadowQuality, 16,
     "E:Shadow.Preshadow=false E:DynamicShadows=False E:ShadowTexelsPerPixel=0.636620 "
     "E:ShadowCSM.MaxCascades=false E:Shadow.EnabeShadowPixel=false"},
    {"MemoryOptimisation", &TPUBGLib::ApplyMemoryOptimisation, 11,
     "E:RAM.HeapLevelSize=1024 E:obAllowMaxPixel=True E:b.bUseForcePhysX=2048 E:b.SmoothFPS=false"},
    {"BestImageColour", &TPUBGLib::ApplyBestImageColour, 4,
     "R:r.EyeAdaptationQuality=3 R:r.ColorQuality=1 R:r.AOMapQuality=-1 R:r.EnableBaseColor=1"},
    {"ReducedRenderResolution", &TPUBGLib::ApplyReducedRenderResolution, 6,
     "R:r.EnableMapHalfPixel=1 R:r.PowerOfTwoBetweenResolutionLevels=4 R:r.MinDistantPixels=12"},
    {"BestComputeConfig", &TPUBGLib::ApplyBestComputeConfig, 55,
     "R:v.ShaderDevelopmentMode=0 R:v.Shadow.TexelsPerPixel=0 "
     "R:r.Shadow.TexelsPerPixelSpotlight=0"},
    {"ForceMaxRenderDistance", &TPUBGLib::ApplyForceMaxRenderDistance, 6,
     "R:r.EyeMax=128.0 R:r.MapScan=2000.000000 R:v.CleanMapPool=true"},
    {"DirectXPro", &TPUBGLib::ApplyDirectXPro, 17,
     "R:r.EnableRHI=1 R:r.RHICmdUseThread=1 R:r.DX11UseThread=-1 R:r.D3DCommandsCompiler=0"},
    {"VideoMemoryOptimisation", &TPUBGLib::ApplyVideoMemoryOptimisation, 5,
     "R:r.GPUVramPerformance=1 R:r.GBuffer=0 R:r.GPUBuffer=0"},
    {"LowFpsRenderDelay", &TPUBGLib::ApplyLowFpsRenderDelay, 4,
     "R:r.oneframethreadlag=1 R:r.lagcompensation=1 R:r.lagcomp_errorcheck=1 "
     "R:r.delayframethread=1"},
};

class SwitchTest : public EngineTest, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(SwitchTest, OnWritesItsKeysOffTakesThemAway) {
  const SwitchCase& c = GetParam();
  const bool reversed = c.writer == &TPUBGLib::ApplyBestComputeConfig;
  (lib.*c.writer)(false);
  if (!reversed) {
    EXPECT_FALSE(fs::exists(lib.EngineIniPath)) << "off created a file";
  }

  WriteFile(lib.EngineIniPath,
            "[/Script/Engine.RendererSettings]\r\nmine=1\r\n\r\n[/Script/Engine.Engine]\r\n"
            "mine=2\r\n\r\n[Tail]\r\nt=1\r\n");
  const std::string original = ReadFile(lib.EngineIniPath);
  (lib.*c.writer)(true);
  std::vector<std::string> on = EntriesOf(lib.EngineIniPath);
  EXPECT_EQ(on.size(), c.keyLines + 3 - 0) << "key lines after on";
  std::string text = ReadFile(lib.EngineIniPath);
  auto lower = [](std::string t) {
    for (char& ch : t) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return t;
  };
  std::vector<std::string> want;
  for (const Expect& e : ParseAll(c.check)) {
    EXPECT_EQ(ini::ReadValue(text, e.place->section, e.key).value_or("<absent>"), e.value) << e.key;
    want.push_back(lower(e.place->section) + "|" + e.key);
  }
  // The checked keys stand in write order.
  std::vector<std::string> got;
  for (const std::string& entry : on) {
    std::string sectionKey = entry.substr(0, entry.find('='));
    std::string canonical =
        lower(sectionKey.substr(0, sectionKey.find('|'))) + sectionKey.substr(sectionKey.find('|'));
    if (std::find(want.begin(), want.end(), canonical) != want.end()) got.push_back(canonical);
  }
  EXPECT_EQ(got, want);

  (lib.*c.writer)(false);
  if (!reversed) {
    EXPECT_EQ(ReadFile(lib.EngineIniPath), original);
  } else {
    // The four score keys stay at -1.000000; the renderer keys go.
    std::string after = ReadFile(lib.EngineIniPath);
    for (const char* key :
         {"bGetCPUScore", "bCPUBenchmarkResult", "CPUBenchmarkScore", "MeasuredCPUScore"})
      EXPECT_EQ(ini::ReadValue(after, kEngine, key), "-1.000000") << key;
    EXPECT_EQ(ini::ListKeys(after, kRenderer), std::vector<std::string>{"mine"});
  }
}

TEST_P(SwitchTest, OffThenOnLeavesEachKeyOnceAtTheSectionEnd) {
  const SwitchCase& c = GetParam();
  (lib.*c.writer)(true);
  lib.WriteIniKey(lib.EngineIniPath, kRenderer, "zz.after", "1");
  lib.WriteIniKey(lib.EngineIniPath, kEngine, "zz.after", "1");
  (lib.*c.writer)(false);
  (lib.*c.writer)(true);
  std::vector<std::string> entries = EntriesOf(lib.EngineIniPath);
  std::vector<std::string> sorted = entries;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end()) << "a key twice";
  // zz.after now comes before the writer's keys in its section.
  for (const char* section : {kRenderer, kEngine}) {
    std::vector<std::string> keys = ini::ListKeys(ReadFile(lib.EngineIniPath), section);
    if (keys.size() > 1) {
      EXPECT_EQ(keys.front(), "zz.after") << section;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Options, SwitchTest, ::testing::ValuesIn(kSwitchCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(EngineTest, BestComputeConfigOnRemovesScoresTheHardwarePresetWrote) {
  THareWareInfo hw;
  lib.ApplyHardwarePreset(1, hw);
  lib.ApplyBestComputeConfig(true);
  std::string text = ReadFile(lib.EngineIniPath);
  for (const char* key :
       {"bGetCPUScore", "bCPUBenchmarkResult", "CPUBenchmarkScore", "MeasuredCPUScore"})
    EXPECT_FALSE(ini::ReadValue(text, kEngine, key)) << key;
}

TEST_F(EngineTest, LaterWritersDecideSharedKeys) {
  lib.ApplyPostProcessQuality(6);
  lib.ApplyBestImageColour(false);
  EXPECT_FALSE(ini::ReadValue(ReadFile(lib.EngineIniPath), kRenderer, "r.EyeAdaptationQuality"));

  lib.ApplyDirectXPro(true);
  std::vector<std::string> keys = ini::ListKeys(ReadFile(lib.EngineIniPath), kRenderer);
  EXPECT_EQ(std::count(keys.begin(), keys.end(), "r.RHICmdUseThread"), 1);
}

TEST_F(EngineTest, GameLanguageAndMouseSmoothing) {
  lib.ApplyGameLanguage(false);
  lib.ApplyMouseSmoothing(true);
  EXPECT_EQ(EntriesOf(lib.GameUserSettingsPath),
            (std::vector<std::string>{std::string(kUser) + "|CultureName=en"}));
  EXPECT_EQ(EntriesOf(lib.EngineIniPath),
            (std::vector<std::string>{"/Script/Engine.InputSettings|bEnableMouseSmoothing=True"}));
  lib.ApplyGameLanguage(true);
  lib.ApplyMouseSmoothing(false);
  EXPECT_EQ(EntriesOf(lib.GameUserSettingsPath),
            (std::vector<std::string>{std::string(kUser) + "|CultureName=zh-CN"}));
  EXPECT_EQ(EntriesOf(lib.EngineIniPath),
            (std::vector<std::string>{"/Script/Engine.InputSettings|bEnableMouseSmoothing=False"}));
}

}  // namespace
}  // namespace kestrune::test
