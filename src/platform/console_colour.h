// Colour on the program's output: ANSI escape sequences, shown only by a
// terminal that understands them.
#pragma once

#include "platform/console.h"

namespace kestrune::platform {

// True when `stream` is a terminal that shows ANSI colour escapes; on
// Windows this turns the console's escape processing on first.
bool EnableColourEscapes(StdStream stream);

}  // namespace kestrune::platform
