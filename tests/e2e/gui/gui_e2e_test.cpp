// The program started for real under the test's X display and session bus,
// driven with xdotool and over the message bus.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "gui_harness.h"
#include "ini/ini_text.h"
#include "platform/message_bus.h"
#include "platform/named_mutex.h"
#include "xembed_tray.h"

extern char** environ;

namespace kestrune::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

// Client coordinates of the main window's controls.
struct Spot {
  int x, y;
};
constexpr Spot kHistoryList{624, 217}, kTextureList{182, 380}, kStartGame{816, 535};
constexpr Spot kHomeTab{49, 73}, kVideoTab{139, 73}, kSearchTab{229, 73}, kSkillTab{319, 73},
    kTVTab{409, 73}, kSysClose{866, 11}, kApply{664, 535}, kEdit1{340, 409}, kEdit2{340, 485},
    kLabel5{80, 528};

class GuiE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(world.Bin() + "/kestrune")) << "build kestrune first";
    std::string host = "127.0.0.1:" + std::to_string(site.Port());
    WriteFile(world.ConfigDat(), "[general]\r\nPartnerHost=" + host + "\r\nUpdateHost=" + host +
                                     "\r\nStatsHost=" + host + "\r\n");
  }

  std::string StartShown(const std::vector<std::string>& args = {}) {
    pid = world.Start(args);
    EXPECT_TRUE(world.WaitLog("first frame")) << world.Log();
    return world.WaitVisibleWindow();
  }

  void Click(const std::string& window, Spot spot) { world.Click(window, spot.x, spot.y); }

  // The opened list of a combo box: a popup window of the list's size.
  std::string OpenList(const std::string& size) { return world.VisibleWindow("Kestrune", size); }

  // Clicks the combo box at `spot` until its list of `size` shows. On a
  // loaded machine the first click can reach a window that has painted but
  // not yet taken input.
  std::string ClickOpenList(const std::string& window, Spot spot, const std::string& size) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      Click(window, spot);
      if (Eventually([&] { return !OpenList(size).empty(); }, 3000)) return OpenList(size);
    }
    return {};
  }

  // A desktop opener that records what it is asked to open, alone on PATH.
  void RecordingOpener() {
    fs::create_directories(world.Path("tools"));
    std::string script = world.Path("tools/xdg-open");
    WriteFile(script, "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + world.Path("opened") + "'\n");
    fs::permissions(script, fs::perms::owner_all);
    world.SetPath(world.Path("tools"));
  }

  // Points the partner host at a loopback port where nothing listens.
  void PartnerOffline() {
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(s);
    deadHost = "127.0.0.1:" + std::to_string(ntohs(a.sin_port));
    std::string host = "127.0.0.1:" + std::to_string(site.Port());
    WriteFile(world.ConfigDat(), "[general]\r\nPartnerHost=" + deadHost + "\r\nUpdateHost=" + host +
                                     "\r\nStatsHost=" + host + "\r\n");
  }

  // Calls the tray item's "Activate" (what a click on the icon sends) on
  // every session-bus connection of the program.
  void ActivateTrayIcon() {
    Shell(
        "for n in $(gdbus call --session --dest org.freedesktop.DBus --object-path "
        "/org/freedesktop/DBus --method org.freedesktop.DBus.ListNames | grep -o \"':[0-9.]*'\" "
        "| tr -d \"'\"); do p=$(gdbus call --session --dest org.freedesktop.DBus "
        "--object-path /org/freedesktop/DBus --method "
        "org.freedesktop.DBus.GetConnectionUnixProcessID $n 2>/dev/null | sed -E "
        "'s/.*uint32 ([0-9]+).*/\\1/'); [ \"$p\" = " +
        std::to_string(pid) +
        " ] && timeout 3 gdbus call --session --dest $n --object-path "
        "/org/ayatana/NotificationItem/kestrune --method org.kde.StatusNotifierItem.Activate "
        "0 0 >/dev/null 2>&1; done; true");
  }

  std::string deadHost;

  LoopbackSite site;
  GuiWorld world;
  int pid = 0;
};

