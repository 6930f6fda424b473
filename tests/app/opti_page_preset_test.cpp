// The options menu's preset entries on the page's widgets: an export read
// back into another page shows the same choices; a bad preset changes nothing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/opti_page.h"
#include "support/temp_dir.h"

namespace kestrune::app {
namespace {

using ::testing::HasSubstr;

TEST(OptiPagePreset, AnExportedPresetShowsTheSameChoicesOnAnotherPage) {
  test::TempDir temp;
  THareWareInfo hardware{};
  Control parentA, parentB;
  TOptiFrameView a(parentA, hardware);
  TOptiFrameView b(parentB, hardware);
  a.List(opti::ListId::MSAA).SetItemIndex(7);
  a.Check(opti::CheckId::DirectXBestPro)
      .SetChecked(!a.Check(opti::CheckId::DirectXBestPro).Checked());
  a.Edit(opti::EditId::FpsCamearFov).SetText("95");
  const std::string path = temp.Path("preset.ini");
  ASSERT_EQ(a.ExportPreset(path), "");

  ASSERT_EQ(b.ImportPreset(path), "");
  EXPECT_EQ(b.List(opti::ListId::MSAA).ItemIndex(), 7);
  EXPECT_EQ(b.Edit(opti::EditId::FpsCamearFov).Text(), "95");
  for (const opti::CheckDesc& desc : opti::Checks())
    EXPECT_EQ(b.Check(desc.id).Checked(), a.Check(desc.id).Checked()) << desc.control;
  EXPECT_EQ(b.Model().ItemIndex(opti::ListId::MSAA), 7);
}

TEST(OptiPagePreset, ABadPresetSaysWhereAndChangesNothing) {
  test::TempDir temp;
  THareWareInfo hardware{};
  Control parent;
  TOptiFrameView view(parent, hardware);
  const int msaa = view.List(opti::ListId::MSAA).ItemIndex();
  const std::string path = temp.Path("bad.ini");
  test::WriteFile(path, "[kestrune-preset]\nformat=1\n[lists]\nmsaa=2\nview=42\n");
  std::string error = view.ImportPreset(path);
  EXPECT_THAT(error, HasSubstr("line 5: view=42 is out of range (-1..9)"));
  EXPECT_EQ(view.List(opti::ListId::MSAA).ItemIndex(), msaa);
  EXPECT_THAT(view.ImportPreset(temp.Path("missing.ini")), HasSubstr("Could not read"));
}

}  // namespace
}  // namespace kestrune::app
