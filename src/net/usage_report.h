// The start-up usage report: one GET to the statistics endpoint with the
// machine identifier, the OS text, our own version and the channel. Sent
// on a worker thread; its answer is ignored and it never delays start-up.
#pragma once

#include <string>

namespace kestrune {

// The path and query after "http://<StatsHost>/"; filled in order with
// mac, action, os, version, channel and mid.
inline constexpr char kUsageReportQuery[] =
    "cj?mac=%s&action=%d&os=%s&version=%s&channel=%s&mid=%s&rtime=0&p=";
inline constexpr int kUsageActionStart = 2;

// The report's address. Values are percent-escaped (blanks, controls,
// non-ASCII and the characters that would split the query), so any text
// makes a well-formed request; `mid` also fills the mac place.
std::string BuildUsageReportUrl(int action, const std::string& os, const std::string& version,
                                const std::string& channel, const std::string& mid);

// Starts the report on its own worker thread and returns at once; any
// error is absorbed. Nothing is sent when Config.dat has UsageReport=0.
void SendUsageReport(int action, const std::string& os, const std::string& version,
                     const std::string& channel, const std::string& mid);

// The machine identifier and OS text from the Nodemark library, cached for
// the process once non-empty (an empty answer is asked again next time).
std::string GetMachineID();
std::string GetWindowsVersionText();

// Our own file version ("FileVersion" of the running executable).
std::string GetOwnVersion();

}  // namespace kestrune
