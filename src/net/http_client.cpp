// TWinHTTPLib: request assembly, response fields, cookies, progress and
// redirects above the transport of http_transport.h.
#include "net/http_client.h"

#include <chrono>
#include <cstdlib>

#include "net/http_body.h"
#include "net/http_transport.h"
#include "net/http_url.h"
#include "platform/ascii.h"
#include "platform/debug_log.h"

namespace kestrune {
namespace {

const std::string* FirstHeader(const HttpResponseHead& head, std::string_view name) {
  for (const auto& [key, value] : head.headers) {
    if (AsciiEqualsNoCase(key, name)) return &value;
  }
  return nullptr;
}

// Content-Length as a 32-bit number; 0 when absent, negative or not a number.
int32_t ParseContentLength(const std::string* text) {
  if (!text || text->empty()) return 0;
  int64_t value = 0;
  for (char c : *text) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
    if (value > INT32_MAX) return 0;
  }
  return static_cast<int32_t>(value);
}

}  // namespace

// Bridges one exchange's transport events into the client's fields.
class HttpClientEvents : public HttpExchangeEvents {
 public:
  explicit HttpClientEvents(TWinHTTPLib& client) : client_(client) {}

  bool ShouldStop() override { return client_.Cancelled.load() || client_.aborted_.load(); }

  void OnConnected() override { DebugLog("Connect"); }

  void OnRequestHeaders(std::string_view rawBlock) override { requestHeaders_.append(rawBlock); }

  void OnResponseHead(const HttpResponseHead& head) override {
    client_.ClearResponseFields();
    client_.gotResponse_ = true;
    client_.StatusCode = head.statusText;
    if (auto* v = FirstHeader(head, "Content-Type")) client_.ContentType = *v;
    if (auto* v = FirstHeader(head, "Content-Encoding")) client_.ContentEncoding = *v;
    if (auto* v = FirstHeader(head, "Location")) client_.Location = *v;
    client_.ResponseHeaders = head.rawHeaders;
    client_.RequestHeaders = requestHeaders_;
    client_.ContentLength = ParseContentLength(FirstHeader(head, "Content-Length"));
    if (auto* v = FirstHeader(head, "Set-Cookie")) client_.SetCookie = *v;
    for (const auto& [key, value] : head.headers) {
      if (AsciiEqualsNoCase(key, "Set-Cookie")) client_.StoreCookie(value);
    }
    start_ = std::chrono::steady_clock::now();
  }

  bool OnBodyData(std::string_view bytes) override {
    if (client_.body_.size() + bytes.size() > kMaxBodyBytes) {
      DebugLogF("Response body passes %zu bytes; request stopped.", kMaxBodyBytes);
      client_.capExceeded_ = true;
      return false;
    }
    client_.body_.append(bytes);
    ReportProgress();
    return !client_.Cancelled.load();
  }

 private:
  void ReportProgress() {
    uint64_t total = client_.body_.size();
    uint16_t percent = 0;
    if (client_.ContentLength != 0) {
      percent = static_cast<uint16_t>(total * 100u / static_cast<uint32_t>(client_.ContentLength));
    }
    auto elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                         std::chrono::steady_clock::now() - start_)
                         .count();
    if (elapsedMs != 0) {
      speed_ = static_cast<double>(total) / (static_cast<double>(elapsedMs) / 1000.0) / 1024.0;
    }
    if (!client_.OnProgress) return;
    try {
      client_.OnProgress(client_, percent, speed_);
    } catch (...) {
      // A failing progress handler must not end the download.
    }
  }

  TWinHTTPLib& client_;
  std::string requestHeaders_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  double speed_ = 0;
};

TWinHTTPLib::TWinHTTPLib() = default;

void TWinHTTPLib::ClearResponseFields() {
  StatusCode.clear();
  ContentType.clear();
  ContentEncoding.clear();
  Location.clear();
  ResponseHeaders.clear();
  RequestHeaders.clear();
  ContentLength = 0;
  SetCookie.clear();
}

