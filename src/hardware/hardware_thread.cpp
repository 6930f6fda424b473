// Hardware thread and start-up hardware step.
#include "hardware/hardware_thread.h"

#include "env/settings_store.h"
#include "hardware/gauge3_lib.h"
#include "hardware/hardware_lib.h"
#include "platform/paths.h"

namespace kestrune {

GpuFacts QueryGpuFacts(const std::string& libraryFolder) {
  TGPUZLib gpu;
  if (libraryFolder.empty())
    gpu.LoadLibraryEntries();
  else
    gpu.LoadLibraryEntries(libraryFolder);
  gpu.QueryAdapters();
  return {gpu.ShaderCount, gpu.CardName, gpu.CardVendor, gpu.VideoMemorySize};
}

void WriteHardwareCache(const GpuFacts& facts) {
  WriteConfig("ShaderCount", std::to_string(facts.ShaderCount));
  WriteConfig("CardName", facts.CardName);
  WriteConfig("CardVendor", facts.CardVendor);
  WriteConfig("VideoMemorySize", std::to_string(facts.VideoMemorySize));
}

GpuFacts ReadHardwareCache() {
  GpuFacts facts;
  facts.ShaderCount = ReadConfigInt("ShaderCount", 0);
  facts.CardName = ReadConfig("CardName");
  facts.CardVendor = ReadConfig("CardVendor");
  facts.VideoMemorySize = ReadConfigInt("VideoMemorySize", 0);
  return facts;
}

namespace {

void StoreFacts(const GpuFacts& facts, THareWareInfo& info) {
  info.ShaderCount = facts.ShaderCount;
  info.CardName = facts.CardName;
  info.CardVendor = facts.CardVendor;
  info.VideoMemorySize = facts.VideoMemorySize;
}

}  // namespace

THardWareThread::THardWareThread(std::string libraryFolder)
    : libraryFolder_(std::move(libraryFolder)) {}

THardWareThread::~THardWareThread() {
  WaitFor();
}

void THardWareThread::Start() {
  if (!thread_.joinable()) thread_ = std::thread([this] { Execute(); });
}

void THardWareThread::WaitFor() {
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

void THardWareThread::Execute() {
  GpuFacts facts = QueryGpuFacts(libraryFolder_);
  ShaderCount = facts.ShaderCount;
  CardName = facts.CardName;
  CardVendor = facts.CardVendor;
  VideoMemorySize = facts.VideoMemorySize;
  WriteHardwareCache(facts);
  if (OnDone) OnDone(this);
}

std::unique_ptr<THardWareThread> DetectHardware(THareWareInfo& info,
                                                THardWareThread::Callback onDone,
                                                const std::string& libraryFolder) {
  THareWareLib lib;
  info.CPUName = lib.GetCPUName();
  info.MemorySize = lib.GetMemorySize();
  if (IsFirstRun()) {
    GpuFacts facts = QueryGpuFacts(libraryFolder);
    StoreFacts(facts, info);
    WriteHardwareCache(facts);
    SetFirstRun(1);
    return nullptr;
  }
  StoreFacts(ReadHardwareCache(), info);
  auto thread = std::make_unique<THardWareThread>(libraryFolder);
  thread->OnDone = std::move(onDone);
  thread->Start();
  return thread;
}

void CopyHardwareResults(THardWareThread& thread, THareWareInfo& info) {
  // The message can overtake the very end of the body: wait for it first.
  thread.WaitFor();
  StoreFacts({thread.ShaderCount, thread.CardName, thread.CardVendor, thread.VideoMemorySize},
             info);
}

THardWareThread::Callback PostHardwareDone(MessageQueue& queue) {
  return [&queue](THardWareThread*) { queue.Post(kHardwareDoneMessage, 0, 0); };
}

}  // namespace kestrune
