// kestrune-cli against other Kestrune processes and hostile game files: two
// runs at once on the same files, a run that finds the game's folder held,
// and FIFOs or device links in the place of the game's files or Config.dat.
// Each run uses a private copy of the executable and HOME in a temporary
// folder, as the other whole-program tests do.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_lock.h"
#include "platform/process.h"
#include "support/temp_dir.h"

extern char** environ;

namespace kestrune::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

constexpr const char* kGameFiles[] = {"Engine.ini", "GameUserSettings.ini", "Scalability.ini"};

struct CliRun {
  int status = -1;  // exit status; 124 when it ran past its time
  std::string out, err;
};

std::string Quote(const std::string& text) {
  std::string q = "'";
  for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// One player: a copy of kestrune-cli with its Config.dat, and the game's
// files under XDG_DATA_HOME.
class Player {
 public:
  Player() {
    fs::create_directories(Bin());
    const fs::path built(KESTRUNE_BIN_DIR);
    fs::copy_file(built / "kestrune-cli", Bin() + "/kestrune-cli");
    for (auto& e : fs::directory_iterator(built))
      if (e.path().extension() == ".so")
        fs::copy_file(e.path(), Bin() + "/" + e.path().filename().string());
    fs::create_directories(GameFolder());
    for (const char* name : kGameFiles)
      fs::copy_file(std::string(KESTRUNE_FIXTURES) + "/opti/player/" + name, GameFile(name));
    fs::create_directories(fs::path(ConfigDat()).parent_path());
    WriteFile(ConfigDat(),
              "[general]\r\nShaderCount=1280\r\nCardName=Test Adapter\r\nCardVendor=10de\r\n"
              "VideoMemorySize=4096\r\n");
  }

  std::string Bin() const { return temp.Path("bin"); }
  std::string ConfigDat() const { return temp.Path("home/.config/KestruneTools/Config.dat"); }
  std::string GameFolder() const {
    return temp.Path("home/.local/share/TslGame/Saved/Config/WindowsNoEditor");
  }
  std::string GameFile(const std::string& name) const { return GameFolder() + "/" + name; }

  std::map<std::string, std::string> GameFiles() const {
    std::map<std::string, std::string> files;
    for (const char* name : kGameFiles) files[name] = ReadFile(GameFile(name));
    return files;
  }

  // Runs the CLI (at most `seconds`); `tag` names its output files, so runs
  // may go on at the same time.
  CliRun Run(const std::vector<std::string>& args, const std::string& tag = "run",
             int seconds = 120) const {
    std::string command = "cd " + Quote(temp.path()) + " && exec timeout -s KILL " +
                          std::to_string(seconds) + " env -i HOME=" + Quote(temp.Path("home")) +
                          " XDG_DATA_HOME=" + Quote(temp.Path("home/.local/share")) +
                          " XDG_CONFIG_HOME=" + Quote(temp.Path("home/.config")) +
                          " PATH=/usr/bin:/bin LANG=C.UTF-8 " + Quote(Bin() + "/kestrune-cli");
    for (const std::string& a : args) command += " " + Quote(a);
    command +=
        " </dev/null >" + Quote(temp.Path(tag + ".out")) + " 2>" + Quote(temp.Path(tag + ".err"));
    const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
    pid_t pid = -1;
    CliRun run;
    if (::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
      return run;
    int raw = 0;
    if (::waitpid(pid, &raw, 0) != pid) return run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    if (run.status == 128 + SIGKILL || run.status == 124) run.status = 124;
    run.out = ReadFile(temp.Path(tag + ".out"));
    run.err = ReadFile(temp.Path(tag + ".err"));
    return run;
  }

  TempDir temp;
};

bool SomeGameProcessRuns() {
  for (const auto& p : platform::ListProcesses()) {
    std::string name = p.exeName;
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (name == "TSLGAME.EXE" || name == "TSLGAME_BE.EXE") return true;
  }
  return false;
}

// Apply refuses while the game runs; another suite's stand-in game process
// may be alive for a moment.
class CliFilesE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 300 && SomeGameProcessRuns(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_FALSE(SomeGameProcessRuns()) << "a process named as the game is running";
  }
};

// The lines of `expected` that `got` lacks (a short list for a failure).
std::string LostLines(const std::string& expected, const std::string& got) {
  std::multiset<std::string> have;
  std::istringstream in(got);
  for (std::string line; std::getline(in, line);) have.insert(line);
  std::string lost;
  int shown = 0;
  std::istringstream want(expected);
  for (std::string line; std::getline(want, line);) {
    auto it = have.find(line);
    if (it != have.end()) {
      have.erase(it);
    } else if (++shown <= 8) {
      lost += "\n  " + line;
    }
  }
  return shown == 0 ? "none (order differs)" : std::to_string(shown) + lost;
}

// Two Applies at once on the same files end as two Applies one after the
// other: nothing either wrote is lost (before the folder lock, most such
// pairs ended with tweak lines missing from Engine.ini, both saying done).
TEST_F(CliFilesE2E, TwoAppliesAtOnceLoseNoWrite) {
  Player reference;
  ASSERT_EQ(reference.Run({"set", "big-jump", "on", "use-fps-limit", "on", "memory", "on"}).status,
            0);
  ASSERT_EQ(reference.Run({"apply"}).status, 0);
  ASSERT_EQ(reference.Run({"apply"}).status, 0);
  const auto expected = reference.GameFiles();

  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    Player player;
    ASSERT_EQ(player.Run({"set", "big-jump", "on", "use-fps-limit", "on", "memory", "on"}).status,
              0);
    CliRun first, second;
    std::thread a([&] { first = player.Run({"apply"}, "first"); });
    std::thread b([&] { second = player.Run({"apply"}, "second"); });
    a.join();
    b.join();
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(second.status, 0) << second.err;
    auto got = player.GameFiles();
    for (const char* name : kGameFiles)
      EXPECT_TRUE(got[name] == expected.at(name))
          << name << " differs; lines lost: " << LostLines(expected.at(name), got[name]);
  }
}

