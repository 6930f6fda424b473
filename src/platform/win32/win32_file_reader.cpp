// Random-access file reads on Windows: ReadFile at an offset.
#include "platform/file_reader.h"

#include "platform/win32/win32_text.h"

namespace kestrune::platform {

using win32::LoadHandle;
using win32::StoreHandle;

FileReader::~FileReader() {
  if (IsOpen()) ::CloseHandle(LoadHandle(handle_));
}

bool FileReader::Open(const std::string& path, std::string* error) {
  if (IsOpen()) {
    ::CloseHandle(LoadHandle(handle_));
    handle_ = -1;
  }
  HANDLE file = ::CreateFileW(win32::FilePath(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    if (error) *error = win32::ErrorText(::GetLastError());
    return false;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(file, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || ::GetFileType(file) != FILE_TYPE_DISK) {
    if (error) *error = "not a regular file";
    ::CloseHandle(file);
    return false;
  }
  handle_ = StoreHandle<decltype(handle_)>(file);
  size_ = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  return true;
}

bool FileReader::ReadAt(uint64_t offset, size_t length, std::string* out) const {
  if (!IsOpen() || offset > size_ || length > size_ - offset) return false;
  out->resize(length);
  size_t done = 0;
  while (done < length) {
    OVERLAPPED at{};
    uint64_t position = offset + done;
    at.Offset = static_cast<DWORD>(position);
    at.OffsetHigh = static_cast<DWORD>(position >> 32);
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(length - done, 1u << 24));
    DWORD n = 0;
    if (!::ReadFile(LoadHandle(handle_), out->data() + done, chunk, &n, &at) || n == 0)
      return false;
    done += n;
  }
  return true;
}

}  // namespace kestrune::platform
