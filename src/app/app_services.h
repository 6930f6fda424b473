// What the shell needs from the other subsystems, in one place: addresses
// of the partner and maker sites, the start-up report, hardware detection,
// the update check and start at log-on.
#pragma once

#include <memory>
#include <string>

#include "enhance/renderer_wire.h"
#include "hardware/hardware_info.h"
#include "platform/message_queue.h"

namespace kestrune::app {

// Custom window messages of the main window (WM_USER = 0x400).
inline constexpr uint32_t kMsgHardwareDone = 0x401;
inline constexpr uint32_t kMsgUpdateFound = 0x402;
inline constexpr uint32_t kMsgShowMain = 0x408;
inline constexpr uint32_t kMsgExit = 0x409;

// The main window's text, by which the renderer finds it.
using enhance::kMainWindowText;
inline constexpr const char* kInstanceMutexName = "C30DA10C-C48B-42A4-BF72-76B661BF73B8";
inline constexpr const char* kAppTitle = "Kestrune";

std::string PartnerHostName();
std::string PartnerHomePage();
// "http://<partner host>" + path.
std::string PartnerPage(const std::string& path);
std::string MakerDomain();
std::string MakerWebSite();
std::string MakerSocialPage();

// Step 3 of the main window's creation: the start-up usage report.
void SendStartupReport();

// The update check; posts kMsgUpdateFound after storing a non-empty address.
class UpdateCheck {
 public:
  virtual ~UpdateCheck() = default;
};
std::unique_ptr<UpdateCheck> StartUpdateCheck(std::string& updateAddress, MessageQueue& queue);

bool AutoRunEnabled();
void SetAutoRunEnabled(bool enabled);

}  // namespace kestrune::app
