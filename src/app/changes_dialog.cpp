// The "查看变化" dialog: header, the scrolling change list and a close button.
#include "app/changes_dialog.h"

#include "controls/virtual_keys.h"
#include "i18n/i18n.h"
#include "platform/debug_log.h"

namespace kestrune::app {
namespace {

constexpr int kWidth = 600;
constexpr int kHeight = 440;

// Colours of what a line is: files dark and bold, sections blue, additions
// green, removals red, changes amber, the rest grey.
Color LineColour(opti::ChangeLineKind kind) {
  switch (kind) {
    case opti::ChangeLineKind::kFile:
    case opti::ChangeLineKind::kSummary:
      return Color::Rgb(0x222222);
    case opti::ChangeLineKind::kSection:
      return Color::Rgb(0x1E6FD9);
    case opti::ChangeLineKind::kAdded:
      return Color::Rgb(0x2E7D32);
    case opti::ChangeLineKind::kRemoved:
      return Color::Rgb(0xC62828);
    case opti::ChangeLineKind::kChanged:
      return Color::Rgb(0xB26A00);
    case opti::ChangeLineKind::kNoChange:
      break;
  }
  return Color::Rgb(0x888888);
}

std::string Header(const std::string& backupLine) {
  return i18n::TrF(kChangesHeader, {backupLine});
}

}  // namespace

std::vector<TLinesView::Line> ChangesLines(const opti::FileSetComparison& comparison) {
  std::vector<TLinesView::Line> lines;
  for (const std::string& error : comparison.errors)
    lines.push_back({i18n::TrS(kUnreadableText) + error, Color::Rgb(0xC62828), true});
  for (const opti::ChangeLine& line : opti::ChangeListLines(comparison.list)) {
    bool bold =
        line.kind == opti::ChangeLineKind::kFile || line.kind == opti::ChangeLineKind::kSummary;
    lines.push_back({line.text, LineColour(line.kind), bold});
  }
  return lines;
}

TChangesForm::TChangesForm(const std::string& backupLine, const opti::FileSetComparison& comparison)
    : TDialogForm(kWidth, kHeight, "TChangesForm") {
  UseTitleBackdrop();
  UiFont(root_);
  btnSysClose.SetBounds(kWidth - 31, 0, 27, 22);
  FontColour(CaptionLabel, 0xFFFFFF);
  CaptionLabel.SetCaption(i18n::TrS(kChangesTitle));
  lblHeader.SetAutoSize(false);
  lblHeader.SetBounds(20, 44, kWidth - 40, 20);
  FontColour(lblHeader, 0x333333, 14);
  lblHeader.SetCaption(Header(backupLine));
  Lines.SetBounds(20, 70, kWidth - 40, kHeight - 70 - 50);
  Lines.SetName("ChangesList");
  FontColour(Lines, 0x333333);
  Lines.SetColor(colors::kWhite);
  Lines.SetLines(ChangesLines(comparison));
  // Escape closes, as the title's close button; Return as the button below.
  Lines.OnKeyDown = [this](Control&, int& key, ShiftState) {
    if (key == vk::kEscape) SetModalResult(kModalCancel);
    if (key == vk::kReturn) SetModalResult(kModalOk);
  };
  btnClose.SetBounds(kWidth - 16 - 75, kHeight - 37, 75, 26);
  SkinStrip(btnClose, "DialogButton", 4);
  btnClose.SetCaption(i18n::TrS(kCloseText));
  FontColour(btnClose, 0x666666);
  btnClose.OnClick = [this](Control&) { SetModalResult(kModalOk); };
}

void ShowBackupChanges(const opti::TOptiFrame& page, int index) {
  const std::vector<std::string>& lines = page.HistoryList().Items;
  if (index < 0 || index >= static_cast<int>(lines.size())) return;
  opti::FileSetComparison comparison = page.CompareHistoryEntry(index);
  const std::string& backup = lines[static_cast<size_t>(index)];
  if (comparison.errors.empty() && comparison.list.Summary().files == 0) {
    ShowMessageBox(i18n::Tr(kChangesTitle), i18n::Tr(kNoChangesText), mitInfo, 1);
    return;
  }
  TChangesForm form(backup, comparison);
  DebugLogF("dialog: %s | %s", kChangesTitle, form.lblHeader.Caption().c_str());
  for (const TLinesView::Line& line : form.Lines.Lines())
    DebugLogF("changes: %s", line.text.c_str());
  int result = form.ShowModal();
  DebugLogF("dialog result: %d", result);
}

}  // namespace kestrune::app
