// Lumeshade stand-in on Windows: the renderer's window class held through the
// message bus (a window of its own on the bus's thread), one message loop
// that waits for the bus and for the chooser's window messages alike, and
// the preset chooser as a plain Win32 window.
#include <windows.h>

#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "enhance/renderer_wire.h"
#include "lumeshade_renderer.h"
#include "platform/debug_log.h"
#include "platform/message_bus.h"

namespace {

using kestrune::platform::WindowKey;

constexpr wchar_t kChooserClass[] = L"LumeshadeChooser";
constexpr int kFirstPresetButton = 100;

struct Renderer {
  std::unique_ptr<kestrune::platform::MessageBusEndpoint> endpoint;
  HWND chooser = nullptr;
  bool holdsClass = false;
};
Renderer* gRenderer = nullptr;

std::wstring Wide(const std::string& text) {
  if (text.empty()) return L"";
  int size =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(size > 0 ? size : 0), L'\0');
  if (size > 0)
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
  return out;
}

std::string Utf8(const wchar_t* text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return "";
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
  out.resize(static_cast<size_t>(size - 1));
  return out;
}

std::vector<std::string> Arguments() {
  std::vector<std::string> arguments;
  int count = 0;
  LPWSTR* list = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!list) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(Utf8(list[i]));
  LocalFree(list);
  return arguments;
}

// The static control wants CRLF line breaks.
std::wstring NoteText() {
  std::wstring text;
  for (wchar_t c : Wide(lumeshade::kChooserNote)) {
    if (c == L'\n') text += L'\r';
    text += c;
  }
  return text;
}

LRESULT CALLBACK ChooserProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      int id = LOWORD(wParam);
      if (id >= kFirstPresetButton && id < kFirstPresetButton + lumeshade::PresetCount()) {
        lumeshade::ChoosePreset(id - kFirstPresetButton);
        DestroyWindow(window);
      }
      return 0;
    }
    case WM_DESTROY:
      if (gRenderer) {
        gRenderer->chooser = nullptr;
        // A chooser-only process (another renderer holds the class) ends here.
        if (!gRenderer->holdsClass) PostQuitMessage(0);
      }
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

bool ShowChooser(Renderer& renderer) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = ChooserProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kChooserClass;
  if (!RegisterClassExW(&wc)) return false;
  const int width = 360, buttonHeight = 30, noteHeight = 64, margin = 12;
  const int height = noteHeight + lumeshade::PresetCount() * (buttonHeight + 6) + 3 * margin + 40;
  HWND window = CreateWindowExW(0, kChooserClass, L"Lumeshade",
                                WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT,
                                CW_USEDEFAULT, width, height, nullptr, nullptr, instance, nullptr);
  if (!window) return false;
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  HWND note =
      CreateWindowExW(0, L"STATIC", NoteText().c_str(), WS_CHILD | WS_VISIBLE | SS_CENTER, margin,
                      margin, width - 3 * margin, noteHeight, window, nullptr, instance, nullptr);
  SendMessageW(note, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  for (int preset = 0; preset < lumeshade::PresetCount(); ++preset) {
    HWND button = CreateWindowExW(
        0, L"BUTTON", Wide(lumeshade::PresetLabel(preset)).c_str(),
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, margin,
        2 * margin + noteHeight + preset * (buttonHeight + 6), width - 3 * margin, buttonHeight,
        window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstPresetButton + preset)),
        instance, nullptr);
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  renderer.chooser = window;
  ShowWindow(window, SW_SHOWNORMAL);
  return true;
}

// Waits for the bus and for window messages; ends on 0x503 or WM_QUIT.
void RunLoop(Renderer& renderer) {
  HANDLE bus =
      renderer.endpoint ? reinterpret_cast<HANDLE>(renderer.endpoint->WaitHandle()) : nullptr;
  while (true) {
    DWORD handles = bus ? 1 : 0;
    DWORD woken = MsgWaitForMultipleObjects(handles, &bus, FALSE, INFINITE, QS_ALLINPUT);
    if (woken == WAIT_FAILED) return;
    if (bus) {
      while (auto message = renderer.endpoint->Receive()) {
        if (lumeshade::HandleMessage(*message) == lumeshade::Reply::kEnd) return;
      }
    }
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return;
      if (renderer.chooser && IsDialogMessageW(renderer.chooser, &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  lumeshade::Options options = lumeshade::ParseArguments(Arguments());

  Renderer renderer;
  gRenderer = &renderer;
  renderer.endpoint = kestrune::platform::BindWindowEndpoint(
      WindowKey::kClass, kestrune::enhance::kRendererWindowClass);
  renderer.holdsClass = renderer.endpoint != nullptr;
  kestrune::DebugLogF("lumeshade: started%s%s", options.withChooser ? " with the chooser" : "",
                      renderer.holdsClass ? "" : " (another renderer holds the window class)");
  if (!renderer.holdsClass && !options.withChooser) return 0;

  lumeshade::ReadHotKeys();
  if (options.withChooser && !ShowChooser(renderer)) {
    kestrune::DebugLog("lumeshade: no display for the chooser");
    if (!renderer.holdsClass) return 1;
  }
  RunLoop(renderer);
  if (renderer.chooser) DestroyWindow(renderer.chooser);
  gRenderer = nullptr;
  return 0;
}
