// The engine's share of one Apply: backup, templates and every writer at its
// heaviest level (a few hundred key operations, each reading and replacing
// its whole file) on a real player's three files. The durability barrier
// that ends the flow is measured on its own. Goals: median at most 35 ms for
// the writes, and at most 8 system calls per operation on a game file on
// average (BM_SystemCallsPerOperation counts them with strace).
//
//   bench_engine --benchmark_repetitions=15 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "engine/crash/apply_sequence.h"
#include "engine/pubg_lib.h"
#include "platform/file_lock.h"
#include "platform/file_system.h"
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

// As the page's Apply: the game's folder locked for the whole flow, one scan
// for stale temporary files, then the steps.
void RunApply(TPUBGLib& engine) {
  platform::ScopedFileLock lock(engine.GameConfigFolder());
  platform::RemoveStaleTemporaries(engine.GameConfigFolder());
  for (const crash::Step& step : crash::PrepareSteps()) step.run(engine);
  for (const crash::Step& step : crash::WriterSteps()) step.run(engine);
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
    RunApply(engine);
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
    RunApply(engine);
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

// One Apply in a process of its own, between two marks strace can see.
constexpr const char* kOneApply = "--one-apply";
constexpr const char* kBeginMark = "#apply-begin";
constexpr const char* kEndMark = "#apply-end";

int OneApply(const std::string& base) {
  const THareWareInfo hardware = crash::HeavyHardware();
  ::access((base + "/" + kBeginMark).c_str(), F_OK);
  {
    TPUBGLib engine(base, hardware);
    RunApply(engine);
  }
  ::access((base + "/" + kEndMark).c_str(), F_OK);
  return 0;
}

struct CallCount {
  size_t calls = 0;       // every system call between the marks
  size_t operations = 0;  // reads of a game file: one per key operation
};

// Reads `strace -y -o` output. Every operation on a game file (a key write
// or delete, the binding edit) reads its file exactly once: an open for
// reading, or one pread through the handle kept from the last write; the
// backup's three copies read them too and are taken off.
CallCount CountCalls(const std::string& log) {
  CallCount count;
  bool inside = false;
  size_t pos = 0;
  while (pos < log.size()) {
    size_t eol = log.find('\n', pos);
    if (eol == std::string::npos) eol = log.size();
    std::string line = log.substr(pos, eol - pos);
    pos = eol + 1;
    if (line.find(kBeginMark) != std::string::npos) {
      inside = true;
      continue;
    }
    if (line.find(kEndMark) != std::string::npos) break;
    if (!inside || line.find('(') == std::string::npos || line.find(" = ") == std::string::npos)
      continue;
    ++count.calls;
    const bool gameFile = line.find("WindowsNoEditor/") != std::string::npos;
    if (gameFile && line.find("openat(") != std::string::npos &&
        line.find(".ini\", O_RDONLY") != std::string::npos)
      ++count.operations;
    if (gameFile && line.find("pread64(") != std::string::npos &&
        line.find(".ini>") != std::string::npos)
      ++count.operations;
  }
  count.operations = count.operations > 3 ? count.operations - 3 : 0;
  return count;
}

// The system calls of one Apply per operation on a game file (strace; the
// figure does not depend on the machine's speed).
void BM_SystemCallsPerOperation(benchmark::State& state) {
  const std::string set = kSets[state.range(0)];
  if (::access("/usr/bin/strace", X_OK) != 0) {
    state.SkipWithError("strace is not installed");
    return;
  }
  test::TempDir dir;
  const std::string base = dir.Path("game");
  const std::string logPath = dir.Path("trace.log");
  CallCount count;
  for (auto _ : state) {
    ResetGame(base, set);
    std::string command = "/usr/bin/strace -f -qq -y -o '" + logPath + "' /proc/" +
                          std::to_string(::getpid()) + "/exe " + kOneApply + " '" + base + "'";
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("the traced Apply failed (may this process use ptrace?)");
      return;
    }
    count = CountCalls(test::ReadFile(logPath));
  }
  if (count.operations == 0) {
    state.SkipWithError("no operation seen in the trace");
    return;
  }
  state.SetLabel(set);
  state.counters["calls"] = static_cast<double>(count.calls);
  state.counters["operations"] = static_cast<double>(count.operations);
  state.counters["calls_per_op"] =
      static_cast<double>(count.calls) / static_cast<double>(count.operations);
}
BENCHMARK(BM_SystemCallsPerOperation)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

}  // namespace
}  // namespace kestrune

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], kestrune::kOneApply) == 0)
    return kestrune::OneApply(argv[2]);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
