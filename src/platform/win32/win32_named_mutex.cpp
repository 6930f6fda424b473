// Named mutexes on Windows: CreateMutexW. The first creator holds the name;
// the system drops the mutex with the last handle, also when a holder crashes.
#include "platform/named_mutex.h"

#include "platform/debug_log.h"
#include "platform/win32/win32_text.h"

namespace kestrune::platform {
namespace {

class Win32NamedMutex final : public NamedMutex {
 public:
  explicit Win32NamedMutex(HANDLE handle) : handle_(handle) {}
  ~Win32NamedMutex() override { ::CloseHandle(handle_); }
  Win32NamedMutex(const Win32NamedMutex&) = delete;
  Win32NamedMutex& operator=(const Win32NamedMutex&) = delete;

 private:
  HANDLE handle_;
};

}  // namespace

MutexResult AcquireNamedMutex(std::string_view name) {
  MutexResult result;
  // Not inheritable: a started child must not keep our mutex alive.
  HANDLE handle = ::CreateMutexW(nullptr, FALSE, win32::Wide(name).c_str());
  DWORD error = ::GetLastError();
  if (!handle) {
    // A name held by an object of another kind, or a mutex we may not open,
    // is still a name someone holds.
    if (error == ERROR_INVALID_HANDLE || error == ERROR_ACCESS_DENIED) {
      result.status = MutexOpen::kAlreadyExists;
      return result;
    }
    DebugLogF("named mutex: CreateMutex %.*s failed: %s", static_cast<int>(name.size()),
              name.data(), win32::ErrorText(error).c_str());
    return result;
  }
  if (error == ERROR_ALREADY_EXISTS) {
    ::CloseHandle(handle);
    result.status = MutexOpen::kAlreadyExists;
    return result;
  }
  result.status = MutexOpen::kAcquired;
  result.mutex = std::make_unique<Win32NamedMutex>(handle);
  return result;
}

}  // namespace kestrune::platform
