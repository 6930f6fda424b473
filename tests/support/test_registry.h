// The program's registry key redirected for one test: on Linux the INI file
// under a configuration folder of the test's own; on Windows a fresh key
// under HKEY_CURRENT_USER, removed again at the end (the real key and other
// tests' keys stay untouched).
#pragma once

#include <string>

#include "support/test_env.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/win32_registry.h"
#endif

namespace kestrune::test {

class ScopedTestRegistry {
 public:
  explicit ScopedTestRegistry(const std::string& configFolder) {
#ifdef _WIN32
    (void)configFolder;
    static int counter = 0;
    parent_ = L"SOFTWARE\\KestruneToolsTest-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
              std::to_wstring(++counter);
    platform::win32::SetProgramRegistryKeyPathForTesting(parent_ + L"\\KestruneTools");
#else
    SetEnv("XDG_CONFIG_HOME", configFolder);
#endif
  }
  ~ScopedTestRegistry() {
#ifdef _WIN32
    platform::win32::SetProgramRegistryKeyPathForTesting(L"");
    ::RegDeleteTreeW(HKEY_CURRENT_USER, parent_.c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, parent_.c_str());
#else
    UnsetEnv("XDG_CONFIG_HOME");
#endif
  }
  ScopedTestRegistry(const ScopedTestRegistry&) = delete;
  ScopedTestRegistry& operator=(const ScopedTestRegistry&) = delete;

 private:
#ifdef _WIN32
  std::wstring parent_;
#endif
};

}  // namespace kestrune::test
