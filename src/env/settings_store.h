// The program's own settings: Config.dat (section "general") beside the
// executable, and the registry stand-in. Every call opens the file, does one
// read or one write, and closes it again; nothing is cached.
#pragma once

#include <string>

namespace kestrune {

// Reads general/key from Config.dat; empty on any failure or when absent.
std::string ReadConfig(const std::string& key);

// Writes general/key = value to Config.dat; failures are absorbed (one debug line).
void WriteConfig(const std::string& key, const std::string& value);

// Integer and flag readers with the store's parsing rules: text that is not
// an integer gives `fallback`; a flag is set only when its value is exactly 1.
int ReadConfigInt(const std::string& key, int fallback);
bool ReadConfigFlag(const std::string& key, bool fallback);

// Full path of Config.dat (the executable's folder + "Config.dat").
std::string ConfigFilePath();

// Tests point the store at a file of their own; an empty path restores the default.
void SetConfigFilePathForTesting(const std::string& path);

std::string GetChannelID();
bool IsFirstRun();
void SetFirstRun(int value);

}  // namespace kestrune
