// "查看变化": what changed between a backup of the restore history and the
// game's files now, in a scrollable dialog in the style of the other
// dialogs (the list reads like kestrune-cli diff). Built from the portable
// controls only, so every GUI host shows it the same.
#pragma once

#include <string>
#include <vector>

#include "app/dialogs.h"
#include "controls/lines_view.h"
#include "opti/change_list.h"
#include "opti/opti_frame.h"

namespace kestrune::app {

// The texts the player sees here, together so they are easy to route
// through a catalog.
inline constexpr const char* kShowChangesLinkText = "查看变化";
inline constexpr const char* kChangesTitle = "查看变化";
// %s: the backup's history line.
inline constexpr const char* kChangesHeader = "备份 %s 与现在的游戏文件相比：";
inline constexpr const char* kNoChangesText = "所选的备份与现在的游戏文件相同，没有变化。";
inline constexpr const char* kUnreadableText = "无法读取：";
inline constexpr const char* kCloseText = "关闭";

// The dialog's lines: any file that could not be read first, then the
// change list line by line, each in the colour of what it is.
std::vector<TLinesView::Line> ChangesLines(const opti::FileSetComparison& comparison);

class TChangesForm : public TDialogForm {
 public:
  // `backupLine`: the history line the header names.
  TChangesForm(const std::string& backupLine, const opti::FileSetComparison& comparison);

  TLabel lblHeader{&Panel};
  TLinesView Lines{&Panel};
  TCZStandardButton btnClose{&Panel};

 protected:
  Control* InitialFocus() override { return &Lines; }
};

// "查看变化" for history line `index` of the page: the dialog, or a short
// notice when nothing differs. Does nothing without such a line.
void ShowBackupChanges(const opti::TOptiFrame& page, int index);

}  // namespace kestrune::app
