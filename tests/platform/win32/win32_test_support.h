// Windows test helpers: a temporary folder (removed with everything in it,
// long paths and read-only files included) and raw file access through the
// wide calls, independent of the code under test.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/win32_text.h"

namespace kestrune::test {

inline std::wstring LongPathOf(const std::string& path) {
  return platform::win32::FilePath(path);
}

inline void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring child = folder + L"\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(child.c_str());
      }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
  }
  ::RemoveDirectoryW(folder.c_str());
}

class Win32TempDir {
 public:
  Win32TempDir() {
    wchar_t temp[MAX_PATH + 1];
    DWORD n = ::GetTempPathW(MAX_PATH + 1, temp);
    static int counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::wstring candidate = std::wstring(temp, n) + L"kestrune-" +
                               std::to_wstring(::GetCurrentProcessId()) + L"-" +
                               std::to_wstring(++counter);
      if (::CreateDirectoryW(candidate.c_str(), nullptr)) {
        path_ = platform::win32::Narrow(candidate);
        break;
      }
    }
  }
  ~Win32TempDir() {
    if (!path_.empty()) RemoveTree(LongPathOf(path_));
  }
  Win32TempDir(const Win32TempDir&) = delete;
  Win32TempDir& operator=(const Win32TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string Path(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// Whole-file bytes through CreateFileW; empty when the file cannot be read.
inline std::string RawRead(const std::string& path) {
  HANDLE file = ::CreateFileW(LongPathOf(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "";
  std::string data;
  char buffer[4096];
  DWORD n = 0;
  while (::ReadFile(file, buffer, sizeof buffer, &n, nullptr) && n > 0) data.append(buffer, n);
  ::CloseHandle(file);
  return data;
}

inline bool RawWrite(const std::string& path, const std::string& data) {
  HANDLE file = ::CreateFileW(LongPathOf(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD n = 0;
  bool ok = ::WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &n, nullptr) &&
            n == data.size();
  ::CloseHandle(file);
  return ok;
}

// The names in a folder, through FindFirstFileW.
inline std::vector<std::string> RawList(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW((LongPathOf(folder) + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") names.push_back(platform::win32::Narrow(name));
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
  return names;
}

// The helper program built beside the tests (win32_helper.cpp).
inline std::string HelperPath() {
  wchar_t self[MAX_PATH];
  DWORD n = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring folder(self, n);
  folder.erase(folder.find_last_of(L"\\/") + 1);
  return platform::win32::Narrow(folder + L"kestrune_win32_helper.exe");
}

// Runs a command line and waits for it (at most `timeoutMs`); its exit code,
// or -1 when it could not start or did not end in time (then it is ended).
inline int RunAndWait(const std::wstring& commandLine, DWORD timeoutMs = 30000) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::wstring line = commandLine;
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
    return -1;
  ::CloseHandle(info.hThread);
  DWORD code = static_cast<DWORD>(-1);
  if (::WaitForSingleObject(info.hProcess, timeoutMs) != WAIT_OBJECT_0) {
    ::TerminateProcess(info.hProcess, 1);
    ::WaitForSingleObject(info.hProcess, 5000);
  } else {
    ::GetExitCodeProcess(info.hProcess, &code);
  }
  ::CloseHandle(info.hProcess);
  return static_cast<int>(code);
}

}  // namespace kestrune::test
