// The two network commands of kestrune-cli: the update check and the usage
// report address.
#pragma once

namespace kestrune::cli {

int RunUpdateCheck();
int RunReportUrl();
// Sends the usage report now and prints the answer.
int RunReportSend();

}  // namespace kestrune::cli
