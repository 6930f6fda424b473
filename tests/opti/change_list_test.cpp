// The readable change list: grouping, lines, structured values, renderers.
#include "opti/change_list.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kestrune::opti {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

std::vector<std::string> EntryLines(const FileChangeList& file) {
  ChangeList list;
  list.files.push_back(file);
  std::string text = RenderChangeListText(list);
  std::vector<std::string> out;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    std::string line = text.substr(pos, end - pos);
    if (line.rfind("  ", 0) == 0) out.push_back(line.substr(2));
    pos = end + 1;
  }
  return out;
}

struct TextCase {
  const char* name;
  const char* before;
  const char* after;
  std::vector<std::string> lines;  // entry and section lines, indent cut by two
};

class ChangeListTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(ChangeListTextTest, ReadsLikeADiff) {
  const TextCase& c = GetParam();
  EXPECT_EQ(EntryLines(CompareIniTexts("E.ini", "/g/E.ini", true, true, c.before, c.after)),
            c.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChangeListTextTest,
    ::testing::Values(
        TextCase{"AddedChangedRemoved",
                 "[S]\r\na=1\r\nb=2\r\n",
                 "[S]\r\na=3\r\nc=4\r\n",
                 {"[S]", "  ~ a: 1 → 3", "  + c = 4", "  - b = 2"}},
        // The file's own spelling, once, whatever case the writer used.
        TextCase{"OneSpellingPerSection",
                 "[/script/engine.engine]\nx=1\n",
                 "[/script/engine.engine]\nx=2\n[/Script/Engine.Engine]\ny=1\n",
                 {"[/script/engine.engine]", "  ~ x: 1 → 2", "  + y = 1"}},
        // Template rulers and lines without '=' are lines, not keys.
        TextCase{"RulersAndKeylessLines",
                 "",
                 "[Core.System]\r\nPaths=a\r\nNone=====Optimization By=====\r\n[www.x.com]\r\n"
                 "just text\r\n",
                 {"[Core.System]", "  + Paths = a",
                  "  + None=====Optimization By=====", "[www.x.com]", "  + just text"}},
        TextCase{
            "KeylessLineRemoved", "[A]\nline one\nk=v\n", "[A]\nk=v\n", {"[A]", "  - line one"}},
        TextCase{"LayoutOnly", "[A]\r\nk = v\r\n", "[a]\nk=v\n\n", {"no change"}}),
    [](const auto& p) { return std::string(p.param.name); });

std::string Bindings(const std::vector<std::string>& actions) {
  std::string value = "(ActionKeyList=(";
  for (size_t i = 0; i < actions.size(); ++i) value += (i ? "," : "") + actions[i];
  value += "),AxisKeyList=((AxisName=\"MoveForward\",Keys=((Key=W))))";
  value +=
      ",MouseSensitiveList=((SensitiveName=\"Normal\",Sensitivity=50.000000)),"
      "bInvertMouse=False)";
  return value;
}

TEST(ChangeListTest, ABindingChangeIsShownPerActionEntry) {
  std::vector<std::string> actions;
  for (int i = 0; i < 40; ++i)
    actions.push_back("(ActionName=\"Act" + std::to_string(i) + "\",Keys=((Key=F" +
                      std::to_string(i) + ")))");
  std::string before = Bindings(actions);
  actions[3] = "(ActionName=\"Act3\",Keys=((Key=F3),(Key=W,bAlt=True)))";
  actions.erase(actions.begin() + 7);
  actions.insert(actions.begin(), "(ActionName=\"Jump\",Keys=((Key=SpaceBar)))");
  std::string after = Bindings(actions);
  auto entries = KeyChangeEntries({"S", "CustomInputSettins", before, after});
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].kind, ChangeKind::kAdded);
  EXPECT_EQ(entries[0].item, "ActionKeyList[Jump]");
  EXPECT_EQ(entries[0].after, "(ActionName=\"Jump\",Keys=((Key=SpaceBar)))");
  EXPECT_EQ(entries[1].kind, ChangeKind::kChanged);
  EXPECT_EQ(entries[1].item, "ActionKeyList[Act3]");
  EXPECT_EQ(entries[1].before, "(ActionName=\"Act3\",Keys=((Key=F3)))");
  EXPECT_EQ(entries[2].kind, ChangeKind::kRemoved);
  EXPECT_EQ(entries[2].item, "ActionKeyList[Act7]");

  // A top-level field that is no named list is shown as a field.
  std::string inverted = before;
  inverted.replace(inverted.find("bInvertMouse=False"), 18, "bInvertMouse=True");
  entries = KeyChangeEntries({"S", "CustomInputSettins", before, inverted});
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].item, "bInvertMouse");
  EXPECT_EQ(entries[0].before, "False");
  EXPECT_EQ(entries[0].after, "True");

  // The template's empty list filled in: every action is an addition.
  std::string empty = "(ActionKeyList=,AxisKeyList=,MouseSensitiveList=,bInvertMouse=False)";
  entries = KeyChangeEntries({"S", "CustomInputSettins", empty, before});
  EXPECT_EQ(entries.size(), 40u + 2u);
}

