// Processor and memory facts from the system: the CPUID instruction, the
// logical-processor records (one per core, cache, package and NUMA node, as
// the Windows topology query returns them) and the installed memory.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrune::platform {

// Relationship codes of a topology record, as the Windows query numbers them.
enum class ProcessorRelationship : uint32_t {
  kProcessorCore = 0,
  kNumaNode = 1,
  kCache = 2,
  kProcessorPackage = 3,
};

enum class CacheKind : uint32_t { kUnified = 0, kInstruction = 1, kData = 2, kTrace = 3 };

struct CacheDescriptor {
  uint8_t level = 0;
  uint8_t associativity = 0;
  uint16_t lineSize = 0;
  uint32_t size = 0;
  CacheKind kind = CacheKind::kUnified;
};

// One logical-processor record; the union of the Windows layout is spelled
// out (only the member for the record's relationship is meaningful).
struct LogicalProcessorRecord {
  uintptr_t processorMask = 0;
  uint32_t relationship = 0;  // a ProcessorRelationship value (others occur)
  uint8_t coreFlags = 0;      // processor core: 1 when its threads share the core
  uint32_t nodeNumber = 0;    // NUMA node
  CacheDescriptor cache;      // cache
};

// The records of this machine; nullopt when the system cannot tell.
std::optional<std::vector<LogicalProcessorRecord>> QueryLogicalProcessorInformation();

// CPUID with the given leaf and sub-leaf 0: EAX, EBX, ECX, EDX. All zero
// where the instruction does not exist (see HasCpuid).
std::array<uint32_t, 4> ExecuteCpuid(uint32_t leaf);
bool HasCpuid();

// The processor's name as the system describes it, for machines without
// CPUID (empty when unknown).
std::string SystemProcessorName();

// Installed physical memory in bytes; nullopt when the query fails.
std::optional<uint64_t> TotalPhysicalMemoryBytes();

}  // namespace kestrune::platform
