// Windows command-line splitting (the C runtime's rules since 2008).
#include "env/command_line.h"

namespace kestrune {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

std::vector<std::string> SplitWindowsCommandLine(std::string_view line) {
  std::vector<std::string> args;
  size_t i = 0;
  const size_t n = line.size();
  while (i < n && IsBlank(line[i])) ++i;
  if (i == n) return args;

  // Program name: no escapes at all.
  std::string program;
  if (line[i] == '"') {
    ++i;
    while (i < n && line[i] != '"') program.push_back(line[i++]);
    if (i < n) ++i;
    // Text glued to the closing quote still belongs to the name.
    while (i < n && !IsBlank(line[i])) program.push_back(line[i++]);
  } else {
    while (i < n && !IsBlank(line[i])) program.push_back(line[i++]);
  }
  args.push_back(std::move(program));

  for (;;) {
    while (i < n && IsBlank(line[i])) ++i;
    if (i >= n) break;
    std::string arg;
    bool quoted = false;
    while (i < n) {
      char c = line[i];
      if (c == '\\') {
        size_t slashes = 0;
        while (i < n && line[i] == '\\') {
          ++slashes;
          ++i;
        }
        if (i < n && line[i] == '"') {
          arg.append(slashes / 2, '\\');
          if (slashes % 2 == 1) {
            arg.push_back('"');
            ++i;
          }
        } else {
          arg.append(slashes, '\\');
        }
        continue;
      }
      if (c == '"') {
        if (quoted && i + 1 < n && line[i + 1] == '"') {
          arg.push_back('"');
          i += 2;
          continue;
        }
        quoted = !quoted;
        ++i;
        continue;
      }
      if (!quoted && IsBlank(c)) break;
      arg.push_back(c);
      ++i;
    }
    args.push_back(std::move(arg));
  }
  return args;
}

}  // namespace kestrune
