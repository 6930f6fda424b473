// The live processor and memory queries on the machine the tests run on
// (every system).
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "platform/processor_info.h"

namespace kestrune::platform {
namespace {

TEST(ProcessorInfoLiveTest, ThisMachine) {
  auto records = QueryLogicalProcessorInformation();
  ASSERT_TRUE(records.has_value());
  int nodes = 0, packages = 0, logical = 0;
  for (const LogicalProcessorRecord& r : *records) {
    switch (static_cast<ProcessorRelationship>(r.relationship)) {
      case ProcessorRelationship::kProcessorCore:
        logical += __builtin_popcountll(r.processorMask);
        break;
      case ProcessorRelationship::kNumaNode:
        ++nodes;
        break;
      case ProcessorRelationship::kProcessorPackage:
        ++packages;
        break;
      default:
        break;
    }
  }
  unsigned online = std::thread::hardware_concurrency();
  if (online > 0 && online <= 64) {
    EXPECT_EQ(logical, static_cast<int>(online));
  }
  EXPECT_GE(nodes, 1);
  EXPECT_GE(packages, 1);
  std::optional<uint64_t> memory = TotalPhysicalMemoryBytes();
  ASSERT_TRUE(memory.has_value());
  EXPECT_GT(*memory, 64u << 20);
#if defined(__x86_64__)
  EXPECT_TRUE(HasCpuid());
  EXPECT_GE(ExecuteCpuid(0)[0], 1u);  // highest basic leaf
  // The brand string leaves exist on every x86-64 processor.
  EXPECT_GE(ExecuteCpuid(0x80000000)[0], 0x80000004u);
#endif
}

}  // namespace
}  // namespace kestrune::platform
