// The wire under the HTTP client: one exchange over libcurl's multi
// interface, so that cancellation and our idle timeouts are checked several
// times a second. libcurl's redirect, cookie and content-decoding features
// stay off; it speaks HTTP/1.1 with the proxy from its usual defaults.
#include <curl/curl.h>

#include <chrono>
#include <cstdio>
#include <mutex>

#include "net/http_transport.h"
#include "platform/ascii.h"

namespace kestrune {
namespace {

using Clock = std::chrono::steady_clock;

constexpr long kPollSliceMs = 50;

void GlobalInitOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Exchange {
  HttpExchangeEvents* events = nullptr;
  HttpResponseHead head;
  bool headDelivered = false;
  bool stoppedByClient = false;
  bool connected = false;
  Clock::time_point lastActivity = Clock::now();
  curl_off_t uploadTotal = 0;
  curl_off_t uploaded = 0;
  curl_off_t downloaded = 0;

  void Touch() { lastActivity = Clock::now(); }

  void HeaderLine(std::string_view line) {
    Touch();
    if (line.empty()) return;
    if (line.substr(0, 5) == "HTTP/") {
      // A new status line (also after an interim 1xx answer) starts a new head.
      head = HeadFromStatusLine(line);
      return;
    }
    std::string_view content = TrimHeaderLine(line);
    if (content.empty() && (line[0] == '\r' || line[0] == '\n')) {
      head.rawHeaders += "\r\n";
      if (head.status >= 200 || head.status < 100) {
        headDelivered = true;
        events->OnResponseHead(head);
      }
      return;
    }
    AddHeaderLine(head, line);
  }
};

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  auto* exchange = static_cast<Exchange*>(user);
  try {
    exchange->HeaderLine(std::string_view(data, size * count));
  } catch (...) {
    return 0;  // nothing may unwind through libcurl
  }
  return size * count;
}

size_t OnWrite(char* data, size_t size, size_t count, void* user) {
  auto* exchange = static_cast<Exchange*>(user);
  exchange->Touch();
  size_t total = size * count;
  exchange->downloaded += static_cast<curl_off_t>(total);
  bool keep = false;
  try {
    keep = !exchange->events->ShouldStop() && exchange->events->OnBodyData({data, total});
  } catch (...) {
    keep = false;
  }
  if (!keep) {
    exchange->stoppedByClient = true;
    return 0;
  }
  return total;
}

int OnDebug(CURL*, curl_infotype type, char* data, size_t size, void* user) {
  if (type == CURLINFO_HEADER_OUT) {
    auto* exchange = static_cast<Exchange*>(user);
    try {
      exchange->events->OnRequestHeaders(std::string_view(data, size));
    } catch (...) {
    }
  }
  return 0;
}

int OnPrereq(void* user, char*, char*, int, int) {
  auto* exchange = static_cast<Exchange*>(user);
  exchange->connected = true;
  exchange->Touch();
  try {
    exchange->events->OnConnected();
  } catch (...) {
  }
  return CURL_PREREQFUNC_OK;
}

int OnTransferInfo(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t ulnow) {
  auto* exchange = static_cast<Exchange*>(user);
  if (ulnow != exchange->uploaded) {
    exchange->uploaded = ulnow;
    exchange->Touch();
  }
  return 0;
}

// RAII for the handles of one exchange; nothing stays open afterwards.
struct CurlHandles {
  CURL* easy = curl_easy_init();
  CURLM* multi = curl_multi_init();
  curl_slist* headers = nullptr;
  ~CurlHandles() {
    if (multi && easy) curl_multi_remove_handle(multi, easy);
    if (easy) curl_easy_cleanup(easy);
    if (multi) curl_multi_cleanup(multi);
    curl_slist_free_all(headers);
  }
};

bool AppendHeader(curl_slist*& list, const std::string& line) {
  curl_slist* grown = curl_slist_append(list, line.c_str());
  if (!grown) return false;
  list = grown;
  return true;
}

}  // namespace

