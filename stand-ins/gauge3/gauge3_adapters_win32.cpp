// Adapter discovery on Windows: DXGI's adapters with the driver's own name,
// PCI ids and dedicated video memory. The software rasteriser DXGI always
// lists is no graphics card and is left out.
#include <dxgi.h>
#include <windows.h>

#include "gauge3_adapters.h"

namespace gauge3 {
namespace {

std::string WideToUtf8(const wchar_t* text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return "";
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
  out.resize(static_cast<size_t>(size - 1));
  return out;
}

}  // namespace

std::vector<Adapter> DiscoverSystemAdapters() {
  std::vector<Adapter> adapters;
  IDXGIFactory1* factory = nullptr;
  if (FAILED(CreateDXGIFactory1(__uuidof(IDXGIFactory1), reinterpret_cast<void**>(&factory))))
    return adapters;
  IDXGIAdapter1* adapter = nullptr;
  for (UINT i = 0; factory->EnumAdapters1(i, &adapter) != DXGI_ERROR_NOT_FOUND; ++i) {
    if (!adapter) break;
    DXGI_ADAPTER_DESC1 desc = {};
    if (SUCCEEDED(adapter->GetDesc1(&desc)) && !(desc.Flags & DXGI_ADAPTER_FLAG_SOFTWARE)) {
      desc.Description[sizeof desc.Description / sizeof desc.Description[0] - 1] = L'\0';
      adapters.push_back(MakeAdapter(
          WideToUtf8(desc.Description), static_cast<uint16_t>(desc.VendorId),
          static_cast<uint16_t>(desc.DeviceId), static_cast<uint64_t>(desc.DedicatedVideoMemory)));
    }
    adapter->Release();
    adapter = nullptr;
  }
  factory->Release();
  return adapters;
}

}  // namespace gauge3
