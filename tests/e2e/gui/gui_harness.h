// Runs the real program under the test's X display: a private copy of bin/,
// HOME and the XDG folders in a temporary folder, its debug lines captured;
// xdotool for pointer and keys, the message bus for the program's messages,
// and a loopback HTTP server standing for the partner site.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

namespace kestrune::test {

// A tiny HTTP server on 127.0.0.1: answers every GET with a small page and
// records the request paths.
class LoopbackSite {
 public:
  LoopbackSite();
  ~LoopbackSite();
  int Port() const { return port_; }
  std::vector<std::string> Paths();
  int Count(const std::string& path);
  // The answer for one path (every other path gets a small page).
  void SetBody(const std::string& path, const std::string& body);

 private:
  void Serve();
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::string> paths_;
  std::map<std::string, std::string> bodies_;
  std::thread thread_;
};

class GuiWorld {
 public:
  GuiWorld();
  ~GuiWorld();
  GuiWorld(const GuiWorld&) = delete;
  GuiWorld& operator=(const GuiWorld&) = delete;

  std::string Bin() const { return temp_.Path("bin"); }
  std::string Home() const { return temp_.Path("home"); }
  std::string ConfigDat() const { return Bin() + "/Config.dat"; }
  std::string GameFolder() const;
  std::string Path(const std::string& name) const { return temp_.Path(name); }

  // Starts bin/kestrune with these arguments; returns its pid.
  int Start(const std::vector<std::string>& args = {}, const std::string& logName = "log");
  // Waits until the log holds `text` (the debug output of the program and
  // of the renderer it started).
  bool WaitLog(const std::string& text, int timeoutMs = 8000, const std::string& logName = "log");
  std::string Log(const std::string& logName = "log") const;
  int CountLog(const std::string& text, const std::string& logName = "log") const;
  // Waits for the process to end; its exit status, or -1 on time-out.
  int WaitExit(int pid, int timeoutMs = 8000);
  bool Alive(int pid) const;

  // The visible main window's id, 0 when none is visible.
  std::string VisibleWindow(const std::string& name = "PUBGMainForm");
  std::string WaitVisibleWindow(const std::string& name = "PUBGMainForm", int timeoutMs = 8000);
  bool WaitHidden(const std::string& name = "PUBGMainForm", int timeoutMs = 5000);
  // Click at client coordinates of a window.
  void Click(const std::string& window, int x, int y);
  void Keys(const std::string& window, const std::string& keys);
  // The window's top-left corner on the screen.
  std::pair<int, int> Origin(const std::string& window);

  // Posts a message to the main window over the bus (as another process would).
  bool PostToMain(uint32_t message);

  std::string ReadConfig(const std::string& key) const;

 private:
  TempDir temp_;
  std::string savedHome_;
  std::vector<int> started_;
};

bool Eventually(const std::function<bool()>& condition, int timeoutMs);
std::string Shell(const std::string& command);

}  // namespace kestrune::test
