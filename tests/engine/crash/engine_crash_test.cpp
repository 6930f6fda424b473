// Crash and fault-injection test of the engine's writes. A writer process
// (crash_writer) runs a heavy Apply on copies of a real player's files and
// strace kills it at chosen I/O calls, or makes one call fail with ENOSPC or
// EIO. After a kill the tree must be exactly the state after the changes
// that completed (every file whole, before or after its operation); after an
// injected error the run must finish, the failed write must be counted as
// swallowed for its file, and nothing may be left half-written.
//
// KESTRUNE_CRASH_ALL=1 kills at every traced call instead of a spread.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "engine/crash/apply_sequence.h"
#include "engine/crash/event_log.h"
#include "engine/pubg_lib.h"
#include "support/temp_dir.h"

extern char** environ;

namespace kestrune::crash {
namespace {

namespace fs = std::filesystem;

const char* const kStrace = "/usr/bin/strace";
const std::string kWriter = std::string(KESTRUNE_BIN_DIR) + "/crash_writer";
const std::string kFixtures = std::string(KESTRUNE_FIXTURES) + "/bench/typical";

// Calls that change the tree or the bytes on their way to it.
const std::vector<std::string> kKillCalls = {"openat", "write", "fchmod", "close",
                                             "rename", "mkdir", "unlink", "fsync"};

struct Outcome {
  bool exited = false;
  int code = -1;
  int signal = 0;
  std::string out;
  std::string err;
};

Outcome Spawn(const std::vector<std::string>& args, const std::string& scratch) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    if (std::string(*e).rfind("ASAN_OPTIONS=", 0) != 0) env.emplace_back(*e);
  }
  // LeakSanitizer cannot run under ptrace.
  env.emplace_back("ASAN_OPTIONS=detect_leaks=0");
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);

  const std::string outPath = scratch + "/out.txt";
  const std::string errPath = scratch + "/err.txt";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  pid_t pid = 0;
  Outcome o;
  int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return o;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
  }
  o.exited = WIFEXITED(status);
  o.code = o.exited ? WEXITSTATUS(status) : -1;
  o.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  o.out = test::ReadFile(outPath);
  o.err = test::ReadFile(errPath);
  return o;
}

// One traced call of the writer's run, in order.
struct Call {
  std::string name;
  int occurrence = 0;        // 1-based among calls of this name (strace's when=)
  size_t changesBefore = 0;  // tree changes completed before this call
  std::string fdPath;        // the file a write/close/fchmod/fsync/read works on
  bool inSequence = false;
};

