// "查看变化" on the page without a display (the null GUI host): the link
// follows the history's selection, the dialog lists what changed since the
// selected backup, scrolls, and closes on Escape; nothing changed is a short
// notice instead.
#include "app/changes_dialog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "app/opti_page.h"
#include "controls/text_measure.h"
#include "controls/virtual_keys.h"
#include "env/settings_store.h"
#include "support/temp_dir.h"
#include "support/test_env.h"

namespace kestrune::app {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;

// Everything user-specific in a temporary folder; every dialog the page
// shows is seen by `onShown`, then ends (Cancel) unless it ended itself.
class ChangesDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
      kestrune::test::SetEnv(name, temp.Path(name));
    SetConfigFilePathForTesting(temp.Path("Config.dat"));
    parent.SetBounds(0, 0, 880, 480);
    TDialogForm::SetShownHook([this](TDialogForm& form) {
      titles.push_back(form.CaptionLabel.Caption());
      if (onShown) onShown(form);
      if (form.ShownWindow() && form.ModalResult() == 0) form.SetModalResult(kModalCancel);
    });
  }
  void TearDown() override {
    TDialogForm::SetShownHook(nullptr);
    SetConfigFilePathForTesting("");
  }
  void Click(Control& control) { control.OnClick(control); }

  kestrune::test::TempDir temp;
  Control parent;
  THareWareInfo hardware{};
  std::vector<std::string> titles;
  std::function<void(TDialogForm&)> onShown;
};

