// kestrune-cli run as a user would: a private copy of the executable (so its
// Config.dat is its own), HOME and the XDG folders in a temporary folder that
// holds a player's game files under the game's Proton prefix.
//
// The same tests drive the Windows build under Wine when
// KESTRUNE_E2E_WINDOWS_BIN names its bin/ folder: kestrune-cli.exe runs in
// the Wine prefix WINEPREFIX names (shared by the tests, so each one empties
// the program's folders and registry key first), and the game's files live
// in that prefix's local application-data folder, where Windows keeps them.
// The expected files and texts are the same for both systems.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <thread>

#include "hardware/hardware_info.h"
#include "hardware/hardware_lib.h"
#include "ini/ini_text.h"
#include "opti/change_list.h"
#include "opti/ini_diff.h"
#include "opti/opti_tables.h"
#include "platform/process.h"
#include "support/http_test_server.h"
#include "support/temp_dir.h"

namespace kestrune::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr const char* kProtonLocal =
    "home/.steam/steam/steamapps/compatdata/578080/pfx/drive_c/users/steamuser/AppData/Local";
constexpr const char* kGameFiles[] = {"Engine.ini", "GameUserSettings.ini", "Scalability.ini"};

struct CliRun {
  int status = -1;
  std::string out, err;
};

std::string Quote(const std::string& text) {
  std::string q = "'";
  for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Every file under a folder with its bytes and whether it is writable.
// (Empty folders do not count: the engine makes its folders when it starts.)
using Tree = std::map<std::string, std::string>;
Tree Snapshot(const std::string& root) {
  Tree tree;
  std::error_code ec;
  for (auto& e : fs::recursive_directory_iterator(root, ec)) {
    if (e.is_directory()) continue;
    std::string rel = fs::relative(e.path(), root).string();
    bool writable =
        (fs::status(e.path()).permissions() & fs::perms::owner_write) != fs::perms::none;
    tree[rel] = (writable ? "w:" : "r:") + ReadFile(e.path().string());
  }
  return tree;
}

// The paths whose content differs, for a short failure message.
std::vector<std::string> Differences(const Tree& a, const Tree& b) {
  std::vector<std::string> out;
  for (const auto& [path, data] : a) {
    auto it = b.find(path);
    if (it == b.end())
      out.push_back("gone: " + path);
    else if (it->second != data)
      out.push_back("changed: " + path);
  }
  for (const auto& [path, data] : b)
    if (!a.count(path)) out.push_back("new: " + path);
  return out;
}

// The change lines the CLI printed for one file, after "<name>...:" and
// before the next file's header.
std::vector<std::string> ChangeLines(const std::string& out, const std::string& file) {
  std::vector<std::string> lines;
  std::istringstream in(out);
  std::string line;
  bool inside = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line[0] != ' ') {
      inside = line.rfind(file, 0) == 0 && line.size() > file.size() &&
               (line[file.size()] == ':' || line[file.size()] == ' ');
      continue;
    }
    if (inside) lines.push_back(line);
  }
  return lines;
}

// The change lines the list of an actual change between two texts holds.
std::vector<std::string> ActualChangeLines(const std::string& name, const std::string& before,
                                           const std::string& after) {
  opti::ChangeList list;
  list.files.push_back(opti::CompareIniTexts(name, "", true, true, before, after));
  return ChangeLines(opti::RenderChangeListText(list), name);
}

// Keys whose values follow the processor count of the machine running the test.
const char* const kProcessorKeys[] = {"CPUNumLogicalProcessors",
                                      "CacheCpuNum",
                                      "ThreadedShaderCompileThreshold",
                                      "ThreadedShaderCpuCore",
                                      "PreViewUpdateEveryFrame",
                                      "CompatLevelComposite",
                                      "CompatLevelCPU",
                                      "CompatLevelGPU"};

std::string MaskProcessorValues(const std::string& text) {
  std::string out = text;
  for (const char* key : kProcessorKeys)
    out = std::regex_replace(out, std::regex(std::string("(\n") + key + "=)[^\r\n]*"), "$1*");
  return out;
}

// The Windows build under Wine, when the environment names one.
struct WineTarget {
  bool on = false;
  std::string bin;         // the Windows build's bin/ folder
  std::string prefix;      // WINEPREFIX
  std::string local;       // the prefix's local application-data folder, on this side
  std::string localShown;  // the same folder as the Windows program names it
};

const WineTarget& Wine() {
  static const WineTarget target = [] {
    WineTarget t;
    const char* bin = std::getenv("KESTRUNE_E2E_WINDOWS_BIN");
    const char* prefix = std::getenv("WINEPREFIX");
    if (!bin || !*bin) return t;
    if (!prefix || !*prefix) {
      ADD_FAILURE() << "KESTRUNE_E2E_WINDOWS_BIN needs WINEPREFIX";
      return t;
    }
    t.on = true;
    t.bin = bin;
    t.prefix = prefix;
    // The prefix's one user folder (named after the account that made it).
    std::error_code ec;
    for (auto& e : fs::directory_iterator(t.prefix + "/drive_c/users", ec)) {
      std::string name = e.path().filename().string();
      if (name == "Public" || !e.is_directory()) continue;
      t.local = e.path().string() + "/AppData/Local";
      t.localShown = "C:\\users\\" + name + "\\AppData\\Local";
    }
    if (t.local.empty()) ADD_FAILURE() << "no user folder in " << t.prefix;
    return t;
  }();
  return target;
}

// A path under the prefix's local folder or the test's temporary folder as
// the program prints it: on Wine, "C:\users\..." or "Z:\tmp\...".
std::string Shown(const std::string& path) {
  if (!Wine().on) return path;
  std::string out;
  if (path.rfind(Wine().local, 0) == 0)
    out = Wine().localShown + path.substr(Wine().local.size());
  else
    out = "Z:" + path;
  std::replace(out.begin(), out.end(), '/', '\\');
  return out;
}

const char* CliName() {
  return Wine().on ? "kestrune-cli.exe" : "kestrune-cli";
}

bool SomeGameProcessRuns() {
  for (const auto& p : platform::ListProcesses()) {
    std::string name = p.exeName;
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (name == "TSLGAME.EXE" || name == "TSLGAME_BE.EXE") return true;
  }
  return false;
}

class CliE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    // These tests run alone under ctest; a developer's machine may still have
    // another suite's stand-in game process alive for a moment.
    for (int i = 0; i < 300 && SomeGameProcessRuns(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_FALSE(SomeGameProcessRuns()) << "a process named as the game is running";
    if (Wine().on) ClearWineWorld();
    fs::create_directories(Bin());
    const fs::path built(Wine().on ? Wine().bin : KESTRUNE_BIN_DIR);
    ASSERT_TRUE(fs::exists(built / CliName())) << "build " << CliName() << " first";
    fs::copy_file(built / CliName(), Bin() + "/" + CliName());
    // The sibling libraries (stand-ins) the program finds beside itself.
    const char* libraryExtension = Wine().on ? ".dll" : ".so";
    for (auto& e : fs::directory_iterator(built))
      if (e.path().extension() == libraryExtension)
        fs::copy_file(e.path(), Bin() + "/" + e.path().filename().string());
    MakeWorld();
  }

  // The player's game files and the program's Config.dat; a second call
  // starts over (no backups, no index).
  void MakeWorld() {
    std::error_code ec;
    fs::remove_all(temp.Path("home"), ec);
    fs::create_directories(GameFolder());
    for (const char* name : kGameFiles) {
      fs::copy_file(Fixture(name), GameFile(name));
      fs::permissions(GameFile(name), fs::perms::owner_write, fs::perm_options::add);
    }
    // The adapter facts the GUI's survey cached.
    fs::remove_all(ConfigDat(), ec);
    fs::create_directories(fs::path(ConfigDat()).parent_path());
    WriteFile(ConfigDat(),
              "[general]\r\nShaderCount=1280\r\nCardName=Test Adapter\r\nCardVendor=10de\r\n"
              "VideoMemorySize=4096\r\n");
  }

  void TearDown() override {
    if (Wine().on) ClearWineWorld();
  }

  // The prefix outlives the test: the program's folders and registry key go.
  static void ClearWineWorld() {
    std::error_code ec;
    fs::remove_all(Wine().local + "/TslGame", ec);
    fs::remove_all(Wine().local + "/Kestrune", ec);
    std::string command = WineCommand() + " reg delete " + Quote("HKCU\\SOFTWARE\\KestruneTools") +
                          " /f >/dev/null 2>&1";
    (void)std::system(command.c_str());
  }

  // The start of a shell command that runs a Windows program in the prefix.
  static std::string WineCommand() {
    return "env WINEPREFIX=" + Quote(Wine().prefix) +
           " WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= " + Quote(KESTRUNE_WINE_RUN);
  }

  std::string Bin() const { return temp.Path("bin"); }
  // Config.dat: beside the executable on Windows, in the configuration home
  // on Linux.
  std::string ConfigDat() const {
    return Wine().on ? Bin() + "/Config.dat" : temp.Path("home/.config/KestruneTools/Config.dat");
  }
  std::string Local() const { return Wine().on ? Wine().local : temp.Path(kProtonLocal); }
  std::string GameFolder() const { return Local() + "/TslGame/Saved/Config/WindowsNoEditor"; }
  std::string GameFile(const std::string& name) const { return GameFolder() + "/" + name; }
  // Backups: in the local application data on Windows, in the data home on
  // Linux (never inside the Proton prefix).
  std::string BackupRoot() const {
    return Wine().on ? Local() + "/Kestrune/BackupFiles"
                     : temp.Path("home/.local/share/Kestrune/BackupFiles");
  }
  static std::string Fixture(const std::string& name) {
    return std::string(KESTRUNE_FIXTURES) + "/opti/player/" + name;
  }

  // The program with `args` in its clean environment, as a shell command;
  // `prefix` runs before the program (strace and its options).
  std::string CliCommand(const std::vector<std::string>& args,
                         const std::vector<std::string>& prefix = {}) {
    std::string command = "cd " + Quote(temp.path()) +
                          " && env -i HOME=" + Quote(temp.Path("home")) +
                          " XDG_DATA_HOME=" + Quote(temp.Path("home/.local/share")) +
                          " XDG_CONFIG_HOME=" + Quote(temp.Path("home/.config")) +
                          " PATH=/usr/bin:/bin LANG=C.UTF-8 " + wrapper;
    for (const std::string& p : prefix) command += Quote(p) + " ";
    if (Wine().on) command += WineCommand() + " ";
    command += Quote(Bin() + "/" + CliName());
    for (const std::string& a : args) command += " " + Quote(a);
    return command;
  }

  CliRun Run(const std::vector<std::string>& args, const std::string& input = "",
             const std::vector<std::string>& prefix = {}) {
    WriteFile(temp.Path("stdin"), input);
    std::string command = CliCommand(args, prefix) + " <" + Quote(temp.Path("stdin")) + " >" +
                          Quote(temp.Path("stdout")) + " 2>" + Quote(temp.Path("stderr"));
    int raw = std::system(command.c_str());
    CliRun run;
    run.status = raw == -1 ? -1 : (raw >> 8) & 0xff;
    run.out = ReadFile(temp.Path("stdout"));
    run.err = ReadFile(temp.Path("stderr"));
    return run;
  }

  // The player's folders and the program's folder, everything a run may touch.
  Tree World() {
    Tree home = Snapshot(temp.Path("home"));
    if (Wine().on) {
      for (const char* folder : {"TslGame", "Kestrune"})
        for (auto& [k, v] : Snapshot(Local() + "/" + folder))
          home[std::string("local/") + folder + "/" + k] = v;
    }
    Tree bin = Snapshot(Bin());
    for (auto& [k, v] : bin) home["bin/" + k] = v;
    return home;
  }

  std::vector<std::string> BackupFolders() {
    std::vector<std::string> out;
    std::error_code ec;
    for (auto& e : fs::directory_iterator(BackupRoot(), ec))
      if (e.is_directory()) out.push_back(e.path().string());
    std::sort(out.begin(), out.end());
    return out;
  }

  TempDir temp;
  // Variables and a program that runs kestrune-cli (strace), ending in a blank.
  std::string wrapper;
};

