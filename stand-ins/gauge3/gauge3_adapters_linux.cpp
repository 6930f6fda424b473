// Adapter discovery on Linux: the kernel's DRM devices under sysfs, named
// from pci.ids.
#include <dirent.h>

#include <algorithm>
#include <cstdlib>

#include "gauge3_adapters.h"

namespace gauge3 {

std::vector<Adapter> DiscoverAdapters(const std::string& drmRoot,
                                      const std::vector<std::string>& pciIdsPaths) {
  std::vector<std::pair<long, std::string>> cards;
  if (DIR* dir = ::opendir(drmRoot.c_str())) {
    while (dirent* e = ::readdir(dir)) {
      std::string name = e->d_name;
      if (name.size() <= 4 || name.compare(0, 4, "card") != 0) continue;
      if (name.find_first_not_of("0123456789", 4) != std::string::npos) continue;  // connectors
      cards.emplace_back(std::atol(name.c_str() + 4), name);
    }
    ::closedir(dir);
  }
  std::sort(cards.begin(), cards.end());

  std::string pciIds;
  std::vector<Adapter> adapters;
  for (const auto& [number, card] : cards) {
    const std::string device = drmRoot + "/" + card + "/device";
    uint16_t vendorId = 0, deviceId = 0;
    if (!ParseHex16(ReadSmall(device + "/vendor"), &vendorId)) continue;
    if (!ParseHex16(ReadSmall(device + "/device"), &deviceId)) continue;
    if (pciIds.empty()) {
      for (const std::string& path : pciIdsPaths) {
        pciIds = ReadWhole(path);
        if (!pciIds.empty()) break;
      }
    }
    // amdgpu exposes its memory in bytes; other drivers keep it to themselves.
    unsigned long long bytes = 0;
    std::string vram = ReadSmall(device + "/mem_info_vram_total");
    if (!vram.empty()) {
      char* end = nullptr;
      bytes = std::strtoull(vram.c_str(), &end, 10);
      if (*end != '\0') bytes = 0;
    }
    adapters.push_back(
        MakeAdapter(AdapterName(pciIds, vendorId, deviceId), vendorId, deviceId, bytes));
  }
  return adapters;
}

std::vector<Adapter> DiscoverSystemAdapters() {
  return DiscoverAdapters("/sys/class/drm",
                          {"/usr/share/hwdata/pci.ids", "/usr/share/misc/pci.ids"});
}

}  // namespace gauge3
