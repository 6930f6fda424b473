// Self-freeing request threads, counted so that an orderly exit can wait.
#include "net/async_request.h"

#include <condition_variable>
#include <mutex>
#include <thread>

#include "net/http_client.h"
#include "platform/debug_log.h"

namespace kestrune {
namespace {

// Never destroyed: workers may still finish while static objects go away.
struct RunningCount {
  std::mutex mutex;
  std::condition_variable idle;
  int running = 0;
};

RunningCount& Running() {
  static auto* count = new RunningCount;
  return *count;
}

}  // namespace

TAsyncWinHTTPThread* TAsyncWinHTTPThread::CreateSuspended() {
  return new TAsyncWinHTTPThread;
}

bool TAsyncWinHTTPThread::Start() {
  {
    std::lock_guard<std::mutex> lock(Running().mutex);
    ++Running().running;
  }
  try {
    std::thread([this] {
      Execute();
      delete this;
      std::lock_guard<std::mutex> lock(Running().mutex);
      if (--Running().running == 0) Running().idle.notify_all();
    }).detach();
    return true;
  } catch (...) {
    DebugLogF("No thread for the request to %.200s", URL.c_str());
    {
      std::lock_guard<std::mutex> lock(Running().mutex);
      if (--Running().running == 0) Running().idle.notify_all();
    }
    delete this;
    return false;
  }
}

void TAsyncWinHTTPThread::Execute() {
  bool success = false;
  std::string body;
  try {
    TWinHTTPLib client;
    success = client.Request(URL, PostData);
    if (success) body = client.GetBodyText();
  } catch (...) {
    success = false;
    body.clear();
  }
  if (!OnComplete) return;
  try {
    OnComplete(*this, success, body);
  } catch (...) {
    DebugLog("Request callback failed.");
  }
}

void StartAsyncRequest(const std::string& url, const std::string& postData,
                       TAsyncWinHTTPThread::Callback callback) {
  try {
    TAsyncWinHTTPThread* thread = TAsyncWinHTTPThread::CreateSuspended();
    thread->URL = url;
    thread->PostData = postData;
    thread->OnComplete = std::move(callback);
    thread->Start();
  } catch (...) {
    DebugLog("StartAsyncRequest failed.");
  }
}

bool WaitForAsyncRequests(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(Running().mutex);
  return Running().idle.wait_for(lock, timeout, [] { return Running().running == 0; });
}

}  // namespace kestrune
