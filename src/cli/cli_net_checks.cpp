// The CLI's view of the update check and the usage report.
#include "cli/cli_net_checks.h"

#include "env/settings_store.h"
#include "net/http_client.h"
#include "net/net_hosts.h"
#include "net/usage_report.h"

namespace kestrune {

std::string EscapeControls(std::string_view text) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size());
  auto hex = [&out](const char* prefix, unsigned value) {
    out += prefix;
    out += kHex[(value >> 4) & 0xF];
    out += kHex[value & 0xF];
  };
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\\') {
      out += "\\\\";
      ++i;
    } else if (c < 0x20 || c == 0x7F) {
      hex("\\x", c);
      ++i;
    } else if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
    } else {
      // One well-formed UTF-8 sequence passes whole, except a C1 control.
      const size_t length = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
      bool valid = length != 0 && c < 0xF5 && i + length <= text.size();
      for (size_t k = 1; valid && k < length; ++k)
        valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
      if (valid && length == 3) {
        const auto c1 = static_cast<unsigned char>(text[i + 1]);
        valid = !(c == 0xE0 && c1 < 0xA0) && !(c == 0xED && c1 >= 0xA0);  // overlong, surrogate
      }
      if (valid && length == 4) {
        const auto c1 = static_cast<unsigned char>(text[i + 1]);
        valid = !(c == 0xF0 && c1 < 0x90) && !(c == 0xF4 && c1 >= 0x90);
      }
      if (!valid) {
        hex("\\x", c);
        ++i;
      } else if (c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
        hex("\\u00", static_cast<unsigned char>(text[i + 1]));  // U+0080..U+009F
        i += 2;
      } else {
        out.append(text.substr(i, length));
        i += length;
      }
    }
  }
  return out;
}

std::string CliUpdateCheck::Describe() const {
  std::string text = "manifest: " + EscapeControls(manifestUrl) + "\n";
  text += std::string("fetched: ") + (outcome.fetched ? "yes" : "no");
  if (!outcome.fetched && !outcome.error.empty())
    text += " (" + EscapeControls(outcome.error) + ")";
  text += "\n";
  text += "manifest version: " + EscapeControls(outcome.manifestVersion) + "\n";
  text += "own version: " + EscapeControls(outcome.ownVersion) + "\n";
  text += std::string("newer: ") + (outcome.newer ? "yes" : "no") + "\n";
  text += "would open: " + EscapeControls(outcome.downloadAddress) + "\n";
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
  if (sent) text += "status: " + EscapeControls(status) + "\n";
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
