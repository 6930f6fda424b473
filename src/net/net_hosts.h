// The three hosts the program talks to, each with a built-in default that a
// deployment (or a test) can change in Config.dat, section "general":
//   UpdateHost   = host[:port] of the download server  (manifest at /sa.cab)
//   StatsHost    = host[:port] of the statistics endpoint (usage report at /cj)
//   PartnerHost  = host[:port] of the partner web site  (browser tabs)
//   UsageReport  = 0 turns the start-up usage report off (default on)
// Values are read on every call, like every other setting.
#pragma once

#include <string>

namespace kestrune {

inline constexpr char kUpdateHostKey[] = "UpdateHost";
inline constexpr char kStatsHostKey[] = "StatsHost";
inline constexpr char kPartnerHostKey[] = "PartnerHost";
inline constexpr char kUsageReportKey[] = "UsageReport";

inline constexpr char kDefaultUpdateHost[] = "update.kestrune.com";
inline constexpr char kDefaultStatsHost[] = "stats.kestrune.com";
inline constexpr char kDefaultPartnerHost[] = "www.kestrune.com";

// The configured host, or the default when the key is absent or its value
// is not a plain host[:port] (a debug line says so).
std::string UpdateHost();
std::string StatsHost();
std::string PartnerHost();

// "http://<UpdateHost>/sa.cab"
std::string UpdateManifestUrl();
// "http://<PartnerHost>" + path, e.g. PartnerPageUrl("/zs/search").
std::string PartnerPageUrl(const std::string& path);
// "http://<PartnerHost>/" (the about box's link).
std::string PartnerHomeUrl();

// False only when UsageReport is set to 0.
bool UsageReportEnabled();

// True for a plain host name, IPv4 or [IPv6] literal with an optional port.
bool IsPlainHostPort(const std::string& text);

}  // namespace kestrune
