// The file layer against what a player's disk may hold: FIFOs and devices in
// a file's place, oversized files, read-only files, and writers in other
// processes (and other pid namespaces) whose temporary files a scan must
// leave alone while they live and remove once they are gone.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_lock.h"
#include "platform/file_reader.h"
#include "platform/file_system.h"
#include "support/temp_dir.h"

extern char** environ;

namespace kestrune::platform {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

const std::string kHelper = std::string(KESTRUNE_BIN_DIR) + "/file_writer_helper";
constexpr const char* kStrace = "/usr/bin/strace";

// Runs `check` in a child process, which a blocking open or an endless read
// cannot take down with the test: fails when it does not end in time.
::testing::AssertionResult EndsInTime(const std::function<bool()>& check, int seconds = 10) {
  pid_t pid = ::fork();
  if (pid == 0) ::_exit(check() ? 0 : 1);
  if (pid < 0) return ::testing::AssertionFailure() << "fork failed";
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return ::testing::AssertionFailure() << "still blocked after " << seconds << " s";
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "check failed (status " << status << ")";
}

struct NotAFile {
  const char* what;
  std::function<void(const std::string&)> make;
  ReadStatus expected;
};

const NotAFile kNotFiles[] = {
    {"FIFO", [](const std::string& p) { ::mkfifo(p.c_str(), 0644); }, ReadStatus::kNotRegular},
    {"link to /dev/zero", [](const std::string& p) { fs::create_symlink("/dev/zero", p); },
     ReadStatus::kNotRegular},
    {"link to a FIFO",
     [](const std::string& p) {
       ::mkfifo((p + ".fifo").c_str(), 0644);
       fs::create_symlink(p + ".fifo", p);
     },
     ReadStatus::kNotRegular},
    {"folder", [](const std::string& p) { fs::create_directory(p); }, ReadStatus::kIsDirectory},
    {"dangling link", [](const std::string& p) { fs::create_symlink(p + ".gone", p); },
     ReadStatus::kNotFound},
};

TEST(FileSystemTest, WhatIsNotARegularFileIsRefusedWithoutBlocking) {
  for (const NotAFile& c : kNotFiles) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string path = dir.Path("GameUserSettings.ini");
    c.make(path);
    EXPECT_TRUE(EndsInTime([&] {
      ReadResult r = ReadWholeFile(path);
      return r.status == c.expected && r.data.empty() && !r.error.empty();
    }));
    EXPECT_TRUE(EndsInTime([&] {
      FileReader reader;
      std::string error;
      return !reader.Open(path, &error) && !error.empty();
    }));
  }
}

TEST(FileSystemTest, ReadsStopAtTheCap) {
  TempDir dir;
  const std::string path = dir.Path("Engine.ini");
  test::WriteFile(path, "0123456789");
  EXPECT_EQ(ReadWholeFile(path, 10).status, ReadStatus::kOk);
  EXPECT_EQ(ReadWholeFile(path, 10).data, "0123456789");
  ReadResult over = ReadWholeFile(path, 9);
  EXPECT_EQ(over.status, ReadStatus::kTooLarge);
  EXPECT_TRUE(over.data.empty());
  // The default cap, on a sparse file that costs no disk.
  int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(kMaxReadBytes + 1)), 0);
  ::close(fd);
  EXPECT_EQ(ReadWholeFile(path).status, ReadStatus::kTooLarge);
}

TEST(FileSystemTest, AFileLargerThanItsStatedSizeIsReadWhole) {
  // /proc files state size 0 and hold text: the read goes on past the size.
  ReadResult r = ReadWholeFile("/proc/self/status");
  ASSERT_EQ(r.status, ReadStatus::kOk) << r.error;
  EXPECT_NE(r.data.find("Umask:"), std::string::npos);
  // One that spans several pages, which the kernel hands out a page a read.
  ReadResult maps = ReadWholeFile("/proc/self/maps");
  ASSERT_EQ(maps.status, ReadStatus::kOk) << maps.error;
  EXPECT_GT(maps.data.size(), 4096u);
  EXPECT_NE(maps.data.find("[stack]"), std::string::npos);
}

