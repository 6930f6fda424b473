// Topology records built from fake sysfs trees (Linux).
#include "platform/linux/linux_processor_info.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"

namespace kestrune::platform {
namespace {

using test::TempDir;
using test::WriteFile;

struct MachineShape {
  const char* name;
  int packages;
  int coresPerPackage;
  int threadsPerCore;
  int numaNodes;                 // 0: kernel without a node folder
  const char* online = nullptr;  // default: every CPU
  bool topologyFiles = true;
};

std::string List(const std::vector<int>& cpus) {
  std::string text;
  for (int c : cpus) text += (text.empty() ? "" : ",") + std::to_string(c);
  return text;
}

// Lays out a sysfs tree the way Linux numbers an SMT machine: the first
// thread of every core first, then the second threads (cpu i and i+cores).
void BuildTree(const std::string& root, const MachineShape& m) {
  const int cores = m.packages * m.coresPerPackage;
  const int cpus = cores * m.threadsPerCore;
  const std::string cpuRoot = root + "/devices/system/cpu";
  WriteFile(cpuRoot + "/online",
            m.online ? std::string(m.online) + "\n" : "0-" + std::to_string(cpus - 1) + "\n");
  for (int cpu = 0; cpu < cpus; ++cpu) {
    int core = cpu % cores;
    int package = core / m.coresPerPackage;
    std::vector<int> siblings, packageCpus;
    for (int t = 0; t < m.threadsPerCore; ++t) siblings.push_back(core + t * cores);
    for (int c = 0; c < cpus; ++c)
      if ((c % cores) / m.coresPerPackage == package) packageCpus.push_back(c);
    const std::string dir = cpuRoot + "/cpu" + std::to_string(cpu);
    if (m.topologyFiles) {
      WriteFile(dir + "/topology/physical_package_id", std::to_string(package) + "\n");
      WriteFile(dir + "/topology/core_id", std::to_string(core % m.coresPerPackage) + "\n");
      WriteFile(dir + "/topology/thread_siblings_list", List(siblings) + "\n");
      WriteFile(dir + "/topology/core_siblings_list", List(packageCpus) + "\n");
      struct Cache {
        int level;
        const char* type;
        const char* size;
        bool perPackage;
      };
      const Cache caches[] = {{1, "Data", "32K", false},
                              {1, "Instruction", "32K", false},
                              {2, "Unified", "256K", false},
                              {3, "Unified", "8192K", true}};
      int index = 0;
      for (const Cache& c : caches) {
        std::string idx = dir + "/cache/index" + std::to_string(index++);
        WriteFile(idx + "/level", std::to_string(c.level) + "\n");
        WriteFile(idx + "/type", std::string(c.type) + "\n");
        WriteFile(idx + "/size", std::string(c.size) + "\n");
        WriteFile(idx + "/ways_of_associativity", "8\n");
        WriteFile(idx + "/coherency_line_size", "64\n");
        WriteFile(idx + "/shared_cpu_list", List(c.perPackage ? packageCpus : siblings) + "\n");
      }
    } else {
      WriteFile(dir + "/uevent", "");
    }
  }
  for (int node = 0; node < m.numaNodes; ++node) {
    std::vector<int> nodeCpus;
    for (int c = 0; c < cpus; ++c)
      if ((c % cores) / m.coresPerPackage % m.numaNodes == node) nodeCpus.push_back(c);
    WriteFile(root + "/devices/system/node/node" + std::to_string(node) + "/cpulist",
              List(nodeCpus) + "\n");
  }
  if (m.numaNodes > 0) WriteFile(root + "/devices/system/node/possible", "0\n");
}

struct Counts {
  int nodes = 0, packages = 0, cores = 0, caches = 0, logical = 0, smtCores = 0;
};

Counts CountRecords(const std::vector<LogicalProcessorRecord>& records) {
  Counts n;
  for (const LogicalProcessorRecord& r : records) {
    switch (static_cast<ProcessorRelationship>(r.relationship)) {
      case ProcessorRelationship::kProcessorCore:
        ++n.cores;
        n.logical += __builtin_popcountll(r.processorMask);
        n.smtCores += r.coreFlags;
        break;
      case ProcessorRelationship::kNumaNode:
        ++n.nodes;
        break;
      case ProcessorRelationship::kCache:
        ++n.caches;
        break;
      case ProcessorRelationship::kProcessorPackage:
        ++n.packages;
        break;
    }
  }
  return n;
}

struct TopologyCase {
  MachineShape shape;
  Counts expected;
};

class SysfsTopologyTest : public ::testing::TestWithParam<TopologyCase> {};

TEST_P(SysfsTopologyTest, RecordsMatchTheMachine) {
  TempDir dir;
  BuildTree(dir.path(), GetParam().shape);
  auto records = LogicalProcessorRecordsFromSysfs(dir.path());
  ASSERT_TRUE(records.has_value());
  Counts got = CountRecords(*records);
  const Counts& want = GetParam().expected;
  EXPECT_EQ(got.nodes, want.nodes);
  EXPECT_EQ(got.packages, want.packages);
  EXPECT_EQ(got.cores, want.cores);
  EXPECT_EQ(got.logical, want.logical);
  EXPECT_EQ(got.caches, want.caches);
  EXPECT_EQ(got.smtCores, want.smtCores);
}

INSTANTIATE_TEST_SUITE_P(
    Machines, SysfsTopologyTest,
    ::testing::Values(
        // nodes, packages, cores, caches (3 per core + 1 per package), logical, SMT cores
        TopologyCase{{"quad_core_smt", 1, 4, 2, 1}, {1, 1, 4, 13, 8, 4}},
        TopologyCase{{"dual_socket", 2, 8, 2, 2}, {2, 2, 16, 50, 32, 16}},
        TopologyCase{{"no_numa_folder", 1, 6, 1, 0}, {1, 1, 6, 19, 6, 0}},
        TopologyCase{{"single_cpu", 1, 1, 1, 1}, {1, 1, 1, 4, 1, 0}},
        // cpu5 and cpu7 offline: their cores keep one thread each.
        TopologyCase{{"offline_cpus", 1, 4, 2, 1, "0-4,6"}, {1, 1, 4, 13, 6, 2}},
        // Beyond 64 processors only the first 64 are seen (one processor group).
        TopologyCase{{"wide_machine", 2, 24, 2, 2}, {2, 2, 48, 146, 64, 16}},
        // No topology files: every processor is its own core in package 0.
        TopologyCase{{"bare_cpus", 1, 3, 1, 0, nullptr, false}, {1, 1, 3, 0, 3, 0}}),
    [](const auto& p) { return std::string(p.param.shape.name); });

TEST(SysfsTopologyBadInputTest, UnreadableOrMalformedTreesFail) {
  TempDir dir;
  EXPECT_FALSE(LogicalProcessorRecordsFromSysfs(dir.Path("missing")).has_value());
  WriteFile(dir.Path("devices/system/cpu/online"), "garbage\n");
  EXPECT_FALSE(LogicalProcessorRecordsFromSysfs(dir.path()).has_value());
  WriteFile(dir.Path("devices/system/cpu/online"), "3-1\n");
  EXPECT_FALSE(LogicalProcessorRecordsFromSysfs(dir.path()).has_value());
  // Online processors without folders are not processors.
  WriteFile(dir.Path("devices/system/cpu/online"), "0-3\n");
  EXPECT_FALSE(LogicalProcessorRecordsFromSysfs(dir.path()).has_value());
}

TEST(SysfsTopologyBadInputTest, GarbageInsideTheTreeIsSkipped) {
  TempDir dir;
  BuildTree(dir.path(), {"quad", 1, 4, 2, 1});
  WriteFile(dir.Path("devices/system/cpu/cpu0/topology/thread_siblings_list"), "x-y\n");
  WriteFile(dir.Path("devices/system/cpu/cpu1/cache/index0/shared_cpu_list"), "\xff\xfe");
  WriteFile(dir.Path("devices/system/node/node7/cpulist"), "999999999-\n");
  auto records = LogicalProcessorRecordsFromSysfs(dir.path());
  ASSERT_TRUE(records.has_value());
  Counts got = CountRecords(*records);
  EXPECT_EQ(got.logical, 8);
  EXPECT_EQ(got.nodes, 1);
}

}  // namespace
}  // namespace kestrune::platform
