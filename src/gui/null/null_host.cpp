// A GUI host without a display: windows keep their state and paint into
// offscreen images, the main loop runs posted work, delayed tasks and timers
// on the calling thread. For tests that build windows and dialogs and drive
// them without showing anything.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <utility>

#include "controls/offscreen_canvas.h"
#include "gui/gui_host.h"

namespace kestrune::gui {
namespace {

using Clock = std::chrono::steady_clock;

// The screen the windows pretend to be on.
constexpr Rect kWorkArea{0, 0, 1920, 1040};
// How often bus endpoints are polled while the loop waits.
constexpr auto kBusPoll = std::chrono::milliseconds(20);

class NullTimer;
class NullBusReceiver;

// The one loop: posted work (any thread), delayed tasks, timers and bus
// endpoints (UI thread).
class Loop {
 public:
  static Loop& Get() {
    static Loop loop;
    return loop;
  }

  void Post(std::function<void()> task) {
    {
      std::lock_guard lock(mu_);
      posted_.push_back(std::move(task));
    }
    cv_.notify_one();
  }
  void Later(int delayMs, std::function<void()> task) {
    {
      std::lock_guard lock(mu_);
      delayed_.emplace(Clock::now() + std::chrono::milliseconds(std::max(0, delayMs)),
                       std::move(task));
    }
    cv_.notify_one();
  }
  void AddTimer(NullTimer* t) { timers_.push_back(t); }
  void RemoveTimer(NullTimer* t) { std::erase(timers_, t); }
  void AddReceiver(NullBusReceiver* r) { receivers_.push_back(r); }
  void RemoveReceiver(NullBusReceiver* r) { std::erase(receivers_, r); }

  // Runs until `done` says so or the main loop is quit.
  template <typename Done>
  void Spin(Done done) {
    while (!quit_ && !done()) RunOnce();
  }
  void Quit() {
    {
      std::lock_guard lock(mu_);
      quit_ = true;
    }
    cv_.notify_all();
  }
  void ResetQuit() { quit_ = false; }

 private:
  void RunOnce();

  std::mutex mu_;
  std::condition_variable cv_;
  std::deque<std::function<void()>> posted_;
  std::multimap<Clock::time_point, std::function<void()>> delayed_;
  std::vector<NullTimer*> timers_;
  std::vector<NullBusReceiver*> receivers_;
  bool quit_ = false;
};

class NullTimer final : public Timer {
 public:
  explicit NullTimer(int intervalMs) : interval_(std::max(1, intervalMs)) {
    Loop::Get().AddTimer(this);
  }
  ~NullTimer() override { Loop::Get().RemoveTimer(this); }
  void SetEnabled(bool enabled) override {
    if (enabled && !enabled_) due_ = Clock::now() + std::chrono::milliseconds(interval_);
    enabled_ = enabled;
  }
  bool Enabled() const override { return enabled_; }
  int Interval() const override { return interval_; }

  Clock::time_point Due() const { return due_; }
  void Fire() {
    due_ = Clock::now() + std::chrono::milliseconds(interval_);
    if (OnTimer) OnTimer();
  }

 private:
  int interval_;
  bool enabled_ = false;
  Clock::time_point due_;
};

class NullBusReceiver final : public BusReceiver {
 public:
  NullBusReceiver(std::unique_ptr<platform::MessageBusEndpoint> endpoint, MessageHandler handler)
      : endpoint_(std::move(endpoint)), handler_(std::move(handler)) {
    Loop::Get().AddReceiver(this);
  }
  ~NullBusReceiver() override { Loop::Get().RemoveReceiver(this); }
  void Poll() {
    while (auto m = endpoint_->Receive()) handler_(m->message, m->wParam, m->lParam);
  }

 private:
  std::unique_ptr<platform::MessageBusEndpoint> endpoint_;
  MessageHandler handler_;
};

void Loop::RunOnce() {
  std::deque<std::function<void()>> work;
  std::vector<std::function<void()>> due;
  {
    std::unique_lock lock(mu_);
    Clock::time_point wake = Clock::now() + std::chrono::hours(1);
    if (!delayed_.empty()) wake = std::min(wake, delayed_.begin()->first);
    for (NullTimer* t : timers_)
      if (t->Enabled()) wake = std::min(wake, t->Due());
    if (!receivers_.empty()) wake = std::min(wake, Clock::now() + kBusPoll);
    cv_.wait_until(lock, wake, [&] { return quit_ || !posted_.empty() || Clock::now() >= wake; });
    work.swap(posted_);
    const Clock::time_point now = Clock::now();
    while (!delayed_.empty() && delayed_.begin()->first <= now) {
      due.push_back(std::move(delayed_.begin()->second));
      delayed_.erase(delayed_.begin());
    }
  }
  for (auto& task : work) task();
  for (auto& task : due) task();
  // Copies: a handler may create or destroy timers and receivers.
  const Clock::time_point now = Clock::now();
  std::vector<NullTimer*> timers = timers_;
  for (NullTimer* t : timers) {
    if (std::find(timers_.begin(), timers_.end(), t) == timers_.end()) continue;
    if (t->Enabled() && t->Due() <= now) t->Fire();
  }
  std::vector<NullBusReceiver*> receivers = receivers_;
  for (NullBusReceiver* r : receivers) {
    if (std::find(receivers_.begin(), receivers_.end(), r) != receivers_.end()) r->Poll();
  }
}

class NullUiQueue final : public MessageQueue {
 public:
  explicit NullUiQueue(MessageHandler handler)
      : handler_(std::make_shared<MessageHandler>(std::move(handler))) {}
  void Post(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    std::weak_ptr<MessageHandler> weak = handler_;
    Loop::Get().Post([weak, message, wParam, lParam] {
      if (auto h = weak.lock()) (*h)(message, wParam, lParam);
    });
  }

