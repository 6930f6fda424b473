// The entry of KestruneCurl.so, the module that holds the libcurl transport:
// libcurl and its thirty-odd libraries (TLS, Kerberos, LDAP, SSH...) are
// mapped on the first exchange instead of at every start.
#include "net/http_transport.h"

extern "C" __attribute__((visibility("default"))) void KestruneCurlExchange(
    const kestrune::HttpExchangeRequest* request, kestrune::HttpExchangeEvents* events,
    kestrune::HttpExchangeResult* result) {
  *result = kestrune::PerformHttpExchange(*request, *events);
}
