// TPUBGMainForm: the main window. Tabs and panels, the two pages, the three
// browsers, tray icon, timers, the custom window messages from workers and
// other processes, and every way of hiding, showing and ending the program.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/app_services.h"
#include "app/opti_page.h"
#include "app/orvane_page.h"
#include "controls/shadow_form.h"
#include "controls/standard_controls.h"
#include "controls/tab_control.h"
#include "enhance/renderer_launcher.h"
#include "gui/gui_host.h"
#include "hardware/hardware_info.h"
#include "hardware/hardware_thread.h"

namespace kestrune::app {

class TPUBGMainForm {
 public:
  // Creates the window (FormCreate); hiddenStart: any argument containing "/start".
  explicit TPUBGMainForm(bool hiddenStart);
  ~TPUBGMainForm();
  TPUBGMainForm(const TPUBGMainForm&) = delete;
  TPUBGMainForm& operator=(const TPUBGMainForm&) = delete;

  // Every custom message, whoever posted it.
  void HandleMessage(uint32_t message);
  // The tab handlers.
  void HomeTabClick();
  void VideoTabClick();
  void SearchTabClick();
  void SkillTabClick();
  void TVTabClick();

  gui::Window& Window() { return *window_; }
  bool Exiting() const { return exiting_; }

 private:
  void FormCreate(bool hiddenStart);
  void SetUpInterface(bool hiddenStart);
  void BuildStrip();
  void SelectTab(TCZTabControlItem& item, Control& panel, gui::Browser* browser, const char* path);
  gui::Browser* BrowserFor(gui::Browser*& slot);
  void ServiceStart();
  void RestoreFromTray();
  void HideToTray();
  void CreateTray();
  void ExitProgram();
  void ShowOptionsMenu();
  // The options menu's preset entries: a file chooser, then the page.
  void ExportPresetFromMenu();
  void ImportPresetFromMenu();
  void UpdateFound();
  void ConflictPrompt();
  void Destroying();
  void CaptionDrag(ShiftState shift);

  // Controls.
  Control root_;
  TCZTabControl MainTab{&root_};
  TCZStandardLabel CaptionLabel{&MainTab};
  TCZStandardButton btnOption{&MainTab};
  TCZStandardButton btnSysMin{&MainTab};
  TCZStandardButton btnSysClose{&MainTab};
  TCZTabControlItem HomeTab{&MainTab};
  TCZTabControlItem VideoTab{&MainTab};
  TCZTabControlItem SearchTab{&MainTab};
  TCZTabControlItem SkillTab{&MainTab};
  TCZTabControlItem TVTab{&MainTab};
  Control PanelOpti{&root_};
  Control PanelVideo{&root_};
  Control PanelSearch{&root_};
  Control PanelSkill{&root_};
  Control PanelTV{&root_};

  // State.
  bool exiting_ = false;
  bool shownOnce_ = true;
  bool destroyed_ = false;
  std::string updateAddress_;
  THareWareInfo HareWareInfo;

  std::unique_ptr<gui::Window> window_;
  std::unique_ptr<MessageQueue> queue_;
  std::unique_ptr<gui::BusReceiver> bus_;
  std::unique_ptr<gui::TrayIcon> tray_;
  // Start-up work that waits for the window's first frame.
  std::vector<std::function<void()>> firstFrameTasks_;
  std::unique_ptr<TShadowForm> shadow_;
  std::unique_ptr<TOptiFrameView> optiFrame_;
  std::unique_ptr<TOrvaneFrameView> orvaneFrame_;
  gui::Browser* SearchBrowser = nullptr;
  gui::Browser* SkillBrowser = nullptr;
  gui::Browser* TVBrowser = nullptr;
  std::unique_ptr<gui::Timer> UpdateTimer;
  std::unique_ptr<gui::Timer> RunLumeshadeTimer;
  std::unique_ptr<gui::Timer> Timer1;
  std::unique_ptr<enhance::WatchTimer> runLumeshadeAdapter_;
  std::unique_ptr<enhance::WatchTimer> timer1Adapter_;
  std::unique_ptr<enhance::TRendererWatch> watch_;
  std::unique_ptr<THardWareThread> hardwareThread_;
  std::unique_ptr<UpdateCheck> updateCheck_;
};

}  // namespace kestrune::app
