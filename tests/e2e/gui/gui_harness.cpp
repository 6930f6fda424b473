// The GUI test harness.
#include "gui_harness.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "ini/ini_text.h"
#include "platform/message_bus.h"

namespace kestrune::test {

namespace fs = std::filesystem;

bool Eventually(const std::function<bool()>& condition, int timeoutMs) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < end) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return condition();
}

std::string Shell(const std::string& command) {
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[512];
  while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
  ::pclose(pipe);
  while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
  return out;
}

// ---- LoopbackSite ----

LoopbackSite::LoopbackSite() {
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  ::listen(listener_, 16);
  thread_ = std::thread([this] { Serve(); });
}

LoopbackSite::~LoopbackSite() {
  stop_ = true;
  ::shutdown(listener_, SHUT_RDWR);
  ::close(listener_);
  thread_.join();
}

void LoopbackSite::Serve() {
  while (!stop_) {
    int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    std::string request;
    char buffer[2048];
    while (request.find("\r\n\r\n") == std::string::npos) {
      ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      request.append(buffer, static_cast<size_t>(n));
    }
    size_t start = request.find(' ');
    size_t end = start == std::string::npos ? start : request.find(' ', start + 1);
    std::string body =
        "<html><body style='height:3000px'><h1>partner page</h1>"
        "<a id='out' href='http://127.0.0.1:1/outside' target='_blank'>out</a></body></html>";
    if (end != std::string::npos) {
      std::lock_guard<std::mutex> lock(mutex_);
      std::string path = request.substr(start + 1, end - start - 1);
      paths_.push_back(path);
      if (auto it = bodies_.find(path); it != bodies_.end()) body = it->second;
    }
    std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                        std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    (void)!::send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
    ::close(client);
  }
}

std::vector<std::string> LoopbackSite::Paths() {
  std::lock_guard<std::mutex> lock(mutex_);
  return paths_;
}

void LoopbackSite::SetBody(const std::string& path, const std::string& body) {
  std::lock_guard<std::mutex> lock(mutex_);
  bodies_[path] = body;
}

int LoopbackSite::Count(const std::string& path) {
  int n = 0;
  for (const std::string& p : Paths()) n += p == path;
  return n;
}

// ---- GuiWorld ----

GuiWorld::GuiWorld() {
  fs::create_directories(Bin());
  fs::create_directories(Home() + "/.config/KestruneTools");
  fs::create_directories(Home() + "/.local/share");
  fs::create_directories(temp_.Path("run"));
  ::chmod(temp_.Path("run").c_str(), 0700);
  const fs::path built(KESTRUNE_BIN_DIR);
  for (const char* name : {"kestrune", "Lumeshade.dat", "kestrune-cli"})
    if (fs::exists(built / name)) fs::copy_file(built / name, Bin() + "/" + name);
  for (auto& e : fs::directory_iterator(built))
    if (e.path().extension() == ".so")
      fs::copy_file(e.path(), Bin() + "/" + e.path().filename().string());
  // The bus names of the program started here live in this HOME's scope.
  const char* home = std::getenv("HOME");
  savedHome_ = home ? home : "";
  ::setenv("HOME", Home().c_str(), 1);
}

GuiWorld::~GuiWorld() {
  for (int pid : started_) {
    if (Alive(pid)) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
    }
  }
  // The renderer the program started ends with the end message; make sure,
  // also for one that was still starting when the program was killed.
  for (int i = 0; i < 20; ++i) {
    platform::PostWindowMessage(platform::WindowKey::kClass, "ORVANE_RENDER_CLASS", 0x503);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ::setenv("HOME", savedHome_.c_str(), 1);
}

std::string GuiWorld::GameFolder() const {
  return Home() + "/.local/share/TslGame/Saved/Config/WindowsNoEditor";
}

