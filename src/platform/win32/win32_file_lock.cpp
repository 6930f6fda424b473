// Advisory locks on Windows: LockFileEx on a lock file of our own. Byte-range
// locks on Windows are mandatory (they would refuse other readers), so the
// locked file is never the target itself: it is a file in the user's
// temporary folder named after the target's full path, which every process
// of the user derives the same way. Each object opens its own handle, and a
// lock ends with its handle, also when the process dies.
#include "platform/file_lock.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/win32/win32_text.h"

namespace kestrune::platform {
namespace {

using win32::ErrorText;
using win32::FilePath;
using win32::LoadHandle;
using win32::StoreHandle;

// One lock file per target: FNV-1a of the full path in lower case.
std::wstring LockFileFor(const std::string& target, std::string* error) {
  std::wstring full = FilePath(target);
  if (full.rfind(L"\\\\?\\UNC\\", 0) == 0)
    full = L"\\\\" + full.substr(8);
  else if (full.rfind(L"\\\\?\\", 0) == 0)
    full.erase(0, 4);
  DWORD needed = ::GetFullPathNameW(full.c_str(), 0, nullptr, nullptr);
  if (needed > 0) {
    std::wstring buffer(needed, L'\0');
    DWORD n = ::GetFullPathNameW(full.c_str(), needed, buffer.data(), nullptr);
    if (n > 0 && n < needed) full.assign(buffer.data(), n);
  }
  while (full.size() > 3 && full.back() == L'\\') full.pop_back();
  if (!full.empty()) ::CharLowerBuffW(full.data(), static_cast<DWORD>(full.size()));
  uint64_t hash = 1469598103934665603ull;
  for (wchar_t c : full) {
    hash ^= static_cast<uint16_t>(c);
    hash *= 1099511628211ull;
  }
  wchar_t temp[MAX_PATH + 1];
  DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
  if (length == 0 || length > MAX_PATH) {
    if (error) *error = "no temporary folder for the lock file";
    return L"";
  }
  std::wstring folder = std::wstring(temp, length) + L"kestrune-locks";
  ::CreateDirectoryW(folder.c_str(), nullptr);
  wchar_t name[40];
  std::swprintf(name, 40, L"\\%016llx.lock", static_cast<unsigned long long>(hash));
  return folder + name;
}

}  // namespace

ScopedFileLock::ScopedFileLock(const std::string& path, int timeoutMs) {
  if (::GetFileAttributesW(FilePath(path).c_str()) == INVALID_FILE_ATTRIBUTES) {
    error_ = ErrorText(::GetLastError());
    return;
  }
  std::wstring lockFile = LockFileFor(path, &error_);
  if (lockFile.empty()) return;
  HANDLE file = ::CreateFileW(lockFile.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error_ = ErrorText(::GetLastError());
    return;
  }
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::chrono::microseconds pause(200);
  for (;;) {
    OVERLAPPED at{};
    if (::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
      handle_ = StoreHandle<decltype(handle_)>(file);
      return;
    }
    DWORD err = ::GetLastError();
    if (err != ERROR_LOCK_VIOLATION && err != ERROR_IO_PENDING) {
      error_ = ErrorText(err);
      break;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      timedOut_ = true;  // another holder kept it
      error_ = "timed out waiting for the lock";
      break;
    }
    std::this_thread::sleep_for(pause);
    if (pause < std::chrono::milliseconds(5)) pause *= 2;
  }
  ::CloseHandle(file);
}

ScopedFileLock::~ScopedFileLock() {
  if (!held()) return;
  HANDLE file = LoadHandle(handle_);
  OVERLAPPED at{};
  ::UnlockFileEx(file, 0, 1, 0, &at);
  ::CloseHandle(file);
}

std::optional<uint64_t> FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(FilePath(path).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return std::nullopt;
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace kestrune::platform