TEST_F(GuiE2E, StartsShownAndTabsSwitchPanelsAndLoadPartnerPages) {
  std::string window = StartShown();
  ASSERT_FALSE(window.empty()) << world.Log();
  std::string log = world.Log();
  // Creation runs in its fixed order.
  size_t last = 0;
  for (int i = 1; i <= 9; ++i) {
    size_t at = log.find("FormCreate " + std::to_string(i));
    ASSERT_NE(at, std::string::npos) << i;
    EXPECT_GT(at, last);
    last = at;
  }
  // The tray icon follows the window's first frame.
  ASSERT_TRUE(world.WaitLog("tray: icon added")) << world.Log();
  log = world.Log();
  EXPECT_LT(log.find("first frame at"), log.find("tray: icon added"));
  // The window is 880 x 600 and centred on the screen.
  EXPECT_THAT(Shell("xdotool getwindowgeometry " + window), HasSubstr("880x600"));
  // The start-up report reached the statistics host.
  EXPECT_TRUE(Eventually(
      [&] {
        for (const std::string& p : site.Paths())
          if (p.rfind("/cj?mac=", 0) == 0 && p.find("&action=2&") != std::string::npos) return true;
        return false;
      },
      5000));

  // Browser pages load only when their tab is clicked, and on every click.
  EXPECT_EQ(site.Count("/zs/search"), 0);
  Click(window, kSearchTab);
  EXPECT_TRUE(world.WaitLog("tab SearchTab"));
  EXPECT_TRUE(Eventually([&] { return site.Count("/zs/search") == 1; }, 15000));
  Click(window, kSearchTab);
  EXPECT_TRUE(Eventually([&] { return site.Count("/zs/search") == 2; }, 15000));
  Click(window, kSkillTab);
  EXPECT_TRUE(Eventually([&] { return site.Count("/zs/skill") == 1; }, 15000));
  Click(window, kTVTab);
  EXPECT_TRUE(Eventually([&] { return site.Count("/zs/live") == 1; }, 15000));
  Click(window, kVideoTab);
  EXPECT_TRUE(world.WaitLog("tab VideoTab"));
  Click(window, kHomeTab);
  EXPECT_EQ(world.CountLog("tab HomeTab"), 2);  // once at creation
  EXPECT_EQ(site.Count("/zs/search"), 2);
}

TEST_F(GuiE2E, HiddenStartShowsNoWindowAndASecondStartHandsOver) {
  pid = world.Start({"/STARTUP"});
  ASSERT_TRUE(world.WaitLog("FormCreate 9")) << world.Log();
  EXPECT_THAT(world.Log(), HasSubstr("hidden start"));
  EXPECT_THAT(world.Log(), HasSubstr("tray: icon added"));
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_TRUE(world.VisibleWindow().empty());
  // A hidden start runs its service start at once.
  EXPECT_EQ(world.CountLog("service start"), 1);

  int second = world.Start({}, "second");
  EXPECT_EQ(world.WaitExit(second), 0);
  EXPECT_THAT(world.Log("second"), HasSubstr("handing over to the first"));
  EXPECT_FALSE(world.WaitVisibleWindow().empty());
  EXPECT_TRUE(world.WaitLog("restore from tray"));
  // The first restore after a hidden start runs the service start once more.
  EXPECT_TRUE(Eventually([&] { return world.CountLog("service start") == 2; }, 4000));
  EXPECT_TRUE(world.Alive(pid));
}

TEST_F(GuiE2E, CloseHidesToTheTrayAndOnlyExitEndsTogetherWithTheRenderer) {
  std::string window = StartShown();
  ASSERT_FALSE(window.empty());
  // The keep-alive starts the renderer about a second after start-up.
  ASSERT_TRUE(world.WaitLog("lumeshade: started")) << world.Log();
  EXPECT_TRUE(Eventually(
      [] { return platform::WindowExists(platform::WindowKey::kClass, "ORVANE_RENDER_CLASS"); },
      5000));
  EXPECT_EQ(world.CountLog("LaunchRenderer"), 1);

  world.Keys(window, "alt+F4");
  EXPECT_TRUE(world.WaitHidden()) << world.Log();
  EXPECT_TRUE(world.Alive(pid));

  ASSERT_TRUE(world.PostToMain(0x408));
  window = world.WaitVisibleWindow();
  ASSERT_FALSE(window.empty());
  Click(window, kSysClose);
  EXPECT_TRUE(world.WaitHidden());
  EXPECT_TRUE(world.Alive(pid));

  ASSERT_TRUE(world.PostToMain(0x409));
  EXPECT_EQ(world.WaitExit(pid), 0);
  EXPECT_TRUE(world.WaitLog("lumeshade: 0x503 received, ending")) << world.Log();
  EXPECT_TRUE(Eventually(
      [] { return !platform::WindowExists(platform::WindowKey::kClass, "ORVANE_RENDER_CLASS"); },
      5000));
}

TEST_F(GuiE2E, SessionEndExitsLikeTheTrayMenu) {
  ASSERT_FALSE(StartShown().empty());
  ASSERT_TRUE(world.WaitLog("lumeshade: started"));
  ::kill(pid, SIGTERM);
  EXPECT_EQ(world.WaitExit(pid), 0);
  EXPECT_TRUE(world.WaitLog("lumeshade: 0x503 received, ending"));
}

