// Debug output on Linux: one line to stderr.
#include <cstdio>

#include "platform/debug_log.h"

namespace kestrune::platform {

void WriteDebugChannel(std::string_view line) {
  std::fprintf(stderr, "[kestrune] %.*s\n", static_cast<int>(line.size()), line.data());
}

}  // namespace kestrune::platform
