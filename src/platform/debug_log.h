// Diagnostic output: one line per call to the system's debug channel.
// The program keeps no log file; tests may install a sink to observe lines.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace kestrune {

void DebugLog(std::string_view line);

// printf-style convenience for the common "what, where, why" line.
void DebugLogF(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Replaces the default sink (stderr) until reset with nullptr. Thread-safe.
using DebugLogSink = std::function<void(std::string_view)>;
void SetDebugLogSink(DebugLogSink sink);

}  // namespace kestrune
