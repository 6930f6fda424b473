// Network commands. The network subsystem's update check and usage report
// address plug in here.
#include "cli/cli_net.h"

#include <cstdio>

#include "cli/cli_app.h"

namespace kestrune::cli {

int RunUpdateCheck() {
  std::fprintf(stderr, "kestrune-cli: error: the update check is not part of this build yet\n");
  return kExitFailed;
}

int RunReportUrl() {
  std::fprintf(stderr, "kestrune-cli: error: the usage report is not part of this build yet\n");
  return kExitFailed;
}

}  // namespace kestrune::cli