TEST_F(ChangesDialog, ListsWhatChangedSinceTheSelectedBackupScrollsAndClosesOnEscape) {
  TOptiFrameView view(parent, hardware);
  // No backup yet: the links are greyed out and a click shows nothing.
  // (Windows keeps the game's files and the backups in the user's own
  // folders, where an earlier run may have left some.)
  const bool fresh = view.Model().History().empty();
  if (fresh) {
    EXPECT_FALSE(view.LabelShowChanges.Enabled());
    EXPECT_FALSE(view.LabelDeleteBackup.Enabled());
    Click(view.LabelShowChanges);
    EXPECT_TRUE(titles.empty());
  }

  const std::string gus = view.Model().GameFilePaths()[1];
  kestrune::test::WriteFile(gus, "[ScalabilityGroups]\r\nsg.Marker=old\r\n");
  Click(view.BtnApply);
  ASSERT_FALSE(view.Model().History().empty());
  const std::string firstBackup = view.Model().LastBackupFolder();
  titles.clear();  // Apply's final question
  EXPECT_TRUE(view.LabelShowChanges.Enabled());
  EXPECT_EQ(view.LabelShowChanges.Caption(), kShowChangesLinkText);
  // Shown whole, right of the history list's left edge and left of "删除".
  EXPECT_LE(MeasureText(view.LabelShowChanges.GetFont(), kShowChangesLinkText).width,
            view.LabelShowChanges.Width());
  EXPECT_LE(view.LabelShowChanges.Left() + view.LabelShowChanges.Width(),
            view.LabelDeleteBackup.Left());

  std::string text = kestrune::test::ReadFile(gus);
  size_t at = text.find("sg.Marker=old");
  ASSERT_NE(at, std::string::npos) << text;
  text.replace(at, 13, "sg.Marker=new");
  kestrune::test::WriteFile(gus, text);

  std::vector<std::string> listed;
  int topAfterWheel = -1, result = -1, maxTop = -1;
  bool scrollBar = false;
  onShown = [&](TDialogForm& form) {
    auto* changes = dynamic_cast<TChangesForm*>(&form);
    ASSERT_NE(changes, nullptr) << form.Title();
    for (const TLinesView::Line& line : changes->Lines.Lines()) listed.push_back(line.text);
    EXPECT_THAT(changes->lblHeader.Caption(), HasSubstr(view.CBOptiHistory.Text()));
    ControlHost& host = form.ShownWindow()->Host();
    scrollBar = changes->Lines.HasScrollBar();
    maxTop = changes->Lines.RowCount() - changes->Lines.VisibleRows();
    Rect r = changes->Lines.WindowRect();
    host.PointerWheel(r.x + 40, r.y + 40, -2, 0);  // two notches towards the user
    topAfterWheel = changes->Lines.TopRow();
    EXPECT_TRUE(host.KeyDown(vk::kEscape, 0));
    result = form.ModalResult();
  };
  Click(view.LabelShowChanges);
  ASSERT_EQ(titles, std::vector<std::string>{kChangesTitle});
  EXPECT_THAT(listed, Contains("    ~ sg.Marker: old → new"));
  EXPECT_THAT(listed, Contains(::testing::StartsWith("Engine.ini")));
  EXPECT_THAT(listed, Contains(::testing::StartsWith("GameUserSettings.ini: ")));
  EXPECT_THAT(listed.back(), HasSubstr(" changed: "));
  EXPECT_EQ(scrollBar, maxTop > 0);
  EXPECT_EQ(topAfterWheel, std::clamp(maxTop, 0, 2 * TLinesView::kWheelRows));
  if (fresh) {  // every key Apply added is listed: far more than fit
    EXPECT_THAT(listed.back(), HasSubstr("3 files changed: "));
    EXPECT_GT(maxTop, 2 * TLinesView::kWheelRows);
  }
  EXPECT_EQ(result, kModalCancel);

  // A second Apply writes the same again: its backup is what the files are
  // now, so there is nothing to list, only a short notice.
  onShown = nullptr;
  titles.clear();
  Click(view.BtnApply);
  ASSERT_NE(view.Model().LastBackupFolder(), firstBackup);
  const int count = static_cast<int>(view.Model().History().size());
  ASSERT_GE(count, 2);
  titles.clear();
  std::string shownText;
  onShown = [&](TDialogForm& form) {
    auto* box = dynamic_cast<TMessageForm*>(&form);
    ASSERT_NE(box, nullptr);
    shownText = box->lblTitle.Caption();
  };
  Click(view.LabelShowChanges);
  EXPECT_EQ(titles, std::vector<std::string>{kChangesTitle});
  EXPECT_EQ(shownText, kNoChangesText);

  // The older backup, chosen in the list, still differs.
  view.CBOptiHistory.SetItemIndex(count - 2);
  std::string header;
  onShown = [&](TDialogForm& form) {
    auto* changes = dynamic_cast<TChangesForm*>(&form);
    ASSERT_NE(changes, nullptr);
    header = changes->lblHeader.Caption();
  };
  Click(view.LabelShowChanges);
  EXPECT_THAT(header, HasSubstr(view.CBOptiHistory.Items()[static_cast<size_t>(count - 2)]));
}

// A backup file that cannot be read is said, never shown as "every key
// removed"; the other files are still compared.
TEST(ChangesLines, AnUnreadableFileComesFirstInRed) {
  opti::FileSetComparison comparison;
  comparison.errors.push_back("/b/Engine.ini: Permission denied");
  comparison.list.files.push_back(opti::CompareIniTexts("GameUserSettings.ini", "/g/gus", true,
                                                        true, "[S]\r\na=1\r\n", "[S]\r\na=2\r\n"));
  std::vector<TLinesView::Line> lines = ChangesLines(comparison);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].text, std::string(kUnreadableText) + "/b/Engine.ini: Permission denied");
  EXPECT_EQ(lines[0].color, Color::Rgb(0xC62828));
  EXPECT_EQ(lines[1].text, "GameUserSettings.ini: /g/gus");
  EXPECT_TRUE(lines[1].bold);
  EXPECT_EQ(lines[3].text, "    ~ a: 1 → 2");
  EXPECT_EQ(lines[4].text, "1 file changed: 0 keys added, 1 changed, 0 removed");
}

}  // namespace
}  // namespace kestrune::app