TEST(FileSystemTest, TheReadTellsPermissionsAndReadOnly) {
  TempDir dir;
  const std::string path = dir.Path("Scalability.ini");
  test::WriteFile(path, "[S]\r\n");
  struct Case {
    fs::perms perms;
    bool readOnly;
  };
  for (const Case& c : {Case{fs::perms(0640), false}, Case{fs::perms(0444), true},
                        Case{fs::perms(0400), true}, Case{fs::perms(0604), false}}) {
    fs::permissions(path, c.perms);
    ReadResult r = ReadWholeFile(path);
    ASSERT_EQ(r.status, ReadStatus::kOk);
    EXPECT_EQ(r.permissions, static_cast<uint32_t>(c.perms)) << std::oct << r.permissions;
    EXPECT_EQ(r.readOnly, c.readOnly) << std::oct << static_cast<unsigned>(c.perms);
    EXPECT_EQ(r.readOnly, !IsWritable(path));
  }
}

// The umask is a property of the process, read at its first replace: each
// umask is tried in a process of its own, as a player's session would run.
TEST(FileSystemTest, AReplacementKeepsThePermissionBitsWhateverTheUmask) {
  TempDir dir;
  const std::string path = dir.Path("Engine.ini");
  for (mode_t mask : {mode_t{022}, mode_t{077}, mode_t{0}, mode_t{0227}}) {
    SCOPED_TRACE(mask);
    EXPECT_TRUE(EndsInTime([&] {
      ::umask(mask);
      for (unsigned bits : {0644u, 0664u, 0600u, 0666u, 0640u}) {
        test::WriteFile(path, "old");
        fs::permissions(path, fs::perms(bits));
        if (!ReplaceFileAtomically(path, "new", std::optional<uint32_t>(bits), nullptr) ||
            !ReplaceFileAtomically(path, "newer"))
          return false;
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0 || (st.st_mode & 07777) != bits ||
            test::ReadFile(path) != "newer")
          return false;
      }
      // A new file: 0666 less the umask.
      fs::remove(path);
      struct stat st {};
      return ReplaceFileAtomically(path, "x") && ::stat(path.c_str(), &st) == 0 &&
             (st.st_mode & 0777) == (0666u & ~mask);
    }));
  }
}

// ---- Temporary files of other writers ----

std::vector<std::string> Temporaries(const std::string& folder) {
  std::vector<std::string> found;
  for (const auto& e : fs::directory_iterator(folder)) {
    std::string name = e.path().filename().string();
    if (name.size() > 4 && name[0] == '.' && name.find(".kst") != std::string::npos &&
        name.compare(name.size() - 4, 4, ".tmp") == 0)
      found.push_back(name);
  }
  return found;
}

pid_t Start(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  // LeakSanitizer cannot run under ptrace: the traced helper goes without.
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e)
    if (std::string(*e).rfind("ASAN_OPTIONS=", 0) != 0) env.emplace_back(*e);
  env.emplace_back("ASAN_OPTIONS=detect_leaks=0");
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  pid_t pid = -1;
  if (::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0) return -1;
  return pid;
}

int Wait(pid_t pid) {
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return -1;
  return status;
}

