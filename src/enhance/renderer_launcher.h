// The external renderer (Lumeshade.dat beside the program) and the maker's
// desktop application: command lines, the keep-alive and the conflict watch.
// The main window owns the two timers; this model decides what each tick does.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "enhance/renderer_wire.h"

namespace kestrune::enhance {

inline constexpr const char* kOrvaneWindowClass = "Orvane";
inline constexpr const char* kOrvaneMutexName = "orvaneOrvaneRunningMutex";

inline constexpr uint32_t kMsgClientYield = 0x502;     // WM_USER+258, to the "Orvane" window
inline constexpr uint32_t kMsgConflictPrompt = 0x40A;  // WM_USER+10, to the main window

// "\"<path>\" /sub " (background) or "\"<path>\" /sub /ui" (with the chooser).
std::string RendererCommandLine(const std::string& rendererPath, bool showChooser);

// The full path of Lumeshade.dat: the running executable's folder + file name.
std::string RendererPath();

// Starts a command line as a new process; the result is not examined.
using ProcessStarter = std::function<void(const std::string& commandLine)>;

// Starts the renderer (chooser form when showChooser). Does not look for a
// running renderer first and keeps nothing of the process.
void LaunchRenderer(const ProcessStarter& start, bool showChooser);

// True when another process holds the maker application's mutex, or when the
// mutex cannot be tested at all.
bool IsOrvaneClientRunning();

// Posts 0x502 to the "Orvane" window when one exists.
void AskOrvaneClientToYield();

bool RendererWindowExists();
// Posts 0x500 to the renderer's window when one exists (the hot keys changed).
void NotifyRendererWindow();
// Posts 0x503 to the renderer's window when one exists (the program is ending).
void PostRendererEnd();

// A main-window timer as the watch sees it.
class WatchTimer {
 public:
  virtual ~WatchTimer() = default;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
};

// RunLumeshadeTimer (1000 ms) and Timer1 (5000 ms) of the main window, and the
// conflict prompt they lead to.
class TRendererWatch {
 public:
  struct Hooks {
    ProcessStarter startProcess;
    std::function<void()> postConflictPrompt;  // posts 0x40A to the main window
    std::function<bool()> orvaneClientRunning = IsOrvaneClientRunning;
    std::function<bool()> rendererWindowExists = RendererWindowExists;
  };
  TRendererWatch(WatchTimer& runLumeshadeTimer, WatchTimer& timer1, Hooks hooks);

  // Steps 2 and 3 of the service start.
  void ServiceStart();
  void RunLumeshadeTimerTimer();
  void Timer1Timer();

  // The 0x40A handler. bringBack restores the main window from the tray;
  // showDialog shows the companion-program dialog and returns its modal
  // result. Returns true when the program is to exit.
  bool OnConflictPrompt(const std::function<void()>& bringBack,
                        const std::function<int()>& showDialog);

  bool PromptPending() const { return promptPending_; }
  void ClearPromptPending() { promptPending_ = false; }

 private:
  WatchTimer& runLumeshadeTimer_;
  WatchTimer& timer1_;
  Hooks hooks_;
  bool promptPending_ = false;
};

}  // namespace kestrune::enhance
