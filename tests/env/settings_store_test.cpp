// Settings store: Config.dat rules, bad files, the registry stand-in and
// concurrent writers.
#include "env/settings_store.h"
#include "platform/file_system.h"
#include "platform/own_places.h"
#include "platform/paths.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/debug_log.h"
#include "support/case_name.h"
#include "support/temp_dir.h"
#include "support/test_env.h"

namespace kestrune {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// Points the store at a temporary Config.dat and counts debug lines.
class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.Path("Config.dat");
    SetConfigFilePathForTesting(path_);
    SetDebugLogSink([this](std::string_view) { ++debugLines_; });
  }
  void TearDown() override {
    SetConfigFilePathForTesting("");
    SetDebugLogSink(nullptr);
  }

  TempDir dir_;
  std::string path_;
  int debugLines_ = 0;
};

TEST_F(SettingsTest, MissingFileReadsDefaultsAndFirstWriteCreatesIt) {
  EXPECT_EQ(ReadConfig("CardName"), "");
  EXPECT_EQ(ReadConfigInt("ScreenSize", 100), 100);
  EXPECT_EQ(ReadConfigInt("FpsCamearFov", 108), 108);
  EXPECT_FALSE(ReadConfigFlag("CPUUsageCheck", false));
  EXPECT_TRUE(ReadConfigFlag("LanguageCheck", true));
  EXPECT_EQ(debugLines_, 0);

  WriteConfig("CBMSAAIndex", "3");
  EXPECT_EQ(ReadFile(path_), "[general]\r\nCBMSAAIndex=3\r\n");
  EXPECT_EQ(ReadConfigInt("CBMSAAIndex", 0), 3);
}

TEST_F(SettingsTest, SavingTwiceLeavesOneLineWithTheLastValue) {
  WriteConfig("ScreenSize", "90");
  WriteConfig("screensize", "120");
  EXPECT_EQ(ReadFile(path_), "[general]\r\nScreenSize=120\r\n");
  EXPECT_EQ(ReadConfig("SCREENSIZE"), "120");
}

TEST_F(SettingsTest, OnlySectionGeneralIsReadAndWritten) {
  WriteFile(path_, "[other]\r\nCardName=wrong\r\n[General]\r\nCardName= GTX 1060 \r\n");
  EXPECT_EQ(ReadConfig("CardName"), "GTX 1060");
  WriteConfig("CardName", "RX 580");
  EXPECT_EQ(ReadFile(path_), "[other]\r\nCardName=wrong\r\n[General]\r\nCardName=RX 580\r\n");
}

// A value or key that would add lines of its own is refused, not written.
TEST_F(SettingsTest, LineBreaksCannotInjectKeys) {
  WriteConfig("CardName", "GTX");
  const std::string before = ReadFile(path_);
  WriteConfig("CardName", "x\r\n[general]\r\nLanguageCheck=0");
  WriteConfig("Card\nName", "y");
  WriteConfig("", "z");
  EXPECT_EQ(ReadFile(path_), before);
  EXPECT_EQ(debugLines_, 3);
}

TEST_F(SettingsTest, LongValuesReadBackUpTo2047Bytes) {
  std::string longValue(3000, 'x');
  WriteConfig("CardName", longValue);
  EXPECT_EQ(ReadConfig("CardName"), std::string(2047, 'x'));
}

struct IntegerCase {
  const char* stored;  // nullptr: key absent
  int fallback;
  int expected;
};

class ConfigIntegerTest : public SettingsTest, public ::testing::WithParamInterface<IntegerCase> {};

TEST_P(ConfigIntegerTest, ParsesWithTheFallback) {
  const IntegerCase& c = GetParam();
  if (c.stored) WriteFile(path_, std::string("[general]\nScreenSize=") + c.stored + "\n");
  EXPECT_EQ(ReadConfigInt("ScreenSize", c.fallback), c.expected)
      << (c.stored ? c.stored : "<absent>");
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConfigIntegerTest,
    ::testing::Values(IntegerCase{nullptr, 100, 100}, IntegerCase{"", 100, 100},
                      IntegerCase{"abc", 100, 100}, IntegerCase{" 12 ", 100, 12},
                      IntegerCase{"\t-7", 0, -7}, IntegerCase{"+5", 0, 5},
                      IntegerCase{"99999999999", 60, 60}, IntegerCase{"2147483647", 0, 2147483647},
                      IntegerCase{"-2147483648", 0, INT32_MIN}, IntegerCase{"2147483648", 7, 7},
                      IntegerCase{"1.5", 7, 7}, IntegerCase{"12abc", 7, 7},
                      IntegerCase{"1 2", 7, 7}, IntegerCase{"-", 7, 7}, IntegerCase{"0x10", 7, 7}),
    [](const auto& p) {
      return ::kestrune::test::CaseName(p.index, p.param.stored, p.param.fallback);
    });

