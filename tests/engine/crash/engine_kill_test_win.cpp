// Kill test of the engine's writes on Windows. A writer process
// (crash_writer_win) runs a heavy Apply on copies of a real player's files
// and this test ends it with TerminateProcess at random moments inside the
// Apply. After each kill every file must be whole: the tree equals the state
// after some number of completed changes of a recorded clean run (each file
// byte-equal to its content before or after one operation), and the next
// engine run leaves no temporary file behind.
//
// KESTRUNE_KILL_RUNS sets the number of kills (default 120), KESTRUNE_KILL_SEED
// the random seed (printed, so a failing run can be repeated).
#include <windows.h>
// (after windows.h)
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "engine/crash/apply_sequence.h"
#include "engine/crash/event_log.h"
#include "engine/pubg_lib.h"
#include "platform/file_system.h"
#include "platform/utf8.h"
#include "support/temp_dir.h"

namespace kestrune::crash {
namespace {

namespace fs = std::filesystem;

const std::string kWriter = std::string(KESTRUNE_BIN_DIR) + "/../test-tools/crash_writer_win.exe";
const std::string kFixtures = std::string(KESTRUNE_FIXTURES) + "/bench/typical";

std::wstring Wide(const std::string& text) {
  std::u16string w = Utf8ToUtf16(text);
  return std::wstring(w.begin(), w.end());
}

std::string Quoted(const std::string& arg) {
  return "\"" + arg + "\"";
}

// A started writer: its process and the file its output goes to.
struct Writer {
  PROCESS_INFORMATION pi{};
  bool started = false;
  ~Writer() {
    if (!started) return;
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
  }
};

// Starts the writer with `args`; standard output goes to `outPath`.
bool Start(Writer& w, const std::vector<std::string>& args, const std::string& outPath) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  // Shared for everything: a killed writer's copy of the handle may close a
  // moment after its process ends.
  HANDLE out = ::CreateFileW(Wide(outPath).c_str(), GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  std::string line = Quoted(kWriter);
  for (const std::string& a : args) line += " " + Quoted(a);
  std::wstring command = Wide(line);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = nullptr;
  si.hStdOutput = out;
  si.hStdError = out;
  // Under Wine, starting a process right after killing one now and then
  // fails with ERROR_INTERNAL_ERROR while the server tidies up the old one;
  // a later attempt succeeds.
  BOOL ok = FALSE;
  for (int attempt = 0; attempt < 5 && !ok; ++attempt) {
    if (attempt > 0) ::Sleep(200 * attempt);
    ok = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                          nullptr, nullptr, &si, &w.pi);
    if (!ok && ::GetLastError() != ERROR_INTERNAL_ERROR) break;
  }
  ::CloseHandle(out);
  w.started = ok != 0;
  return w.started;
}

DWORD WaitForEnd(Writer& w) {
  ::WaitForSingleObject(w.pi.hProcess, 120000);
  DWORD code = 0;
  ::GetExitCodeProcess(w.pi.hProcess, &code);
  return code;
}

// The Apply's duration in microseconds from the writer's last line.
long long Microseconds(const std::string& report) {
  size_t at = report.rfind("microseconds ");
  return at == std::string::npos ? -1 : std::atoll(report.c_str() + at + 13);
}

// Waits for `micros` microseconds by the performance counter (Sleep is too
// coarse to spread kills over an Apply of a few hundred milliseconds).
void SpinFor(long long micros) {
  LARGE_INTEGER frequency, now, start;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&start);
  const long long ticks = micros * frequency.QuadPart / 1000000;
  do {
    ::QueryPerformanceCounter(&now);
  } while (now.QuadPart - start.QuadPart < ticks);
}

// How many paths differ between two trees (either side).
size_t DifferingEntries(const Tree& a, const Tree& b) {
  size_t n = 0;
  for (const auto& [path, data] : a.entries) {
    auto found = b.entries.find(path);
    if (found == b.entries.end() || found->second != data) ++n;
  }
  for (const auto& [path, data] : b.entries)
    if (!a.entries.count(path)) ++n;
  return n;
}