TEST_F(GuiE2E, HotKeyCaptureStoresCodesAndTellsTheRenderer) {
  std::string window = StartShown();
  ASSERT_FALSE(window.empty());
  ASSERT_TRUE(world.WaitLog("lumeshade: started"));
  EXPECT_EQ(world.ReadConfig("renderModel"), "-1");
  Click(window, kVideoTab);
  Click(window, kEdit1);
  world.Keys(window, "ctrl+shift+F2");
  EXPECT_TRUE(Eventually([&] { return world.ReadConfig("HotKeyShow") == "805306481"; }, 3000))
      << world.Log();
  EXPECT_EQ(world.ReadConfig("HotKeyShowInfo"), "Ctrl+Shift+F2");
  EXPECT_TRUE(world.WaitLog("lumeshade: 0x500 received"));
  EXPECT_THAT(world.Log(), HasSubstr("HotKeyShow=805306481"));

  Click(window, kEdit2);
  world.Keys(window, "alt+q");
  EXPECT_TRUE(Eventually([&] { return world.ReadConfig("HotKeySwitch") == "1073741905"; }, 3000));
  EXPECT_EQ(world.ReadConfig("HotKeySwitchInfo"), "Alt+Q");
  // Keys without a modifier change nothing.
  world.Keys(window, "F5 a b");
  EXPECT_EQ(world.ReadConfig("HotKeySwitchInfo"), "Alt+Q");

  Click(window, kLabel5);
  EXPECT_TRUE(Eventually([&] { return world.ReadConfig("HotKeyShow") == "268435568"; }, 3000));
  EXPECT_EQ(world.ReadConfig("HotKeySwitch"), "268435570");
  EXPECT_EQ(world.ReadConfig("HotKeyOpenInfo"), "Ctrl+F5");

  // The renderer's announcement makes the page read Config.dat again.
  ASSERT_TRUE(world.PostToMain(0x500));
  EXPECT_TRUE(world.WaitLog("WM_REFRESH_INFO"));
}

// Apply from the page writes what kestrune-cli writes for the same choices.
TEST_F(GuiE2E, ApplyFromThePageWritesTheGameFilesLikeTheCli) {
  ASSERT_TRUE(fs::exists(world.Bin() + "/kestrune-cli")) << "build kestrune-cli first";
  std::string window = StartShown();
  ASSERT_FALSE(window.empty());
  Click(window, kApply);
  ASSERT_TRUE(world.WaitLog("优化完成！请问是否立即启动游戏？")) << world.Log();
  // The desktop shows the dialog's caption.
  std::string dialog = world.WaitVisibleWindow("绝地求生：大逃杀");
  ASSERT_FALSE(dialog.empty());
  // A short message gives the smallest dialog, centred on the main window.
  EXPECT_THAT(Shell("xdotool getwindowgeometry " + dialog), HasSubstr("400x168"));
  auto [mx, my] = world.Origin(window);
  auto [dx, dy] = world.Origin(dialog);
  EXPECT_EQ(dx, mx + (880 - 400) / 2);
  EXPECT_EQ(dy, my + (600 - 168) / 2);
  world.Keys(dialog, "alt+F4");  // closing counts as Cancel: no game start
  EXPECT_TRUE(world.WaitLog("dialog result: 2"));
  EXPECT_EQ(world.ReadConfig("CBConfigModelIndex"), "1");

  // The same choices, applied by the CLI in a world of its own.
  GuiWorld other;
  fs::copy_file(world.ConfigDat(), other.ConfigDat(), fs::copy_options::overwrite_existing);
  std::string command = "env -i HOME=" + other.Home() + " XDG_DATA_HOME=" + other.Home() +
                        "/.local/share XDG_CONFIG_HOME=" + other.Home() +
                        "/.config PATH=/usr/bin:/bin " + other.Bin() +
                        "/kestrune-cli apply --game-dir " + other.Home() +
                        "/.local/share </dev/null >/dev/null 2>&1; echo $?";
  // The folder is named: like the window, the CLI then starts from no game
  // files at all (without a name it refuses to guess one).
  ASSERT_EQ(Shell(command), "0");
  for (const char* name : {"Engine.ini", "GameUserSettings.ini", "Scalability.ini"}) {
    std::string gui = ReadFile(world.GameFolder() + "/" + name);
    EXPECT_FALSE(gui.empty()) << name;
    EXPECT_EQ(gui, ReadFile(other.GameFolder() + "/" + name)) << name;
  }
  ::setenv("HOME", world.Home().c_str(), 1);  // `other` restored the test's own
}

TEST_F(GuiE2E, ApplyWhileTheGameRunsShowsOnlyTheNotice) {
  // A process named as the game.
  std::string game = world.Path("TslGame.exe");
  fs::copy_file("/bin/sleep", game);
  pid_t gamePid = 0;
  const char* argv[] = {game.c_str(), "30", nullptr};
  ASSERT_EQ(
      ::posix_spawn(&gamePid, game.c_str(), nullptr, nullptr, const_cast<char**>(argv), environ),
      0);
  std::string window = StartShown();
  ASSERT_FALSE(window.empty());
  std::string before = ReadFile(world.ConfigDat());
  Click(window, kApply);
  ASSERT_TRUE(world.WaitLog("dialog: game running notice")) << world.Log();
  std::string notice = world.WaitVisibleWindow("提醒");
  ASSERT_FALSE(notice.empty());
  EXPECT_EQ(ReadFile(world.ConfigDat()), before);  // nothing saved
  EXPECT_FALSE(fs::exists(world.GameFolder() + "/Engine.ini"));
  // "一键关闭游戏" ends the game and leaves the notice open.
  world.Click(notice, 24 + 51, 160 + 16);
  EXPECT_TRUE(Eventually([&] { return ::waitpid(gamePid, nullptr, WNOHANG) == gamePid; }, 5000));
  EXPECT_FALSE(world.VisibleWindow("提醒").empty());
  world.Click(notice, 346 + 41, 159 + 16);  // 确定
  EXPECT_TRUE(world.WaitHidden("提醒"));
  EXPECT_FALSE(world.VisibleWindow().empty());
}

