// Processor and memory facts on Linux: sysinfo(), and the sysfs CPU/NUMA
// topology turned into the records the Windows topology query returns (one
// per core, per distinct cache, per package, per NUMA node). CPUID is the
// compiler's: platform/cpuid.cpp.
#include "platform/linux/linux_processor_info.h"

#include <sys/sysinfo.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <map>
#include <set>
#include <tuple>

#include "platform/file_system.h"

namespace kestrune::platform {
namespace {

constexpr int kMaskBits = static_cast<int>(sizeof(uintptr_t) * CHAR_BIT);

std::optional<std::string> ReadText(const std::string& path) {
  ReadResult r = ReadWholeFile(path);
  if (r.status != ReadStatus::kOk) return std::nullopt;
  std::string text = std::move(r.data);
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ' || text.back() == '\0'))
    text.pop_back();
  return text;
}

std::optional<long> ReadNumber(const std::string& path) {
  std::optional<std::string> text = ReadText(path);
  if (!text || text->empty()) return std::nullopt;
  char* end = nullptr;
  long value = std::strtol(text->c_str(), &end, 10);
  if (end == text->c_str()) return std::nullopt;
  return value;
}

// "0-3,8,10-11" -> {0,1,2,3,8,10,11}; nullopt on anything malformed.
std::optional<std::set<int>> ParseCpuList(const std::string& text) {
  std::set<int> cpus;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t comma = text.find(',', pos);
    if (comma == std::string::npos) comma = text.size();
    std::string part = text.substr(pos, comma - pos);
    pos = comma + 1;
    if (part.empty()) continue;
    char* end = nullptr;
    long first = std::strtol(part.c_str(), &end, 10);
    if (end == part.c_str() || first < 0) return std::nullopt;
    long last = first;
    if (*end == '-') {
      const char* second = end + 1;
      last = std::strtol(second, &end, 10);
      if (end == second || last < first) return std::nullopt;
    }
    if (*end != '\0') return std::nullopt;
    if (last - first > 65536) return std::nullopt;
    for (long c = first; c <= last; ++c) cpus.insert(static_cast<int>(c));
  }
  return cpus;
}

uintptr_t MaskOf(const std::set<int>& cpus, const std::set<int>& usable) {
  uintptr_t mask = 0;
  for (int c : cpus)
    if (c < kMaskBits && usable.count(c)) mask |= uintptr_t{1} << c;
  return mask;
}

// "32K" / "8192K" / "8M" -> bytes.
uint32_t ParseCacheSize(const std::string& text) {
  char* end = nullptr;
  unsigned long long value = std::strtoull(text.c_str(), &end, 10);
  if (end == text.c_str()) return 0;
  if (*end == 'K' || *end == 'k') value *= 1024;
  if (*end == 'M' || *end == 'm') value *= 1024ull * 1024;
  if (*end == 'G' || *end == 'g') value *= 1024ull * 1024 * 1024;
  return static_cast<uint32_t>(std::min<unsigned long long>(value, UINT32_MAX));
}

CacheKind ParseCacheKind(const std::string& text) {
  if (text == "Data") return CacheKind::kData;
  if (text == "Instruction") return CacheKind::kInstruction;
  return CacheKind::kUnified;
}

LogicalProcessorRecord Record(ProcessorRelationship relationship, uintptr_t mask) {
  LogicalProcessorRecord r;
  r.relationship = static_cast<uint32_t>(relationship);
  r.processorMask = mask;
  return r;
}

}  // namespace

