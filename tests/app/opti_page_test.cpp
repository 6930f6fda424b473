// The optimisation page's widgets without a display: every check box shows
// its whole caption, every list its skin.
#include "app/opti_page.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "controls/recording_canvas.h"
#include "controls/text_measure.h"
#include "env/settings_store.h"
#include "opti/apply_record.h"
#include "support/temp_dir.h"
#include "support/test_env.h"

namespace kestrune::app {
namespace {

TEST(OptiPage, EveryCheckBoxCaptionFitsItsBox) {
  Control parent;
  parent.SetBounds(0, 0, 880, 480);
  THareWareInfo hardware{};
  TOptiFrameView view(parent, hardware);
  for (const opti::CheckDesc& desc : opti::Checks()) {
    TCZCheckBox2& box = view.Check(desc.id);
    RecordingCanvas canvas;
    box.Paint(canvas);
    auto texts = canvas.CallsOf(CanvasCall::Kind::kText);
    ASSERT_EQ(texts.size(), 1u) << desc.control;
    const Size need = MeasureText(texts[0].font, texts[0].text);
    EXPECT_LE(need.width, texts[0].dst.width) << texts[0].text << " is clipped";
    // Nothing reaches past the page.
    EXPECT_LE(box.Left() + box.Width(), 880) << desc.control;
  }
}

// The notice when the game reset keys the last Apply set, and the "删除"
// link: shown in full inside the page, the notice only when keys drifted.
TEST(OptiPage, TheDriftNoticeShowsHowManyKeysTheGameReset) {
  kestrune::test::TempDir temp;
  // Everything user-specific in the temporary folder: no Proton prefix there,
  // so the game's files are under XDG_DATA_HOME.
  for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
    kestrune::test::SetEnv(name, temp.Path(name));
  SetConfigFilePathForTesting(temp.Path("Config.dat"));
  Control parent;
  parent.SetBounds(0, 0, 880, 480);
  THareWareInfo hardware{};
  {
    TOptiFrameView view(parent, hardware);
    EXPECT_FALSE(view.LabelDrift.Visible());  // no record: never drift
    const opti::TOptiFrame& page = view.Model();
    kestrune::test::WriteFile(page.GameFilePaths()[1],
                              "[ScalabilityGroups]\r\nsg.ShadowQuality=3\r\n");
    opti::ApplyRecord record;
    opti::NoteRecordedKey(record,
                          {"GameUserSettings.ini", "ScalabilityGroups", "sg.ShadowQuality", "1"});
    opti::NoteRecordedKey(
        record, {"GameUserSettings.ini", "ScalabilityGroups", "sg.ViewDistanceQuality", "2"});
    opti::NoteRecordedKey(record,
                          {"GameUserSettings.ini", "ScalabilityGroups", "sg.Gone", std::nullopt});
    std::string error;
    ASSERT_TRUE(opti::SaveApplyRecord(page.ApplyRecordFile(), record, &error)) << error;
    view.CheckDrift();
    ASSERT_TRUE(view.LabelDrift.Visible());
    EXPECT_EQ(view.LabelDrift.Caption(), "游戏重置了 2 项设置 — 重新应用");
    for (TLabel* label : {&view.LabelDrift, &view.LabelDeleteBackup}) {
      const Size need = MeasureText(label->GetFont(), label->Caption());
      EXPECT_LE(need.width, label->Width()) << label->Caption() << " is clipped";
      EXPECT_LE(label->Left() + label->Width(), 880);
    }
    // A record that cannot be read hides the notice.
    kestrune::test::WriteFile(page.ApplyRecordFile(), "kestrune-apply-record 1\nset");
    view.CheckDrift();
    EXPECT_FALSE(view.LabelDrift.Visible());
  }
  SetConfigFilePathForTesting("");
}

}  // namespace
}  // namespace kestrune::app
