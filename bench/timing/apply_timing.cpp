// One whole Apply on a player's real files, timed with a plain loop: the
// same work as bench_opti's BM_ApplyWholeInProcess, for systems without
// Google Benchmark (the Windows build, run under Wine).
//   apply_timing [runs] [player|player-large]
// Prints each run's time and the median, in milliseconds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

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

// The player's files under a scratch local-data folder, a private Config.dat.
struct World {
  fs::path root;
  fs::path fixtures;
  explicit World(const std::string& fixtureSet) {
    std::random_device seed;
    root = fs::temp_directory_path() / ("kestrune-timing-" + std::to_string(seed()));
    fs::create_directories(root / "bin");
    fixtures = fs::path(KESTRUNE_FIXTURES) / "opti" / fixtureSet;
    Reset();
  }
  ~World() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
  fs::path Local() const { return root / "local"; }
  fs::path Game() const { return Local() / "TslGame" / "Saved" / "Config" / "WindowsNoEditor"; }
  void Reset() const {
    std::error_code ec;
    fs::remove_all(Local(), ec);
    fs::create_directories(Game());
    for (const char* name : kGameFiles) {
      fs::copy_file(fixtures / name, Game() / name, fs::copy_options::overwrite_existing);
      fs::permissions(Game() / name, fs::perms::owner_write, fs::perm_options::add);
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  const std::string fixtureSet = argc > 2 ? argv[2] : "player";
  SetDebugLogSink([](std::string_view) {});
  std::vector<double> ms;
  {
    World world(fixtureSet);
    SetConfigFilePathForTesting((world.root / "bin" / "Config.dat").string());
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
    for (int i = 0; i < runs; ++i) {
      world.Reset();  // the player's files again, no backups
      auto start = std::chrono::steady_clock::now();
      opti::ApplyResult result = page.BtnApplyClick();
      auto took = std::chrono::steady_clock::now() - start;
      if (result.status != opti::ApplyStatus::Done) {
        std::fprintf(stderr, "apply_timing: Apply did not complete (is a game process running?)\n");
        return 1;
      }
      ms.push_back(std::chrono::duration<double, std::milli>(took).count());
      std::printf("run %2d  %8.2f ms\n", i + 1, ms.back());
    }
    SetConfigFilePathForTesting("");
  }
  SetDebugLogSink(nullptr);
  std::vector<double> sorted = ms;
  std::sort(sorted.begin(), sorted.end());
  std::printf("Apply (%s): median %.2f ms, min %.2f ms, max %.2f ms over %d runs\n",
              fixtureSet.c_str(), sorted[sorted.size() / 2], sorted.front(), sorted.back(), runs);
  return 0;
}