TEST_F(GuiE2E, CompanionProgramPromptIsShownOnceAndKeepingThisProgramStartsTheRenderer) {
  auto held = platform::AcquireNamedMutex("orvaneOrvaneRunningMutex");
  ASSERT_EQ(held.status, platform::MutexOpen::kAcquired);
  auto companion = platform::BindWindowEndpoint(platform::WindowKey::kClass, "Orvane");
  ASSERT_TRUE(companion);
  ASSERT_FALSE(StartShown().empty());
  ASSERT_TRUE(world.WaitLog("dialog: companion program", 9000)) << world.Log();
  std::string dialog = world.WaitVisibleWindow("Kestrune", 8000, "540x328");
  ASSERT_FALSE(dialog.empty());
  // While the prompt is open the watch asks nothing more, and no renderer starts.
  std::this_thread::sleep_for(std::chrono::milliseconds(5500));
  EXPECT_EQ(world.CountLog("dialog: companion program"), 1);
  EXPECT_EQ(world.CountLog("LaunchRenderer"), 0);

  world.Click(dialog, 58 + 86, 257 + 23);  // BtnPUBG
  auto yielded = companion->WaitReceive(3000);
  ASSERT_TRUE(yielded);
  EXPECT_EQ(yielded->message, 0x502u);
  EXPECT_TRUE(world.WaitLog("lumeshade: started", 4000)) << world.Log();
  EXPECT_TRUE(world.Alive(pid));
}

TEST_F(GuiE2E, ChoosingTheCompanionProgramEndsThisOne) {
  auto held = platform::AcquireNamedMutex("orvaneOrvaneRunningMutex");
  ASSERT_EQ(held.status, platform::MutexOpen::kAcquired);
  ASSERT_FALSE(StartShown().empty());
  std::string dialog = world.WaitVisibleWindow("Kestrune", 9000, "540x328");
  ASSERT_FALSE(dialog.empty()) << world.Log();
  world.Click(dialog, 312 + 86, 257 + 23);  // BtnOrvane
  EXPECT_EQ(world.WaitExit(pid), 0);
}

TEST_F(GuiE2E, APageAskingForANewHttpWindowOpensItOutsideAndGetsNone) {
  std::string outside = "http://127.0.0.1:" + std::to_string(site.Port()) + "/outside";
  RecordingOpener();
  site.SetBody("/zs/live", "<html><body style='margin:0'><a href='" + outside +
                               "' target='_blank' style='display:block;width:880px;height:480px'>"
                               "out</a></body></html>");
  std::string window = StartShown();
  ASSERT_FALSE(window.empty());
  Click(window, kTVTab);
  ASSERT_TRUE(Eventually([&] { return site.Count("/zs/live") == 1; }, 15000));
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // the page is drawn
  world.Click(window, 400, 300);
  EXPECT_TRUE(world.WaitLog("browser: new window " + outside, 8000)) << world.Log();
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  // The desktop's opener got it; the browser itself never went there and
  // opened no window of its own.
  EXPECT_TRUE(Eventually([&] { return ReadFile(world.Path("opened")) == outside + "\n"; }, 5000));
  EXPECT_EQ(site.Count("/outside"), 0);
  std::string windows =
      Shell("xdotool search --onlyvisible --pid " + std::to_string(pid) + " 2>/dev/null | wc -l");
  EXPECT_EQ(windows, "1");
}

TEST_F(GuiE2E, ANewerVersionShowsTheUpgradeNoticeAndEndsTheProgram) {
  site.SetBody("/sa.cab", "<version = \"99.0.0.0\" ><url=\"http://127.0.0.1:1/setup.exe\">");
  ASSERT_FALSE(StartShown().empty());
  ASSERT_TRUE(world.WaitLog("dialog: 升级", 8000)) << world.Log();
  std::string notice = world.WaitVisibleWindow("升级");
  ASSERT_FALSE(notice.empty());
  world.Keys(notice, "alt+F4");
  EXPECT_EQ(world.WaitExit(pid), 0);
}

TEST_F(GuiE2E, AManifestAddressThatIsNotHttpIsNeverOpenedNorAnnounced) {
  site.SetBody("/sa.cab", "<version=\"99.0.0.0\"><url=\"file:///etc/passwd\">");
  ASSERT_FALSE(StartShown().empty());
  ASSERT_TRUE(Eventually([&] { return site.Count("/sa.cab") == 1; }, 8000));
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_THAT(world.Log(), ::testing::Not(HasSubstr("dialog: 升级")));
  EXPECT_TRUE(world.Alive(pid));
}

