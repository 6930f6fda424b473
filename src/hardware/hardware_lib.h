// Processor and memory facts: the brand string, installed memory in whole
// gigabytes and the processor topology line, plus the rule that turns the
// line into HareWareInfo's logical processor count.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "hardware/hardware_info.h"
#include "platform/processor_info.h"

namespace kestrune {

// Stateless; the caller creates one for the start-up query.
class THareWareLib {
 public:
  // The processor brand string exactly as reported (leading blanks kept, at
  // most 48 characters); on machines without CPUID the system's name for it.
  std::string GetCPUName() const;
  // Installed memory in gigabytes, nearest whole number, 1..1024.
  int32_t GetMemorySize() const;
};

// EAX, EBX, ECX, EDX after CPUID with `leaf` and sub-leaf 0.
std::array<uint32_t, 4> ReadCPUID(uint32_t leaf);

// Number of 1 bits of a processor affinity mask.
int CountSetBits(uintptr_t mask);

// "NumaNodes=%d PhysicalProcessorPackages=%d ProcessorCores=%d LogicalProcessors=%d",
// or empty when the system query fails.
std::string GetProcessorTopology();

// The pieces, for callers that already hold the data.
std::string BrandStringFromRegisters(const std::array<std::array<uint32_t, 4>, 3>& leaves);
int32_t MemorySizeFromBytes(uint64_t totalBytes);
std::string FormatProcessorTopology(
    const std::optional<std::vector<platform::LogicalProcessorRecord>>& records);

// The number after "LogicalProcessors=" when it is 1 or more; otherwise 1.
int32_t LogicalProcessorsFromTopology(const std::string& line);

// The start-up topology step: GetProcessorTopology into info.LogicalProcessors.
void StoreProcessorTopology(THareWareInfo& info);

}  // namespace kestrune
