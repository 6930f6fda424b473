// The page's small additions around the restore history: "查看变化" and
// "删除" beside it, and the quiet notice when the game reset keys the last
// Apply set.
#include <string>

#include "app/changes_dialog.h"
#include "app/dialogs.h"
#include "app/opti_page.h"
#include "i18n/i18n.h"
#include "platform/debug_log.h"

namespace kestrune::app {
namespace {

constexpr const char* kDeleteLinkText = "删除";
constexpr const char* kDeleteQuestion = "删除所选的备份？删除后无法再还原到这个时间点。";
constexpr int kLinkColour = 0x1E6FD9;
constexpr int kDisabledLinkColour = 0xAAAAAA;

}  // namespace

void TOptiFrameView::BuildHistoryExtras() {
  // Below the history row, right-aligned under the restore button: the
  // page design leaves that strip free.
  LabelDeleteBackup.SetBounds(777, 114, 80, 18);
  LabelDeleteBackup.SetName("LabelDeleteBackup");
  FontColour(LabelDeleteBackup, kLinkColour);
  LabelDeleteBackup.SetCaption(i18n::TrS(kDeleteLinkText));
  LabelDeleteBackup.SetCursor(Cursor::kHandPoint);
  LabelDeleteBackup.OnClick = [this](Control&) {
    Run([this] {
      int index = model_->HistoryList().ItemIndex;
      if (index < 0) return;
      if (model_->HistoryEntryPinned(index)) {
        app::ShowErrorBox(i18n::Tr("所选的备份已被锁定（kestrune-cli backups unpin），没有删除。"));
        return;
      }
      if (app::ShowMessageBox(i18n::Tr(opti::kGameTitle), i18n::Tr(kDeleteQuestion), mitQuestion,
                              0) != 1)
        return;
      std::string error;
      if (!model_->DeleteHistoryEntry(index, error))
        app::ShowErrorBox(i18n::TrF("删除备份失败：%s", {error}));
    });
  };

  // Left of "删除", its right edge under the history list's.
  LabelShowChanges.SetName("LabelShowChanges");
  FontColour(LabelShowChanges, kLinkColour);
  LabelShowChanges.SetCaption(i18n::TrS(kShowChangesLinkText));
  LabelShowChanges.SetBounds(
      CBOptiHistory.Left() + CBOptiHistory.Width() - LabelShowChanges.Width(), 114,
      LabelShowChanges.Width(), 18);
  LabelShowChanges.OnClick = [this](Control&) {
    model_->SetHistoryIndex(CBOptiHistory.ItemIndex());
    int index = model_->HistoryList().ItemIndex;
    if (index < 0) return;
    RunGuarded([this, index] { ShowBackupChanges(*model_, index); });
  };

  // Above the Apply button, where the advanced options end.
  LabelDrift.SetBounds(574, 366, 290, 18);
  LabelDrift.SetName("LabelDrift");
  FontColour(LabelDrift, kLinkColour);
  LabelDrift.SetCursor(Cursor::kHandPoint);
  LabelDrift.SetVisible(false);
  LabelDrift.OnClick = [this](Control&) {
    Run([this] {
      opti::ApplyResult result = model_->ApplyAgain();
      DebugLogF("Apply again: status %d", static_cast<int>(result.status));
    });
  };
}

void TOptiFrameView::RefreshHistoryLinks() {
  const bool selected = model_->HistoryList().ItemIndex >= 0;
  for (TLabel* link : {&LabelShowChanges, &LabelDeleteBackup}) {
    link->SetEnabled(selected);
    Font font = link->GetFont();
    font.color = Color::Rgb(selected ? kLinkColour : kDisabledLinkColour);
    link->SetFont(font);
    link->SetCursor(selected ? Cursor::kHandPoint : Cursor::kDefault);
  }
}

void TOptiFrameView::CheckDrift() {
  size_t drifted = model_->CheckDrift().size();
  if (drifted > 0)
    LabelDrift.SetCaption(i18n::TrF("游戏重置了 %s 项设置 — 重新应用", {std::to_string(drifted)}));
  LabelDrift.SetVisible(drifted > 0);
}

}  // namespace kestrune::app
