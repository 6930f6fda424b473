// The command's output: printf-style lines to stdout (Print) and stderr
// (PrintError), through the platform's console service, so Chinese text
// shows in a Windows console and pipes get UTF-8.
#pragma once

#include <string_view>

#include "platform/debug_log.h"

namespace kestrune::cli {

void Print(const char* format, ...) __attribute__((format(KESTRUNE_PRINTF_FORMAT, 1, 2)));
void PrintError(const char* format, ...) __attribute__((format(KESTRUNE_PRINTF_FORMAT, 1, 2)));
void PrintText(std::string_view text);

}  // namespace kestrune::cli
