// The optimisation page's widgets (TOptiFrame's face): the layout, texts and
// fonts of the page, bound to the page model of the opti subsystem. Every
// user action copies the widgets into the model, runs the model's handler
// and shows the model's state again.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "app/orvane_page.h"
#include "controls/combo_box.h"
#include "controls/plain_controls.h"
#include "controls/standard_controls.h"
#include "opti/opti_frame.h"

namespace kestrune::app {

// The GUI's dialogs for the page.
class GuiOptiDialogs final : public opti::OptiDialogs {
 public:
  void ShowGameRunningNotice(const std::function<void()>& closeGame) override;
  int ShowMessageBox(std::string_view title, std::string_view text, int iconType,
                     int buttonsMode) override;
  void ShowErrorBox(std::string_view message) override;
};

// The game through the environment subsystem; a start that cannot happen
// (no Steam, no desktop opener) is said in a message box.
class GuiGameControl final : public opti::GameControl {
 public:
  bool IsGameRunning() override;
  void TerminateGameProcesses() override;
  void LaunchGameViaSteam() override;
};

class TOptiFrameView {
 public:
  TOptiFrameView(Control& parent, const THareWareInfo& hardware);
  opti::TOptiFrame& Model() { return *model_; }
  // The hardware summary again (the main window's 0x401).
  void ShowHardwareInfo();
  // The options menu's "导出方案…" and "导入方案…": the page's selections to
  // and from a preset file (opti/opti_preset.h). An import shows the
  // selections on the page; they are saved on Apply, like any choice made
  // there. Empty on success, otherwise the error box's text (nothing changed).
  std::string ExportPreset(const std::string& path);
  std::string ImportPreset(const std::string& path);

  TCZComboBox& List(opti::ListId id) { return *lists_[static_cast<size_t>(id)]; }
  TCZCheckBox2& Check(opti::CheckId id) { return *checks_[static_cast<size_t>(id)]; }
  TEdit& Edit(opti::EditId id) { return *edits_[static_cast<size_t>(id)]; }

  Control Frame;
  TGroupBox HardwareGroup{&Frame};
  TLabel Heading1{&Frame};  // 配置文件
  TLabel Heading2{&Frame};  // 还原历史版本
  TLabel Heading3{&Frame};  // 视觉设定
  TLabel Heading4{&Frame};  // 其他设定
  TLabel Heading5{&Frame};  // 高级功能
  TCZComboBox CBOptiHistory{&Frame};
  TCZStandardButton btnRestore{&Frame};
  TCZStandardButton BtnApply{&Frame};
  TCZStandardButton BtnStartPUBG{&Frame};
  TLabel Label4{&Frame};             // 清空所有配置文件
  TLabel LabelDeleteBackup{&Frame};  // 删除: the selected backup
  TLabel LabelDrift{&Frame};         // 游戏重置了 N 项设置 — 重新应用
  TLabel LabelShowChanges{&Frame};   // 查看变化: the selected backup against now

  // Looks for keys the game reset since the last Apply and shows or hides
  // the notice (at start, when shown from the tray, after every action).
  void CheckDrift();

 private:
  void Build();
  void BuildHistoryExtras();  // opti_page_history.cpp
  // The history's links work only when a backup is selected.
  void RefreshHistoryLinks();
  void PullFromWidgets();
  void PushToWidgets();
  void Run(const std::function<void()>& action);

  opti::ConfigDatSettings settings_;
  GuiOptiDialogs dialogs_;
  GuiGameControl game_;
  std::unique_ptr<opti::TOptiFrame> model_;
  std::array<std::unique_ptr<TCZComboBox>, opti::kListCount> lists_;
  std::array<std::unique_ptr<TCZCheckBox2>, opti::kCheckCount> checks_;
  std::array<std::unique_ptr<TEdit>, opti::kEditCount> edits_;
  std::vector<std::unique_ptr<TLabel>> labels_;
  std::array<std::unique_ptr<TLabel>, 4> hwCaptions_;
  std::array<std::unique_ptr<TLabel>, 4> hwValues_;
};

}  // namespace kestrune::app
