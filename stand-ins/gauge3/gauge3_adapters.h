// The GPU information library's own view of the machine: display adapters
// (Linux: the kernel's DRM devices named from pci.ids; Windows: DXGI), with
// the video memory the driver reports and a shader count from a table of
// known adapters.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gauge3 {

struct Adapter {
  std::string name;
  std::string vendorId;       // four upper-case hexadecimal digits, e.g. "10DE"
  std::string deviceId;       // same form
  int64_t videoMemoryMb = 0;  // 0 when the driver does not say
  int32_t shaderCount = 0;    // 0 when the adapter is not in the table
};

// This machine's adapters, in the system's order.
std::vector<Adapter> DiscoverSystemAdapters();

// The record for one adapter: ids as four upper-case hexadecimal digits, the
// memory in MiB (rounded down), the shader count from the table.
Adapter MakeAdapter(std::string name, uint16_t vendor, uint16_t device,
                    uint64_t dedicatedMemoryBytes);

// Linux: adapters under `drmRoot` (normally /sys/class/drm), one per cardN whose
// device names a PCI vendor, in card order. Names come from the first
// readable file of `pciIdsPaths`.
std::vector<Adapter> DiscoverAdapters(const std::string& drmRoot,
                                      const std::vector<std::string>& pciIdsPaths);

// "NVIDIA GeForce GTX 1060 6GB" style name for a vendor/device pair out of
// pci.ids text; a plain "Vendor device XXXX" when the pair is unknown.
std::string AdapterName(const std::string& pciIds, uint16_t vendor, uint16_t device);

// Shader units of well-known adapters; 0 for anything else.
int32_t KnownShaderCount(uint16_t vendor, uint16_t device);

// Small file helpers shared by the discovery back-ends.
std::string ReadSmall(const std::string& path);  // at most 256 bytes, trailing blanks cut
std::string ReadWhole(const std::string& path);
bool ParseHex16(const std::string& text, uint16_t* out);
std::string Hex4(uint16_t value);

}  // namespace gauge3
