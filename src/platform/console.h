// The program's standard output and error as text: a console shows the
// characters (Chinese included, whatever the console's code page), a pipe or
// a file gets the UTF-8 bytes. Command-line arguments arrive as UTF-8.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrune::platform {

enum class StdStream { kOut, kErr };

// Writes `utf8` as it is (no line break added). Output a console shows is
// written as characters; anything else gets the bytes, unchanged (no
// line-ending translation). Safe to mix with DebugLog's lines.
void WriteStd(StdStream stream, std::string_view utf8);

// Flushes what WriteStd buffered (before reading an answer, before exit).
void FlushStd();

// True when the stream is shown by a console or terminal (not redirected).
bool IsConsole(StdStream stream);

// The arguments after the program path, in UTF-8. On Windows they come from
// the UTF-16 command line, so names outside the ANSI code page survive;
// argc/argv are used where the system's own arguments are already bytes.
std::vector<std::string> CommandArguments(int argc, char** argv);

}  // namespace kestrune::platform
