// Standard streams on Linux: terminals take UTF-8, so every stream gets the
// bytes; arguments are the bytes the caller passed.
#include <unistd.h>

#include <cstdio>

#include "platform/console.h"

namespace kestrune::platform {

namespace {

FILE* StreamFile(StdStream stream) {
  return stream == StdStream::kOut ? stdout : stderr;
}

}  // namespace

void WriteStd(StdStream stream, std::string_view utf8) {
  std::fwrite(utf8.data(), 1, utf8.size(), StreamFile(stream));
}

void FlushStd() {
  std::fflush(stdout);
  std::fflush(stderr);
}

bool IsConsole(StdStream stream) {
  return ::isatty(stream == StdStream::kOut ? STDOUT_FILENO : STDERR_FILENO) == 1;
}

std::vector<std::string> CommandArguments(int argc, char** argv) {
  if (argc < 1 || argv == nullptr) return {};
  return std::vector<std::string>(argv + 1, argv + argc);
}

}  // namespace kestrune::platform
