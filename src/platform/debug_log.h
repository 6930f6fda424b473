// Diagnostic output: one line per call to the system's debug channel.
// The program keeps no log file; tests may install a sink to observe lines.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace kestrune {

void DebugLog(std::string_view line);

// printf-style convenience for the common "what, where, why" line. The
// formats are C99's everywhere (MinGW's plain "printf" checks the older
// Microsoft set, which lacks %zu).
#ifdef __MINGW32__
#define KESTRUNE_PRINTF_FORMAT gnu_printf
#else
#define KESTRUNE_PRINTF_FORMAT printf
#endif
void DebugLogF(const char* format, ...) __attribute__((format(KESTRUNE_PRINTF_FORMAT, 1, 2)));

// Replaces the default sink (stderr) until reset with nullptr. Thread-safe.
using DebugLogSink = std::function<void(std::string_view)>;
void SetDebugLogSink(DebugLogSink sink);

namespace platform {
// The system's own channel a line goes to without a sink: stderr on Linux,
// the debugger's on Windows (one implementation per system).
void WriteDebugChannel(std::string_view line);
}  // namespace platform

}  // namespace kestrune
