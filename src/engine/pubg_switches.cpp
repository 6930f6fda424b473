// TPUBGLib option switch writers: each tick box writes its keys when on and
// removes the same keys when off (ApplyBestComputeConfig also handles four
// score keys the other way round).
#include "engine/key_table.h"
#include "engine/pubg_lib.h"

namespace kestrune {
namespace {

using keytable::kRemoved;
using keytable::RunSwitch;
using keytable::SwitchRow;
using keytable::Target;

// clang-format off
constexpr SwitchRow kCpuUsageBoost[] = {
    {Target::kRenderer, "r.UseParallelGetDynamicMeshElementsTasks", "1536", kRemoved},
};
constexpr SwitchRow kCpuPerformanceBalance[] = {
    {Target::kRenderer, "r.OptimizeForUAVPerformance", "1", kRemoved},
    {Target::kRenderer, "r.VRAMCache", "32", kRemoved},
    {Target::kRenderer, "r.VRAMPerformance", "1", kRemoved},
    {Target::kRenderer, "r.MaxGPUPerFrame", "145", kRemoved},
    {Target::kRenderer, "r.MinGPUPerFrame", "59", kRemoved},
};
constexpr SwitchRow kGpuUsageBoost[] = {
    {Target::kRenderer, "x.bUseGetGPUScore", "1", kRemoved},
    {Target::kRenderer, "x.MaxGPUPixelFrame", "0.785321", kRemoved},
    {Target::kRenderer, "x.MinGPUPixelFrame", "0.050000", kRemoved},
    {Target::kRenderer, "x.MaxGPUSkinCacheElementsPerFrame", "4", kRemoved},
    {Target::kRenderer, "x.bUseGetGPUBenchmarkScore", "0", kRemoved},
    {Target::kRenderer, "x.GetCPUBenchmarkScore", "0", kRemoved},
    {Target::kRenderer, "x.MaxCPUScore", "0398.564985", kRemoved},
    {Target::kRenderer, "x.MinCPUScore", "168.616821", kRemoved},
};
constexpr SwitchRow kGpuLoadToCpu[] = {
    {Target::kRenderer, "r.CPUHTPreferences", "0", kRemoved},
    {Target::kRenderer, "r.CPUCoreTiming", "-1.000000", kRemoved},
    {Target::kRenderer, "r.CPUMemoryScore", "-1.000000", kRemoved},
    {Target::kRenderer, "r.FreeSkeletalMeshBuffers", "1", kRemoved},
};
constexpr SwitchRow kBestComputePerformance[] = {
    {Target::kRenderer, "r.HighPerformanceMode", "1", kRemoved},
    {Target::kRenderer, "r.GpuControl", "1", kRemoved},
    {Target::kRenderer, "r.CpuControl", "1", kRemoved},
    {Target::kRenderer, "r.DBuffer", "1", kRemoved},
    {Target::kRenderer, "v.AllowFillGaps", "0", kRemoved},
    {Target::kRenderer, "r.MaterialMaxLevel", "3", kRemoved},
    {Target::kRenderer, "t.AOCheckCount", "12", kRemoved},
    {Target::kRenderer, "r.BlackShadowResize", "0", kRemoved},
    {Target::kRenderer, "r.StopCacheCpu", "1", kRemoved},
    {Target::kRenderer, "r.StopCacheGpu", "0", kRemoved},
    {Target::kRenderer, "r.DSizeThreshold", "0", kRemoved},
    {Target::kRenderer, "r.DefaultHysteresisLimit", "10", kRemoved},
    {Target::kRenderer, "v.EvictSize", "0", kRemoved},
    {Target::kRenderer, "t.EarlyMipCount", "30", kRemoved},
    {Target::kRenderer, "r.MaxLight", "120", kRemoved},
};
constexpr SwitchRow kBestImageColour[] = {
    {Target::kRenderer, "r.EyeAdaptationQuality", "3", kRemoved},
    {Target::kRenderer, "r.ColorQuality", "1", kRemoved},
    {Target::kRenderer, "r.AOMapQuality", "-1", kRemoved},
    {Target::kRenderer, "r.EnableBaseColor", "1", kRemoved},
};
constexpr SwitchRow kReducedRenderResolution[] = {
    {Target::kRenderer, "r.EnableMapHalfPixel", "1", kRemoved},
    {Target::kRenderer, "r.HalfResReflections", "1", kRemoved},
    {Target::kRenderer, "r.PowerOfTwoBetweenResolutionLevels", "4", kRemoved},
    {Target::kRenderer, "r.DumpReflectionsOverwrite", "1", kRemoved},
    {Target::kRenderer, "r.MaxDistantPixels", "64", kRemoved},
    {Target::kRenderer, "r.MinDistantPixels", "12", kRemoved},
};
constexpr SwitchRow kForceMaxRenderDistance[] = {
    {Target::kRenderer, "r.EyeMax", "128.0", kRemoved},
    {Target::kRenderer, "r.MapScan", "2000.000000", kRemoved},
    {Target::kRenderer, "r.MaxAnisotropy", "16", kRemoved},
    {Target::kRenderer, "v.MapMaxScan", "1024", kRemoved},
    {Target::kRenderer, "v.MapMinScan", "512", kRemoved},
    {Target::kRenderer, "v.CleanMapPool", "true", kRemoved},
};
constexpr SwitchRow kDirectXPro[] = {
    {Target::kRenderer, "r.EnableRHI", "1", kRemoved},
    {Target::kRenderer, "r.RHICmdUseThread", "1", kRemoved},
    {Target::kRenderer, "r.GetRHIThread", "4", kRemoved},
    {Target::kRenderer, "v.MaxDX11Thread", "8", kRemoved},
    {Target::kRenderer, "v.MinDX11Thread", "0", kRemoved},
    {Target::kRenderer, "r.DX11UseThread", "-1", kRemoved},
    {Target::kRenderer, "v.EnableCmd", "1", kRemoved},
    {Target::kRenderer, "r.DX11HighQuality", "2", kRemoved},
    {Target::kRenderer, "r.RHICmdUseThread", "1", kRemoved},
    {Target::kRenderer, "r.SwitchRHI", "1", kRemoved},
    {Target::kRenderer, "r.RHICmdWidth", "4", kRemoved},
    {Target::kRenderer, "v.DX11SwitchRHI", "1", kRemoved},
    {Target::kRenderer, "v.GetCmdUseThread", "1", kRemoved},
    {Target::kRenderer, "r.RHICmdBypass", "1", kRemoved},
    {Target::kRenderer, "r.RHICmdDx11", "1", kRemoved},
    {Target::kRenderer, "r.RHICmdDx10", "1", kRemoved},
    {Target::kRenderer, "r.RHICmdForceRHIFlush", "1", kRemoved},
    {Target::kRenderer, "r.D3DCommandsCompiler", "0", kRemoved},
};
constexpr SwitchRow kVideoMemoryOptimisation[] = {
    {Target::kRenderer, "r.GPUVramPerformance", "1", kRemoved},
    {Target::kRenderer, "r.GBuffer", "0", kRemoved},
    {Target::kRenderer, "r.CPUtoGPUForce", "1", kRemoved},
    {Target::kRenderer, "r.DOFDumpFrames", "1", kRemoved},
    {Target::kRenderer, "r.GPUBuffer", "0", kRemoved},
};
constexpr SwitchRow kLowFpsRenderDelay[] = {
    {Target::kRenderer, "r.oneframethreadlag", "1", kRemoved},
    {Target::kRenderer, "r.lagcompensation", "1", kRemoved},
    {Target::kRenderer, "r.lagcomp_errorcheck", "1", kRemoved},
    {Target::kRenderer, "r.delayframethread", "1", kRemoved},
};
constexpr SwitchRow kReducedShadowQuality[] = {
    {Target::kEngine, "Shadow.Preshadow", "false", kRemoved},
    {Target::kEngine, "DynamicShadows", "False", kRemoved},
    {Target::kEngine, "MinShadowResolution", "16", kRemoved},
    {Target::kEngine, "MaxShadowResolution", "512", kRemoved},
    {Target::kEngine, "ShadowFadeResolution", "32", kRemoved},
    {Target::kEngine, "ShadowTexelsPerPixel", "0.636620", kRemoved},
    {Target::kEngine, "ShadowCSM.MaxCascades", "false", kRemoved},
    {Target::kEngine, "ShadowCSM.TransitionScale", "false", kRemoved},
    {Target::kEngine, "Shadow.CSM.DepthBias", "false", kRemoved},
    {Target::kEngine, "Shadow.CSM.CSMDepthBoundsTest", "false", kRemoved},
    {Target::kEngine, "Shadow.CSM.SplitPenumbraScale", "false", kRemoved},
    {Target::kEngine, "Shadow.CSM.MaxPointCasters", "false", kRemoved},
    {Target::kEngine, "Shadow.CSM.MaxResolution", "false", kRemoved},
    {Target::kEngine, "Shadow.CSM.MinPreShadowResolution", "false", kRemoved},
    {Target::kEngine, "Shadow.CSM.MinResolution", "false", kRemoved},
    {Target::kEngine, "Shadow.EnabeShadowPixel", "false", kRemoved},
};
constexpr SwitchRow kMemoryOptimisation[] = {
    {Target::kEngine, "RAM.HeapLevelSize", "1024", kRemoved},
    {Target::kEngine, "obAllowMaxPixel", "True", kRemoved},
    {Target::kEngine, "obbBakeAdditiveComplexityCount", "1024", kRemoved},
    {Target::kEngine, "CPU.CPUNumLogicalLevel", "0", kRemoved},
    {Target::kEngine, "RAMCacheSizeMegs", "16", kRemoved},
    {Target::kEngine, "CacheSizeMegs", "32", kRemoved},
    {Target::kEngine, "bInputPackageSize", "0", kRemoved},
    {Target::kEngine, "bRAMCompatLevel", "0", kRemoved},
    {Target::kEngine, "b.streamingname", "false", kRemoved},
    {Target::kEngine, "b.bUseForcePhysX", "2048", kRemoved},
    {Target::kEngine, "b.SmoothFPS", "false", kRemoved},
};
constexpr SwitchRow kSoundPositioning[] = {
    {Target::kEngine, "voicesound", "True", kRemoved},
    {Target::kEngine, "voiceMaxsound", "512", kRemoved},
    {Target::kEngine, "CommonAudioPoolSize", "0", kRemoved},
    {Target::kEngine, "VolumeMixer", "True", kRemoved},
    {Target::kEngine, "voiceMinsound", "256", kRemoved},
    {Target::kEngine, "voice.Soundchannels", "256", kRemoved},
    {Target::kEngine, "MaxChannels", "256", kRemoved},
    {Target::kEngine, "musicMaxChannles", "256", kRemoved},
    {Target::kEngine, "UnfocusedVolumeMultiplier", "0.0", kRemoved},
    {Target::kEngine, "music.MinChannles", "64", kRemoved},
    {Target::kEngine, "music.MaxSoundchannels", "256", kRemoved},
    {Target::kEngine, "UseAudioThread", "false", kRemoved},
    {Target::kEngine, "MaxAudioPoolSize", "128", kRemoved},
    {Target::kEngine, "MinAudioPoolSize", "64", kRemoved},
    {Target::kEngine, "VolumeMultiplier", "7.1", kRemoved},
    {Target::kEngine, "b.MusicChannles", "256", kRemoved},
    {Target::kEngine, "b.MaxMusicChannles", "512", kRemoved},
    {Target::kEngine, "VolumeThread", "True", kRemoved},
    {Target::kEngine, "EnableAudioMixer", "false", kRemoved},
    {Target::kEngine, "b.MinMusicChannles", "64", kRemoved},
};
constexpr SwitchRow kBestComputeConfig[] = {
    {Target::kEngine, "bGetCPUScore", kRemoved, "-1.000000"},
    {Target::kEngine, "bCPUBenchmarkResult", kRemoved, "-1.000000"},
    {Target::kEngine, "CPUBenchmarkScore", kRemoved, "-1.000000"},
    {Target::kEngine, "MeasuredCPUScore", kRemoved, "-1.000000"},
    {Target::kRenderer, "v.ShaderDevelopmentMode", "0", kRemoved},
    {Target::kRenderer, "v.ShaderPipelines", "0", kRemoved},
    {Target::kRenderer, "v.Shaders.FastMath", "0", kRemoved},
    {Target::kRenderer, "v.Shaders.KeepDebugInfo", "0", kRemoved},
    {Target::kRenderer, "v.Shaders.Optimize", "0", kRemoved},
    {Target::kRenderer, "v.Shadow.CachePreshadow", "0", kRemoved},
    {Target::kRenderer, "v.Shadow.ConservativeBounds", "0", kRemoved},
    {Target::kRenderer, "v.Shadow.CSM.MaxCascades", "0", kRemoved},
    {Target::kRenderer, "v.Shadow.CSM.TransitionScale", "0", kRemoved},
    {Target::kRenderer, "v.Shadow.CSMDepthBias", "0", kRemoved},
    {Target::kRenderer, "v.Shadow.CSMDepthBoundsTest", "0", kRemoved},
    {Target::kRenderer, "v.Shadow.CSMSplitPenumbraScale", "0", kRemoved},
    {Target::kRenderer, "v.Shadow.DistanceScale", "0", kRemoved},
    {Target::kRenderer, "v.Shadow.DrawPreshadowFrustums", "0", kRemoved},
    {Target::kRenderer, "v.Shadow.EnableModulatedSelfShadow", "0", kRemoved},
    {Target::kRenderer, "v.Shadow.FadeExponent", "0", kRemoved},
    {Target::kRenderer, "v.Shadow.FadeResolution", "0", kRemoved},
    {Target::kRenderer, "v.Shadow.MaxPointCasters", "0", kRemoved},
    {Target::kRenderer, "v.Shadow.MaxResolution", "0", kRemoved},
    {Target::kRenderer, "v.Shadow.MinPreShadowResolution", "0", kRemoved},
    {Target::kRenderer, "v.Shadow.MinResolution", "0", kRemoved},
    {Target::kRenderer, "v.Shadow.PerObject", "0", kRemoved},
    {Target::kRenderer, "v.Shadow.PointLightDepthBias", "0", kRemoved},
    {Target::kRenderer, "v.Shadow.PreshadowExpand", "0", kRemoved},
    {Target::kRenderer, "v.Shadow.PreShadowFadeResolution", "0", kRemoved},
    {Target::kRenderer, "v.Shadow.PreShadowResolutionFactor", "0", kRemoved},
    {Target::kRenderer, "v.Shadow.Preshadows", "0", kRemoved},
    {Target::kRenderer, "v.Shadow.PreshadowsForceLowestDetailLevel", "0", kRemoved},
    {Target::kRenderer, "v.Shadow.RadiusThreshold", "0", kRemoved},
    {Target::kRenderer, "v.Shadow.RadiusThresholdRSM", "0", kRemoved},
    {Target::kRenderer, "v.Shadow.SpotLightDepthBias", "0", kRemoved},
    {Target::kRenderer, "v.Shadow.SpotLightTransitionScale", "0", kRemoved},
    {Target::kRenderer, "v.Shadow.StartDistCascadeIndex", "0", kRemoved},
    {Target::kRenderer, "v.Shadow.TexelsPerPixel", "0", kRemoved},
    {Target::kRenderer, "v.Shadow.TransitionScale", "0", kRemoved},
    {Target::kRenderer, "v.Shadow.UnbuiltNumWholeSceneDynamicShadowCascades", "0", kRemoved},
    {Target::kRenderer, "v.Shadow.UnbuiltWholeSceneDynamicShadowRadius", "0", kRemoved},
    {Target::kRenderer, "v.Shadow.WholeSceneShadowUnbuiltInteractionThreshold", "0", kRemoved},
    {Target::kRenderer, "r.DoTiledReflections", "0", kRemoved},
    {Target::kRenderer, "r.ReflectionEnvironment", "0", kRemoved},
    {Target::kRenderer, "r.SeparateTranslucency", "0", kRemoved},
    {Target::kRenderer, "x.Shadow.Pixel", "0", kRemoved},
    {Target::kRenderer, "x.Shadow.PointCasters", "0", kRemoved},
    {Target::kRenderer, "x.Shadow.CSMScale", "0", kRemoved},
    {Target::kRenderer, "x.Shadow.MaxSplitPenumbraScale", "0", kRemoved},
    {Target::kRenderer, "x.Shadow.MinSplitPenumbraScale", "0", kRemoved},
    {Target::kRenderer, "x.Shadow.Resolution", "0", kRemoved},
    {Target::kRenderer, "x.Shadow.Spotlight", "0", kRemoved},
    {Target::kRenderer, "x.Shadow.Frustums", "0", kRemoved},
    {Target::kRenderer, "x.Shadow.ShadowCascades", "0", kRemoved},
    {Target::kRenderer, "x.Shadow.ShadowRadius", "0", kRemoved},
    {Target::kRenderer, "x.Shadow.InteractionThreshold", "0", kRemoved},
    {Target::kRenderer, "x.Shadow.CacheExponent", "0", kRemoved},
    {Target::kRenderer, "x.Shadow.DistCascadeIndex", "0", kRemoved},
    {Target::kRenderer, "r.Shadow.TexelsPerPixelSpotlight", "0", kRemoved},
};
// clang-format on

}  // namespace

void TPUBGLib::ApplyCpuUsageBoost(bool on) {
  RunSwitch(*this, kCpuUsageBoost, on);
}
void TPUBGLib::ApplyCpuPerformanceBalance(bool on) {
  RunSwitch(*this, kCpuPerformanceBalance, on);
}
void TPUBGLib::ApplyGpuUsageBoost(bool on) {
  RunSwitch(*this, kGpuUsageBoost, on);
}
void TPUBGLib::ApplyGpuLoadToCpu(bool on) {
  RunSwitch(*this, kGpuLoadToCpu, on);
}
void TPUBGLib::ApplySoundPositioning(bool on) {
  RunSwitch(*this, kSoundPositioning, on);
}
void TPUBGLib::ApplyBestComputePerformance(bool on) {
  RunSwitch(*this, kBestComputePerformance, on);
}
void TPUBGLib::ApplyReducedShadowQuality(bool on) {
  RunSwitch(*this, kReducedShadowQuality, on);
}
void TPUBGLib::ApplyMemoryOptimisation(bool on) {
  RunSwitch(*this, kMemoryOptimisation, on);
}
void TPUBGLib::ApplyBestImageColour(bool on) {
  RunSwitch(*this, kBestImageColour, on);
}
void TPUBGLib::ApplyReducedRenderResolution(bool on) {
  RunSwitch(*this, kReducedRenderResolution, on);
}
void TPUBGLib::ApplyBestComputeConfig(bool on) {
  RunSwitch(*this, kBestComputeConfig, on);
}
void TPUBGLib::ApplyForceMaxRenderDistance(bool on) {
  RunSwitch(*this, kForceMaxRenderDistance, on);
}
void TPUBGLib::ApplyDirectXPro(bool on) {
  RunSwitch(*this, kDirectXPro, on);
}
void TPUBGLib::ApplyVideoMemoryOptimisation(bool on) {
  RunSwitch(*this, kVideoMemoryOptimisation, on);
}
void TPUBGLib::ApplyLowFpsRenderDelay(bool on) {
  RunSwitch(*this, kLowFpsRenderDelay, on);
}

}  // namespace kestrune