class EngineKillTest : public ::testing::Test {
 protected:
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

  // After a kill, the next engine writes must clear what the dead writer
  // left: one write to each game file and a backup into the same folder.
  // Returns a temporary file still there, empty when all are gone.
  static std::string Recover(const std::string& base) {
    {
      TPUBGLib lib(base);
      lib.SetClock([] { return FixedMoment(); });
      // A process scans a folder the first time it writes there, and this
      // one wrote there in earlier runs: the next program's first scans.
      platform::RemoveStaleTemporaries(lib.GameConfigFolder());
      platform::RemoveStaleTemporaries(lib.BackupRoot);
      lib.BackupConfigFiles();
      lib.WriteIniKey(lib.EngineIniPath, "/script/engine.renderersettings", "r.Probe", "1");
      lib.WriteIniKey(lib.GameUserSettingsPath, "ScalabilityGroups", "sg.Probe", "1");
      lib.WriteIniKey(lib.ScalabilityIniPath, "ScalabilitySettings", "Probe", "1");
    }
    Tree after = Snapshot(base);
    return after.temporaries.empty() ? std::string() : after.temporaries.front();
  }

  static void SetUpTestSuite() {
    shared_ = new Shared;
    Shared& s = *shared_;
    std::string base = s.dir.Path("reference");
    MakeGame(base);
    Tree initial = Snapshot(base);
    Writer rec;
    ASSERT_TRUE(Start(rec, {"record", base, s.dir.Path("events.bin")}, s.dir.Path("record.txt")))
        << kWriter;
    ASSERT_EQ(WaitForEnd(rec), 0u) << test::ReadFile(s.dir.Path("record.txt"));
    s.reference = test::ReadFile(s.dir.Path("record.txt"));
    EventLog log;
    ASSERT_TRUE(log.Load(s.dir.Path("events.bin")));
    s.events = log.Events();
    s.states.push_back(initial);
    for (const Event& e : s.events) {
      s.states.push_back(s.states.back());
      ApplyEvent(s.states.back(), e);
    }
    s.final = Snapshot(base);

    // How long the Apply takes without recording: the window kills aim at.
    for (int i = 0; i < 3; ++i) {
      std::string plain = s.dir.Path("plain");
      MakeGame(plain);
      Writer run;
      ASSERT_TRUE(Start(run, {"run", plain}, s.dir.Path("plain.txt")));
      ASSERT_EQ(WaitForEnd(run), 0u);
      s.applyMicros =
          std::max(s.applyMicros, Microseconds(test::ReadFile(s.dir.Path("plain.txt"))));
    }
  }
  static void TearDownTestSuite() {
    delete shared_;
    shared_ = nullptr;
  }

  struct Shared {
    test::TempDir dir;
    std::string reference;  // the writer's report of a clean run
    std::vector<Event> events;
    std::vector<Tree> states;  // states[r]: after the first r changes
    Tree final;
    long long applyMicros = 0;
  };
  static Shared* shared_;
};

EngineKillTest::Shared* EngineKillTest::shared_ = nullptr;

// The change recorded after the first `done` ones, for a failure message.
template <typename S>
std::string NextChange(const S& s, size_t done) {
  if (done >= s.events.size()) return "none";
  const Event& e = s.events[done];
  return std::string(1, e.kind) + " " + e.path;
}

TEST_F(EngineKillTest, CleanRunIsRecordedAndDeterministic) {
  const Shared& s = *shared_;
  EXPECT_EQ(Difference(s.states.back(), s.final), "");
  EXPECT_TRUE(s.final.temporaries.empty());
  EXPECT_NE(s.reference.find("steps "), std::string::npos);
  EXPECT_EQ(s.reference.find("swallowed"), std::string::npos) << s.reference;
  EXPECT_EQ(s.reference.find("stopped"), std::string::npos) << s.reference;
  // A heavy Apply: a few hundred changes.
  EXPECT_GT(s.events.size(), 200u);
  EXPECT_GT(s.applyMicros, 0);
  // The same work without recording ends in the same tree.
  EXPECT_EQ(Difference(s.final, Snapshot(s.dir.Path("plain"))), "");
}

