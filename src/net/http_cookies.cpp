// Cookie parsing and matching (see http_cookies.h for the rules).
#include "net/http_cookies.h"

#include <cctype>

#include "platform/ascii.h"

namespace kestrune {
namespace {

bool IsIpAddress(std::string_view host) {
  if (host.find(':') != std::string_view::npos) return true;  // IPv6
  for (char c : host) {
    if (!(c >= '0' && c <= '9') && c != '.') return false;
  }
  return !host.empty();
}

// RFC 6265 section 5.1.3.
bool DomainMatch(std::string_view host, std::string_view domain) {
  if (host == domain) return true;
  if (domain.empty() || IsIpAddress(host) || host.size() <= domain.size()) return false;
  return host.substr(host.size() - domain.size()) == domain &&
         host[host.size() - domain.size() - 1] == '.';
}

}  // namespace

bool ParseSetCookie(std::string_view value, std::string_view host, TCookieEntry* cookie) {
  std::vector<std::string_view> parts;
  while (true) {
    size_t semicolon = value.find(';');
    parts.push_back(TrimSpaceTab(value.substr(0, semicolon)));
    if (semicolon == std::string_view::npos) break;
    value.remove_prefix(semicolon + 1);
  }
  std::string_view first = parts.front();
  size_t equals = first.find('=');
  // A pair without "=" is no cookie (RFC 6265 section 5.2).
  if (first.empty() || equals == std::string_view::npos) return false;

  std::string_view domainAttribute;
  bool hasDomain = false;
  for (size_t i = 1; i < parts.size(); ++i) {
    size_t eq = parts[i].find('=');
    if (AsciiLowerCopy(TrimSpaceTab(parts[i].substr(0, eq))) != "domain") continue;
    // The last Domain attribute wins, as in RFC 6265.
    domainAttribute =
        eq == std::string_view::npos ? std::string_view() : TrimSpaceTab(parts[i].substr(eq + 1));
    hasDomain = true;
  }
  while (!domainAttribute.empty() && domainAttribute.front() == '.')
    domainAttribute.remove_prefix(1);

  std::string lowerHost = AsciiLowerCopy(host);
  TCookieEntry parsed;
  parsed.Name = std::string(TrimSpaceTab(first.substr(0, equals)));
  parsed.Value = std::string(TrimSpaceTab(first.substr(equals + 1)));
  // An empty, "/" or "\" domain means "this host".
  if (!hasDomain || domainAttribute.empty() || domainAttribute == "/" || domainAttribute == "\\") {
    parsed.Domain = lowerHost;
    parsed.HostOnly = true;
  } else {
    parsed.Domain = AsciiLowerCopy(domainAttribute);
    if (!DomainMatch(lowerHost, parsed.Domain)) return false;
  }
  if (parsed.Domain.empty()) return false;
  *cookie = std::move(parsed);
  return true;
}

void StoreCookieEntry(std::vector<TCookieEntry>& cookies, const TCookieEntry& cookie) {
  for (TCookieEntry& entry : cookies) {
    if (entry.Domain == cookie.Domain && entry.Name == cookie.Name) {
      entry.Value = cookie.Value;
      entry.HostOnly = cookie.HostOnly;
      return;
    }
  }
  cookies.push_back(cookie);
}

bool CookieMatchesHost(const TCookieEntry& cookie, std::string_view host) {
  std::string lowerHost = AsciiLowerCopy(host);
  std::string domain = AsciiLowerCopy(cookie.Domain);
  if (cookie.HostOnly) return lowerHost == domain;
  return DomainMatch(lowerHost, domain);
}

std::string BuildCookieLine(const std::vector<TCookieEntry>& cookies, std::string_view host) {
  std::string line;
  for (const TCookieEntry& cookie : cookies) {
    if (!CookieMatchesHost(cookie, host)) continue;
    line += line.empty() ? "Cookie: " : "; ";
    line += cookie.Name + "=" + cookie.Value;
  }
  return line;
}

}  // namespace kestrune