TEST(ChangeListTest, ALongValueThatIsNoStructureIsShortened) {
  std::string before(300, 'a'), after(300, 'b');
  auto entries = KeyChangeEntries({"S", "k", before, after});
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_THAT(entries[0].before, HasSubstr("[300 chars]"));
  // Reordered entries only: the value changed, so it is still listed.
  std::vector<std::string> actions;
  for (int i = 0; i < 10; ++i)
    actions.push_back("(ActionName=\"A" + std::to_string(i) + "\",Keys=((Key=F1)))");
  std::string ordered = Bindings(actions);
  std::swap(actions[0], actions[9]);
  entries = KeyChangeEntries({"S", "k", ordered, Bindings(actions)});
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].item, "ActionKeyList");
}

TEST(ChangeListTest, SummaryCountsFilesAndEntries) {
  ChangeList list;
  list.files.push_back(
      CompareIniTexts("A.ini", "a", true, true, "[S]\na=1\nb=2\n", "[S]\na=2\nc=1\n"));
  list.files.push_back(CompareIniTexts("B.ini", "b", true, true, "[S]\na=1\n", "[S]\na=1\n"));
  list.files.push_back(CompareIniTexts("C.ini", "c", false, true, "", "[S]\nx=1\ny=2\n"));
  ChangeSummary s = list.Summary();
  EXPECT_EQ(s.files, 2);
  EXPECT_EQ(s.added, 3);
  EXPECT_EQ(s.changed, 1);
  EXPECT_EQ(s.removed, 1);
  std::string text = RenderChangeListText(list);
  EXPECT_THAT(text, HasSubstr("B.ini: b\n  no change\n"));
  EXPECT_THAT(text, HasSubstr("C.ini (new file): c\n"));
  EXPECT_THAT(text, ::testing::EndsWith("\n2 files changed: 3 keys added, 1 changed, 1 removed\n"));
  EXPECT_EQ(SummaryLine({}), "No changes");
}

// A window shows the list line by line: the same text as the text form,
// each line with what it is.
TEST(ChangeListTest, TheLinesAreTheTextFormLineByLine) {
  ChangeList list;
  list.files.push_back(
      CompareIniTexts("A.ini", "a", true, true, "[S]\na=1\nb=2\n", "[S]\na=2\nc=1\n"));
  list.files.push_back(CompareIniTexts("B.ini", "b", true, true, "[S]\na=1\n", "[S]\na=1\n"));
  list.files.push_back(CompareIniTexts("C.ini", "c", true, false, "[T]\nx=1\n", ""));
  std::vector<ChangeLine> lines = ChangeListLines(list);
  std::string joined;
  for (const ChangeLine& line : lines) joined += line.text + "\n";
  EXPECT_EQ(joined, RenderChangeListText(list));
  std::vector<ChangeLineKind> kinds;
  for (const ChangeLine& line : lines) kinds.push_back(line.kind);
  using K = ChangeLineKind;
  EXPECT_EQ(kinds,
            (std::vector<K>{K::kFile, K::kSection, K::kChanged, K::kAdded, K::kRemoved, K::kFile,
                            K::kNoChange, K::kFile, K::kSection, K::kRemoved, K::kSummary}));
  EXPECT_EQ(lines[7].text, "C.ini (deleted): c");
  // Nothing at all: the summary alone.
  lines = ChangeListLines({});
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].text, "No changes");
}

TEST(ChangeListTest, ColourOnlyWhenAsked) {
  ChangeList list;
  list.files.push_back(CompareIniTexts("A.ini", "a", true, true, "[S]\na=1\n", "[S]\na=2\nb=1\n"));
  EXPECT_THAT(RenderChangeListText(list, false), Not(HasSubstr("\x1b[")));
  std::string coloured = RenderChangeListText(list, true);
  EXPECT_THAT(coloured, HasSubstr("\x1b[33m~ a: 1 → 2\x1b[0m"));
  EXPECT_THAT(coloured, HasSubstr("\x1b[32m+ b = 1\x1b[0m"));
}

TEST(ChangeListTest, JsonCarriesEveryEntryAndEscapesText) {
  ChangeList list;
  list.files.push_back(CompareIniTexts("A.ini", "C:\\g\\A.ini", true, true,
                                       "[S]\nq=\"x\"\nold=\x01\n", "[S]\nq=\xff\"y\"\nline\n"));
  std::string json = RenderChangeListJson(list, {{"dryRun", "true"}});
  EXPECT_EQ(json,
            "{\"files\":[{\"name\":\"A.ini\",\"path\":\"C:\\\\g\\\\A.ini\",\"existed\":true,"
            "\"exists\":true,\"sections\":[{\"name\":\"S\",\"changes\":["
            "{\"op\":\"changed\",\"key\":\"q\",\"before\":\"\\\"x\\\"\",\"after\":"
            "\"\xEF\xBF\xBD\\\"y\\\"\"},"
            "{\"op\":\"removed\",\"key\":\"old\",\"before\":\"\\u0001\"},"
            "{\"op\":\"added\",\"key\":null,\"after\":\"line\"}]}]}],"
            "\"summary\":{\"files\":1,\"added\":1,\"changed\":1,\"removed\":1},"
            "\"dryRun\":true}");
}

}  // namespace
}  // namespace kestrune::opti
