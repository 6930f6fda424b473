// The wire under the HTTP client on Windows: one exchange over WinHTTP in
// asynchronous mode, so that the exchange's own thread can check
// cancellation, our idle timeouts and the exchange deadline several times a
// second while WinHTTP works. WinHTTP's redirects, cookies, automatic
// authentication and decompression stay off; certificate and host-name
// checks stay on (no ignore flag is ever set). Trust comes from the system
// store only: an extra trust anchor file is refused, not silently dropped.
#include <windows.h>
#include <winhttp.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "net/http_transport.h"
#include "platform/ascii.h"
#include "platform/utf8.h"

namespace kestrune {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kPollSlice = std::chrono::milliseconds(50);
// How long we wait for WinHTTP to let go of a closed request.
constexpr auto kCloseWait = std::chrono::seconds(1);
constexpr DWORD kReadSlice = 64 * 1024;

// Text that crosses into WinHTTP: header lines and names are bytes; each
// byte becomes the UTF-16 unit of the same value (ISO-8859-1, as on the wire).
std::wstring BytesToWide(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  for (char c : bytes) out += static_cast<wchar_t>(static_cast<unsigned char>(c));
  return out;
}

// And back: a unit below 256 is that byte; anything else (WinHTTP decoded a
// header for us) is kept as UTF-8.
std::string WideToBytes(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t unit = static_cast<char16_t>(text[i]);
    if (unit < 0x100) {
      out += static_cast<char>(unit);
      continue;
    }
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      unit = 0x10000 + ((unit - 0xD800) << 10) + (static_cast<char16_t>(text[i + 1]) - 0xDC00);
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      unit = 0xFFFD;
    }
    AppendUtf8(out, unit);
  }
  return out;
}

// One header line must stay one line: WinHTTP would split at a line break.
bool IsSingleLine(std::string_view line) {
  for (char c : line) {
    if (c == '\r' || c == '\n' || c == '\0') return false;
  }
  return true;
}

// Everything WinHTTP's callback touches lives here, on the heap: a callback
// may still arrive after the exchange has given up on the request, so the
// state is freed by whichever side lets go last.
struct AsyncState {
  std::mutex mutex;
  std::condition_variable changed;
  int owners = 2;  // the exchange and the request handle
  bool completed = false;
  DWORD completion = 0;  // WINHTTP_CALLBACK_STATUS_* that completed the call
  DWORD bytes = 0;       // of DATA_AVAILABLE and READ_COMPLETE
  DWORD error = 0;       // of REQUEST_ERROR
  DWORD secureFailure = 0;
  bool connected = false;
  bool requestSent = false;  // every byte of the request is out: the server's turn
  bool closing = false;
  Clock::time_point lastActivity = Clock::now();
  std::string body;              // the POST data, kept as long as WinHTTP may read it
  std::vector<char> readBuffer;  // WinHTTP writes here until READ_COMPLETE
};

void ReleaseState(AsyncState* state) {
  bool last = false;
  {
    std::lock_guard<std::mutex> lock(state->mutex);
    last = --state->owners == 0;
  }
  if (last) delete state;
}

void CALLBACK OnStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info, DWORD length) {
  auto* state = reinterpret_cast<AsyncState*>(context);
  if (!state) return;
  if (status == WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING) {
    {
      std::lock_guard<std::mutex> lock(state->mutex);
      state->closing = true;
    }
    state->changed.notify_all();
    ReleaseState(state);
    return;
  }
  {
    std::lock_guard<std::mutex> lock(state->mutex);
    state->lastActivity = Clock::now();
    switch (status) {
      case WINHTTP_CALLBACK_STATUS_SENDING_REQUEST:
        state->connected = true;  // after the TLS handshake, before the request goes out
        break;
      case WINHTTP_CALLBACK_STATUS_REQUEST_SENT:
        state->requestSent = true;
        break;
      case WINHTTP_CALLBACK_STATUS_SECURE_FAILURE:
        if (info && length >= sizeof(DWORD)) state->secureFailure = *static_cast<DWORD*>(info);
        break;
      case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
      case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
        state->completed = true;
        state->completion = status;
        break;
      case WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE:
        state->completed = true;
        state->completion = status;
        state->bytes = info ? *static_cast<DWORD*>(info) : 0;
        break;
      case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
        state->completed = true;
        state->completion = status;
        state->bytes = length;
        break;
      case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
        state->completed = true;
        state->completion = status;
        state->error =
            info ? static_cast<WINHTTP_ASYNC_RESULT*>(info)->dwError : ERROR_INVALID_DATA;
        if (!state->error) state->error = ERROR_INVALID_DATA;
        break;
      default:
        break;
    }
  }
  state->changed.notify_all();
}

