// The once-per-start update check: fetch the manifest from the download
// server, compare its version with our own file version, and hand a newer
// version's download address to the main window.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace kestrune {

class MessageQueue;
class TWinHTTPLib;

// Posted to the main window when a newer version's address is known (WM_USER+2).
inline constexpr uint32_t kUpdateFoundMessage = 0x402;

// Manifest tags: anywhere, any letter case, blanks around name, "=" and ">".
inline constexpr char kManifestVersionPattern[] = R"re(<\s*version\s*=\s*"([^<>]+)"\s*>)re";
inline constexpr char kManifestUrlPattern[] = R"re(<\s*url\s*=\s*"([^<>]+)"\s*>)re";

struct UpdateManifest {
  std::string version;  // empty when the tag is missing
  std::string url;      // as written in the manifest
};
UpdateManifest ParseUpdateManifest(std::string_view text);

// "%.4d.%.4d.%.4d.%.4d" of the first a.b.c.d in `version`; all zeros when
// there is none.
std::string CanonicalVersion(std::string_view version);

// True when `remote` is a higher version than `local` (canonical texts
// compared byte by byte); false when either is empty.
bool IsNewerVersion(const std::string& local, const std::string& remote);

// The manifest comes over plain http, so its address is only ever opened
// when it is an http or https address without blanks or control
// characters; anything else gives empty (and a debug line).
std::string SafeDownloadAddress(std::string_view url);

struct UpdateCheckOutcome {
  bool fetched = false;         // the manifest request and every redirect hop succeeded
  std::string error;            // why not, when !fetched (may hold server text)
  std::string manifestVersion;  // the version tag's text
  std::string ownVersion;
  bool newer = false;
  std::string downloadAddress;  // set only when newer and safe to open
};

// One check, synchronous, on the calling thread. `client` may be given to
// control the exchange (abort, timeouts); otherwise a fresh one is used.
UpdateCheckOutcome RunUpdateCheck(const std::string& manifestUrl, const std::string& ownVersion,
                                  TWinHTTPLib* client = nullptr);

class TUpdateThread {
 public:
  using Callback = std::function<void(TUpdateThread& thread)>;

  TUpdateThread();
  // Ends a check still running (its exchange is aborted) and waits for it.
  ~TUpdateThread();
  TUpdateThread(const TUpdateThread&) = delete;
  TUpdateThread& operator=(const TUpdateThread&) = delete;

  // Set before Start. The callback runs on the worker thread, only when a
  // newer version was found; it must not destroy the thread object.
  Callback OnComplete;
  std::string ManifestUrl;  // default: UpdateManifestUrl() at construction
  // Our own version; default: GetOwnVersion() (the running executable's).
  std::function<std::string()> OwnVersion;

  void Start();
  // Waits for the worker to end (tests, the CLI).
  void WaitFor();

  // The address found; read it in the callback or after WaitFor.
  const std::string& DownloadAddress() const { return downloadAddress_; }

 private:
  void Execute();

  std::thread thread_;
  std::mutex clientMutex_;
  TWinHTTPLib* client_ = nullptr;  // the running exchange's client, for abort
  std::atomic<bool> stopping_{false};
  std::string downloadAddress_;
};

// The main window's completion callback: stores the thread's address in
// `updateAddress` and, when it is not empty, posts kUpdateFoundMessage.
// Runs on the worker thread; the UI thread reads `updateAddress` only when
// the message arrives.
void OnUpdateFound(const TUpdateThread& thread, std::string& updateAddress, MessageQueue& queue);

}  // namespace kestrune
