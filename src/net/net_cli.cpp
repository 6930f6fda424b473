// The CLI's view of the update check and the usage report.
#include "net/net_cli.h"

#include "env/settings_store.h"
#include "net/http_client.h"
#include "net/net_hosts.h"
#include "net/usage_report.h"

namespace kestrune {

std::string CliUpdateCheck::Describe() const {
  std::string text = "manifest: " + manifestUrl + "\n";
  text += std::string("fetched: ") + (outcome.fetched ? "yes" : "no") + "\n";
  text += "manifest version: " + outcome.manifestVersion + "\n";
  text += "own version: " + outcome.ownVersion + "\n";
  text += std::string("newer: ") + (outcome.newer ? "yes" : "no") + "\n";
  text += "would open: " + outcome.downloadAddress + "\n";
  return text;
}

CliUpdateCheck CheckForUpdateNow() {
  CliUpdateCheck check;
  check.manifestUrl = UpdateManifestUrl();
  check.outcome = RunUpdateCheck(check.manifestUrl, GetOwnVersion());
  return check;
}

std::string UsageReportAddress() {
  // The same values, in the same order, as the main window gathers them.
  std::string mid = GetMachineID();
  std::string channel = GetChannelID();
  std::string version = GetOwnVersion();
  std::string os = GetWindowsVersionText();
  return BuildUsageReportUrl(kUsageActionStart, os, version, channel, mid);
}

std::string CliUsageReportSend::Describe() const {
  std::string text = "usage report: " + address + "\n";
  if (!enabled) return text + "sent: no (UsageReport=0)\n";
  text += std::string("sent: ") + (sent ? "yes" : "no") + "\n";
  if (sent) text += "status: " + status + "\n";
  return text;
}

CliUsageReportSend SendUsageReportNow() {
  CliUsageReportSend result;
  result.address = UsageReportAddress();
  result.enabled = UsageReportEnabled();
  if (!result.enabled) return result;
  TWinHTTPLib client;
  result.sent = client.Request(result.address);
  result.status = client.StatusCode;
  return result;
}

}  // namespace kestrune