// Parses strace -f -y output: "<pid> name(args) = result".
std::vector<Call> ParseTrace(const std::string& log, const std::string& base,
                             size_t* totalChanges) {
  std::vector<Call> calls;
  std::map<std::string, int> seen;
  size_t changes = 0;
  bool started = false;
  size_t pos = 0;
  while (pos < log.size()) {
    size_t eol = log.find('\n', pos);
    if (eol == std::string::npos) eol = log.size();
    std::string line = log.substr(pos, eol - pos);
    pos = eol + 1;
    // The pid is padded to a common width: skip it and the blanks after it.
    size_t space = line.find(' ');
    size_t paren = line.find('(');
    if (space == std::string::npos || paren == std::string::npos || paren < space) continue;
    size_t nameAt = line.find_first_not_of(' ', space);
    Call c;
    c.name = line.substr(nameAt, paren - nameAt);
    if (c.name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_") != std::string::npos)
      continue;
    size_t eq = line.rfind(") = ");
    std::string result = eq == std::string::npos ? "" : line.substr(eq + 4);
    bool ok = !result.empty() && result[0] != '-' && result[0] != '?';
    // First path argument: a quoted string or an fd decorated as 3</path>.
    size_t argsAt = paren;
    if (line.compare(paren + 1, 9, "AT_FDCWD<") == 0) argsAt = line.find('>', paren);
    size_t lt = line.find('<', argsAt);
    size_t quote = line.find('"', argsAt);
    if (lt != std::string::npos && (quote == std::string::npos || lt < quote)) {
      size_t gt = line.find('>', lt);
      if (gt != std::string::npos) c.fdPath = line.substr(lt + 1, gt - lt - 1);
    } else if (quote != std::string::npos) {
      size_t end = line.find('"', quote + 1);
      if (end != std::string::npos) c.fdPath = line.substr(quote + 1, end - quote - 1);
    }
    if (!started && c.fdPath.rfind(base, 0) == 0) started = true;
    c.inSequence = started;
    c.occurrence = ++seen[c.name];
    c.changesBefore = changes;
    calls.push_back(c);
    if (ok && (c.name == "rename" || c.name == "mkdir" ||
               (c.name == "unlink" && !IsTemporaryName(c.fdPath))))
      ++changes;
  }
  *totalChanges = changes;
  return calls;
}

// Target of a temporary file: ".Engine.ini.kst12-3.tmp" -> "Engine.ini".
std::string TargetOfTemporary(const std::string& path) {
  size_t slash = path.find_last_of('/');
  std::string folder = path.substr(0, slash + 1);
  std::string name = path.substr(slash + 2);
  return folder + name.substr(0, name.rfind(".kst"));
}

// Evenly spread picks of `count` out of `items` (all when fewer).
template <typename T>
std::vector<T> Spread(const std::vector<T>& items, size_t count) {
  if (items.size() <= count || std::getenv("KESTRUNE_CRASH_ALL")) return items;
  std::vector<T> picked;
  for (size_t i = 0; i < count; ++i) picked.push_back(items[i * items.size() / count]);
  return picked;
}

class EngineCrashTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (::access(kStrace, X_OK) != 0) return;
    auto shared = std::make_unique<Shared>();
    // Containers may forbid ptrace; then there is nothing to inject with.
    Outcome probe = Spawn({kStrace, "-qq", "-o", "/dev/null", "/bin/true"}, shared->dir.path());
    if (!(probe.exited && probe.code == 0)) return;
    shared_ = shared.release();
    Shared& s = *shared_;
    std::string base = s.dir.Path("reference");
    MakeGame(base);
    Tree initial = Snapshot(base);
    Outcome rec = Spawn({kWriter, "record", base, s.dir.Path("events.bin")}, s.dir.path());
    ASSERT_TRUE(rec.exited && rec.code == 0) << rec.err;
    s.reference = rec.out;
    EventLog log;
    ASSERT_TRUE(log.Load(s.dir.Path("events.bin")));
    s.events = log.Events();
    s.states.push_back(initial);
    for (const Event& e : s.events) {
      s.states.push_back(s.states.back());
      ApplyEvent(s.states.back(), e);
    }
    s.final = Snapshot(base);

    // The same run traced: which call comes after how many changes.
    std::string traced = s.dir.Path("traced");
    MakeGame(traced);
    std::string names;
    for (const std::string& n : kKillCalls) names += (names.empty() ? "" : ",") + n;
    names += ",read,pread64";
    Outcome tr = Spawn({kStrace, "-f", "-qq", "-y", "-e", "trace=" + names, "-o",
                        s.dir.Path("trace.log"), kWriter, "run", traced},
                       s.dir.path());
    ASSERT_TRUE(tr.exited && tr.code == 0) << tr.err;
    s.calls = ParseTrace(test::ReadFile(s.dir.Path("trace.log")), traced, &s.tracedChanges);
    s.tracedFinal = Snapshot(traced);

    // Fault runs record what they change, which costs calls of its own under
    // a sanitizer: number their calls from a traced recording run.
    std::string recorded = s.dir.Path("recorded");
    MakeGame(recorded);
    Outcome rr = Spawn(
        {kStrace, "-f", "-qq", "-y", "-e", "trace=write,rename", "-o", s.dir.Path("record.log"),
         kWriter, "record", recorded, s.dir.Path("record.bin"), "--stop-on-failure"},
        s.dir.path());
    ASSERT_TRUE(rr.exited && rr.code == 0) << rr.err;
    size_t recordedChanges = 0;
    s.recordCalls =
        ParseTrace(test::ReadFile(s.dir.Path("record.log")), recorded, &recordedChanges);
  }
  static void TearDownTestSuite() {
    delete shared_;
    shared_ = nullptr;
  }

  void SetUp() override {
    if (!shared_) GTEST_SKIP() << "strace is not installed or may not trace here";
  }

  // A game folder with the player's Engine.ini and GameUserSettings.ini (no
  // Scalability.ini, so the run also creates a file) and an index that
  // already lists two earlier backups (so losing history would show).
  static void MakeGame(const std::string& base) {
    std::error_code ec;
    fs::remove_all(base, ec);
    fs::create_directories(base);
    TPUBGLib lib(base);
    for (const char* name : {"Engine.ini", "GameUserSettings.ini"})
      test::WriteFile(lib.GameConfigFolder() + name, test::ReadFile(kFixtures + "/" + name));
    test::WriteFile(lib.BackupRoot + "config.dat",
                    "[Backup]\r\nID0=" + lib.BackupRoot +
                        "20171103_214509077\r\nID1=" + lib.BackupRoot + "20180307_140509123\r\n");
  }

  // After a crash, the next run must clear what the dead writer left: a new
  // process (a process scans a folder before its first write there) that
  // writes each game file once and takes a backup into the same folder.
  // Returns a temporary file still there, empty when all are gone.
  static std::string Recover(const std::string& base, const std::string& folder) {
    Outcome o = Spawn({kWriter, "recover", base}, folder);
    if (!(o.exited && o.code == 0)) return "(the recovering run failed: " + o.err + ")";
    Tree after = Snapshot(base);
    return after.temporaries.empty() ? std::string() : after.temporaries.front();
  }

  // Runs happen in memory-backed storage when there is some: a killed run
  // behaves the same on any file system, and the barrier's flushes then cost
  // nothing, which keeps hundreds of runs quick.
  class ScratchDir {
   public:
    ScratchDir() {
      std::string pattern = (::access("/dev/shm", W_OK) == 0 ? std::string("/dev/shm")
                                                             : fs::temp_directory_path().string()) +
                            "/kestrune-crash-XXXXXX";
      if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~ScratchDir() {
      std::error_code ec;
      fs::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }
    std::string Path(const std::string& name) const { return path_ + "/" + name; }

   private:
    std::string path_;
  };

  struct Shared {
    ScratchDir dir;
    std::string reference;  // the writer's report of a clean run
    std::vector<Event> events;
    std::vector<Tree> states;  // states[r]: after the first r changes
    Tree final;
    std::vector<Call> calls;        // of a plain run
    std::vector<Call> recordCalls;  // of a recording run (write and rename only)
    size_t tracedChanges = 0;
    Tree tracedFinal;
  };
  static Shared* shared_;
};

