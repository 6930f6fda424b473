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
  std::string ConfigDat() const { return Home() + "/.config/KestruneTools/Config.dat"; }
  std::string GameFolder() const;
  std::string Path(const std::string& name) const { return temp_.Path(name); }

  // PATH for the programs started from now on (empty: the test's own).
  void SetPath(const std::string& path) { path_ = path; }
  // LANG for the programs started from now on (C.UTF-8 unless set).
  void SetLang(const std::string& lang) { lang_ = lang; }
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

  // A visible window by its title (the main window by default: "Kestrune",
  // 880 x 600; a dialog of the same title is told apart by its size), empty
  // when none is visible. `size` ("WxH") narrows the match.
  std::string VisibleWindow(const std::string& name = kMainTitle, const std::string& size = "");
  std::string WaitVisibleWindow(const std::string& name = kMainTitle, int timeoutMs = 8000,
                                const std::string& size = "");
  bool WaitHidden(const std::string& name = kMainTitle, int timeoutMs = 5000,
                  const std::string& size = "");
  static constexpr const char* kMainTitle = "Kestrune";
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
  std::string path_;
  std::string lang_ = "C.UTF-8";
  std::vector<int> started_;
};

bool Eventually(const std::function<bool()>& condition, int timeoutMs);
std::string Shell(const std::string& command);

}  // namespace kestrune::test
