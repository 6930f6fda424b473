// Windows only: the conversions at the system boundary. The program keeps
// UTF-8 inside; every system call takes and gives UTF-16 (the W calls).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace kestrune::platform::win32 {

std::wstring Wide(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

// A path for the wide file calls: '/' turned into '\', a relative path made
// full, and a path too long for the classic limit given the \\?\ prefix
// (\\?\UNC\ for a share), which lifts the limit to 32767 characters.
std::wstring FilePath(const std::string& path);

// The system's text for an error code, in UTF-8, with the code itself.
std::string ErrorText(DWORD error);

// Errors another program's open handle causes (a scanner, an editor, the game
// itself): worth a few more tries before giving up.
bool IsTransientSharingError(DWORD error);

// Runs `attempt` until it succeeds, fails with an error that is not a
// transient sharing error, or the tries are spent (a few tries over less than
// a second). Returns the last error, 0 on success.
template <typename Attempt>
DWORD RetryWhileShared(Attempt attempt);

// A HANDLE kept in the integer member of a portable class (its header names
// no Windows type), and back.
template <typename Stored>
Stored StoreHandle(HANDLE h) {
  return static_cast<Stored>(reinterpret_cast<intptr_t>(h));
}

template <typename Stored>
HANDLE LoadHandle(Stored stored) {
  return reinterpret_cast<HANDLE>(static_cast<intptr_t>(stored));
}

// Closes a handle at scope exit.
class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() { Reset(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  Handle(Handle&& other) noexcept : h_(other.h_) { other.h_ = INVALID_HANDLE_VALUE; }
  HANDLE get() const { return h_; }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  HANDLE release() {
    HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return h;
  }
  void Reset(HANDLE h = INVALID_HANDLE_VALUE) {
    if (valid()) ::CloseHandle(h_);
    h_ = h;
  }

 private:
  HANDLE h_ = INVALID_HANDLE_VALUE;
};

// The pause before each further try; their sum stays under one second.
inline constexpr DWORD kSharingRetryPausesMs[] = {40, 80, 160, 320};
static_assert(40 + 80 + 160 + 320 < 1000, "the tries stay within a second");

template <typename Attempt>
DWORD RetryWhileShared(Attempt attempt) {
  DWORD error = attempt();
  for (DWORD pause : kSharingRetryPausesMs) {
    if (error == 0 || !IsTransientSharingError(error)) return error;
    ::Sleep(pause);
    error = attempt();
  }
  return error;
}

}  // namespace kestrune::platform::win32
