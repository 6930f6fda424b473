// Nodemark on Windows: the machine identifier from the registry's
// MachineGuid, the OS text from RtlGetVersion (which, unlike GetVersionEx,
// does not depend on the caller's manifest), start at log-on as a value of
// the user's Run key.
#include <windows.h>

#include <string>

#include "nodemark_system.h"

namespace nodemark {
namespace {

constexpr wchar_t kCryptographyKey[] = L"SOFTWARE\\Microsoft\\Cryptography";
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// Where the shell's start-up manager records a user's "disabled" choice.
constexpr wchar_t kStartupApprovedKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
constexpr wchar_t kValueName[] = L"Kestrune";

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return "";
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                 nullptr, nullptr);
  if (size <= 0) return "";
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

std::wstring ToWide(const std::string& text) {
  if (text.empty()) return L"";
  int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                 static_cast<int>(text.size()), nullptr, 0);
  if (size <= 0) return L"";
  std::wstring out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                      out.data(), size);
  return out;
}

// A REG_SZ value, empty when missing or of another type.
std::wstring ReadString(HKEY root, const wchar_t* subKey, const wchar_t* name, REGSAM view) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, subKey, 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS) return L"";
  std::wstring value;
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ) && size >= sizeof(wchar_t) && size < 64 * 1024) {
    std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                         &size) == ERROR_SUCCESS) {
      buffer.resize(size / sizeof(wchar_t));
      while (!buffer.empty() && buffer.back() == L'\0') buffer.pop_back();
      value = buffer;
    }
  }
  RegCloseKey(key);
  return value;
}

}  // namespace

std::string MachineIdSource() {
  // The 64-bit view: a 32-bit build would otherwise read the redirected key.
  return ToUtf8(ReadString(HKEY_LOCAL_MACHINE, kCryptographyKey, L"MachineGuid", KEY_WOW64_64KEY));
}

std::string SystemVersionText() {
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (!ntdll) return "";
  auto getVersion = reinterpret_cast<RtlGetVersionFn>(
      reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
  if (!getVersion) return "";
  OSVERSIONINFOEXW info = {};
  info.dwOSVersionInfoSize = sizeof info;
  if (getVersion(reinterpret_cast<OSVERSIONINFOW*>(&info)) != 0) return "";
  std::string text = "Windows " + std::to_string(info.dwMajorVersion) + "." +
                     std::to_string(info.dwMinorVersion) + "." + std::to_string(info.dwBuildNumber);
  info.szCSDVersion[sizeof info.szCSDVersion / sizeof info.szCSDVersion[0] - 1] = L'\0';
  if (info.szCSDVersion[0]) text += " " + ToUtf8(info.szCSDVersion);
  return text;
}

bool SetStartAtLogOn(bool enable, const std::string& programUtf8) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  LONG status = ERROR_SUCCESS;
  if (enable) {
    std::wstring program = ToWide(programUtf8);
    // A quote cannot be part of a Windows path and would break the command line.
    if (program.empty() || program.find(L'"') != std::wstring::npos) {
      RegCloseKey(key);
      return false;
    }
    std::wstring command = L"\"" + program + L"\" " + ToWide(kHiddenStartSwitch);
    status =
        RegSetValueExW(key, kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
  } else {
    status = RegDeleteValueW(key, kValueName);
    if (status == ERROR_FILE_NOT_FOUND) status = ERROR_SUCCESS;
  }
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

bool StartsAtLogOn() {
  if (ReadString(HKEY_CURRENT_USER, kRunKey, kValueName, 0).empty()) return false;
  // The shell marks an entry the user switched off with an odd first byte.
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kStartupApprovedKey, 0, KEY_QUERY_VALUE, &key) ==
      ERROR_SUCCESS) {
    BYTE data[12] = {};
    DWORD type = 0, size = sizeof data;
    bool disabled =
        RegQueryValueExW(key, kValueName, nullptr, &type, data, &size) == ERROR_SUCCESS &&
        type == REG_BINARY && size >= 1 && (data[0] & 1) != 0;
    RegCloseKey(key);
    if (disabled) return false;
  }
  return true;
}

}  // namespace nodemark
