// A Windows console tool for the windowed program's end-to-end test under
// Wine: it runs in the same Wine session as kestrune.exe and answers what
// the X display cannot tell (window text, visibility, owner) or does what a
// user would do where Wine offers no surface (a click on the tray icon).
//   wine_probe windows                 visible top-level windows, one a line:
//                                      x y w h "text" class
//   wine_probe visible TEXT            1 when a visible window has TEXT, else 0
//   wine_probe rect TEXT               x y w h of the visible window with TEXT
//   wine_probe tray-click              a left click on the program's tray icon
//   wine_probe tray-double-click       a double click on it
//   wine_probe post TEXT MESSAGE       posts MESSAGE to the window with TEXT
//   wine_probe running NAME.exe        1 when a process of that name runs, else 0
//   wine_probe taskbar-created         announces a new taskbar, as Explorer
//                                      does after a restart
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

std::string Narrow(const wchar_t* wide) {
  int n = ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n - 1 : 0, '\0');
  if (n > 1) ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, out.data(), n, nullptr, nullptr);
  return out;
}

struct Find {
  std::wstring text;
  HWND found = nullptr;
};

// The visible top-level window with this text (FindWindowW stops at the
// first of any visibility; the bus endpoint window shares the main text).
HWND VisibleWithText(const std::wstring& text) {
  Find find{text};
  ::EnumWindows(
      [](HWND w, LPARAM data) -> BOOL {
        auto* f = reinterpret_cast<Find*>(data);
        wchar_t buffer[256] = {};
        ::GetWindowTextW(w, buffer, 256);
        if (::IsWindowVisible(w) && f->text == buffer) {
          f->found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&find));
  return find.found;
}

}  // namespace

int main() {
  // The arguments as the system decoded them (window texts are Chinese; the
  // narrow argv would carry them in the ANSI code page).
  int argc = 0;
  wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  if (!argv || argc < 2) return 2;
  std::string command = Narrow(argv[1]);
  if (command == "windows") {
    ::EnumWindows(
        [](HWND w, LPARAM) -> BOOL {
          if (!::IsWindowVisible(w)) return TRUE;
          wchar_t text[256] = {}, cls[256] = {};
          ::GetWindowTextW(w, text, 256);
          ::GetClassNameW(w, cls, 256);
          RECT r{};
          ::GetWindowRect(w, &r);
          std::printf("%ld %ld %ld %ld \"%s\" %s\n", r.left, r.top, r.right - r.left,
                      r.bottom - r.top, Narrow(text).c_str(), Narrow(cls).c_str());
          return TRUE;
        },
        0);
    return 0;
  }
  if (command == "visible" && argc > 2) {
    std::printf("%d\n", VisibleWithText(argv[2]) ? 1 : 0);
    return 0;
  }
  if (command == "rect" && argc > 2) {
    HWND w = VisibleWithText(argv[2]);
    if (!w) return 1;
    RECT r{};
    ::GetWindowRect(w, &r);
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    return 0;
  }
  if (command == "tray-click" || command == "tray-double-click") {
    // The tray window's callback message and icon id (win32_tray.cpp).
    HWND tray = ::FindWindowW(L"KestruneTrayWindow", nullptr);
    if (!tray) return 1;
    UINT callback = WM_APP + 2;
    if (command == "tray-click") {
      ::PostMessageW(tray, callback, 1, WM_LBUTTONDOWN);
      ::PostMessageW(tray, callback, 1, WM_LBUTTONUP);
    } else {
      ::PostMessageW(tray, callback, 1, WM_LBUTTONDBLCLK);
    }
    return 0;
  }
  if (command == "running" && argc > 2) {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more && !found;
         more = ::Process32NextW(snapshot, &entry))
      found = ::lstrcmpiW(entry.szExeFile, argv[2]) == 0;
    ::CloseHandle(snapshot);
    std::printf("%d\n", found ? 1 : 0);
    return 0;
  }
  if (command == "taskbar-created") {
    UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
    return ::PostMessageW(HWND_BROADCAST, message, 0, 0) ? 0 : 1;
  }
  if (command == "post" && argc > 3) {
    HWND w = ::FindWindowW(nullptr, argv[2]);
    if (!w) return 1;
    return ::PostMessageW(w, static_cast<UINT>(std::wcstoul(argv[3], nullptr, 0)), 0, 0) ? 0 : 1;
  }
  return 2;
}
