// TPUBGLib engine and system tweak writers: the hardware preset, the
// network preset and the shader-compile tweaks that adapt to the adapter's
// vendor and the processor count.
#include <string>
#include <string_view>

#include "engine/key_table.h"
#include "engine/pubg_lib.h"

namespace kestrune {
namespace {

using keytable::kRemoved;
using keytable::kShaderCount;
using keytable::LevelRow;
using keytable::RunCell;
using keytable::Target;

constexpr const char* kSmoothedRange =
    "(LowerBound=(Type=\"ERangeBoundTypes::Inclusive\",Value=60),UpperBound=(Type="
    "\"ERangeBoundTypes::"
    "Exclusive\",Value=165))";

// clang-format off
// Levels: 1 low-end, 2 lower-middle one, 3 lower-middle two, 4 middle,
// 5 high-end one, 6 high-end two, 7 special plan, 8 official (undo).
constexpr LevelRow<8> kHardware[] = {
    {Target::kEngine, "bSmoothFrameRate", {nullptr, "False", "False", nullptr, "False", "False", nullptr, "False", kRemoved}},
    {Target::kEngine, "AllowJoystickInput", {nullptr, "0", "0", nullptr, "0", "0", nullptr, nullptr, nullptr}},
    {Target::kEngine, "MinDesiredFrameRate", {nullptr, nullptr, nullptr, "60", nullptr, nullptr, nullptr, nullptr, nullptr}},
    {Target::kEngine, "SmoothedFrameRateRange", {nullptr, nullptr, nullptr, kSmoothedRange, nullptr, nullptr, nullptr, nullptr, nullptr}},
    {Target::kEngine, "MaxPixelShaderAdditiveComplexityCount", {nullptr, kShaderCount, kShaderCount, kShaderCount, kShaderCount, kShaderCount, kShaderCount, nullptr, nullptr}},
    {Target::kEngine, "MaxES2PixelShaderAdditiveComplexityCount", {nullptr, nullptr, "45", "45", nullptr, nullptr, nullptr, nullptr, nullptr}},
    {Target::kEngine, "TimeBetweenPurgingPendingKillObjects", {nullptr, "10", "30", "30", "30", nullptr, nullptr, "10", kRemoved}},
    {Target::kEngine, "PhysXGpuHeapSize", {nullptr, "0", "1024", "0", "0", "0", "0", "0", kRemoved}},
    {Target::kEngine, "PhysXMeshCacheSize", {nullptr, "0", "0", "0", "0", "0", "0", "0", kRemoved}},
    {Target::kEngine, "PoolSize", {nullptr, "0", "0", "0", "0", "0", nullptr, "0", kRemoved}},
    {Target::kEngine, "PackageSizeSoftLimi", {nullptr, "0", "0", nullptr, "0", "0", nullptr, "0", kRemoved}},
    {Target::kEngine, "dynamicstreaming", {nullptr, "False", "False", "False", "False", "false", nullptr, nullptr, nullptr}},
    {Target::kEngine, "bUseBackgroundLevelStreaming", {nullptr, "False", "False", "False", "False", "False", nullptr, nullptr, nullptr}},
    {Target::kEngine, "MipFadeInSpeed0", {nullptr, "0.3", "0", "0", "0", nullptr, nullptr, nullptr, nullptr}},
    {Target::kEngine, "MipFadeOutSpeed0", {nullptr, "0.1", "0", "0", "0", nullptr, nullptr, nullptr, nullptr}},
    {Target::kEngine, "MipFadeInSpeed1", {nullptr, "2.0", "0", "0", "0", nullptr, nullptr, nullptr, nullptr}},
    {Target::kEngine, "MipFadeOutSpeed1", {nullptr, "1.0", "0", "0", "0", nullptr, nullptr, nullptr, nullptr}},
    {Target::kEngine, "CompositeDynamicLights", {nullptr, "True", "True", nullptr, "True", "True", nullptr, nullptr, nullptr}},
    {Target::kEngine, "bForceCPUAccessToGPUSkinVerts", {nullptr, "False", "False", nullptr, "False", "False", nullptr, nullptr, nullptr}},
    {Target::kEngine, "bDisableSkeletalInstanceWeights", {nullptr, "False", "False", nullptr, "False", "False", nullptr, nullptr, nullptr}},
    {Target::kEngine, "bBakeAndPruneDuringCook", {nullptr, "False", "False", nullptr, "False", "false", nullptr, nullptr, nullptr}},
    {Target::kEngine, "LightEnvironmentShadows", {nullptr, "False", "False", nullptr, "False", "False", nullptr, nullptr, nullptr}},
    {Target::kEngine, "UseTextureFileCache", {nullptr, "True", "True", nullptr, "True", "True", nullptr, nullptr, nullptr}},
    {Target::kEngine, "TextureFileCacheBulkDataAlignment", {nullptr, "1", "1", nullptr, "1", "1", nullptr, nullptr, nullptr}},
    {Target::kEngine, "b.cuda_devices", {nullptr, "0", "0", "0", "0", "0", "0", "0", kRemoved}},
    {Target::kEngine, "b.intensity", {nullptr, "0", "0", "0", "0", "0", "0", "0", kRemoved}},
    {Target::kEngine, "b.pec", {nullptr, "0", "0", "0", "0", "0", "0", "0", kRemoved}},
    {Target::kEngine, "b.boff", {nullptr, "0", "0", "0", "0", "0", "0", "0", kRemoved}},
    {Target::kEngine, "b.tempunits", {nullptr, "c", "c", "c", "c", "c", "c", "c", kRemoved}},
    {Target::kEngine, "b.gpu_status", {nullptr, "2", "2", "2", "2", "2", "2", "2", kRemoved}},
    {Target::kEngine, "b.gpu_power_usage", {nullptr, "100", "100", "100", "100", "100", "100", "100", kRemoved}},
    {Target::kEngine, "b.rejected_shares", {nullptr, "2", "2", "2", "2", "2", "2", "2", kRemoved}},
    {Target::kEngine, "bGetCPUScore", {nullptr, "-1.000000", "-1.000000", "-1.000000", "-1.000000", "-1.000000", "-1.000000", "-1.000000", kRemoved}},
    {Target::kEngine, "bCPUBenchmarkResult", {nullptr, "-1.000000", "-1.000000", "-1.000000", "-1.000000", "-1.000000", "-1.000000", "-1.000000", kRemoved}},
    {Target::kEngine, "CPUBenchmarkScore", {nullptr, "-1.000000", "-1.000000", "-1.000000", "-1.000000", "-1.000000", "-1.000000", "-1.000000", kRemoved}},
    {Target::kEngine, "MeasuredCPUScore", {nullptr, "-1.000000", "-1.000000", "-1.000000", "-1.000000", "-1.000000", "-1.000000", "-1.000000", kRemoved}},
    {Target::kRenderer, "r.ViewDistanceScale", {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, "0", kRemoved}},
    {Target::kRenderer, "r.NotebookOptimization", {nullptr, "1", "1", "1", "1", "1", "1", "1", kRemoved}},
    {Target::kRenderer, "r.NotebookHighEfficiency", {nullptr, "1", "1", "1", "1", "1", "1", "1", kRemoved}},
    {Target::kRenderer, "r.DontLimitOnBattery", {nullptr, "1", "1", "1", "1", "1", "1", "1", kRemoved}},
    {Target::kRenderer, "r.HighBattery", {nullptr, "0", "0", "0", "0", "0", "0", "0", kRemoved}},
    {Target::kRenderer, "v.OnMaxBattery", {nullptr, "1", "1", "1", "1", "1", "1", "1", kRemoved}},
    {Target::kRenderer, "r.AllowLandscapeShadows", {nullptr, "False", "False", "False", "False", "False", "False", "False", kRemoved}},
    {Target::kRenderer, "r.AllowPointLightCubemapShadows", {nullptr, "False", "False", "False", "False", "False", "False", "False", kRemoved}},
    {Target::kRenderer, "v.RreferencesHighQuality", {nullptr, "0", "0", "0", "0", "0", "0", "0", kRemoved}},
    {Target::kRenderer, "v.HighQuality", {nullptr, "0", "0", "0", "0", "0", "0", "0", kRemoved}},
    {Target::kRenderer, "v.EnableHighPerformance", {nullptr, "1", "1", "1", "1", "1", "1", "1", kRemoved}},
    {Target::kRenderer, "v.NormalQuality", {nullptr, "0", "0", "0", "0", "0", "0", "0", kRemoved}},
    {Target::kRenderer, "v.LowQuality", {nullptr, "1", "1", "1", "1", "1", "1", "1", kRemoved}},
    {Target::kRenderer, "v.PreShadowsOptimization", {nullptr, "1", "1", "1", "1", "1", "1", "1", kRemoved}},
    {Target::kScalabilitySettings, "PerfIndexValues_ResolutionQuality", {nullptr, "100 100 100 100", "100 100 100 100", "100 100 100 100", "100 100 100 100", "100 100 100 100", "100 100 100 100", "100 100 100 100", kRemoved}},
};

// Levels: 1 below 5M, 2 5M-8M, 3 above 8M, 4 accelerator, 5 official (undo).
constexpr LevelRow<5> kNetwork[] = {
    {Target::kPlayer, "ConfiguredInternetSpeed", {nullptr, "80000", "230208", "1000000", "50000", kRemoved}},
    {Target::kPlayer, "ConfiguredLanSpeed", {nullptr, "80000", "230208", "1000000", "50000", kRemoved}},
    {Target::kIpNetDriver, "MaxClientRate", {nullptr, "80000", "230208", "1000000", "50000", kRemoved}},
    {Target::kIpNetDriver, "MaxInternetClientRate", {nullptr, "80000", "230208", "1000000", "50000", kRemoved}},
    {Target::kIpNetDriver, "NetServerMaxTickRate", {nullptr, "15", "30", "60", "10", kRemoved}},
    {Target::kIpNetDriver, "LanServerMaxTickRate", {nullptr, "15", "30", "60", "10", kRemoved}},
    {Target::kIpNetDriver, "AckTimeout", {nullptr, "1.0", "1.0", "1.0", "1.0", kRemoved}},
    {Target::kIpNetDriver, "AllowDownloads", {nullptr, "False", "False", "False", "False", kRemoved}},
    {Target::kIpNetDriver, "SimLatency", {nullptr, "0", "0", "0", "0", kRemoved}},
    {Target::kIpNetDriver, "MaxTicksPerSecond", {nullptr, "15", "30", "60", "10", kRemoved}},
    {Target::kIpNetDriver, "DumbProxyTimeout", {nullptr, "2.000000", "2.000000", "2.000000", "2.000000", kRemoved}},
    {Target::kIpNetDriver, "TotalNetBandwidth", {nullptr, "100000", "300000", "2000000", "100000", kRemoved}},
    {Target::kIpNetDriver, "MaxDynamicBandwidth", {nullptr, "80000", "230208", "1000000", "80000", kRemoved}},
    {Target::kIpNetDriver, "MinDynamicBandwidth", {nullptr, "50000", "128000", "250000", "50000", kRemoved}},
    {Target::kIpNetDriver, "PktLag", {nullptr, "0", "0", "0", "0", kRemoved}},
    {Target::kIpNetDriver, "PktLagVariance", {nullptr, "0", "0", "0", "0", kRemoved}},
    {Target::kIpNetDriver, "PktLoss", {nullptr, "0", "0", "0", "0", kRemoved}},
    {Target::kIpNetDriver, "PktOrder", {nullptr, "0", "0", "0", "0", kRemoved}},
    {Target::kIpNetDriver, "PktDup", {nullptr, "0", "0", "0", "0", kRemoved}},
};
// clang-format on

// Rows that move up to run just before the shader-count row at one level.
struct Hoist {
  int level;
  const char* key;
};
constexpr Hoist kHardwareHoists[] = {{6, "PhysXGpuHeapSize"}, {6, "PhysXMeshCacheSize"}};

bool IsHoisted(int level, const char* key) {
  for (const Hoist& h : kHardwareHoists) {
    if (h.level == level && std::string_view(h.key) == key) return true;
  }
  return false;
}

void RunHardwareRow(TPUBGLib& lib, const LevelRow<8>& row, int level, int shaderCount) {
  const char* cell = row.byLevel[static_cast<size_t>(level)];
  if (cell != kShaderCount) {
    RunCell(lib, row.target, row.key, cell);
    return;
  }
  for (const Hoist& h : kHardwareHoists) {
    if (h.level != level) continue;
    for (const LevelRow<8>& moved : kHardware) {
      if (std::string_view(moved.key) == h.key)
        RunCell(lib, moved.target, moved.key, moved.byLevel[static_cast<size_t>(level)]);
    }
  }
  // No shader count known: the key is left as it is.
  if (shaderCount >= 1) RunCell(lib, row.target, row.key, std::to_string(shaderCount).c_str());
}

// Shader-compile tweaks, all in the renderer section.
constexpr const char* kCpuScoreKey = "bGetCPUScore";
constexpr const char* kCpuScoreValue = "-1.000000";
constexpr const char* kAmdVendor = "1002";
constexpr const char* kVendorKeys[] = {"DisableATITextureFilterOptimizationChecks",
                                       "UseMinimalNVIDIADriverShaderOptimization"};
constexpr const char* kMultiThreadedCompileKey = "bAllowMultiThreadedShaderCompile";
constexpr const char* kProcessorCountKeys[] = {"CPUNumLogicalProcessors", "CacheCpuNum",
                                               "ThreadedShaderCompileThreshold",
                                               "ThreadedShaderCpuCore", "PreViewUpdateEveryFrame"};
constexpr const char* kCompatKeys[] = {"CompatLevelComposite", "CompatLevelCPU", "CompatLevelGPU"};
struct CompatLevels {
  int minProcessors;
  const char* values[3];
};
constexpr CompatLevels kCompatLevels[] = {
    // first row whose minimum N reaches
    {6, {"4", "5", "4"}},
    {4, {"4", "4", "4"}},
    {1, {"3", "3", "4"}},
};

const THareWareInfo& NoFacts() {
  static const THareWareInfo kEmpty;
  return kEmpty;
}

}  // namespace

void TPUBGLib::ApplyHardwarePreset(int level) {
  ApplyHardwarePreset(level, hardware_ ? *hardware_ : NoFacts());
}

void TPUBGLib::ApplyHardwarePreset(int level, const THareWareInfo& hardware) {
  if (level < 1 || level > 8) return;
  for (const LevelRow<8>& row : kHardware) {
    if (IsHoisted(level, row.key)) continue;
    RunHardwareRow(*this, row, level, hardware.ShaderCount);
  }
}

void TPUBGLib::ApplyNetworkPreset(int level) {
  keytable::RunLevel(*this, kNetwork, level);
}

void TPUBGLib::ApplyShaderCompileTweaks() {
  ApplyShaderCompileTweaks(hardware_ ? *hardware_ : NoFacts());
}

void TPUBGLib::ApplyShaderCompileTweaks(const THareWareInfo& hardware) {
  const Target t = Target::kRenderer;
  RunCell(*this, t, kCpuScoreKey, kCpuScoreValue);
  // Exact comparison: "1002 " is not the AMD vendor number.
  const char* vendorValue = hardware.CardVendor == kAmdVendor ? "False" : "True";
  for (const char* key : kVendorKeys) RunCell(*this, t, key, vendorValue);
  RunCell(*this, t, kMultiThreadedCompileKey, "True");
  const int n = hardware.LogicalProcessors;
  if (n <= 0) return;
  const std::string count = std::to_string(n);
  for (const char* key : kProcessorCountKeys) RunCell(*this, t, key, count.c_str());
  for (const CompatLevels& row : kCompatLevels) {
    if (n < row.minProcessors) continue;
    for (size_t i = 0; i < 3; ++i) RunCell(*this, t, kCompatKeys[i], row.values[i]);
    break;
  }
}

}  // namespace kestrune
