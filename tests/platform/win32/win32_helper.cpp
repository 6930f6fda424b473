// A small program the Windows platform tests start: it holds a named mutex,
// posts a window message, or just waits to be ended (copied as TslGame.exe).
//   hold-mutex <name> <ms>     holds the mutex for <ms>, exit 0 (3: already held)
//   post <class> <msg> <wParam> <lParam>   exit 0 when posted, 4 when not
//   find <class>               exit 0 when a window of that class exists, 5 if not
//   sleep <ms>                 waits, exit 0
#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/message_bus.h"
#include "platform/named_mutex.h"
#include "platform/win32/win32_text.h"

using namespace kestrune::platform;

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  std::wstring mode = argv[1];
  auto arg = [&](int i) { return i < argc ? win32::Narrow(argv[i]) : std::string(); };
  if (mode == L"hold-mutex" && argc >= 4) {
    MutexResult held = AcquireNamedMutex(arg(2));
    if (held.status != MutexOpen::kAcquired) return 3;
    ::Sleep(static_cast<DWORD>(std::atoi(arg(3).c_str())));
    return 0;
  }
  if (mode == L"post" && argc >= 6) {
    bool ok = PostWindowMessage(
        WindowKey::kClass, arg(2), static_cast<uint32_t>(std::strtoul(arg(3).c_str(), nullptr, 0)),
        std::strtoull(arg(4).c_str(), nullptr, 0), std::strtoll(arg(5).c_str(), nullptr, 0));
    return ok ? 0 : 4;
  }
  if (mode == L"find" && argc >= 3) return WindowExists(WindowKey::kClass, arg(2)) ? 0 : 5;
  if (mode == L"sleep" && argc >= 3) {
    ::Sleep(static_cast<DWORD>(std::atoi(arg(2).c_str())));
    return 0;
  }
  return 2;
}
