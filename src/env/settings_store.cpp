// Settings store: Config.dat beside the executable and the registry stand-in,
// both read and written through the engine's INI layer, one access per call.
#include "env/settings_store.h"

#include <cstdint>
#include <mutex>

#include "engine/ini_file.h"
#include "engine/ini_text.h"
#include "platform/debug_log.h"
#include "platform/file_lock.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace kestrune {
namespace {

// A real Config.dat is a few kilobytes; anything past this is not ours and
// would only be dragged into memory on every access.
constexpr uint64_t kMaxSettingsFileBytes = 16u << 20;
// The value buffer of the profile call the format was made with.
constexpr size_t kMaxValueBytes = 2047;

constexpr const char* kRegistryFolder = "KestruneTools";
constexpr const char* kRegistryFile = "registry.ini";
constexpr const char* kRegistrySection = "KestruneTools";

std::mutex& OverrideMutex() {
  static std::mutex m;
  return m;
}
std::string& ConfigOverride() {
  static std::string path;
  return path;
}

std::string LockTarget(const std::string& path) {
  std::string folder = platform::ParentFolder(path);
  return folder.empty() ? "." : folder;
}

// Reads section/key from an INI file with the store's failure rules: a
// missing file is simply empty; anything else unreadable costs one debug line.
std::optional<std::string> ReadKey(const std::string& path, const char* section,
                                   const std::string& key) {
  std::optional<uint64_t> size = platform::FileSize(path);
  if (size && *size > kMaxSettingsFileBytes) {
    DebugLogF("settings: %s is %llu bytes, too large to be a settings file; '%s' takes its default",
              path.c_str(), static_cast<unsigned long long>(*size), key.c_str());
    return std::nullopt;
  }
  platform::ReadResult file = platform::ReadWholeFile(path);
  if (file.status == platform::ReadStatus::kNotFound) return std::nullopt;
  if (file.status != platform::ReadStatus::kOk) {
    DebugLogF("settings: cannot read %s (%s); '%s' takes its default", path.c_str(),
              file.error.c_str(), key.c_str());
    return std::nullopt;
  }
  return ini::ReadValue(file.data, section, key);
}

bool WriteKey(const std::string& path, const char* section, const std::string& key,
              const std::string& value) {
  platform::ScopedFileLock lock(LockTarget(path));
  if (!lock.held()) {
    DebugLogF("settings: no lock on the folder of %s (%s); writing '%s' unguarded", path.c_str(),
              lock.error().c_str(), key.c_str());
  }
  std::optional<uint64_t> size = platform::FileSize(path);
  if (size && *size > kMaxSettingsFileBytes) {
    DebugLogF("settings: %s is too large to be a settings file; '%s' not written", path.c_str(),
              key.c_str());
    return false;
  }
  ini::FileResult result = ini::WriteKeyToFile(path, section, key, value);
  if (!result.ok) {
    DebugLogF("settings: cannot write '%s' to %s (%s)", key.c_str(), path.c_str(),
              result.error.c_str());
  }
  return result.ok;
}

// Cuts at a byte limit without splitting a UTF-8 sequence.
std::string LimitValue(std::string value) {
  if (value.size() <= kMaxValueBytes) return value;
  size_t cut = kMaxValueBytes;
  while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80) --cut;
  value.resize(cut);
  return value;
}

// Opening the key creates it when missing, as the registry does; a key that
// cannot be created is a key that cannot be opened.
std::optional<std::string> OpenRegistryFile() {
  std::string path = RegistryFilePath();
  if (path.empty()) {
    DebugLog("settings: no user configuration folder for the registry file");
    return std::nullopt;
  }
  std::string folder = platform::ParentFolder(path);
  if (!platform::DirectoryExists(folder) && !platform::CreateDirectories(folder)) {
    DebugLogF("settings: cannot create %s for the registry file", folder.c_str());
    return std::nullopt;
  }
  if (platform::FileExists(path)) return path;
  if (platform::PathExists(path)) {
    DebugLogF("settings: %s is not a file", path.c_str());
    return std::nullopt;
  }
  std::string error;
  platform::ScopedFileLock lock(folder);
  if (!platform::FileExists(path) && !platform::ReplaceFileAtomically(path, "", &error)) {
    DebugLogF("settings: cannot create %s (%s)", path.c_str(), error.c_str());
    return std::nullopt;
  }
  return path;
}

}  // namespace

std::optional<int> ParseConfigInteger(std::string_view text) {
  text = ini::Trim(text);
  if (text.empty()) return std::nullopt;
  bool negative = false;
  size_t i = 0;
  if (text[0] == '+' || text[0] == '-') {
    negative = text[0] == '-';
    i = 1;
  }
  if (i == text.size()) return std::nullopt;
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > int64_t{INT32_MAX} + 1) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > INT32_MAX || value < INT32_MIN) return std::nullopt;
  return static_cast<int>(value);
}

std::string ConfigFilePath() {
  {
    std::lock_guard<std::mutex> lock(OverrideMutex());
    if (!ConfigOverride().empty()) return ConfigOverride();
  }
  std::string folder = platform::ExecutableFolder();
  return folder + platform::kPathSeparator + kConfigFileName;
}

void SetConfigFilePathForTesting(const std::string& path) {
  std::lock_guard<std::mutex> lock(OverrideMutex());
  ConfigOverride() = path;
}

std::string ReadConfig(const std::string& key) {
  std::optional<std::string> value = ReadKey(ConfigFilePath(), kConfigSection, key);
  return value ? LimitValue(std::move(*value)) : std::string();
}

bool WriteConfig(const std::string& key, const std::string& value) {
  return WriteKey(ConfigFilePath(), kConfigSection, key, value);
}

int ReadConfigInt(const std::string& key, int fallback) {
  return ParseConfigInteger(ReadConfig(key)).value_or(fallback);
}

bool ReadConfigFlag(const std::string& key, bool fallback) {
  return ReadConfigInt(key, fallback ? 1 : 0) == 1;
}

std::string RegistryFilePath() {
  std::string home = platform::UserConfigFolder();
  if (home.empty()) return "";
  return platform::JoinPath(platform::JoinPath(home, kRegistryFolder), kRegistryFile);
}

std::string GetChannelID() {
  std::optional<std::string> path = OpenRegistryFile();
  if (!path) return "default";
  std::optional<std::string> value = ReadKey(*path, kRegistrySection, "ChannelID");
  if (!value || value->empty()) return "default";
  return *value;
}

bool IsFirstRun() {
  std::optional<std::string> path = OpenRegistryFile();
  if (!path) return true;
  std::optional<std::string> value = ReadKey(*path, kRegistrySection, "FirstRun");
  if (!value) return true;
  std::optional<int> number = ParseConfigInteger(*value);
  return !number || *number <= 0;
}

void SetFirstRun(int value) {
  std::optional<std::string> path = OpenRegistryFile();
  if (!path) return;
  WriteKey(*path, kRegistrySection, "FirstRun", std::to_string(value));
}

}  // namespace kestrune
