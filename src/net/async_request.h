// Fire-and-forget HTTP requests: TAsyncWinHTTPThread runs one Request on a
// worker thread of its own and frees itself when done, reporting the decoded
// body to an optional callback (called on the worker thread).
#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace kestrune {

class TAsyncWinHTTPThread {
 public:
  using Callback =
      std::function<void(TAsyncWinHTTPThread& thread, bool success, const std::string& body)>;

  // The thread frees itself, so it only lives on the heap.
  static TAsyncWinHTTPThread* CreateSuspended();
  TAsyncWinHTTPThread(const TAsyncWinHTTPThread&) = delete;
  TAsyncWinHTTPThread& operator=(const TAsyncWinHTTPThread&) = delete;

  std::string URL;
  std::string PostData;
  Callback OnComplete;  // may be unset

  // Starts the worker; from here on the object belongs to it. False (and
  // the object is freed) when no thread could be started.
  bool Start();

 private:
  TAsyncWinHTTPThread() = default;
  ~TAsyncWinHTTPThread() = default;
  void Execute();
};

// Starts one request on its own worker thread and returns at once. Errors
// (no thread available) are absorbed with a debug line.
void StartAsyncRequest(const std::string& url, const std::string& postData,
                       TAsyncWinHTTPThread::Callback callback = nullptr);

// Waits until no asynchronous request is running (orderly exit, tests).
// False when `timeout` passed first.
bool WaitForAsyncRequests(std::chrono::milliseconds timeout);

}  // namespace kestrune
