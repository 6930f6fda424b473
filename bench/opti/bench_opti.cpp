// Speed of the optimisation page's Apply on a player's real files: one whole
// Apply in process (settings, backup, templates, every writer, durability
// barrier, history), and kestrune-cli's whole-process time for a dry run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "engine/pubg_lib.h"
#include "env/settings_store.h"
#include "opti/opti_frame.h"
#include "opti/opti_services.h"
#include "platform/debug_log.h"

namespace {

namespace fs = std::filesystem;
using namespace kestrune;

const char* const kGameFiles[] = {"Engine.ini", "GameUserSettings.ini", "Scalability.ini"};

class QuietDialogs final : public opti::OptiDialogs {
 public:
  void ShowGameRunningNotice(const std::function<void()>&) override {}
  int ShowMessageBox(std::string_view, std::string_view, int, int) override {
    return opti::kResultCancel;
  }
  void ShowErrorBox(std::string_view) override {}
};

// A scratch world: the player's files under a local-data folder, a private
// Config.dat with the hardware cache.
struct World {
  fs::path root;
  explicit World(const char* fixtureSet) {
    std::random_device seed;
    root = fs::temp_directory_path() / ("kestrune-bench-" + std::to_string(seed()));
    fs::create_directories(root / "bin");
    fixtures = fs::path(KESTRUNE_FIXTURES) / "opti" / fixtureSet;
    Reset();
  }
  ~World() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
  fs::path Local() const { return root / "local"; }
  fs::path Game() const { return Local() / "TslGame/Saved/Config/WindowsNoEditor"; }
  void Reset() const {
    std::error_code ec;
    fs::remove_all(Local(), ec);
    fs::create_directories(Game());
    for (const char* name : kGameFiles) {
      fs::copy_file(fixtures / name, Game() / name, fs::copy_options::overwrite_existing);
      fs::permissions(Game() / name, fs::perms::owner_write, fs::perm_options::add);
    }
  }
  fs::path fixtures;
};

void BM_ApplyWholeInProcess(benchmark::State& state) {
  SetDebugLogSink([](std::string_view) {});
  World world(state.range(0) ? "player-large" : "player");
  SetConfigFilePathForTesting((world.root / "bin/Config.dat").string());
  THareWareInfo hardware;
  hardware.ShaderCount = 1280;
  hardware.VideoMemorySize = 4096;
  hardware.CardVendor = "10de";
  hardware.LogicalProcessors = 8;
  opti::ConfigDatSettings settings;
  QuietDialogs dialogs;
  opti::SystemGameControl game;
  opti::TOptiFrame page(hardware, settings, dialogs, game,
                        std::make_unique<TPUBGLib>(world.Local().string(), hardware));
  page.SetChecked(opti::CheckId::BigJump, true);
  page.SetChecked(opti::CheckId::FPSLimit, true);
  for (auto _ : state) {
    state.PauseTiming();
    world.Reset();  // the player's files again, no backups
    state.ResumeTiming();
    opti::ApplyResult result = page.BtnApplyClick();
    if (result.status != opti::ApplyStatus::Done) {
      state.SkipWithError("Apply did not complete (is a game process running?)");
      break;
    }
  }
  SetConfigFilePathForTesting("");
  SetDebugLogSink(nullptr);
}
BENCHMARK(BM_ApplyWholeInProcess)
    ->ArgName("large")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The same Apply on files it already applied: the case of a player who
// presses Apply again (the backup index grows by one each time).
void BM_ApplyAgain(benchmark::State& state) {
  SetDebugLogSink([](std::string_view) {});
  World world("player");
  SetConfigFilePathForTesting((world.root / "bin/Config.dat").string());
  THareWareInfo hardware;
  hardware.LogicalProcessors = 8;
  opti::ConfigDatSettings settings;
  QuietDialogs dialogs;
  opti::SystemGameControl game;
  opti::TOptiFrame page(hardware, settings, dialogs, game,
                        std::make_unique<TPUBGLib>(world.Local().string(), hardware));
  for (auto _ : state) page.BtnApplyClick();
  SetConfigFilePathForTesting("");
  SetDebugLogSink(nullptr);
}
BENCHMARK(BM_ApplyAgain)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(50);

// One Apply with a long restore history (range(0) entries in the backup
// index): the index is renumbered and the history list rebuilt each time, so
// this shows whether either grows faster than the history.
void BM_ApplyWithLongHistory(benchmark::State& state) {
  SetDebugLogSink([](std::string_view) {});
  World world("player");
  SetConfigFilePathForTesting((world.root / "bin/Config.dat").string());
  THareWareInfo hardware;
  hardware.LogicalProcessors = 8;
  opti::ConfigDatSettings settings;
  QuietDialogs dialogs;
  opti::SystemGameControl game;
  auto engine = std::make_unique<TPUBGLib>(world.Local().string(), hardware);
  const std::string root = engine->BackupRoot;
  std::string index = "[Backup]\r\n";
  for (int64_t i = 0; i < state.range(0); ++i) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "2019%02d%02d_%09lld", static_cast<int>(i % 12 + 1),
                  static_cast<int>(i % 28 + 1), static_cast<long long>(i));
    index += "ID" + std::to_string(i) + "=" + root + stamp + "\r\n";
  }
  opti::TOptiFrame page(hardware, settings, dialogs, game, std::move(engine));
  for (auto _ : state) {
    state.PauseTiming();
    world.Reset();
    fs::create_directories(root);
    std::FILE* out = std::fopen((root + "config.dat").c_str(), "wb");
    if (out) {
      std::fwrite(index.data(), 1, index.size(), out);
      std::fclose(out);
    }
    state.ResumeTiming();
    if (page.BtnApplyClick().status != opti::ApplyStatus::Done) {
      state.SkipWithError("Apply did not complete (is a game process running?)");
      break;
    }
  }
  state.counters["history"] = static_cast<double>(state.range(0));
  SetConfigFilePathForTesting("");
  SetDebugLogSink(nullptr);
}
BENCHMARK(BM_ApplyWithLongHistory)
    ->Arg(1000)
    ->Arg(4000)
    ->Arg(16000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

// kestrune-cli apply --dry-run as a user runs it: a fresh process each time.
void BM_CliDryRunWholeProcess(benchmark::State& state) {
  World world("player");
  fs::path home = world.root / "home";
  fs::path local = home / ".local/share";
  fs::create_directories(local);
  fs::rename(world.Local() / "TslGame", local / "TslGame");
  fs::copy_file(fs::path(KESTRUNE_BIN_DIR) / "kestrune-cli", world.root / "bin/kestrune-cli");
  const std::string command = "env -i HOME=" + home.string() + " PATH=/usr/bin:/bin " +
                              (world.root / "bin/kestrune-cli").string() +
                              " apply --dry-run >/dev/null 2>&1";
  for (auto _ : state) {
    int rc = std::system(command.c_str());
    if (rc != 0) {
      state.SkipWithError("kestrune-cli apply --dry-run failed");
      break;
    }
  }
}
BENCHMARK(BM_CliDryRunWholeProcess)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