enum class WaitOutcome { kCompleted, kStopped, kIdle, kDeadline };

class WinHttpExchange {
 public:
  WinHttpExchange(const HttpExchangeRequest& request, HttpExchangeEvents& events)
      : request_(request), events_(events), timeouts_(ExchangeTimeouts(request)) {
    deadline_ = Clock::now() + std::chrono::milliseconds(timeouts_.totalMs);
  }
  ~WinHttpExchange() { Close(); }
  WinHttpExchange(const WinHttpExchange&) = delete;
  WinHttpExchange& operator=(const WinHttpExchange&) = delete;

  HttpExchangeResult Run();

 private:
  bool Open();
  bool Send();
  bool Receive();
  bool ReadBody();
  // Waits for the pending call's completion; `idleMs()` of silence ends it
  // (asked again at every check: the limit may change as the call moves on).
  WaitOutcome Wait(const std::function<uint32_t()>& idleMs);
  bool WaitAndCheck(uint32_t idleMs, DWORD expected, const char* what);
  void Fail(DWORD code, std::string text) {
    if (result_.error.empty()) {
      result_.errorCode = static_cast<int>(code);
      result_.error = std::move(text);
    }
  }
  void FailWithLastError(const char* what) { FailWithCode(GetLastError(), what); }
  void FailWithCode(DWORD code, const char* what);
  void FailDeadline() {
    char text[96];
    std::snprintf(text, sizeof text, "timed out: the exchange took longer than %.1f s",
                  timeouts_.totalMs / 1000.0);
    Fail(ERROR_WINHTTP_TIMEOUT, text);
  }
  void Arm() {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->completed = false;
    state_->lastActivity = Clock::now();
  }
  void Close();
  std::wstring QueryHeaders(DWORD level);

  const HttpExchangeRequest& request_;
  HttpExchangeEvents& events_;
  HttpExchangeResult result_;
  const HttpTimeouts timeouts_;
  Clock::time_point deadline_;
  HINTERNET session_ = nullptr;
  HINTERNET connection_ = nullptr;
  HINTERNET requestHandle_ = nullptr;
  AsyncState* state_ = nullptr;  // shared with the request handle's callback
  bool connectedReported_ = false;
};

void WinHttpExchange::FailWithCode(DWORD code, const char* what) {
  std::string reason;
  switch (code) {
    case ERROR_WINHTTP_TIMEOUT:
      reason = "timed out";
      break;
    case ERROR_WINHTTP_CANNOT_CONNECT:
      reason = "cannot connect";
      break;
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
      reason = "host name not resolved";
      break;
    case ERROR_WINHTTP_SECURE_FAILURE: {
      DWORD flags = 0;
      if (state_) {
        std::lock_guard<std::mutex> lock(state_->mutex);
        flags = state_->secureFailure;
      }
      char text[64];
      std::snprintf(text, sizeof text, "certificate refused (0x%08lx)",
                    static_cast<unsigned long>(flags));
      reason = text;
      break;
    }
    case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
      reason = "secure channel refused (certificate or TLS)";
      break;
    case ERROR_WINHTTP_CONNECTION_ERROR:
      reason = "connection broken";
      break;
    case ERROR_WINHTTP_INVALID_SERVER_RESPONSE:
      reason = "invalid server response";
      break;
    default:
      reason = "WinHTTP error " + std::to_string(code);
      break;
  }
  Fail(code, std::string(what) + ": " + reason);
}

