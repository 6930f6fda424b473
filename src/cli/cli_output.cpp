#include "cli/cli_output.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "platform/console.h"

namespace kestrune::cli {
namespace {

void WriteFormatted(platform::StdStream stream, const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  char small[512];
  int size = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (size < 0) return;
  if (static_cast<size_t>(size) < sizeof small) {
    platform::WriteStd(stream, std::string_view(small, static_cast<size_t>(size)));
    return;
  }
  std::string text(static_cast<size_t>(size) + 1, '\0');
  std::vsnprintf(text.data(), text.size(), format, args);
  text.resize(static_cast<size_t>(size));
  platform::WriteStd(stream, text);
}

}  // namespace

void Print(const char* format, ...) {
  va_list args;
  va_start(args, format);
  WriteFormatted(platform::StdStream::kOut, format, args);
  va_end(args);
}

void PrintError(const char* format, ...) {
  va_list args;
  va_start(args, format);
  WriteFormatted(platform::StdStream::kErr, format, args);
  va_end(args);
}

void PrintText(std::string_view text) {
  platform::WriteStd(platform::StdStream::kOut, text);
}

}  // namespace kestrune::cli
