// Key-by-key comparison used by the dry run.
#include "opti/ini_diff.h"

#include <gtest/gtest.h>

namespace kestrune::opti {
namespace {

TEST(DiffIniKeysTest, ReportsChangedAddedAndRemovedKeys) {
  std::string before =
      "; comment=1\r\n[/Script/Engine.RendererSettings]\r\nr.SSR=2\r\nr.Keep = 1\r\nr.Gone=x\r\n";
  std::string after =
      "; comment=2\r\n[/Script/Engine.RendererSettings]\r\nr.SSR=0\r\nr.Keep=1 \r\n"
      "[/script/engine.engine]\r\nbSmoothFrameRate=True\r\n";
  auto changes = DiffIniKeys(before, after);
  ASSERT_EQ(changes.size(), 3u);
  EXPECT_EQ(FormatKeyChange(changes[0]), "[/Script/Engine.RendererSettings] r.SSR: 2 → 0");
  EXPECT_EQ(FormatKeyChange(changes[1]), "[/script/engine.engine] bSmoothFrameRate: added = True");
  EXPECT_EQ(FormatKeyChange(changes[2]),
            "[/Script/Engine.RendererSettings] r.Gone: removed (was x)");
}

TEST(DiffIniKeysTest, NamesMatchWithoutCaseAndRepeatsPairInOrder) {
  std::string before = "[Core.System]\nPaths=a\nPaths=b\n[core.system]\nPaths=c\n";
  std::string after = "[CORE.SYSTEM]\npaths=a\nPaths=B\nPaths=new\n[core.system]\nPaths=c\n";
  auto changes = DiffIniKeys(before, after);
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(*changes[0].before, "b");
  EXPECT_EQ(*changes[0].after, "B");
  EXPECT_FALSE(changes[1].before.has_value());
  EXPECT_EQ(*changes[1].after, "new");
}

TEST(DiffIniKeysTest, IgnoresLayoutAndLinesOutsideSections) {
  std::string before = "\xEF\xBB\xBFtop=1\r\n[A]\r\nk=v\r\n";
  std::string after = "top=2\n\n[A]\nk=v\n\n\n";
  EXPECT_TRUE(DiffIniKeys(before, after).empty());
  // A glued key line is a key, not a header.
  auto changes = DiffIniKeys("[A]\nk=True[/script/x]\n", "[A]\nk=False[/script/x]\n");
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].key, "k");
}

TEST(DiffIniKeysTest, ANewFileIsAllAdditionsAndADeletedOneAllRemovals) {
  std::string text = "[G]\r\na=1\r\nb=2\r\n";
  auto added = DiffIniKeys("", text);
  ASSERT_EQ(added.size(), 2u);
  EXPECT_FALSE(added[0].before);
  auto removed = DiffIniKeys(text, "");
  ASSERT_EQ(removed.size(), 2u);
  EXPECT_FALSE(removed[1].after);
}

TEST(DiffIniKeysTest, DeletingTheFirstOfTwoEqualNamedKeysIsOneRemoval) {
  std::string before = "[R]\r\nr.Sep=False\r\nx=1\r\nr.Sep=0\r\n";
  std::string after = "[R]\r\nx=1\r\nr.Sep=0\r\n";
  auto changes = DiffIniKeys(before, after);
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(FormatKeyChange(changes[0]), "[R] r.Sep: removed (was False)");
}

}  // namespace
}  // namespace kestrune::opti
