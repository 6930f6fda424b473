// Renderer command lines, the keep-alive, the conflict watch and prompt, with
// the real message bus and named mutex standing for the other programs.
#include "enhance/renderer_launcher.h"

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/message_bus.h"
#include "platform/named_mutex.h"
#include "support/temp_dir.h"
#include "support/test_env.h"

namespace kestrune::enhance {
namespace {

using platform::WindowKey;

struct Timer : WatchTimer {
  bool enabled = false;
  void SetEnabled(bool value) override { enabled = value; }
  bool Enabled() const override { return enabled; }
};

// Each test gets its own profile, so the names it holds are its own.
class WatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* home = std::getenv("HOME");
    savedHome_ = home ? home : "";
    kestrune::test::SetEnv("HOME", profile_.path().c_str());
  }
  void TearDown() override { kestrune::test::SetEnv("HOME", savedHome_.c_str()); }

  TRendererWatch MakeWatch() {
    TRendererWatch::Hooks hooks;
    hooks.startProcess = [this](const std::string& line) { started.push_back(line); };
    hooks.postConflictPrompt = [this] { ++prompts; };
    return TRendererWatch(runLumeshade, timer1, hooks);
  }

  test::TempDir profile_;
  std::string savedHome_;
  Timer runLumeshade, timer1;
  std::vector<std::string> started;
  int prompts = 0;
};

TEST(RendererCommandLine, BothForms) {
  EXPECT_EQ(RendererCommandLine("/opt/k/Lumeshade.dat", false), "\"/opt/k/Lumeshade.dat\" /sub ");
  EXPECT_EQ(RendererCommandLine("/opt/k/Lumeshade.dat", true), "\"/opt/k/Lumeshade.dat\" /sub /ui");
}

TEST_F(WatchTest, KeepAliveRelaunchesEverySecondUntilTheWindowExists) {
  TRendererWatch watch = MakeWatch();
  watch.ServiceStart();
  EXPECT_TRUE(runLumeshade.enabled);
  EXPECT_TRUE(timer1.enabled);

  watch.RunLumeshadeTimerTimer();
  watch.RunLumeshadeTimerTimer();
  ASSERT_EQ(started.size(), 2u);
  EXPECT_EQ(started[0], RendererCommandLine(RendererPath(), false));
  EXPECT_TRUE(runLumeshade.enabled);

  auto renderer = platform::BindWindowEndpoint(WindowKey::kClass, kRendererWindowClass);
  ASSERT_TRUE(renderer);
  watch.RunLumeshadeTimerTimer();
  EXPECT_EQ(started.size(), 2u);
  EXPECT_FALSE(runLumeshade.enabled);
}

TEST_F(WatchTest, RendererPresentAtStartIsNotStartedAgain) {
  auto renderer = platform::BindWindowEndpoint(WindowKey::kClass, kRendererWindowClass);
  ASSERT_TRUE(renderer);
  TRendererWatch watch = MakeWatch();
  watch.ServiceStart();
  watch.RunLumeshadeTimerTimer();
  EXPECT_TRUE(started.empty());
}

TEST_F(WatchTest, RendererEndAndRefreshArePostedOnlyToAnExistingWindow) {
  PostRendererEnd();  // no window: nothing to do, nothing fails
  auto renderer = platform::BindWindowEndpoint(WindowKey::kClass, kRendererWindowClass);
  ASSERT_TRUE(renderer);
  NotifyRendererWindow();
  PostRendererEnd();
  auto first = renderer->WaitReceive(1000);
  auto second = renderer->WaitReceive(1000);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->message, kMsgRefreshInfo);
  EXPECT_EQ(second->message, kMsgRendererEnd);
  EXPECT_EQ(first->wParam, 0u);
  EXPECT_EQ(first->lParam, 0);
}

TEST_F(WatchTest, ClientRunningTestFollowsTheMutexHolder) {
  EXPECT_FALSE(IsOrvaneClientRunning());
  EXPECT_FALSE(IsOrvaneClientRunning());  // testing leaves the mutex free again
  auto held = platform::AcquireNamedMutex(kOrvaneMutexName);
  ASSERT_EQ(held.status, platform::MutexOpen::kAcquired);
  EXPECT_TRUE(IsOrvaneClientRunning());
}

TEST_F(WatchTest, ConflictPromptIsPostedOnceAndKeepingThisProgramYields) {
  auto held = platform::AcquireNamedMutex(kOrvaneMutexName);
  auto client = platform::BindWindowEndpoint(WindowKey::kClass, kOrvaneWindowClass);
  ASSERT_TRUE(held.mutex && client);

  TRendererWatch watch = MakeWatch();
  watch.ServiceStart();
  EXPECT_FALSE(runLumeshade.enabled);  // the keep-alive waits for the answer
  EXPECT_TRUE(timer1.enabled);

  watch.Timer1Timer();
  watch.Timer1Timer();
  watch.Timer1Timer();
  EXPECT_EQ(prompts, 1);
  EXPECT_TRUE(timer1.enabled);

  bool broughtBack = false;
  bool exits = watch.OnConflictPrompt([&] { broughtBack = true; }, [] { return 1; });
  EXPECT_FALSE(exits);
  EXPECT_TRUE(broughtBack);
  EXPECT_TRUE(runLumeshade.enabled);
  auto yield = client->WaitReceive(1000);
  ASSERT_TRUE(yield);
  EXPECT_EQ(yield->message, kMsgClientYield);

  // Still running: the next tick asks again.
  watch.Timer1Timer();
  EXPECT_EQ(prompts, 2);
}

TEST_F(WatchTest, AnyOtherAnswerExits) {
  for (int answer : {2, 0, -1}) {
    TRendererWatch watch = MakeWatch();
    EXPECT_TRUE(watch.OnConflictPrompt(nullptr, [answer] { return answer; })) << answer;
    EXPECT_FALSE(watch.PromptPending());
    EXPECT_FALSE(runLumeshade.enabled);
  }
}

}  // namespace
}  // namespace kestrune::enhance