 private:
  std::shared_ptr<MessageHandler> handler_;
};

class NullBrowser final : public Browser {
 public:
  void Navigate(const std::string& url) override { url_ = url; }
  void SetVisible(bool visible) override { visible_ = visible; }
  std::string CurrentUrl() const override { return url_; }

 private:
  std::string url_;
  bool visible_ = false;
};

class NullShadowWindow final : public ShadowWindowPort {
 public:
  explicit NullShadowWindow(const Rect& rect) : rect_(rect) {}
  bool IsWindow() override { return true; }
  Rect WindowRect() override { return rect_; }
  void SetRect(const Rect& screenRect) override { rect_ = screenRect; }
  void MoveTo(Point p) override {
    rect_.x = p.x;
    rect_.y = p.y;
  }
  void ShowNoActivate() override { visible_ = true; }
  void Hide() override { visible_ = false; }
  void UpdateLayered(Image pixels, Point p) override {
    pixels_ = std::move(pixels);
    MoveTo(p);
  }

 private:
  Rect rect_;
  bool visible_ = false;
  Image pixels_;
};

// A popup's host sits at a screen rectangle; nothing is shown.
class NullPopupDelegate final : public HostDelegate {
 public:
  explicit NullPopupDelegate(const Rect& rect) : rect_(rect) {}
  void InvalidateRect(const Rect&) override {}
  void SetCursor(Cursor) override {}
  Point ClientOrigin() override { return {rect_.x, rect_.y}; }
  Rect ScreenWorkArea() override { return kWorkArea; }
  void OpenPopup(ControlHost&, const Rect&) override {}
  void ClosePopup(ControlHost&) override {}

 private:
  Rect rect_;
};

class NullWindow final : public Window, public ShadowOwnerForm {
 public:
  NullWindow(Control& root, const WindowOptions& options)
      : host_(root, this),
        rect_{0, 0, options.width, options.height},
        skipTaskbar_(!options.taskbar) {
    host_.SetBackground(options.background);
    host_.Resize(options.width, options.height);
  }
  ~NullWindow() override {
    *alive_ = false;
    for (auto& [popup, delegate] : popups_) popup->SetDelegate(nullptr);
  }

  // Window
  ControlHost& Host() override { return host_; }
  void Show() override {
    if (visible_) return;
    Notify({.kind = FormMessage::Kind::kShowWindow, .shown = true});
    visible_ = true;
    if (!painted_) {
      painted_ = true;
      std::shared_ptr<bool> alive = alive_;
      RunLater(0, [this, alive] {
        if (!*alive) return;
        OffscreenCanvas screen(std::max(1, rect_.width), std::max(1, rect_.height));
        host_.Paint(screen.GetCanvas());
        if (OnFirstPaint) OnFirstPaint();
      });
    }
  }
  void Hide() override {
    if (!visible_) return;
    Notify({.kind = FormMessage::Kind::kShowWindow, .shown = false});
    visible_ = false;
  }
  bool IsVisible() const override { return visible_; }
  void BringToFront() override {
    minimized_ = false;
    Show();
  }
  void Minimize() override { minimized_ = true; }
  bool IsMinimized() const override { return minimized_; }
  void Restore() override { minimized_ = false; }
  void SetSkipTaskbar(bool skip) override { skipTaskbar_ = skip; }
  void CentreOnScreen() override {
    MoveTo(kWorkArea.x + (kWorkArea.width - rect_.width) / 2,
           kWorkArea.y + (kWorkArea.height - rect_.height) / 2);
  }
  void CentreOn(Window& other) override {
    Rect o = other.ScreenRect();
    MoveTo(o.x + (o.width - rect_.width) / 2, o.y + (o.height - rect_.height) / 2);
  }
  Rect ScreenRect() const override { return rect_; }
  void MoveTo(int x, int y) override {
    Notify({.kind = FormMessage::Kind::kMove});
    rect_.x = x;
    rect_.y = y;
  }
  void BeginCaptionDrag() override {}
  void RequestClose() override {
    if (OnCloseQuery && !OnCloseQuery()) return;
    if (OnClose) OnClose();
    Hide();
  }
  int RunModal(Window*) override {
    modalEnded_ = false;
    modalResult_ = 0;
    Show();
    Loop::Get().Spin([this] { return modalEnded_; });
    Hide();
    return modalResult_;
  }
  void EndModal(int result) override {
    modalResult_ = result;
    modalEnded_ = true;
  }
  Browser& CreateBrowser(const Rect&) override {
    browsers_.push_back(std::make_unique<NullBrowser>());
    return *browsers_.back();
  }
  ShadowOwnerForm& ShadowOwner() override { return *this; }
  unsigned long NativeId() const override { return 0; }

