// The registry key on Linux: an INI file in the user's settings folder, with
// the documented values and fallbacks.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "env/registry_ini.h"
#include "env/settings_store.h"
#include "platform/debug_log.h"
#include "support/temp_dir.h"

namespace kestrune {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// The registry stand-in lives under XDG_CONFIG_HOME.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    hadOld_ = old != nullptr;
    if (old) old_ = old;
    setenv("XDG_CONFIG_HOME", dir_.path().c_str(), 1);
    SetDebugLogSink([this](std::string_view) { ++debugLines_; });
  }
  void TearDown() override {
    if (hadOld_)
      setenv("XDG_CONFIG_HOME", old_.c_str(), 1);
    else
      unsetenv("XDG_CONFIG_HOME");
    SetDebugLogSink(nullptr);
  }
  std::string RegistryFile() const { return dir_.Path("KestruneTools/registry.ini"); }

  TempDir dir_;
  bool hadOld_ = false;
  std::string old_;
  int debugLines_ = 0;
};

TEST_F(RegistryTest, EvenAReadCreatesTheKey) {
  EXPECT_EQ(GetChannelID(), "default");
  EXPECT_TRUE(std::filesystem::is_regular_file(RegistryFile()));
  EXPECT_EQ(RegistryFilePath(), RegistryFile());
}

struct ChannelCase {
  const char* content;
  const char* expected;
};

TEST_F(RegistryTest, ChannelIdValues) {
  const ChannelCase cases[] = {
      {"[KestruneTools]\r\nChannelID=qq_store\r\n", "qq_store"},
      {"[KestruneTools]\r\nChannelID=\r\n", "default"},
      {"[KestruneTools]\r\nOther=1\r\n", "default"},
      {"", "default"},
  };
  for (const ChannelCase& c : cases) {
    WriteFile(RegistryFile(), c.content);
    EXPECT_EQ(GetChannelID(), c.expected) << c.content;
  }
}

struct FirstRunCase {
  const char* stored;  // nullptr: value absent
  bool firstRun;
};

TEST_F(RegistryTest, FirstRunValues) {
  const FirstRunCase cases[] = {{nullptr, true}, {"0", true},  {"-5", true},
                                {"1", false},    {"7", false}, {"abc", true}};
  for (const FirstRunCase& c : cases) {
    WriteFile(RegistryFile(), c.stored ? std::string("[KestruneTools]\nFirstRun=") + c.stored + "\n"
                                       : std::string("[KestruneTools]\n"));
    EXPECT_EQ(IsFirstRun(), c.firstRun) << (c.stored ? c.stored : "<absent>");
  }
}

TEST_F(RegistryTest, SetFirstRunEndsTheFirstRun) {
  EXPECT_TRUE(IsFirstRun());
  SetFirstRun(1);
  EXPECT_FALSE(IsFirstRun());
  EXPECT_EQ(ReadFile(RegistryFile()), "[KestruneTools]\r\nFirstRun=1\r\n");
  SetFirstRun(0);
  EXPECT_TRUE(IsFirstRun());
}

TEST_F(RegistryTest, KeyThatCannotBeCreated) {
  // A file where the folder should be: the key cannot be opened.
  WriteFile(dir_.Path("KestruneTools"), "not a folder");
  EXPECT_EQ(GetChannelID(), "default");
  EXPECT_TRUE(IsFirstRun());
  SetFirstRun(1);
  EXPECT_TRUE(IsFirstRun());
  EXPECT_EQ(ReadFile(dir_.Path("KestruneTools")), "not a folder");
  EXPECT_GE(debugLines_, 1);
}

}  // namespace
}  // namespace kestrune
