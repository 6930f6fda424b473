// Settings store: Config.dat beside the executable, read and written through
// the INI layer (src/ini), and the program's registry key, one access per call.
#include "env/settings_store.h"

#include <cstdint>
#include <memory>
#include <mutex>

#include "env/config_location.h"
#include "ini/ini_file.h"
#include "ini/ini_text.h"
#include "platform/ascii.h"
#include "platform/debug_log.h"
#include "platform/file_lock.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/registry.h"

namespace kestrune {
namespace {

// A real Config.dat is a few kilobytes; anything past this is not ours and
// would only be dragged into memory on every access.
constexpr uint64_t kMaxSettingsFileBytes = 16u << 20;
// The value buffer of the profile call the format was made with.
constexpr size_t kMaxValueBytes = 2047;

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

// Reads section/key from an INI file. A missing file or key is kAbsent; a
// file that is there but cannot be read is kUnreadable, with the reason.
ConfigRead ReadKeyChecked(const std::string& path, const char* section, const std::string& key) {
  ConfigRead read;
  std::optional<uint64_t> size = platform::FileSize(path);
  if (size && *size > kMaxSettingsFileBytes) {
    read.status = ConfigReadStatus::kUnreadable;
    read.error = path + " is " + std::to_string(*size) + " bytes, too large to be a settings file";
    return read;
  }
  platform::ReadResult file = platform::ReadWholeFile(path);
  if (file.status == platform::ReadStatus::kNotFound) return read;
  if (file.status != platform::ReadStatus::kOk) {
    read.status = ConfigReadStatus::kUnreadable;
    read.error =
        "cannot read " + path + ": " +
        (file.status == platform::ReadStatus::kIsDirectory ? "it is a folder" : file.error);
    return read;
  }
  std::optional<std::string> value = ini::ReadValue(file.data, section, key);
  if (!value) return read;
  read.status = ConfigReadStatus::kOk;
  read.value = std::move(*value);
  return read;
}

// The same with the store's failure rules: a missing file is simply empty;
// anything else unreadable costs one debug line.
std::optional<std::string> ReadKey(const std::string& path, const char* section,
                                   const std::string& key) {
  ConfigRead read = ReadKeyChecked(path, section, key);
  if (read.status == ConfigReadStatus::kUnreadable) {
    DebugLogF("settings: %s; '%s' takes its default", read.error.c_str(), key.c_str());
  }
  if (read.status != ConfigReadStatus::kOk) return std::nullopt;
  return std::move(read.value);
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

}  // namespace

std::optional<int> ParseConfigInteger(std::string_view text) {
  text = TrimSpaceTab(text);
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
  return SettledConfigFilePath();
}

void SetConfigFilePathForTesting(const std::string& path) {
  std::lock_guard<std::mutex> lock(OverrideMutex());
  ConfigOverride() = path;
}

std::string ReadConfig(const std::string& key) {
  std::optional<std::string> value = ReadKey(ConfigFilePath(), kConfigSection, key);
  return value ? LimitValue(std::move(*value)) : std::string();
}

ConfigRead ReadConfigChecked(const std::string& key) {
  ConfigRead read = ReadKeyChecked(ConfigFilePath(), kConfigSection, key);
  if (read.status == ConfigReadStatus::kOk) read.value = LimitValue(std::move(read.value));
  return read;
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

std::string GetChannelID() {
  std::unique_ptr<platform::ProgramRegistryKey> key = platform::OpenProgramRegistryKey();
  if (!key) return "default";
  std::optional<std::string> value = key->ReadString("ChannelID");
  if (!value || value->empty()) return "default";
  return *value;
}

bool IsFirstRun() {
  std::unique_ptr<platform::ProgramRegistryKey> key = platform::OpenProgramRegistryKey();
  if (!key) return true;
  std::optional<int32_t> value = key->ReadNumber("FirstRun");
  return !value || *value <= 0;
}

void SetFirstRun(int value) {
  std::unique_ptr<platform::ProgramRegistryKey> key = platform::OpenProgramRegistryKey();
  if (!key) return;
  key->WriteNumber("FirstRun", value);
}

}  // namespace kestrune
