// The engine work of one heavy Apply on a player's files, as a list of named
// steps: backup, templates, then every writer at the level that makes it
// write the most keys, in the optimisation page's order. Shared by the crash
// test's writer process and the engine benchmark, so both measure and break
// the same thing.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "engine/pubg_lib.h"
#include "hardware/hardware_info.h"

namespace kestrune::crash {

struct Step {
  const char* name;
  std::function<void(TPUBGLib&)> run;
};

// Facts of a mid-range machine: shader count and eight threads make the
// hardware and shader-compile writers write every row they have.
inline THareWareInfo HeavyHardware() {
  THareWareInfo info;
  info.ShaderCount = 1920;
  info.CardVendor = "10DE";
  info.LogicalProcessors = 8;
  return info;
}

// A fixed moment, so the backup folder's name is the same in every run.
inline std::chrono::system_clock::time_point FixedMoment() {
  return std::chrono::system_clock::time_point(std::chrono::seconds(1500000000)) +
         std::chrono::milliseconds(77);
}

// Backup and templates: the file-level part of Apply.
inline std::vector<Step> PrepareSteps() {
  return {
      {"BackupConfigFiles", [](TPUBGLib& e) { e.BackupConfigFiles(); }},
      {"WriteDefaultGameUserSettings", [](TPUBGLib& e) { e.WriteDefaultGameUserSettings(); }},
      {"WriteDefaultEngineIni", [](TPUBGLib& e) { e.WriteDefaultEngineIni(); }},
  };
}

// Every writer at its heaviest level, in Apply's order.
inline std::vector<Step> WriterSteps(const THareWareInfo& hardware) {
  return {
      {"ApplyAntiAliasingQuality", [](TPUBGLib& e) { e.ApplyAntiAliasingQuality(4); }},
      {"ApplyPostProcessQuality", [](TPUBGLib& e) { e.ApplyPostProcessQuality(6); }},
      {"ApplyShadowQuality", [](TPUBGLib& e) { e.ApplyShadowQuality(3); }},
      {"ApplyTextureQuality", [](TPUBGLib& e) { e.ApplyTextureQuality(2); }},
      {"ApplyEffectsQuality", [](TPUBGLib& e) { e.ApplyEffectsQuality(4); }},
      {"ApplyFoliageQuality", [](TPUBGLib& e) { e.ApplyFoliageQuality(5); }},
      {"ApplyViewDistanceQuality", [](TPUBGLib& e) { e.ApplyViewDistanceQuality(3); }},
      {"ApplyNetworkPreset", [](TPUBGLib& e) { e.ApplyNetworkPreset(3); }},
      {"ApplyHardwarePreset", [hardware](TPUBGLib& e) { e.ApplyHardwarePreset(1, hardware); }},
      {"ApplyMouseSmoothing", [](TPUBGLib& e) { e.ApplyMouseSmoothing(true); }},
      {"ApplyScreenScale", [](TPUBGLib& e) { e.ApplyScreenScale(90); }},
      {"ApplyFirstPersonFov", [](TPUBGLib& e) { e.ApplyFirstPersonFov(103); }},
      {"ApplyCpuUsageBoost", [](TPUBGLib& e) { e.ApplyCpuUsageBoost(true); }},
      {"ApplyCpuPerformanceBalance", [](TPUBGLib& e) { e.ApplyCpuPerformanceBalance(true); }},
      {"ApplyGpuUsageBoost", [](TPUBGLib& e) { e.ApplyGpuUsageBoost(true); }},
      {"ApplyGpuLoadToCpu", [](TPUBGLib& e) { e.ApplyGpuLoadToCpu(true); }},
      {"ApplyBigJumpBinding", [](TPUBGLib& e) { e.ApplyBigJumpBinding(true); }},
      {"ApplyFrameRateLimit", [](TPUBGLib& e) { e.ApplyFrameRateLimit(144); }},
      {"ApplySoundPositioning", [](TPUBGLib& e) { e.ApplySoundPositioning(true); }},
      {"ApplyBestComputePerformance", [](TPUBGLib& e) { e.ApplyBestComputePerformance(true); }},
      {"ApplyReducedShadowQuality", [](TPUBGLib& e) { e.ApplyReducedShadowQuality(true); }},
      {"ApplyMemoryOptimisation", [](TPUBGLib& e) { e.ApplyMemoryOptimisation(true); }},
      {"ApplyBestImageColour", [](TPUBGLib& e) { e.ApplyBestImageColour(true); }},
      {"ApplyReducedRenderResolution", [](TPUBGLib& e) { e.ApplyReducedRenderResolution(true); }},
      {"ApplyBestComputeConfig", [](TPUBGLib& e) { e.ApplyBestComputeConfig(true); }},
      {"ApplyForceMaxRenderDistance", [](TPUBGLib& e) { e.ApplyForceMaxRenderDistance(true); }},
      {"ApplyDirectXPro", [](TPUBGLib& e) { e.ApplyDirectXPro(true); }},
      {"ApplyVideoMemoryOptimisation", [](TPUBGLib& e) { e.ApplyVideoMemoryOptimisation(true); }},
      {"ApplyLowFpsRenderDelay", [](TPUBGLib& e) { e.ApplyLowFpsRenderDelay(true); }},
      {"ApplyGameLanguage", [](TPUBGLib& e) { e.ApplyGameLanguage(false); }},
      {"ApplyShaderCompileTweaks",
       [hardware](TPUBGLib& e) { e.ApplyShaderCompileTweaks(hardware); }},
  };
}

// A second pass that switches options off again: removals of keys the first
// pass added and a rewrite of the binding list, so the crash test also
// breaks deletes.
inline std::vector<Step> UndoSteps() {
  return {
      {"ApplyNetworkPreset(5)", [](TPUBGLib& e) { e.ApplyNetworkPreset(5); }},
      {"ApplyBigJumpBinding(false)", [](TPUBGLib& e) { e.ApplyBigJumpBinding(false); }},
  };
}

// The writer processes' work: the whole sequence on the game folder under
// `base`, then the durability barrier. `started` runs right before the first
// step. Returns the report the crash tests compare: what stopped the run,
// how many steps ran, and every write the engine swallowed, one per line.
inline std::string RunHeavyApply(const std::string& base, bool stopOnFailure,
                                 const std::function<void()>& started = {}) {
  std::string report;
  THareWareInfo hardware = HeavyHardware();
  TPUBGLib engine(base, hardware);
  engine.SetClock([] { return FixedMoment(); });
  std::vector<Step> steps = PrepareSteps();
  for (Step& s : WriterSteps(hardware)) steps.push_back(std::move(s));
  for (Step& s : UndoSteps()) steps.push_back(std::move(s));
  size_t done = 0;
  if (started) started();
  try {
    for (const Step& step : steps) {
      step.run(engine);
      ++done;
      // After an injected failure only the report matters; stopping at the
      // step that swallowed it keeps fault runs short.
      if (stopOnFailure && engine.SwallowedWriteCount() > 0) break;
    }
    if (!engine.SyncChangedFiles()) report += "sync failed\n";
  } catch (const EBackupError& e) {
    report += std::string("stopped backup ") + e.what() + "\n";
  } catch (const EIndexWriteError& e) {
    report += std::string("stopped index ") + e.what() + "\n";
  } catch (const EFileOpenError& e) {
    report += std::string("stopped open ") + e.what() + "\n";
  }
  report += "steps " + std::to_string(done) + "\n";
  for (const TSwallowedWrite& w : engine.SwallowedWrites())
    report += "swallowed " + std::to_string(w.Count) + " " + w.Path + "\n";
  return report;
}

}  // namespace kestrune::crash