bool WinHttpExchange::Open() {
  if (!request_.trustedCaFile.empty()) {
    // Trust on Windows is the system store's; a private anchor would need the
    // ignore flags, which this transport never sets.
    Fail(ERROR_NOT_SUPPORTED, "an extra trust anchor file is not supported here");
    return false;
  }
  for (const std::string& line : request_.headerLines) {
    if (!IsSingleLine(line)) {
      Fail(ERROR_INVALID_PARAMETER, "a header line holds a line break");
      return false;
    }
  }
  std::wstring agent = BytesToWide(request_.userAgent);
  const wchar_t* agentText = agent.empty() ? nullptr : agent.c_str();

  // The user's proxy as the browser settings name it; automatic detection and
  // configuration scripts are not used.
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG proxy = {};
  if (WinHttpGetIEProxyConfigForCurrentUser(&proxy) && proxy.lpszProxy && proxy.lpszProxy[0]) {
    session_ = WinHttpOpen(agentText, WINHTTP_ACCESS_TYPE_NAMED_PROXY, proxy.lpszProxy,
                           proxy.lpszProxyBypass ? proxy.lpszProxyBypass : WINHTTP_NO_PROXY_BYPASS,
                           WINHTTP_FLAG_ASYNC);
  } else {
    session_ = WinHttpOpen(agentText, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                           WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
  }
  for (LPWSTR text : {proxy.lpszAutoConfigUrl, proxy.lpszProxy, proxy.lpszProxyBypass}) {
    if (text) GlobalFree(text);
  }
  if (!session_) {
    FailWithLastError("WinHttpOpen");
    return false;
  }

  std::wstring host = BytesToWide(request_.host);
  connection_ = WinHttpConnect(session_, host.c_str(), request_.port, 0);
  if (!connection_) {
    FailWithLastError("WinHttpConnect");
    return false;
  }
  if (events_.ShouldStop()) {
    Fail(ERROR_CANCELLED, "cancelled");
    return false;
  }
  std::wstring verb = BytesToWide(request_.verb);
  std::wstring target = BytesToWide(request_.target);
  // The target arrives escaped by the client; WinHTTP must not escape it again.
  DWORD flags = WINHTTP_FLAG_ESCAPE_DISABLE | WINHTTP_FLAG_ESCAPE_DISABLE_QUERY;
  if (request_.secure) flags |= WINHTTP_FLAG_SECURE;
  requestHandle_ = WinHttpOpenRequest(connection_, verb.c_str(), target.c_str(), nullptr,
                                      WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, flags);
  if (!requestHandle_) {
    FailWithLastError("WinHttpOpenRequest");
    return false;
  }
  state_ = new AsyncState;
  DWORD_PTR context = reinterpret_cast<DWORD_PTR>(state_);
  if (!WinHttpSetOption(requestHandle_, WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context) ||
      WinHttpSetStatusCallback(requestHandle_, OnStatus, WINHTTP_CALLBACK_FLAG_ALL_NOTIFICATIONS,
                               0) == WINHTTP_INVALID_STATUS_CALLBACK) {
    FailWithLastError("WinHttpSetStatusCallback");
    // No callback will ever free the state: the handle gives up its share here.
    WinHttpCloseHandle(requestHandle_);
    requestHandle_ = nullptr;
    ReleaseState(state_);
    return false;
  }

  // Redirects, cookies and authentication are the client's, never WinHTTP's.
  DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
  DWORD disabled =
      WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_COOKIES | WINHTTP_DISABLE_AUTHENTICATION;
  if (!WinHttpSetOption(requestHandle_, WINHTTP_OPTION_REDIRECT_POLICY, &policy, sizeof policy) ||
      !WinHttpSetOption(requestHandle_, WINHTTP_OPTION_DISABLE_FEATURE, &disabled,
                        sizeof disabled)) {
    FailWithLastError("WinHttpSetOption");
    return false;
  }
  // WinHTTP's own timers as a second line behind ours.
  WinHttpSetTimeouts(requestHandle_, static_cast<int>(timeouts_.connectMs),
                     static_cast<int>(timeouts_.connectMs), static_cast<int>(timeouts_.sendMs),
                     static_cast<int>(timeouts_.receiveMs));

  for (const std::string& line : request_.headerLines) {
    std::wstring wide = BytesToWide(line);
    if (!WinHttpAddRequestHeaders(requestHandle_, wide.c_str(), static_cast<DWORD>(wide.size()),
                                  WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE)) {
      FailWithLastError("WinHttpAddRequestHeaders");
      return false;
    }
  }
  return true;
}

WaitOutcome WinHttpExchange::Wait(const std::function<uint32_t()>& idleMs) {
  while (true) {
    bool connected = false;
    Clock::time_point lastActivity;
    {
      std::unique_lock<std::mutex> lock(state_->mutex);
      if (state_->changed.wait_for(lock, kPollSlice, [this] { return state_->completed; })) {
        state_->completed = false;
        connected = state_->connected;
        lock.unlock();
        if (connected && !connectedReported_) {
          connectedReported_ = true;
          events_.OnConnected();
        }
        return WaitOutcome::kCompleted;
      }
      connected = state_->connected;
      lastActivity = state_->lastActivity;
    }
    if (connected && !connectedReported_) {
      connectedReported_ = true;
      events_.OnConnected();
    }
    if (events_.ShouldStop()) return WaitOutcome::kStopped;
    Clock::time_point now = Clock::now();
    if (now >= deadline_) return WaitOutcome::kDeadline;
    if (now - lastActivity >= std::chrono::milliseconds(idleMs())) return WaitOutcome::kIdle;
  }
}

bool WinHttpExchange::WaitAndCheck(uint32_t idleMs, DWORD expected, const char* what) {
  switch (Wait([idleMs] { return idleMs; })) {
    case WaitOutcome::kStopped:
      Fail(ERROR_CANCELLED, "cancelled");
      return false;
    case WaitOutcome::kIdle:
      Fail(ERROR_WINHTTP_TIMEOUT, std::string(what) + ": timed out");
      return false;
    case WaitOutcome::kDeadline:
      FailDeadline();
      return false;
    case WaitOutcome::kCompleted:
      break;
  }
  DWORD completion = 0, error = 0;
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    completion = state_->completion;
    error = state_->error;
  }
  if (completion == WINHTTP_CALLBACK_STATUS_REQUEST_ERROR) {
    FailWithCode(error, what);
    return false;
  }
  if (completion != expected) {
    FailWithCode(ERROR_INVALID_DATA, what);
    return false;
  }
  return true;
}

