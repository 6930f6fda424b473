// The desktop shell on Windows: ShellExecuteW / ShellExecuteExW, and the
// command registered for the steam: address scheme.
#include "platform/shell.h"

#include <windows.h>
// (after windows.h)
#include <shellapi.h>

#include "platform/debug_log.h"
#include "platform/win32/win32_text.h"

namespace kestrune::platform {
namespace {

using win32::Wide;

// ShellExecute answers a number above 32 on success.
bool Succeeded(HINSTANCE result) {
  return reinterpret_cast<intptr_t>(result) > 32;
}

std::wstring JoinParameters(const std::vector<std::string>& parameters) {
  std::wstring line;
  for (const std::string& p : parameters) {
    if (!line.empty()) line += L' ';
    std::wstring wide = Wide(p);
    if (!wide.empty() && wide.find_first_of(L" \t\"") == std::wstring::npos) {
      line += wide;
      continue;
    }
    line += L'"';
    size_t backslashes = 0;
    for (wchar_t c : wide) {
      if (c == L'\\') {
        ++backslashes;
        continue;
      }
      line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
      backslashes = 0;
      line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
  }
  return line;
}

}  // namespace

bool ShellOpenTarget(const std::string& target, const std::vector<std::string>& parameters) {
  if (target.empty()) return false;
  std::wstring file = Wide(target);
  if (parameters.empty()) {
    if (Succeeded(::ShellExecuteW(nullptr, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL)))
      return true;
  } else {
    std::wstring params = JoinParameters(parameters);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = file.c_str();
    info.lpParameters = params.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (::ShellExecuteExW(&info)) return true;
  }
  DebugLogF("shell: cannot open '%s' (%s)", target.c_str(),
            win32::ErrorText(::GetLastError()).c_str());
  return false;
}

bool OpenAddressThroughDesktop(const std::string& address) {
  std::wstring params = Wide(address);
  if (Succeeded(::ShellExecuteW(nullptr, nullptr, L"explorer.exe", params.c_str(), nullptr,
                                SW_SHOWNORMAL)))
    return true;
  DebugLogF("shell: explorer.exe %s failed (%s)", address.c_str(),
            win32::ErrorText(::GetLastError()).c_str());
  return false;
}

std::string SteamRegistrationCommand() {
  // Opened with creation allowed, as every key of the program.
  HKEY key = nullptr;
  LSTATUS status = ::RegCreateKeyExW(HKEY_CLASSES_ROOT, L"steam\\Shell\\Open\\Command", 0, nullptr,
                                     0, KEY_READ, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) return "";
  std::string value;
  DWORD type = 0;
  DWORD size = 0;
  if (::RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ) && size > 0 && size < (1u << 20)) {
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = size;
    if (::RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                           &got) == ERROR_SUCCESS) {
      text.resize(std::min<size_t>(got / sizeof(wchar_t), text.size()));
      while (!text.empty() && text.back() == L'\0') text.pop_back();
      value = win32::Narrow(text);
    }
  }
  ::RegCloseKey(key);
  return value;
}

}  // namespace kestrune::platform
