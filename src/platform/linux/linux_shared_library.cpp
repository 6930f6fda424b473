// Sibling libraries on Linux: dlopen by path from the executable's folder.
#include "platform/shared_library.h"

#include <dlfcn.h>

#include "platform/debug_log.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace kestrune::platform {

SharedLibrary* LoadLibraryFromPath(const std::string& path) {
  if (path.empty()) return nullptr;
  // RTLD_NODELETE: the library stays even if someone dlcloses it; we never do.
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (!handle) {
    const char* why = ::dlerror();
    DebugLogF("LoadLibrary %s failed: %s", path.c_str(), why ? why : "unknown error");
    return nullptr;
  }
  return static_cast<SharedLibrary*>(handle);
}

SharedLibrary* LoadLibraryBesideExecutable(const std::string& fileName) {
  // A file name only: never let a caller reach outside the program's folder.
  if (fileName.empty() || fileName.find('/') != std::string::npos) return nullptr;
  std::string folder = ExecutableFolder();
  if (folder.empty()) return nullptr;
  return LoadLibraryFromPath(JoinPath(folder, fileName));
}

void* LibraryEntry(SharedLibrary* library, const char* entryName) {
  if (!library || !entryName) return nullptr;
  return ::dlsym(static_cast<void*>(library), entryName);
}

void* LibraryEntryByOrdinal(SharedLibrary* library, uint16_t /*ordinal*/,
                            const char* nameWithoutOrdinals) {
  return LibraryEntry(library, nameWithoutOrdinals);
}

std::string SiblingLibraryFileName(const std::string& baseName) {
  return baseName + ".so";
}

}  // namespace kestrune::platform