bool WinHttpExchange::Send() {
  state_->body.assign(request_.body.data(), request_.body.size());
  DWORD length = static_cast<DWORD>(state_->body.size());
  Arm();
  if (!WinHttpSendRequest(requestHandle_, WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                          length ? state_->body.data() : WINHTTP_NO_REQUEST_DATA, length, length,
                          reinterpret_cast<DWORD_PTR>(state_))) {
    FailWithLastError("WinHttpSendRequest");
    return false;
  }
  // Connecting (name, TCP, TLS) gets the connect time, the request the send
  // time; once it is out, some stacks complete the send only when the answer
  // starts, so from then on the receive time applies.
  enum class Phase { kConnecting, kSending, kAwaiting };
  auto phaseNow = [this] {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->requestSent ? Phase::kAwaiting
           : state_->connected ? Phase::kSending
                               : Phase::kConnecting;
  };
  auto idleFor = [this](Phase phase) {
    return phase == Phase::kConnecting ? timeouts_.connectMs
           : phase == Phase::kSending  ? timeouts_.sendMs
                                       : timeouts_.receiveMs;
  };
  WaitOutcome outcome = Wait([&] { return idleFor(phaseNow()); });
  if (outcome != WaitOutcome::kCompleted) {
    Phase phase = phaseNow();
    if (outcome == WaitOutcome::kStopped) {
      Fail(ERROR_CANCELLED, "cancelled");
    } else if (outcome == WaitOutcome::kDeadline) {
      FailDeadline();
    } else {
      Fail(ERROR_WINHTTP_TIMEOUT, phase == Phase::kConnecting ? "connect timed out"
                                  : phase == Phase::kSending  ? "send timed out"
                                                              : "receive timed out");
    }
    return false;
  }
  DWORD completion = 0, error = 0;
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    completion = state_->completion;
    error = state_->error;
  }
  if (completion == WINHTTP_CALLBACK_STATUS_REQUEST_ERROR) {
    FailWithCode(error, "WinHttpSendRequest");
    return false;
  }
  events_.OnRequestHeaders(WideToBytes(
      QueryHeaders(WINHTTP_QUERY_RAW_HEADERS_CRLF | WINHTTP_QUERY_FLAG_REQUEST_HEADERS)));
  return true;
}

std::wstring WinHttpExchange::QueryHeaders(DWORD level) {
  DWORD size = 0;
  WinHttpQueryHeaders(requestHandle_, level, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER,
                      &size, WINHTTP_NO_HEADER_INDEX);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return L"";
  std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
  if (!WinHttpQueryHeaders(requestHandle_, level, WINHTTP_HEADER_NAME_BY_INDEX, text.data(), &size,
                           WINHTTP_NO_HEADER_INDEX)) {
    return L"";
  }
  text.resize(size / sizeof(wchar_t));
  return text;
}

