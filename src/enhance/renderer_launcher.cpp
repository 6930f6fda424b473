// Renderer launcher and conflict watch.
#include "enhance/renderer_launcher.h"

#include "platform/debug_log.h"
#include "platform/file_system.h"
#include "platform/message_bus.h"
#include "platform/named_mutex.h"
#include "platform/paths.h"

namespace kestrune::enhance {

using platform::WindowKey;

std::string RendererCommandLine(const std::string& rendererPath, bool showChooser) {
  std::string line = "\"" + rendererPath + "\" " + kRendererSwitchService + " ";
  if (showChooser) line += kRendererSwitchChooser;
  return line;
}

std::string RendererPath() {
  return platform::JoinPath(platform::ExecutableFolder(), kRendererFileName);
}

void LaunchRenderer(const ProcessStarter& start, bool showChooser) {
  std::string line = RendererCommandLine(RendererPath(), showChooser);
  DebugLogF("LaunchRenderer: %s", line.c_str());
  if (start) start(line);
}

bool IsOrvaneClientRunning() {
  // Obtaining the mutex means nobody else holds it; letting go right away
  // removes it again. A mutex that cannot be made counts as held.
  platform::MutexResult result = platform::AcquireNamedMutex(kOrvaneMutexName);
  return result.status != platform::MutexOpen::kAcquired;
}

void AskOrvaneClientToYield() {
  if (platform::WindowExists(WindowKey::kClass, kOrvaneWindowClass))
    platform::PostWindowMessage(WindowKey::kClass, kOrvaneWindowClass, kMsgClientYield);
}

bool RendererWindowExists() {
  return platform::WindowExists(WindowKey::kClass, kRendererWindowClass);
}

void NotifyRendererWindow() {
  if (RendererWindowExists())
    platform::PostWindowMessage(WindowKey::kClass, kRendererWindowClass, kMsgRefreshInfo);
}

void PostRendererEnd() {
  if (RendererWindowExists())
    platform::PostWindowMessage(WindowKey::kClass, kRendererWindowClass, kMsgRendererEnd);
}

TRendererWatch::TRendererWatch(WatchTimer& runLumeshadeTimer, WatchTimer& timer1, Hooks hooks)
    : runLumeshadeTimer_(runLumeshadeTimer), timer1_(timer1), hooks_(std::move(hooks)) {}

void TRendererWatch::ServiceStart() {
  if (!hooks_.orvaneClientRunning()) runLumeshadeTimer_.SetEnabled(true);
  if (!timer1_.Enabled()) timer1_.SetEnabled(true);
}

void TRendererWatch::RunLumeshadeTimerTimer() {
  runLumeshadeTimer_.SetEnabled(false);
  if (hooks_.rendererWindowExists()) return;
  LaunchRenderer(hooks_.startProcess, false);
  runLumeshadeTimer_.SetEnabled(true);
}

void TRendererWatch::Timer1Timer() {
  timer1_.SetEnabled(false);
  if (!promptPending_ && hooks_.orvaneClientRunning()) {
    promptPending_ = true;
    if (hooks_.postConflictPrompt) hooks_.postConflictPrompt();
  }
  timer1_.SetEnabled(true);
}

bool TRendererWatch::OnConflictPrompt(const std::function<void()>& bringBack,
                                      const std::function<int()>& showDialog) {
  if (bringBack) bringBack();
  int answer = showDialog ? showDialog() : 2;
  promptPending_ = false;
  if (answer != 1) return true;
  AskOrvaneClientToYield();
  runLumeshadeTimer_.SetEnabled(true);
  return false;
}

}  // namespace kestrune::enhance
