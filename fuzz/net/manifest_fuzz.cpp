// An update manifest: tags, version comparison and the address filter.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "net/http_url.h"
#include "net/update_check.h"

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

  std::string address = kestrune::SafeDownloadAddress(manifest.url);
  if (!address.empty() && !kestrune::CrackUrl(address)) std::abort();
  return 0;
}