EngineCrashTest::Shared* EngineCrashTest::shared_ = nullptr;

TEST_F(EngineCrashTest, CleanRunIsDeterministic) {
  const Shared& s = *shared_;
  // The recording matches the disk, and the traced run did the same work.
  EXPECT_EQ(Difference(s.states.back(), s.final), "");
  EXPECT_EQ(Difference(s.final, s.tracedFinal), "");
  EXPECT_EQ(s.tracedChanges, s.events.size());
  EXPECT_TRUE(s.final.temporaries.empty());
  EXPECT_NE(s.reference.find("steps "), std::string::npos);
  EXPECT_EQ(s.reference.find("swallowed"), std::string::npos) << s.reference;
  EXPECT_EQ(s.reference.find("stopped"), std::string::npos) << s.reference;
  // A heavy Apply: a few hundred changes.
  EXPECT_GT(s.events.size(), 200u);
}

// Runs `check` for every item on two workers (the runs are mostly waiting
// on ptrace); each worker has its own folder. Returns the failures.
template <typename T, typename Fn>
std::vector<std::string> RunInParallel(const std::vector<T>& items, const std::string& root,
                                       Fn check) {
  constexpr int kWorkers = 2;
  std::vector<std::string> failures;
  std::mutex lock;
  std::atomic<size_t> next{0};
  std::vector<std::thread> workers;
  for (int w = 0; w < kWorkers; ++w) {
    workers.emplace_back([&, w] {
      std::string folder = root + "/worker" + std::to_string(w);
      fs::create_directories(folder);
      for (size_t i = next++; i < items.size(); i = next++) {
        std::string failure = check(items[i], folder);
        if (!failure.empty()) {
          std::lock_guard<std::mutex> hold(lock);
          failures.push_back(failure);
        }
      }
    });
  }
  for (std::thread& t : workers) t.join();
  return failures;
}