int GuiWorld::Start(const std::vector<std::string>& args, const std::string& logName) {
  std::string log = temp_.Path(logName);
  pid_t pid = ::fork();
  if (pid == 0) {
    ::setenv("HOME", Home().c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (Home() + "/.config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (Home() + "/.local/share").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", temp_.Path("run").c_str(), 1);
    ::setenv("LANG", lang_.c_str(), 1);
    ::unsetenv("LC_ALL");
    ::unsetenv("LC_MESSAGES");
    if (!path_.empty()) ::setenv("PATH", path_.c_str(), 1);
    ::unsetenv("XDG_CURRENT_DESKTOP");
    int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    ::dup2(fd, 1);
    ::dup2(fd, 2);
    ::chdir(temp_.path().c_str());
    std::string exe = Bin() + "/kestrune";
    std::vector<char*> argv{exe.data()};
    std::vector<std::string> copy = args;
    for (std::string& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(exe.c_str(), argv.data());
    ::_exit(127);
  }
  started_.push_back(pid);
  return pid;
}

std::string GuiWorld::Log(const std::string& logName) const {
  return ReadFile(temp_.Path(logName));
}

bool GuiWorld::WaitLog(const std::string& text, int timeoutMs, const std::string& logName) {
  return Eventually([&] { return Log(logName).find(text) != std::string::npos; }, timeoutMs);
}

int GuiWorld::CountLog(const std::string& text, const std::string& logName) const {
  std::string log = Log(logName);
  int n = 0;
  for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
  return n;
}

int GuiWorld::WaitExit(int pid, int timeoutMs) {
  int status = 0;
  bool ended = Eventually([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, timeoutMs);
  if (!ended) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool GuiWorld::Alive(int pid) const {
  return ::waitpid(pid, nullptr, WNOHANG) == 0;
}

std::string GuiWorld::VisibleWindow(const std::string& name, const std::string& size) {
  std::string want = size.empty() && name == kMainTitle ? "880x600" : size;
  std::string ids = Shell("xdotool search --onlyvisible --name '^" + name + "$' 2>/dev/null");
  size_t at = 0;
  while (at < ids.size()) {
    size_t nl = ids.find('\n', at);
    std::string id = ids.substr(at, nl == std::string::npos ? std::string::npos : nl - at);
    at = nl == std::string::npos ? ids.size() : nl + 1;
    if (id.empty()) continue;
    if (want.empty() || Shell("xdotool getwindowgeometry " + id).find(want) != std::string::npos)
      return id;
  }
  return "";
}

std::string GuiWorld::WaitVisibleWindow(const std::string& name, int timeoutMs,
                                        const std::string& size) {
  std::string id;
  Eventually(
      [&] {
        id = VisibleWindow(name, size);
        return !id.empty();
      },
      timeoutMs);
  return id;
}

bool GuiWorld::WaitHidden(const std::string& name, int timeoutMs, const std::string& size) {
  return Eventually([&] { return VisibleWindow(name, size).empty(); }, timeoutMs);
}

std::pair<int, int> GuiWorld::Origin(const std::string& window) {
  std::string geometry = Shell("xdotool getwindowgeometry --shell " + window);
  int x = 0, y = 0;
  size_t px = geometry.find("X="), py = geometry.find("Y=");
  if (px != std::string::npos) x = std::atoi(geometry.c_str() + px + 2);
  if (py != std::string::npos) y = std::atoi(geometry.c_str() + py + 2);
  return {x, y};
}

void GuiWorld::Click(const std::string& window, int x, int y) {
  auto [ox, oy] = Origin(window);
  Shell("xdotool mousemove --sync " + std::to_string(ox + x) + " " + std::to_string(oy + y) +
        " click 1");
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
}

void GuiWorld::Keys(const std::string& window, const std::string& keys) {
  Shell("xdotool windowfocus --sync " + window + " 2>/dev/null; xdotool key --clearmodifiers " +
        keys);
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
}

bool GuiWorld::PostToMain(uint32_t message) {
  return platform::PostWindowMessage(platform::WindowKey::kText, "PUBGMainForm", message);
}

std::string GuiWorld::ReadConfig(const std::string& key) const {
  return ini::ReadValue(ReadFile(ConfigDat()), "general", key).value_or("");
}

}  // namespace kestrune::test
