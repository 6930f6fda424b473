// Windows only: the settings store's registry key (real registry values, the
// fallbacks of a key that cannot be opened) and the version reader checked
// against the system's own on the same PE files.
#include <gtest/gtest.h>

#include "env/binary_fixtures.h"
#include "env/settings_store.h"
#include "env/version_resource.h"
#include "env/version_resource_writer.h"
#include "platform/debug_log.h"
#include "platform/file_system.h"
#include "platform/file_version.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_test_support.h"

namespace kestrune {
namespace {

using test::RawWrite;
using test::Win32TempDir;

// Each test gets a key of its own under HKEY_CURRENT_USER, removed after it.
class Win32RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    parent_ = L"SOFTWARE\\KestruneToolsTest-" + std::to_wstring(::GetCurrentProcessId());
    path_ = parent_ + L"\\KestruneTools";
    platform::win32::SetProgramRegistryKeyPathForTesting(path_);
    SetDebugLogSink([this](std::string_view) { ++debugLines_; });
  }
  void TearDown() override {
    platform::win32::SetProgramRegistryKeyPathForTesting(L"");
    SetDebugLogSink(nullptr);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, parent_.c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, parent_.c_str());
  }
  bool KeyExists() const {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
      return false;
    ::RegCloseKey(key);
    return true;
  }
  void SetValue(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, path_.c_str(), name, type, data, size),
              ERROR_SUCCESS);
  }
  void SetString(const wchar_t* name, const std::wstring& text) {
    SetValue(name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  void SetDword(const wchar_t* name, DWORD value) {
    SetValue(name, REG_DWORD, &value, sizeof value);
  }
  void DeleteValue(const wchar_t* name) {
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, path_.c_str(), name);
  }

  std::wstring parent_;
  std::wstring path_;
  int debugLines_ = 0;
};

TEST_F(Win32RegistryTest, EvenAReadCreatesTheKey) {
  EXPECT_FALSE(KeyExists());
  EXPECT_EQ(GetChannelID(), "default");
  EXPECT_TRUE(KeyExists());
}

TEST_F(Win32RegistryTest, ChannelIdValues) {
  SetString(L"ChannelID", L"qq_store");
  EXPECT_EQ(GetChannelID(), "qq_store");
  SetString(L"ChannelID", L"\u6E20\u9053");  // 渠道: text comes back as UTF-8
  EXPECT_EQ(GetChannelID(), "\xE6\xB8\xA0\xE9\x81\x93");
  SetString(L"ChannelID", L"");
  EXPECT_EQ(GetChannelID(), "default");
  SetDword(L"ChannelID", 5);  // not a string
  EXPECT_EQ(GetChannelID(), "default");
  DeleteValue(L"ChannelID");
  EXPECT_EQ(GetChannelID(), "default");
}

TEST_F(Win32RegistryTest, FirstRunValues) {
  EXPECT_TRUE(IsFirstRun());
  const struct {
    DWORD stored;
    bool firstRun;
  } cases[] = {{0, true}, {static_cast<DWORD>(-5), true}, {1, false}, {7, false}};
  for (const auto& c : cases) {
    SetDword(L"FirstRun", c.stored);
    EXPECT_EQ(IsFirstRun(), c.firstRun) << static_cast<int32_t>(c.stored);
  }
  SetString(L"FirstRun", L"1");  // a string is not the DWORD the value is
  EXPECT_TRUE(IsFirstRun());
}

TEST_F(Win32RegistryTest, SetFirstRunWritesADword) {
  SetFirstRun(1);
  EXPECT_FALSE(IsFirstRun());
  DWORD value = 0;
  DWORD size = sizeof value;
  DWORD type = 0;
  ASSERT_EQ(::RegGetValueW(HKEY_CURRENT_USER, path_.c_str(), L"FirstRun", RRF_RT_ANY, &type, &value,
                           &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(value, 1u);
  SetFirstRun(0);
  EXPECT_TRUE(IsFirstRun());
}

TEST_F(Win32RegistryTest, KeyThatCannotBeOpenedGivesTheFallbacks) {
  // A volatile parent cannot hold a lasting key: RegCreateKeyExW refuses.
  HKEY parent = nullptr;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, parent_.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &parent, nullptr),
            ERROR_SUCCESS);
  ::RegCloseKey(parent);
  EXPECT_EQ(GetChannelID(), "default");
  EXPECT_TRUE(IsFirstRun());
  SetFirstRun(1);
  EXPECT_TRUE(IsFirstRun());
  EXPECT_FALSE(KeyExists());
  EXPECT_GE(debugLines_, 1);
}

