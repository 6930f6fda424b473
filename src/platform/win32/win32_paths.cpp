// Where files live on Windows: the known folders and the executable's own.
#include "platform/paths.h"

#include <windows.h>
// (after windows.h)
#include <shlobj.h>

#include "platform/file_system.h"
#include "platform/game_search.h"
#include "platform/own_places.h"
#include "platform/win32/win32_text.h"

namespace kestrune::platform {
namespace {

std::string KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  std::string result;
  if (SUCCEEDED(::SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path)) && path)
    result = win32::Narrow(path);
  ::CoTaskMemFree(path);
  while (result.size() > 3 && (result.back() == '\\' || result.back() == '/')) result.pop_back();
  return result;
}

}  // namespace

std::string LocalAppDataFolder() {
  return KnownFolder(FOLDERID_LocalAppData);
}

GameSearch FindGameFolders() {
  GameSearch search;
  search.localAppData = LocalAppDataFolder();
  search.found = !search.localAppData.empty();
  if (search.found) search.searched.push_back(search.localAppData);
  return search;
}

std::string ExecutablePath() {
  // The module path may exceed MAX_PATH (a long-path install): grow until it fits.
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return "";
    if (n < buffer.size()) {
      buffer.resize(n);
      break;
    }
    if (buffer.size() >= 32768) return "";
    buffer.resize(buffer.size() * 2);
  }
  if (buffer.rfind(L"\\\\?\\UNC\\", 0) == 0)
    buffer = L"\\\\" + buffer.substr(8);
  else if (buffer.rfind(L"\\\\?\\", 0) == 0)
    buffer.erase(0, 4);
  return win32::Narrow(buffer);
}

std::string ExecutableFolder() {
  return ParentFolder(ExecutablePath());
}

std::string UserSettingsFolder() {
  return KnownFolder(FOLDERID_RoamingAppData);
}

// ---- Kestrune's own files: where the program always kept them ----

std::string SettingsFileFolder() {
  return ExecutableFolder();
}

std::string LegacySettingsFileFolder() {
  return "";
}

std::string OwnDataFolder() {
  std::string local = LocalAppDataFolder();
  return local.empty() ? "" : JoinPath(local, "Kestrune");
}

std::string LegacyOwnDataFolder() {
  return "";
}

bool MovePath(const std::string& from, const std::string& to, std::string* error) {
  if (::MoveFileExW(win32::FilePath(from).c_str(), win32::FilePath(to).c_str(), 0)) return true;
  if (error) *error = win32::ErrorText(::GetLastError());
  return false;
}

}  // namespace kestrune::platform