struct FlagCase {
  const char* stored;
  bool fallback;
  bool expected;
};

class ConfigFlagTest : public SettingsTest, public ::testing::WithParamInterface<FlagCase> {};

TEST_P(ConfigFlagTest, SetOnlyWhenExactlyOne) {
  const FlagCase& c = GetParam();
  if (c.stored) WriteFile(path_, std::string("[general]\nFlag=") + c.stored + "\n");
  EXPECT_EQ(ReadConfigFlag("Flag", c.fallback), c.expected) << (c.stored ? c.stored : "<absent>");
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConfigFlagTest,
    ::testing::Values(FlagCase{"1", false, true}, FlagCase{" 01 ", false, true},
                      FlagCase{"2", false, false}, FlagCase{"yes", false, false},
                      FlagCase{"0", true, false}, FlagCase{"-1", true, false},
                      FlagCase{nullptr, true, true}, FlagCase{nullptr, false, false},
                      FlagCase{"", true, true}),
    [](const auto& p) {
      return ::kestrune::test::CaseName(p.index, p.param.stored, p.param.fallback);
    });

// A settings file in a bad state yields defaults, never crashes, and says so once.
TEST_F(SettingsTest, GarbageFileReadsDefaultsAndStillTakesWrites) {
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>((i * 131 + 7) % 256));
  WriteFile(path_, garbage);
  EXPECT_EQ(ReadConfigInt("ScreenSize", 100), 100);
  WriteConfig("ScreenSize", "80");
  EXPECT_EQ(ReadConfigInt("ScreenSize", 100), 80);
  // The garbage itself is kept: only the new section was appended.
  EXPECT_EQ(ReadFile(path_).substr(0, garbage.size()), garbage);
}

TEST_F(SettingsTest, DirectoryInPlaceOfTheFile) {
  std::filesystem::create_directory(path_);
  EXPECT_EQ(ReadConfigInt("ScreenSize", 100), 100);
  EXPECT_EQ(debugLines_, 1);
  WriteConfig("ScreenSize", "80");
  EXPECT_EQ(debugLines_, 2);
  EXPECT_TRUE(std::filesystem::is_directory(path_));
}

TEST_F(SettingsTest, ReadOnlyFileIsReadButNotChanged) {
  WriteFile(path_, "[general]\r\nFPSLimit=144\r\n");
  std::filesystem::permissions(path_, std::filesystem::perms::owner_read);
  EXPECT_EQ(ReadConfigInt("FPSLimit", 60), 144);
  EXPECT_EQ(debugLines_, 0);
  WriteConfig("FPSLimit", "30");
  EXPECT_EQ(debugLines_, 1);
  EXPECT_EQ(ReadFile(path_), "[general]\r\nFPSLimit=144\r\n");
}

TEST_F(SettingsTest, HugeFileIsNeitherLoadedNorRewritten) {
  {
    WriteFile(path_, "[general]\r\nFPSLimit=144\r\n");
    std::filesystem::resize_file(path_, 64u << 20);  // sparse: cheap on disk
  }
  EXPECT_EQ(ReadConfigInt("FPSLimit", 60), 60);
  EXPECT_EQ(debugLines_, 1);
  WriteConfig("FPSLimit", "30");
  EXPECT_EQ(debugLines_, 2);
  EXPECT_EQ(std::filesystem::file_size(path_), 64u << 20);
}

