// The Nodemark stand-in on Windows through the program's loader: the machine
// identifier from MachineGuid (hashed), the OS text from RtlGetVersion, the
// start at log-on in the user's Run key.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "net/nodemark.h"

namespace kestrune {
namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kApprovedKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
constexpr wchar_t kValue[] = L"Kestrune";

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

// A REG_SZ value; nullopt-like empty + found flag.
bool ReadValue(HKEY root, const wchar_t* key, const wchar_t* name, REGSAM view,
               std::wstring* value) {
  wchar_t buffer[1024];
  DWORD size = sizeof buffer;
  if (RegGetValueW(root, key, name, RRF_RT_REG_SZ | view, nullptr, buffer, &size) != ERROR_SUCCESS)
    return false;
  *value = buffer;
  return true;
}

TEST(NodemarkWindowsTest, MachineIdIsAStableHashNeverTheRawGuid) {
  std::wstring guid;
  if (!ReadValue(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Cryptography", L"MachineGuid",
                 RRF_SUBKEY_WOW6464KEY, &guid))
    GTEST_SKIP() << "no MachineGuid here";
  std::string raw = Narrow(guid);
  std::string id = NodemarkMachineId();
  ASSERT_EQ(id.size(), 32u);
  EXPECT_EQ(id.find_first_not_of("0123456789ABCDEF"), std::string::npos) << id;
  EXPECT_EQ(id, NodemarkMachineId());
  std::string lower = id;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::string rawDigits;
  for (char c : raw)
    if (std::isxdigit(static_cast<unsigned char>(c)))
      rawDigits += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(raw.find(lower.substr(0, 8)), std::string::npos);
  EXPECT_NE(lower, rawDigits);
}

TEST(NodemarkWindowsTest, WindowsVersionComesFromRtlGetVersion) {
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  auto getVersion = reinterpret_cast<RtlGetVersionFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
  ASSERT_NE(getVersion, nullptr);
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_EQ(getVersion(&info), 0);
  std::string expected = "Windows " + std::to_string(info.dwMajorVersion) + "." +
                         std::to_string(info.dwMinorVersion) + "." +
                         std::to_string(info.dwBuildNumber);
  std::string text = NodemarkWindowsVersion();
  EXPECT_EQ(text.rfind(expected, 0), 0u) << text;
}

// The user's Run entry is put back as it was after each case.
class NodemarkWindowsAutoRunTest : public testing::Test {
 protected:
  void SetUp() override {
    hadRun_ = ReadValue(HKEY_CURRENT_USER, kRunKey, kValue, 0, &savedRun_);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kValue);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kApprovedKey, kValue);
  }
  void TearDown() override {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kApprovedKey, kValue);
    if (hadRun_) {
      RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, kValue, REG_SZ, savedRun_.c_str(),
                      static_cast<DWORD>((savedRun_.size() + 1) * sizeof(wchar_t)));
    } else {
      RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kValue);
    }
  }
  std::wstring RunValue() const {
    std::wstring value;
    ReadValue(HKEY_CURRENT_USER, kRunKey, kValue, 0, &value);
    return value;
  }

  bool hadRun_ = false;
  std::wstring savedRun_;
};

TEST_F(NodemarkWindowsAutoRunTest, RunValueStartsTheProgramHiddenAndGoesAway) {
  EXPECT_FALSE(IsAutoRun());
  struct {
    const char* path;
    const wchar_t* value;
  } cases[] = {
      {"C:\\Program Files\\Kestrune\\kestrune.exe",
       L"\"C:\\Program Files\\Kestrune\\kestrune.exe\" /start"},
      {"D:\\\xe5\xbc\xa0\xe4\xb8\x89\\k.exe", L"\"D:\\\u5f20\u4e09\\k.exe\" /start"},
  };
  for (const auto& c : cases) {
    SetAutoRun(true, c.path);
    EXPECT_TRUE(IsAutoRun()) << c.path;
    EXPECT_EQ(RunValue(), c.value) << c.path;
  }
  SetAutoRun(false, "");
  EXPECT_FALSE(IsAutoRun());
  std::wstring ignored;
  EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, kRunKey, kValue, 0, &ignored));
}

TEST_F(NodemarkWindowsAutoRunTest, PathsThatWouldBreakTheCommandAreRefused) {
  SetAutoRun(true, "C:\\k\\kestrune.exe");
  const std::wstring before = RunValue();
  for (const char* path : {"C:\\k\"\\x.exe", "C:\\a\r\n\\x.exe", ""}) {
    SetAutoRun(true, path);
    EXPECT_EQ(RunValue(), before) << path;
  }
  EXPECT_TRUE(IsAutoRun());
}

TEST_F(NodemarkWindowsAutoRunTest, EntrySwitchedOffByTheUserIsNotOn) {
  SetAutoRun(true, "C:\\k\\kestrune.exe");
  ASSERT_TRUE(IsAutoRun());
  // The shell's start-up manager: an odd first byte is "disabled".
  BYTE disabled[12] = {3};
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kApprovedKey, kValue, REG_BINARY, disabled,
                            sizeof disabled),
            ERROR_SUCCESS);
  EXPECT_FALSE(IsAutoRun());
  BYTE enabled[12] = {2};
  RegSetKeyValueW(HKEY_CURRENT_USER, kApprovedKey, kValue, REG_BINARY, enabled, sizeof enabled);
  EXPECT_TRUE(IsAutoRun());
}

}  // namespace
}  // namespace kestrune
