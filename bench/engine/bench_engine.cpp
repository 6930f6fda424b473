// The engine's share of one Apply: backup, templates and every writer at its
// heaviest level (a few hundred key operations, each reading and replacing
// its whole file) on a real player's three files. The durability barrier
// that ends the flow is measured on its own. Goal: median under 50 ms for
// the writes.
//
//   bench_engine --benchmark_repetitions=15 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "engine/crash/apply_sequence.h"
#include "engine/pubg_lib.h"
#include "support/temp_dir.h"

namespace kestrune {
namespace {

namespace fs = std::filesystem;

const char* const kSets[] = {"typical", "large"};

// A fresh game folder holding the player's files and an empty backup root.
void ResetGame(const std::string& base, const std::string& set) {
  std::error_code ec;
  fs::remove_all(base, ec);
  TPUBGLib lib(base);
  for (const char* name : {"Engine.ini", "GameUserSettings.ini", "Scalability.ini"}) {
    test::WriteFile(lib.GameConfigFolder() + name,
                    test::ReadFile(std::string(KESTRUNE_FIXTURES) + "/bench/" + set + "/" + name));
  }
}

void RunApply(TPUBGLib& engine, const THareWareInfo& hardware) {
  for (const crash::Step& step : crash::PrepareSteps()) step.run(engine);
  for (const crash::Step& step : crash::WriterSteps(hardware)) step.run(engine);
}

size_t FileBytes(const TPUBGLib& lib) {
  size_t total = 0;
  for (const std::string* p :
       {&lib.EngineIniPath, &lib.GameUserSettingsPath, &lib.ScalabilityIniPath})
    total += test::ReadFile(*p).size();
  return total;
}

void BM_ApplyWrites(benchmark::State& state) {
  const std::string set = kSets[state.range(0)];
  test::TempDir dir;
  const std::string base = dir.Path("game");
  const THareWareInfo hardware = crash::HeavyHardware();
  size_t bytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    ResetGame(base, set);
    state.ResumeTiming();
    TPUBGLib engine(base, hardware);
    RunApply(engine, hardware);
    state.PauseTiming();
    if (engine.SwallowedWriteCount() != 0) state.SkipWithError("a write was swallowed");
    bytes = FileBytes(engine);
    state.ResumeTiming();
  }
  state.SetLabel(set);
  state.counters["file_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ApplyWrites)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The flush of the files and folders one Apply changed.
void BM_DurabilityBarrier(benchmark::State& state) {
  const std::string set = kSets[state.range(0)];
  test::TempDir dir;
  const std::string base = dir.Path("game");
  const THareWareInfo hardware = crash::HeavyHardware();
  for (auto _ : state) {
    state.PauseTiming();
    ResetGame(base, set);
    TPUBGLib engine(base, hardware);
    RunApply(engine, hardware);
    state.ResumeTiming();
    if (!engine.SyncChangedFiles()) state.SkipWithError("the barrier failed");
  }
  state.SetLabel(set);
}
// A fixed count: the timed part may take microseconds while the untimed
// Apply before it takes tens of milliseconds.
BENCHMARK(BM_DurabilityBarrier)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(10);

}  // namespace
}  // namespace kestrune

BENCHMARK_MAIN();
