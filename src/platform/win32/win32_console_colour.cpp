// A Windows console shows ANSI colours once its escape processing is on
// (Windows 10 and later); an older console refuses the mode.
#include <windows.h>

#include "platform/console_colour.h"

#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif

namespace kestrune::platform {

bool EnableColourEscapes(StdStream stream) {
  HANDLE handle = ::GetStdHandle(stream == StdStream::kOut ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || !IsConsole(stream)) return false;
  DWORD mode = 0;
  if (!::GetConsoleMode(handle, &mode)) return false;
  if (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) return true;
  return ::SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

}  // namespace kestrune::platform