TEST_F(EngineKillTest, TerminatedAtRandomPointsLeavesWholeFiles) {
  const Shared& s = *shared_;
  const char* runsText = std::getenv("KESTRUNE_KILL_RUNS");
  const int runs = runsText ? std::max(1, std::atoi(runsText)) : 120;
  const char* seedText = std::getenv("KESTRUNE_KILL_SEED");
  const unsigned seed = seedText ? static_cast<unsigned>(std::strtoul(seedText, nullptr, 10))
                                 : std::random_device{}();
  std::printf("[ kill     ] seed %u (KESTRUNE_KILL_SEED repeats it)\n", seed);
  std::mt19937 random(seed);
  // A little past the measured Apply: its end and the barrier are points too.
  std::uniform_int_distribution<long long> delay(0, s.applyMicros + s.applyMicros / 10);

  const std::string base = s.dir.Path("kill");
  std::map<size_t, int> landed;  // completed changes -> kills that left that state
  int withTemporaries = 0;
  int finished = 0;
  for (int run = 0; run < runs; ++run) {
    MakeGame(base);
    const std::string eventName =
        "kestrune-kill-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(run);
    HANDLE ready = ::CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
    ASSERT_NE(ready, nullptr);
    Writer w;
    ASSERT_TRUE(Start(w, {"run", base, eventName}, s.dir.Path("kill.txt")))
        << "run " << run << ": the writer did not start, error " << ::GetLastError();
    long long wait = delay(random);
    HANDLE both[] = {ready, w.pi.hProcess};
    DWORD which = ::WaitForMultipleObjects(2, both, FALSE, 60000);
    ::CloseHandle(ready);
    ASSERT_EQ(which, WAIT_OBJECT_0) << "run " << run << ": the writer never started its Apply";
    SpinFor(wait);
    ::TerminateProcess(w.pi.hProcess, 137);
    DWORD code = WaitForEnd(w);
    if (code == 0) ++finished;  // the Apply ended before the kill

    Tree left = Snapshot(base);
    size_t match = s.states.size();
    for (size_t r = 0; r < s.states.size() && match == s.states.size(); ++r)
      if (Difference(s.states[r], left).empty()) match = r;
    if (match == s.states.size()) {
      // Say how the tree differs from the nearest recorded state.
      size_t nearest = 0, fewest = SIZE_MAX;
      for (size_t r = 0; r < s.states.size(); ++r) {
        size_t differing = DifferingEntries(s.states[r], left);
        if (differing < fewest) fewest = differing, nearest = r;
      }
      ADD_FAILURE() << "run " << run << " (killed after " << wait
                    << " us): the tree is no state of the clean run; nearest is the state after "
                    << nearest << " changes (next: " << NextChange(s, nearest)
                    << "), which differs: " << Difference(s.states[nearest], left);
      continue;
    }
    ++landed[match];
    if (!left.temporaries.empty()) {
      ++withTemporaries;
      std::string stale = Recover(base);
      EXPECT_EQ(stale, "") << "run " << run << ": the next run left a temporary file";
    }
  }
  // The kills must land inside the Apply, not only before or after it.
  int inside = 0;
  for (const auto& [changes, count] : landed)
    if (changes > 0 && changes < s.events.size()) inside += count;
  std::printf(
      "[ kill     ] %d kills over %zu changes: %d inside the Apply at %zu distinct points, "
      "%d after its end, %d left a temporary file\n",
      runs, s.events.size(), inside, landed.size(), finished, withTemporaries);
  EXPECT_GE(inside, runs / 4) << "the kills missed the Apply";
}

}  // namespace
}  // namespace kestrune::crash
