// The GPU information library's portable half: adapter names from pci.ids,
// the shader table and the record each system's discovery fills in.
#include "gauge3_adapters.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace gauge3 {

std::string ReadSmall(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "";
  std::string text;
  char buffer[256];
  in.read(buffer, sizeof buffer);
  text.assign(buffer, static_cast<size_t>(in.gcount()));
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

bool ParseHex16(const std::string& text, uint16_t* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  unsigned long v = std::strtoul(text.c_str(), &end, 16);
  if (*end != '\0' || v > 0xFFFF) return false;
  *out = static_cast<uint16_t>(v);
  return true;
}

std::string Hex4(uint16_t v) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", v);
  return text;
}

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "";
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

namespace {

struct ShaderEntry {
  uint16_t vendor, device;
  int32_t shaders;
};

// Shader units (CUDA cores / stream processors) of popular gaming adapters.
constexpr ShaderEntry kShaderTable[] = {
    {0x10DE, 0x1B06, 3584},   // GeForce GTX 1080 Ti
    {0x10DE, 0x1B80, 2560},   // GeForce GTX 1080
    {0x10DE, 0x1B81, 1920},   // GeForce GTX 1070
    {0x10DE, 0x1C03, 1280},   // GeForce GTX 1060 6GB
    {0x10DE, 0x1C82, 768},    // GeForce GTX 1050 Ti
    {0x10DE, 0x1F82, 896},    // GeForce GTX 1650
    {0x10DE, 0x1F02, 2304},   // GeForce RTX 2070
    {0x10DE, 0x1F08, 1920},   // GeForce RTX 2060
    {0x10DE, 0x2206, 8704},   // GeForce RTX 3080
    {0x10DE, 0x2482, 6144},   // GeForce RTX 3070 Ti
    {0x10DE, 0x2484, 5888},   // GeForce RTX 3070
    {0x10DE, 0x2503, 3584},   // GeForce RTX 3060
    {0x10DE, 0x2504, 3584},   // GeForce RTX 3060 LHR
    {0x10DE, 0x2684, 16384},  // GeForce RTX 4090
    {0x10DE, 0x2704, 9728},   // GeForce RTX 4080
    {0x10DE, 0x2782, 7680},   // GeForce RTX 4070 Ti
    {0x1002, 0x67DF, 2304},   // Radeon RX 480/580
};

struct VendorShortName {
  uint16_t vendor;
  const char* name;
};
constexpr VendorShortName kVendorNames[] = {{0x10DE, "NVIDIA"}, {0x1002, "AMD"}, {0x8086, "Intel"}};

bool IsHexId(const std::string& line, size_t at) {
  if (line.size() < at + 4) return false;
  for (size_t i = at; i < at + 4; ++i)
    if (!std::isxdigit(static_cast<unsigned char>(line[i]))) return false;
  return true;
}

}  // namespace

int32_t KnownShaderCount(uint16_t vendor, uint16_t device) {
  for (const ShaderEntry& e : kShaderTable)
    if (e.vendor == vendor && e.device == device) return e.shaders;
  return 0;
}

std::string AdapterName(const std::string& pciIds, uint16_t vendor, uint16_t device) {
  std::string vendorName, deviceName;
  std::istringstream in(pciIds);
  std::string line;
  bool inVendor = false;
  uint16_t id = 0;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    if (line[0] != '\t') {
      if (inVendor) break;                       // past our vendor's block
      if (line.compare(0, 2, "C ") == 0) break;  // device classes follow the vendors
      if (IsHexId(line, 0) && ParseHex16(line.substr(0, 4), &id) && id == vendor &&
          line.size() > 6) {
        inVendor = true;
        vendorName = line.substr(6);
      }
      continue;
    }
    if (inVendor && line.size() > 7 && line[1] != '\t' && IsHexId(line, 1) &&
        ParseHex16(line.substr(1, 4), &id) && id == device) {
      deviceName = line.substr(7);
      break;
    }
  }
  std::string shortVendor = vendorName;
  for (const VendorShortName& v : kVendorNames)
    if (v.vendor == vendor) shortVendor = v.name;
  if (shortVendor.empty()) shortVendor = "PCI " + Hex4(vendor);
  if (deviceName.empty()) return shortVendor + " device " + Hex4(device);
  // "GP106 [GeForce GTX 1060 6GB]": the marketing name is the bracketed part.
  size_t open = deviceName.find('[');
  size_t close = deviceName.rfind(']');
  std::string model = deviceName;
  if (open != std::string::npos && close != std::string::npos && close > open + 1)
    model = deviceName.substr(open + 1, close - open - 1);
  if (model.compare(0, shortVendor.size(), shortVendor) == 0) return model;
  return shortVendor + " " + model;
}

Adapter MakeAdapter(std::string name, uint16_t vendor, uint16_t device,
                    uint64_t dedicatedMemoryBytes) {
  Adapter a;
  a.name = std::move(name);
  a.vendorId = Hex4(vendor);
  a.deviceId = Hex4(device);
  a.videoMemoryMb = static_cast<int64_t>(dedicatedMemoryBytes / (1024 * 1024));
  a.shaderCount = KnownShaderCount(vendor, device);
  return a;
}

}  // namespace gauge3
