// Processor and memory facts: brand string, memory rounding, bit counting,
// topology line and the logical-processor rule.
#include "hardware/hardware_lib.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kestrune {
namespace {

using platform::LogicalProcessorRecord;
using platform::ProcessorRelationship;

// The three CPUID leaves that carry `brand` (48 bytes, zero-padded).
std::array<std::array<uint32_t, 4>, 3> LeavesFor(const std::string& brand) {
  char bytes[48] = {};
  std::memcpy(bytes, brand.data(), std::min<size_t>(brand.size(), 48));
  std::array<std::array<uint32_t, 4>, 3> leaves{};
  for (int i = 0; i < 12; ++i) {
    uint32_t reg = 0;
    for (int b = 0; b < 4; ++b)
      reg |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i * 4 + b])) << (8 * b);
    leaves[i / 4][i % 4] = reg;
  }
  return leaves;
}

TEST(BrandStringTest, KeptExactlyAsReported) {
  const std::string cases[] = {
      "       Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz",   // leading blanks stay
      "AMD Ryzen 7 5800X 8-Core Processor             ",  // trailing blanks stay
      "",
  };
  for (const std::string& brand : cases)
    EXPECT_EQ(BrandStringFromRegisters(LeavesFor(brand)), brand);
  // All 48 bytes used: no terminator inside, still 48 characters.
  std::string full(48, 'x');
  EXPECT_EQ(BrandStringFromRegisters(LeavesFor(full)), full);
  // Text stops at the first zero byte.
  EXPECT_EQ(BrandStringFromRegisters(LeavesFor(std::string("ab\0cd", 5))), "ab");
}

struct MemoryCase {
  double gigabytes;
  int32_t expected;
};

TEST(MemorySizeTest, NearestWholeGigabyteWithTiesDown) {
  const MemoryCase cases[] = {
      {16, 16},    {7.5, 7}, {7.51, 8},    {0.3, 1},     {0, 1},         {1.5, 1},
      {15.87, 16}, {2.5, 2}, {1024, 1024}, {1500, 1024}, {1024.5, 1024}, {1023.5, 1023},
  };
  for (const MemoryCase& c : cases) {
    uint64_t bytes = static_cast<uint64_t>(c.gigabytes * 1024.0 * 1024.0 * 1024.0);
    EXPECT_EQ(MemorySizeFromBytes(bytes), c.expected) << c.gigabytes;
  }
}

TEST(CountSetBitsTest, Masks) {
  const std::pair<uintptr_t, int> cases[] = {
      {0, 0}, {1, 1}, {0xFF, 8}, {0x8000000000000001ull, 2}, {~uintptr_t{0}, 64}, {0xAAAA, 8}};
  for (const auto& [mask, bits] : cases) EXPECT_EQ(CountSetBits(mask), bits) << mask;
}

LogicalProcessorRecord Rec(uint32_t relationship, uintptr_t mask) {
  LogicalProcessorRecord r;
  r.relationship = relationship;
  r.processorMask = mask;
  return r;
}

TEST(ProcessorTopologyTest, CountsRecordsByRelationship) {
  // Four cores with two threads each, one package, one node, caches between.
  std::vector<LogicalProcessorRecord> records;
  for (int core = 0; core < 4; ++core) {
    records.push_back(Rec(0, (uintptr_t{1} << core) | (uintptr_t{1} << (core + 4))));
    records.push_back(Rec(2, (uintptr_t{1} << core) | (uintptr_t{1} << (core + 4))));
  }
  records.push_back(Rec(3, 0xFF));
  records.push_back(Rec(2, 0xFF));
  records.push_back(Rec(1, 0xFF));
  records.push_back(Rec(7, 0xFF));  // an unknown relationship counts nowhere
  std::string line = FormatProcessorTopology(records);
  EXPECT_EQ(line, "NumaNodes=1 PhysicalProcessorPackages=1 ProcessorCores=4 LogicalProcessors=8");
  EXPECT_EQ(LogicalProcessorsFromTopology(line), 8);
}

TEST(ProcessorTopologyTest, FailedQueries) {
  EXPECT_EQ(FormatProcessorTopology(std::nullopt), "");
  // One zero-filled record (a first call that failed with another error).
  std::string zero = FormatProcessorTopology(std::vector<LogicalProcessorRecord>(1));
  EXPECT_EQ(zero, "NumaNodes=0 PhysicalProcessorPackages=0 ProcessorCores=1 LogicalProcessors=0");
  EXPECT_EQ(LogicalProcessorsFromTopology(zero), 1);
}

TEST(ProcessorTopologyTest, LogicalProcessorRule) {
  const std::pair<const char*, int32_t> cases[] = {
      {"", 1},
      {"NumaNodes=1 PhysicalProcessorPackages=1 ProcessorCores=4 LogicalProcessors=8", 8},
      {"LogicalProcessors=0", 1},
      {"LogicalProcessors=", 1},
      {"LogicalProcessors=x", 1},
      {"ProcessorCores=4", 1},
      {"LogicalProcessors=64", 64},
      {"LogicalProcessors=99999999999", 1},
  };
  for (const auto& [line, expected] : cases)
    EXPECT_EQ(LogicalProcessorsFromTopology(line), expected) << line;
}

TEST(HareWareLibLiveTest, ThisMachine) {
  THareWareLib lib;
  EXPECT_FALSE(lib.GetCPUName().empty());
  int32_t memory = lib.GetMemorySize();
  EXPECT_GE(memory, 1);
  EXPECT_LE(memory, 1024);
  THareWareInfo info;
  StoreProcessorTopology(info);
  EXPECT_GE(info.LogicalProcessors, 1);
}

}  // namespace
}  // namespace kestrune