std::string Describe(const Call& c, const std::string& how) {
  return c.name + "#" + std::to_string(c.occurrence) + " " + how + " (" + c.fdPath + ")";
}

TEST_F(EngineCrashTest, KilledAtAnyCallLeavesWholeFiles) {
  const Shared& s = *shared_;
  // Every change-making call kind, spread over the whole sequence.
  // (fchmod is rare now: a replacement gets its permission bits at creation.)
  const std::map<std::string, size_t> quota = {{"rename", 80}, {"write", 50},  {"openat", 45},
                                               {"close", 25},  {"fchmod", 10}, {"mkdir", 5},
                                               {"unlink", 5},  {"fsync", 10}};
  std::vector<Call> targets;
  for (const auto& [name, count] : quota) {
    std::vector<Call> ofName;
    for (const Call& c : s.calls)
      if (c.inSequence && c.name == name) ofName.push_back(c);
    for (const Call& c : Spread(ofName, count)) targets.push_back(c);
  }
  ASSERT_GE(targets.size(), 200u);

  auto started = std::chrono::steady_clock::now();
  std::atomic<int> withTemporaries{0};
  std::vector<std::string> failures = RunInParallel(
      targets, s.dir.Path("kill"), [&](const Call& c, const std::string& folder) -> std::string {
        std::string base = folder + "/game";
        std::string what = Describe(c, "kill");
        MakeGame(base);
        Outcome o = Spawn({kStrace, "-f", "-qq", "-o", "/dev/null", "-e", "trace=" + c.name, "-e",
                           "inject=" + c.name + ":signal=KILL:when=" + std::to_string(c.occurrence),
                           kWriter, "run", base},
                          folder);
        if (!o.out.empty()) return what + ": the writer was not killed\n" + o.err;
        if (!(o.signal == SIGKILL || (o.exited && o.code == 128 + SIGKILL)))
          return what + ": unexpected end\n" + o.err;
        Tree left = Snapshot(base);
        std::string diff = Difference(s.states[c.changesBefore], left);
        if (!diff.empty())
          return what + " after " + std::to_string(c.changesBefore) + " changes: " + diff;
        if (!left.temporaries.empty()) {
          ++withTemporaries;
          std::string stale = Recover(base, folder);
          if (!stale.empty()) return what + ": the next run left " + stale;
        }
        return {};
      });
  for (const std::string& f : failures) ADD_FAILURE() << f;
  auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("[ crash    ] %zu kills over %zu changes (%d left a temporary file), %.1f s\n",
              targets.size(), s.events.size(), withTemporaries.load(), seconds);
}

struct Injection {
  Call call;
  std::string error;
};

