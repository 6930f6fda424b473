// Host settings with built-in defaults (see net_hosts.h).
#include "net/net_hosts.h"

#include "env/settings_store.h"
#include "net/http_url.h"
#include "platform/debug_log.h"

namespace kestrune {
namespace {

std::string ConfiguredHost(const char* key, const char* fallback) {
  std::string value = ReadConfig(key);
  size_t begin = value.find_first_not_of(" \t");
  size_t end = value.find_last_not_of(" \t");
  value = begin == std::string::npos ? "" : value.substr(begin, end - begin + 1);
  if (value.empty()) return fallback;
  if (!IsPlainHostPort(value)) {
    DebugLogF("Config.dat %s=\"%.100s\" is not a host[:port]; using %s", key, value.c_str(),
              fallback);
    return fallback;
  }
  return value;
}

}  // namespace

bool IsPlainHostPort(const std::string& text) {
  if (text.empty() || text.size() > 260) return false;
  // The cracker is the judge: the text must make an address on its own,
  // with nothing after the authority.
  auto cracked = CrackUrl("http://" + text);
  return cracked && text.find_first_of("/?#@\\") == std::string::npos;
}

std::string UpdateHost() {
  return ConfiguredHost(kUpdateHostKey, kDefaultUpdateHost);
}
std::string StatsHost() {
  return ConfiguredHost(kStatsHostKey, kDefaultStatsHost);
}
std::string PartnerHost() {
  return ConfiguredHost(kPartnerHostKey, kDefaultPartnerHost);
}

std::string UpdateManifestUrl() {
  return "http://" + UpdateHost() + "/sa.cab";
}
std::string PartnerPageUrl(const std::string& path) {
  return "http://" + PartnerHost() + path;
}
std::string PartnerHomeUrl() {
  return PartnerPageUrl("/");
}

bool UsageReportEnabled() {
  return ReadConfigInt(kUsageReportKey, 1) != 0;
}

}  // namespace kestrune
