// Bridges from the shell to net, hardware and the Nodemark library.
#include "app/app_services.h"

#include "env/settings_store.h"
#include "net/net_hosts.h"
#include "net/nodemark.h"
#include "net/update_check.h"
#include "net/usage_report.h"
#include "platform/debug_log.h"
#include "platform/paths.h"

namespace kestrune::app {

std::string PartnerHostName() {
  return PartnerHost();
}
std::string PartnerHomePage() {
  return PartnerHomeUrl();
}
std::string PartnerPage(const std::string& path) {
  return PartnerPageUrl(path);
}
std::string MakerDomain() {
  return "www.orvane.com";
}
std::string MakerWebSite() {
  return "http://www.orvane.com/";
}
std::string MakerSocialPage() {
  return "http://social.orvane.com/orvane";
}

void SendStartupReport() {
  std::string mid = GetMachineID();
  std::string channel = GetChannelID();
  std::string version = GetOwnVersion();
  std::string os = GetWindowsVersionText();
  SendUsageReport(kUsageActionStart, os, version, channel, mid);
}

namespace {

class UpdateThreadCheck final : public UpdateCheck {
 public:
  UpdateThreadCheck(std::string& updateAddress, MessageQueue& queue) {
    thread_.OnComplete = [&updateAddress, &queue](TUpdateThread& thread) {
      OnUpdateFound(thread, updateAddress, queue);
    };
    thread_.Start();
  }

 private:
  TUpdateThread thread_;
};

}  // namespace

std::unique_ptr<UpdateCheck> StartUpdateCheck(std::string& updateAddress, MessageQueue& queue) {
  return std::make_unique<UpdateThreadCheck>(updateAddress, queue);
}

bool AutoRunEnabled() {
  return IsAutoRun();
}

void SetAutoRunEnabled(bool enabled) {
  SetAutoRun(enabled, enabled ? platform::ExecutablePath() : std::string());
}

}  // namespace kestrune::app
