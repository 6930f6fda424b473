// Sibling libraries on Windows: LoadLibraryExW by full path (the library's
// own folder is searched for its dependencies), GetProcAddress by name or by
// ordinal.
#include "platform/shared_library.h"

#include "platform/debug_log.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/win32/win32_text.h"

namespace kestrune::platform {

SharedLibrary* LoadLibraryFromPath(const std::string& path) {
  if (path.empty()) return nullptr;
  std::wstring wide = win32::Wide(path);
  for (wchar_t& c : wide)
    if (c == L'/') c = L'\\';
  HMODULE module = ::LoadLibraryExW(wide.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!module) {
    DebugLogF("LoadLibrary %s failed: %s", path.c_str(),
              win32::ErrorText(::GetLastError()).c_str());
    return nullptr;
  }
  return reinterpret_cast<SharedLibrary*>(module);
}

SharedLibrary* LoadLibraryBesideExecutable(const std::string& fileName) {
  // A file name only: never let a caller reach outside the program's folder.
  if (fileName.empty() || fileName.find_first_of("/\\:") != std::string::npos) return nullptr;
  std::string folder = ExecutableFolder();
  if (folder.empty()) return nullptr;
  return LoadLibraryFromPath(JoinPath(folder, fileName));
}

void* LibraryEntry(SharedLibrary* library, const char* entryName) {
  if (!library || !entryName) return nullptr;
  return reinterpret_cast<void*>(::GetProcAddress(reinterpret_cast<HMODULE>(library), entryName));
}

void* LibraryEntryByOrdinal(SharedLibrary* library, uint16_t ordinal,
                            const char* /*nameWithoutOrdinals*/) {
  if (!library || ordinal == 0) return nullptr;
  return reinterpret_cast<void*>(
      ::GetProcAddress(reinterpret_cast<HMODULE>(library), MAKEINTRESOURCEA(ordinal)));
}

std::string SiblingLibraryFileName(const std::string& baseName) {
  return baseName + ".dll";
}

}  // namespace kestrune::platform
