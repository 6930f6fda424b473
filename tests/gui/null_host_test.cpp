// The display-less host runs the same loop contract the windowed hosts do.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "controls/control.h"
#include "gui/gui_host.h"

namespace kestrune::gui {
namespace {

class Fill : public Control {
 public:
  void Paint(Canvas& canvas) override {
    ++paints;
    canvas.FillRect(ClientRect(), Color::Rgb(0x336699));
  }
  int paints = 0;
};

TEST(NullHost, LaterTasksRunInOrderOfTheirDelayAndQuitEndsTheLoop) {
  std::vector<int> order;
  RunLater(30, [&] {
    order.push_back(3);
    QuitMainLoop();
  });
  RunLater(10, [&] { order.push_back(2); });
  RunLater(0, [&] { order.push_back(1); });
  RunMainLoop();
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(NullHost, MessagesPostedFromAnotherThreadArriveOnTheLoopThread) {
  const auto loopThread = std::this_thread::get_id();
  std::vector<uint32_t> got;
  bool onLoopThread = true;
  auto queue = CreateUiQueue([&](uint32_t message, uintptr_t wParam, intptr_t lParam) {
    onLoopThread = onLoopThread && std::this_thread::get_id() == loopThread;
    got.push_back(message + static_cast<uint32_t>(wParam) + static_cast<uint32_t>(lParam));
    if (got.size() == 2) QuitMainLoop();
  });
  std::thread worker([&] {
    queue->Post(100, 1, 2);
    queue->Post(200);
  });
  RunMainLoop();
  worker.join();
  EXPECT_TRUE(onLoopThread);
  EXPECT_EQ(got, (std::vector<uint32_t>{103, 200}));
}

TEST(NullHost, TimerRepeatsUntilDisabled) {
  auto timer = CreateTimer(5);
  EXPECT_FALSE(timer->Enabled());
  int ticks = 0;
  timer->OnTimer = [&] {
    if (++ticks == 3) {
      timer->SetEnabled(false);
      RunLater(20, [] { QuitMainLoop(); });
    }
  };
  timer->SetEnabled(true);
  RunMainLoop();
  EXPECT_EQ(ticks, 3);
}

TEST(NullHost, ModalWindowReturnsTheResultGivenToEndModal) {
  Fill root;
  auto window = CreateWindow(root, {.title = "t", .width = 60, .height = 40});
  EXPECT_EQ(root.Width(), 60);
  RunLater(5, [&] { window->EndModal(7); });
  EXPECT_EQ(window->RunModal(nullptr), 7);
  EXPECT_FALSE(window->IsVisible());
}

TEST(NullHost, ShownWindowPaintsItsTreeOnceBeforeTheFirstPaintHook) {
  Fill root;
  auto window = CreateWindow(root, {.title = "t", .width = 30, .height = 20});
  int firstPaints = 0;
  window->OnFirstPaint = [&] {
    ++firstPaints;
    QuitMainLoop();
  };
  window->Show();
  window->Hide();
  window->Show();
  RunMainLoop();
  EXPECT_EQ(firstPaints, 1);
  EXPECT_EQ(root.paints, 1);
}

TEST(NullHost, CloseQueryCanRefuseAndOnCloseRunsWhenItMayClose) {
  Fill root;
  auto window = CreateWindow(root, {.title = "t", .width = 30, .height = 20});
  bool allow = false;
  int closes = 0;
  window->OnCloseQuery = [&] { return allow; };
  window->OnClose = [&] { ++closes; };
  window->Show();
  window->RequestClose();
  EXPECT_TRUE(window->IsVisible());
  allow = true;
  window->RequestClose();
  EXPECT_FALSE(window->IsVisible());
  EXPECT_EQ(closes, 1);
}

}  // namespace
}  // namespace kestrune::gui
