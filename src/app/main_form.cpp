// The main window: creation order, tabs, tray, timers and messages.
#include "app/main_form.h"

#include <chrono>

#include "app/dialogs.h"
#include "app/language_menu.h"
#include "app/usage_report_item.h"
#include "controls/resources.h"
#include "controls/ui_font.h"
#include "env/game_process.h"
#include "hardware/hardware_lib.h"
#include "i18n/i18n.h"
#include "platform/debug_log.h"
#include "platform/message_bus.h"
#include "platform/paths.h"

namespace kestrune::app {
namespace {

constexpr int kWidth = 880;
constexpr int kHeight = 600;
// The panels (and the browsers over them) fill the window below the strip;
// one pixel more would grow the window and leave a column of its background.
const Rect kPanelRect{0, 120, kWidth, kHeight - 120};

// The renderer keep-alive and conflict watch see the main window's timers
// through this adapter.
class TimerAdapter final : public enhance::WatchTimer {
 public:
  explicit TimerAdapter(gui::Timer& timer) : timer_(timer) {}
  void SetEnabled(bool enabled) override { timer_.SetEnabled(enabled); }
  bool Enabled() const override { return timer_.Enabled(); }

 private:
  gui::Timer& timer_;
};

std::vector<uint8_t> IconBytes() {
  if (auto data = FindRawResource("KestruneIcon48")) return {data->begin(), data->end()};
  return {};
}

}  // namespace

TPUBGMainForm::TPUBGMainForm(bool hiddenStart) {
  gui::SetApplicationTitle(kAppTitle);
  gui::SetApplicationIcon(IconBytes());
  root_.SetBounds(0, 0, kWidth, kHeight);
  gui::WindowOptions options;
  // The desktop shows the program's name; other processes find this window
  // by kMainWindowText on the message bus (below), not by its title.
  options.title = kAppTitle;
  options.windowText = kMainWindowText;
  options.width = kWidth;
  options.height = kHeight;
  window_ = gui::CreateWindow(root_, options);
  window_->OnFirstPaint = [this] {
    auto now = std::chrono::system_clock::now().time_since_epoch();
    DebugLogF(
        "first frame at %lld us",
        static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
    // What can wait runs once the frame is out, outside the paint.
    gui::RunLater(0, [this] {
      auto tasks = std::move(firstFrameTasks_);
      for (auto& task : tasks) task();
    });
  };
  SetDialogOwner(window_.get());
  queue_ =
      gui::CreateUiQueue([this](uint32_t message, uintptr_t, intptr_t) { HandleMessage(message); });
  // Other processes find this window by its text and post to it.
  bus_ = gui::AttachBusEndpoint(
      platform::BindWindowEndpoint(platform::WindowKey::kText, kMainWindowText),
      [this](uint32_t message, uintptr_t, intptr_t) { HandleMessage(message); });
  window_->OnAppMessage = [this](uint32_t message, uintptr_t, intptr_t) { HandleMessage(message); };
  window_->OnCloseQuery = [this] {
    if (exiting_) return true;
    // Closing hides to the tray; only the exit paths end the program.
    HideToTray();
    return false;
  };
  window_->OnClose = [this] { Destroying(); };
  gui::OnSessionEnd([this] {
    DebugLog("session end");
    exiting_ = true;
    ExitProgram();
  });
  FormCreate(hiddenStart);
}

TPUBGMainForm::~TPUBGMainForm() {
  Destroying();
  SetDialogOwner(nullptr);
  watch_.reset();
  Timer1.reset();
  RunLumeshadeTimer.reset();
  UpdateTimer.reset();
  updateCheck_.reset();
  hardwareThread_.reset();  // waits for a refresh still running
  window_->OnFormMessage = nullptr;
  shadow_.reset();
  tray_.reset();
  bus_.reset();
  orvaneFrame_.reset();
  optiFrame_.reset();
  window_.reset();
  queue_.reset();
}

void TPUBGMainForm::FormCreate(bool hiddenStart) {
  // Floating-point exceptions are masked by default here (the control word
  // 0x133F of the original platform asks for exactly that).
  DebugLog("FormCreate 1");
  SendStartupReport();
  DebugLog("FormCreate 2");
  DebugLog("FormCreate 3");
  StoreProcessorTopology(HareWareInfo);
  DebugLog("FormCreate 4");
  hardwareThread_ = DetectHardware(HareWareInfo, PostHardwareDone(*queue_));
  DebugLog("FormCreate 5");
  SetUpInterface(hiddenStart);
  DebugLog("FormCreate 6");
  HomeTabClick();
  AttachShadow(*window_, shadow_, "main window");
  DebugLog("FormCreate 7");
  DebugLog("FormCreate 8");
  DebugLog("FormCreate 9");
}

void TPUBGMainForm::BuildStrip() {
  MainTab.SetBounds(0, 0, kWidth, 120);
  LoadSkin(MainTab, "MainTabBackdrop");
  MainTab.OnMouseMove = [this](Control&, ShiftState shift, int, int) { CaptionDrag(shift); };
  CaptionLabel.SetBounds(8, 2, 657, 25);
  CaptionLabel.OnMouseMove = [this](Control&, ShiftState shift, int, int) { CaptionDrag(shift); };
  struct {
    TCZStandardButton& button;
    const char* skin;
    int x;
  } buttons[] = {
      {btnOption, "SysOption", 798}, {btnSysMin, "SysMin", 825}, {btnSysClose, "SysClose", 853}};
  for (auto& b : buttons) {
    b.button.SetBounds(b.x, 0, 27, 22);
    SkinStrip(b.button, b.skin, 4);
  }
  btnOption.OnClick = [this](Control&) { ShowOptionsMenu(); };
  btnSysMin.OnClick = [this](Control&) {
    if (window_->IsMinimized()) window_->Restore();
    window_->Minimize();
  };
  btnSysClose.OnClick = [this](Control&) { HideToTray(); };

  struct {
    TCZTabControlItem& item;
    const char* name;
    const char* caption;
    const char* icon;
    int x;
  } tabs[] = {{HomeTab, "HomeTab", "一键优化", "TabIconHome", 13},
              {VideoTab, "VideoTab", "画质增强", "TabIconVideo", 103},
              {SearchTab, "SearchTab", "战绩查询", "TabIconSearch", 193},
              {SkillTab, "SkillTab", "吃鸡技巧", "TabIconSkill", 283},
              {TVTab, "TVTab", "直播视频", "TabIconTV", 373}};
  for (auto& t : tabs) {
    t.item.AttachTo(&MainTab);
    t.item.SetName(t.name);
    t.item.SetBounds(t.x, 33, 72, 80);
    t.item.SetCaption(i18n::TrS(t.caption));
    t.item.SetICONTop(0);
    t.item.SetCaptionTop(56);
    Font font = t.item.GetFont();
    ApplyUiFont(font);
    font.color = colors::kWhite;
    t.item.SetFont(font);
    try {
      TPicture picture, icon;
      LoadPngResource(picture, "TabItem");
      LoadPngResource(icon, t.icon);
      t.item.SetPicture(picture);
      t.item.SetICON(icon);
    } catch (const std::exception& error) {
      DebugLogF("tab skin: %s", error.what());
    }
  }
  HomeTab.OnClick = [this](Control&) { HomeTabClick(); };
  VideoTab.OnClick = [this](Control&) { VideoTabClick(); };
  SearchTab.OnClick = [this](Control&) { SearchTabClick(); };
  SkillTab.OnClick = [this](Control&) { SkillTabClick(); };
  TVTab.OnClick = [this](Control&) { TVTabClick(); };
}

void TPUBGMainForm::SetUpInterface(bool hiddenStart) {
  Font font = root_.GetFont();
  ApplyUiFont(font);
  root_.SetFont(font);
  font = MainTab.GetFont();
  ApplyUiFont(font);
  font.color = colors::kWhite;  // the tab captions sit on the dark strip
  MainTab.SetFont(font);
  font = CaptionLabel.GetFont();
  ApplyUiFont(font);
  font.color = colors::kWhite;
  CaptionLabel.SetFont(font);
  BuildStrip();

  for (Control* panel : {&PanelOpti, &PanelVideo, &PanelTV, &PanelSkill, &PanelSearch})
    panel->SetBounds(kPanelRect);
  PanelOpti.SetName("PanelOpti");
  PanelVideo.SetName("PanelVideo");
  PanelSearch.SetName("PanelSearch");
  PanelSkill.SetName("PanelSkill");
  PanelTV.SetName("PanelTV");

  optiFrame_ = std::make_unique<TOptiFrameView>(PanelOpti, HareWareInfo);
  enhance::TOrvaneFrame::Hooks hooks;
  hooks.startProcess = [](const std::string& line) { StartProcess(line); };
  orvaneFrame_ = std::make_unique<TOrvaneFrameView>(PanelVideo, std::move(hooks));

  CaptionLabel.SetCaption(kAppTitle);

  UpdateTimer = gui::CreateTimer(1000);
  UpdateTimer->OnTimer = [this] {
    UpdateTimer->SetEnabled(false);
    updateCheck_ = StartUpdateCheck(updateAddress_, *queue_);
  };
  RunLumeshadeTimer = gui::CreateTimer(1000);
  Timer1 = gui::CreateTimer(5000);
  runLumeshadeAdapter_ = std::make_unique<TimerAdapter>(*RunLumeshadeTimer);
  timer1Adapter_ = std::make_unique<TimerAdapter>(*Timer1);
  enhance::TRendererWatch::Hooks watchHooks;
  watchHooks.startProcess = [](const std::string& line) { StartProcess(line); };
  watchHooks.postConflictPrompt = [this] { queue_->Post(enhance::kMsgConflictPrompt); };
  watch_ = std::make_unique<enhance::TRendererWatch>(*runLumeshadeAdapter_, *timer1Adapter_,
                                                     std::move(watchHooks));
  RunLumeshadeTimer->OnTimer = [this] { watch_->RunLumeshadeTimerTimer(); };
  Timer1->OnTimer = [this] { watch_->Timer1Timer(); };

  if (hiddenStart) {
    DebugLog("hidden start");
    shownOnce_ = false;
    CreateTray();
    ServiceStart();
  } else {
    // The tray icon (a session-bus conversation) waits for the window's
    // first frame, so the window shows sooner.
    firstFrameTasks_.push_back([this] { CreateTray(); });
    shownOnce_ = true;
    window_->CentreOnScreen();
    window_->Show();
    gui::RunLater(1000, [this] { ServiceStart(); });
  }
}

void TPUBGMainForm::CreateTray() {
  if (tray_ || destroyed_) return;
  tray_ = gui::CreateTrayIcon("kestrune", IconBytes());
  tray_->SetHint(kAppTitle);
  gui::MenuItem open;
  open.caption = i18n::TrS("打开助手&");
  open.isDefault = true;
  open.onClick = [this] { RestoreFromTray(); };
  gui::MenuItem separator;
  separator.caption = "-";
  gui::MenuItem quit;
  quit.caption = i18n::TrS("退出&");
  quit.onClick = [this] { ExitProgram(); };
  tray_->SetMenu({open, separator, quit});
  tray_->OnActivate = [this] { RestoreFromTray(); };
}

void TPUBGMainForm::ServiceStart() {
  if (destroyed_) return;
  DebugLog("service start");
  CreateTray();  // when no frame came first
  UpdateTimer->SetEnabled(true);
  watch_->ServiceStart();
}

// ---- Tabs ----

gui::Browser* TPUBGMainForm::BrowserFor(gui::Browser*& slot) {
  // Made on the first visit of its tab: a browser is the heaviest part of the
  // window, and most starts never open one.
  if (!slot) {
    slot = &window_->CreateBrowser(kPanelRect);
    slot->OnNewWindow = [](const std::string& url) {
      // Plain http pages open in the user's browser; the rest stay with the control.
      if (url.rfind("http://", 0) != 0) return false;
      OpenOrSay(url);
      return true;
    };
  }
  return slot;
}

void TPUBGMainForm::SelectTab(TCZTabControlItem& item, Control& panel, gui::Browser* browser,
                              const char* path) {
  MainTab.SelectItem(&item);
  for (Control* p : {&PanelOpti, &PanelVideo, &PanelTV, &PanelSkill, &PanelSearch})
    p->SetVisible(p == &panel);
  for (gui::Browser* b : {SearchBrowser, SkillBrowser, TVBrowser})
    if (b) b->SetVisible(b == browser);
  if (browser) browser->Navigate(PartnerPage(path));
  DebugLogF("tab %s", item.Name().c_str());
}

void TPUBGMainForm::HomeTabClick() {
  SelectTab(HomeTab, PanelOpti, nullptr, nullptr);
}
void TPUBGMainForm::VideoTabClick() {
  SelectTab(VideoTab, PanelVideo, nullptr, nullptr);
}
void TPUBGMainForm::SearchTabClick() {
  SelectTab(SearchTab, PanelSearch, BrowserFor(SearchBrowser), "/zs/search");
}
void TPUBGMainForm::SkillTabClick() {
  SelectTab(SkillTab, PanelSkill, BrowserFor(SkillBrowser), "/zs/skill");
}
void TPUBGMainForm::TVTabClick() {
  SelectTab(TVTab, PanelTV, BrowserFor(TVBrowser), "/zs/live");
}

// ---- Showing, hiding, ending ----

void TPUBGMainForm::CaptionDrag(ShiftState shift) {
  if (!(shift & kShiftLeft)) return;
  window_->Host().ReleaseCapture();
  window_->BeginCaptionDrag();
}

void TPUBGMainForm::HideToTray() {
  DebugLog("hide to tray");
  window_->Hide();
}

void TPUBGMainForm::RestoreFromTray() {
  DebugLog("restore from tray");
  window_->BringToFront();
  optiFrame_->CheckDrift();  // the game may have run while we sat in the tray
  if (!shownOnce_) {
    shownOnce_ = true;
    gui::RunLater(1000, [this] { ServiceStart(); });
  }
}

void TPUBGMainForm::ExitProgram() {
  DebugLog("exit");
  exiting_ = true;
  window_->RequestClose();
}

void TPUBGMainForm::Destroying() {
  if (destroyed_) return;
  destroyed_ = true;
  // The renderer ends with us.
  enhance::PostRendererEnd();
  if (Timer1) Timer1->SetEnabled(false);
  if (RunLumeshadeTimer) RunLumeshadeTimer->SetEnabled(false);
  if (UpdateTimer) UpdateTimer->SetEnabled(false);
  gui::QuitMainLoop();
}

void TPUBGMainForm::ShowOptionsMenu() {
  std::vector<gui::MenuItem> items(5);
  items[0].caption = i18n::TrS("开机自动启动&");
  items[0].checkable = true;
  items[0].checked = AutoRunEnabled();
  bool nowChecked = !items[0].checked;
  items[0].onClick = [nowChecked] { SetAutoRunEnabled(nowChecked); };
  items[1].caption = i18n::TrS("导出方案…");
  items[1].onClick = [this] { ExportPresetFromMenu(); };
  items[2].caption = i18n::TrS("导入方案…");
  items[2].onClick = [this] { ImportPresetFromMenu(); };
  items.insert(items.begin() + 3, UsageReportMenuItem());
  items[4].caption = "-";
  items[5].caption = i18n::TrS("关于我们&");
  items[5].onClick = [] {
    RunGuarded([] {
      TAboutForm about;
      about.ShowModal();
    });
  };
  std::vector<gui::MenuItem> languages = LanguageMenuItems();
  items.insert(items.begin() + 4, languages.begin(), languages.end());
  Point origin = window_->Host().ClientToScreen({btnOption.Left(), btnOption.Top() + 30});
  gui::PopupMenu(std::move(items), origin);
}

void TPUBGMainForm::ExportPresetFromMenu() {
  RunGuarded([this] {
    auto path =
        gui::ChooseFile(gui::FileChoice::kSave, i18n::TrS("导出方案"), "kestrune-preset.ini");
    if (!path) return;
    std::string error = optiFrame_->ExportPreset(*path);
    if (!error.empty()) ShowErrorBox(error);
  });
}

void TPUBGMainForm::ImportPresetFromMenu() {
  RunGuarded([this] {
    auto path = gui::ChooseFile(gui::FileChoice::kOpen, i18n::TrS("导入方案"), "");
    if (!path) return;
    std::string error = optiFrame_->ImportPreset(*path);
    if (!error.empty()) ShowErrorBox(error);
  });
}

// ---- Messages ----

void TPUBGMainForm::HandleMessage(uint32_t message) {
  if (destroyed_) return;
  switch (message) {
    case kMsgHardwareDone:
      // The refresh's facts are copied here, on the UI thread.
      if (hardwareThread_) {
        CopyHardwareResults(*hardwareThread_, HareWareInfo);
        hardwareThread_.reset();
      }
      optiFrame_->ShowHardwareInfo();
      break;
    case kMsgUpdateFound:
      UpdateFound();
      break;
    case kMsgShowMain:
      RestoreFromTray();
      break;
    case kMsgExit:
      ExitProgram();
      break;
    case enhance::kMsgConflictPrompt:
      ConflictPrompt();
      break;
    case enhance::kMsgRefreshInfo:
      DebugLog("WM_REFRESH_INFO");
      orvaneFrame_->LoadHotKeysAndPreset();
      break;
    default:
      DebugLogF("main window: message 0x%x ignored", message);
      break;
  }
}

void TPUBGMainForm::UpdateFound() {
  RunGuarded([] {
    TMessageForm form;
    form.SetCaptionText(i18n::TrS("升级"));
    form.SetMessageText(i18n::TrS("Kestrune,有新版本啦！请升级后使用！"));
    form.SetIconType(mitInfo);
    DebugLog("dialog: 升级");
    form.ShowModal();
  });
  if (!updateAddress_.empty()) ShellOpen(updateAddress_);
  // The only way out of the upgrade notice is ending the program.
  exiting_ = true;
  Destroying();
}

void TPUBGMainForm::ConflictPrompt() {
  bool leave = watch_->OnConflictPrompt([this] { window_->BringToFront(); },
                                        [] {
                                          DebugLog("dialog: companion program");
                                          TMessageForm4 form;
                                          return form.ShowModal();
                                        });
  if (leave) ExitProgram();
}

}  // namespace kestrune::app