TEST_F(CliE2E, ApplyWritesTheExpectedFilesAfterABackup) {
  CliRun run = Run({"apply"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_THAT(run.out, HasSubstr("优化完成！请问是否立即启动游戏？"));

  const std::string expected = std::string(KESTRUNE_FIXTURES) + "/opti/expected-first-apply/";
  for (const char* name : kGameFiles)
    EXPECT_EQ(MaskProcessorValues(ReadFile(GameFile(name))),
              MaskProcessorValues(ReadFile(expected + name)))
        << name;
  // The processor count written is this machine's.
  THareWareInfo info;
  StoreProcessorTopology(info);
  EXPECT_EQ(ini::ReadValue(ReadFile(GameFile("Engine.ini")), "/script/engine.renderersettings",
                           "CPUNumLogicalProcessors"),
            std::to_string(info.LogicalProcessors));

  // The backup holds the player's files as they were.
  auto folders = BackupFolders();
  ASSERT_EQ(folders.size(), 1u);
  for (const char* name : kGameFiles)
    EXPECT_EQ(ReadFile(folders[0] + "/" + name), ReadFile(Fixture(name))) << name;
  // Config.dat holds the page's keys next to the hardware cache.
  std::string config = ReadFile(ConfigDat());
  EXPECT_EQ(ini::ReadValue(config, "general", "CBConfigModelIndex"), "1");
  EXPECT_EQ(ini::ReadValue(config, "general", "CBMSAAIndex"), "2");
  EXPECT_EQ(ini::ReadValue(config, "general", "LanguageCheck"), "1");
  EXPECT_EQ(ini::ReadValue(config, "general", "ShaderCount"), "1280");
  EXPECT_EQ(ini::ListKeys(config, "general").size(), 33u + 4u);
}

TEST_F(CliE2E, DryRunChangesNothingAndListsExactlyWhatApplyThenChanges) {
  ASSERT_EQ(
      Run({"set", "big-jump", "on", "use-fps-limit", "on", "fps-limit", "144", "msaa", "6"}).status,
      0);
  Tree before = World();
  CliRun dry = Run({"apply", "--dry-run"});
  ASSERT_EQ(dry.status, 0) << dry.err;
  EXPECT_THAT(Differences(before, World()), ::testing::IsEmpty()) << "the dry run touched a file";
  EXPECT_THAT(dry.out, HasSubstr("Apply would then ask: 优化完成！请问是否立即启动游戏？"));

  std::map<std::string, std::string> gameBefore;
  for (const char* name : kGameFiles) gameBefore[name] = ReadFile(GameFile(name));
  std::string configBefore = ReadFile(ConfigDat());

  CliRun real = Run({"apply"});
  ASSERT_EQ(real.status, 0) << real.err;
  for (const char* name : kGameFiles) {
    std::vector<std::string> predicted = ChangeLines(dry.out, name);
    EXPECT_EQ(predicted, ChangeLines(real.out, name)) << name;
    // And against the files themselves: the same entries, in the same order.
    EXPECT_EQ(predicted, ActualChangeLines(name, gameBefore[name], ReadFile(GameFile(name))));
    EXPECT_FALSE(predicted.empty()) << name;
  }
  // Config.dat: the dry run listed what Apply then saved.
  EXPECT_EQ(ChangeLines(dry.out, "Config.dat"),
            ActualChangeLines("Config.dat", configBefore, ReadFile(ConfigDat())));
}

TEST_F(CliE2E, DryRunOnAFirstStartListsConfigDatAsNew) {
  fs::remove(ConfigDat());
  Tree before = World();
  CliRun dry = Run({"apply", "--dry-run"});
  ASSERT_EQ(dry.status, 0) << dry.err;
  EXPECT_THAT(Differences(before, World()), ::testing::IsEmpty());
  EXPECT_THAT(dry.out, HasSubstr("Config.dat (new file)"));
  EXPECT_THAT(dry.out, HasSubstr("\n  [general]\n    + CBConfigModelIndex = 1\n"));
}

// The list reads like a diff: per file and section (the file's spelling,
// once), template rulers as lines, the binding list per action entry, a
// summary, and Apply's final question after all of it.
TEST_F(CliE2E, ApplyListsChangesReadablyAndAsksItsQuestionLast) {
  fs::remove(GameFile("Engine.ini"));  // Apply writes the template first
  CliRun run = Run({"apply"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string& out = run.out;
  EXPECT_THAT(out, HasSubstr("Engine.ini (new file): "));
  EXPECT_THAT(out, HasSubstr("\n  [Core.System]\n    + Paths = ../../../Engine/Content\n"));
  EXPECT_THAT(out, HasSubstr("    + None=======Optimization By====="));
  EXPECT_THAT(out, Not(HasSubstr("None: added")));
  // The player's binding list: the two actions Apply edits, nothing else.
  std::vector<std::string> bindings;
  for (const std::string& line : ChangeLines(out, "GameUserSettings.ini"))
    if (line.find("CustomInputSettins") != std::string::npos) bindings.push_back(line);
  EXPECT_THAT(bindings,
              ::testing::ElementsAre(
                  "    ~ CustomInputSettins ActionKeyList[Jump]: "
                  "(ActionName=\"Jump\",Keys=((Key=SpaceBar))) → "
                  "(ActionName=\"Jump\",Keys=((Key=SpaceBar),(Key=Gamepad_FaceButton_Bottom)))",
                  "    ~ CustomInputSettins ActionKeyList[ToggleCrouch]: "
                  "(ActionName=\"ToggleCrouch\",Keys=((Key=C))) → "
                  "(ActionName=\"ToggleCrouch\",Keys=((Key=C),()))"));
  EXPECT_THAT(out, Not(HasSubstr(" chars]")));
  // Each section once per file, whatever case the writers used.
  for (const char* name : kGameFiles) {
    std::map<std::string, int> seen;
    for (const std::string& line : ChangeLines(out, name))
      if (line.rfind("  [", 0) == 0) {
        std::string lower = line;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(++seen[lower], 1) << name << ": " << line;
      }
  }
  std::smatch summary;
  ASSERT_TRUE(std::regex_search(
      out, summary,
      std::regex("\n4 files changed: [0-9]+ keys added, [0-9]+ changed, [0-9]+ removed\n")))
      << out;
  size_t question = out.find("优化完成！请问是否立即启动游戏？");
  ASSERT_NE(question, std::string::npos);
  EXPECT_GT(question, static_cast<size_t>(summary.position(0)));
  EXPECT_GT(question, out.find("Backup taken: [0]"));
}

// --json: one object a script reads (checked with Python's own parser), the
// same counts as the text.
TEST_F(CliE2E, JsonChangeListIsOneObjectWithTheTextsCounts) {
  CliRun text = Run({"apply", "--dry-run"});
  ASSERT_EQ(text.status, 0) << text.err;
  CliRun dry = Run({"apply", "--dry-run", "--json"});
  ASSERT_EQ(dry.status, 0) << dry.err;
  CliRun real = Run({"apply", "--json"});
  ASSERT_EQ(real.status, 0) << real.err;
  const std::string reader =
      "import json,sys\n"
      "d=json.load(open(sys.argv[1],encoding='utf-8'))\n"
      "s=d['summary']\n"
      "print(d['dryRun'],s['files'],s['added'],s['changed'],s['removed'],len(d['files']))\n"
      "for f in d['files']:\n"
      "  for sec in f['sections']:\n"
      "    for c in sec['changes']:\n"
      "      if c.get('item'): print(f['name'],sec['name'],c['op'],c['key'],c['item'])\n"
      "print(d.get('question') or d['messages'][-1].splitlines()[0])\n";
  WriteFile(temp.Path("reader.py"), reader);
  auto read = [&](const std::string& json) {
    WriteFile(temp.Path("out.json"), json);
    std::string command = "python3 " + Quote(temp.Path("reader.py")) + " " +
                          Quote(temp.Path("out.json")) + " >" + Quote(temp.Path("parsed"));
    EXPECT_EQ(std::system(command.c_str()), 0) << json.substr(0, 400);
    return ReadFile(temp.Path("parsed"));
  };
  std::smatch counts;
  ASSERT_TRUE(std::regex_search(
      text.out, counts,
      std::regex(
          "\n([0-9]+) files changed: ([0-9]+) keys added, ([0-9]+) changed, ([0-9]+) removed")));
  const std::string numbers = counts[1].str() + " " + counts[2].str() + " " + counts[3].str() +
                              " " + counts[4].str() + " 4\n";
  const std::string bindings =
      "GameUserSettings.ini /Script/TslGame.TslGameUserSettings changed CustomInputSettins "
      "ActionKeyList[Jump]\n"
      "GameUserSettings.ini /Script/TslGame.TslGameUserSettings changed CustomInputSettins "
      "ActionKeyList[ToggleCrouch]\n";
  EXPECT_EQ(read(dry.out), "True " + numbers + bindings + "优化完成！请问是否立即启动游戏？\n");
  EXPECT_EQ(read(real.out), "False " + numbers + bindings + "优化完成！请问是否立即启动游戏？\n");
}

// Colour on a terminal only, and never with NO_COLOR set.
TEST_F(CliE2E, ColourOnATerminalUnlessNoColorIsSet) {
  auto onTerminal = [&]() {
    std::string command = "script -qec " + Quote(CliCommand({"apply", "--dry-run"})) +
                          " /dev/null </dev/null >" + Quote(temp.Path("terminal"));
    EXPECT_EQ(std::system(command.c_str()), 0);
    return ReadFile(temp.Path("terminal"));
  };
  EXPECT_THAT(onTerminal(), HasSubstr("\x1b[32m+ "));
  EXPECT_THAT(Run({"apply", "--dry-run"}).out, Not(HasSubstr("\x1b[")));
  wrapper = "NO_COLOR=1 ";
  // No colour (SGR) sequence; Wine's console over a pseudo-terminal adds its
  // own cursor and erase sequences, which are not ours.
  EXPECT_THAT(onTerminal(), Not(::testing::ContainsRegex("\x1b\\[[0-9;]*m")));
}

TEST_F(CliE2E, StatusShowsMachineSelectionsAndADryRunWithoutTouchingAnything) {
  Tree before = World();
  CliRun run = Run({});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(Differences(before, World()), ::testing::IsEmpty());
  EXPECT_THAT(run.out, HasSubstr("GPU        Test Adapter"));
  EXPECT_THAT(run.out, HasSubstr("渲染数量   1280"));
  EXPECT_THAT(run.out, HasSubstr("scheme     CBConfigModel      1  超级Orvane 自动优化"));
  EXPECT_THAT(run.out, HasSubstr("network    CBNetWork          5  官方"));
  EXPECT_THAT(run.out, HasSubstr("Dry run of Apply"));
  EXPECT_THAT(run.out, HasSubstr("[x] chinese"));
}

// On a terminal (a console under Wine, whose code page is not UTF-8 there)
// the Chinese texts come out as characters, not as bytes read in the
// console's code page.
TEST_F(CliE2E, ChineseTextShowsOnATerminal) {
  std::string command = "script -qec " + Quote(CliCommand({"show"})) + " /dev/null </dev/null >" +
                        Quote(temp.Path("terminal"));
  int raw = std::system(command.c_str());
  ASSERT_EQ(raw == -1 ? -1 : (raw >> 8) & 0xff, 0) << ReadFile(temp.Path("terminal"));
  std::string shown = ReadFile(temp.Path("terminal"));
  EXPECT_THAT(shown, HasSubstr("渲染数量   1280"));
  EXPECT_THAT(shown, HasSubstr("scheme     CBConfigModel      1  超级Orvane 自动优化"));
}

TEST_F(CliE2E, ShowListsSelectionsAndFiles) {
  ASSERT_EQ(Run({"set", "scheme", "5"}).status, 0);
  CliRun run = Run({"show"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("scheme     CBConfigModel      5  超级Orvane 极致画质"));
  EXPECT_THAT(run.out, HasSubstr("fxaa       CBFXAA             6  超级Orvane 极致"));
  EXPECT_THAT(run.out, HasSubstr("tree       CBTree             3  官方 中"));
  EXPECT_THAT(run.out, HasSubstr("Game files: " + Shown(GameFolder())));
  EXPECT_THAT(run.out, HasSubstr("GameUserSettings.ini  present"));
  EXPECT_THAT(run.out, HasSubstr("Game running: no"));
}

TEST_F(CliE2E, SetSavesEveryKeyAsThePageDoes) {
  CliRun run = Run({"set", "scheme", "5", "screen", "abc", "cpu-usage", "on", "CBMouseSmoothing",
                    "开", "FPSLimit", " 90 "});
  ASSERT_EQ(run.status, 0) << run.err;
  std::string config = ReadFile(ConfigDat());
  auto value = [&](const char* key) {
    return ini::ReadValue(config, "general", key).value_or("<absent>");
  };
  EXPECT_EQ(value("CBConfigModelIndex"), "5");
  EXPECT_EQ(value("CBMSAAIndex"), "4");
  EXPECT_EQ(value("CBFXAAIndex"), "6");
  EXPECT_EQ(value("CBTreeIndex"), "3");
  EXPECT_EQ(value("CBHardWareIndex"), "0");
  EXPECT_EQ(value("CBNetWorkIndex"), "5");  // from the automatic start, kept by the scheme
  EXPECT_EQ(value("CBMouseSmoothingIndex"), "1");
  EXPECT_EQ(value("ScreenSize"), "100");
  EXPECT_EQ(value("FPSLimit"), "90");
  EXPECT_EQ(value("CPUUsageCheck"), "1");
  EXPECT_EQ(value("LanguageCheck"), "1");
  EXPECT_EQ(ini::ListKeys(config, "general").size(), 33u + 4u);

  // Scheme 1 runs the automatic configuration.
  ASSERT_EQ(Run({"set", "scheme", "1"}).status, 0);
  config = ReadFile(ConfigDat());
  EXPECT_EQ(value("CBMSAAIndex"), "2");
  EXPECT_EQ(value("CBHardWareIndex"), "4");
  EXPECT_EQ(value("CBTextIndex"), "3");
}

TEST_F(CliE2E, BadInputGetsOneErrorLineAndChangesNothing) {
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* message;
  };
  const Case cases[] = {
      {{"set", "msaa", "10"}, 2, "not an entry of msaa"},
      {{"set", "nosuch", "1"}, 2, "unknown name 'nosuch'"},
      {{"set", "cpu-usage", "maybe"}, 2, "not on or off"},
      {{"set", "msaa"}, 2, "NAME VALUE pairs"},
      {{"frobnicate"}, 2, "unknown command 'frobnicate'"},
      {{"apply", "--force"}, 2, "unknown option --force"},
      {{"restore", "0"}, 1, "no backups"},
      {{"restore"}, 2, "one INDEX"},
      {{"backups", "extra"}, 2, "unknown backups action 'extra'"},
      {{"drift", "extra"}, 2, "unexpected argument"},
      {{"diff", "--again"}, 2, "--again belongs to apply"},
  };
  Tree before = World();
  for (const Case& c : cases) {
    CliRun run = Run(c.args);
    EXPECT_EQ(run.status, c.status) << c.args[0];
    EXPECT_THAT(run.err, HasSubstr(c.message)) << c.args[0];
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_THAT(run.err, ::testing::StartsWith("kestrune-cli: error: "));
  }
  EXPECT_THAT(Differences(before, World()), ::testing::IsEmpty());
  CliRun help = Run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_THAT(help.out, HasSubstr("usage: kestrune-cli"));
}

TEST_F(CliE2E, ReportUrlPrintsTheStartUpAddressWithoutSending) {
  CliRun run = Run({"report-url"});
  EXPECT_EQ(run.status, 0) << run.err;
  std::string address = run.out.substr(0, run.out.find('\n') + 1);
  EXPECT_THAT(address, ::testing::MatchesRegex("https?://[^ ]*cj\\?mac=.*&action=2&.*\n"));
  EXPECT_THAT(run.out, HasSubstr("\nusage report: on"));
}

// The README's "report-url --send": sent to the statistics host, the answer
// shown; no answer is a failure.
TEST_F(CliE2E, ReportUrlSendSendsAndShowsTheAnswer) {
  HttpTestServer server;
  ASSERT_TRUE(server.ok());
  std::string config = ReadFile(ConfigDat());
  WriteFile(ConfigDat(), config + "StatsHost=" + server.HostPort() + "\r\n");
  CliRun run = Run({"report-url", "--send"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("usage report: http://" + server.HostPort() + "/cj?mac="));
  EXPECT_THAT(run.out, HasSubstr("sent: yes\nstatus: 200\n"));

  WriteFile(ConfigDat(), config + "StatsHost=127.0.0.1:1\r\n");  // nobody listens
  CliRun refused = Run({"report-url", "--send"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_THAT(refused.out, HasSubstr("sent: no\n"));
  EXPECT_THAT(refused.err, HasSubstr("kestrune-cli: error: the usage report got no answer"));
  EXPECT_EQ(Run({"status", "--send"}).status, 2);
}

// ---- Kestrune's own files on Linux: the desktop's places ----

// A Config.dat beside the executable (an earlier build's place) is read once
// and moved to the configuration home; one left behind later is not read.
TEST_F(CliE2E, AConfigDatBesideTheProgramMovesToTheConfigurationHome) {
  if (Wine().on) GTEST_SKIP() << "Windows keeps Config.dat beside the executable";
  std::string settings = ReadFile(ConfigDat()) + "BigJumpCheck=1\r\n";
  fs::remove(ConfigDat());
  WriteFile(Bin() + "/Config.dat", settings);
  CliRun show = Run({"show"});
  ASSERT_EQ(show.status, 0) << show.err;
  EXPECT_THAT(show.out, HasSubstr("[x] big-jump"));
  EXPECT_THAT(show.out, HasSubstr("Config.dat: " + ConfigDat() + "\n"));
  EXPECT_EQ(ReadFile(ConfigDat()), settings);
  EXPECT_FALSE(fs::exists(Bin() + "/Config.dat"));

  WriteFile(Bin() + "/Config.dat", "[general]\r\nBigJumpCheck=0\r\n");
  EXPECT_THAT(Run({"show"}).out, HasSubstr("[x] big-jump"));
  ASSERT_EQ(Run({"set", "big-jump", "off"}).status, 0);
  EXPECT_EQ(ini::ReadValue(ReadFile(ConfigDat()), "general", "BigJumpCheck"), "0");
  EXPECT_EQ(ReadFile(Bin() + "/Config.dat"), "[general]\r\nBigJumpCheck=0\r\n");
}

// A settings write that fails is reported: set and apply end with status 1
// (apply still changes the game's files).
TEST_F(CliE2E, ASettingsWriteThatFailsEndsWithStatusOne) {
  fs::permissions(ConfigDat(), fs::perms::owner_read);
  std::string before = ReadFile(ConfigDat());
  CliRun set = Run({"set", "msaa", "3"});
  EXPECT_EQ(set.status, 1) << set.out;
  EXPECT_THAT(set.err, HasSubstr("could not save the settings"));
  CliRun apply = Run({"apply"});
  EXPECT_EQ(apply.status, 1) << apply.out;
  EXPECT_THAT(apply.err, HasSubstr("could not be saved to Config.dat"));
  EXPECT_THAT(apply.out, HasSubstr("Backup taken: [0]"));
  EXPECT_EQ(ReadFile(ConfigDat()), before);
  fs::permissions(ConfigDat(), fs::perms::owner_write, fs::perm_options::add);
}

// Backups live in the data home, not in the Proton prefix Steam may delete;
// those an earlier build kept in the prefix move there with their index and
// restore as before.
TEST_F(CliE2E, BackupsLiveInTheDataHomeAndOldOnesMoveThere) {
  if (Wine().on) GTEST_SKIP() << "Windows keeps the backups in the local application data";
  const std::string oldRoot = Local() + "/Kestrune/BackupFiles";
  const std::string stamp = "20240101_120000000";
  fs::create_directories(oldRoot + "/" + stamp);
  for (const char* name : kGameFiles)
    fs::copy_file(Fixture(name), oldRoot + "/" + stamp + "/" + name);
  WriteFile(oldRoot + "/config.dat", "[Backup]\r\nID0=" + oldRoot + "/" + stamp + "/\r\n");
  CliRun list = Run({"backups"});
  ASSERT_EQ(list.status, 0) << list.err;
  EXPECT_THAT(list.out, HasSubstr(BackupRoot() + "/" + stamp));
  EXPECT_FALSE(fs::exists(oldRoot));
  EXPECT_EQ(ReadFile(BackupRoot() + "/config.dat"),
            "[Backup]\r\nID0=" + BackupRoot() + "/" + stamp + "/\r\n");

  ASSERT_EQ(Run({"apply"}).status, 0);
  EXPECT_EQ(BackupFolders().size(), 2u);
  EXPECT_FALSE(fs::exists(Local() + "/Kestrune"));
  CliRun restore = Run({"restore", "0"});
  ASSERT_EQ(restore.status, 0) << restore.err;
  for (const char* name : kGameFiles) EXPECT_EQ(ReadFile(GameFile(name)), ReadFile(Fixture(name)));
}

// ---- Finding the game on Linux ----

constexpr const char* kPrefixLocal =
    "steamapps/compatdata/578080/pfx/drive_c/users/steamuser/AppData/Local";

class GameSearchE2E : public CliE2E {
 protected:
  // A home without the game, with the page's Config.dat.
  void EmptyHome() {
    std::string config = ReadFile(ConfigDat());
    fs::remove_all(temp.Path("home"));
    fs::create_directories(fs::path(ConfigDat()).parent_path());
    WriteFile(ConfigDat(), config);
  }
  // The player's files under `local` (a local application-data folder).
  void PutGameUnder(const std::string& local) {
    std::string folder = local + "/TslGame/Saved/Config/WindowsNoEditor";
    fs::create_directories(folder);
    for (const char* name : kGameFiles) fs::copy_file(Fixture(name), folder + "/" + name);
  }
};

TEST_F(GameSearchE2E, TheGameIsFoundInEverySteamLibrary) {
  if (Wine().on) GTEST_SKIP() << "Windows finds the game in the local application data";
  struct Place {
    const char* name;
    std::string local;            // where the game's prefix is
    std::function<void()> setUp;  // what points there
    std::string variables;        // set for the run
  };
  const std::string library = temp.Path("games/SteamLibrary");
  std::vector<Place> places = {
      {"flatpak",
       temp.Path("home/.var/app/com.valvesoftware.Steam/.local/share/Steam/") + kPrefixLocal, [] {},
       ""},
      {"native data home", temp.Path("home/.local/share/Steam/") + kPrefixLocal, [] {}, ""},
      {"second library", library + "/" + kPrefixLocal,
       [&] {
         fs::create_directories(temp.Path("home/.local/share/Steam/steamapps"));
         WriteFile(temp.Path("home/.local/share/Steam/steamapps/libraryfolders.vdf"),
                   "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" +
                       temp.Path("home/.local/share/Steam") +
                       "\"\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + library + "\"\n\t}\n}\n");
       },
       ""},
      {"STEAM_COMPAT_DATA_PATH",
       temp.Path("compat/578080/pfx/drive_c/users/steamuser/AppData/Local"), [] {},
       "STEAM_COMPAT_DATA_PATH=" + Quote(temp.Path("compat/578080")) + " "},
  };
  for (const Place& place : places) {
    EmptyHome();
    std::error_code ec;
    fs::remove_all(temp.Path("games"), ec);
    fs::remove_all(temp.Path("compat"), ec);
    PutGameUnder(place.local);
    place.setUp();
    wrapper = place.variables;
    CliRun show = Run({"show"});
    ASSERT_EQ(show.status, 0) << place.name << show.err;
    EXPECT_THAT(show.out, HasSubstr("Game files: " + place.local +
                                    "/TslGame/Saved/Config/WindowsNoEditor/\n"))
        << place.name;
    EXPECT_THAT(show.out, HasSubstr("Looked for the game in:\n")) << place.name;
    EXPECT_THAT(show.out, HasSubstr("  " + place.local + "\n")) << place.name;
    CliRun apply = Run({"apply"});
    EXPECT_EQ(apply.status, 0) << place.name << apply.err;
    EXPECT_THAT(apply.out, HasSubstr("GameUserSettings.ini: " + place.local)) << place.name;
  }
}

// No game anywhere: apply says so and where it looked, and makes no
// template tree; a folder the user names is used as it is.
TEST_F(GameSearchE2E, ApplyWithoutTheGameSaysWhereItLookedUnlessAFolderIsNamed) {
  if (Wine().on) GTEST_SKIP() << "Windows uses its local application data as the game's";
  EmptyHome();
  Tree before = World();
  CliRun apply = Run({"apply"});
  EXPECT_EQ(apply.status, 1) << apply.out;
  EXPECT_THAT(apply.err, HasSubstr("kestrune-cli: error: the game's configuration was not found"));
  EXPECT_THAT(
      apply.err,
      HasSubstr("  " + temp.Path("home/.var/app/com.valvesoftware.Steam/.local/share/Steam/") +
                kPrefixLocal + "\n"));
  EXPECT_THAT(
      apply.err,
      HasSubstr("  " + temp.Path("home/.local/share/TslGame/Saved/Config/WindowsNoEditor")));
  EXPECT_THAT(Differences(before, World()), ::testing::IsEmpty());
  EXPECT_FALSE(fs::exists(temp.Path("home/.local/share/TslGame")));

  const std::string named = temp.Path("elsewhere");
  PutGameUnder(named);
  CliRun there = Run({"apply", "--game-dir", named});
  ASSERT_EQ(there.status, 0) << there.err;
  EXPECT_THAT(there.out, HasSubstr("GameUserSettings.ini: " + named + "/TslGame/"));
  EXPECT_THAT(there.out, HasSubstr("Backup taken: [0]"));
  EXPECT_EQ(BackupFolders().size(), 1u);
  // The same folder named in Config.dat.
  WriteFile(ConfigDat(), ReadFile(ConfigDat()) + "GameDir=" + named + "\r\n");
  CliRun keyed = Run({"apply"});
  EXPECT_EQ(keyed.status, 0) << keyed.err;
  EXPECT_EQ(BackupFolders().size(), 2u);
}

TEST_F(CliE2E, BackupsRestoreAndClear) {
  ASSERT_EQ(Run({"apply"}).status, 0);  // backup 0: the player's files
  std::map<std::string, std::string> afterFirst;
  for (const char* name : kGameFiles) afterFirst[name] = ReadFile(GameFile(name));
  ASSERT_EQ(Run({"set", "scheme", "2"}).status, 0);
  ASSERT_EQ(Run({"apply"}).status, 0);  // backup 1: the first Apply's result

  CliRun list = Run({"backups"});
  ASSERT_EQ(list.status, 0) << list.err;
  std::regex line(
      R"(([ *]) (\d+)  \d{4}-(\d{2})-(\d{2}) (\d{2}):(\d{2}):(\d{2})(?: \(\d+\))?()  (.*))");
  std::vector<std::smatch> rows;
  std::istringstream in(list.out);
  std::string text;
  std::vector<std::string> folders;
  std::string selected;
  while (std::getline(in, text)) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(text, m, line)) << text;
    folders.push_back(m[9]);
    if (m[1] == "*") selected = m[2];
    EXPECT_THAT(m[9].str(), HasSubstr(m[3].str() + m[4].str() + "_" + m[5].str() + m[6].str() +
                                      m[7].str() + m[8].str()));
  }
  ASSERT_EQ(folders.size(), 2u);
  EXPECT_EQ(selected, "1");  // the newest is selected
  std::vector<std::string> shownFolders;
  for (const std::string& folder : BackupFolders()) shownFolders.push_back(Shown(folder));
  EXPECT_EQ(folders, shownFolders);

  CliRun restore = Run({"restore", "0"});
  ASSERT_EQ(restore.status, 0) << restore.err;
  EXPECT_THAT(restore.out, HasSubstr("还原完成！所有配置文件已经还原到所选时间点之前的状态。"));
  for (const char* name : kGameFiles) EXPECT_EQ(ReadFile(GameFile(name)), ReadFile(Fixture(name)));
  EXPECT_EQ(BackupFolders().size(), 2u);  // a restore takes no backup

  CliRun badIndex = Run({"restore", "2"});
  EXPECT_EQ(badIndex.status, 2);
  EXPECT_THAT(badIndex.err, HasSubstr("no backup with index 2 (0..1)"));

  // Clear asks first; anything but yes keeps the files.
  WriteFile(GameFile("Input.ini"), "[/Script/Engine.InputSettings]\r\n");
  WriteFile(GameFile("Saved/Keep.ini"), "[x]\r\n");
  Tree before = World();
  CliRun declined = Run({"clear"}, "n\n");
  EXPECT_EQ(declined.status, 5);
  EXPECT_THAT(declined.err, HasSubstr("nothing was deleted"));
  EXPECT_THAT(Differences(before, World()), ::testing::IsEmpty());
  EXPECT_EQ(Run({"clear"}, "").status, 5);  // no answer at all

  CliRun cleared = Run({"clear"}, "y\n");
  ASSERT_EQ(cleared.status, 0) << cleared.err;
  EXPECT_THAT(cleared.out, HasSubstr("删除完成，游戏已经恢复到第一次安装的状态，请重启游戏。"));
  EXPECT_THAT(cleared.out, HasSubstr("kestrune-cli restore 2 undoes the clear"));
  for (const char* name : {"Engine.ini", "GameUserSettings.ini", "Scalability.ini", "Input.ini"})
    EXPECT_FALSE(fs::exists(GameFile(name))) << name;
  EXPECT_TRUE(fs::exists(GameFile("Saved/Keep.ini")));

  // The clear can be undone from the history.
  ASSERT_EQ(Run({"restore", "2"}).status, 0);
  for (const char* name : kGameFiles) EXPECT_EQ(ReadFile(GameFile(name)), ReadFile(Fixture(name)));

  CliRun yes = Run({"clear", "--yes"});
  EXPECT_EQ(yes.status, 0) << yes.err;
  EXPECT_FALSE(fs::exists(GameFile("Engine.ini")));
  EXPECT_EQ(BackupFolders().size(), 4u);
}

TEST_F(CliE2E, ApplyNamesTheFilesItCouldNotChange) {
  fs::permissions(GameFile("GameUserSettings.ini"),
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  CliRun run = Run({"apply"});
  EXPECT_EQ(run.status, 4) << run.err;
  EXPECT_THAT(run.out, HasSubstr("以下文件无法修改：GameUserSettings.ini（"));
  EXPECT_THAT(run.out, Not(HasSubstr("优化完成！")));
  EXPECT_THAT(run.out, HasSubstr("请问是否立即启动游戏？"));
  EXPECT_THAT(run.err, HasSubstr("could not change " + Shown(GameFile("GameUserSettings.ini"))));
  EXPECT_EQ(ReadFile(GameFile("GameUserSettings.ini")), ReadFile(Fixture("GameUserSettings.ini")));
  // The other files were written.
  EXPECT_NE(ReadFile(GameFile("Engine.ini")), ReadFile(Fixture("Engine.ini")));

  // The dry run predicts the same refusal.
  CliRun dry = Run({"apply", "--dry-run"});
  EXPECT_EQ(dry.status, 4);
  EXPECT_THAT(dry.out, HasSubstr("以下文件无法修改：GameUserSettings.ini（"));
}

TEST_F(CliE2E, AnUnwritableBackupIndexStopsApply) {
  WriteFile(BackupRoot() + "/config.dat", "[Backup]\r\n");
  fs::permissions(BackupRoot() + "/config.dat", fs::perms::owner_read);
  CliRun run = Run({"apply"});
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("kestrune-cli: error: Unable to write to"));
  for (const char* name : kGameFiles) EXPECT_EQ(ReadFile(GameFile(name)), ReadFile(Fixture(name)));
  // The choices were saved before the backup, as the page does.
  EXPECT_EQ(ini::ReadValue(ReadFile(ConfigDat()), "general", "CBConfigModelIndex"), "1");
}

TEST_F(CliE2E, NothingChangesWhileTheGameRuns) {
  // A process named as the game: a copy of sleep called TslGame.exe (on
  // Wine a Windows program that sleeps, in the prefix, where Tool Help sees
  // it).
  std::string game = temp.Path("TslGame.exe");
  int64_t pid = 0;
  if (Wine().on) {
    fs::copy_file(Wine().bin + "/../test-tools/game_stand_in.exe", game);
    pid = platform::SpawnDetached(
        {"env", "WINEPREFIX=" + Wine().prefix, "WINEDEBUG=-all", KESTRUNE_WINE_RUN, game, "30"});
  } else {
    fs::copy_file("/bin/sleep", game);
    pid = platform::SpawnDetached({game, "30"});
  }
  ASSERT_NE(pid, 0);
  for (int i = 0; i < 100 && !platform::ProcessIsAlive(pid); ++i) {
  }
  bool seen = false;
  for (const auto& p : platform::ListProcesses()) seen = seen || p.id == pid;
  ASSERT_TRUE(seen) << "the stand-in game process is not listed";
  struct Reaper {
    int64_t pid;
    ~Reaper() { platform::TerminateProcessById(pid); }
  } reaper{pid};

  Tree before = World();
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"apply"}, {"apply", "--start"}}) {
    CliRun run = Run(args);
    EXPECT_EQ(run.status, 3) << args.back();
    EXPECT_THAT(run.err, HasSubstr("您正在吃鸡中，请退出游戏后重试！"));
    EXPECT_THAT(run.err, HasSubstr("游戏打开时无法优化，结束并退出后才可以进行优化哟！"));
  }
  // A dry run writes nothing: it runs, and says Apply would be refused.
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"apply", "--dry-run"}, {"status"}}) {
    CliRun dry = Run(args);
    EXPECT_EQ(dry.status, 0) << args.back() << dry.err;
    EXPECT_THAT(dry.out, HasSubstr("Apply would then ask: "));
    EXPECT_THAT(dry.out, HasSubstr("Note: the game is running, so Apply would be refused now: "
                                   "您正在吃鸡中，请退出游戏后重试！"));
  }
  CliRun start = Run({"start"});
  EXPECT_EQ(start.status, 3);
  EXPECT_THAT(Differences(before, World()), ::testing::IsEmpty());
  EXPECT_TRUE(platform::ProcessIsAlive(pid));
}

