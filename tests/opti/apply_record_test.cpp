// The record of what Apply set: its file format (a torn or foreign file is
// no record), the drift it finds, and the page's flows around it (Apply
// records and prunes, a dry run does neither, apply again).
#include "opti/apply_record.h"

#include <gmock/gmock.h>

#include "ini/ini_text.h"
#include "opti_test_support.h"
#include "platform/file_system.h"

namespace kestrune::opti::test {
namespace {

using kestrune::test::ReadFile;
using kestrune::test::WriteFile;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(ApplyRecordFormatTest, RoundTripsEveryByteOfNamesAndValues) {
  ApplyRecord record;
  record.selections = {{"CBMSAAIndex", "2"}, {"ScreenSize", "with\ttab and \\ slash"}};
  NoteRecordedKey(record, {"Engine.ini", "/script/engine.renderersettings", "r.A", "1"});
  NoteRecordedKey(record, {"GameUserSettings.ini", "S\\t", "k\t", std::nullopt});
  NoteRecordedKey(record, {"Engine.ini", "/Script/Engine.RendererSettings", "R.a", "2"});
  ASSERT_EQ(record.keys.size(), 2u);  // the later operation on r.A replaced the first
  std::optional<ApplyRecord> back = ParseApplyRecord(FormatApplyRecord(record));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->selections, record.selections);
  ASSERT_EQ(back->keys.size(), 2u);
  EXPECT_EQ(back->keys[0].value, "2");
  EXPECT_EQ(back->keys[1].section, "S\\t");
  EXPECT_EQ(back->keys[1].key, "k\t");
  EXPECT_EQ(back->keys[1].value, std::nullopt);
}

TEST(ApplyRecordFormatTest, AnythingButAWholeRecordIsNoRecord) {
  const char* const cases[] = {
      "",
      "kestrune-apply-record 1",                                 // no line break: torn
      "kestrune-apply-record 2\n",                               // another format
      "kestrune-apply-record 1\nset\tEngine.ini\t[a]\tk\t1",     // torn last line
      "kestrune-apply-record 1\nset\tEngine.ini\ta\tk\n",        // a field short
      "kestrune-apply-record 1\nset\tOther.ini\ta\tk\t1\n",      // not a game file
      "kestrune-apply-record 1\nremoved\tEngine.ini\ta\t\n",     // no key
      "kestrune-apply-record 1\nset\tEngine.ini\ta\tk\t1\\x\n",  // a stray escape
      "kestrune-apply-record 1\nwhatever\n",
      "\x89PNG\r\n\x1a\n",
  };
  for (const char* text : cases) EXPECT_FALSE(ParseApplyRecord(text)) << text;
  EXPECT_TRUE(ParseApplyRecord("kestrune-apply-record 1\n"));
}

class DriftTest : public PageTest {};

TEST_F(DriftTest, FindsChangedRemovedAndReAddedKeysButNotMissingReads) {
  TPUBGLib engine(Base());
  WriteFile(GameFile("Engine.ini"), "[R]\r\na=1\r\nb= 2 \r\nc=3\r\n");
  WriteFile(GameFile("GameUserSettings.ini"), "[G]\r\nx=1\r\n");
  ApplyRecord record;
  NoteRecordedKey(record, {"Engine.ini", "R", "a", "1"});           // as left
  NoteRecordedKey(record, {"Engine.ini", "r", "B", "2"});           // blanks and case do not count
  NoteRecordedKey(record, {"Engine.ini", "R", "c", "4"});           // changed
  NoteRecordedKey(record, {"Engine.ini", "R", "d", "1"});           // removed
  NoteRecordedKey(record, {"Engine.ini", "R", "a2", {}});           // still removed
  NoteRecordedKey(record, {"GameUserSettings.ini", "G", "x", {}});  // put back
  NoteRecordedKey(record, {"Scalability.ini", "S", "y", "1"});      // file missing: removed
  std::vector<std::string> found;
  for (const DriftedKey& d : FindDrift(engine, record))
    found.push_back(d.recorded.key + ":" + std::to_string(static_cast<int>(d.kind)));
  EXPECT_THAT(found, ElementsAre("c:0", "d:1", "x:2", "y:1"));

  // A game file that cannot be read is never drift.
  std::filesystem::remove(GameFile("Engine.ini"));
  std::filesystem::create_directory(GameFile("Engine.ini"));
  found.clear();
  for (const DriftedKey& d : FindDrift(engine, record)) found.push_back(d.recorded.key);
  EXPECT_THAT(found, ElementsAre("x", "y"));
}

TEST_F(DriftTest, ApplyRecordsWhatItLeftAndADuplicateKeyIsNoDrift) {
  // The second line survives Apply's removal of the first.
  WriteFile(GameFile("Engine.ini"),
            "[/script/engine.renderersettings]\r\nr.SeparateTranslucency=False\r\n"
            "r.SeparateTranslucency=0\r\n");
  auto page = MakePage();
  EXPECT_THAT(page->CheckDrift(), IsEmpty());  // no record yet
  ASSERT_EQ(page->BtnApplyClick().status, ApplyStatus::Done);
  std::optional<ApplyRecord> record = LoadApplyRecord(page->ApplyRecordFile());
  ASSERT_TRUE(record);
  EXPECT_GT(record->keys.size(), 100u);
  EXPECT_EQ(record->selections.size(), kListCount + kEditCount + kCheckCount);
  EXPECT_THAT(page->CheckDrift(), IsEmpty());

  // The game rewrites a key; apply again puts it back after a backup.
  std::string text = ReadFile(GameFile("GameUserSettings.ini"));
  std::optional<std::string> applied =
      ini::ReadValue(text, "ScalabilityGroups", "sg.ViewDistanceQuality");
  ASSERT_TRUE(applied);
  WriteFile(GameFile("GameUserSettings.ini"),
            ini::SetKey(text, "ScalabilityGroups", "sg.ViewDistanceQuality", "7"));
  ASSERT_EQ(page->CheckDrift().size(), 1u);
  page->SetItemIndex(ListId::View, 9);  // a change since, not applied
  ASSERT_EQ(page->ApplyAgain().status, ApplyStatus::Done);
  EXPECT_THAT(page->CheckDrift(), IsEmpty());
  EXPECT_EQ(page->History().size(), 2u);
  EXPECT_EQ(ini::ReadValue(ReadFile(GameFile("GameUserSettings.ini")), "ScalabilityGroups",
                           "sg.ViewDistanceQuality"),
            applied);
}

TEST_F(DriftTest, ApplyPrunesToKeepBackupsAndTheDryRunTouchesNothing) {
  Store("KeepBackups", "2");
  auto page = MakePage();
  for (int i = 0; i < 4; ++i) ASSERT_EQ(page->BtnApplyClick().status, ApplyStatus::Done);
  ASSERT_EQ(page->History().size(), 2u);
  EXPECT_EQ(page->History().back().Folder, page->LastBackupFolder());
  // Bad text or a negative count keeps the default, never "keep all".
  for (const char* bad : {"abc", "-1", ""}) {
    Store("KeepBackups", bad);
    EXPECT_EQ(page->KeepBackups(), 30) << bad;
  }
  Store("KeepBackups", "0");
  EXPECT_EQ(page->KeepBackups(), 0);

  // A dry run neither records nor prunes.
  page->SetDurabilityBarrier(false);
  std::string record = ReadFile(page->ApplyRecordFile());
  Store("KeepBackups", "1");
  WriteFile(GameFile("Engine.ini"), "[x]\r\ny=1\r\n");
  ASSERT_EQ(page->BtnApplyClick().status, ApplyStatus::Done);
  EXPECT_EQ(page->History().size(), 3u);
  EXPECT_EQ(ReadFile(page->ApplyRecordFile()), record);
}

}  // namespace
}  // namespace kestrune::opti::test
