// Terminals on Linux understand ANSI colours; "dumb" ones say they do not.
#include <cstdlib>
#include <cstring>

#include "platform/console_colour.h"

namespace kestrune::platform {

bool EnableColourEscapes(StdStream stream) {
  if (!IsConsole(stream)) return false;
  const char* term = std::getenv("TERM");
  return !(term && std::strcmp(term, "dumb") == 0);
}

}  // namespace kestrune::platform
