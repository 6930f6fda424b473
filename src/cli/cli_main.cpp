// Entry of kestrune-cli.
#include <exception>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "cli/cli_output.h"
#include "platform/console.h"

int main(int argc, char** argv) {
  std::vector<std::string> args = kestrune::platform::CommandArguments(argc, argv);
  int status = kestrune::cli::kExitFailed;
  try {
    status = kestrune::cli::RunCli(args);
  } catch (const std::exception& error) {
    // Last line of defence: one short line, never a trace.
    kestrune::cli::PrintError("kestrune-cli: error: %s\n", error.what());
  }
  kestrune::platform::FlushStd();
  return status;
}
