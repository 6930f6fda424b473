// Small PE and ELF images that carry a given version resource, built in
// memory for the version reader's tests.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kestrune::test {

inline void PutInt(std::string& b, size_t at, uint64_t v, int width, bool big = false) {
  if (b.size() < at + static_cast<size_t>(width)) b.resize(at + static_cast<size_t>(width), '\0');
  for (int i = 0; i < width; ++i) {
    int shift = 8 * (big ? width - 1 - i : i);
    b[at + static_cast<size_t>(i)] = static_cast<char>((v >> shift) & 0xFF);
  }
}

// A PE image with one ".rsrc" section: RT_VERSION / 1 / one entry per
// language -> its resource, in the order given (a real resource compiler sorts
// them by language). No resources give a PE without a resource directory.
inline std::string BuildPeWithLanguages(
    const std::vector<std::pair<uint16_t, std::string>>& resources, bool pe32Plus = false) {
  std::string b(0x200, '\0');
  b[0] = 'M';
  b[1] = 'Z';
  PutInt(b, 0x3C, 0x40, 4);
  b.replace(0x40, 4, std::string("PE\0\0", 4));
  const size_t coff = 0x44;
  const uint16_t optionalSize = pe32Plus ? 240 : 224;
  PutInt(b, coff, pe32Plus ? 0x8664 : 0x14C, 2);
  PutInt(b, coff + 2, 1, 2);
  PutInt(b, coff + 16, optionalSize, 2);
  PutInt(b, coff + 18, 0x2102, 2);
  const size_t opt = coff + 20;
  PutInt(b, opt, pe32Plus ? 0x20B : 0x10B, 2);
  const size_t dirs = opt + (pe32Plus ? 112 : 96);
  PutInt(b, opt + (pe32Plus ? 108 : 92), 16, 4);

  std::string rsrc;
  if (!resources.empty()) {
    const size_t n = resources.size();
    auto dir = [&](size_t at, size_t entries) {
      if (rsrc.size() < at + 16 + entries * 8) rsrc.resize(at + 16 + entries * 8, '\0');
      PutInt(rsrc, at + 14, entries, 2);  // id entries only
    };
    auto entry = [&](size_t at, size_t i, uint32_t id, uint32_t target) {
      PutInt(rsrc, at + 16 + i * 8, id, 4);
      PutInt(rsrc, at + 20 + i * 8, target, 4);
    };
    dir(0x00, 1);
    entry(0x00, 0, 16, 0x80000000u | 0x18);
    dir(0x18, 1);
    entry(0x18, 0, 1, 0x80000000u | 0x30);
    dir(0x30, n);
    const size_t dataEntries = 0x30 + 16 + n * 8;
    size_t data = dataEntries + n * 16;
    rsrc.resize(data, '\0');
    for (size_t i = 0; i < n; ++i) {
      entry(0x30, i, resources[i].first, static_cast<uint32_t>(dataEntries + i * 16));
      PutInt(rsrc, dataEntries + i * 16, 0x1000 + rsrc.size(), 4);
      PutInt(rsrc, dataEntries + i * 16 + 4, resources[i].second.size(), 4);
      rsrc += resources[i].second;
      rsrc.resize((rsrc.size() + 3) & ~size_t{3}, '\0');
    }
    PutInt(b, dirs + 16, 0x1000, 4);
    PutInt(b, dirs + 20, rsrc.size(), 4);
  } else {
    rsrc = std::string(16, '\0');
  }
  const size_t section = opt + optionalSize;
  b.replace(section, 8, std::string(".rsrc\0\0\0", 8));
  size_t raw = (rsrc.size() + 0x1FF) & ~size_t{0x1FF};
  PutInt(b, section + 8, rsrc.size(), 4);
  PutInt(b, section + 12, 0x1000, 4);
  PutInt(b, section + 16, raw, 4);
  PutInt(b, section + 20, 0x200, 4);
  rsrc.resize(raw, '\0');
  return b + rsrc;
}

// The same with one resource (none when `resource` is empty).
inline std::string BuildPe(const std::string& resource, bool pe32Plus = false,
                           uint16_t language = 0x0804) {
  if (resource.empty()) return BuildPeWithLanguages({}, pe32Plus);
  return BuildPeWithLanguages({{language, resource}}, pe32Plus);
}

// A relocatable ELF image with sections null, .shstrtab and `sectionName`
// holding the resource.
inline std::string BuildElf(const std::string& resource, bool is64 = true, bool big = false,
                            const std::string& sectionName = ".kestrune.version") {
  const size_t ehsize = is64 ? 64 : 52, shsize = is64 ? 64 : 40;
  const int word = is64 ? 8 : 4;
  std::string b(ehsize, '\0');
  b.replace(0, 4,
            "\x7f"
            "ELF");
  b[4] = is64 ? 2 : 1;
  b[5] = big ? 2 : 1;
  b[6] = 1;
  PutInt(b, 16, 1, 2, big);
  PutInt(b, 18, is64 ? 62 : 3, 2, big);
  PutInt(b, 20, 1, 4, big);
  std::string names = std::string("\0.shstrtab\0", 11) + sectionName + std::string("\0", 1);
  const size_t namesAt = b.size();
  b += names;
  while (b.size() % 8) b.push_back('\0');
  const size_t dataAt = b.size();
  b += resource;
  while (b.size() % 8) b.push_back('\0');
  const size_t shoff = b.size();
  b.resize(shoff + 3 * shsize, '\0');
  auto section = [&](int index, uint32_t name, uint32_t type, uint64_t offset, uint64_t size) {
    size_t h = shoff + static_cast<size_t>(index) * shsize;
    PutInt(b, h, name, 4, big);
    PutInt(b, h + 4, type, 4, big);
    PutInt(b, h + (is64 ? 24 : 16), offset, word, big);
    PutInt(b, h + (is64 ? 32 : 20), size, word, big);
  };
  section(1, 1, 3, namesAt, names.size());
  section(2, 11, 1, dataAt, resource.size());
  PutInt(b, is64 ? 0x28 : 0x20, shoff, word, big);
  PutInt(b, is64 ? 0x34 : 0x28, ehsize, 2, big);
  PutInt(b, is64 ? 0x3A : 0x2E, shsize, 2, big);
  PutInt(b, is64 ? 0x3C : 0x30, 3, 2, big);
  PutInt(b, is64 ? 0x3E : 0x32, 1, 2, big);
  return b;
}

}  // namespace kestrune::test
