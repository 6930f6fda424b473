#include "ini/ini_text.h"

#include <gtest/gtest.h>

namespace kestrune::ini {
namespace {

struct SetCase {
  const char* name;
  const char* before;
  const char* section;
  const char* key;
  const char* value;
  const char* after;
};

const SetCase kSetCases[] = {
    {"ReplacesInPlaceAcrossCase", "[/Script/Engine.RendererSettings]\r\nr.SSR=2\r\nr.X=1\r\n",
     "/script/engine.renderersettings", "r.SSR", "0",
     "[/Script/Engine.RendererSettings]\r\nr.SSR=0\r\nr.X=1\r\n"},
    {"AppendsSectionInRequestedCase", "[A]\r\nk=1\r\n", "/script/engine.engine", "k", "v",
     "[A]\r\nk=1\r\n[/script/engine.engine]\r\nk=v\r\n"},
    {"CreatesFromNothing", "", "S", "k", "v", "[S]\r\nk=v\r\n"},
    {"AddsAfterLastKeyBeforeBlankAndComment", "[S]\r\na=1\r\n\r\n; note\r\n[T]\r\n", "s", "b", "2",
     "[S]\r\na=1\r\nb=2\r\n\r\n; note\r\n[T]\r\n"},
    {"AddsAfterHeaderOfEmptySection", "[S]\n\n[T]\nx=1\n", "S", "k", "v",
     "[S]\nk=v\r\n\n[T]\nx=1\n"},
    {"KeepsKeySpellingSpacingAndEnding", "[S]\nMyKey  =  old\n", "s", "mykey", "new",
     "[S]\nMyKey  =new\n"},
    {"TerminatesUnterminatedLastLineBeforeAppend", "[A]\r\nk=1", "B", "k", "v",
     "[A]\r\nk=1\r\n[B]\r\nk=v\r\n"},
    {"TerminatesUnterminatedLastKeyBeforeInsert", "[A]\r\nk=1", "A", "j", "2",
     "[A]\r\nk=1\r\nj=2\r\n"},
    {"SetsUnterminatedLastKeyInPlace", "[A]\r\nk=1", "A", "k", "22", "[A]\r\nk=22"},
    {"FirstDuplicateSectionAndKeyOnly", "[A]\nk=1\nk=2\n[a]\nk=3\n", "A", "k", "9",
     "[A]\nk=9\nk=2\n[a]\nk=3\n"},
    {"CrOnlyLineEndings", "[A]\rk=1\rz=0\r", "A", "k", "5", "[A]\rk=5\rz=0\r"},
    {"ByteOrderMarkKept", "\xEF\xBB\xBF[A]\r\nk=1\r\n", "A", "k", "2",
     "\xEF\xBB\xBF[A]\r\nk=2\r\n"},
    {"GluedHeaderTextIsAKeyLine", "[A]\r\nkey=True[/script/x]\r\n", "/script/x", "k", "v",
     "[A]\r\nkey=True[/script/x]\r\n[/script/x]\r\nk=v\r\n"},
    {"TextBeforeFirstSectionIsNeverAKey", "k=1\r\n[A]\r\n", "A", "k", "2", "k=1\r\n[A]\r\nk=2\r\n"},
    {"CommentIsNeverAKey", "[A]\r\n;k=1\r\n", "A", "k", "2", "[A]\r\nk=2\r\n;k=1\r\n"},
    {"ValueWrittenExactly", "[A]\r\n", "A", "b", "False", "[A]\r\nb=False\r\n"},
};

void PrintTo(const SetCase& c, std::ostream* os) {
  *os << c.name;
}

class SetKeyTest : public ::testing::TestWithParam<SetCase> {};

TEST_P(SetKeyTest, ChangesOnlyWhatItMust) {
  const SetCase& c = GetParam();
  EXPECT_EQ(SetKey(c.before, c.section, c.key, c.value), c.after);
}

INSTANTIATE_TEST_SUITE_P(Rules, SetKeyTest, ::testing::ValuesIn(kSetCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(DeleteKeyTest, Rules) {
  // Last key of a section: header stays.
  EXPECT_EQ(DeleteKey("[A]\r\nk=1\r\n[B]\r\n", "a", "K"), "[A]\r\n[B]\r\n");
  // Absent key or section: unchanged.
  EXPECT_EQ(DeleteKey("[A]\r\nk=1\r\n", "A", "x"), "[A]\r\nk=1\r\n");
  EXPECT_EQ(DeleteKey("[A]\r\nk=1\r\n", "B", "k"), "[A]\r\nk=1\r\n");
  // Only the first duplicate goes.
  EXPECT_EQ(DeleteKey("[A]\nk=1\nk=2\n", "A", "k"), "[A]\nk=2\n");
  // Unterminated last line: the line before keeps its ending.
  EXPECT_EQ(DeleteKey("[A]\r\nj=0\r\nk=1", "A", "k"), "[A]\r\nj=0\r\n");
}

TEST(EraseSectionTest, RemovesHeaderAndKeysOnly) {
  EXPECT_EQ(EraseSection("[X]\r\na=1\r\n[Backup]\r\nID0=a\r\n; c\r\nID1=b\r\n[Y]\r\n", "backup"),
            "[X]\r\na=1\r\n; c\r\n[Y]\r\n");
}

TEST(ReadTest, ListsAndReads) {
  const char* text = "[B]\r\n ID2 = c \r\nID0=a\r\nID0=dup\r\n[b]\r\nID9=x\r\n";
  EXPECT_EQ(ListKeys(text, "b"), (std::vector<std::string>{"ID2", "ID0", "ID0"}));
  EXPECT_EQ(ReadValue(text, "B", "id2"), "c");
  EXPECT_EQ(ReadValue(text, "B", "ID0"), "a");
  EXPECT_EQ(ReadValue(text, "B", "ID9"), std::nullopt);
  EXPECT_TRUE(ListKeys(text, "none").empty());
  // Entries keep each duplicate's own value; only the first section counts.
  using Entries = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(ListEntries(text, "b"), (Entries{{"ID2", "c"}, {"ID0", "a"}, {"ID0", "dup"}}));
  EXPECT_EQ(ListSections(text), (std::vector<std::string>{"B", "b"}));
  // A comment or a key line before any header belongs to no section.
  EXPECT_TRUE(ListEntries("k=1\r\n;[B]\r\n", "B").empty());
}

TEST(SplitLinesTest, MixedEndings) {
  EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
  EXPECT_TRUE(SplitLines("").empty());
}

TEST(WritableEntryTest, RefusesLineInjection) {
  EXPECT_TRUE(IsWritableEntry("S", "k", "v"));
  EXPECT_FALSE(IsWritableEntry("S", "k", "v\r\n[Evil]"));
  EXPECT_FALSE(IsWritableEntry("S\n", "k", "v"));
  EXPECT_FALSE(IsWritableEntry("S", std::string_view("k\0", 2), "v"));
  EXPECT_FALSE(IsWritableEntry("S]", "k", "v"));
  EXPECT_FALSE(IsWritableEntry("S", "a=b", "v"));
  EXPECT_FALSE(IsWritableEntry("S", " ", "v"));
}

}  // namespace
}  // namespace kestrune::ini