// ---- Faults: a failure never reads as success ----

constexpr const char* kStrace = "/usr/bin/strace";

// One traced system call of the program's own process.
struct TracedCall {
  std::string name;
  int occurrence = 0;  // 1-based among the calls of this name (strace's when=)
  std::string path;    // the path or the descriptor's file it works on
  int onPath = 0;      // 1-based among the calls of this name on this path
};

// Parses "strace -f -y" lines ("<pid> name(args) = result") of the first
// process; helper processes count their calls apart.
std::vector<TracedCall> ParseTrace(const std::string& log) {
  std::vector<TracedCall> calls;
  std::map<std::string, int> seen;
  std::map<std::pair<std::string, std::string>, int> seenOnPath;
  std::string mainPid;
  std::istringstream in(log);
  std::string line;
  while (std::getline(in, line)) {
    size_t space = line.find(' ');
    size_t paren = line.find('(');
    if (space == std::string::npos || paren == std::string::npos || paren < space) continue;
    std::string pid = line.substr(0, space);
    if (mainPid.empty()) mainPid = pid;
    if (pid != mainPid) continue;
    size_t nameAt = line.find_first_not_of(' ', space);
    TracedCall c;
    c.name = line.substr(nameAt, paren - nameAt);
    if (c.name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_") != std::string::npos)
      continue;
    size_t argsAt = paren;
    if (line.compare(paren + 1, 9, "AT_FDCWD<") == 0) argsAt = line.find('>', paren);
    size_t lt = line.find('<', argsAt);
    size_t quote = line.find('"', argsAt);
    if (lt != std::string::npos && (quote == std::string::npos || lt < quote)) {
      size_t gt = line.find('>', lt);
      if (gt != std::string::npos) c.path = line.substr(lt + 1, gt - lt - 1);
    } else if (quote != std::string::npos) {
      size_t end = line.find('"', quote + 1);
      if (end != std::string::npos) c.path = line.substr(quote + 1, end - quote - 1);
    }
    c.occurrence = ++seen[c.name];
    c.onPath = ++seenOnPath[{c.name, c.path}];
    calls.push_back(c);
  }
  return calls;
}

bool InBackupFolder(const std::string& path) {
  return std::regex_search(path, std::regex("/BackupFiles/[0-9]{8}_[0-9]{9}(/|$)"));
}

class CliFaultE2E : public CliE2E {
 protected:
  void SetUp() override {
    CliE2E::SetUp();
    if (Wine().on) GTEST_SKIP() << "faults are injected into the Linux program's system calls";
    if (::access(kStrace, X_OK) != 0) GTEST_SKIP() << "strace is not installed";
    if (Run({"help"}, "", {kStrace, "-qq", "-o", "/dev/null"}).status != 0)
      GTEST_SKIP() << "strace may not trace here";
  }

  // The calls one run makes, traced on the current world; the world is then
  // made anew, so the faulty run meets the same one.
  std::vector<TracedCall> Trace(const std::vector<std::string>& args) {
    std::string log = temp.Path("trace.log");
    Run(args, "",
        {kStrace, "-f", "-qq", "-y", "-o", log, "-e",
         "trace=openat,mkdir,write,rename,fsync,unlink"});
    return ParseTrace(ReadFile(log));
  }

  // The run again with `error` (an errno name, or "KILL") at one call.
  // Opens are counted on their path alone: the look for a running game
  // opens a file per process, and their number changes from run to run.
  CliRun Inject(const std::vector<std::string>& args, const TracedCall& at,
                const std::string& error) {
    std::string what = error == "KILL" ? "signal=KILL" : "error=" + error;
    std::vector<std::string> strace = {kStrace, "-f", "-qq", "-o", "/dev/null"};
    int when = at.occurrence;
    if (at.name == "openat") {
      strace.insert(strace.end(), {"-P", at.path});
      when = at.onPath;
    }
    strace.insert(strace.end(),
                  {"-e", "trace=" + at.name, "-e",
                   "inject=" + at.name + ":" + what + ":when=" + std::to_string(when)});
    return Run(args, "", strace);
  }

  // Compared without printing the files: a player's files run to hundreds of kilobytes.
  void ExpectGameFilesAsThePlayerLeftThem() {
    for (const char* name : kGameFiles)
      EXPECT_TRUE(ReadFile(GameFile(name)) == ReadFile(Fixture(name))) << name << " changed";
  }
};

// Picks a call from a trace; names what it looked for when none matches.
template <typename Pred>
std::optional<TracedCall> Find(const std::vector<TracedCall>& calls, Pred pred, bool last = false) {
  std::optional<TracedCall> found;
  for (const TracedCall& c : calls) {
    if (!pred(c)) continue;
    found = c;
    if (!last) break;
  }
  return found;
}

struct BackupFault {
  const char* name;
  const char* command;  // "clear" or "apply"
  const char* call;
  const char* error;
  // The copy (or folder) the fault hits: a game file's name, or "" for the
  // stamped folder itself.
  const char* file;
};

void PrintTo(const BackupFault& f, std::ostream* os) {
  *os << f.name;
}

const BackupFault kBackupFaults[] = {
    {"clearFullDiskOnACopy", "clear", "write", "ENOSPC", "GameUserSettings.ini"},
    {"clearRenameOfACopyFails", "clear", "rename", "EIO", "Scalability.ini"},
    {"clearSourceCannotBeRead", "clear", "openat", "EACCES", "Engine.ini"},
    {"clearNoRoomForTheFolder", "clear", "mkdir", "ENOSPC", ""},
    {"clearCopyNotFlushed", "clear", "fsync", "EIO", "Engine.ini"},
    {"applyFullDiskOnACopy", "apply", "write", "ENOSPC", "Scalability.ini"},
    {"applySourceCannotBeRead", "apply", "openat", "EACCES", "GameUserSettings.ini"},
    {"applyNoRoomForTheFolder", "apply", "mkdir", "ENOSPC", ""},
};

class BackupFaultE2E : public CliFaultE2E, public ::testing::WithParamInterface<BackupFault> {};

// A backup counts only when every game file is in it. Otherwise clear deletes
// nothing and Apply writes nothing, each says why, and the incomplete backup
// folder is neither left nor recorded.
TEST_P(BackupFaultE2E, AnIncompleteBackupStopsTheFlowBeforeAnyChange) {
  const BackupFault& f = GetParam();
  std::vector<std::string> args = {f.command};
  if (std::string(f.command) == "clear") args.push_back("--yes");
  std::vector<TracedCall> calls = Trace(args);
  std::string file = f.file;
  std::optional<TracedCall> at;
  if (std::string(f.call) == "openat") {
    // The backup's read of the game file: its first open after the backup
    // folder is made.
    std::vector<TracedCall> after;
    bool made = false;
    for (const TracedCall& c : calls) {
      made = made || (c.name == "mkdir" && InBackupFolder(c.path));
      if (made) after.push_back(c);
    }
    at = Find(after,
              [&](const TracedCall& c) { return c.name == "openat" && c.path == GameFile(file); });
  } else {
    at = Find(calls, [&](const TracedCall& c) {
      return c.name == f.call && InBackupFolder(c.path) &&
             (file.empty() ? c.name == "mkdir" : c.path.find(file) != std::string::npos);
    });
  }
  ASSERT_TRUE(at) << "no " << f.call << " for " << file << " in the trace";
  MakeWorld();

  CliRun run = Inject(args, *at, f.error);
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_THAT(run.err, HasSubstr("kestrune-cli: error: Backup incomplete, so nothing was changed"));
  EXPECT_THAT(run.out, Not(HasSubstr("删除完成")));
  EXPECT_THAT(run.out, Not(HasSubstr("undoes the clear")));
  EXPECT_THAT(run.out, Not(HasSubstr("优化完成")));
  ExpectGameFilesAsThePlayerLeftThem();
  EXPECT_THAT(BackupFolders(), ::testing::IsEmpty());
  EXPECT_FALSE(fs::exists(BackupRoot() + "/config.dat"));
  // A flow that completes afterwards takes a backup of its own again.
  EXPECT_EQ(Run({"backups"}).out, "No backups yet.\n");
}

INSTANTIATE_TEST_SUITE_P(Faults, BackupFaultE2E, ::testing::ValuesIn(kBackupFaults),
                         [](const auto& p) { return std::string(p.param.name); });

// A real full disk under the backups: the small files fit, the large one
// does not.
TEST_F(CliE2E, AFullBackupDiskDeletesAndWritesNothing) {
  if (Wine().on) GTEST_SKIP() << "mounts a small tmpfs in the Linux program's data folder";
  fs::create_directories(BackupRoot());
  // Room for copies of the player's Engine.ini and GameUserSettings.ini
  // (44 KiB in pages), not for a 64 KiB Scalability.ini.
  if (::mount("tmpfs", BackupRoot().c_str(), "tmpfs", 0, "size=64k") != 0)
    GTEST_SKIP() << "cannot mount a small tmpfs here (not root?)";
  struct Unmount {
    std::string path;
    ~Unmount() { ::umount(path.c_str()); }
  } unmount{BackupRoot()};
  std::string large =
      ReadFile(Fixture("Scalability.ini")) + ";" + std::string(64 * 1024, '-') + "\r\n";
  WriteFile(GameFile("Scalability.ini"), large);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"clear", "--yes"}, {"apply"}}) {
    CliRun run = Run(args);
    EXPECT_EQ(run.status, 1) << args[0] << "\n" << run.out << run.err;
    EXPECT_THAT(run.err, HasSubstr("Backup incomplete"));
    EXPECT_THAT(run.err, HasSubstr("Scalability.ini"));
    EXPECT_THAT(run.out, Not(HasSubstr("删除完成")));
    EXPECT_EQ(ReadFile(GameFile("Scalability.ini")), large);
    for (const char* name : {"Engine.ini", "GameUserSettings.ini"})
      EXPECT_EQ(ReadFile(GameFile(name)), ReadFile(Fixture(name))) << name;
    EXPECT_THAT(BackupFolders(), ::testing::IsEmpty());
  }
}

