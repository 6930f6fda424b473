// One HTTP exchange on the wire. Everything above the wire (which headers in
// which order, cookies, redirects, body decoding, progress) belongs to the
// client; the transport only connects, sends what it is given and reports
// what comes back. It follows no redirect, keeps no cookie and decodes no
// content encoding of its own. TLS certificates and host names are verified.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ascii.h"

namespace kestrune {

struct HttpExchangeRequest {
  bool secure = false;
  std::string host;
  uint16_t port = 80;
  std::string target;  // escaped path + query
  std::string verb;    // "GET" or "POST"
  std::string userAgent;
  std::vector<std::string> headerLines;  // "Name:value", sent in this order
  std::string_view body;                 // POST data (must outlive the exchange)
  uint32_t connectTimeoutMs = 0;         // 0: the transport's own default
  uint32_t sendTimeoutMs = 0;
  uint32_t receiveTimeoutMs = 0;
  // The whole exchange, connect to last byte: a server that keeps each idle
  // gap short (one byte every few seconds) cannot hold it open past this.
  uint32_t totalTimeoutMs = 0;  // 0: the transport's default, 60 s
  std::string trustedCaFile;    // extra trust anchor (PEM); empty: the system store
};

// What a timeout of 0 in the request stands for.
inline constexpr uint32_t kDefaultConnectTimeoutMs = 60000;
inline constexpr uint32_t kDefaultSendTimeoutMs = 30000;
inline constexpr uint32_t kDefaultReceiveTimeoutMs = 30000;
// No exchange, however lively, runs longer than this unless the client says.
inline constexpr uint32_t kDefaultTotalTimeoutMs = 60000;

// The timeouts an exchange runs with: the request's, each 0 by its default.
struct HttpTimeouts {
  uint32_t connectMs, sendMs, receiveMs, totalMs;
};
inline HttpTimeouts ExchangeTimeouts(const HttpExchangeRequest& request) {
  auto pick = [](uint32_t asked, uint32_t fallback) { return asked ? asked : fallback; };
  return {pick(request.connectTimeoutMs, kDefaultConnectTimeoutMs),
          pick(request.sendTimeoutMs, kDefaultSendTimeoutMs),
          pick(request.receiveTimeoutMs, kDefaultReceiveTimeoutMs),
          pick(request.totalTimeoutMs, kDefaultTotalTimeoutMs)};
}

struct HttpResponseHead {
  int status = 0;
  std::string statusText;  // the status code as received ("200")
  std::string rawHeaders;  // status line and header lines, CRLF each, then CRLF
  std::vector<std::pair<std::string, std::string>> headers;  // in order, values trimmed
};

// The head a status line ("HTTP/1.1 200 OK") starts: the code as received
// and as a number (its leading digits), and the raw block's first line.
inline HttpResponseHead HeadFromStatusLine(std::string_view line) {
  HttpResponseHead head;
  std::string_view status = TrimHeaderLine(line);
  size_t space = status.find(' ');
  std::string_view rest =
      space == std::string_view::npos ? std::string_view() : status.substr(space + 1);
  head.statusText = std::string(TrimHeaderLine(rest.substr(0, rest.find(' '))));
  for (char c : head.statusText) {
    if (c < '0' || c > '9') break;
    head.status = head.status * 10 + (c - '0');
  }
  head.rawHeaders = std::string(status) + "\r\n";
  return head;
}

// One header line after the status line: a line that starts with a blank
// continues the header before it, any other with a ':' is "Name: value"; the
// raw block gets the line without its surrounding blanks.
inline void AddHeaderLine(HttpResponseHead& head, std::string_view line) {
  std::string_view content = TrimHeaderLine(line);
  if (!line.empty() && (line[0] == ' ' || line[0] == '\t') && !head.headers.empty()) {
    head.headers.back().second += " " + std::string(content);  // folded line
  } else if (size_t colon = content.find(':'); colon != std::string_view::npos) {
    head.headers.emplace_back(std::string(TrimHeaderLine(content.substr(0, colon))),
                              std::string(TrimHeaderLine(content.substr(colon + 1))));
  }
  head.rawHeaders += std::string(content) + "\r\n";
}

// The client's side of an exchange. Called on the exchange's own thread.
class HttpExchangeEvents {
 public:
  virtual ~HttpExchangeEvents() = default;
  // Polled often; true ends the exchange as failed.
  virtual bool ShouldStop() = 0;
  virtual void OnConnected() = 0;
  virtual void OnRequestHeaders(std::string_view rawBlock) = 0;
  virtual void OnResponseHead(const HttpResponseHead& head) = 0;
  // False stops the exchange as failed (cancelled, too large).
  virtual bool OnBodyData(std::string_view bytes) = 0;
};

struct HttpExchangeResult {
  bool ok = false;
  bool gotResponse = false;  // a response head arrived
  int errorCode = 0;         // transport's code, for the debug line
  std::string error;         // readable reason when !ok
};

HttpExchangeResult PerformHttpExchange(const HttpExchangeRequest& request,
                                       HttpExchangeEvents& events);

}  // namespace kestrune
