// The system's own reader of a file's version resource. The program reads
// version resources with its own portable reader (env/version_resource.h);
// this one exists so that tests can check both agree where the system has one.
#pragma once

#include <optional>
#include <string>

namespace kestrune::platform {

// One string of the file's version resource as the system reads it, by the
// same rules as GetFileVersionString (first translation, "FileVersion" falling
// back to the fixed version). nullopt where the system has no reader of its
// own (Linux); empty text when the file has no such entry.
std::optional<std::string> SystemFileVersionString(const std::string& path,
                                                   const std::string& entry);

}  // namespace kestrune::platform
