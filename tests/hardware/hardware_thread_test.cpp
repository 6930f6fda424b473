// The start-up hardware step and the background refresh, with a fake GPU
// library, a temporary Config.dat and a temporary registry stand-in.
#include "hardware/hardware_thread.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "env/settings_store.h"
#include "platform/debug_log.h"
#include "support/temp_dir.h"
#include "support/test_env.h"
#include "support/test_registry.h"

namespace kestrune {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const std::string kFakeOk = std::string(KESTRUNE_FAKE_GPU_DIR) + "/ok";

// Records posted messages; Wait blocks until one arrives.
class RecordingQueue : public MessageQueue {
 public:
  void Post(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    std::lock_guard<std::mutex> lock(mutex_);
    posted_.push_back({message, wParam, lParam});
    cv_.notify_all();
  }
  bool WaitForOne() {
    std::unique_lock<std::mutex> lock(mutex_);
    return cv_.wait_for(lock, std::chrono::seconds(10), [&] { return !posted_.empty(); });
  }
  struct Message {
    uint32_t id;
    uintptr_t w;
    intptr_t l;
  };
  std::vector<Message> posted_;

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
};

class DetectHardwareTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetConfigFilePathForTesting(dir_.Path("Config.dat"));
    registry_ = std::make_unique<kestrune::test::ScopedTestRegistry>(dir_.Path("config"));
    kestrune::test::SetEnv("KESTRUNE_FAKE_GAUGE3",
                           "Intel UHD 630|8086|192|1024;GeForce GTX 1060|10DE|1280|6144");
    SetDebugLogSink([](std::string_view) {});
  }
  void TearDown() override {
    SetConfigFilePathForTesting("");
    registry_.reset();
    kestrune::test::UnsetEnv("KESTRUNE_FAKE_GAUGE3");
    SetDebugLogSink(nullptr);
  }
  TempDir dir_;
  std::unique_ptr<kestrune::test::ScopedTestRegistry> registry_;
};

TEST_F(DetectHardwareTest, FirstRunQueriesAtOnceCachesAndEndsTheFirstRun) {
  ASSERT_TRUE(IsFirstRun());
  THareWareInfo info;
  bool called = false;
  auto thread = DetectHardware(
      info, [&](THardWareThread*) { called = true; }, kFakeOk);
  EXPECT_EQ(thread, nullptr);
  EXPECT_FALSE(called);
  EXPECT_FALSE(info.CPUName.empty());
  EXPECT_GE(info.MemorySize, 1);
  EXPECT_EQ(info.ShaderCount, 1280);
  EXPECT_EQ(info.CardVendor, "10DE");
  EXPECT_EQ(info.CardName, "GeForce GTX 1060");
  EXPECT_EQ(info.VideoMemorySize, 6144);
  EXPECT_EQ(ReadFile(dir_.Path("Config.dat")),
            "[general]\r\nShaderCount=1280\r\nCardName=GeForce GTX 1060\r\nCardVendor=10DE\r\n"
            "VideoMemorySize=6144\r\n");
  EXPECT_FALSE(IsFirstRun());
}

TEST_F(DetectHardwareTest, FirstRunWithoutLibraryCachesEmptyFactsAndStillEndsTheFirstRun) {
  TempDir empty;
  THareWareInfo info;
  EXPECT_EQ(DetectHardware(info, nullptr, empty.path()), nullptr);
  EXPECT_EQ(info.ShaderCount, 0);
  EXPECT_EQ(info.CardName, "");
  EXPECT_EQ(ReadConfig("ShaderCount"), "0");
  EXPECT_EQ(ReadConfig("VideoMemorySize"), "0");
  EXPECT_FALSE(IsFirstRun());
}

TEST_F(DetectHardwareTest, LaterRunShowsTheCacheThenRefreshesOnTheUiThread) {
  SetFirstRun(1);
  WriteFile(dir_.Path("Config.dat"),
            "[general]\r\nShaderCount=512\r\nCardName=Old Card\r\nCardVendor=1002\r\n"
            "VideoMemorySize=abc\r\n");
  RecordingQueue queue;
  THareWareInfo info;
  // The callback runs on the worker: at that moment the facts must still be
  // the cached ones, because only the UI thread copies the results.
  std::atomic<bool> untouchedAtCallback{false};
  std::atomic<bool> onWorker{false};
  std::thread::id uiThread = std::this_thread::get_id();
  THardWareThread::Callback post = PostHardwareDone(queue);
  auto thread = DetectHardware(
      info,
      [&](THardWareThread* t) {
        onWorker = std::this_thread::get_id() != uiThread;
        untouchedAtCallback = info.ShaderCount == 512 && info.CardName == "Old Card";
        post(t);
      },
      kFakeOk);
  ASSERT_NE(thread, nullptr);
  // Cached facts at once (a non-number reads as 0).
  EXPECT_EQ(info.CardName, "Old Card");
  EXPECT_EQ(info.VideoMemorySize, 0);

  ASSERT_TRUE(queue.WaitForOne());
  ASSERT_EQ(queue.posted_.size(), 1u);
  EXPECT_EQ(queue.posted_[0].id, 1025u);
  EXPECT_EQ(queue.posted_[0].w, 0u);
  EXPECT_EQ(queue.posted_[0].l, 0);
  EXPECT_TRUE(onWorker);
  EXPECT_TRUE(untouchedAtCallback);

  CopyHardwareResults(*thread, info);
  thread.reset();
  EXPECT_EQ(info.ShaderCount, 1280);
  EXPECT_EQ(info.CardName, "GeForce GTX 1060");
  EXPECT_EQ(info.CardVendor, "10DE");
  EXPECT_EQ(info.VideoMemorySize, 6144);
  EXPECT_EQ(ReadHardwareCache().CardName, "GeForce GTX 1060");
}

TEST_F(DetectHardwareTest, ThreadWithWrongLibraryOverwritesTheCacheWithEmptyFacts) {
  WriteFile(dir_.Path("Config.dat"), "[general]\r\nShaderCount=512\r\nCardName=Old\r\n");
  THardWareThread thread(std::string(KESTRUNE_FAKE_GPU_DIR) + "/wrong_version");
  std::atomic<int> calls{0};
  thread.OnDone = [&](THardWareThread* t) {
    EXPECT_EQ(t, &thread);
    ++calls;
  };
  thread.Start();
  thread.WaitFor();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(thread.ShaderCount, 0);
  EXPECT_EQ(ReadConfig("ShaderCount"), "0");
  EXPECT_EQ(ReadConfig("CardName"), "");
}

TEST_F(DetectHardwareTest, ThreadWithoutCallbackAndNeverStarted) {
  { THardWareThread suspended(kFakeOk); }  // destroying a suspended thread is fine
  THardWareThread thread(kFakeOk);
  thread.Start();
  thread.WaitFor();
  EXPECT_EQ(thread.CardVendor, "10DE");
}

}  // namespace
}  // namespace kestrune
