// Set-Cookie values from a host: first line the host, each further line one
// Set-Cookie value. Checks the jar's invariants and the domain rule.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "net/http_cookies.h"

namespace {
std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  size_t newline = input.find('\n');
  std::string host(input.substr(0, newline));
  input = newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);

  std::vector<kestrune::TCookieEntry> jar;
  while (!input.empty()) {
    size_t end = input.find('\n');
    std::string_view value = input.substr(0, end);
    input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
    kestrune::TCookieEntry cookie;
    if (!kestrune::ParseSetCookie(value, host, &cookie)) continue;
    if (cookie.Domain.empty() || cookie.Domain != Lower(cookie.Domain)) std::abort();
    if (cookie.HostOnly && cookie.Domain != Lower(host)) std::abort();
    // Whatever a host may set, it may also be sent back.
    if (!kestrune::CookieMatchesHost(cookie, host)) std::abort();
    size_t before = jar.size();
    kestrune::StoreCookieEntry(jar, cookie);
    if (jar.size() != before && jar.size() != before + 1) std::abort();
  }
  std::string line = kestrune::BuildCookieLine(jar, host);
  if (!line.empty() && line.rfind("Cookie: ", 0) != 0) std::abort();
  kestrune::BuildCookieLine(jar, "other.example");
  return 0;
}
