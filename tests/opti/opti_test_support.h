// Shared pieces of the page tests: a private Config.dat and game folder per
// test, dialogs that record what they were asked, and a game-process stand-in
// (a real game process would be seen by every test running beside this one;
// the real process functions are exercised by the end-to-end tests).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/pubg_lib.h"
#include "env/settings_store.h"
#include "opti/opti_frame.h"
#include "support/temp_dir.h"

namespace kestrune::opti::test {

struct Shown {
  std::string title, text;
  int icon = 0, buttons = 0;
};

class RecordingDialogs : public OptiDialogs {
 public:
  int answer = kResultCancel;
  int notices = 0;
  bool pressCloseGame = false;
  std::vector<Shown> boxes;
  std::vector<std::string> errors;

  void ShowGameRunningNotice(const std::function<void()>& closeGame) override {
    ++notices;
    if (pressCloseGame) closeGame();
  }
  int ShowMessageBox(std::string_view title, std::string_view text, int icon,
                     int buttons) override {
    boxes.push_back({std::string(title), std::string(text), icon, buttons});
    return answer;
  }
  void ShowErrorBox(std::string_view message) override { errors.emplace_back(message); }
};

class RecordingGame : public GameControl {
 public:
  bool running = false;
  int terminated = 0;
  int launched = 0;
  bool IsGameRunning() override { return running; }
  void TerminateGameProcesses() override { ++terminated; }
  void LaunchGameViaSteam() override { ++launched; }
};

// Records the order of Config.dat writes on top of the real store.
class RecordingSettings : public OptiSettings {
 public:
  std::vector<std::pair<std::string, std::string>> writes;
  std::string Read(const std::string& key) override { return store_.Read(key); }
  SettingRead ReadChecked(const std::string& key) override { return store_.ReadChecked(key); }
  bool Write(const std::string& key, const std::string& value) override {
    writes.emplace_back(key, value);
    return store_.Write(key, value);
  }

 private:
  ConfigDatSettings store_;
};

class PageTest : public ::testing::Test {
 protected:
  PageTest() {
    std::filesystem::create_directories(temp.Path("bin"));
    SetConfigFilePathForTesting(temp.Path("bin/Config.dat"));
    hardware.CPUName = "  Test CPU @ 3.00GHz  ";
    hardware.MemorySize = 16;
    hardware.CardName = "Test GPU";
    hardware.CardVendor = "10de";
    hardware.ShaderCount = 1280;
    hardware.VideoMemorySize = 4096;
    hardware.LogicalProcessors = 8;
  }
  ~PageTest() override { SetConfigFilePathForTesting(""); }

  std::string Base() const { return temp.Path("local"); }
  std::string GameFolder() const { return Base() + "/TslGame/Saved/Config/WindowsNoEditor"; }
  std::string GameFile(const std::string& name) const { return GameFolder() + "/" + name; }
  std::string ConfigDat() const { return temp.Path("bin/Config.dat"); }
  void Store(const std::string& key, const std::string& value) { WriteConfig(key, value); }

  std::unique_ptr<TOptiFrame> MakePage() {
    auto page = std::make_unique<TOptiFrame>(hardware, settings, dialogs, game,
                                             std::make_unique<TPUBGLib>(Base(), hardware));
    page->SetEngineObserver(
        [this](std::string_view call, int arg) { calls.emplace_back(std::string(call), arg); });
    return page;
  }

  std::vector<std::string> CallNames() const {
    std::vector<std::string> names;
    for (const auto& c : calls) names.push_back(c.first);
    return names;
  }
  int ArgOf(const std::string& name) const {
    for (const auto& c : calls)
      if (c.first == name) return c.second;
    ADD_FAILURE() << name << " was not called";
    return -999;
  }
  bool Called(const std::string& name) const {
    for (const auto& c : calls)
      if (c.first == name) return true;
    return false;
  }

  kestrune::test::TempDir temp;
  THareWareInfo hardware;
  RecordingSettings settings;
  RecordingDialogs dialogs;
  RecordingGame game;
  std::vector<std::pair<std::string, int>> calls;
};

}  // namespace kestrune::opti::test
