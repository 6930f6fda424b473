// The message bus and named mutexes: names, posting, and release when the
// holder goes away (including a holder that crashes or spawned children).
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/message_bus.h"
#include "platform/named_mutex.h"
#include "support/test_env.h"

extern char** environ;

namespace kestrune::platform {
namespace {

// Every test gets names of its own, so parallel runs never meet.
std::string UniqueName(const char* what) {
  return std::string(what) + "-" + std::to_string(::getpid()) + "-" +
         ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

// Waits for a condition that another process makes true.
template <typename F>
bool Eventually(F f, int timeoutMs = 3000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < end) {
    if (f()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return f();
}

TEST(MessageBus, BindFindPostReceive) {
  std::string name = UniqueName("ORVANE_RENDER_CLASS");
  EXPECT_FALSE(WindowExists(WindowKey::kClass, name));
  EXPECT_FALSE(PostWindowMessage(WindowKey::kClass, name, 0x500));

  auto endpoint = BindWindowEndpoint(WindowKey::kClass, name);
  ASSERT_TRUE(endpoint);
  EXPECT_TRUE(WindowExists(WindowKey::kClass, name));
  // Class and text are separate lookups, as FindWindow's two arguments are.
  EXPECT_FALSE(WindowExists(WindowKey::kText, name));

  EXPECT_FALSE(endpoint->Receive());
  ASSERT_TRUE(PostWindowMessage(WindowKey::kClass, name, 0x500, 7, -3));
  ASSERT_TRUE(PostWindowMessage(WindowKey::kClass, name, 0x503));
  auto first = endpoint->WaitReceive(1000);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->message, 0x500u);
  EXPECT_EQ(first->wParam, 7u);
  EXPECT_EQ(first->lParam, -3);
  auto second = endpoint->Receive();
  ASSERT_TRUE(second);
  EXPECT_EQ(second->message, 0x503u);
  EXPECT_FALSE(endpoint->WaitReceive(20));
}

TEST(MessageBus, OneHolderPerNameAndReleaseOnDestruction) {
  std::string name = UniqueName("PUBGMainForm");
  auto first = BindWindowEndpoint(WindowKey::kText, name);
  ASSERT_TRUE(first);
  EXPECT_FALSE(BindWindowEndpoint(WindowKey::kText, name));
  first.reset();
  EXPECT_FALSE(WindowExists(WindowKey::kText, name));
  EXPECT_TRUE(BindWindowEndpoint(WindowKey::kText, name));
}

TEST(MessageBus, LongNamesAreHashedWithoutCollisions) {
  std::string name = UniqueName(std::string(300, 'x').c_str());
  auto endpoint = BindWindowEndpoint(WindowKey::kClass, name);
  ASSERT_TRUE(endpoint);
  EXPECT_TRUE(WindowExists(WindowKey::kClass, name));
  // A different long name must not collide with it.
  EXPECT_FALSE(WindowExists(WindowKey::kClass, name + "y"));

  ASSERT_TRUE(PostWindowMessage(WindowKey::kClass, name, 0x401));
  auto got = endpoint->WaitReceive(1000);
  ASSERT_TRUE(got);
  EXPECT_EQ(got->message, 0x401u);
}

TEST(MessageBus, ScopeFollowsTheHomeFolder) {
  std::string name = UniqueName("Orvane");
  const char* oldHome = std::getenv("HOME");
  std::string saved = oldHome ? oldHome : "";
  kestrune::test::SetEnv("HOME", "/tmp/kestrune-profile-a");
  auto endpoint = BindWindowEndpoint(WindowKey::kClass, name);
  ASSERT_TRUE(endpoint);
  EXPECT_TRUE(WindowExists(WindowKey::kClass, name));
  kestrune::test::SetEnv("HOME", "/tmp/kestrune-profile-b");
  EXPECT_FALSE(WindowExists(WindowKey::kClass, name));
  kestrune::test::SetEnv("HOME", saved.c_str());
}

TEST(MessageBus, PostsAcrossProcesses) {
  std::string name = UniqueName("ORVANE_RENDER_CLASS");
  auto endpoint = BindWindowEndpoint(WindowKey::kClass, name);
  ASSERT_TRUE(endpoint);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    bool ok = PostWindowMessage(WindowKey::kClass, name, 0x500);
    ::_exit(ok ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  auto got = endpoint->WaitReceive(1000);
  ASSERT_TRUE(got);
  EXPECT_EQ(got->message, 0x500u);
}

TEST(NamedMutex, SecondAcquireSeesTheFirst) {
  std::string name = UniqueName("C30DA10C-C48B-42A4-BF72-76B661BF73B8");
  auto first = AcquireNamedMutex(name);
  ASSERT_EQ(first.status, MutexOpen::kAcquired);
  ASSERT_TRUE(first.mutex);
  auto second = AcquireNamedMutex(name);
  EXPECT_EQ(second.status, MutexOpen::kAlreadyExists);
  EXPECT_FALSE(second.mutex);
  first.mutex.reset();
  EXPECT_EQ(AcquireNamedMutex(name).status, MutexOpen::kAcquired);
}

TEST(NamedMutex, AKilledHolderReleasesTheName) {
  std::string name = UniqueName("orvaneOrvaneRunningMutex");
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    auto held = AcquireNamedMutex(name);
    char c = held.status == MutexOpen::kAcquired ? '1' : '0';
    (void)!::write(ready[1], &c, 1);
    ::pause();
    ::_exit(0);
  }
  char c = 0;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  ASSERT_EQ(c, '1');
  EXPECT_EQ(AcquireNamedMutex(name).status, MutexOpen::kAlreadyExists);
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  EXPECT_TRUE(Eventually([&] { return AcquireNamedMutex(name).status == MutexOpen::kAcquired; }));
  ::close(ready[0]);
  ::close(ready[1]);
}

// A child started while we hold the mutex and a window must not keep either
// alive after we let go (the renderer outlives the program in normal use).
TEST(NamedMutex, SpawnedChildrenDoNotInheritNames) {
  std::string mutexName = UniqueName("mutex");
  std::string windowName = UniqueName("PUBGMainForm");
  auto held = AcquireNamedMutex(mutexName);
  ASSERT_EQ(held.status, MutexOpen::kAcquired);
  auto window = BindWindowEndpoint(WindowKey::kText, windowName);
  ASSERT_TRUE(window);

  pid_t child = 0;
  const char* argv[] = {"sleep", "5", nullptr};
  ASSERT_EQ(::posix_spawnp(&child, "sleep", nullptr, nullptr, const_cast<char**>(argv), environ),
            0);
  held.mutex.reset();
  window.reset();
  // The kernel lets a vfork-style spawn return before the child's
  // close-on-exec descriptors are gone, so allow that brief moment; a leaked
  // descriptor would keep both names for the child's whole five seconds.
  EXPECT_TRUE(Eventually([&] {
    auto again = AcquireNamedMutex(mutexName);
    return again.status == MutexOpen::kAcquired;
  }));
  EXPECT_TRUE(Eventually([&] { return !WindowExists(WindowKey::kText, windowName); }));
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
}

}  // namespace
}  // namespace kestrune::platform
