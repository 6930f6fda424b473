// A notification area of the old kind (the XEmbed system tray protocol) on
// the test's display: it owns the screen's tray selection, announces itself
// to the root window and notes every icon that asks to dock.
#pragma once

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace kestrune::test {

class XEmbedTray {
 public:
  XEmbedTray();  // announced once the constructor returns
  ~XEmbedTray();
  XEmbedTray(const XEmbedTray&) = delete;
  XEmbedTray& operator=(const XEmbedTray&) = delete;

  bool Running() const { return running_; }
  // The windows that asked to dock, in order.
  std::vector<unsigned long> DockRequests();

 private:
  void Serve();
  void* display_ = nullptr;
  unsigned long window_ = 0;
  bool running_ = false;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<unsigned long> docks_;
  std::thread thread_;
};

}  // namespace kestrune::test
