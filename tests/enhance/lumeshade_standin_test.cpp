// The built Lumeshade.dat stand-in as the program meets it: started with
// "/sub" it holds the renderer's window class, a second copy without "/ui"
// leaves at once, 0x500 keeps it running and 0x503 ends it.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "enhance/renderer_launcher.h"
#include "platform/message_bus.h"
#include "platform/process.h"

namespace kestrune {
namespace {

using platform::WindowKey;

const std::string kRenderer = std::string(KESTRUNE_BIN_DIR) + "/Lumeshade.dat";

bool WaitFor(const std::function<bool()>& condition, int seconds = 20) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < deadline) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return condition();
}

bool RendererWindow() {
  return platform::WindowExists(WindowKey::kClass, enhance::kRendererWindowClass);
}

TEST(LumeshadeStandInTest, HoldsTheClassKeepsRunningOnRefreshAndEndsOn0x503) {
  ASSERT_FALSE(RendererWindow()) << "another renderer is running";
  std::string error;
  int64_t renderer = platform::SpawnDetached({kRenderer, "/sub"}, &error);
  ASSERT_NE(renderer, 0) << error;
  ASSERT_TRUE(WaitFor(RendererWindow)) << "the renderer never took its window class";

  // A second renderer without the chooser finds the class taken and leaves.
  int64_t second = platform::SpawnDetached({kRenderer, "/sub"}, &error);
  ASSERT_NE(second, 0) << error;
  EXPECT_TRUE(WaitFor([&] { return !platform::ProcessIsAlive(second); }));

  EXPECT_TRUE(platform::PostWindowMessage(WindowKey::kClass, enhance::kRendererWindowClass,
                                          enhance::kMsgRefreshInfo));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_TRUE(platform::ProcessIsAlive(renderer));
  EXPECT_TRUE(RendererWindow());

  EXPECT_TRUE(platform::PostWindowMessage(WindowKey::kClass, enhance::kRendererWindowClass,
                                          enhance::kMsgRendererEnd));
  EXPECT_TRUE(WaitFor([&] { return !platform::ProcessIsAlive(renderer); }));
  EXPECT_TRUE(WaitFor([] { return !RendererWindow(); }));
  if (platform::ProcessIsAlive(renderer)) platform::TerminateProcessById(renderer);
}

}  // namespace
}  // namespace kestrune
