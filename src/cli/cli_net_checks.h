// Network services for kestrune-cli: an update check that reports instead
// of acting, and the usage report's address (sent only when asked).
#pragma once

#include <string>
#include <string_view>

#include "net/update_check.h"

namespace kestrune {

// Server text made safe for a terminal: control characters (C0, DEL, and the
// C1 range whether UTF-8 encoded or raw) and bytes that are not UTF-8 become
// \xNN or \u00NN, a backslash becomes \\; other text, Chinese included, stays.
std::string EscapeControls(std::string_view text);

struct CliUpdateCheck {
  std::string manifestUrl;
  UpdateCheckOutcome outcome;
  // Printable lines: manifest address, fetched or why not, versions, newer
  // or not, and the address the program would open. Never opens anything.
  // Everything the server sent is escaped.
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
