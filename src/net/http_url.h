// Address handling for the HTTP client: cracking an http(s) address into the
// parts one exchange needs, resolving a Location against the address that
// answered it, and escaping characters that may not appear in a request line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrune {

struct CrackedUrl {
  bool secure = false;  // https
  std::string host;     // as written (IPv6 literals without brackets)
  uint16_t port = 0;    // the scheme's default when the address names none
  std::string target;   // path, query and fragment, escaped; always starts with "/"
};

// Only http and https addresses crack; anything else (other schemes, no
// scheme, a malformed host or port) gives nullopt.
std::optional<CrackedUrl> CrackUrl(std::string_view url);

// True when `text` starts with an RFC 3986 scheme ("name:" before any / ? #).
bool HasScheme(std::string_view text);

// RFC 3986 section 5.2 resolution of `reference` against `base`.
std::string CombineUrl(std::string_view base, std::string_view reference);

// The address a redirect leads to: an absolute Location stays as it is; a
// bare name, "./", "../" or "/" path is resolved against `base`; any other
// relative text ("dir/file") is taken as a path from the host's root.
std::string ResolveLocation(std::string_view base, std::string_view location);

// Percent-escapes the characters an HTTP request target may not carry raw:
// controls, space, DEL, bytes above 0x7F and " < > \ ^ ` { | }. A "%" is left
// alone (it already starts an escape), as the Windows HTTP stack does.
std::string EscapeUnsafe(std::string_view text);

// EscapeUnsafe plus the characters that would change the shape of a query
// when they appear inside one value: % & # + =.
std::string EscapeQueryValue(std::string_view text);

}  // namespace kestrune
