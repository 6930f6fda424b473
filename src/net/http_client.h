// TWinHTTPLib: the program's synchronous HTTP client. One object performs one
// request at a time on the calling thread: GET or POST with a fixed
// browser-like header set, the whole body read into memory, response headers
// and cookies collected, gzip / raw deflate decoded on request, and Location
// followed by the client itself (bounded, http and https only).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "net/http_cookies.h"

namespace kestrune {

class TWinHTTPLib;

// The client, the percentage (0 when the length is unknown) and the speed in KiB/s.
using HttpProgressEvent = std::function<void(TWinHTTPLib&, uint16_t percent, double kibPerSecond)>;
// The client, the cookie's domain, value and name.
using HttpCookieEvent = std::function<void(TWinHTTPLib&, const std::string& domain,
                                           const std::string& value, const std::string& name)>;

// A redirect chain longer than this fails the request.
inline constexpr int kMaxRedirectHops = 8;

class TWinHTTPLib {
 public:
  TWinHTTPLib();
  TWinHTTPLib(const TWinHTTPLib&) = delete;
  TWinHTTPLib& operator=(const TWinHTTPLib&) = delete;

  // Cleared when an exchange starts; setting it (from an event handler or
  // another thread) ends the exchange as failed at its next check.
  std::atomic<bool> Cancelled{false};
  std::string RequestHeaders;  // the request's raw header block as sent
  std::vector<TCookieEntry> Cookies;
  std::string Referer;
  std::string AcceptEncoding = "gzip, deflate";
  std::string AcceptLanguage;
  std::string UserAgent = "Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 5.1; .NET CLR 2.0.50727)";
  std::string Accept = "*/*";
  std::string StatusCode;
  std::string ContentEncoding;
  std::string ContentType;
  HttpProgressEvent OnProgress;
  uint32_t ReceiveTimeout = 30000;  // ms, each applied when non-zero
  uint32_t ConnectTimeout = 30000;
  uint32_t SendTimeout = 30000;
  // The whole of one exchange, from connecting to its last byte, whatever the
  // idle gaps (ms; 0: the transport's default of 60 s).
  uint32_t TotalTimeout = 60000;
  bool FollowLocation = true;
  std::string Authorization;
  std::string SetCookie;  // the first Set-Cookie of the response
  int32_t ContentLength = 0;
  std::string ResponseHeaders;
  std::string XRequestedWith;
  std::string Location;
  std::vector<std::string> ExtraHeaders;
  HttpCookieEvent OnCookie;
  // Extra trust anchor (PEM file) besides the system store; empty for none.
  std::string TrustedCaFile;
  // Why the latest Request or SendRequest failed, including a Location hop
  // that failed after a good first exchange (an address that is not http or
  // https, a refused certificate, a timeout); empty when every exchange of it
  // succeeded. May hold text from the server: escape it before showing it.
  std::string LastError;

  // GET when `data` is empty, otherwise POST with the form content type; then
  // follows Location hops with GETs. True when the first exchange succeeded
  // (false when a hop chain runs past kMaxRedirectHops or a body past the
  // size cap); body and headers are those of the last exchange.
  bool Request(const std::string& url, const std::string& data = "");

  // One exchange: GET when `body` is empty, otherwise POST.
  bool SendRequest(const std::string& url, std::string_view body, bool multipart = false,
                   const std::string& boundary = "");

  // The body decoded by its Content-Encoding (or as received), as bytes.
  std::string GetBodyText() const;
  std::string GetBodyStream(bool decode) const;

  // Takes one Set-Cookie value from the host of this client's latest exchange.
  void StoreCookie(const std::string& setCookie);
  // The "Cookie: ..." line for `host`, empty when no cookie matches.
  std::string BuildCookieHeader(const std::string& host) const;

  // Ends the running exchange and refuses further ones for good (unlike
  // Cancelled, which the next exchange clears). Safe from any thread.
  void Abort() { aborted_ = true; }

  // Host of this client's most recent exchange (default cookie domain).
  const std::string& RecentHost() const { return recentHost_; }

 private:
  friend class HttpClientEvents;
  void ClearResponseFields();

  std::string body_;
  std::string recentHost_;
  bool capExceeded_ = false;
  bool gotResponse_ = false;
  std::atomic<bool> aborted_{false};
};

}  // namespace kestrune
