// Process entry: one instance per user session; a second start hands over to
// the first and ends.
#include <algorithm>
#include <cctype>
#include <string>

#include "app/app_services.h"
#include "app/main_form.h"
#include "platform/debug_log.h"
#include "platform/gui_host.h"
#include "platform/message_bus.h"
#include "platform/named_mutex.h"

namespace {

// Any argument whose lower-case form contains "/start". The program path is
// left out here: on Windows it cannot contain a forward slash, here every
// path does, and a folder named "start..." must not hide the program.
bool IsHiddenStart(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    std::transform(arg.begin(), arg.end(), arg.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (arg.find("/start") != std::string::npos) return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kestrune;
  platform::MutexResult instance = platform::AcquireNamedMutex(app::kInstanceMutexName);
  if (instance.status == platform::MutexOpen::kAlreadyExists) {
    // The first instance shows itself and comes forward on 0x408.
    if (platform::WindowExists(platform::WindowKey::kText, app::kMainWindowText)) {
      DebugLog("second instance: handing over to the first");
      platform::PostWindowMessage(platform::WindowKey::kText, app::kMainWindowText,
                                  app::kMsgShowMain);
    }
    return 0;
  }
  if (!gui::InitGui(&argc, &argv)) return 1;
  bool hidden = IsHiddenStart(argc, argv);
  {
    app::TPUBGMainForm form(hidden);
    gui::RunMainLoop();
  }
  return 0;
}
