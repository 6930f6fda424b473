// Where Kestrune keeps its own files. On Windows where the program always
// kept them (Config.dat beside the executable, backups in the local
// application data); on Linux by the desktop's conventions (Config.dat in
// the configuration home, backups in the data home, never inside a Proton
// prefix that Steam may delete).
#pragma once

#include <string>

namespace kestrune::platform {

// The folder of Config.dat; empty when it cannot be determined.
std::string SettingsFileFolder();

// Where an earlier build kept Config.dat, when that differs from
// SettingsFileFolder (Linux: beside the executable); empty otherwise.
std::string LegacySettingsFileFolder();

// Kestrune's own data folder (the backups live in its "BackupFiles").
std::string OwnDataFolder();

// Where an earlier build kept that folder, when it differs (Linux: inside
// the game's Proton prefix); empty otherwise.
std::string LegacyOwnDataFolder();

// Renames a folder (or file) within one file system; false with the
// system's reason otherwise (the caller then leaves it where it is).
bool MovePath(const std::string& from, const std::string& to, std::string* error = nullptr);

}  // namespace kestrune::platform
