// Game processes, process start and shell calls against real processes:
// copies of /bin/sleep named like the game, and a fake xdg-open first in PATH
// that records what it was asked to open. Runs serially: it ends every
// "game" on the machine.
#include "env/game_process.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "platform/process.h"
#include "support/temp_dir.h"
#include "support/test_env.h"

namespace kestrune {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;
namespace fs = std::filesystem;

bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 5000) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return condition();
}

std::string CopyOfSleep(const TempDir& dir, const std::string& name) {
  std::string path = dir.Path(name);
  fs::copy_file("/bin/sleep", path, fs::copy_options::overwrite_existing);
  fs::permissions(path, fs::perms::owner_all);
  return path;
}

void WriteScript(const std::string& path, const std::string& body) {
  WriteFile(path, "#!/bin/sh\n" + body);
  fs::permissions(path, fs::perms::owner_all);
}

// Sets an environment variable for one test and restores it afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old, had_ = true;
    kestrune::test::SetEnv(name, value.c_str());
  }
  ~ScopedEnv() {
    if (had_)
      kestrune::test::SetEnv(name_, old_.c_str());
    else
      kestrune::test::UnsetEnv(name_);
  }

 private:
  const char* name_;
  std::string old_;
  bool had_ = false;
};

TEST(GameProcessTest, DetectsAndEndsBothGameProcesses) {
  TempDir dir;
  ProcessHandle game = StartProcess("\"" + CopyOfSleep(dir, "TslGame.exe") + "\" 120");
  ProcessHandle battleEye = StartProcess("\"" + CopyOfSleep(dir, "tslgame_be.exe") + "\" 120");
  ASSERT_NE(game, 0);
  ASSERT_NE(battleEye, 0);
  ASSERT_TRUE(WaitFor([] { return IsGameRunning(); }));

  TerminateGameProcesses();
  EXPECT_TRUE(WaitFor(
      [&] { return !platform::ProcessIsAlive(game) && !platform::ProcessIsAlive(battleEye); }));
  EXPECT_TRUE(WaitFor([] { return !IsGameRunning(); }));
}

TEST(GameProcessTest, LookalikeNamesAreNotTheGame) {
  TempDir dir;
  ProcessHandle a = StartProcess("\"" + CopyOfSleep(dir, "TslGameX.exe") + "\" 120");
  ProcessHandle b = StartProcess("\"" + CopyOfSleep(dir, "TslGame.exe.bak") + "\" 120");
  ASSERT_NE(a, 0);
  ASSERT_NE(b, 0);
  ASSERT_TRUE(WaitFor([&] { return platform::ProcessIsAlive(a) && platform::ProcessIsAlive(b); }));
  EXPECT_FALSE(IsGameRunning());
  TerminateGameProcesses();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_TRUE(platform::ProcessIsAlive(a));
  EXPECT_TRUE(platform::ProcessIsAlive(b));
  platform::TerminateProcessById(a);
  platform::TerminateProcessById(b);
}

// The kernel cuts a process name at 15 characters; the full name comes from
// the command line, which under Wine holds a Windows path.
TEST(GameProcessTest, LongNamesAndWindowsPathsInTheProcessList) {
  TempDir dir;
  const std::string longName = "KestruneLongProcessName.exe";
  ProcessHandle plain = StartProcess("\"" + CopyOfSleep(dir, longName) + "\" 120");
  ASSERT_NE(plain, 0);
  ProcessHandle wine = 0;
  if (fs::exists("/bin/bash")) {
    std::string copy = CopyOfSleep(dir, "TslGame_BE.exe");
    wine = StartProcess("/bin/bash -c \"exec -a 'C:\\Games\\PUBG\\TslGame_BE.exe' '" + copy +
                        "' 120\"");
    ASSERT_NE(wine, 0);
  }
  auto find = [](int64_t id) {
    for (const platform::ProcessEntry& p : platform::ListProcesses())
      if (p.id == id) return p.exeName;
    return std::string();
  };
  EXPECT_TRUE(WaitFor([&] { return find(plain) == longName; })) << find(plain);
  if (wine != 0) {
    EXPECT_TRUE(WaitFor([&] { return find(wine) == "TslGame_BE.exe"; })) << find(wine);
    EXPECT_TRUE(IsGameRunning());
  }
  TerminateGameProcesses();
  platform::TerminateProcessById(plain);
  if (wine != 0) {
    EXPECT_TRUE(WaitFor([&] { return !platform::ProcessIsAlive(wine); }));
  }
}

