// Processes on Linux: /proc for the snapshot, kill() to end, posix_spawn to
// start. Started children are reaped by a small waiter thread each, so an
// ended helper never lingers as a zombie.
#include "platform/process.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/file_system.h"

extern char** environ;

namespace kestrune::platform {
namespace {

std::string ReadSmallFile(const std::string& path) {
  ReadResult r = ReadWholeFile(path);
  return r.status == ReadStatus::kOk ? r.data : std::string();
}

// The state letter of /proc/<pid>/stat: after the last ')' of the name.
char ProcessState(const std::string& procDir) {
  std::string stat = ReadSmallFile(procDir + "/stat");
  size_t close = stat.rfind(')');
  if (close == std::string::npos || close + 2 >= stat.size()) return '?';
  return stat[close + 2];
}

// comm is cut at 15 bytes; argv[0] (a Unix or, under Wine, a Windows path)
// carries the full name when it agrees with comm.
std::string ExecutableName(const std::string& procDir) {
  std::string comm = ReadSmallFile(procDir + "/comm");
  while (!comm.empty() && (comm.back() == '\n' || comm.back() == '\0')) comm.pop_back();
  std::string cmdline = ReadSmallFile(procDir + "/cmdline");
  std::string argv0 = cmdline.substr(0, cmdline.find('\0'));
  size_t slash = argv0.find_last_of("/\\");
  std::string base = slash == std::string::npos ? argv0 : argv0.substr(slash + 1);
  if (!comm.empty() && base.size() > comm.size() && base.compare(0, comm.size(), comm) == 0 &&
      comm.size() >= 15)
    return base;
  return comm;
}

void ReapInBackground(pid_t pid) {
  std::thread([pid] {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
}

}  // namespace

std::vector<ProcessEntry> ListProcesses() {
  std::vector<ProcessEntry> list;
  DIR* dir = ::opendir("/proc");
  if (!dir) return list;
  while (dirent* e = ::readdir(dir)) {
    char* end = nullptr;
    long long id = std::strtoll(e->d_name, &end, 10);
    if (id <= 0 || !end || *end != '\0') continue;
    std::string procDir = std::string("/proc/") + e->d_name;
    char state = ProcessState(procDir);
    if (state == '?' || state == 'Z' || state == 'X' || state == 'x') continue;
    ProcessEntry entry;
    entry.id = id;
    entry.exeName = ExecutableName(procDir);
    if (!entry.exeName.empty()) list.push_back(std::move(entry));
  }
  ::closedir(dir);
  return list;
}

bool TerminateProcessById(int64_t id) {
  if (id <= 0) return false;
  return ::kill(static_cast<pid_t>(id), SIGKILL) == 0;
}

bool ProcessIsAlive(int64_t id) {
  if (id <= 0) return false;
  std::string procDir = "/proc/" + std::to_string(id);
  if (!DirectoryExists(procDir)) return false;
  char state = ProcessState(procDir);
  return state != '?' && state != 'Z' && state != 'X' && state != 'x';
}

int64_t SpawnDetached(const std::vector<std::string>& argv, std::string* error) {
  if (argv.empty() || argv[0].empty()) {
    if (error) *error = "empty command line";
    return 0;
  }
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attr;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attr);
  // No handle inheritance: only standard output and error pass on.
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  sigset_t none;
  sigemptyset(&none);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGCHLD);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setflags(&attr,
                           POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  pid_t pid = 0;
  bool searchPath = argv[0].find('/') == std::string::npos;
  int rc = searchPath ? ::posix_spawnp(&pid, args[0], &actions, &attr, args.data(), environ)
                      : ::posix_spawn(&pid, args[0], &actions, &attr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) {
    if (error) *error = std::strerror(rc);
    return 0;
  }
  ReapInBackground(pid);
  return pid;
}

bool IsExecutableFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::string FindInSearchPath(const std::string& name) {
  if (name.empty() || name.find('/') != std::string::npos) return "";
  const char* path = std::getenv("PATH");
  std::string list = path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t pos = 0;
  while (pos <= list.size()) {
    size_t colon = list.find(':', pos);
    if (colon == std::string::npos) colon = list.size();
    std::string folder = list.substr(pos, colon - pos);
    if (!folder.empty()) {
      std::string candidate = JoinPath(folder, name);
      if (IsExecutableFile(candidate)) return candidate;
    }
    pos = colon + 1;
  }
  return "";
}

}  // namespace kestrune::platform
