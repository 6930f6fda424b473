// Writes the VS_VERSION_INFO structure: used at build time to give our ELF
// binaries their version resource, and by tests to make fixtures.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrune {

struct VersionResourceDesc {
  std::array<uint16_t, 4> fileVersion{};
  std::array<uint16_t, 4> productVersion{};
  uint32_t fileType = 1;                                     // 1 application, 2 library
  uint16_t language = 0x0804;                                // Chinese (PRC)
  uint16_t codePage = 0x04B0;                                // Unicode
  std::vector<std::pair<std::string, std::string>> strings;  // UTF-8 name, text
  bool withFixedInfo = true;
  bool withStringTable = true;
  bool withTranslation = true;
};

std::string BuildVersionResource(const VersionResourceDesc& desc);

// "a.b.c.d" (one to four parts, each 0..65535) -> four parts; nullopt otherwise.
std::optional<std::array<uint16_t, 4>> ParseVersionNumber(std::string_view text);

std::string Utf8ToUtf16Le(std::string_view text);

}  // namespace kestrune
