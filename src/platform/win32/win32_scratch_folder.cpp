// Scratch folders on Windows: a uniquely named folder under GetTempPathW.
#include <windows.h>

#include <random>
#include <vector>

#include "platform/file_system.h"
#include "platform/scratch_folder.h"
#include "platform/win32/win32_text.h"

namespace kestrune::platform {

using win32::FilePath;

std::string CreateScratchFolder(std::string_view prefix) {
  wchar_t temp[MAX_PATH + 1];
  DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
  if (length == 0 || length > MAX_PATH) return "";
  std::string root = win32::Narrow(std::wstring_view(temp, length));
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (int attempt = 0; attempt < 16; ++attempt) {
    std::string candidate =
        JoinPath(root, std::string(prefix) + std::to_string(random() % 1000000000ULL));
    if (::CreateDirectoryW(FilePath(candidate).c_str(), nullptr)) return candidate;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) return "";
  }
  return "";
}

bool RemoveTree(const std::string& folder) {
  const std::wstring path = FilePath(folder);
  DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  if (attributes & FILE_ATTRIBUTE_READONLY)
    ::SetFileAttributesW(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return ::DeleteFileW(path.c_str()) != 0;
  bool ok = true;
  // A junction or folder link goes as itself; what it points at stays.
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(win32::Narrow(name));
      } while (::FindNextFileW(find, &found));
      ::FindClose(find);
    }
    for (const std::string& name : names) ok = RemoveTree(JoinPath(folder, name)) && ok;
  }
  return ::RemoveDirectoryW(path.c_str()) != 0 && ok;
}

bool MarkReadOnly(const std::string& path) {
  const std::wstring wide = FilePath(path);
  DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  return ::SetFileAttributesW(wide.c_str(), attributes | FILE_ATTRIBUTE_READONLY) != 0;
}

}  // namespace kestrune::platform