// After an injected ENOSPC or EIO the run goes on; the failed write is counted
// against its file and everything before it happened as in a clean run.
TEST_F(EngineCrashTest, InjectedWriteErrorsAreCountedAndChangeNothing) {
  const Shared& s = *shared_;
  const std::string traced = s.dir.Path("recorded");
  std::vector<Call> writes;
  std::vector<Call> renames;
  for (const Call& c : s.recordCalls) {
    if (!c.inSequence || !IsTemporaryName(c.fdPath)) continue;
    if (c.name == "write") writes.push_back(c);
    if (c.name == "rename") renames.push_back(c);
  }
  ASSERT_FALSE(writes.empty());
  std::vector<Injection> injections;
  for (const Call& c : Spread(writes, 20)) injections.push_back({c, "ENOSPC"});
  for (const Call& c : Spread(writes, 7)) injections.push_back({c, "EIO"});
  for (const Call& c : Spread(renames, 9)) injections.push_back({c, "EIO"});

  auto started = std::chrono::steady_clock::now();
  std::vector<std::string> failures = RunInParallel(
      injections, s.dir.Path("inject"),
      [&](const Injection& inj, const std::string& folder) -> std::string {
        const Call& c = inj.call;
        std::string what = Describe(c, inj.error);
        std::string base = folder + "/game";
        MakeGame(base);
        Outcome o = Spawn(
            {kStrace, "-f", "-qq", "-o", "/dev/null", "-e", "trace=" + c.name, "-e",
             "inject=" + c.name + ":error=" + inj.error + ":when=" + std::to_string(c.occurrence),
             kWriter, "record", base, folder + "/events.bin", "--stop-on-failure"},
            folder);
        if (!(o.exited && o.code == 0)) return what + ": the writer failed\n" + o.err;
        EventLog log;
        if (!log.Load(folder + "/events.bin")) return what + ": no recording";
        // Everything before the failed operation happened as in a clean run.
        if (log.Events().size() < c.changesBefore) return what + ": changes went missing";
        for (size_t i = 0; i < c.changesBefore; ++i) {
          if (log.Events()[i].path != s.events[i].path || log.Events()[i].data != s.events[i].data)
            return what + ": change " + std::to_string(i) + " differs";
        }
        Tree left = Snapshot(base);
        if (!left.temporaries.empty()) return what + ": left " + left.temporaries.front();
        std::string rel = TargetOfTemporary(c.fdPath).substr(traced.size() + 1);
        if (rel.find("config.dat") != std::string::npos) {
          // The index cannot be written: Apply stops before any writer and
          // the history stays.
          if (o.out.find("stopped index") == std::string::npos)
            return what + ": the index failure did not stop the apply\n" + o.out;
          if (left.entries[rel].find("20171103_214509077") == std::string::npos)
            return what + ": backup history lost";
          return {};
        }
        if (rel.find("BackupFiles/") != std::string::npos) {
          // A backup copy that fails stops the apply before any game file
          // changes: the incomplete folder goes and the index never names it.
          if (o.out.find("stopped backup") == std::string::npos)
            return what + ": the failed copy did not stop the apply\n" + o.out;
          std::string stamped = fs::path(rel).parent_path().string();
          for (const auto& [path, data] : left.entries)
            if (path.rfind(stamped, 0) == 0)
              return what + ": the incomplete backup stayed: " + path;
          if (left.entries["Kestrune/BackupFiles/config.dat"].find(fs::path(stamped).filename()) !=
              std::string::npos)
            return what + ": the incomplete backup was recorded";
          if (!Difference(s.states[0], left).empty())
            return what + ": changed " + Difference(s.states[0], left);
          return {};
        }
        // A game file: exactly one swallowed write, counted for that file.
        std::string expected = "swallowed 1 " + base + "/" + rel + "\n";
        if (o.out.find(expected) == std::string::npos ||
            o.out.find("swallowed") != o.out.rfind("swallowed"))
          return what + ": expected \"" + expected + "\" alone, got\n" + o.out;
        if (o.out.find("stopped") != std::string::npos) return what + ": apply stopped\n" + o.out;
        return {};
      });
  for (const std::string& f : failures) ADD_FAILURE() << f;

  // A failed flush of a backup copy stops the apply before any change to
  // the game files; one at the barrier is reported, and the files stay whole.
  std::vector<Call> syncs;
  std::vector<Call> backupSyncs;
  bool indexWritten = false;
  for (const Call& c : s.calls) {
    if (!c.inSequence) continue;
    if (c.name == "rename" && c.fdPath.find("config.dat") != std::string::npos) indexWritten = true;
    if (c.name == "fsync") (indexWritten ? syncs : backupSyncs).push_back(c);
  }
  std::string base = s.dir.Path("sync");
  ASSERT_FALSE(backupSyncs.empty());
  for (const Call& c : backupSyncs) {
    MakeGame(base);
    Outcome o =
        Spawn({kStrace, "-f", "-qq", "-o", "/dev/null", "-e", "trace=fsync", "-e",
               "inject=fsync:error=EIO:when=" + std::to_string(c.occurrence), kWriter, "run", base},
              s.dir.path());
    ASSERT_TRUE(o.exited && o.code == 0) << o.err;
    EXPECT_NE(o.out.find("stopped backup"), std::string::npos) << c.fdPath << "\n" << o.out;
    EXPECT_EQ(Difference(s.states[0], Snapshot(base)), "") << c.fdPath;
  }
  for (const Call& c : Spread(syncs, 2)) {
    MakeGame(base);
    Outcome o =
        Spawn({kStrace, "-f", "-qq", "-o", "/dev/null", "-e", "trace=fsync", "-e",
               "inject=fsync:error=EIO:when=" + std::to_string(c.occurrence), kWriter, "run", base},
              s.dir.path());
    ASSERT_TRUE(o.exited && o.code == 0) << o.err;
    EXPECT_NE(o.out.find("sync failed"), std::string::npos) << o.out;
    EXPECT_EQ(Difference(s.final, Snapshot(base)), "");
  }
  auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("[ crash    ] %zu injected write errors, %.1f s\n", injections.size() + 2, seconds);
}

