// Debug output on Windows: one line to the system debugger channel
// (OutputDebugStringW).
#include <windows.h>

#include "platform/debug_log.h"
#include "platform/win32/win32_text.h"

namespace kestrune::platform {

void WriteDebugChannel(std::string_view line) {
  std::wstring text = L"[kestrune] " + win32::Wide(line) + L"\n";
  ::OutputDebugStringW(text.c_str());
}

}  // namespace kestrune::platform
