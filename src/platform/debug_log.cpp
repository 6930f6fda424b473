// The debug line's sink and formatting; the system channel it goes to
// without a sink is the OS file's (WriteDebugChannel).
#include "platform/debug_log.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

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
  platform::WriteDebugChannel(line);
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
