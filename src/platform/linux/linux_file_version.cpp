// Linux has no system reader of version resources.
#include "platform/file_version.h"

namespace kestrune::platform {

std::optional<std::string> SystemFileVersionString(const std::string& /*path*/,
                                                   const std::string& /*entry*/) {
  return std::nullopt;
}

}  // namespace kestrune::platform