std::optional<std::vector<LogicalProcessorRecord>> LogicalProcessorRecordsFromSysfs(
    const std::string& sysRoot) {
  const std::string cpuRoot = JoinPath(sysRoot, "devices/system/cpu");
  std::optional<std::string> online = ReadText(JoinPath(cpuRoot, "online"));
  if (!online) online = ReadText(JoinPath(cpuRoot, "possible"));
  if (!online) return std::nullopt;
  std::optional<std::set<int>> onlineSet = ParseCpuList(*online);
  if (!onlineSet) return std::nullopt;
  std::set<int> usable;
  for (int c : *onlineSet)
    if (c < kMaskBits && DirectoryExists(JoinPath(cpuRoot, "cpu" + std::to_string(c))))
      usable.insert(c);
  if (usable.empty()) return std::nullopt;

  std::vector<LogicalProcessorRecord> records;
  uintptr_t inSomeCore = 0;  // each processor belongs to exactly one core
  std::set<std::tuple<int, uint32_t, uintptr_t>> cachesSeen;
  std::map<long, uintptr_t> packages;  // package id -> mask, in id order
  for (int cpu : usable) {
    const std::string dir = JoinPath(cpuRoot, "cpu" + std::to_string(cpu));
    const std::string topo = JoinPath(dir, "topology");
    long package = ReadNumber(JoinPath(topo, "physical_package_id")).value_or(0);
    if (package < 0) package = 0;
    packages[package] |= uintptr_t{1} << cpu;

    std::optional<std::string> siblings = ReadText(JoinPath(topo, "thread_siblings_list"));
    if (!siblings) siblings = ReadText(JoinPath(topo, "core_cpus_list"));
    std::optional<std::set<int>> threads = siblings ? ParseCpuList(*siblings) : std::nullopt;
    const uintptr_t self = uintptr_t{1} << cpu;
    if ((inSomeCore & self) == 0) {
      uintptr_t coreMask = ((threads ? MaskOf(*threads, usable) : 0) | self) & ~inSomeCore;
      inSomeCore |= coreMask;
      LogicalProcessorRecord core = Record(ProcessorRelationship::kProcessorCore, coreMask);
      core.coreFlags = (coreMask & (coreMask - 1)) != 0 ? 1 : 0;
      records.push_back(core);
    }

    for (const DirEntry& e : ListDirectory(JoinPath(dir, "cache"))) {
      if (!e.isDirectory || e.name.rfind("index", 0) != 0) continue;
      const std::string idx = JoinPath(JoinPath(dir, "cache"), e.name);
      std::optional<long> level = ReadNumber(JoinPath(idx, "level"));
      std::optional<std::string> shared = ReadText(JoinPath(idx, "shared_cpu_list"));
      if (!level || !shared) continue;
      std::optional<std::set<int>> sharedSet = ParseCpuList(*shared);
      if (!sharedSet) continue;
      CacheDescriptor cache;
      cache.level = static_cast<uint8_t>(*level);
      cache.kind = ParseCacheKind(ReadText(JoinPath(idx, "type")).value_or(""));
      cache.size = ParseCacheSize(ReadText(JoinPath(idx, "size")).value_or(""));
      cache.associativity =
          static_cast<uint8_t>(ReadNumber(JoinPath(idx, "ways_of_associativity")).value_or(0));
      cache.lineSize =
          static_cast<uint16_t>(ReadNumber(JoinPath(idx, "coherency_line_size")).value_or(0));
      uintptr_t mask = MaskOf(*sharedSet, usable) | (uintptr_t{1} << cpu);
      if (!cachesSeen.insert({cache.level, static_cast<uint32_t>(cache.kind), mask}).second)
        continue;
      LogicalProcessorRecord r = Record(ProcessorRelationship::kCache, mask);
      r.cache = cache;
      records.push_back(r);
    }
  }
  for (const auto& [id, mask] : packages)
    records.push_back(Record(ProcessorRelationship::kProcessorPackage, mask));

  // NUMA nodes with processors of ours; a kernel without NUMA support has
  // no node folder and counts as one node.
  const std::string nodeRoot = JoinPath(sysRoot, "devices/system/node");
  std::map<long, uintptr_t> nodes;
  for (const DirEntry& e : ListDirectory(nodeRoot)) {
    if (!e.isDirectory || e.name.rfind("node", 0) != 0 || e.name.size() == 4) continue;
    char* end = nullptr;
    long id = std::strtol(e.name.c_str() + 4, &end, 10);
    if (*end != '\0' || id < 0) continue;
    std::optional<std::string> list = ReadText(JoinPath(JoinPath(nodeRoot, e.name), "cpulist"));
    std::optional<std::set<int>> set = list ? ParseCpuList(*list) : std::nullopt;
    if (!set) continue;
    uintptr_t mask = MaskOf(*set, usable);
    if (mask != 0) nodes[id] = mask;
  }
  if (nodes.empty()) nodes[0] = MaskOf(usable, usable);
  for (const auto& [id, mask] : nodes) {
    LogicalProcessorRecord r = Record(ProcessorRelationship::kNumaNode, mask);
    r.nodeNumber = static_cast<uint32_t>(id);
    records.push_back(r);
  }
  return records;
}

std::optional<std::vector<LogicalProcessorRecord>> QueryLogicalProcessorInformation() {
  return LogicalProcessorRecordsFromSysfs("/sys");
}

std::string SystemProcessorName() {
  std::optional<std::string> info = ReadText("/proc/cpuinfo");
  if (info) {
    for (const char* field : {"model name", "Processor", "cpu model", "Hardware", "cpu"}) {
      size_t pos = 0;
      while ((pos = info->find(field, pos)) != std::string::npos) {
        bool lineStart = pos == 0 || (*info)[pos - 1] == '\n';
        size_t colon = info->find(':', pos);
        size_t eol = info->find('\n', pos);
        if (lineStart && colon != std::string::npos && colon < eol) {
          std::string key = info->substr(pos, colon - pos);
          while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.pop_back();
          if (key == field) {
            std::string value = info->substr(
                colon + 1, eol == std::string::npos ? std::string::npos : eol - colon - 1);
            size_t first = value.find_first_not_of(" \t");
            if (first != std::string::npos) return value.substr(first);
          }
        }
        pos += 1;
      }
    }
  }
  if (std::optional<std::string> model = ReadText("/sys/firmware/devicetree/base/model"))
    return *model;
  return "";
}

std::optional<uint64_t> TotalPhysicalMemoryBytes() {
  struct sysinfo info {};
  if (::sysinfo(&info) != 0) return std::nullopt;
  return static_cast<uint64_t>(info.totalram) * (info.mem_unit ? info.mem_unit : 1);
}

}  // namespace kestrune::platform