// An opened list, empty (a fresh history) or not, closes on Escape, on a
// click elsewhere on the page, on a click outside every window of ours and
// on a tab change.
TEST_F(GuiE2E, AnOpenListClosesOnEscapeClicksElsewhereAndTabChanges) {
  std::string window = StartShown();
  ASSERT_FALSE(window.empty()) << world.Log();
  struct Route {
    const char* name;
    std::function<void()> close;
  };
  const Route routes[] = {
      {"Escape", [&] { world.Keys(window, "Escape"); }},
      {"click on the page",
       [&] {
         Click(window, {300, 300});
       }},
      {"click outside the window", [&] { Shell("xdotool mousemove --sync 3 3 click 1"); }},
      {"tab change", [&] { Click(window, kVideoTab); }},
  };
  for (const Route& route : routes) {
    ASSERT_FALSE(ClickOpenList(window, kHistoryList, "234x22").empty()) << route.name;
    route.close();
    EXPECT_TRUE(Eventually([&] { return OpenList("234x22").empty(); }, 4000)) << route.name;
  }
  EXPECT_TRUE(world.WaitLog("tab VideoTab"));
}

// A list longer than eight rows scrolls with the wheel (the last entries
// come into view) and draws its scroll bar.
TEST_F(GuiE2E, ALongListScrollsWithTheWheel) {
  std::string window = StartShown();
  ASSERT_FALSE(window.empty()) << world.Log();
  std::string list = ClickOpenList(window, kTextureList, "164x162");
  ASSERT_FALSE(list.empty()) << world.Log();
  auto [lx, ly] = world.Origin(list);
  std::string before = world.Path("list-before.png"), after = world.Path("list-after.png");
  Shell("import -window root -crop 164x162+" + std::to_string(lx) + "+" + std::to_string(ly) +
        " +repage " + before);
  Shell("xdotool mousemove --sync " + std::to_string(lx + 60) + " " + std::to_string(ly + 80) +
        " click 5 click 5 click 5");
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  Shell("import -window root -crop 164x162+" + std::to_string(lx) + "+" + std::to_string(ly) +
        " +repage " + after);
  std::string differing = Shell("compare -metric AE " + before + " " + after + " null: 2>&1");
  EXPECT_GT(std::atoi(differing.c_str()), 100) << "the list did not scroll";
  // The scroll bar's track runs down the right edge (inside the border).
  std::string track = Shell("convert " + after + " -format '%[pixel:p{152,40}]' info:");
  EXPECT_EQ(track, "srgb(240,240,240)") << "no scroll bar track";
  world.Keys(window, "Escape");
  EXPECT_TRUE(Eventually([&] { return OpenList("164x162").empty(); }, 4000));
}

// What the desktop shows is the program's name; the hand-over still finds
// the first instance by its bus endpoint.
TEST_F(GuiE2E, TheDesktopShowsKestruneNotTheFormName) {
  std::string window = StartShown();
  ASSERT_FALSE(window.empty()) << world.Log();
  std::string props = Shell("xprop -id " + window + " WM_NAME _NET_WM_NAME WM_CLASS");
  EXPECT_THAT(props, HasSubstr("WM_NAME(STRING) = \"Kestrune\""));
  EXPECT_THAT(props, HasSubstr("_NET_WM_NAME(UTF8_STRING) = \"Kestrune\""));
  EXPECT_THAT(props, HasSubstr("\"Kestrune\""));
  EXPECT_THAT(props, ::testing::Not(HasSubstr("PUBGMainForm")));
  EXPECT_EQ(Shell("xdotool search --name PUBGMainForm 2>/dev/null"), "");
  EXPECT_TRUE(platform::WindowExists(platform::WindowKey::kText, "PUBGMainForm"));
}

// A click on the tray icon brings the window back, and it comes back where
// it was, as it does for a second start.
TEST_F(GuiE2E, TrayClickAndSecondStartRestoreTheWindowWhereItWas) {
  std::string window = StartShown();
  ASSERT_FALSE(window.empty()) << world.Log();
  Shell("xdotool windowmove --sync " + window + " 100 150");
  ASSERT_TRUE(Eventually([&] { return world.Origin(window) == std::make_pair(100, 150); }, 3000));
  world.Keys(window, "alt+F4");
  ASSERT_TRUE(world.WaitHidden()) << world.Log();

  ActivateTrayIcon();
  EXPECT_TRUE(world.WaitLog("tray: icon activated")) << world.Log();
  window = world.WaitVisibleWindow();
  ASSERT_FALSE(window.empty()) << world.Log();
  EXPECT_EQ(world.Origin(window), std::make_pair(100, 150));
  ActivateTrayIcon();  // the second click of a double click changes nothing
  EXPECT_TRUE(Eventually([&] { return world.CountLog("tray: icon activated") == 2; }, 4000));
  EXPECT_EQ(world.Origin(window), std::make_pair(100, 150));

  world.Keys(window, "alt+F4");
  ASSERT_TRUE(world.WaitHidden());
  int second = world.Start({}, "second");
  EXPECT_EQ(world.WaitExit(second), 0);
  window = world.WaitVisibleWindow();
  ASSERT_FALSE(window.empty());
  EXPECT_EQ(world.Origin(window), std::make_pair(100, 150));
}

