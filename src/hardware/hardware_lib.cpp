// Processor and memory facts over the platform's CPUID, memory and topology
// queries; the arithmetic stays here so it is the same on every system.
#include "hardware/hardware_lib.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/debug_log.h"

namespace kestrune {

std::array<uint32_t, 4> ReadCPUID(uint32_t leaf) {
  return platform::ExecuteCpuid(leaf);
}

std::string BrandStringFromRegisters(const std::array<std::array<uint32_t, 4>, 3>& leaves) {
  char buffer[49] = {};
  size_t offset = 0;
  for (const auto& regs : leaves) {
    for (uint32_t reg : regs) {
      // Each register contributes its four bytes in memory (little-endian) order.
      for (int b = 0; b < 4; ++b) buffer[offset++] = static_cast<char>((reg >> (8 * b)) & 0xFF);
    }
  }
  buffer[48] = '\0';
  return std::string(buffer, strnlen(buffer, 48));
}

std::string THareWareLib::GetCPUName() const {
  if (!platform::HasCpuid()) return platform::SystemProcessorName();
  return BrandStringFromRegisters(
      {ReadCPUID(0x80000002u), ReadCPUID(0x80000003u), ReadCPUID(0x80000004u)});
}

int32_t MemorySizeFromBytes(uint64_t totalBytes) {
  const float g = static_cast<float>(static_cast<double>(totalBytes) / 1024.0 / 1024.0 / 1024.0);
  int32_t best = 1;
  float bestDistance = std::fabs(1.0f - g);
  for (int32_t i = 2; i <= 1024; ++i) {
    float distance = std::fabs(static_cast<float>(i) - g);
    // Strictly smaller only: a tie keeps the lower number (7.5 gives 7).
    if (distance < bestDistance) {
      bestDistance = distance;
      best = i;
    }
  }
  return best;
}

int32_t THareWareLib::GetMemorySize() const {
  std::optional<uint64_t> total = platform::TotalPhysicalMemoryBytes();
  if (!total) DebugLog("GetMemorySize: the memory query failed");
  return MemorySizeFromBytes(total.value_or(0));
}

int CountSetBits(uintptr_t mask) {
  int count = 0;
  constexpr int kBits = static_cast<int>(sizeof(uintptr_t) * 8);
  for (int bit = kBits - 1; bit >= 0; --bit)
    if (mask & (uintptr_t{1} << bit)) ++count;
  return count;
}

std::string FormatProcessorTopology(
    const std::optional<std::vector<platform::LogicalProcessorRecord>>& records) {
  if (!records) return "";
  int nodes = 0, packages = 0, cores = 0, logical = 0;
  for (const platform::LogicalProcessorRecord& r : *records) {
    switch (static_cast<platform::ProcessorRelationship>(r.relationship)) {
      case platform::ProcessorRelationship::kProcessorCore:
        ++cores;
        logical += CountSetBits(r.processorMask);
        break;
      case platform::ProcessorRelationship::kNumaNode:
        ++nodes;
        break;
      case platform::ProcessorRelationship::kProcessorPackage:
        ++packages;
        break;
      default:  // caches and unknown relationships count nowhere
        break;
    }
  }
  char line[160];
  std::snprintf(line, sizeof line,
                "NumaNodes=%d PhysicalProcessorPackages=%d ProcessorCores=%d LogicalProcessors=%d",
                nodes, packages, cores, logical);
  return line;
}

std::string GetProcessorTopology() {
  std::optional<std::vector<platform::LogicalProcessorRecord>> records =
      platform::QueryLogicalProcessorInformation();
  if (!records) DebugLog("GetProcessorTopology: the topology query failed");
  return FormatProcessorTopology(records);
}

int32_t LogicalProcessorsFromTopology(const std::string& line) {
  static const char kLabel[] = "LogicalProcessors=";
  size_t pos = line.find(kLabel);
  if (pos == std::string::npos) return 1;
  pos += sizeof kLabel - 1;
  int64_t value = 0;
  size_t digits = 0;
  while (pos < line.size() && line[pos] >= '0' && line[pos] <= '9' && digits < 10) {
    value = value * 10 + (line[pos] - '0');
    ++pos;
    ++digits;
  }
  if (digits == 0 || value < 1 || value > INT32_MAX) return 1;
  return static_cast<int32_t>(value);
}

void StoreProcessorTopology(THareWareInfo& info) {
  info.LogicalProcessors = LogicalProcessorsFromTopology(GetProcessorTopology());
}

}  // namespace kestrune
