// The UI queue both windowed hosts hand out: what a post carries, and what
// an item does when it arrives after its queue is gone.
#include "gui/posted_queue.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace kestrune::gui {
namespace {

// Stands in for the host's way to the UI thread: keeps the items until the
// test runs them, or refuses them.
std::vector<std::unique_ptr<PostedQueue::Item>> g_carried;
bool g_refuse = false;

bool Carry(PostedQueue::Item* item) {
  if (g_refuse) return false;
  g_carried.emplace_back(item);
  return true;
}

class PostedQueueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_carried.clear();
    g_refuse = false;
  }
  void TearDown() override { g_carried.clear(); }
};

TEST_F(PostedQueueTest, EachPostIsCarriedOnceAndRunsTheHandlerWithItsValues) {
  std::vector<std::vector<intptr_t>> got;
  PostedQueue queue(
      [&](uint32_t message, uintptr_t wParam, intptr_t lParam) {
        got.push_back({static_cast<intptr_t>(message), static_cast<intptr_t>(wParam), lParam});
      },
      &Carry);
  queue.Post(7, 8, -9);
  queue.Post(1, 0, 0);
  ASSERT_EQ(g_carried.size(), 2u);
  EXPECT_TRUE(got.empty());  // nothing runs before the host runs the item
  for (const auto& item : g_carried) item->Run();
  EXPECT_EQ(got, (std::vector<std::vector<intptr_t>>{{7, 8, -9}, {1, 0, 0}}));
}

TEST_F(PostedQueueTest, AnItemThatArrivesAfterItsQueueIsGoneDoesNothing) {
  int calls = 0;
  auto queue =
      std::make_unique<PostedQueue>([&](uint32_t, uintptr_t, intptr_t) { ++calls; }, &Carry);
  queue->Post(1, 0, 0);
  queue.reset();
  ASSERT_EQ(g_carried.size(), 1u);
  g_carried[0]->Run();
  EXPECT_EQ(calls, 0);
}

TEST_F(PostedQueueTest, AnItemTheHostCouldNotSendIsFreed) {
  auto token = std::make_shared<int>(0);
  std::weak_ptr<int> watch = token;
  {
    PostedQueue queue([token](uint32_t, uintptr_t, intptr_t) {}, &Carry);
    token.reset();
    g_refuse = true;
    queue.Post(1, 0, 0);
    EXPECT_TRUE(g_carried.empty());
  }
  // The handler (and what it holds) went with the queue: no item kept it.
  EXPECT_TRUE(watch.expired());
}

}  // namespace
}  // namespace kestrune::gui
