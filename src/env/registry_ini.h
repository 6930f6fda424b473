// Where the registry key lives on a system without a registry: an INI file
// <user settings folder>/KestruneTools/registry.ini, section "KestruneTools",
// with the same value names.
#pragma once

#include <string>

namespace kestrune {

// The file's full path; empty when there is no user settings folder.
std::string RegistryFilePath();

}  // namespace kestrune
