// The HTTP transport on Linux, loaded on first use from KestruneCurl.so
// beside the executable (curl_transport.cpp, curl_module.cpp).
#include "net/http_transport.h"
#include "platform/shared_library.h"

namespace kestrune {

// C linkage, so the result comes back through a pointer.
using CurlExchangeEntry = void (*)(const HttpExchangeRequest*, HttpExchangeEvents*,
                                   HttpExchangeResult*);

HttpExchangeResult PerformHttpExchange(const HttpExchangeRequest& request,
                                       HttpExchangeEvents& events) {
  static const CurlExchangeEntry exchange = [] {
    platform::SharedLibrary* library =
        platform::LoadLibraryBesideExecutable(platform::SiblingLibraryFileName("KestruneCurl"));
    return reinterpret_cast<CurlExchangeEntry>(
        library ? platform::LibraryEntry(library, "KestruneCurlExchange") : nullptr);
  }();
  HttpExchangeResult result;
  if (!exchange) {
    result.error = "the HTTP transport (KestruneCurl.so beside the program) cannot be loaded";
    return result;
  }
  exchange(&request, &events, &result);
  return result;
}

}  // namespace kestrune
