// The HTTP client's cookie jar rules: reading one Set-Cookie value, keeping
// one entry per (domain, name), and choosing which cookies go to a host.
// Cookies go only where RFC 6265 lets them: a cookie without a Domain
// attribute returns to its own host only; a domain cookie to that domain and
// its subdomains (on a dot boundary).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

struct TCookieEntry {
  std::string Name;
  std::string Value;
  std::string Domain;     // lower case, without a leading dot
  bool HostOnly = false;  // set without a Domain attribute: exact host only
};

// Parses one Set-Cookie value received from `host`. False when the value
// carries no cookie, or its Domain attribute does not cover `host` (a server
// may not plant cookies for other sites).
bool ParseSetCookie(std::string_view value, std::string_view host, TCookieEntry* cookie);

// Adds `cookie`, or replaces the value of the entry with the same domain
// and name (exact comparison), keeping list order.
void StoreCookieEntry(std::vector<TCookieEntry>& cookies, const TCookieEntry& cookie);

// True when `cookie` may be sent to `host`.
bool CookieMatchesHost(const TCookieEntry& cookie, std::string_view host);

// "Cookie: a=1; b=2" for the cookies that match `host`, in list order;
// empty when none does.
std::string BuildCookieLine(const std::vector<TCookieEntry>& cookies, std::string_view host);

}  // namespace kestrune
