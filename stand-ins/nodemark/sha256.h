// A small SHA-256 (FIPS 180-4) and HMAC-SHA-256 (RFC 2104) for the machine
// identifier; the library needs nothing bigger.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace nodemark {

using Digest = std::array<uint8_t, 32>;

Digest Sha256(std::string_view data);
Digest HmacSha256(std::string_view key, std::string_view message);

}  // namespace nodemark
