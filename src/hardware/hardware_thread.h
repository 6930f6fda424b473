// The background refresh of the adapter facts (THardWareThread) and the
// start-up hardware step (DetectHardware).
//
// Threading: the thread's body writes only its own result fields and
// Config.dat; its completion callback runs on the worker thread and must do
// no more than tell the UI thread (PostHardwareDone). The UI thread then
// copies the results into HareWareInfo (CopyHardwareResults), so the facts
// object is only ever written on the UI thread.
//
// Main window use:
//   StoreProcessorTopology(HareWareInfo);
//   hardwareThread_ = DetectHardware(HareWareInfo, PostHardwareDone(queue));
//   ...on kHardwareDoneMessage (UI thread):
//   if (hardwareThread_) { CopyHardwareResults(*hardwareThread_, HareWareInfo);
//                          hardwareThread_.reset(); }  // then redraw the summary
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "hardware/hardware_info.h"
#include "platform/message_queue.h"

namespace kestrune {

// WM_USER + 1: the hardware thread finished; redraw the hardware summary.
inline constexpr uint32_t kHardwareDoneMessage = 0x0400 + 1;

class THardWareThread {
 public:
  using Callback = std::function<void(THardWareThread*)>;

  // Created suspended. `libraryFolder` empty: the executable's folder.
  explicit THardWareThread(std::string libraryFolder = "");
  ~THardWareThread();  // waits for the body
  THardWareThread(const THardWareThread&) = delete;
  THardWareThread& operator=(const THardWareThread&) = delete;

  Callback OnDone;  // may be unset; called on the worker thread
  int32_t ShaderCount = 0;
  std::string CardName;
  std::string CardVendor;
  int32_t VideoMemorySize = 0;

  void Start();
  void WaitFor();  // returns once the body (and the callback) ended

 private:
  void Execute();
  std::string libraryFolder_;
  std::thread thread_;
};

// The adapter facts of one query, and the Config.dat cache of them.
struct GpuFacts {
  int32_t ShaderCount = 0;
  std::string CardName;
  std::string CardVendor;
  int32_t VideoMemorySize = 0;
};
GpuFacts QueryGpuFacts(const std::string& libraryFolder = "");
void WriteHardwareCache(const GpuFacts& facts);
GpuFacts ReadHardwareCache();

// The start-up hardware step (UI thread): processor name and memory, then on
// a first run a synchronous adapter query that is cached and ends the first
// run; on later runs the cached facts at once and a started background
// refresh, which is returned (nullptr on a first run).
std::unique_ptr<THardWareThread> DetectHardware(THareWareInfo& info,
                                                THardWareThread::Callback onDone,
                                                const std::string& libraryFolder = "");

// Copies a finished thread's results into the facts (UI thread only).
void CopyHardwareResults(THardWareThread& thread, THareWareInfo& info);

// A completion callback that posts kHardwareDoneMessage (both parameters 0).
THardWareThread::Callback PostHardwareDone(MessageQueue& queue);

}  // namespace kestrune
