// Entry of kestrune-cli.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/cli_app.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  try {
    return kestrune::cli::RunCli(args);
  } catch (const std::exception& error) {
    // Last line of defence: one short line, never a trace.
    std::fprintf(stderr, "kestrune-cli: error: %s\n", error.what());
    return kestrune::cli::kExitFailed;
  }
}
