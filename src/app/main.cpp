// Process entry: one instance per user session; a second start hands over to
// the first and ends.
#include <algorithm>
#include <cctype>
#include <string>

#include "app/app_services.h"
#include "app/language_menu.h"
#include "app/main_form.h"
#include "gui/gui_host.h"
#include "platform/debug_log.h"
#include "platform/file_system.h"
#include "platform/message_bus.h"
#include "platform/named_mutex.h"

namespace {

// Any argument whose lower-case form contains "/start", the program path
// included (on Windows it holds no forward slash unless a "/start..." was
// really typed). Where the system writes paths with '/', every program path
// holds one and a folder named "start..." would hide the program, so there
// the program path is left out.
bool IsHiddenStart(int argc, char** argv) {
  const int first = kestrune::platform::kPathSeparator == '/' ? 1 : 0;
  for (int i = first; i < argc; ++i) {
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
  app::UseConfiguredLanguage();
  bool hidden = IsHiddenStart(argc, argv);
  {
    app::TPUBGMainForm form(hidden);
    gui::RunMainLoop();
  }
  return 0;
}