// With neither a tray host nor a notification area the icon waits (its
// fallback would show nowhere); a notification area that starts later gets it.
TEST_F(GuiE2E, WithoutATrayTheIconWaitsForANotificationArea) {
  ASSERT_FALSE(StartShown().empty()) << world.Log();
  ASSERT_TRUE(world.WaitLog("tray: no tray host and no notification area")) << world.Log();
  XEmbedTray tray;
  ASSERT_TRUE(tray.Running());
  EXPECT_TRUE(world.WaitLog("tray: a notification area started")) << world.Log();
  EXPECT_TRUE(world.WaitLog("tray: no tray host; the icon docks into the notification area"))
      << world.Log();
  EXPECT_TRUE(Eventually([&] { return !tray.DockRequests().empty(); }, 5000));
  EXPECT_EQ(world.CountLog("tray: no tray host; the icon docks"), 1);
}

// "启动游戏" without Steam says so instead of doing nothing.
TEST_F(GuiE2E, StartingTheGameWithoutSteamSaysSteamWasNotFound) {
  std::string window = StartShown();
  ASSERT_FALSE(window.empty()) << world.Log();
  Click(window, kStartGame);
  EXPECT_TRUE(world.WaitLog("dialog: 启动游戏 | 未找到Steam")) << world.Log();
  std::string box = world.WaitVisibleWindow("启动游戏");
  ASSERT_FALSE(box.empty());
  world.Keys(box, "alt+F4");
  EXPECT_TRUE(world.WaitHidden("启动游戏"));
}

// Offline, a browser tab shows a loading indicator, then our own notice
// (not the browser's error page); its link opens the address outside, and
// the window keeps its size.
TEST_F(GuiE2E, AnOfflineBrowserTabShowsOurNoticeWithALinkOutside) {
  PartnerOffline();
  RecordingOpener();
  std::string window = StartShown();
  ASSERT_FALSE(window.empty()) << world.Log();
  Click(window, kSearchTab);
  std::string page = "http://" + deadHost + "/zs/search";
  EXPECT_TRUE(world.WaitLog("browser: loading indicator shown", 15000)) << world.Log();
  ASSERT_TRUE(world.WaitLog("browser: load failed " + page, 15000)) << world.Log();
  EXPECT_TRUE(world.WaitLog("browser: loading indicator hidden")) << world.Log();
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // the notice is drawn
  EXPECT_THAT(Shell("xdotool getwindowgeometry " + window), HasSubstr("880x600"));
  world.Click(window, 240 + 216 + 60, 120 + 150 + 110 + 16);  // "在浏览器中打开"
  EXPECT_TRUE(world.WaitLog("browser: new window " + page)) << world.Log();
  EXPECT_TRUE(Eventually([&] { return ReadFile(world.Path("opened")) == page + "\n"; }, 5000))
      << world.Log();
}

// When the address cannot be handed to the desktop (no opener), the player
// is told so.
TEST_F(GuiE2E, AnAddressThatCannotBeOpenedIsReported) {
  PartnerOffline();
  fs::create_directories(world.Path("tools"));
  world.SetPath(world.Path("tools"));  // no xdg-open anywhere
  std::string window = StartShown();
  ASSERT_FALSE(window.empty()) << world.Log();
  Click(window, kSearchTab);
  ASSERT_TRUE(world.WaitLog("browser: load failed", 15000)) << world.Log();
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  world.Click(window, 240 + 216 + 60, 120 + 150 + 110 + 16);
  EXPECT_TRUE(world.WaitLog("dialog: Kestrune | 无法打开", 8000)) << world.Log();
}

// After a browser tab the window is still 880 x 600.
TEST_F(GuiE2E, ABrowserTabKeepsTheWindowSize) {
  std::string window = StartShown();
  ASSERT_FALSE(window.empty());
  Click(window, kSkillTab);
  ASSERT_TRUE(Eventually([&] { return site.Count("/zs/skill") == 1; }, 15000));
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  EXPECT_THAT(Shell("xdotool getwindowgeometry " + window), HasSubstr("880x600"));
}

