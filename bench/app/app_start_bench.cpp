// Start-up of the real program: time from process start to the first frame
// of the main window on the screen, and resident memory once it is up (no
// browser tab opened). Needs an X display and a session bus:
//   xvfb-run -a dbus-run-session -- build/bin/bench_app
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include <benchmark/benchmark.h>

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

long long NowMicros() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// One private copy of the program per run, with its own profile.
struct World {
  World() {
    char pattern[] = "/tmp/kestrune-bench-XXXXXX";
    root = ::mkdtemp(pattern);
    fs::create_directories(root + "/bin");
    fs::create_directories(root + "/home/.config");
    fs::create_directories(root + "/run");
    fs::permissions(root + "/run", fs::perms::owner_all);
    for (const char* name : {"kestrune", "Lumeshade.dat"})
      fs::copy_file(std::string(KESTRUNE_BIN_DIR) + "/" + name, root + "/bin/" + name);
    for (auto& e : fs::directory_iterator(KESTRUNE_BIN_DIR))
      if (e.path().extension() == ".so")
        fs::copy_file(e.path(), root + "/bin/" + e.path().filename().string());
    // Nothing leaves the machine: the hosts point at a closed local port.
    fs::create_directories(root + "/home/.config/KestruneTools");
    std::ofstream(root + "/home/.config/KestruneTools/Config.dat")
        << "[general]\r\nPartnerHost=127.0.0.1:1\r\nUpdateHost=127.0.0.1:1\r\n"
           "StatsHost=127.0.0.1:1\r\nUsageReport=0\r\n";
  }
  ~World() {
    // The program starts its renderer (Lumeshade.dat) a moment after its
    // first frame, and a terminated program leaves it running: end every
    // process started from this copy before removing it.
    std::error_code ec;
    for (auto& e : fs::directory_iterator("/proc", ec)) {
      const std::string pid = e.path().filename().string();
      if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
      std::string exe = fs::read_symlink(e.path() / "exe", ec).string();
      if (!ec && exe.rfind(root + "/bin/", 0) == 0) ::kill(std::atoi(pid.c_str()), SIGKILL);
    }
    fs::remove_all(root);
  }
  std::string root;
};

int Start(const World& world) {
  pid_t pid = ::fork();
  if (pid == 0) {
    ::setenv("HOME", (world.root + "/home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (world.root + "/home/.config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (world.root + "/home/.local/share").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (world.root + "/run").c_str(), 1);
    int fd = ::open((world.root + "/log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(fd, 2);
    ::dup2(fd, 1);
    std::string exe = world.root + "/bin/kestrune";
    char* argv[] = {exe.data(), nullptr};
    ::execv(exe.c_str(), argv);
    ::_exit(127);
  }
  return pid;
}

// The "first frame at <µs>" debug line's time stamp; 0 when it never came.
long long WaitFirstFrame(const World& world) {
  for (int i = 0; i < 1000; ++i) {
    std::string log = ReadAll(world.root + "/log");
    size_t at = log.find("first frame at ");
    if (at != std::string::npos) return std::atoll(log.c_str() + at + 15);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return 0;
}

long ResidentKiB(int pid) {
  std::string status = ReadAll("/proc/" + std::to_string(pid) + "/status");
  size_t at = status.find("VmRSS:");
  return at == std::string::npos ? 0 : std::atol(status.c_str() + at + 6);
}

void Stop(int pid) {
  ::kill(pid, SIGTERM);
  ::waitpid(pid, nullptr, 0);
}

void BM_ColdStartToFirstFrame(benchmark::State& state) {
  if (!std::getenv("DISPLAY")) {
    state.SkipWithError("no X display (run under xvfb-run -a dbus-run-session)");
    return;
  }
  // The first GTK program on a fresh X server probes the GL visuals (and
  // maps the GL stack) before its first frame; a desktop session has done
  // that long before Kestrune starts, so one uncounted start does it here.
  static bool warmedUp = false;
  if (!warmedUp) {
    warmedUp = true;
    World world;
    int pid = Start(world);
    WaitFirstFrame(world);
    Stop(pid);
  }
  long rss = 0;
  for (auto _ : state) {
    World world;
    long long started = NowMicros();
    int pid = Start(world);
    long long frame = WaitFirstFrame(world);
    if (frame == 0) {
      Stop(pid);
      state.SkipWithError("the program showed no frame");
      return;
    }
    state.SetIterationTime(static_cast<double>(frame - started) / 1e6);
    // Resident memory once start-up has settled (the renderer is another process).
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    rss = ResidentKiB(pid);
    Stop(pid);
  }
  state.counters["rss_MiB"] = static_cast<double>(rss) / 1024.0;
}
// Five starts, each its own repetition: the median is the figure.
BENCHMARK(BM_ColdStartToFirstFrame)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
