// An update manifest: tags, version comparison, the address filter and the
// escaping of what the CLI shows of it.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "cli/cli_net_checks.h"
#include "net/http_url.h"
#include "net/update_check.h"

namespace {

// What the CLI prints of server text: well-formed UTF-8 without any C0, DEL
// or C1 control, whatever came in.
bool SafeForTerminal(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7F) return false;
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t length = c >= 0xF0 && c <= 0xF4  ? 4
                    : c >= 0xE0 && c < 0xF0 ? 3
                    : c >= 0xC2 && c < 0xE0 ? 2
                                            : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    if (c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) return false;
    i += length;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  kestrune::UpdateManifest manifest = kestrune::ParseUpdateManifest(text);
  if (manifest.version.find_first_of("<>") != std::string::npos) std::abort();
  if (manifest.url.find_first_of("<>") != std::string::npos) std::abort();

  std::string canonical = kestrune::CanonicalVersion(manifest.version);
  if (canonical.size() < 19) std::abort();
  for (const char* local : {"1.2.3.4", "0.0.0.0", "9999.9999.9999.9999"}) {
    bool newer = kestrune::IsNewerVersion(local, manifest.version);
    bool older = kestrune::IsNewerVersion(manifest.version, local);
    if (newer && older) std::abort();
  }
  if (kestrune::IsNewerVersion(manifest.version, manifest.version)) std::abort();

  if (!SafeForTerminal(kestrune::EscapeControls(text))) std::abort();
  if (!SafeForTerminal(kestrune::EscapeControls(manifest.version))) std::abort();

  std::string address = kestrune::SafeDownloadAddress(manifest.url);
  if (!address.empty() && !kestrune::CrackUrl(address)) std::abort();
  return 0;
}
