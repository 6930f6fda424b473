// Processes, named mutexes and the message bus on Windows, across real
// processes: a dummy TslGame.exe is listed and ended, a mutex held by another
// process is seen as held, and a window message crosses from one process to
// another. Every process a test starts is ended before the test returns.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/message_bus.h"
#include "platform/named_mutex.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "win32_test_support.h"

namespace kestrune::platform {
namespace {

using test::HelperPath;
using test::RunAndWait;
using test::Win32TempDir;
using win32::Wide;

// Ends a started process at scope exit, whatever the test did.
struct EndAtExit {
  int64_t id = 0;
  ~EndAtExit() {
    if (id != 0 && ProcessIsAlive(id)) TerminateProcessById(id);
  }
};

bool WaitUntil(const std::function<bool()>& condition) {
  // Generous: a loaded machine under Wine may take seconds to start a process.
  for (int i = 0; i < 2000; ++i) {
    if (condition()) return true;
    ::Sleep(10);
  }
  return condition();
}

std::string UniqueName(const char* what) {
  return std::string("kestrune-test-") + what + "-" + std::to_string(::GetCurrentProcessId());
}

TEST(Win32Process, DummyGameIsListedAndEnded) {
  Win32TempDir dir;
  const std::string game = dir.Path("TslGame.exe");
  ASSERT_TRUE(::CopyFileW(Wide(HelperPath()).c_str(), Wide(game).c_str(), FALSE));
  std::string error;
  EndAtExit started;
  started.id = SpawnDetached({game, "sleep", "60000"}, &error);
  ASSERT_NE(started.id, 0) << error;
  EXPECT_TRUE(ProcessIsAlive(started.id));
  bool listed = WaitUntil([&] {
    std::vector<ProcessEntry> all = ListProcesses();
    return std::any_of(all.begin(), all.end(), [&](const ProcessEntry& p) {
      return p.id == started.id && p.exeName == "TslGame.exe";
    });
  });
  EXPECT_TRUE(listed);
  EXPECT_TRUE(TerminateProcessById(started.id));
  EXPECT_TRUE(WaitUntil([&] { return !ProcessIsAlive(started.id); }));
  // Gone: nothing left to end.
  EXPECT_FALSE(TerminateProcessById(started.id));
  EXPECT_FALSE(TerminateProcessById(0));
}

TEST(Win32Process, SpawnFailuresAndSearchPath) {
  std::string error;
  EXPECT_EQ(SpawnDetached({}, &error), 0);
  EXPECT_EQ(SpawnDetached({"C:\\no\\such\\program.exe"}, &error), 0);
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(IsExecutableFile(HelperPath()));
  EXPECT_FALSE(FindInSearchPath("cmd").empty());
  EXPECT_EQ(FindInSearchPath("no-such-program-kestrune"), "");
  EXPECT_EQ(FindInSearchPath("C:\\x.exe"), "");
}

TEST(Win32Process, ArgumentsArriveUnchanged) {
  Win32TempDir dir;
  // The helper's "post" mode exits 4 when the window is missing: quoting
  // that loses an argument would make it answer 2 (usage) instead.
  std::string error;
  const std::string name = "class with \"quotes\" and \\ slashes\\";
  int64_t id = SpawnDetached({HelperPath(), "post", name, "0x401", "0", "0"}, &error);
  ASSERT_NE(id, 0) << error;
  HANDLE process =
      ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(id));
  ASSERT_NE(process, nullptr);
  EXPECT_EQ(::WaitForSingleObject(process, 20000), WAIT_OBJECT_0);
  DWORD code = 0;
  ::GetExitCodeProcess(process, &code);
  ::CloseHandle(process);
  EXPECT_EQ(code, 4u);
}

TEST(Win32Shell, OpenStartsAProgramWithItsParameters) {
  // The helper, started through the shell, holds a mutex named in its
  // parameters for a moment and ends by itself.
  const std::string name = UniqueName("shell \xE4\xB8\xAD");
  ASSERT_TRUE(ShellOpenTarget(HelperPath(), {"hold-mutex", name, "1500"}));
  auto exists = [&] {
    HANDLE existing = ::OpenMutexW(SYNCHRONIZE, FALSE, Wide(name).c_str());
    if (existing) ::CloseHandle(existing);
    return existing != nullptr;
  };
  EXPECT_TRUE(WaitUntil(exists));
  EXPECT_TRUE(WaitUntil([&] { return !exists(); }));
  EXPECT_FALSE(ShellOpenTarget("", {}));
  EXPECT_FALSE(ShellOpenTarget("C:\\no\\such\\program.exe", {"x"}));
}

TEST(Win32Mutex, OneHolderAcrossProcessesAndRelease) {
  const std::string name = UniqueName("mutex");
  {
    MutexResult first = AcquireNamedMutex(name);
    ASSERT_EQ(first.status, MutexOpen::kAcquired);
    EXPECT_EQ(AcquireNamedMutex(name).status, MutexOpen::kAlreadyExists);
    // Another process sees the name as held.
    EXPECT_EQ(RunAndWait(Wide("\"" + HelperPath() + "\" hold-mutex " + name + " 0")), 3);
  }
  // Released with its holder: another process can take it now.
  EXPECT_EQ(RunAndWait(Wide("\"" + HelperPath() + "\" hold-mutex " + name + " 0")), 0);
  EXPECT_EQ(AcquireNamedMutex(name).status, MutexOpen::kAcquired);
}

TEST(Win32Mutex, HolderThatEndsReleasesTheName) {
  const std::string name = UniqueName("mutex-end");
  std::string error;
  EndAtExit holder;
  holder.id = SpawnDetached({HelperPath(), "hold-mutex", name, "60000"}, &error);
  ASSERT_NE(holder.id, 0) << error;
  // Looked at without creating it: taking the name here, even for a moment,
  // would make the starting holder find it taken.
  EXPECT_TRUE(WaitUntil([&] {
    HANDLE existing = ::OpenMutexW(SYNCHRONIZE, FALSE, Wide(name).c_str());
    if (existing) ::CloseHandle(existing);
    return existing != nullptr;
  }));
  EXPECT_EQ(AcquireNamedMutex(name).status, MutexOpen::kAlreadyExists);
  ASSERT_TRUE(TerminateProcessById(holder.id));
  EXPECT_TRUE(WaitUntil([&] { return AcquireNamedMutex(name).status == MutexOpen::kAcquired; }));
}

TEST(Win32MessageBus, BindFindPostReceive) {
  const std::string name = UniqueName("window");
  EXPECT_FALSE(WindowExists(WindowKey::kClass, name));
  EXPECT_FALSE(PostWindowMessage(WindowKey::kClass, name, 0x401));
  std::unique_ptr<MessageBusEndpoint> endpoint = BindWindowEndpoint(WindowKey::kClass, name);
  ASSERT_NE(endpoint, nullptr);
  EXPECT_NE(endpoint->WaitHandle(), 0);
  EXPECT_TRUE(WindowExists(WindowKey::kClass, name));
  EXPECT_FALSE(WindowExists(WindowKey::kText, name));
  EXPECT_EQ(BindWindowEndpoint(WindowKey::kClass, name), nullptr);  // one holder
  EXPECT_FALSE(endpoint->Receive().has_value());
  ASSERT_TRUE(PostWindowMessage(WindowKey::kClass, name, 0x408, 7, -3));
  std::optional<BusMessage> got = endpoint->WaitReceive(5000);
  ASSERT_TRUE(got.has_value());
  EXPECT_EQ(got->message, 0x408u);
  EXPECT_EQ(got->wParam, 7u);
  EXPECT_EQ(got->lParam, -3);
  // The wait handle is signalled while a message waits.
  ASSERT_TRUE(PostWindowMessage(WindowKey::kClass, name, 0x409));
  EXPECT_EQ(::WaitForSingleObject(reinterpret_cast<HANDLE>(endpoint->WaitHandle()), 5000),
            WAIT_OBJECT_0);
  EXPECT_EQ(endpoint->Receive()->message, 0x409u);
  endpoint.reset();
  EXPECT_FALSE(WindowExists(WindowKey::kClass, name));
  EXPECT_NE(BindWindowEndpoint(WindowKey::kClass, name), nullptr);  // free again
}

TEST(Win32MessageBus, WindowTextAndChineseNames) {
  const std::string text = "PUBGMainForm-\xE4\xB8\xAD-" + std::to_string(::GetCurrentProcessId());
  std::unique_ptr<MessageBusEndpoint> endpoint = BindWindowEndpoint(WindowKey::kText, text);
  ASSERT_NE(endpoint, nullptr);
  EXPECT_TRUE(WindowExists(WindowKey::kText, text));
  EXPECT_TRUE(::FindWindowW(nullptr, Wide(text).c_str()) != nullptr);
  ASSERT_TRUE(PostWindowMessage(WindowKey::kText, text, 0x408));
  EXPECT_EQ(endpoint->WaitReceive(5000).value_or(BusMessage{}).message, 0x408u);
}

TEST(Win32MessageBus, PostsAcrossProcesses) {
  const std::string name = UniqueName("ORVANE_RENDER_CLASS");
  std::unique_ptr<MessageBusEndpoint> endpoint = BindWindowEndpoint(WindowKey::kClass, name);
  ASSERT_NE(endpoint, nullptr);
  const std::wstring helper = L"\"" + Wide(HelperPath()) + L"\" ";
  EXPECT_EQ(RunAndWait(helper + L"find " + Wide(name)), 0);
  EXPECT_EQ(RunAndWait(helper + L"post " + Wide(name) + L" 0x500 12 -34"), 0);
  std::optional<BusMessage> got = endpoint->WaitReceive(5000);
  ASSERT_TRUE(got.has_value());
  EXPECT_EQ(got->message, 0x500u);
  EXPECT_EQ(got->wParam, 12u);
  EXPECT_EQ(got->lParam, -34);
  endpoint.reset();
  EXPECT_EQ(RunAndWait(helper + L"find " + Wide(name)), 5);
}

}  // namespace
}  // namespace kestrune::platform
