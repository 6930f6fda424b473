// Windows only: the engine's file work where Windows makes it hard — a base
// folder with a Chinese user name past the classic 260-character limit, a
// game file another program holds open (a counted failure after the bounded
// retries, the other files still written), a read-only game file, and the
// backup, restore and clear flows on those paths.
#include <gtest/gtest.h>

#include "engine/pubg_lib.h"
#include "ini/ini_text.h"
#include "platform/debug_log.h"
#include "platform/file_system.h"
#include "platform/win32/win32_test_support.h"

namespace kestrune {
namespace {

using test::RawRead;
using test::RawWrite;
using test::Win32TempDir;

class Win32EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetDebugLogSink([](std::string_view) {});
    base_ = dir_.Path("\xE5\xBC\xA0\xE4\xB8\x89\\AppData\\Local");                 // 张三
    while (base_.size() < 260) base_ += "\\\xE6\xB8\xB8\xE6\x88\x8F-long-folder";  // 游戏
    ASSERT_TRUE(platform::CreateDirectories(base_));
    lib_ = std::make_unique<TPUBGLib>(base_);
  }
  void TearDown() override {
    lib_.reset();
    SetDebugLogSink(nullptr);
  }
  Win32TempDir dir_;
  std::string base_;
  std::unique_ptr<TPUBGLib> lib_;
};

TEST_F(Win32EngineTest, LongNonAsciiPathsWorkThroughEveryFlow) {
  ASSERT_GT(lib_->EngineIniPath.size(), 260u);
  lib_->EnsureDefaultConfigFiles();
  ASSERT_TRUE(platform::FileExists(lib_->EngineIniPath));
  lib_->ApplyCpuUsageBoost(true);
  EXPECT_EQ(lib_->SwallowedWriteCount(), 0);
  const std::string applied = RawRead(lib_->EngineIniPath);
  lib_->BackupConfigFiles();
  std::vector<TBackupEntry> backups;
  lib_->ListBackups(backups);
  ASSERT_EQ(backups.size(), 1u);
  lib_->ApplyCpuUsageBoost(false);
  EXPECT_NE(RawRead(lib_->EngineIniPath), applied);
  lib_->RestoreBackup(backups[0].Folder);
  EXPECT_EQ(RawRead(lib_->EngineIniPath), applied);
  EXPECT_TRUE(lib_->SyncChangedFiles());
  lib_->ClearGameConfig(lib_->GameConfigFolder());
  EXPECT_FALSE(platform::FileExists(lib_->EngineIniPath));
  EXPECT_FALSE(platform::FileExists(lib_->GameUserSettingsPath));
}

TEST_F(Win32EngineTest, HeldGameFileIsACountedFailureAndTheOthersAreWritten) {
  lib_->EnsureDefaultConfigFiles();
  const std::string before = RawRead(lib_->GameUserSettingsPath);
  // A scanner (or the game) holds GameUserSettings.ini without sharing it.
  HANDLE held = ::CreateFileW(test::LongPathOf(lib_->GameUserSettingsPath).c_str(),
                              GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  lib_->ResetSwallowedWrites();
  lib_->ApplyShadowQuality(1);  // one Engine.ini key, one GameUserSettings.ini key
  ::CloseHandle(held);
  EXPECT_EQ(RawRead(lib_->GameUserSettingsPath), before);
  std::vector<TSwallowedWrite> swallowed = lib_->SwallowedWrites();
  ASSERT_EQ(swallowed.size(), 1u);
  EXPECT_EQ(swallowed[0].Path, lib_->GameUserSettingsPath);
  EXPECT_NE(swallowed[0].Reason.find("another program holds the file"), std::string::npos)
      << swallowed[0].Reason;
  EXPECT_NE(RawRead(lib_->EngineIniPath).find("\r\n"), std::string::npos);
  // No temporary file of the refused write stays in the game's folder.
  for (const std::string& name : test::RawList(platform::ParentFolder(lib_->EngineIniPath)))
    EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
}

TEST_F(Win32EngineTest, ReadOnlyGameFileStaysAlone) {
  ASSERT_TRUE(RawWrite(lib_->ScalabilityIniPath, "[ScalabilitySettings]\r\n"));
  ASSERT_TRUE(::SetFileAttributesW(test::LongPathOf(lib_->ScalabilityIniPath).c_str(),
                                   FILE_ATTRIBUTE_READONLY));
  THareWareInfo hw;
  lib_->ApplyHardwarePreset(7, hw);
  EXPECT_EQ(RawRead(lib_->ScalabilityIniPath), "[ScalabilitySettings]\r\n");
  ASSERT_EQ(lib_->SwallowedWrites().size(), 1u);
  EXPECT_EQ(lib_->SwallowedWrites()[0].Reason, "file is read-only");
}

}  // namespace
}  // namespace kestrune
