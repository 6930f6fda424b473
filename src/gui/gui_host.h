// The windowing services the application shell needs, without any toolkit
// type: the main loop and cross-thread posting, frameless windows that host a
// control tree, timers, embedded browsers, menus and the notification-area
// icon. Each host implements them: gtk/ on Linux, null/ without a display.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controls/control_host.h"
#include "controls/shadow_form.h"
#include "platform/message_bus.h"
#include "platform/message_queue.h"

namespace kestrune::gui {

// ---- Main loop ----

// Initialises the toolkit once; false when no display can be opened.
bool InitGui(int* argc, char*** argv);
// The application's title (what the desktop shows for the program) and the
// icon its windows carry (PNG bytes).
void SetApplicationTitle(const std::string& title);
void SetApplicationIcon(const std::vector<uint8_t>& png);
// Runs the main loop until QuitMainLoop.
void RunMainLoop();
void QuitMainLoop();
// Posting from any thread to the UI thread; the handler runs on the UI thread.
using MessageHandler = std::function<void(uint32_t message, uintptr_t wParam, intptr_t lParam)>;
std::unique_ptr<MessageQueue> CreateUiQueue(MessageHandler handler);
// Delivers the messages another process posts to this endpoint, on the UI thread.
class BusReceiver {
 public:
  virtual ~BusReceiver() = default;
};
std::unique_ptr<BusReceiver> AttachBusEndpoint(
    std::unique_ptr<platform::MessageBusEndpoint> endpoint, MessageHandler handler);
// The session is ending (log-out, shutdown: SIGTERM, SIGHUP, SIGINT); runs
// on the UI thread.
void OnSessionEnd(std::function<void()> handler);
// Runs `task` once on the UI thread after `delayMs` (0: as soon as idle).
void RunLater(int delayMs, std::function<void()> task);

// ---- Timers ----

class Timer {
 public:
  virtual ~Timer() = default;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
  virtual int Interval() const = 0;
  std::function<void()> OnTimer;
};
// A repeating timer, initially disabled.
std::unique_ptr<Timer> CreateTimer(int intervalMs);

// ---- Browser ----

class Browser {
 public:
  virtual ~Browser() = default;
  virtual void Navigate(const std::string& url) = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual std::string CurrentUrl() const = 0;
  // A page asks for a new window; return true to cancel it.
  std::function<bool(const std::string& url)> OnNewWindow;
};

// ---- Windows ----

struct WindowOptions {
  std::string title;  // what the desktop shows for the window
  // The window's own text, where the system keeps one apart from what the
  // desktop shows (Win32: the text FindWindow matches); empty: the title.
  std::string windowText;
  int width = 0;
  int height = 0;
  bool taskbar = true;  // listed in the task bar
  Color background = colors::kWhite;
};

class Window : public HostDelegate {
 public:
  // The control tree's root gets the client size; the window owns the host.
  virtual ControlHost& Host() = 0;
  virtual void Show() = 0;
  virtual void Hide() = 0;
  virtual bool IsVisible() const = 0;
  // Shown normally, raised and given focus.
  virtual void BringToFront() = 0;
  virtual void Minimize() = 0;
  virtual bool IsMinimized() const = 0;
  virtual void Restore() = 0;
  virtual void SetSkipTaskbar(bool skip) = 0;
  virtual void CentreOnScreen() = 0;
  virtual void CentreOn(Window& other) = 0;
  virtual Rect ScreenRect() const = 0;
  virtual void MoveTo(int x, int y) = 0;
  // Hands the window to the system's move drag (caption drag).
  virtual void BeginCaptionDrag() = 0;
  // A close request (Alt+F4, the window manager). OnCloseQuery answers
  // whether it may close; when it may, OnClose runs and the window hides.
  virtual void RequestClose() = 0;
  std::function<bool()> OnCloseQuery;
  std::function<void()> OnClose;
  // Runs a modal loop (other windows get no input) until EndModal.
  virtual int RunModal(Window* owner) = 0;
  virtual void EndModal(int result) = 0;
  // An embedded browser over a rectangle of the client area (initially hidden).
  virtual Browser& CreateBrowser(const Rect& rect) = 0;
  // The shadow companion's view of this window.
  virtual ShadowOwnerForm& ShadowOwner() = 0;
  // Called on move/size/show/focus before the window acts (the shadow hook).
  std::function<void(const FormMessage&)> OnFormMessage;
  // Called once, after the window's first frame is on the screen.
  std::function<void()> OnFirstPaint;
  // Application messages (WM_USER and up) another process posts to the
  // window itself where the system lets it find the window by its text.
  MessageHandler OnAppMessage;
  // Native id for tests and tools (the X window id), 0 when unrealised.
  virtual unsigned long NativeId() const = 0;
};

std::unique_ptr<Window> CreateWindow(Control& root, const WindowOptions& options);

// Whether a modifier key is physically down now (vk: Windows numbering).
bool IsKeyDown(int virtualKey);

// ---- Menus and tray ----

struct MenuItem {
  std::string caption;  // "-" for a separator; a trailing "&" is a mnemonic mark
  bool checkable = false;
  bool checked = false;
  bool isDefault = false;
  std::function<void()> onClick;
};

// Pops a menu up at a screen point; items run their onClick after it closes.
void PopupMenu(std::vector<MenuItem> items, Point screen);

// The platform's file chooser, modal: a file to save to (the name suggested,
// an existing file confirmed before it is replaced) or an existing file to
// open, with the "*.ini" filter first. Nothing when the user cancels.
enum class FileChoice { kSave, kOpen };
std::optional<std::string> ChooseFile(FileChoice choice, const std::string& title,
                                      const std::string& suggestedName);

class TrayIcon {
 public:
  virtual ~TrayIcon() = default;
  virtual void SetHint(const std::string& hint) = 0;
  virtual void SetMenu(std::vector<MenuItem> items) = 0;
  // Activation of the icon itself (the default item's action).
  std::function<void()> OnActivate;
};
// iconPng: the icon's PNG bytes; written to a private runtime file if the
// tray host needs a path.
std::unique_ptr<TrayIcon> CreateTrayIcon(const std::string& id,
                                         const std::vector<uint8_t>& iconPng);

}  // namespace kestrune::gui
