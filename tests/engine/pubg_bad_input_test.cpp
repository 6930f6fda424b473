// Game files and names the engine should not trust: each has a defined
// outcome, and nothing the player had is lost.
#include <gtest/gtest.h>

#include <ostream>

#include <filesystem>

#include "engine/pubg_lib.h"
#include "engine_test_support.h"

namespace kestrune::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kSection = "/script/engine.renderersettings";
const std::string kNul("\0", 1);

enum class Setup { kFile, kMissing, kDirectory, kMissingFolder, kReadOnly };
enum class Op { kWrite, kDelete };

struct BadCase {
  const char* name;
  Setup setup;
  std::string before;
  Op op;
  std::string section;
  std::string key;
  std::string value;
  std::string after;  // expected bytes; for a refused op the same as before
  bool swallowed;     // counted as a refused write, with a debug line
};

void PrintTo(const BadCase& c, std::ostream* os) {
  *os << c.name;
}

const BadCase kBadCases[] = {
    {"crOnlyEndings", Setup::kFile, "[/Script/Engine.RendererSettings]\ra=1\r\rb=2\r", Op::kWrite,
     kSection, "r.SSR", "0", "[/Script/Engine.RendererSettings]\ra=1\r\rb=2\rr.SSR=0\r\n", false},
    {"mixedEndings", Setup::kFile, "[x]\nk=1\r\n[/script/engine.renderersettings]\rr.SSR=2\nz",
     Op::kWrite, kSection, "r.SSR", "0",
     "[x]\nk=1\r\n[/script/engine.renderersettings]\rr.SSR=0\nz", false},
    {"bomKept", Setup::kFile, "\xEF\xBB\xBF[/script/engine.renderersettings]\r\n", Op::kWrite,
     kSection, "k", "v", "\xEF\xBB\xBF[/script/engine.renderersettings]\r\nk=v\r\n", false},
    {"linesWithoutEquals", Setup::kFile,
     "[/script/engine.renderersettings]\r\njunk line\r\nk=1\r\n+Paths\r\n", Op::kDelete, kSection,
     "k", "", "[/script/engine.renderersettings]\r\njunk line\r\n+Paths\r\n", false},
    {"duplicateSectionsAndKeys", Setup::kFile,
     "[/script/engine.renderersettings]\r\nk=1\r\nk=2\r\n[/script/"
     "engine.renderersettings]\r\nk=3\r\n",
     Op::kWrite, kSection, "K", "9",
     "[/script/engine.renderersettings]\r\nk=9\r\nk=2\r\n[/script/"
     "engine.renderersettings]\r\nk=3\r\n",
     false},
    {"binaryWithoutNulIsText", Setup::kFile, "\x89PNG\r\n\x1a\xff\xfe garbage", Op::kWrite,
     kSection, "k", "v",
     "\x89PNG\r\n\x1a\xff\xfe garbage\r\n[/script/engine.renderersettings]\r\nk=v\r\n", false},
    {"nulBytesRefused", Setup::kFile, "[/script/engine.renderersettings]\r\nk=1" + kNul + "\r\n",
     Op::kWrite, kSection, "k", "2", "[/script/engine.renderersettings]\r\nk=1" + kNul + "\r\n",
     true},
    {"nulBytesDeleteRefused", Setup::kFile, "[/script/engine.renderersettings]\r\nk=1\r\n" + kNul,
     Op::kDelete, kSection, "k", "", "[/script/engine.renderersettings]\r\nk=1\r\n" + kNul, true},
    {"utf16Refused", Setup::kFile, std::string("\xFF\xFE[\0a\0]\0", 8), Op::kWrite, kSection, "k",
     "v", std::string("\xFF\xFE[\0a\0]\0", 8), true},
    {"readOnly", Setup::kReadOnly, "[/script/engine.renderersettings]\r\nk=1\r\n", Op::kWrite,
     kSection, "k", "2", "[/script/engine.renderersettings]\r\nk=1\r\n", true},
    {"readOnlyDelete", Setup::kReadOnly, "[/script/engine.renderersettings]\r\nk=1\r\n",
     Op::kDelete, kSection, "k", "", "[/script/engine.renderersettings]\r\nk=1\r\n", true},
    {"missingCreated", Setup::kMissing, "", Op::kWrite, kSection, "k", "v",
     "[/script/engine.renderersettings]\r\nk=v\r\n", false},
    {"valueWithLf", Setup::kFile, "[a]\r\n", Op::kWrite, kSection, "k", "v\n[evil]", "[a]\r\n",
     true},
    {"valueWithCr", Setup::kFile, "[a]\r\n", Op::kWrite, kSection, "k", "v\r", "[a]\r\n", true},
    {"valueWithNul", Setup::kFile, "[a]\r\n", Op::kWrite, kSection, "k", "v" + kNul + "x",
     "[a]\r\n", true},
    {"keyWithLf", Setup::kFile, "[a]\r\n", Op::kWrite, kSection, "k\nx", "v", "[a]\r\n", true},
    {"sectionWithCr", Setup::kFile, "[a]\r\n", Op::kWrite, "a\rb", "k", "v", "[a]\r\n", true},
    {"deleteKeyWithNul", Setup::kFile, "[a]\r\nk=1\r\n", Op::kDelete, "a", "k" + kNul, "",
     "[a]\r\nk=1\r\n", true},
};

