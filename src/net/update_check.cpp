// Update manifest parsing, version comparison and the update thread.
#include "net/update_check.h"

#include <cstdio>

#include "net/http_client.h"
#include "net/http_url.h"
#include "net/net_hosts.h"
#include "net/usage_report.h"
#include "platform/debug_log.h"
#include "platform/message_queue.h"
#include "platform/regex_group.h"

namespace kestrune {
namespace {

constexpr char kFourNumbersPattern[] = R"((\d+)\.(\d+)\.(\d+)\.(\d+))";

// A group's number, 0 when it does not fit (the canonical text then reads 0).
int GroupNumber(std::string_view version, int group) {
  std::string text = RegexGroup(version, kFourNumbersPattern, group);
  if (text.empty() || text.size() > 9) return 0;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

UpdateManifest ParseUpdateManifest(std::string_view text) {
  UpdateManifest manifest;
  manifest.version = RegexGroup(text, kManifestVersionPattern, 1);
  manifest.url = RegexGroup(text, kManifestUrlPattern, 1);
  return manifest;
}

std::string CanonicalVersion(std::string_view version) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.4d.%.4d.%.4d.%.4d", GroupNumber(version, 1),
                GroupNumber(version, 2), GroupNumber(version, 3), GroupNumber(version, 4));
  return buffer;
}

bool IsNewerVersion(const std::string& local, const std::string& remote) {
  if (local.empty() || remote.empty()) return false;
  return CanonicalVersion(local) < CanonicalVersion(remote);
}

std::string SafeDownloadAddress(std::string_view url) {
  if (url.empty()) return "";
  bool printable = true;
  for (char ch : url) {
    auto c = static_cast<unsigned char>(ch);
    if (c <= 0x20 || c == 0x7F) printable = false;
  }
  if (!printable || !CrackUrl(url)) {
    DebugLogF("Update manifest address dropped (not an http or https address): %.200s",
              std::string(url).c_str());
    return "";
  }
  return std::string(url);
}

UpdateCheckOutcome RunUpdateCheck(const std::string& manifestUrl, const std::string& ownVersion,
                                  TWinHTTPLib* client) {
  UpdateCheckOutcome outcome;
  std::string manifest;
  TWinHTTPLib ownClient;
  TWinHTTPLib& http = client ? *client : ownClient;
  // A redirect the client would not or could not follow (file://, ftp://, a
  // refused certificate) leaves nothing fetched, however good the first answer.
  if (http.Request(manifestUrl) && http.LastError.empty()) {
    outcome.fetched = true;
    manifest = http.GetBodyText();
  } else {
    outcome.error = http.LastError.empty() ? "failed" : http.LastError;
  }
  UpdateManifest parsed = ParseUpdateManifest(manifest);
  outcome.manifestVersion = parsed.version;
  outcome.ownVersion = ownVersion;
  if (parsed.version.empty()) return outcome;
  outcome.newer = IsNewerVersion(ownVersion, parsed.version);
  if (outcome.newer) outcome.downloadAddress = SafeDownloadAddress(parsed.url);
  return outcome;
}

TUpdateThread::TUpdateThread() : ManifestUrl(UpdateManifestUrl()), OwnVersion(GetOwnVersion) {}

TUpdateThread::~TUpdateThread() {
  stopping_ = true;
  {
    std::lock_guard<std::mutex> lock(clientMutex_);
    if (client_) client_->Abort();
  }
  WaitFor();
}

void TUpdateThread::Start() {
  if (thread_.joinable()) return;
  try {
    thread_ = std::thread([this] { Execute(); });
  } catch (...) {
    DebugLog("Update check: no thread.");
  }
}

void TUpdateThread::WaitFor() {
  if (!thread_.joinable()) return;
  if (thread_.get_id() == std::this_thread::get_id()) {
    thread_.detach();  // called from our own callback: the body is about to end
  } else {
    thread_.join();
  }
}

void TUpdateThread::Execute() {
  try {
    TWinHTTPLib client;
    {
      std::lock_guard<std::mutex> lock(clientMutex_);
      if (stopping_) return;
      client_ = &client;
    }
    std::string own = OwnVersion ? OwnVersion() : std::string();
    UpdateCheckOutcome outcome = RunUpdateCheck(ManifestUrl, own, &client);
    {
      std::lock_guard<std::mutex> lock(clientMutex_);
      client_ = nullptr;
    }
    if (!outcome.newer || stopping_) return;
    downloadAddress_ = outcome.downloadAddress;
    if (OnComplete) OnComplete(*this);
  } catch (...) {
    std::lock_guard<std::mutex> lock(clientMutex_);
    client_ = nullptr;
    DebugLog("Update check failed with an exception.");
  }
}

void OnUpdateFound(const TUpdateThread& thread, std::string& updateAddress, MessageQueue& queue) {
  updateAddress.clear();
  try {
    updateAddress = thread.DownloadAddress();
  } catch (...) {
    // Out of memory copying the address: nothing to offer.
  }
  if (!updateAddress.empty()) queue.Post(kUpdateFoundMessage, 0, 0);
}

}  // namespace kestrune
