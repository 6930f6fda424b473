// Usage report address, identity caches and the fire-and-forget send.
#include "net/usage_report.h"

#include <mutex>
#include <vector>

#include "net/async_request.h"
#include "net/http_url.h"
#include "net/net_hosts.h"
#include "net/nodemark.h"
#include "platform/debug_log.h"

namespace kestrune {
namespace {

// Fills kUsageReportQuery's placeholders in order (%s texts, %d the action).
std::string FillQuery(const std::vector<std::string>& values) {
  std::string out;
  size_t next = 0;
  for (const char* p = kUsageReportQuery; *p; ++p) {
    if (p[0] == '%' && (p[1] == 's' || p[1] == 'd')) {
      if (next < values.size()) out += values[next++];
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

struct IdentityCache {
  std::mutex mutex;
  std::string machineId;
  std::string windowsVersion;
};

IdentityCache& Cache() {
  static IdentityCache cache;
  return cache;
}

std::string Cached(std::string IdentityCache::*field, std::string (*ask)()) {
  IdentityCache& cache = Cache();
  {
    std::lock_guard<std::mutex> lock(cache.mutex);
    if (!(cache.*field).empty()) return cache.*field;
  }
  std::string answer = ask();
  if (answer.empty()) return "";  // ask again next time
  std::lock_guard<std::mutex> lock(cache.mutex);
  if ((cache.*field).empty()) cache.*field = answer;
  return cache.*field;
}

}  // namespace

std::string BuildUsageReportUrl(int action, const std::string& os, const std::string& version,
                                const std::string& channel, const std::string& mid) {
  std::string escapedMid = EscapeQueryValue(mid);
  return "http://" + StatsHost() + "/" +
         FillQuery({escapedMid, std::to_string(action), EscapeQueryValue(os),
                    EscapeQueryValue(version), EscapeQueryValue(channel), escapedMid});
}

void SendUsageReport(int action, const std::string& os, const std::string& version,
                     const std::string& channel, const std::string& mid) {
  try {
    if (!UsageReportEnabled()) {
      DebugLog("Usage report off (UsageReport=0).");
      return;
    }
    StartAsyncRequest(BuildUsageReportUrl(action, os, version, channel, mid), "", nullptr);
  } catch (...) {
    DebugLog("Usage report not sent.");
  }
}

std::string GetMachineID() {
  return Cached(&IdentityCache::machineId, NodemarkMachineId);
}

std::string GetWindowsVersionText() {
  return Cached(&IdentityCache::windowsVersion, NodemarkWindowsVersion);
}

}  // namespace kestrune