class BadInputTest : public EngineTest, public ::testing::WithParamInterface<BadCase> {};

TEST_P(BadInputTest, DefinedOutcomeNothingLost) {
  const BadCase& c = GetParam();
  const std::string path = lib.EngineIniPath;
  if (c.setup != Setup::kMissing) WriteFile(path, c.before);
  if (c.setup == Setup::kReadOnly) MakeReadOnly(path);
  DebugLines debug;
  bool ok = c.op == Op::kWrite ? lib.WriteIniKey(path, c.section, c.key, c.value)
                               : lib.DeleteIniKey(path, c.section, c.key);
  EXPECT_EQ(ok, !c.swallowed);
  EXPECT_EQ(ReadFile(path), c.after);
  EXPECT_EQ(lib.SwallowedWriteCount(), c.swallowed ? 1 : 0);
  if (c.swallowed) {
    EXPECT_TRUE(debug.Contains(c.op == Op::kWrite ? "WriteIniKey" : "DeleteIniKey"));
    // The debug line stays one line: no raw line break from the name.
    for (const std::string& line : debug.lines())
      EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
  }
  // No temporary file left beside it.
  for (const auto& e : fs::directory_iterator(fs::path(path).parent_path()))
    EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
}

INSTANTIATE_TEST_SUITE_P(Files, BadInputTest, ::testing::ValuesIn(kBadCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(EngineTest, GameFileThatIsAFolderOrInAMissingFolder) {
  fs::create_directories(lib.EngineIniPath);
  lib.ApplyCpuUsageBoost(true);
  lib.ApplyCpuUsageBoost(false);
  EXPECT_TRUE(fs::is_directory(lib.EngineIniPath));
  EXPECT_EQ(lib.SwallowedWriteCount(), 2);

  fs::remove_all(lib.GameConfigFolder());
  lib.ResetSwallowedWrites();
  lib.ApplyShadowQuality(1);          // one Engine.ini key, one GameUserSettings.ini key
  lib.ApplyLowFpsRenderDelay(false);  // removals from a missing file are no failure
  EXPECT_FALSE(fs::exists(lib.GameConfigFolder()));
  std::vector<TSwallowedWrite> swallowed = lib.SwallowedWrites();
  ASSERT_EQ(swallowed.size(), 2u);
  EXPECT_EQ(swallowed[0].Path, lib.EngineIniPath);
  EXPECT_EQ(swallowed[1].Path, lib.GameUserSettingsPath);
}

TEST_F(EngineTest, WriterGoesOnAfterARefusedKey) {
  // A read-only Scalability.ini does not stop the Engine.ini keys.
  WriteFile(lib.ScalabilityIniPath, "[ScalabilitySettings]\r\n");
  MakeReadOnly(lib.ScalabilityIniPath);
  THareWareInfo hw;
  lib.ApplyHardwarePreset(7, hw);
  EXPECT_EQ(ReadFile(lib.ScalabilityIniPath), "[ScalabilitySettings]\r\n");
  EXPECT_EQ(ini::ReadValue(ReadFile(lib.EngineIniPath), "/script/engine.renderersettings",
                           "r.ViewDistanceScale"),
            "0");
  ASSERT_EQ(lib.SwallowedWrites().size(), 1u);
  EXPECT_EQ(lib.SwallowedWrites()[0].Path, lib.ScalabilityIniPath);
  EXPECT_EQ(lib.SwallowedWrites()[0].Reason, "file is read-only");
}

TEST_F(EngineTest, VeryLargeFileKeepsEveryByte) {
  std::string big = "[Filler]\r\n";
  const std::string line =
      "x.Filler.Key=0123456789012345678901234567890123456789012345678901234567\r\n";
  while (big.size() < 24u * 1024 * 1024) big += line;
  const std::string tail = "[/Script/Engine.RendererSettings]\r\nr.SSR=2\r\n";
  WriteFile(lib.EngineIniPath, big + tail);
  // One key set in place at the very end, one new key after it.
  lib.WriteIniKey(lib.EngineIniPath, "/script/engine.renderersettings", "r.SSR", "0");
  lib.WriteIniKey(lib.EngineIniPath, "/script/engine.renderersettings", "r.DetailMode", "2");
  EXPECT_EQ(ReadFile(lib.EngineIniPath),
            big + "[/Script/Engine.RendererSettings]\r\nr.SSR=0\r\nr.DetailMode=2\r\n");
  EXPECT_EQ(lib.SwallowedWriteCount(), 0);
}

TEST_F(EngineTest, BinaryGarbageBindingFileIsTakenAsText) {
  // No NUL bytes: the file is text of some kind; the whole binding line is
  // added at its end and every old byte stays.
  const std::string garbage = "\x89\xAB\xCD\r\n\xFF\xFE\xFD";
  WriteFile(lib.GameUserSettingsPath, garbage);
  lib.ApplyBigJumpBinding(true);
  std::string after = ReadFile(lib.GameUserSettingsPath);
  EXPECT_EQ(after.substr(0, garbage.size()), garbage);
  EXPECT_EQ(after.substr(garbage.size(), 2), "\r\n");
  EXPECT_EQ(after.find("CustomInputSettins=(ActionKeyList=("), garbage.size() + 2);
}

}  // namespace
}  // namespace kestrune::test