HttpExchangeResult PerformHttpExchange(const HttpExchangeRequest& request,
                                       HttpExchangeEvents& events) {
  GlobalInitOnce();
  HttpExchangeResult result;
  CurlHandles handles;
  if (!handles.easy || !handles.multi) {
    result.error = "out of memory";
    return result;
  }
  CURL* easy = handles.easy;
  Exchange exchange;
  exchange.events = &events;
  exchange.uploadTotal = static_cast<curl_off_t>(request.body.size());

  std::string hostPart =
      request.host.find(':') != std::string::npos ? "[" + request.host + "]" : request.host;
  std::string url = std::string(request.secure ? "https://" : "http://") + hostPart + ":" +
                    std::to_string(request.port) + request.target;

  bool headersOk = true;
  for (const std::string& line : request.headerLines) {
    headersOk = headersOk && AppendHeader(handles.headers, line);
  }
  // Headers libcurl would add on its own unless told not to ("Name:" removes).
  bool hasAccept = false;
  for (const std::string& line : request.headerLines) {
    if (line.size() >= 7 && curl_strnequal(line.c_str(), "Accept:", 7)) hasAccept = true;
  }
  if (!hasAccept) headersOk = headersOk && AppendHeader(handles.headers, "Accept:");
  headersOk = headersOk && AppendHeader(handles.headers, "Expect:");
  if (!headersOk) {
    result.error = "out of memory";
    return result;
  }

  const HttpTimeouts timeouts = ExchangeTimeouts(request);

  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
  // A proxy tunnel's own answer is not the server's response.
  curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  curl_easy_setopt(easy, CURLOPT_HTTP_CONTENT_DECODING, 0L);
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!request.trustedCaFile.empty()) {
    curl_easy_setopt(easy, CURLOPT_CAINFO, request.trustedCaFile.c_str());
  }
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeouts.connectMs));
  if (!request.userAgent.empty())
    curl_easy_setopt(easy, CURLOPT_USERAGENT, request.userAgent.c_str());
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, handles.headers);
  if (request.verb == "POST") {
    curl_easy_setopt(easy, CURLOPT_POST, 1L);
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, exchange.uploadTotal);
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, request.body.data());
  } else {
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
  }
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, OnHeader);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, &exchange);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, OnWrite);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &exchange);
  curl_easy_setopt(easy, CURLOPT_DEBUGFUNCTION, OnDebug);
  curl_easy_setopt(easy, CURLOPT_DEBUGDATA, &exchange);
  curl_easy_setopt(easy, CURLOPT_VERBOSE, 1L);  // feeds OnDebug only
  curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, OnPrereq);
  curl_easy_setopt(easy, CURLOPT_PREREQDATA, &exchange);
  curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, OnTransferInfo);
  curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &exchange);
  curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
  char errorText[CURL_ERROR_SIZE] = {};
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorText);

  if (curl_multi_add_handle(handles.multi, easy) != CURLM_OK) {
    result.error = "cannot start the exchange";
    return result;
  }

  std::string stopReason;
  const Clock::time_point started = Clock::now();
  while (true) {
    int running = 0;
    if (curl_multi_perform(handles.multi, &running) != CURLM_OK) {
      stopReason = "transport failure";
      break;
    }
    if (!running) break;
    if (events.ShouldStop()) {
      stopReason = "cancelled";
      break;
    }
    auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
    if (elapsed.count() >= static_cast<long long>(timeouts.totalMs)) {
      char text[96];
      std::snprintf(text, sizeof text, "timed out: the exchange took longer than %.1f s",
                    timeouts.totalMs / 1000.0);
      stopReason = text;
      result.errorCode = static_cast<int>(CURLE_OPERATION_TIMEDOUT);
      break;
    }
    if (exchange.connected) {
      auto idle = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() -
                                                                        exchange.lastActivity);
      bool sending = exchange.uploaded < exchange.uploadTotal;
      uint32_t limit = sending ? timeouts.sendMs : timeouts.receiveMs;
      if (idle.count() >= static_cast<long long>(limit)) {
        stopReason = sending ? "send timed out" : "receive timed out";
        result.errorCode = static_cast<int>(CURLE_OPERATION_TIMEDOUT);
        break;
      }
    }
    curl_multi_poll(handles.multi, nullptr, 0, kPollSliceMs, nullptr);
  }

  result.gotResponse = exchange.headDelivered;
  if (!stopReason.empty()) {
    result.error = stopReason;
    return result;
  }
  int pending = 0;
  CURLcode code = CURLE_OK;
  bool finished = false;
  while (CURLMsg* message = curl_multi_info_read(handles.multi, &pending)) {
    if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
      code = message->data.result;
      finished = true;
    }
  }
  if (!finished) {
    result.error = "exchange did not finish";
    return result;
  }
  result.errorCode = static_cast<int>(code);
  if (code != CURLE_OK) {
    result.error = exchange.stoppedByClient ? "stopped by the client"
                   : errorText[0]           ? errorText
                                            : curl_easy_strerror(code);
    return result;
  }
  result.ok = exchange.headDelivered;
  if (!result.ok) result.error = "no response";
  return result;
}

}  // namespace kestrune