  // HostDelegate
  void InvalidateRect(const Rect&) override {}
  void SetCursor(Cursor) override {}
  Point ClientOrigin() override { return {rect_.x, rect_.y}; }
  Rect ScreenWorkArea() override { return kWorkArea; }
  void OpenPopup(ControlHost& popup, const Rect& screenRect) override {
    auto delegate = std::make_unique<NullPopupDelegate>(screenRect);
    popup.SetDelegate(delegate.get());
    popup.Resize(screenRect.width, screenRect.height);
    popups_[&popup] = std::move(delegate);
  }
  void ClosePopup(ControlHost& popup) override {
    auto it = popups_.find(&popup);
    if (it == popups_.end()) return;
    popup.SetDelegate(nullptr);
    popups_.erase(it);
  }

  // ShadowOwnerForm
  Rect FormWindowRect() override { return rect_; }
  bool FormVisible() override { return visible_; }
  void SetDoubleBuffered(bool) override {}
  bool DragFullWindows() override { return true; }
  std::unique_ptr<ShadowWindowPort> CreateShadowWindow(const Rect& screenRect) override {
    return std::make_unique<NullShadowWindow>(screenRect);
  }

 private:
  void Notify(const FormMessage& m) {
    if (OnFormMessage) OnFormMessage(m);
  }

  ControlHost host_;
  Rect rect_;
  bool skipTaskbar_;
  bool visible_ = false;
  bool minimized_ = false;
  bool painted_ = false;
  bool modalEnded_ = false;
  int modalResult_ = 0;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  std::vector<std::unique_ptr<NullBrowser>> browsers_;
  std::map<ControlHost*, std::unique_ptr<NullPopupDelegate>> popups_;
};

class NullTrayIcon final : public TrayIcon {
 public:
  void SetHint(const std::string& hint) override { hint_ = hint; }
  void SetMenu(std::vector<MenuItem> items) override { menu_ = std::move(items); }

 private:
  std::string hint_;
  std::vector<MenuItem> menu_;
};

std::function<void()>& SessionEndHandler() {
  static std::function<void()> handler;
  return handler;
}

}  // namespace

bool InitGui(int*, char***) {
  return true;
}
void SetApplicationTitle(const std::string&) {}
void SetApplicationIcon(const std::vector<uint8_t>&) {}

// A quit ends the modal loops inside too; afterwards the host can run again
// (a test may start several loops).
void RunMainLoop() {
  Loop::Get().ResetQuit();
  Loop::Get().Spin([] { return false; });
  Loop::Get().ResetQuit();
}

void QuitMainLoop() {
  Loop::Get().Quit();
}

std::unique_ptr<MessageQueue> CreateUiQueue(MessageHandler handler) {
  return std::make_unique<NullUiQueue>(std::move(handler));
}

std::unique_ptr<BusReceiver> AttachBusEndpoint(
    std::unique_ptr<platform::MessageBusEndpoint> endpoint, MessageHandler handler) {
  if (!endpoint) return nullptr;
  return std::make_unique<NullBusReceiver>(std::move(endpoint), std::move(handler));
}

// No session to end without a display; the handler is kept for completeness.
void OnSessionEnd(std::function<void()> handler) {
  SessionEndHandler() = std::move(handler);
}

void RunLater(int delayMs, std::function<void()> task) {
  Loop::Get().Later(delayMs, std::move(task));
}

std::unique_ptr<Timer> CreateTimer(int intervalMs) {
  return std::make_unique<NullTimer>(intervalMs);
}

std::unique_ptr<Window> CreateWindow(Control& root, const WindowOptions& options) {
  return std::make_unique<NullWindow>(root, options);
}

bool IsKeyDown(int) {
  return false;
}

// Nothing is shown, so no item is ever chosen.
// The host interface takes the items by value (a real host keeps them).
void PopupMenu(std::vector<MenuItem>, Point) {}  // NOLINT(performance-unnecessary-value-param)

// No display, no chooser: as if the user cancelled.
std::optional<std::string> ChooseFile(FileChoice, const std::string&, const std::string&) {
  return std::nullopt;
}

std::unique_ptr<TrayIcon> CreateTrayIcon(const std::string&, const std::vector<uint8_t>&) {
  return std::make_unique<NullTrayIcon>();
}

}  // namespace kestrune::gui
