// The program's registry key on Linux: an INI file in the user's settings
// folder, read and written through the INI layer under the folder's lock, one
// access per call. Opening creates the file (and its folder), as opening a
// registry key with creation allowed does.
#include "env/registry_ini.h"

#include <cstdint>

#include "env/settings_store.h"
#include "ini/ini_file.h"
#include "platform/debug_log.h"
#include "platform/file_lock.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/registry.h"

namespace kestrune {
namespace {

constexpr const char* kRegistryFolder = "KestruneTools";
constexpr const char* kRegistryFile = "registry.ini";
constexpr const char* kRegistrySection = "KestruneTools";
// A handful of values; anything bigger is not ours and stays out of memory.
constexpr uint64_t kMaxRegistryFileBytes = 1u << 20;

class IniRegistryKey final : public platform::ProgramRegistryKey {
 public:
  explicit IniRegistryKey(std::string path) : path_(std::move(path)) {}

  std::optional<std::string> ReadString(const std::string& name) override {
    std::optional<uint64_t> size = platform::FileSize(path_);
    if (size && *size > kMaxRegistryFileBytes) {
      DebugLogF("registry: %s is too large; '%s' reads as absent", path_.c_str(), name.c_str());
      return std::nullopt;
    }
    return ini::ReadValueFromFile(path_, kRegistrySection, name);
  }

  std::optional<int32_t> ReadNumber(const std::string& name) override {
    std::optional<std::string> text = ReadString(name);
    if (!text) return std::nullopt;
    std::optional<int> number = ParseConfigInteger(*text);
    if (!number) return std::nullopt;
    return static_cast<int32_t>(*number);
  }

  bool WriteNumber(const std::string& name, int32_t value) override {
    platform::ScopedFileLock lock(platform::ParentFolder(path_));
    if (!lock.held()) {
      DebugLogF("registry: no lock on the folder of %s (%s); writing '%s' unguarded", path_.c_str(),
                lock.error().c_str(), name.c_str());
    }
    ini::FileResult result =
        ini::WriteKeyToFile(path_, kRegistrySection, name, std::to_string(value));
    if (!result.ok) {
      DebugLogF("registry: cannot write '%s' to %s (%s)", name.c_str(), path_.c_str(),
                result.error.c_str());
    }
    return result.ok;
  }

 private:
  std::string path_;
};

}  // namespace

std::string RegistryFilePath() {
  std::string home = platform::UserSettingsFolder();
  if (home.empty()) return "";
  return platform::JoinPath(platform::JoinPath(home, kRegistryFolder), kRegistryFile);
}

}  // namespace kestrune

namespace kestrune::platform {

std::unique_ptr<ProgramRegistryKey> OpenProgramRegistryKey() {
  std::string path = RegistryFilePath();
  if (path.empty()) {
    DebugLog("registry: no user settings folder for the registry file");
    return nullptr;
  }
  std::string folder = ParentFolder(path);
  if (!DirectoryExists(folder) && !CreateDirectories(folder)) {
    DebugLogF("registry: cannot create %s for the registry file", folder.c_str());
    return nullptr;
  }
  if (FileExists(path)) return std::make_unique<IniRegistryKey>(path);
  if (PathExists(path)) {
    DebugLogF("registry: %s is not a file", path.c_str());
    return nullptr;
  }
  std::string error;
  ScopedFileLock lock(folder);
  if (!FileExists(path) && !ReplaceFileAtomically(path, "", &error)) {
    DebugLogF("registry: cannot create %s (%s)", path.c_str(), error.c_str());
    return nullptr;
  }
  return std::make_unique<IniRegistryKey>(path);
}

}  // namespace kestrune::platform