bool WinHttpExchange::Receive() {
  Arm();
  if (!WinHttpReceiveResponse(requestHandle_, nullptr)) {
    FailWithLastError("WinHttpReceiveResponse");
    return false;
  }
  if (!WaitAndCheck(timeouts_.receiveMs, WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE,
                    "WinHttpReceiveResponse")) {
    return false;
  }
  // The status line and header lines as received, CRLF each, then CRLF.
  std::string raw = WideToBytes(QueryHeaders(WINHTTP_QUERY_RAW_HEADERS_CRLF));
  HttpResponseHead head;
  size_t start = 0;
  bool first = true;
  while (start < raw.size()) {
    size_t end = raw.find('\n', start);
    if (end == std::string::npos) end = raw.size();
    std::string_view line(raw.data() + start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (first) {
      first = false;
      head = HeadFromStatusLine(line);
      continue;
    }
    if (!TrimHeaderLine(line).empty()) AddHeaderLine(head, line);
  }
  if (first) {
    Fail(ERROR_WINHTTP_INVALID_SERVER_RESPONSE, "no response head");
    return false;
  }
  head.rawHeaders += "\r\n";
  result_.gotResponse = true;
  events_.OnResponseHead(head);
  return true;
}

bool WinHttpExchange::ReadBody() {
  while (true) {
    if (events_.ShouldStop()) {
      Fail(ERROR_CANCELLED, "cancelled");
      return false;
    }
    Arm();
    if (!WinHttpQueryDataAvailable(requestHandle_, nullptr)) {
      FailWithLastError("WinHttpQueryDataAvailable");
      return false;
    }
    if (!WaitAndCheck(timeouts_.receiveMs, WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE,
                      "WinHttpQueryDataAvailable")) {
      return false;
    }
    DWORD available = 0;
    {
      std::lock_guard<std::mutex> lock(state_->mutex);
      available = state_->bytes;
    }
    if (available == 0) return true;  // the body is complete
    DWORD want = available < kReadSlice ? available : kReadSlice;
    {
      std::lock_guard<std::mutex> lock(state_->mutex);
      state_->readBuffer.assign(want, '\0');
    }
    Arm();
    if (!WinHttpReadData(requestHandle_, state_->readBuffer.data(), want, nullptr)) {
      FailWithLastError("WinHttpReadData");
      return false;
    }
    if (!WaitAndCheck(timeouts_.receiveMs, WINHTTP_CALLBACK_STATUS_READ_COMPLETE,
                      "WinHttpReadData")) {
      return false;
    }
    std::string piece;
    {
      std::lock_guard<std::mutex> lock(state_->mutex);
      piece.assign(state_->readBuffer.data(), state_->bytes < want ? state_->bytes : want);
    }
    if (piece.empty()) return true;
    if (events_.ShouldStop() || !events_.OnBodyData(piece)) {
      Fail(ERROR_CANCELLED, "stopped by the client");
      return false;
    }
  }
}

void WinHttpExchange::Close() {
  if (requestHandle_) {
    WinHttpCloseHandle(requestHandle_);
    requestHandle_ = nullptr;
    // WinHTTP says goodbye with HANDLE_CLOSING; after it no callback touches the state.
    std::unique_lock<std::mutex> lock(state_->mutex);
    state_->changed.wait_for(lock, kCloseWait, [this] { return state_->closing; });
  }
  if (state_) {
    ReleaseState(state_);
    state_ = nullptr;
  }
  if (connection_) WinHttpCloseHandle(connection_);
  if (session_) WinHttpCloseHandle(session_);
  connection_ = session_ = nullptr;
}

HttpExchangeResult WinHttpExchange::Run() {
  bool ok = false;
  try {
    ok = Open() && Send() && Receive() && ReadBody();
  } catch (...) {
    Fail(ERROR_INVALID_DATA, "failed with an exception");
    ok = false;
  }
  Close();
  result_.ok = ok && result_.gotResponse;
  if (!result_.ok && result_.error.empty()) result_.error = "no response";
  return result_;
}

}  // namespace

HttpExchangeResult PerformHttpExchange(const HttpExchangeRequest& request,
                                       HttpExchangeEvents& events) {
  WinHttpExchange exchange(request, events);
  return exchange.Run();
}

}  // namespace kestrune
