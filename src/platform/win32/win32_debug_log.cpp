// Debug output on Windows: one line to the system debugger channel
// (OutputDebugStringW), unless a sink is installed.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>

#include "platform/debug_log.h"
#include "platform/win32/win32_text.h"

namespace kestrune {
namespace {

std::mutex& SinkMutex() {
  static std::mutex m;
  return m;
}

DebugLogSink& Sink() {
  static DebugLogSink sink;
  return sink;
}

}  // namespace

void DebugLog(std::string_view line) {
  std::lock_guard<std::mutex> lock(SinkMutex());
  if (Sink()) {
    Sink()(line);
    return;
  }
  std::wstring text = L"[kestrune] " + platform::win32::Wide(line) + L"\n";
  ::OutputDebugStringW(text.c_str());
}

void DebugLogF(const char* format, ...) {
  char buffer[2048];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  DebugLog(buffer);
}

void SetDebugLogSink(DebugLogSink sink) {
  std::lock_guard<std::mutex> lock(SinkMutex());
  Sink() = std::move(sink);
}

}  // namespace kestrune