// The options menu's preset entries: an export through GTK's file chooser,
// an edited preset imported the same way, then Apply saves its choice.
TEST_F(GuiE2E, APresetGoesOutAndComesInThroughTheOptionsMenu) {
  constexpr Spot kOptions{811, 11};
  std::string window = StartShown();
  ASSERT_FALSE(window.empty());
  const std::string preset = world.Path("shared-setup.ini");

  Click(window, kOptions);
  ASSERT_TRUE(world.WaitLog("menu: popped up")) << world.Log();
  Shell("xdotool key --clearmodifiers Down Down Return");  // "导出方案…"
  std::string chooser = world.WaitVisibleWindow("导出方案");
  ASSERT_FALSE(chooser.empty()) << world.Log();
  world.Keys(chooser, "ctrl+a");
  Shell("xdotool type --delay 20 '" + preset + "'");
  world.Keys(chooser, "Return");
  ASSERT_TRUE(world.WaitLog("file chooser '导出方案': " + preset)) << world.Log();
  ASSERT_TRUE(Eventually([&] { return fs::exists(preset); }, 5000));
  std::string text = ReadFile(preset);
  EXPECT_THAT(text, HasSubstr("[kestrune-preset]\r\nformat=1\r\n"));
  size_t msaa = text.find("\r\nmsaa=");
  ASSERT_NE(msaa, std::string::npos) << text;
  size_t end = text.find("\r\n", msaa + 2);
  text.replace(msaa, end - msaa, "\r\nmsaa=7");
  WriteFile(preset, text);

  Click(window, kOptions);
  ASSERT_TRUE(world.WaitLog("menu: popped up", 5000)) << world.Log();
  Shell("xdotool key --clearmodifiers Down Down Down Return");  // "导入方案…"
  chooser = world.WaitVisibleWindow("导入方案");
  ASSERT_FALSE(chooser.empty()) << world.Log();
  world.Keys(chooser, "ctrl+l");
  Shell("xdotool type --delay 20 '" + preset + "'");
  world.Keys(chooser, "Return");
  // The location bar may first take Return to accept its completion of the
  // typed path; the next one opens the file.
  if (!world.WaitLog("file chooser '导入方案': " + preset, 3000)) world.Keys(chooser, "Return");
  ASSERT_TRUE(world.WaitLog("file chooser '导入方案': " + preset)) << world.Log();

  Click(window, kApply);
  ASSERT_TRUE(world.WaitLog("优化完成！请问是否立即启动游戏？")) << world.Log();
  std::string dialog = world.WaitVisibleWindow("绝地求生：大逃杀");
  ASSERT_FALSE(dialog.empty());
  world.Keys(dialog, "alt+F4");
  EXPECT_TRUE(world.WaitLog("dialog result: 2"));
  EXPECT_EQ(world.ReadConfig("CBMSAAIndex"), "7");
}

// The game reset a key the last Apply set: the page shows the quiet notice,
// and a click on it applies the same selections again.
TEST_F(GuiE2E, TheDriftNoticeReappliesWhatTheGameReset) {
  ASSERT_TRUE(fs::exists(world.Bin() + "/kestrune-cli")) << "build kestrune-cli first";
  const std::string cli = "env -i HOME=" + world.Home() + " XDG_DATA_HOME=" + world.Home() +
                          "/.local/share XDG_CONFIG_HOME=" + world.Home() +
                          "/.config PATH=/usr/bin:/bin " + world.Bin() + "/kestrune-cli ";
  // The game has been installed and started once.
  WriteFile(world.GameFolder() + "/GameUserSettings.ini", "[ScalabilityGroups]\r\n");
  ASSERT_EQ(Shell(cli + "apply </dev/null >/dev/null 2>&1; echo $?"), "0");
  const std::string gus = world.GameFolder() + "/GameUserSettings.ini";
  std::string text = ReadFile(gus);
  std::optional<std::string> applied =
      ini::ReadValue(text, "ScalabilityGroups", "sg.ViewDistanceQuality");
  ASSERT_TRUE(applied);
  WriteFile(gus, ini::SetKey(text, "ScalabilityGroups", "sg.ViewDistanceQuality",
                             *applied == "7" ? "6" : "7"));
  ASSERT_EQ(Shell(cli + "drift </dev/null >/dev/null 2>&1; echo $?"), "6");

  std::string window = StartShown();
  ASSERT_FALSE(window.empty());
  Click(window, {614, 495});  // "游戏重置了 1 项设置 — 重新应用" above Apply
  ASSERT_TRUE(world.WaitLog("优化完成！请问是否立即启动游戏？")) << world.Log();
  std::string dialog = world.WaitVisibleWindow("绝地求生：大逃杀");
  ASSERT_FALSE(dialog.empty());
  world.Keys(dialog, "alt+F4");
  EXPECT_TRUE(world.WaitLog("dialog result: 2"));
  EXPECT_EQ(ini::ReadValue(ReadFile(gus), "ScalabilityGroups", "sg.ViewDistanceQuality"), applied);
  EXPECT_EQ(Shell(cli + "drift </dev/null >/dev/null 2>&1; echo $?"), "0");
}

