// Processor and memory facts on Windows: GetLogicalProcessorInformation
// and GlobalMemoryStatusEx (CPUID: platform/cpuid.cpp).
#include "platform/processor_info.h"

#include "platform/win32/win32_text.h"

namespace kestrune::platform {

std::optional<std::vector<LogicalProcessorRecord>> QueryLogicalProcessorInformation() {
  DWORD length = 0;
  std::vector<SYSTEM_LOGICAL_PROCESSOR_INFORMATION> buffer(1);
  length = sizeof(SYSTEM_LOGICAL_PROCESSOR_INFORMATION);
  if (!::GetLogicalProcessorInformation(buffer.data(), &length)) {
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return std::nullopt;
    buffer.resize(length / sizeof(SYSTEM_LOGICAL_PROCESSOR_INFORMATION) + 1);
    length = static_cast<DWORD>(buffer.size() * sizeof(SYSTEM_LOGICAL_PROCESSOR_INFORMATION));
    if (!::GetLogicalProcessorInformation(buffer.data(), &length)) return std::nullopt;
  }
  std::vector<LogicalProcessorRecord> records;
  size_t count = length / sizeof(SYSTEM_LOGICAL_PROCESSOR_INFORMATION);
  for (size_t i = 0; i < count && i < buffer.size(); ++i) {
    const SYSTEM_LOGICAL_PROCESSOR_INFORMATION& in = buffer[i];
    LogicalProcessorRecord out;
    out.processorMask = static_cast<uintptr_t>(in.ProcessorMask);
    out.relationship = static_cast<uint32_t>(in.Relationship);
    switch (in.Relationship) {
      case RelationProcessorCore:
        out.coreFlags = in.ProcessorCore.Flags;
        break;
      case RelationNumaNode:
        out.nodeNumber = in.NumaNode.NodeNumber;
        break;
      case RelationCache:
        out.cache.level = in.Cache.Level;
        out.cache.associativity = in.Cache.Associativity;
        out.cache.lineSize = in.Cache.LineSize;
        out.cache.size = in.Cache.Size;
        out.cache.kind = static_cast<CacheKind>(in.Cache.Type);
        break;
      default:
        break;
    }
    records.push_back(out);
  }
  return records;
}

std::string SystemProcessorName() {
  // The name Windows shows, from the processor's registry description.
  wchar_t name[256] = {};
  DWORD size = sizeof name - sizeof(wchar_t);
  if (::RegGetValueW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0",
                     L"ProcessorNameString", RRF_RT_REG_SZ, nullptr, name, &size) != ERROR_SUCCESS)
    return "";
  return win32::Narrow(name);
}

std::optional<uint64_t> TotalPhysicalMemoryBytes() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (!::GlobalMemoryStatusEx(&status)) return std::nullopt;
  return status.ullTotalPhys;
}

}  // namespace kestrune::platform
