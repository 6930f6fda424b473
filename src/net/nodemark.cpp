// Calls into the Nodemark library through the platform loader.
#include "net/nodemark.h"

#include <mutex>

#include "platform/shared_library.h"
#include "platform/utf8.h"

namespace kestrune {
namespace {

// The library's entries use the standard system calling convention.
using GetMidEntry = int(KESTRUNE_SYSTEM_CALL*)(char* buffer);
using GetWindowsVersionEntry = const char*(KESTRUNE_SYSTEM_CALL*)();
using SetAutoRunEntry = int(KESTRUNE_SYSTEM_CALL*)(int enable, const char16_t* path);
using IsAutoRunEntry = int(KESTRUNE_SYSTEM_CALL*)();

constexpr size_t kMidBufferSize = 261;

std::mutex& PathMutex() {
  static std::mutex mutex;
  return mutex;
}
std::string& PathForTesting() {
  static std::string path;
  return path;
}

void* Entry(const char* name) {
  std::string path;
  {
    std::lock_guard<std::mutex> lock(PathMutex());
    path = PathForTesting();
  }
  platform::SharedLibrary* library =
      path.empty() ? platform::LoadLibraryBesideExecutable(
                         platform::SiblingLibraryFileName(kNodemarkLibraryName))
                   : platform::LoadLibraryFromPath(path);
  return platform::LibraryEntry(library, name);
}

}  // namespace

std::string NodemarkMachineId() {
  auto getMid = reinterpret_cast<GetMidEntry>(Entry("GetMID"));
  if (!getMid) return "";
  char buffer[kMidBufferSize] = {};
  if (getMid(buffer) == 0) return "";
  buffer[kMidBufferSize - 1] = '\0';  // never trust the library to terminate
  return buffer;
}

std::string NodemarkWindowsVersion() {
  auto getVersion = reinterpret_cast<GetWindowsVersionEntry>(Entry("GetWindowsVersion"));
  if (!getVersion) return "";
  const char* text = getVersion();
  return text ? text : "";
}

bool IsAutoRun() {
  auto isAutoRun = reinterpret_cast<IsAutoRunEntry>(Entry("IsAutoRun"));
  return isAutoRun && isAutoRun() != 0;
}

void SetAutoRun(bool enable, const std::string& programPath) {
  auto setAutoRun = reinterpret_cast<SetAutoRunEntry>(Entry("SetAutoRun"));
  if (!setAutoRun) return;
  std::u16string path = enable ? Utf8ToUtf16(programPath) : std::u16string();
  setAutoRun(enable ? 1 : 0, path.c_str());
}

void SetNodemarkPathForTesting(const std::string& path) {
  std::lock_guard<std::mutex> lock(PathMutex());
  PathForTesting() = path;
}

}  // namespace kestrune