bool TWinHTTPLib::SendRequest(const std::string& url, std::string_view body, bool multipart,
                              const std::string& boundary) {
  Cancelled = false;
  body_.clear();
  gotResponse_ = false;
  capExceeded_ = false;
  LastError.clear();
  const char* verb = body.empty() ? "GET" : "POST";

  std::optional<CrackedUrl> cracked = CrackUrl(url);
  if (!cracked) {
    DebugLogF("Not an http or https address, nothing sent: %.200s", url.c_str());
    LastError = "not an http or https address: " + url.substr(0, 200);
    return false;
  }
  recentHost_ = cracked->host;

  HttpExchangeRequest request;
  request.secure = cracked->secure;
  request.host = cracked->host;
  request.port = cracked->port;
  request.target = cracked->target;
  request.verb = verb;
  request.userAgent = UserAgent;
  request.connectTimeoutMs = ConnectTimeout;
  request.sendTimeoutMs = SendTimeout;
  request.receiveTimeoutMs = ReceiveTimeout;
  request.totalTimeoutMs = TotalTimeout;
  request.trustedCaFile = TrustedCaFile;
  request.body = body;

  auto add = [&request](const std::string& line) {
    if (!line.empty()) request.headerLines.push_back(line);
  };
  auto addNamed = [&add](const char* name, const std::string& value) {
    if (!value.empty()) add(name + value);
  };
  add(BuildCookieHeader(cracked->host));
  addNamed("Accept:", Accept);
  addNamed("Referer:", Referer);
  addNamed("Accept-Encoding:", AcceptEncoding);
  addNamed("Accept-Language:", AcceptLanguage);
  addNamed("Authorization:", Authorization);
  addNamed("X-Requested-With:", XRequestedWith);
  for (const std::string& line : ExtraHeaders) add(line);
  if (!body.empty()) {
    add(multipart ? "Content-Type: multipart/form-data; boundary=" + boundary
                  : "Content-Type: application/x-www-form-urlencoded");
  }

  if (Cancelled || aborted_) {
    LastError = "cancelled";
    return false;
  }
  HttpClientEvents events(*this);
  HttpExchangeResult result = PerformHttpExchange(request, events);
  bool ok = result.ok && !Cancelled && !aborted_;

  // A small compressed body may still expand past what we keep in memory.
  if (ok && IsCompressedEncoding(ContentEncoding)) {
    std::string decoded;
    if (DecodeBody(body_, ContentEncoding, kMaxBodyBytes, &decoded) ==
        BodyDecodeStatus::kTooLarge) {
      DebugLogF("Decoded body passes %zu bytes; request failed.", kMaxBodyBytes);
      capExceeded_ = true;
      ok = false;
    }
  }
  if (capExceeded_) body_.clear();
  if (!ok) {
    LastError = capExceeded_            ? "the response passes the size limit"
                : Cancelled || aborted_ ? "cancelled"
                : !result.error.empty() ? result.error
                                        : "failed";
    DebugLogF("Error %d has occurred. (%s: %s)", result.errorCode, url.c_str(),
              result.error.empty() ? "failed" : result.error.c_str());
  }
  return ok;
}

bool TWinHTTPLib::Request(const std::string& url, const std::string& data) {
  try {
    bool first = SendRequest(url, data);
    const std::string firstError = LastError;
    bool capped = capExceeded_;
    std::string current = url;
    int hops = 0;
    // Follow only a Location that this exchange received, never a stale one.
    while (FollowLocation && gotResponse_ && !Location.empty() && !capped && !Cancelled &&
           !aborted_) {
      if (++hops > kMaxRedirectHops) {
        DebugLogF("More than %d redirects from %.200s; request failed.", kMaxRedirectHops,
                  url.c_str());
        LastError = "more than " + std::to_string(kMaxRedirectHops) + " redirects";
        body_.clear();
        return false;
      }
      std::string next = ResolveLocation(current, Location);
      bool ok = SendRequest(next, "");
      capped = capped || capExceeded_;
      if (!ok) break;
      current = next;
    }
    if (!first && LastError.empty()) LastError = firstError;
    return first && !capped;
  } catch (...) {
    DebugLog("Request failed with an exception.");
    LastError = "failed with an exception";
    return false;
  }
}

std::string TWinHTTPLib::GetBodyStream(bool decode) const {
  if (!decode) return body_;
  std::string decoded;
  DecodeBody(body_, ContentEncoding, kMaxBodyBytes, &decoded);  // errors keep what was produced
  return decoded;
}

std::string TWinHTTPLib::GetBodyText() const {
  return GetBodyStream(true);
}

void TWinHTTPLib::StoreCookie(const std::string& setCookie) {
  TCookieEntry cookie;
  if (!ParseSetCookie(setCookie, recentHost_, &cookie)) {
    if (!setCookie.empty()) DebugLogF("Cookie not stored for %s", recentHost_.c_str());
    return;
  }
  if (OnCookie) OnCookie(*this, cookie.Domain, cookie.Value, cookie.Name);
  StoreCookieEntry(Cookies, cookie);
}

std::string TWinHTTPLib::BuildCookieHeader(const std::string& host) const {
  return BuildCookieLine(Cookies, host);
}

}  // namespace kestrune
