// The program's registry key on Windows: SOFTWARE\KestruneTools under
// HKEY_CURRENT_USER, opened with creation allowed (RegCreateKeyExW) for every
// access and closed again.
#include "platform/registry.h"

#include <mutex>

#include "platform/debug_log.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_text.h"

namespace kestrune::platform {
namespace {

constexpr wchar_t kProgramKey[] = L"SOFTWARE\\KestruneTools";
// A value larger than this is not one of ours.
constexpr DWORD kMaxValueBytes = 64 * 1024;

std::mutex& PathMutex() {
  static std::mutex m;
  return m;
}
std::wstring& PathOverride() {
  static std::wstring path;
  return path;
}

class Win32RegistryKey final : public ProgramRegistryKey {
 public:
  explicit Win32RegistryKey(HKEY key) : key_(key) {}
  ~Win32RegistryKey() override { ::RegCloseKey(key_); }
  Win32RegistryKey(const Win32RegistryKey&) = delete;
  Win32RegistryKey& operator=(const Win32RegistryKey&) = delete;

  std::optional<std::string> ReadString(const std::string& name) override {
    std::wstring wideName = win32::Wide(name);
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(key_, wideName.c_str(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || size > kMaxValueBytes)
      return std::nullopt;
    // The stored text need not end in a zero: one spare character.
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(key_, wideName.c_str(), nullptr, &type,
                           reinterpret_cast<BYTE*>(text.data()), &got) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
      return std::nullopt;
    text.resize(std::min<size_t>(got / sizeof(wchar_t), text.size()));
    size_t end = text.find(L'\0');
    if (end != std::wstring::npos) text.resize(end);
    return win32::Narrow(text);
  }

  std::optional<int32_t> ReadNumber(const std::string& name) override {
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (::RegQueryValueExW(key_, win32::Wide(name).c_str(), nullptr, &type,
                           reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
      return std::nullopt;
    return static_cast<int32_t>(value);
  }

  bool WriteNumber(const std::string& name, int32_t value) override {
    DWORD data = static_cast<DWORD>(value);
    LSTATUS status = ::RegSetValueExW(key_, win32::Wide(name).c_str(), 0, REG_DWORD,
                                      reinterpret_cast<const BYTE*>(&data), sizeof data);
    if (status != ERROR_SUCCESS) {
      DebugLogF("registry: cannot write %s: %s", name.c_str(),
                win32::ErrorText(static_cast<DWORD>(status)).c_str());
      return false;
    }
    return true;
  }

 private:
  HKEY key_;
};

}  // namespace

namespace win32 {

void SetProgramRegistryKeyPathForTesting(const std::wstring& subKey) {
  std::lock_guard<std::mutex> lock(PathMutex());
  PathOverride() = subKey;
}

}  // namespace win32

std::unique_ptr<ProgramRegistryKey> OpenProgramRegistryKey() {
  std::wstring path;
  {
    std::lock_guard<std::mutex> lock(PathMutex());
    path = PathOverride().empty() ? kProgramKey : PathOverride();
  }
  HKEY key = nullptr;
  LSTATUS status =
      ::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) {
    DebugLogF("registry: cannot open HKEY_CURRENT_USER\\%s: %s", win32::Narrow(path).c_str(),
              win32::ErrorText(static_cast<DWORD>(status)).c_str());
    return nullptr;
  }
  return std::make_unique<Win32RegistryKey>(key);
}

}  // namespace kestrune::platform