TEST(Win32SteamRegistration, CommandFromTheClassesRoot) {
  // The test prefix has no Steam; a registration made here is removed again.
  const wchar_t* kKey = L"steam\\Shell\\Open\\Command";
  HKEY existing = nullptr;
  if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, kKey, 0, KEY_READ, &existing) == ERROR_SUCCESS) {
    ::RegCloseKey(existing);
    GTEST_SKIP() << "Steam is registered on this system";
  }
  const std::wstring command = L"\"C:\\Program Files (x86)\\Steam\\steam.exe\" -- \"%1\"";
  ASSERT_EQ(::RegSetKeyValueW(HKEY_CLASSES_ROOT, kKey, nullptr, REG_SZ, command.c_str(),
                              static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
  EXPECT_EQ(platform::SteamRegistrationCommand(),
            "\"C:\\Program Files (x86)\\Steam\\steam.exe\" -- \"%1\"");
  ::RegDeleteTreeW(HKEY_CLASSES_ROOT, L"steam");
  ::RegDeleteKeyW(HKEY_CLASSES_ROOT, L"steam");
  EXPECT_EQ(platform::SteamRegistrationCommand(), "");
  ::RegDeleteTreeW(HKEY_CLASSES_ROOT, L"steam");
  ::RegDeleteKeyW(HKEY_CLASSES_ROOT, L"steam");
}

// Both readers, every entry that matters, on one file.
void ExpectReadersAgree(const std::string& path) {
  for (const char* entry :
       {"FileVersion", "ProductVersion", "FileDescription", "ProductName", "CompanyName"}) {
    std::optional<std::string> system = platform::SystemFileVersionString(path, entry);
    ASSERT_TRUE(system.has_value());
    EXPECT_EQ(GetFileVersionString(path, entry), *system) << path << " " << entry;
  }
}

TEST(Win32VersionResource, OurReaderAgreesWithTheSystemOnRealFiles) {
  // Our own executable (a resource from the resource compiler) and the
  // system's libraries.
  ExpectReadersAgree(platform::ExecutablePath());
  EXPECT_FALSE(GetFileVersionString(platform::ExecutablePath(), "FileVersion").empty());
  wchar_t system[MAX_PATH];
  UINT n = ::GetSystemDirectoryW(system, MAX_PATH);
  ASSERT_GT(n, 0u);
  std::string folder = platform::win32::Narrow(std::wstring(system, n));
  for (const char* library : {"kernel32.dll", "user32.dll", "version.dll"}) {
    std::string path = platform::JoinPath(folder, library);
    if (!platform::FileExists(path)) continue;
    ExpectReadersAgree(path);
  }
}

TEST(Win32VersionResource, OurReaderAgreesWithTheSystemOnBuiltImages) {
  Win32TempDir dir;
  VersionResourceDesc full;
  full.fileVersion = {2, 4, 0, 0};
  full.productVersion = {2, 4, 0, 0};
  full.strings = {{"FileDescription", "GPU \xE4\xBF\xA1\xE6\x81\xAF"},
                  {"FileVersion", "2.4.0.0"},
                  {"ProductName", "Gauge"}};
  VersionResourceDesc fixedOnly = full;
  fixedOnly.fileVersion = {1, 2, 3, 40000};
  fixedOnly.strings = {{"ProductName", "Gauge"}};
  int i = 0;
  for (const VersionResourceDesc& desc : {full, fixedOnly}) {
    for (bool pe32Plus : {false, true}) {
      std::string path = dir.Path("image" + std::to_string(i++) + ".dll");
      ASSERT_TRUE(RawWrite(path, test::BuildPe(BuildVersionResource(desc), pe32Plus)));
      ExpectReadersAgree(path);
    }
  }
  // Several languages: the same one is chosen by both.
  VersionResourceDesc english = full;
  english.strings = {{"ProductName", "Gauge (English)"}};
  std::string multi = dir.Path("multi.dll");
  ASSERT_TRUE(RawWrite(multi, test::BuildPeWithLanguages({{0x0401, BuildVersionResource(full)},
                                                          {0x0409, BuildVersionResource(english)},
                                                          {0x0804, BuildVersionResource(full)}})));
  ExpectReadersAgree(multi);
  EXPECT_EQ(GetFileVersionString(dir.Path("image2.dll"), "FileVersion"), "1.2.3.40000");
  std::string bare = dir.Path("bare.dll");
  ASSERT_TRUE(RawWrite(bare, test::BuildPe("")));
  ExpectReadersAgree(bare);
  EXPECT_EQ(platform::SystemFileVersionString(dir.Path("missing.dll"), "FileVersion"), "");
}

}  // namespace
}  // namespace kestrune
