// Our own version: the running executable's "FileVersion".
#include "net/usage_report.h"
#include "platform/paths.h"

#if __has_include("env/version_resource.h")
#include "env/version_resource.h"
#define KESTRUNE_NET_VERSION_READER 1
#endif

namespace kestrune {

std::string GetOwnVersion() {
#ifdef KESTRUNE_NET_VERSION_READER
  return GetFileVersionString(platform::ExecutablePath(), "FileVersion");
#else
  return "";  // the version reader is not part of this build yet
#endif
}

}  // namespace kestrune
