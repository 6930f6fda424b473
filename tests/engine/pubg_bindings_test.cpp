// The big-jump binding edit and ReplaceActionMapping.
#include <gtest/gtest.h>

#include <ostream>

#include <filesystem>

#include "engine/pubg_lib.h"
#include "engine_test_support.h"

namespace kestrune::test {
namespace {

namespace fs = std::filesystem;

const std::string kJumpOn =
    R"((ActionName="Jump",Keys=((Key=SpaceBar),(Key=Gamepad_FaceButton_Bottom),(Key=W,bAlt=True))))";
const std::string kCrouchOn = R"((ActionName="ToggleCrouch",Keys=((Key=C),(),(Key=W,bCtrl=True))))";
const std::string kJumpOff =
    R"((ActionName="Jump",Keys=((Key=SpaceBar),(Key=Gamepad_FaceButton_Bottom))))";
const std::string kCrouchOff = R"((ActionName="ToggleCrouch",Keys=((Key=C),())))";
const std::string kWholeLine =
    "CustomInputSettins=(ActionKeyList=(" + kJumpOn + "," + kCrouchOn + "))";

struct MappingCase {
  const char* name;
  std::string text;
  std::string action;
  std::string replacement;
  std::string expected;
};

void PrintTo(const MappingCase& c, std::ostream* os) {
  *os << c.name;
}

const MappingCase kMappingCases[] = {
    {"noMatch", "(ActionName=\"Walk\",Keys=())", "Jump", "X", "(ActionName=\"Walk\",Keys=())"},
    {"simple", "a,(ActionName=\"Jump\",Keys=((Key=J))),b", "Jump", "X", "a,X,b"},
    {"blanksAndCase", "( actionname = \"JUMP\",Keys=(())),b", "Jump", "X", "X,b"},
    // Every copy of the entry text goes, letter case aside.
    {"twice", "(ActionName=\"Jump\",Keys=()),(actionname=\"jump\",keys=())", "Jump", "X", "X,X"},
    // Unbalanced: the truncated entry stays.
    {"truncated", "(ActionName=\"Jump\",Keys=((Key=J)", "Jump", "X",
     "(ActionName=\"Jump\",Keys=((Key=J)"},
    // "JumpOnly" is another action: the quote ends the name.
    {"prefixName", "(ActionName=\"JumpOnly\",Keys=()),(ActionName=\"Jump\",Keys=())", "Jump", "X",
     "(ActionName=\"JumpOnly\",Keys=()),X"},
    {"replacementHoldsEntry", "(ActionName=\"Jump\",Keys=())", "Jump",
     "[(ActionName=\"Jump\",Keys=())]", "[(ActionName=\"Jump\",Keys=())]"},
};

class ReplaceActionMappingTest : public ::testing::TestWithParam<MappingCase> {};

TEST_P(ReplaceActionMappingTest, ReplacesTheFirstEntryEverywhere) {
  const MappingCase& c = GetParam();
  EXPECT_EQ(TPUBGLib::ReplaceActionMapping(c.text, c.action, c.replacement), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Text, ReplaceActionMappingTest, ::testing::ValuesIn(kMappingCases),
                         [](const auto& p) { return std::string(p.param.name); });

struct BindingCase {
  const char* name;
  std::string before;
  bool on;
  std::string after;
};

void PrintTo(const BindingCase& c, std::ostream* os) {
  *os << c.name;
}

const std::string kHead = "[/Script/TslGame.TslGameUserSettings]\r\n";

const BindingCase kBindingCases[] = {
    {"onEditsBothEntries",
     kHead + "CustomInputSettins=(ActionKeyList=((ActionName=\"Jump\",Keys=((Key=SpaceBar))),"
             "(ActionName=\"ToggleCrouch\",Keys=((Key=C)))),AxisKeyList=)\r\nx=1\r\n",
     true,
     kHead + "CustomInputSettins=(ActionKeyList=(" + kJumpOn + "," + kCrouchOn +
         "),AxisKeyList=)\r\nx=1\r\n"},
    {"onWithoutCrouchAddsNone",
     kHead + "CustomInputSettins=(ActionKeyList=((ActionName=\"Jump\",Keys=())))\r\n", true,
     kHead + "CustomInputSettins=(ActionKeyList=(" + kJumpOn + "))\r\n"},
    {"offRestoresBoth",
     kHead + "CustomInputSettins=(ActionKeyList=(" + kJumpOn + "," + kCrouchOn + "))\r\n", false,
     kHead + "CustomInputSettins=(ActionKeyList=(" + kJumpOff + "," + kCrouchOff + "))\r\n"},
    {"offWithoutEntriesChangesNothing", kHead + "CustomInputSettins=(ActionKeyList=)\r\n", false,
     kHead + "CustomInputSettins=(ActionKeyList=)\r\n"},
    // Mend: blanks around the equals sign still take the entry edit.
    {"blanksTakeTheEntryEdit",
     kHead + "CustomInputSettins=(ActionKeyList=((ActionName = \"Jump\",Keys=()),"
             "(ActionName=\"Walk\",Keys=((Key=LeftControl)))))\r\n",
     true,
     kHead + "CustomInputSettins=(ActionKeyList=(" + kJumpOn +
         ",(ActionName=\"Walk\",Keys=((Key=LeftControl)))))\r\n"},
    // Mend: the player's line keeps everything but its action list, which
    // gets ours first and keeps its other entries (the old crouch one goes).
    {"lineKeepsItsOtherParts",
     kHead + "CustomInputSettins=(ActionKeyList=((ActionName=\"Walk\",Keys=((Key=LeftControl))),"
             "(ActionName=\"ToggleCrouch\",Keys=((Key=C))),(ActionName=\"Sprint\",Keys=())),"
             "AxisKeyList=((AxisName=\"Turn\",Scale=1.0)),bInvertMouse=True)\r\nafter=1\r\n",
     true,
     kHead + "CustomInputSettins=(ActionKeyList=(" + kJumpOn + "," + kCrouchOn +
         ",(ActionName=\"Walk\",Keys=((Key=LeftControl))),(ActionName=\"Sprint\",Keys=())),"
         "AxisKeyList=((AxisName=\"Turn\",Scale=1.0)),bInvertMouse=True)\r\nafter=1\r\n"},
    {"templateLineKeepsAxisAndInvert",
     kHead + "CustomInputSettins=(ActionKeyList=,AxisKeyList=,MouseSensitiveList=,bInvertMouse="
             "False)\r\n",
     true,
     kHead + "CustomInputSettins=(ActionKeyList=(" + kJumpOn + "," + kCrouchOn +
         "),AxisKeyList=,MouseSensitiveList=,bInvertMouse=False)\r\n"},
    {"lineWithoutActionListIsReplaced", kHead + "CustomInputSettins=(AxisKeyList=)\r\nz=1\r\n",
     true, kHead + kWholeLine + "\r\nz=1\r\n"},
    {"noLineAppendsTheWholeLine", kHead + "x=1\r\n", true, kHead + "x=1\r\n" + kWholeLine + "\r\n"},
    {"unterminatedLastLine", kHead + "x=1", true, kHead + "x=1\r\n" + kWholeLine + "\r\n"},
    {"emptyFile", "", true, kWholeLine + "\r\n"},
    // Truncated list: left as it is rather than replaced and lost.
    {"truncatedListStays",
     kHead + "CustomInputSettins=(ActionKeyList=((ActionName=\"Walk\",Keys=(\r\n", true,
     kHead + "CustomInputSettins=(ActionKeyList=((ActionName=\"Walk\",Keys=(\r\n"},
    // An unclosed jump entry: the crouch entry is not edited on its own.
    {"unclosedEntryLeavesEverything",
     kHead + "CustomInputSettins=(ActionKeyList=((ActionName=\"Jump\",Keys=((Key=SpaceBar),"
             "(ActionName=\"ToggleCrouch\",Keys=((Key=C)))\r\n",
     true,
     kHead + "CustomInputSettins=(ActionKeyList=((ActionName=\"Jump\",Keys=((Key=SpaceBar),"
             "(ActionName=\"ToggleCrouch\",Keys=((Key=C)))\r\n"},
    // A damaged crouch entry whose parentheses enclose the jump entry: the
    // edits would drop the jump binding and the text between them.
    {"entryInsideAnotherLeavesEverything",
     kHead + "CustomInputSettins=(ActionKeyList=((ActionName=\"ToggleCrouch\",Keys=((Key=C)),"
             "(ActionName=\"Jump\",Keys=((Key=SpaceBar))),(ActionName=\"Walk\",Keys=())))\r\n",
     true,
     kHead + "CustomInputSettins=(ActionKeyList=((ActionName=\"ToggleCrouch\",Keys=((Key=C)),"
             "(ActionName=\"Jump\",Keys=((Key=SpaceBar))),(ActionName=\"Walk\",Keys=())))\r\n"},
    // A truncated binding line whose entry only closes on a later line: the
    // lines between would be replaced.
    {"entryClosingOnALaterLineLeavesEverything",
     kHead + "CustomInputSettins=(ActionKeyList=((ActionName=\"Jump\",Keys=((Key=SpaceBar\r\n"
             "Other=(1))))\r\n",
     false,
     kHead + "CustomInputSettins=(ActionKeyList=((ActionName=\"Jump\",Keys=((Key=SpaceBar\r\n"
             "Other=(1))))\r\n"},
    // Other lines keep their own endings.
    {"lfEndingsKept", "[S]\nCustomInputSettins=(ActionKeyList=)\nx=1\n", true,
     "[S]\nCustomInputSettins=(ActionKeyList=(" + kJumpOn + "," + kCrouchOn + "))\nx=1\n"},
    {"bomKept",
     "\xEF\xBB\xBF"
     "CustomInputSettins=(AxisKeyList=)\r\n",
     true, "\xEF\xBB\xBF" + kWholeLine + "\r\n"},
};

class BigJumpTest : public EngineTest, public ::testing::WithParamInterface<BindingCase> {};

TEST_P(BigJumpTest, EditsOnlyTheBindings) {
  const BindingCase& c = GetParam();
  WriteFile(lib.GameUserSettingsPath, c.before);
  lib.ApplyBigJumpBinding(c.on);
  EXPECT_EQ(ReadFile(lib.GameUserSettingsPath), c.after);
  // A second identical call changes nothing more.
  lib.ApplyBigJumpBinding(c.on);
  EXPECT_EQ(ReadFile(lib.GameUserSettingsPath), c.after);
}

INSTANTIATE_TEST_SUITE_P(Files, BigJumpTest, ::testing::ValuesIn(kBindingCases),
                         [](const auto& p) { return std::string(p.param.name); });

// Mend: calls on a file that ends with a line break never make it grow.
TEST_F(EngineTest, RepeatedBindingCallsDoNotGrowTheFile) {
  lib.WriteDefaultGameUserSettings();
  lib.ApplyBigJumpBinding(true);
  const std::string once = ReadFile(lib.GameUserSettingsPath);
  for (int i = 0; i < 3; ++i) {
    lib.ApplyBigJumpBinding(true);
    lib.ApplyBigJumpBinding(false);
    lib.ApplyBigJumpBinding(true);
  }
  EXPECT_EQ(ReadFile(lib.GameUserSettingsPath), once);
  EXPECT_EQ(once.substr(once.size() - 4), "00\r\n");  // ...Multiplier=1.000000 CR LF, no blank line
}

TEST_F(EngineTest, BindingWithoutFileDoesNothing) {
  lib.ApplyBigJumpBinding(true);
  EXPECT_FALSE(fs::exists(lib.GameUserSettingsPath));
  fs::create_directories(lib.GameUserSettingsPath);  // a folder in its place
  lib.ApplyBigJumpBinding(true);
  EXPECT_TRUE(fs::is_directory(lib.GameUserSettingsPath));
}

TEST_F(EngineTest, BindingOnUnreadableFileRaisesTheOpenError) {
  // Reading /proc/self/mem from its start fails with an I/O error, even for root.
  fs::create_symlink("/proc/self/mem", lib.GameUserSettingsPath);
  try {
    lib.ApplyBigJumpBinding(true);
    FAIL() << "no error";
  } catch (const EFileOpenError& e) {
    EXPECT_EQ(e.Path(), lib.GameUserSettingsPath);
    EXPECT_FALSE(e.Reason().empty());
    EXPECT_NE(std::string(e.what()).find(lib.GameUserSettingsPath), std::string::npos);
  }
}

TEST_F(EngineTest, BindingOnReadOnlyOrBinaryFileIsSwallowed) {
  const std::string readOnly = kHead + "x=1\r\n";
  WriteFile(lib.GameUserSettingsPath, readOnly);
  MakeReadOnly(lib.GameUserSettingsPath);
  DebugLines debug;
  lib.ApplyBigJumpBinding(true);
  EXPECT_EQ(ReadFile(lib.GameUserSettingsPath), readOnly);
  EXPECT_EQ(lib.SwallowedWriteCount(), 1);
  EXPECT_TRUE(debug.Contains("ApplyBigJumpBinding"));

  fs::permissions(lib.GameUserSettingsPath, fs::perms::owner_write, fs::perm_options::add);
  const std::string binary("\xFF\xFE[\0S\0]\0\r\0\n\0", 12);
  WriteFile(lib.GameUserSettingsPath, binary);
  lib.ApplyBigJumpBinding(true);
  EXPECT_EQ(ReadFile(lib.GameUserSettingsPath), binary);
  EXPECT_EQ(lib.SwallowedWriteCount(), 2);
}

}  // namespace
}  // namespace kestrune::test
