// Network commands, through the network subsystem: the update check (reports,
// never opens anything) and the usage report's address (built, not sent).
#include "cli/cli_net.h"

#include <cstdio>

#include "cli/cli_app.h"
#include "cli/cli_net_checks.h"
#include "cli/cli_output.h"
#include "net/net_hosts.h"

namespace kestrune::cli {

int RunUpdateCheck() {
  CliUpdateCheck check = CheckForUpdateNow();
  PrintText(check.Describe());
  if (!check.outcome.fetched) {
    const bool timedOut = check.outcome.error.find("timed out") != std::string::npos;
    PrintError("kestrune-cli: error: the update manifest could not be fetched from %s%s: %s\n",
               EscapeControls(check.manifestUrl).c_str(), timedOut ? " (timed out)" : "",
               EscapeControls(check.outcome.error).c_str());
    return kExitFailed;
  }
  return kExitOk;
}

int RunReportSend() {
  CliUsageReportSend sent = SendUsageReportNow();
  PrintText(sent.Describe());
  if (sent.enabled && !sent.sent) {
    PrintError("kestrune-cli: error: the usage report got no answer from %s\n",
               EscapeControls(sent.address).c_str());
    return kExitFailed;
  }
  return kExitOk;
}

int RunReportUrl() {
  Print("%s\n", UsageReportAddress().c_str());
  // The switch the options menu shows as "发送匿名使用统计".
  if (UsageReportEnabled())
    Print(
        "usage report: on (sent once at every start; UsageReport=0 in Config.dat turns it "
        "off)\n");
  else
    Print("usage report: off (UsageReport=0): nothing is sent at start-up\n");
  return kExitOk;
}

}  // namespace kestrune::cli
