// Text and path conversion at the Windows boundary.
#include "platform/win32/win32_text.h"

#include <cstdio>

#include "platform/utf8.h"

namespace kestrune::platform::win32 {

std::wstring Wide(std::string_view utf8) {
  std::u16string units = Utf8ToUtf16(utf8);
  return std::wstring(units.begin(), units.end());
}

std::string Narrow(std::wstring_view wide) {
  return Utf16ToUtf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

std::wstring FilePath(const std::string& path) {
  std::wstring wide = Wide(path);
  for (wchar_t& c : wide)
    if (c == L'/') c = L'\\';
  if (wide.rfind(L"\\\\?\\", 0) == 0 || wide.empty()) return wide;
  // Short relative paths go to the system as they are; everything else is
  // made full so that the prefix may go in front of it.
  constexpr size_t kClassicLimit = MAX_PATH - 12;  // room for an 8.3 name in a new folder
  bool relative =
      !(wide.size() >= 3 && wide[1] == L':' && wide[2] == L'\\') && wide.rfind(L"\\\\", 0) != 0;
  if (wide.size() < kClassicLimit && !relative) return wide;
  DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return wide;
  std::wstring full(needed, L'\0');
  DWORD written = ::GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
  if (written == 0 || written >= needed) return wide;
  full.resize(written);
  if (full.size() < kClassicLimit) return full;
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

std::string ErrorText(DWORD error) {
  wchar_t* buffer = nullptr;
  DWORD n = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string text;
  if (n > 0 && buffer) text = Narrow(std::wstring_view(buffer, n));
  if (buffer) ::LocalFree(buffer);
  while (!text.empty() &&
         (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
    text.pop_back();
  char code[32];
  std::snprintf(code, sizeof code, "error %lu", static_cast<unsigned long>(error));
  return text.empty() ? code : text + " (" + code + ")";
}

bool IsTransientSharingError(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_ACCESS_DENIED;
}

}  // namespace kestrune::platform::win32
