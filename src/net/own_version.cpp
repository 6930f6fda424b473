// Our own version: the running executable's "FileVersion".
#include "env/version_resource.h"
#include "net/usage_report.h"
#include "platform/paths.h"

namespace kestrune {

std::string GetOwnVersion() {
  return GetFileVersionString(platform::ExecutablePath(), "FileVersion");
}

}  // namespace kestrune