TEST(StartProcessTest, PassesArgumentsByWindowsQuotingAndDoesNotWait) {
  TempDir dir;
  std::string out = dir.Path("args.txt");
  std::string script = dir.Path("record args.sh");
  WriteScript(script, "for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > '" + out +
                          ".tmp'; mv '" + out + ".tmp' '" + out + "'\nsleep 1\n");
  auto started = std::chrono::steady_clock::now();
  ProcessHandle handle = StartProcess("\"" + script + "\" \"two words\" plain a\\\"quote");
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(900));
  ASSERT_NE(handle, 0);
  ASSERT_TRUE(WaitFor([&] { return fs::exists(out); }));
  EXPECT_EQ(ReadFile(out), "[two words]\n[plain]\n[a\"quote]\n");
}

TEST(StartProcessTest, FailureGivesZero) {
  TempDir dir;
  WriteFile(dir.Path("not-executable"), "data");
  EXPECT_EQ(StartProcess(""), 0);
  EXPECT_EQ(StartProcess("\"" + dir.Path("missing") + "\" x"), 0);
  EXPECT_EQ(StartProcess(dir.Path("not-executable")), 0);
  EXPECT_EQ(StartProcess("no-such-program-kestrune-test"), 0);
}

// A desktop stand-in: a fake xdg-open first in PATH, HOME in a temp folder.
class ShellTest : public ::testing::Test {
 protected:
  ShellTest()
      : path_("PATH", dir_.Path("bin") + ":/usr/bin:/bin"), home_("HOME", dir_.Path("home")) {
    fs::create_directories(dir_.Path("home"));
    WriteScript(dir_.Path("bin/xdg-open"),
                "printf '%s|%s\\n' \"$#\" \"$*\" >> '" + LogPath() + "'\n");
  }
  std::string LogPath() const { return dir_.Path("opened.log"); }
  std::string Opened() { return ReadFile(LogPath()); }

  TempDir dir_;
  ScopedEnv path_;
  ScopedEnv home_;
};

TEST_F(ShellTest, ShellOpenHandsTheAddressToTheDesktop) {
  EXPECT_TRUE(ShellOpen("https://example.com/zs/search?q=a b"));
  ASSERT_TRUE(WaitFor([&] { return !Opened().empty(); }));
  EXPECT_EQ(Opened(), "1|https://example.com/zs/search?q=a b\n");
}

TEST_F(ShellTest, ShellOpenExWithoutParameters) {
  ShellOpenEx("https://example.com/about", "");
  ASSERT_TRUE(WaitFor([&] { return !Opened().empty(); }));
  EXPECT_EQ(Opened(), "1|https://example.com/about\n");
}

TEST_F(ShellTest, ShellOpenExStartsAProgramWithItsParameters) {
  std::string out = dir_.Path("program.txt");
  WriteScript(dir_.Path("tool"), "printf '%s|' \"$@\" > '" + out + "'\n");
  ShellOpenEx(dir_.Path("tool"), "\"a b\" c");
  ASSERT_TRUE(WaitFor([&] { return fs::exists(out) && !ReadFile(out).empty(); }));
  EXPECT_EQ(ReadFile(out), "a b|c|");
  EXPECT_EQ(Opened(), "");
}

TEST_F(ShellTest, LaunchGameWithSteamInstalled) {
  WriteScript(dir_.Path("bin/steam"), "exit 0\n");
  EXPECT_TRUE(SteamInstalled());
  EXPECT_TRUE(LaunchGameViaSteam());
  ASSERT_TRUE(WaitFor([&] { return !Opened().empty(); }));
  EXPECT_EQ(Opened(), "1|steam://rungameid/578080\n");
}

TEST_F(ShellTest, LaunchGameWithSteamInHomeFolder) {
  WriteScript(dir_.Path("home/.local/share/Steam/steam.sh"), "exit 0\n");
  LaunchGameViaSteam();
  ASSERT_TRUE(WaitFor([&] { return !Opened().empty(); }));
  EXPECT_EQ(Opened(), "1|steam://rungameid/578080\n");
}

TEST_F(ShellTest, LaunchGameWithoutSteamDoesNothingAndSaysSo) {
  EXPECT_FALSE(SteamInstalled());
  EXPECT_FALSE(LaunchGameViaSteam());
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(fs::exists(LogPath()));
}

TEST_F(ShellTest, MissingOpenerIsReportedToTheCaller) {
  fs::remove(dir_.Path("bin/xdg-open"));
  ScopedEnv onlyOurs("PATH", dir_.Path("bin"));
  EXPECT_FALSE(ShellOpen("https://example.com/"));
  EXPECT_FALSE(ShellOpenEx("https://example.com/", ""));
  WriteScript(dir_.Path("bin/steam"), "exit 0\n");
  EXPECT_FALSE(LaunchGameViaSteam());  // Steam is there, the opener is not
}

}  // namespace
}  // namespace kestrune