// What a reader that saves its settings back needs to know: a missing file or
// key takes the default, a file that is there but was not read must not.
TEST_F(SettingsTest, CheckedReadTellsAbsentFromUnreadable) {
  struct Case {
    const char* name;
    std::function<void()> make;
    ConfigReadStatus status;
    const char* value;
    const char* error;
  } cases[] = {
      {"no file", [] {}, ConfigReadStatus::kAbsent, "", ""},
      {"no key", [&] { WriteFile(path_, "[general]\r\nOther=1\r\n"); }, ConfigReadStatus::kAbsent,
       "", ""},
      {"key in another section", [&] { WriteFile(path_, "[other]\r\nFPSLimit=144\r\n"); },
       ConfigReadStatus::kAbsent, "", ""},
      {"empty value", [&] { WriteFile(path_, "[general]\r\nFPSLimit=\r\n"); },
       ConfigReadStatus::kOk, "", ""},
      {"value", [&] { WriteFile(path_, "[general]\r\nFPSLimit= 144 \r\n"); }, ConfigReadStatus::kOk,
       "144", ""},
      {"folder", [&] { std::filesystem::create_directory(path_); }, ConfigReadStatus::kUnreadable,
       "", "folder"},
      {"huge",
       [&] {
         WriteFile(path_, "[general]\r\nFPSLimit=144\r\n");
         std::filesystem::resize_file(path_, 17u << 20);
       },
       ConfigReadStatus::kUnreadable, "", "too large"},
  };
  for (const auto& c : cases) {
    std::filesystem::remove_all(path_);
    c.make();
    ConfigRead read = ReadConfigChecked("FPSLimit");
    EXPECT_EQ(read.status, c.status) << c.name;
    EXPECT_EQ(read.value, c.value) << c.name;
    EXPECT_NE(read.error.find(c.error), std::string::npos) << c.name << ": " << read.error;
    if (c.status != ConfigReadStatus::kUnreadable) {
      EXPECT_EQ(read.error, "") << c.name;
    }
  }
}

TEST_F(SettingsTest, UnwritableFolderLosesTheWriteQuietly) {
  SetConfigFilePathForTesting(dir_.Path("missing-folder/Config.dat"));
  WriteConfig("FPSLimit", "30");
  EXPECT_EQ(ReadConfigInt("FPSLimit", 60), 60);
  EXPECT_GE(debugLines_, 1);
}

// Beside the executable on Windows; in $XDG_CONFIG_HOME/KestruneTools on Linux.
TEST_F(SettingsTest, DefaultPathIsThePlatformsSettingsFolder) {
  SetConfigFilePathForTesting("");
  std::string path = ConfigFilePath();
  EXPECT_EQ(std::filesystem::path(path).filename(), "Config.dat");
  EXPECT_EQ(platform::ParentFolder(path), platform::SettingsFileFolder());
#ifdef _WIN32
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(path).parent_path() /
                                      ("env_tests" KESTRUNE_EXE_SUFFIX)));
#else
  EXPECT_EQ(platform::FileName(platform::SettingsFileFolder()), "KestruneTools");
  EXPECT_EQ(platform::ParentFolder(platform::SettingsFileFolder()), platform::UserSettingsFolder());
#endif
}

// Two threads writing different keys at once: every key lands.
TEST_F(SettingsTest, ConcurrentThreadsBothLand) {
  constexpr int kKeys = 150;
  auto writer = [](const char* prefix) {
    for (int i = 0; i < kKeys; ++i) WriteConfig(prefix + std::to_string(i), std::to_string(i));
  };
  std::thread a(writer, "Ui");
  std::thread b(writer, "Hw");
  a.join();
  b.join();
  for (int i = 0; i < kKeys; ++i) {
    ASSERT_EQ(ReadConfigInt("Ui" + std::to_string(i), -1), i);
    ASSERT_EQ(ReadConfigInt("Hw" + std::to_string(i), -1), i);
  }
}

// Two processes hammering one Config.dat: both writers' keys survive.
TEST_F(SettingsTest, ConcurrentProcessesBothLand) {
  constexpr int kKeys = 200;
  std::string hammer = std::string(KESTRUNE_BIN_DIR) + "/settings_hammer" KESTRUNE_EXE_SUFFIX;
  // One shell command per writer, both started at once.
  auto run = [&](const char* prefix) {
    std::string command =
        "\"" + hammer + "\" \"" + path_ + "\" " + prefix + " " + std::to_string(kKeys);
#ifdef _WIN32
    command = "\"" + command + "\"";  // cmd.exe drops the outer pair
#endif
    return std::system(command.c_str());
  };
  int statusUi = -1, statusRender = -1;
  std::thread ui([&] { statusUi = run("Ui"); });
  std::thread render([&] { statusRender = run("Render"); });
  ui.join();
  render.join();
  ASSERT_EQ(statusUi, 0);
  ASSERT_EQ(statusRender, 0);
  for (int i = 0; i < kKeys; ++i) {
    ASSERT_EQ(ReadConfigInt("Ui" + std::to_string(i), -1), i) << "lost Ui" << i;
    ASSERT_EQ(ReadConfigInt("Render" + std::to_string(i), -1), i) << "lost Render" << i;
  }
}

}  // namespace
}  // namespace kestrune
