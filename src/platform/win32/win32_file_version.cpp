// Version resources through the system: GetFileVersionInfoW and
// VerQueryValueW, step by step as the program's own reader does it.
#include "platform/file_version.h"

#include <cstdio>
#include <vector>

#include "platform/win32/win32_text.h"

namespace kestrune::platform {

std::optional<std::string> SystemFileVersionString(const std::string& path,
                                                   const std::string& entry) {
  std::string result;
  std::vector<BYTE> info;
  if (!path.empty()) {
    std::wstring file = win32::Wide(path);
    for (wchar_t& c : file)
      if (c == L'/') c = L'\\';
    DWORD handle = 0;
    DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &handle);
    if (size > 0) {
      info.resize(size);
      if (!::GetFileVersionInfoW(file.c_str(), 0, size, info.data())) info.clear();
    }
  }
  if (!info.empty()) {
    std::wstring entryPath = win32::Wide(entry);
    void* translation = nullptr;
    UINT length = 0;
    if (::VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", &translation, &length) &&
        length >= 4) {
      DWORD first = *static_cast<const DWORD*>(translation);
      wchar_t prefix[40];
      std::swprintf(prefix, 40, L"\\StringFileInfo\\%04x%04x\\",
                    static_cast<unsigned>(first & 0xFFFF), static_cast<unsigned>(first >> 16));
      entryPath = prefix + entryPath;
    }
    void* text = nullptr;
    UINT chars = 0;
    if (::VerQueryValueW(info.data(), entryPath.c_str(), &text, &chars) && text && chars > 0) {
      std::wstring_view value(static_cast<const wchar_t*>(text), chars);
      size_t end = value.find(L'\0');
      result = win32::Narrow(value.substr(0, end));
    }
  }
  if (entry == "FileVersion" && result.empty() && !info.empty()) {
    void* fixed = nullptr;
    UINT length = 0;
    if (::VerQueryValueW(info.data(), L"\\", &fixed, &length) &&
        length >= sizeof(VS_FIXEDFILEINFO)) {
      const auto* f = static_cast<const VS_FIXEDFILEINFO*>(fixed);
      char buffer[64];
      std::snprintf(buffer, sizeof buffer, "%u.%u.%u.%u", HIWORD(f->dwFileVersionMS),
                    LOWORD(f->dwFileVersionMS), HIWORD(f->dwFileVersionLS),
                    LOWORD(f->dwFileVersionLS));
      result = buffer;
    }
  }
  return result;
}

}  // namespace kestrune::platform
