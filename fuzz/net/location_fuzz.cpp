// A redirect: first line the base address, the rest the Location value.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "net/http_url.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  size_t newline = input.find('\n');
  std::string_view base = input.substr(0, newline);
  std::string_view location =
      newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);

  std::string next = kestrune::ResolveLocation(base, location);
  if (auto cracked = kestrune::CrackUrl(next)) {
    if (cracked->target.empty() || cracked->target[0] != '/') std::abort();
    for (char c : cracked->target) {
      auto u = static_cast<unsigned char>(c);
      if (u <= 0x20 || u >= 0x7F) std::abort();  // a request line stays one line
    }
    if (cracked->host.empty()) std::abort();
  }
  // Resolving against a cracked http base never leaves http(s) by itself.
  if (kestrune::CrackUrl(base) && !kestrune::HasScheme(location) && !kestrune::HasScheme(next)) {
    std::abort();
  }
  return 0;
}