// While another Kestrune holds the game's folder, apply, restore and clear
// wait, then stop with status 1 and say why; nothing changes.
TEST_F(CliFilesE2E, AFlowGivesUpWhileAnotherKestruneChangesTheFiles) {
  Player player;
  ASSERT_EQ(player.Run({"apply"}).status, 0);  // a backup to restore
  const auto before = player.GameFiles();
  platform::ScopedFileLock other(player.GameFolder());
  ASSERT_TRUE(other.held());
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"apply"}, std::vector<std::string>{"restore", "0"},
        std::vector<std::string>{"clear", "--yes"}}) {
    SCOPED_TRACE(args[0]);
    CliRun run = player.Run(args);
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_THAT(run.err, HasSubstr("Another Kestrune is changing the game's configuration files"));
    EXPECT_EQ(player.GameFiles(), before);
  }
}

// A FIFO or a link to /dev/zero in a game file's place, or as Config.dat:
// every command ends (no blocking open, no read until memory runs out) and
// the entry is left as it was (clear may delete it, as any *.ini entry).
TEST_F(CliFilesE2E, FifosAndDevicesInTheFilesPlaceDoNotHang) {
  struct Case {
    const char* what;
    const char* file;  // a game file, or "Config.dat"
    bool fifo;
    std::vector<std::string> args;
  };
  const Case cases[] = {
      {"FIFO as GameUserSettings.ini", "GameUserSettings.ini", true, {"apply"}},
      {"FIFO as GameUserSettings.ini", "GameUserSettings.ini", true, {"clear", "--yes"}},
      {"/dev/zero as Engine.ini", "Engine.ini", false, {"apply"}},
      {"FIFO as Config.dat", "Config.dat", true, {"status"}},
      {"FIFO as Config.dat", "Config.dat", true, {"set", "msaa", "3"}},
      {"FIFO as Config.dat", "Config.dat", true, {"apply"}},
      {"/dev/zero as Config.dat", "Config.dat", false, {"show"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.what) + ": " + c.args[0]);
    Player player;
    std::string path =
        std::string(c.file) == "Config.dat" ? player.ConfigDat() : player.GameFile(c.file);
    fs::remove(path);
    if (c.fifo)
      ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
    else
      fs::create_symlink("/dev/zero", path);
    CliRun run = player.Run(c.args, "run", 60);
    EXPECT_NE(run.status, 124) << "the command did not end";
    EXPECT_NE(run.status, -1);
    EXPECT_THAT(run.err, ::testing::Not(HasSubstr("bad_alloc")));
    if (c.args[0] == "clear") continue;  // clear may remove any *.ini entry
    struct stat st {};
    ASSERT_EQ(::lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(c.fifo ? S_ISFIFO(st.st_mode) : S_ISLNK(st.st_mode));
  }
}

}  // namespace
}  // namespace kestrune::test