// "查看变化" beside the restore history: after an Apply and a key the game
// rewrote, the dialog lists what differs between the backup and the files
// now, scrolls with the wheel, and closes on Escape.
TEST_F(GuiE2E, TheChangesDialogListsWhatDiffersFromTheSelectedBackup) {
  constexpr Spot kShowChanges{734, 243};  // right-aligned under the history list
  // A player's three files, with one key of our own to rewrite later.
  fs::create_directories(world.GameFolder());
  for (const char* name : {"Engine.ini", "GameUserSettings.ini", "Scalability.ini"})
    fs::copy_file(std::string(KESTRUNE_FIXTURES) + "/opti/player/" + name,
                  world.GameFolder() + "/" + name);
  const std::string gus = world.GameFolder() + "/GameUserSettings.ini";
  WriteFile(gus, ini::SetKey(ReadFile(gus), "ScalabilityGroups", "sg.Marker", "old"));
  std::string window = StartShown();
  ASSERT_FALSE(window.empty()) << world.Log();
  // No backup yet: the link is greyed out and opens nothing.
  Click(window, kShowChanges);
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  EXPECT_THAT(world.Log(), ::testing::Not(HasSubstr("dialog: 查看变化")));

  Click(window, kApply);
  ASSERT_TRUE(world.WaitLog("优化完成！请问是否立即启动游戏？")) << world.Log();
  std::string question = world.WaitVisibleWindow("绝地求生：大逃杀");
  ASSERT_FALSE(question.empty());
  world.Keys(question, "alt+F4");
  ASSERT_TRUE(world.WaitLog("dialog result: 2"));
  ASSERT_TRUE(world.WaitHidden("绝地求生：大逃杀"));
  std::string text = ReadFile(gus);
  size_t at = text.find("sg.Marker=old");
  ASSERT_NE(at, std::string::npos) << text;
  WriteFile(gus, text.replace(at, 13, "sg.Marker=new"));

  Click(window, kShowChanges);
  ASSERT_TRUE(world.WaitLog("dialog: 查看变化 | 备份 ")) << world.Log();
  std::string dialog = world.WaitVisibleWindow("查看变化", 8000, "600x440");
  ASSERT_FALSE(dialog.empty()) << world.Log();
  std::string log = world.Log();
  EXPECT_THAT(log, HasSubstr("changes: GameUserSettings.ini: " + gus));
  EXPECT_THAT(log, HasSubstr("changes:     ~ sg.Marker: old → new"));
  EXPECT_THAT(log, HasSubstr("changes: Engine.ini: " + world.GameFolder() + "/Engine.ini"));
  EXPECT_THAT(log, HasSubstr(" files changed: "));
  auto [mx, my] = world.Origin(window);
  auto [dx, dy] = world.Origin(dialog);
  EXPECT_EQ(dx, mx + (880 - 600) / 2);
  EXPECT_EQ(dy, my + (600 - 440) / 2);

  // The list (20, 70, 560 x 320 in the dialog) scrolls with the wheel and
  // has its scroll bar's track at the right.
  std::string crop = "560x320+" + std::to_string(dx + 20) + "+" + std::to_string(dy + 70);
  std::string before = world.Path("changes-before.png"), after = world.Path("changes-after.png");
  Shell("import -window root -crop " + crop + " +repage " + before);
  Shell("xdotool mousemove --sync " + std::to_string(dx + 300) + " " + std::to_string(dy + 200) +
        " click 5 click 5 click 5");
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  Shell("import -window root -crop " + crop + " +repage " + after);
  std::string differing = Shell("compare -metric AE " + before + " " + after + " null: 2>&1");
  EXPECT_GT(std::atoi(differing.c_str()), 100) << "the list did not scroll";
  std::string track = Shell("convert " + after + " -format '%[pixel:p{548,300}]' info:");
  EXPECT_EQ(track, "srgb(240,240,240)") << "no scroll bar track";

  world.Keys(dialog, "Escape");
  EXPECT_TRUE(world.WaitHidden("查看变化", 5000, "600x440")) << world.Log();
  EXPECT_EQ(world.CountLog("dialog result: 2"), 2);
}

// With an English system the window speaks English; the options menu's
// language entries keep a choice for the next start.
TEST_F(GuiE2E, AnEnglishSystemGetsTheEnglishInterfaceAndTheMenuKeepsAnotherChoice) {
  constexpr Spot kOptions{811, 11};
  PartnerOffline();
  world.SetLang("en_US.UTF-8");
  std::string window = StartShown();
  ASSERT_FALSE(window.empty()) << world.Log();
  EXPECT_TRUE(world.WaitLog("interface language: en")) << world.Log();
  // The browser module's notice speaks the program's language too.
  Click(window, kSearchTab);
  EXPECT_TRUE(world.WaitLog("notice shown: The page did not load", 15000)) << world.Log();
  Click(window, kHomeTab);
  Click(window, kStartGame);
  EXPECT_TRUE(world.WaitLog("dialog: Start the game | Steam was not found")) << world.Log();
  std::string box = world.WaitVisibleWindow("Start the game");
  ASSERT_FALSE(box.empty());
  world.Keys(box, "alt+F4");
  ASSERT_TRUE(world.WaitHidden("Start the game"));

  Click(window, kOptions);
  ASSERT_TRUE(world.WaitLog("menu: popped up")) << world.Log();
  // Auto-start, export, import, usage report, then the languages: "中文".
  Shell("xdotool key --clearmodifiers Down Down Down Down Down Down Return");
  ASSERT_TRUE(world.WaitLog("dialog: Kestrune | The interface language changes at the next start."))
      << world.Log();
  EXPECT_EQ(world.ReadConfig("UiLanguage"), "zh_CN");
  ::kill(pid, SIGTERM);
  world.WaitExit(pid);

  // The next start is in Chinese, whatever the system says.
  pid = world.Start({}, "log2");
  ASSERT_TRUE(world.WaitLog("interface language: zh_CN", 8000, "log2")) << world.Log("log2");
}

}  // namespace
}  // namespace kestrune::test
