// The program's own settings: Config.dat (section "general") beside the
// executable, and the registry stand-in. Every call opens the file, does one
// read or one write, and closes it again; nothing is cached.
//
// Config.dat has three writers at once (UI thread, hardware thread, the
// renderer process). Each write is a read-modify-write under an exclusive
// advisory lock on the folder that holds the file (the INI layer replaces the
// file by rename, so the file's own inode is no stable lock target). Another
// process that writes Config.dat should go through WriteConfig or take the
// same lock (platform::ScopedFileLock on the folder).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestrune {

inline constexpr const char* kConfigFileName = "Config.dat";
inline constexpr const char* kConfigSection = "general";

// Reads general/key from Config.dat; empty on any failure or when absent.
// A value is read back up to 2047 bytes, blanks around it removed.
std::string ReadConfig(const std::string& key);

// ReadConfig that tells a missing file or key (the caller's default applies)
// from a Config.dat that exists but could not be read (a denied or failed
// open or read, a folder in its place, a file too large to be ours): a caller
// that saves its settings back must not save defaults over values it never saw.
enum class ConfigReadStatus { kOk, kAbsent, kUnreadable };
struct ConfigRead {
  ConfigReadStatus status = ConfigReadStatus::kAbsent;
  std::string value;  // kOk: the value, as ReadConfig returns it
  std::string error;  // kUnreadable: the file and the reason
};
ConfigRead ReadConfigChecked(const std::string& key);

// Writes general/key = value to Config.dat; a failure costs one debug line
// and gives false.
bool WriteConfig(const std::string& key, const std::string& value);

// Integer and flag readers with the store's parsing rules: text that is not
// an integer gives `fallback`; a flag is set only when its value is exactly 1.
// A flag's absent or non-integer text parses with the fallback (0 or 1) first,
// as the option page loads its check boxes.
int ReadConfigInt(const std::string& key, int fallback);
bool ReadConfigFlag(const std::string& key, bool fallback);

// The integer rule on its own: optional blanks, optional sign, decimal digits,
// within 32 bits. Anything else (empty, "abc", "1.5", "99999999999") is nullopt.
std::optional<int> ParseConfigInteger(std::string_view text);

// Full path of Config.dat: beside the executable on Windows, in
// $XDG_CONFIG_HOME/KestruneTools on Linux (see env/config_location.h).
std::string ConfigFilePath();

// Tests point the store at a file of their own; an empty path restores the default.
void SetConfigFilePathForTesting(const std::string& path);

// The registry key HKEY_CURRENT_USER\SOFTWARE\KestruneTools (platform/registry.h),
// created on first open, even by a read.
// ChannelID, or "default" when the key cannot be opened, the value is absent or empty.
std::string GetChannelID();
// True when the key cannot be opened, FirstRun is absent, not an integer, or <= 0.
bool IsFirstRun();
// Writes FirstRun; does nothing when the key cannot be opened.
void SetFirstRun(int value);

}  // namespace kestrune