TEST_F(CliE2E, RestoreSaysWhatItDidNotRestore) {
  if (Wine().on) GTEST_SKIP() << "read-only files by Linux permission bits";
  ASSERT_EQ(Run({"apply"}).status, 0);  // backup 0: the player's files
  std::string afterApply = ReadFile(GameFile("GameUserSettings.ini"));
  fs::permissions(GameFile("GameUserSettings.ini"),
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  CliRun run = Run({"restore", "0"});
  EXPECT_EQ(run.status, 4) << run.err;
  EXPECT_THAT(run.out, Not(HasSubstr("还原完成")));
  EXPECT_THAT(run.err,
              HasSubstr("还原未完成，以下文件出错：GameUserSettings.ini（file is read-only）"));
  EXPECT_THAT(run.err, HasSubstr("could not change " + GameFile("GameUserSettings.ini")));
  EXPECT_EQ(ReadFile(GameFile("GameUserSettings.ini")), afterApply);
  EXPECT_EQ(ReadFile(GameFile("Engine.ini")), ReadFile(Fixture("Engine.ini")));

  // Every file refused: nothing restored at all.
  for (const char* name : kGameFiles)
    fs::permissions(GameFile(name),
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  run = Run({"restore", "0"});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_THAT(run.out, Not(HasSubstr("还原完成")));
}

// What the index names is only a hint: a restore reads from a real folder
// directly inside the backup root, and from regular files in it.
TEST_F(CliE2E, RestoreReadsOnlyFromTheBackupFolders) {
  if (Wine().on) GTEST_SKIP() << "hostile folders made of Linux symbolic links";
  const std::string root = BackupRoot();
  const std::string elsewhere = temp.Path("elsewhere");
  for (const char* name : kGameFiles) WriteFile(elsewhere + "/" + name, "[hostile]\r\n");
  fs::create_directories(root + "/20190101_000000001");  // holds nothing
  fs::create_directory_symlink(elsewhere, root + "/20190101_000000002");
  fs::create_directories(root + "/20190101_000000003");
  for (const char* name : kGameFiles)
    fs::create_symlink(elsewhere + "/" + name, root + "/20190101_000000003/" + name);
  WriteFile(root + "/config.dat", "[Backup]\r\nID0=" + root + "/20190101_000000001\r\nID1=" + root +
                                      "/../../../../elsewhere\r\nID2=" + elsewhere +
                                      "\r\nID3=" + root + "/20190101_000000002\r\nID4=" + root +
                                      "/20190101_000000003\r\nID5=" + root +
                                      "/20190101_000000009\r\n");
  Tree before = World();
  for (int index = 0; index <= 5; ++index) {
    CliRun run = Run({"restore", std::to_string(index)});
    EXPECT_EQ(run.status, 1) << index << "\n" << run.out << run.err;
    EXPECT_THAT(run.out, Not(HasSubstr("还原完成"))) << index;
    EXPECT_THAT(run.err, HasSubstr("kestrune-cli: error: ")) << index;
  }
  EXPECT_THAT(Differences(before, World()), ::testing::IsEmpty());
}

TEST_F(CliE2E, ClearSaysWhichFilesItKept) {
  if (Wine().on) GTEST_SKIP() << "read-only files by Linux permission bits";
  WriteFile(GameFile("Input.ini"), "[/Script/Engine.InputSettings]\r\n");
  fs::permissions(GameFile("Engine.ini"),
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  CliRun run = Run({"clear", "--yes"});
  EXPECT_EQ(run.status, 4) << run.err;
  EXPECT_THAT(run.out, Not(HasSubstr("删除完成")));
  EXPECT_THAT(run.err, HasSubstr("删除未完成，以下文件出错：Engine.ini（file is read-only）"));
  EXPECT_THAT(run.err, HasSubstr("could not change " + GameFile("Engine.ini")));
  // The backup was taken whole, so the clear can still be undone.
  EXPECT_THAT(run.out, HasSubstr("kestrune-cli restore 0 undoes the clear"));
  EXPECT_TRUE(fs::exists(GameFile("Engine.ini")));
  EXPECT_FALSE(fs::exists(GameFile("Input.ini")));

  // Nothing deleted at all: a failure, not a partial success.
  fs::permissions(GameFile("Engine.ini"), fs::perms::owner_write, fs::perm_options::add);
  MakeWorld();
  for (const char* name : kGameFiles)
    fs::permissions(GameFile(name),
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  run = Run({"clear", "--yes"});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_THAT(run.out, Not(HasSubstr("删除完成")));
  for (const char* name : kGameFiles) EXPECT_TRUE(fs::exists(GameFile(name))) << name;
}

TEST_F(CliE2E, SetSaysWhenConfigDatCannotBeSaved) {
  if (Wine().on) GTEST_SKIP() << "read-only files by Linux permission bits";
  struct Case {
    const char* name;
    std::function<void(const std::string&)> make;
  };
  const Case cases[] = {
      {"over16MiB",
       [](const std::string& path) {
         WriteFile(path, "[general]\r\n;" + std::string(17u << 20, '-') + "\r\n");
       }},
      {"readOnly",
       [](const std::string& path) {
         WriteFile(path, "[general]\r\nCBMSAAIndex=3\r\n");
         fs::permissions(path, fs::perms::owner_read | fs::perms::group_read);
       }},
      {"aFolder", [](const std::string& path) { fs::create_directories(path + "/inside"); }},
  };
  for (const Case& c : cases) {
    std::error_code ec;
    fs::remove_all(ConfigDat(), ec);
    c.make(ConfigDat());
    Tree before = World();
    CliRun run = Run({"set", "msaa", "6"});
    EXPECT_EQ(run.status, 1) << c.name << "\n" << run.out << run.err;
    EXPECT_THAT(run.out, Not(HasSubstr("Saved"))) << c.name;
    // A file too large or a folder is already refused when the settings are
    // read; a read-only one when they are saved. Either way the error names
    // the file and nothing is saved.
    EXPECT_THAT(
        run.err,
        ::testing::AnyOf(HasSubstr("could not save the settings to " + ConfigDat()),
                         ::testing::AllOf(HasSubstr(ConfigDat()), HasSubstr("nothing was saved"))))
        << c.name;
    EXPECT_THAT(Differences(before, World()), ::testing::IsEmpty()) << c.name;
    fs::permissions(ConfigDat(), fs::perms::owner_write, fs::perm_options::add, ec);
  }
}

// A flush that fails at the end of a flow is reported for its file.
TEST_F(CliFaultE2E, AFailedFlushIsReported) {
  std::vector<TracedCall> calls = Trace({"apply"});
  std::optional<TracedCall> at = Find(
      calls,
      [&](const TracedCall& c) { return c.name == "fsync" && c.path == GameFile("Engine.ini"); },
      /*last=*/true);
  ASSERT_TRUE(at) << "no flush of Engine.ini";
  MakeWorld();
  CliRun run = Inject({"apply"}, *at, "EIO");
  EXPECT_EQ(run.status, 4) << run.out << run.err;
  EXPECT_THAT(run.out,
              HasSubstr("以下文件无法修改：Engine.ini（not flushed to disk: Input/output error）"));
  EXPECT_THAT(run.err, HasSubstr("could not change " + GameFile("Engine.ini")));

  // Restore: the file was put back but is not known to be on the disk.
  calls = Trace({"restore", "0"});
  at = Find(
      calls,
      [&](const TracedCall& c) { return c.name == "fsync" && c.path == GameFile("Engine.ini"); },
      /*last=*/true);
  ASSERT_TRUE(at) << "no flush of Engine.ini in the restore";
  CliRun restore = Inject({"restore", "0"}, *at, "EIO");
  EXPECT_EQ(restore.status, 4) << restore.out << restore.err;
  EXPECT_THAT(restore.out, Not(HasSubstr("还原完成")));
  EXPECT_THAT(restore.err, HasSubstr("Engine.ini（not flushed to disk"));
}

// A restore whose copy fails says so and names the file.
TEST_F(CliFaultE2E, RestoreAfterAFailedCopy) {
  ASSERT_EQ(Run({"apply"}).status, 0);
  std::vector<TracedCall> calls = Trace({"restore", "0"});
  std::optional<TracedCall> at = Find(calls, [&](const TracedCall& c) {
    return c.name == "write" && c.path.find("/WindowsNoEditor/.Engine.ini") != std::string::npos;
  });
  ASSERT_TRUE(at) << "no write of Engine.ini in the restore";
  // The traced restore put the backup back: change the file again.
  ASSERT_EQ(Run({"apply"}).status, 0);
  std::string applied = ReadFile(GameFile("Engine.ini"));
  CliRun run = Inject({"restore", "0"}, *at, "ENOSPC");
  EXPECT_EQ(run.status, 4) << run.out << run.err;
  EXPECT_THAT(run.out, Not(HasSubstr("还原完成")));
  EXPECT_THAT(run.err, HasSubstr("Engine.ini（No space left on device）"));
  EXPECT_EQ(ReadFile(GameFile("Engine.ini")), applied);
  EXPECT_EQ(ReadFile(GameFile("Scalability.ini")), ReadFile(Fixture("Scalability.ini")));
}

// A backup killed while it copies leaves a temporary file in a folder the
// index never named; the next backup clears both away.
TEST_F(CliFaultE2E, TheNextBackupClearsWhatAKilledOneLeft) {
  std::vector<TracedCall> calls = Trace({"apply"});
  std::optional<TracedCall> at = Find(calls, [&](const TracedCall& c) {
    return c.name == "write" && InBackupFolder(c.path) &&
           c.path.find("GameUserSettings.ini") != std::string::npos;
  });
  ASSERT_TRUE(at) << "no write of a backup copy";
  MakeWorld();
  CliRun killed = Inject({"apply"}, *at, "KILL");
  EXPECT_NE(killed.status, 0);
  ASSERT_EQ(BackupFolders().size(), 1u);
  const std::string leftover = BackupFolders()[0];
  bool temporary = false;
  for (const auto& e : fs::directory_iterator(leftover))
    temporary = temporary || e.path().filename().string().rfind(".GameUserSettings.ini", 0) == 0;
  ASSERT_TRUE(temporary) << "the kill left no temporary file";
  ExpectGameFilesAsThePlayerLeftThem();

  std::this_thread::sleep_for(std::chrono::milliseconds(5));  // another stamp
  CliRun next = Run({"apply"});
  ASSERT_EQ(next.status, 0) << next.err;
  ASSERT_EQ(BackupFolders().size(), 1u);
  EXPECT_NE(BackupFolders()[0], leftover);
  EXPECT_FALSE(fs::exists(leftover));
  EXPECT_EQ(ReadFile(BackupRoot() + "/config.dat"),
            "[Backup]\r\nID0=" + BackupFolders()[0] + "\r\n");
  for (const char* name : kGameFiles)
    EXPECT_EQ(ReadFile(BackupFolders()[0] + "/" + name), ReadFile(Fixture(name))) << name;
}

TEST_F(CliE2E, ADanglingLinkAsAGameFileGetsTheTemplateFirst) {
  if (Wine().on) GTEST_SKIP() << "Linux symbolic links";
  fs::remove(GameFile("GameUserSettings.ini"));
  fs::create_symlink(temp.Path("gone/GameUserSettings.ini"), GameFile("GameUserSettings.ini"));
  CliRun run = Run({"apply"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_FALSE(fs::is_symlink(GameFile("GameUserSettings.ini")));
  std::string gus = ReadFile(GameFile("GameUserSettings.ini"));
  for (const char* key : {"bUseDesiredScreenHeight=False", "Gamma=50.000000",
                          "LastGPUBenchmarkMultiplier=1.000000", "sg.ShadowQuality="})
    EXPECT_THAT(gus, HasSubstr(key));
  EXPECT_FALSE(fs::exists(temp.Path("gone")));
}

// One failed open of Config.dat while the page loads its settings (root is
// not stopped by permissions, so strace makes that one openat fail): the
// setting must not be shown as its default and saved back. The flow stops,
// says so, and nothing at all changes.
TEST_F(CliE2E, AConfigDatReadThatFailsStopsApplyAndSetWithNothingSaved) {
  if (Wine().on) GTEST_SKIP() << "the fault is injected into the Linux program's own system calls";
  const std::string strace = "/usr/bin/strace";
  if (::access(strace.c_str(), X_OK) != 0 ||
      std::system((strace + " -qq -o /dev/null /bin/true").c_str()) != 0)
    GTEST_SKIP() << "strace is not installed or may not trace here";
  ASSERT_EQ(Run({"set", "scheme", "5", "effect", "3", "fps-limit", "144", "big-jump", "on"}).status,
            0);
  ASSERT_EQ(ini::ReadValue(ReadFile(ConfigDat()), "general", "CBEffectIndex"), "3");
  // LeakSanitizer cannot run under ptrace.
  const std::string traced = "ASAN_OPTIONS=detect_leaks=0 " + strace + " -f -qq -P " +
                             Quote(ConfigDat()) + " -e trace=openat ";
  // Which opens of Config.dat are the page's: the last ones of `show`, one per key.
  wrapper = traced + "-o " + Quote(temp.Path("opens.log")) + " ";
  ASSERT_EQ(Run({"show"}).status, 0);
  wrapper.clear();
  std::istringstream log(ReadFile(temp.Path("opens.log")));
  int opens = 0;
  for (std::string line; std::getline(log, line);)
    opens += line.find("openat(") != std::string::npos;
  const int keys =
      static_cast<int>(opti::Lists().size() + opti::Edits().size() + opti::Checks().size());
  ASSERT_GE(opens, keys);

  const Tree before = World();
  struct Case {
    std::vector<std::string> args;
    int open;  // which open of Config.dat fails
  } cases[] = {
      {{"apply"}, opens - keys + 1},  // the first key the page reads
      {{"apply"}, opens - keys + 6},  // CBEffectIndex
      {{"apply"}, opens},             // the last key
      {{"apply", "--start"}, opens - keys + 6},
      {{"set", "msaa", "2"}, opens - keys + 6},
      // A preset of defaults would not be the player's setup.
      {{"export", "exported.ini"}, opens - keys + 6},
      {{"import", "preset.ini"}, opens - keys + 6},
  };
  WriteFile(temp.Path("preset.ini"), "[kestrune-preset]\nformat=1\n[lists]\nmsaa=2\n");
  for (const auto& c : cases) {
    wrapper =
        traced + "-o /dev/null -e inject=openat:error=EACCES:when=" + std::to_string(c.open) + " ";
    CliRun run = Run(c.args);
    wrapper.clear();
    const std::string name = c.args[0] + " with open " + std::to_string(c.open) + " failing";
    EXPECT_EQ(run.status, 1) << name << "\n" << run.out << run.err;
    EXPECT_THAT(run.err, HasSubstr("Config.dat could not be read")) << name;
    EXPECT_THAT(run.err, HasSubstr("Permission denied")) << name;
    EXPECT_THAT(Differences(before, World()), ::testing::IsEmpty()) << name;
  }
  EXPECT_EQ(ini::ReadValue(ReadFile(ConfigDat()), "general", "CBEffectIndex"), "3");
  EXPECT_FALSE(fs::exists(temp.Path("exported.ini")));
  // The same apply without the fault goes through.
  EXPECT_EQ(Run({"apply"}).status, 0);
}

// The CLI carries the project's version and reports it: --version, the
// usage report's version= and the update check's own version.
TEST_F(CliE2E, TheCliKnowsItsOwnVersion) {
  for (const char* flag : {"--version", "-V"}) {
    CliRun run = Run({flag});
    EXPECT_EQ(run.status, 0) << flag;
    EXPECT_EQ(run.out, "kestrune-cli 1.0.0.1\n") << flag;
  }
  EXPECT_THAT(Run({"report-url"}).out, HasSubstr("version=1.0.0.1"));

  HttpTestServer server;
  ASSERT_TRUE(server.ok());
  WriteFile(ConfigDat(), ReadFile(ConfigDat()) + "UpdateHost=" + server.HostPort() + "\r\n");
  WriteFile(server.Folder().Path("sa.cab"), "<version=\"1.0.0.2\"><url=\"http://dl.example/k\">");
  CliRun run = Run({"update-check"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("own version: 1.0.0.1\n"));
  EXPECT_THAT(run.out, HasSubstr("newer: yes\n"));
}

// What the update server sends is shown, never obeyed: escape sequences in
// the manifest come out escaped, and a redirect the client will not follow
// is a failure, not an empty manifest fetched.
TEST_F(CliE2E, UpdateCheckShowsServerTextEscapedAndFailsOnABadRedirect) {
  HttpTestServer server;
  ASSERT_TRUE(server.ok());
  WriteFile(ConfigDat(), ReadFile(ConfigDat()) + "UpdateHost=" + server.HostPort() + "\r\n");
  WriteFile(server.Folder().Path("sa.cab"),
            "<version=\"\x1b]0;owned\x07\x1b[2J9.0.0.0\"><url=\"http://dl.example/k\">");
  CliRun run = Run({"update-check"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.find('\x1b'), std::string::npos) << run.out;
  EXPECT_THAT(run.out, HasSubstr("manifest version: \\x1b]0;owned\\x07\\x1b[2J9.0.0.0\n"));

  struct {
    std::string location, shown;
  } redirects[] = {
      {"file:///etc/passwd", "file:///etc/passwd"},
      {"ftp://127.0.0.1/sa.cab", "ftp://127.0.0.1/sa.cab"},
      {"ftp://\x1b]0;owned\x07/", "ftp://\\x1b]0;owned\\x07/"},
  };
  for (const auto& r : redirects) {
    WriteFile(server.Folder().Path("sa.cab.location"), r.location);
    run = Run({"update-check", "--verbose"});  // debug lines quote the address too
    EXPECT_EQ(run.status, 1) << r.shown;
    EXPECT_THAT(run.out, HasSubstr("fetched: no (not an http or https address: " + r.shown))
        << run.out;
    EXPECT_THAT(run.err, HasSubstr(r.shown));
    EXPECT_EQ(run.out.find('\x1b'), std::string::npos) << r.shown;
    EXPECT_EQ(run.err.find('\x1b'), std::string::npos) << r.shown;
  }
}

// Without Steam the game cannot start: the command says so and fails.
TEST_F(CliE2E, StartWithoutSteamFailsAndSaysSo) {
  CliRun run = Run({"start"});
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("Steam was not found"));
  EXPECT_THAT(run.out, ::testing::Not(HasSubstr("Asked Steam")));
}

// set says what Config.dat keeps when it is not what was typed, and warns
// (status unchanged) about a value outside the edit's range.
TEST_F(CliE2E, SetSaysWhatItStoredAndWarnsOutsideTheRange) {
  struct Case {
    const char* name;
    const char* typed;
    const char* stored;
    const char* out;  // expected in stdout ("" for no note)
    const char* err;  // expected in stderr ("" for nothing at all)
  };
  const Case cases[] = {
      {"fov", "abc", "108", "fov: stored 108, the default ('abc' is not a whole number)", ""},
      {"fov", " 095", "95", "fov: stored 95 (typed ' 095')", ""},
      {"fov", "500", "500", "", "warning: fov 500 lies outside the usual 60..120"},
      {"fps-limit", "-5", "-5", "", "warning: fps-limit -5 lies outside the usual 1..1000"},
      {"screen", "150", "150", "",
       "warning: screen 150 lies outside 40..120; Apply writes 100 to the game instead"},
      {"screen", "90", "90", "", ""},
  };
  for (const Case& c : cases) {
    CliRun run = Run({"set", c.name, c.typed});
    EXPECT_EQ(run.status, 0) << c.name << " " << c.typed << ": " << run.err;
    const opti::EditDesc* desc = nullptr;
    for (const opti::EditDesc& d : opti::Edits())
      if (d.name == c.name) desc = &d;
    ASSERT_NE(desc, nullptr);
    EXPECT_EQ(ini::ReadValue(ReadFile(ConfigDat()), "general", std::string(desc->key)), c.stored)
        << c.typed;
    if (*c.out)
      EXPECT_THAT(run.out, HasSubstr(c.out)) << c.typed;
    else
      EXPECT_THAT(run.out, Not(HasSubstr("stored"))) << c.typed;
    // The page shown after saving holds what was stored, not what was typed.
    EXPECT_THAT(run.out, ::testing::ContainsRegex(std::string(c.name) + " +" +
                                                  desc->control.data() + " +" + c.stored + "\n"));
    if (*c.err)
      EXPECT_THAT(run.err, HasSubstr(c.err)) << c.typed;
    else
      EXPECT_EQ(run.err, "") << c.typed;
  }
}

// A preset carries the page's selections to a fresh home: Apply there writes
// the same bytes as Apply here.
TEST_F(CliE2E, ExportThenImportOnAFreshHomeGivesTheSameApplyBytes) {
  ASSERT_EQ(Run({"set", "scheme",   "5",       "msaa",    "7",         "mouse",   "1",
                 "fov", "95",       "use-fov", "on",      "fps-limit", "144",     "use-fps-limit",
                 "on",  "big-jump", "on",      "chinese", "off",       "network", "2"})
                .status,
            0);
  CliRun exported = Run({"export", "preset.ini"});
  ASSERT_EQ(exported.status, 0) << exported.err;
  const std::string preset = ReadFile(temp.Path("preset.ini"));
  EXPECT_THAT(preset, HasSubstr("[kestrune-preset]\r\nformat=1\r\n"));
  EXPECT_THAT(preset, HasSubstr("\r\nmsaa=7\r\n"));
  EXPECT_THAT(preset, HasSubstr("\r\nfov=95\r\n"));
  // Nothing about the machine, the player or a server.
  for (const char* fact : {"Test Adapter", "1280", "4096", "10de", "ShaderCount", "http", "mac"})
    EXPECT_THAT(preset, Not(HasSubstr(fact))) << fact;
  const std::string configHere = ReadFile(ConfigDat());
  CliRun applied = Run({"apply"});
  ASSERT_EQ(applied.status, 0) << applied.err;
  std::map<std::string, std::string> here;
  for (const char* name : kGameFiles) here[name] = ReadFile(GameFile(name));

  // A fresh home and Config.dat, the player's files again.
  if (Wine().on) ClearWineWorld();
  MakeWorld();
  CliRun imported = Run({"import", "preset.ini"});
  ASSERT_EQ(imported.status, 0) << imported.err;
  EXPECT_THAT(imported.out, HasSubstr("Imported preset.ini"));
  std::string config = ReadFile(ConfigDat());
  auto pageKeys = [](const std::string& text) {
    std::vector<std::string> values;
    for (const auto& d : opti::Lists())
      values.push_back(ini::ReadValue(text, "general", std::string(d.key)).value_or("-"));
    for (const auto& d : opti::Edits())
      values.push_back(ini::ReadValue(text, "general", std::string(d.key)).value_or("-"));
    for (const auto& d : opti::Checks())
      values.push_back(ini::ReadValue(text, "general", std::string(d.key)).value_or("-"));
    return values;
  };
  EXPECT_EQ(pageKeys(config), pageKeys(configHere));
  applied = Run({"apply"});
  ASSERT_EQ(applied.status, 0) << applied.err;
  for (const char* name : kGameFiles) EXPECT_EQ(ReadFile(GameFile(name)), here[name]) << name;
}

// A preset with any fault is refused with its line, and nothing changes.
TEST_F(CliE2E, ImportRefusesABadPresetAndChangesNothing) {
  struct Case {
    const char* text;  // nullptr: no file at all
    std::vector<std::string> args;
    int status;
    const char* message;
  };
  const std::string head = "[kestrune-preset]\r\nformat=1\r\n";
  const std::string bad[] = {
      head + "[lists]\r\nmsaa=3\r\ntree=6\r\n", head + "[edits]\r\nfov=wide\r\n",
      head + "[options]\r\nturbo=1\r\n",        head + "[hardware]\r\nShaderCount=9999\r\n",
      "[general]\r\nCBMSAAIndex=3\r\n",
  };
  const Case cases[] = {
      {bad[0].c_str(), {"import", "preset.ini"}, 1, "preset.ini:5: tree=6 is out of range (-1..5)"},
      {bad[1].c_str(),
       {"import", "preset.ini"},
       1,
       "preset.ini:4: fov='wide' is not a whole number"},
      {bad[2].c_str(), {"import", "preset.ini"}, 1, "preset.ini:4: unknown option 'turbo'"},
      {bad[3].c_str(), {"import", "preset.ini"}, 1, "preset.ini:3: unknown section 'hardware'"},
      {bad[4].c_str(), {"import", "preset.ini"}, 1, "preset.ini:1: a preset starts with"},
      {nullptr, {"import", "missing.ini"}, 1, "there is no file missing.ini"},
      {nullptr, {"import"}, 2, "import takes one FILE"},
      {nullptr, {"export"}, 2, "export takes one FILE"},
  };
  ASSERT_EQ(Run({"set", "msaa", "2"}).status, 0);
  for (const Case& c : cases) {
    if (c.text) WriteFile(temp.Path("preset.ini"), c.text);
    Tree before = World();
    CliRun run = Run(c.args);
    EXPECT_EQ(run.status, c.status) << c.message;
    EXPECT_THAT(run.err, ::testing::StartsWith("kestrune-cli: error: ")) << c.message;
    EXPECT_THAT(run.err, HasSubstr(c.message));
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_THAT(Differences(before, World()), ::testing::IsEmpty()) << c.message;
  }
}

// ---- What changed since a backup, drift, and the tidy history ----

// The history as `backups` prints it: index, date line, folder, pinned.
struct HistoryRow {
  std::string line, folder;
  bool pinned = false;
};
std::vector<HistoryRow> ParseBackups(const std::string& out) {
  std::vector<HistoryRow> rows;
  std::regex row(
      R"([ *] (\d+)  (\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}(?: \(\d+\))?)  (.*?)(  \(pinned\))?)");
  std::istringstream in(out);
  std::string text;
  while (std::getline(in, text)) {
    std::smatch m;
    if (!std::regex_match(text, m, row)) {
      ADD_FAILURE() << "not a history line: " << text;
      continue;
    }
    rows.push_back({m[2], m[3], m[4].matched});
  }
  return rows;
}

TEST_F(CliE2E, DriftFindsWhatTheGameRewroteAndApplyAgainPutsItBack) {
  CliRun none = Run({"drift"});
  EXPECT_EQ(none.status, 0) << none.err;
  EXPECT_THAT(none.out, HasSubstr("No record of an Apply yet"));

  ASSERT_EQ(Run({"apply"}).status, 0);
  // Right after Apply nothing has drifted, even where the player's file
  // repeats a key that Apply removed once.
  CliRun clean = Run({"drift"});
  EXPECT_EQ(clean.status, 0) << clean.out << clean.err;
  EXPECT_THAT(clean.out, HasSubstr("No drift"));
  // Kestrune's record lives beside the backups, never among the game's files.
  EXPECT_TRUE(fs::exists(fs::path(BackupRoot()).parent_path() / "last-apply.txt"));
  for (auto& e : fs::directory_iterator(GameFolder()))
    EXPECT_NE(e.path().extension(), ".txt") << e.path();

  // What the game does on an update or in its settings menu: a key
  // rewritten, a section dropped, a removed key put back.
  std::string gus = ReadFile(GameFile("GameUserSettings.ini"));
  std::optional<std::string> applied = ini::ReadValue(gus, "ScalabilityGroups", "sg.ShadowQuality");
  ASSERT_TRUE(applied);
  const std::string rewritten = *applied == "3" ? "1" : "3";
  gus = ini::SetKey(gus, "ScalabilityGroups", "sg.ShadowQuality", rewritten);
  WriteFile(GameFile("GameUserSettings.ini"), gus);
  std::string scalability = ReadFile(GameFile("Scalability.ini"));
  std::vector<std::string> sections = ini::ListSections(scalability);
  ASSERT_FALSE(sections.empty());
  size_t droppedKeys = ini::ListKeys(scalability, sections[0]).size();
  WriteFile(GameFile("Scalability.ini"), ini::EraseSection(scalability, sections[0]));
  std::string engine = ReadFile(GameFile("Engine.ini"));
  ASSERT_EQ(ini::ReadValue(engine, "/script/engine.renderersettings",
                           "r.UseParallelGetDynamicMeshElementsTasks"),
            std::nullopt);
  WriteFile(GameFile("Engine.ini"), ini::SetKey(engine, "/script/engine.renderersettings",
                                                "r.UseParallelGetDynamicMeshElementsTasks", "1"));

  CliRun drift = Run({"drift"});
  EXPECT_EQ(drift.status, 6) << drift.err;
  EXPECT_THAT(drift.out,
              HasSubstr("~ [ScalabilityGroups] sg.ShadowQuality: " + *applied + " → " + rewritten));
  EXPECT_THAT(
      drift.out,
      HasSubstr(
          "+ [/script/engine.renderersettings] r.UseParallelGetDynamicMeshElementsTasks = 1"));
  EXPECT_THAT(drift.out, HasSubstr("- [" + sections[0] + "] "));
  CliRun json = Run({"drift", "--json"});
  EXPECT_EQ(json.status, 6);
  EXPECT_THAT(json.out, HasSubstr(R"({"kind":"changed","file":"GameUserSettings.ini",)"
                                  R"("section":"ScalabilityGroups","key":"sg.ShadowQuality",)"
                                  R"("applied":")" +
                                  *applied + R"(","now":")" + rewritten + R"("})"));
  // One line per drifted key: the rewrite, the key put back, the section's keys.
  size_t lines = 0;
  for (size_t at = 0; (at = drift.out.find("\n  ", at)) != std::string::npos; ++at) ++lines;
  EXPECT_EQ(lines, 2 + droppedKeys);

  // apply --again: a backup first, then the same selections once more,
  // even after the page's selections were changed in between.
  ASSERT_EQ(Run({"set", "msaa", "9"}).status, 0);
  size_t backups = BackupFolders().size();
  CliRun again = Run({"apply", "--again"});
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(BackupFolders().size(), backups + 1);
  EXPECT_EQ(ini::ReadValue(ReadFile(ConfigDat()), "general", "CBMSAAIndex"), "2");
  EXPECT_EQ(Run({"drift"}).status, 0);
  EXPECT_EQ(ini::ReadValue(ReadFile(GameFile("GameUserSettings.ini")), "ScalabilityGroups",
                           "sg.ShadowQuality"),
            *applied);

  // A record that cannot be read is no record: never drift.
  WriteFile(GameFile("GameUserSettings.ini"), gus);
  WriteFile((fs::path(BackupRoot()).parent_path() / "last-apply.txt").string(),
            "kestrune-apply-record 1\nset\tEngine.ini\t[torn");
  CliRun torn = Run({"drift"});
  EXPECT_EQ(torn.status, 0) << torn.out;
  EXPECT_THAT(torn.out, HasSubstr("No record"));
  CliRun noAgain = Run({"apply", "--again"});
  EXPECT_EQ(noAgain.status, 1);
  EXPECT_THAT(noAgain.err, HasSubstr("no readable record"));
}

TEST_F(CliE2E, ApplyKeepsTheNewestBackupsAndThePinnedOnes) {
  WriteFile(ConfigDat(), ReadFile(ConfigDat()) + "KeepBackups=3\r\n");
  std::vector<std::string> taken;
  for (int i = 0; i < 5; ++i) {
    ASSERT_EQ(Run({"apply"}).status, 0);
    taken.push_back(BackupFolders().back());
  }
  // Exactly three, the newest, and the index names just them.
  EXPECT_EQ(BackupFolders(), std::vector<std::string>(taken.begin() + 2, taken.end()));
  std::vector<HistoryRow> rows = ParseBackups(Run({"backups"}).out);
  ASSERT_EQ(rows.size(), 3u);
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(rows[i].folder, Shown(taken[i + 2]));

  // A pinned backup stays through pruning and does not count.
  CliRun pin = Run({"backups", "pin", "0"});
  ASSERT_EQ(pin.status, 0) << pin.err;
  ASSERT_EQ(Run({"apply"}).status, 0);
  ASSERT_EQ(Run({"apply"}).status, 0);
  rows = ParseBackups(Run({"backups"}).out);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].folder, Shown(taken[2]));
  EXPECT_TRUE(rows[0].pinned);
  EXPECT_EQ(BackupFolders().size(), 4u);

  // prune N keeps the newest N (and the pinned one).
  CliRun prune = Run({"backups", "prune", "1"});
  ASSERT_EQ(prune.status, 0) << prune.err;
  EXPECT_THAT(prune.out, HasSubstr("Removed 2 backups"));
  std::vector<HistoryRow> pruned = ParseBackups(Run({"backups"}).out);
  ASSERT_EQ(pruned.size(), 2u);
  EXPECT_EQ(pruned[0].folder, rows[0].folder);
  EXPECT_EQ(pruned[1].folder, rows[3].folder);
  EXPECT_EQ(BackupFolders().size(), 2u);

  // A pinned backup is deleted only after unpinning it.
  CliRun refused = Run({"backups", "delete", "0"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_THAT(refused.err, HasSubstr("pinned"));
  ASSERT_EQ(Run({"backups", "unpin", "0"}).status, 0);
  CliRun deleted = Run({"backups", "delete", "0"});
  ASSERT_EQ(deleted.status, 0) << deleted.err;
  EXPECT_EQ(ParseBackups(Run({"backups"}).out).size(), 1u);
  EXPECT_EQ(BackupFolders().size(), 1u);

  // Bad words change nothing.
  Tree before = World();
  struct Bad {
    std::vector<std::string> args;
    int status;
    const char* says;
  } bad[] = {
      {{"backups", "delete", "1"}, 2, "no backup with index 1 (0..0)"},
      {{"backups", "delete"}, 2, "takes one INDEX"},
      {{"backups", "pin", "x"}, 2, "no backup with index x"},
      {{"backups", "prune", "-1"}, 2, "not a number of backups"},
      {{"backups", "trim"}, 2, "unknown backups action"},
  };
  for (const Bad& b : bad) {
    CliRun run = Run(b.args);
    EXPECT_EQ(run.status, b.status) << b.args[1];
    EXPECT_THAT(run.err, HasSubstr(b.says)) << b.args[1];
  }
  EXPECT_THAT(Differences(before, World()), ::testing::IsEmpty());
}

TEST_F(CliE2E, KeepBackupsZeroKeepsEveryBackup) {
  WriteFile(ConfigDat(), ReadFile(ConfigDat()) + "KeepBackups=0\r\n");
  for (int i = 0; i < 3; ++i) ASSERT_EQ(Run({"apply"}).status, 0);
  EXPECT_EQ(BackupFolders().size(), 3u);
  CliRun prune = Run({"backups", "prune"});
  EXPECT_EQ(prune.status, 0);
  EXPECT_THAT(prune.out, HasSubstr("nothing removed"));
  EXPECT_EQ(BackupFolders().size(), 3u);
}

TEST_F(CliE2E, DeletingAHandEditedEntryNeverDeletesTheGameFiles) {
  // An index entry that names the game's own folder: the entry goes, the
  // files it names stay.
  ASSERT_EQ(Run({"apply"}).status, 0);
  std::map<std::string, std::string> files;
  for (const char* name : kGameFiles) files[name] = ReadFile(GameFile(name));
  std::string index = ReadFile(BackupRoot() + "/config.dat");
  WriteFile(BackupRoot() + "/config.dat", index + "ID1=" + Shown(GameFolder()) + "\r\n");
  CliRun deleted = Run({"backups", "delete", "1"});
  ASSERT_EQ(deleted.status, 0) << deleted.err;
  for (const char* name : kGameFiles) EXPECT_EQ(ReadFile(GameFile(name)), files[name]) << name;
  EXPECT_EQ(ReadFile(BackupRoot() + "/config.dat"), index);
}

TEST_F(CliE2E, ReportUrlSaysWhenTheUsageReportIsOff) {
  WriteFile(ConfigDat(), ReadFile(ConfigDat()) + "UsageReport=0\r\n");
  CliRun run = Run({"report-url"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("usage report: off"));
}

// The change list of the three game files between two folders, rendered as
// the program renders it (the expected JSON up to its closing brace).
std::string ExpectedDiffJson(const std::string& before, const std::string& after,
                             const std::string& shownAfter) {
  opti::ChangeList list;
  for (const char* name : kGameFiles) {
    std::string a = before + "/" + name, b = after + "/" + name;
    list.files.push_back(opti::CompareIniTexts(name, shownAfter + (Wine().on ? "\\" : "/") + name,
                                               fs::exists(a), fs::exists(b), ReadFile(a),
                                               ReadFile(b)));
  }
  std::string json = opti::RenderChangeListJson(list);
  return json.substr(0, json.size() - 1);
}

TEST_F(CliE2E, DiffShowsWhatChangedSinceABackupAndBetweenTwo) {
  CliRun none = Run({"diff"});
  EXPECT_EQ(none.status, 1);
  EXPECT_THAT(none.err, HasSubstr("no backups"));

  ASSERT_EQ(Run({"apply"}).status, 0);
  std::vector<std::string> folders = BackupFolders();
  ASSERT_EQ(folders.size(), 1u);
  // The newest backup against now: exactly what Apply changed in the game files.
  CliRun json = Run({"diff", "--json"});
  ASSERT_EQ(json.status, 0) << json.err;
  EXPECT_EQ(json.out.rfind(ExpectedDiffJson(folders[0], GameFolder(), Shown(GameFolder())), 0), 0u)
      << json.out.substr(0, 400);
  EXPECT_THAT(json.out, HasSubstr(R"("to":"now")"));
  CliRun text = Run({"diff"});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_THAT(text.out, HasSubstr("Changes from backup 0 ("));
  EXPECT_THAT(text.out, HasSubstr("to the files now"));
  EXPECT_THAT(text.out, HasSubstr("[ScalabilityGroups]"));
  EXPECT_THAT(text.out, ::testing::ContainsRegex("keys? added"));

  // Two backups: the second holds the first Apply's result.
  ASSERT_EQ(Run({"set", "scheme", "5"}).status, 0);
  ASSERT_EQ(Run({"apply"}).status, 0);
  folders = BackupFolders();
  ASSERT_EQ(folders.size(), 2u);
  CliRun between = Run({"diff", "0", "1", "--json"});
  ASSERT_EQ(between.status, 0) << between.err;
  EXPECT_EQ(between.out.rfind(ExpectedDiffJson(folders[0], folders[1], Shown(folders[1])), 0), 0u)
      << between.out.substr(0, 400);
  // Backup 1 against now is the second Apply, by default the newest.
  CliRun newest = Run({"diff", "--json"});
  EXPECT_EQ(newest.out, Run({"diff", "1", "--json"}).out);
  EXPECT_EQ(newest.out.rfind(ExpectedDiffJson(folders[1], GameFolder(), Shown(GameFolder())), 0),
            0u);

  Tree before = World();
  struct Bad {
    std::vector<std::string> args;
    int status;
    const char* says;
  } bad[] = {
      {{"diff", "2"}, 2, "no backup with index 2 (0..1)"},
      {{"diff", "0", "x"}, 2, "no backup with index x"},
      {{"diff", "0", "1", "1"}, 2, "at most two"},
  };
  for (const Bad& b : bad) {
    CliRun run = Run(b.args);
    EXPECT_EQ(run.status, b.status);
    EXPECT_THAT(run.err, HasSubstr(b.says));
  }
  EXPECT_THAT(Differences(before, World()), ::testing::IsEmpty());

  // A file that cannot be read is an error, not a list of removed keys.
  fs::remove(GameFile("Scalability.ini"));
  fs::create_directory(GameFile("Scalability.ini"));
  CliRun unreadable = Run({"diff"});
  EXPECT_EQ(unreadable.status, 1);
  EXPECT_THAT(unreadable.err, HasSubstr("cannot read"));
  EXPECT_EQ(unreadable.out, "");
}

// The interface language: the system's (LANG) unless Config.dat's UiLanguage
// names one. Texts that go into the game's files stay as they are.
TEST_F(CliE2E, TheInterfaceLanguageFollowsTheSystemUnlessUiLanguageNamesOne) {
  struct Case {
    std::string lang;        // the system's, after LANG=C.UTF-8
    std::string uiLanguage;  // Config.dat's choice; empty: none written
    bool english;
  };
  const std::string config = ReadFile(ConfigDat());
  for (const Case& c : std::vector<Case>{{"", "", false},
                                         {"en_US.UTF-8", "", true},
                                         {"en_GB.UTF-8", "auto", true},
                                         {"", "en", true},
                                         {"de_DE.UTF-8", "", false},
                                         {"en_US.UTF-8", "zh_CN", false}}) {
    SCOPED_TRACE("LANG=" + c.lang + " UiLanguage=" + c.uiLanguage);
    wrapper = c.lang.empty() ? "" : "LANG=" + c.lang + " ";
    WriteFile(ConfigDat(),
              config + (c.uiLanguage.empty() ? "" : "UiLanguage=" + c.uiLanguage + "\r\n"));
    CliRun run = Run({"status"});
    ASSERT_EQ(run.status, 0) << run.err;
    if (c.english) {
      EXPECT_THAT(run.out, HasSubstr("Shaders    1280"));
      EXPECT_THAT(run.out, HasSubstr("scheme     CBConfigModel      1  Orvane automatic"));
      EXPECT_THAT(run.out, HasSubstr("network    CBNetWork          5  Game default"));
      EXPECT_THAT(run.out, HasSubstr("Game language: Chinese"));
      EXPECT_THAT(run.out,
                  HasSubstr("Apply would then ask: Optimisation done! Start the game now?"));
      EXPECT_THAT(run.out, ::testing::Not(HasSubstr("渲染数量")));
    } else {
      EXPECT_THAT(run.out, HasSubstr("渲染数量   1280"));
      EXPECT_THAT(run.out, HasSubstr("Apply would then ask: 优化完成！请问是否立即启动游戏？"));
    }
  }
  // An English entry's text selects it too; what is stored is its index.
  wrapper = "LANG=en_US.UTF-8 ";
  WriteFile(ConfigDat(), config);
  CliRun set = Run({"set", "tree", "Game Medium"});
  ASSERT_EQ(set.status, 0) << set.err;
  EXPECT_THAT(ReadFile(ConfigDat()), HasSubstr("CBTreeIndex=3"));
}

}  // namespace
}  // namespace kestrune::test
