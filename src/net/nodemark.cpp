// Calls into the Nodemark library through the platform loader.
#include "net/nodemark.h"

#include <mutex>

#include "platform/shared_library.h"

namespace kestrune {
namespace {

using GetMidEntry = int (*)(char* buffer);
using GetWindowsVersionEntry = const char* (*)();
using SetAutoRunEntry = int (*)(int enable, const char16_t* path);
using IsAutoRunEntry = int (*)();

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

// UTF-8 to UTF-16 for SetAutoRun; invalid bytes become U+FFFD.
std::u16string ToUtf16(const std::string& text) {
  std::u16string out;
  for (size_t i = 0; i < text.size();) {
    auto c = static_cast<unsigned char>(text[i]);
    char32_t cp = 0xFFFD;
    size_t length = 1;
    if (c < 0x80) {
      cp = c;
    } else if ((c >> 5) == 6) {
      length = 2;
    } else if ((c >> 4) == 14) {
      length = 3;
    } else if ((c >> 3) == 30) {
      length = 4;
    }
    if (length > 1) {
      if (i + length > text.size()) {
        length = 1;
      } else {
        cp = c & (0xFF >> (length + 1));
        for (size_t k = 1; k < length; ++k) {
          auto next = static_cast<unsigned char>(text[i + k]);
          if ((next >> 6) != 2) {
            cp = 0xFFFD;
            length = 1;
            break;
          }
          cp = (cp << 6) | (next & 0x3F);
        }
      }
    }
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
    i += length;
  }
  return out;
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
  std::u16string path = enable ? ToUtf16(programPath) : std::u16string();
  setAutoRun(enable ? 1 : 0, path.c_str());
}

void SetNodemarkPathForTesting(const std::string& path) {
  std::lock_guard<std::mutex> lock(PathMutex());
  PathForTesting() = path;
}

}  // namespace kestrune