// A read that fails must never cost the player data: the operation that
// could not read its file changes nothing and is reported, and the backup
// history survives.
TEST_F(EngineCrashTest, InjectedReadErrorsLoseNothing) {
  const Shared& s = *shared_;
  const std::string traced = s.dir.Path("traced");
  // A file read again after this run wrote it is read through the kept
  // handle (pread64), a file read first with read.
  std::vector<Call> reads;
  for (const Call& c : s.calls)
    if (c.inSequence && (c.name == "read" || c.name == "pread64") && c.fdPath.rfind(traced, 0) == 0)
      reads.push_back(c);
  ASSERT_FALSE(reads.empty());
  // Every read of the backup index, and a spread over the game files.
  std::vector<Call> picks;
  std::vector<Call> others;
  for (const Call& c : reads)
    (c.fdPath.find("config.dat") != std::string::npos ? picks : others).push_back(c);
  for (const Call& c : Spread(others, 10)) picks.push_back(c);
  auto started = std::chrono::steady_clock::now();
  std::vector<std::string> failures = RunInParallel(
      picks, s.dir.Path("readerr"), [&](const Call& c, const std::string& folder) -> std::string {
        std::string what = Describe(c, "EIO");
        std::string base = folder + "/game";
        MakeGame(base);
        Outcome o = Spawn({kStrace, "-f", "-qq", "-o", "/dev/null", "-e", "trace=" + c.name, "-e",
                           "inject=" + c.name + ":error=EIO:when=" + std::to_string(c.occurrence),
                           kWriter, "run", base},
                          folder);
        if (!(o.exited && o.code == 0)) return what + ": the writer failed\n" + o.err;
        Tree left = Snapshot(base);
        if (!left.temporaries.empty()) return what + ": left " + left.temporaries.front();
        const std::string& index = left.entries["Kestrune/BackupFiles/config.dat"];
        if (index.find("20171103_214509077") == std::string::npos ||
            index.find("20180307_140509123") == std::string::npos)
          return what + ": backup history lost\n" + index;
        bool reported = o.out.find("swallowed") != std::string::npos ||
                        o.out.find("stopped") != std::string::npos;
        std::string diff = Difference(s.final, left);
        if (!reported && !diff.empty()) return what + ": silently lost: " + diff + "\n" + o.out;
        return {};
      });
  for (const std::string& f : failures) ADD_FAILURE() << f;
  auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("[ crash    ] %zu injected read errors, %.1f s\n", picks.size(), seconds);
}

}  // namespace
}  // namespace kestrune::crash