bool Traceable() {
  if (::access(kStrace, X_OK) != 0) return false;
  pid_t pid = Start({kStrace, "-qq", "-o", "/dev/null", "/bin/true"});
  int status = pid > 0 ? Wait(pid) : -1;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool NamespacesAllowed() {
  pid_t pid = Start({"/usr/bin/unshare", "-p", "-f", "/bin/true"});
  int status = pid > 0 ? Wait(pid) : -1;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The helper replacing `target`, its rename held back by strace (`how`:
// "delay_enter=..." or "signal=KILL"), so its temporary file exists.
pid_t StartWriter(const std::string& target, const std::string& how, bool lockFolder) {
  std::vector<std::string> args = {kStrace,        "-f",        "-qq",
                                   "-o",           "/dev/null", "-e",
                                   "trace=rename", "-e",        "inject=rename:" + how,
                                   kHelper,        "write",     target,
                                   "new"};
  if (lockFolder) args.push_back("--lock-folder");
  return Start(args);
}

bool WaitForTemporary(const std::string& folder) {
  for (int i = 0; i < 1000; ++i) {
    if (!Temporaries(folder).empty()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

class TemporaryFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Traceable()) GTEST_SKIP() << "strace is not installed or may not trace here";
    test::WriteFile(target_, "old");
  }
  TempDir dir_;
  std::string folder_ = dir_.path();
  std::string target_ = dir_.Path("Engine.ini");
};

// A scan, in this process or in a process of another pid namespace (where
// the writer's pid means nothing), keeps a live writer's temporary file;
// the writer then completes its replace.
TEST_F(TemporaryFileTest, ALiveWritersFileIsKeptFromAnyNamespace) {
  const bool namespaces = NamespacesAllowed();
  struct Case {
    const char* what;
    bool lockFolder;
    bool otherNamespace;
  };
  for (const Case& c :
       {Case{"writer locks its file", false, false}, Case{"writer holds the folder", true, false},
        Case{"writer locks its file, scan in a new pid namespace", false, true},
        Case{"writer holds the folder, scan in a new pid namespace", true, true}}) {
    SCOPED_TRACE(c.what);
    if (c.otherNamespace && !namespaces) {
      std::printf("[ skipped  ] %s: unshare -p is not permitted here\n", c.what);
      continue;
    }
    test::WriteFile(target_, "old");
    pid_t writer = StartWriter(target_, "delay_enter=2000000", c.lockFolder);
    ASSERT_GT(writer, 0);
    ASSERT_TRUE(WaitForTemporary(folder_));
    std::vector<std::string> live = Temporaries(folder_);
    if (c.otherNamespace) {
      pid_t scan = Start({"/usr/bin/unshare", "-p", "-f", kHelper, "scan", folder_});
      int status = Wait(scan);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    } else {
      RemoveStaleTemporaries(folder_);
    }
    EXPECT_EQ(Temporaries(folder_), live);
    int status = Wait(writer);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(test::ReadFile(target_), "new");
    EXPECT_TRUE(Temporaries(folder_).empty());
  }
}

// A writer killed before its rename leaves its file; the next scan removes it.
TEST_F(TemporaryFileTest, ADeadWritersFileGoes) {
  for (bool lockFolder : {false, true}) {
    SCOPED_TRACE(lockFolder ? "writer held the folder" : "writer locked its file");
    test::WriteFile(target_, "old");
    int status = Wait(StartWriter(target_, "signal=KILL", lockFolder));
    EXPECT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_EQ(Temporaries(folder_).size(), 1u);
    RemoveStaleTemporaries(folder_);
    EXPECT_TRUE(Temporaries(folder_).empty());
    EXPECT_EQ(test::ReadFile(target_), "old");
  }
}

// Liveness is the lock alone: a file named after a running pid (our parent,
// as an older version named them) and held by nobody is stale.
TEST_F(TemporaryFileTest, APidInTheNameDoesNotKeepAFile) {
  const std::string stale = ".Engine.ini.kst" + std::to_string(::getppid()) + "-0.tmp";
  test::WriteFile(dir_.Path(stale), "half");
  test::WriteFile(dir_.Path(".Engine.ini.kstnothex-0.tmp"), "not ours");
  RemoveStaleTemporaries(folder_);
  EXPECT_FALSE(fs::exists(dir_.Path(stale)));
  EXPECT_TRUE(fs::exists(dir_.Path(".Engine.ini.kstnothex-0.tmp")));
}

// While another process holds the folder, a scan judges nothing: that
// holder's temporary files carry no lock of their own.
TEST_F(TemporaryFileTest, NoScanWhileAnotherHoldsTheFolder) {
  const std::string stale = ".Engine.ini.kst0123456789abcdef-0.tmp";
  test::WriteFile(dir_.Path(stale), "half");
  pid_t holder = ::fork();
  if (holder == 0) {
    ScopedFileLock lock(folder_);
    ::sleep(2);
    ::_exit(lock.held() ? 0 : 1);
  }
  ASSERT_GT(holder, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  RemoveStaleTemporaries(folder_);
  EXPECT_TRUE(fs::exists(dir_.Path(stale)));
  ASSERT_EQ(Wait(holder), 0);
  RemoveStaleTemporaries(folder_);
  EXPECT_FALSE(fs::exists(dir_.Path(stale)));
}

TEST(FileLockTest, ASecondHolderTimesOutAndSaysSo) {
  TempDir dir;
  ScopedFileLock first(dir.path());
  ASSERT_TRUE(first.held());
  ScopedFileLock second(dir.path(), 100);
  EXPECT_FALSE(second.held());
  EXPECT_TRUE(second.timedOut());
  ScopedFileLock missing(dir.Path("gone"), 100);
  EXPECT_FALSE(missing.held());
  EXPECT_FALSE(missing.timedOut());
}

}  // namespace
}  // namespace kestrune::platform
