// Network services for kestrune-cli: an update check that reports instead
// of acting, and the usage report's address (sent only when asked).
#pragma once

#include <string>

#include "net/update_check.h"

namespace kestrune {

struct CliUpdateCheck {
  std::string manifestUrl;
  UpdateCheckOutcome outcome;
  // Printable lines: manifest address, versions, newer or not, and the
  // address the program would open. Never opens anything.
  std::string Describe() const;
};

// Runs the update check now, synchronously, against the configured host.
CliUpdateCheck CheckForUpdateNow();

// The usage report's address built exactly as at start-up (action 2), not sent.
std::string UsageReportAddress();

struct CliUsageReportSend {
  std::string address;
  bool enabled = true;  // false when Config.dat has UsageReport=0 (nothing sent)
  bool sent = false;    // the request got an answer
  std::string status;   // the answer's status code
  std::string Describe() const;
};

// Sends the usage report now and waits for the answer.
CliUsageReportSend SendUsageReportNow();

}  // namespace kestrune
