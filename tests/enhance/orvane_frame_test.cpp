// The picture page's logic against a real Config.dat: start-up state, preset
// names, hot-key capture and defaults, and the renderer notification.
#include "enhance/orvane_frame.h"

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "env/settings_store.h"
#include "platform/message_bus.h"
#include "support/temp_dir.h"
#include "support/test_env.h"

namespace kestrune::enhance {
namespace {

class OrvaneFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetConfigFilePathForTesting(dir_.Path("Config.dat"));
    const char* home = std::getenv("HOME");
    savedHome_ = home ? home : "";
    kestrune::test::SetEnv("HOME", dir_.path().c_str());
  }
  void TearDown() override {
    SetConfigFilePathForTesting("");
    kestrune::test::SetEnv("HOME", savedHome_.c_str());
  }
  TOrvaneFrame MakeFrame() {
    TOrvaneFrame::Hooks hooks;
    hooks.startProcess = [this](const std::string& line) { started.push_back(line); };
    hooks.notifyRenderer = [this] { ++notified; };
    return TOrvaneFrame(hooks);
  }
  test::TempDir dir_;
  std::string savedHome_;
  std::vector<std::string> started;
  int notified = 0;
};

TEST_F(OrvaneFrameTest, StartMarksNoPresetAndShowsDefaultKeys) {
  WriteConfig("renderModel", "2");
  TOrvaneFrame frame = MakeFrame();
  EXPECT_EQ(ReadConfig("renderModel"), "-1");
  EXPECT_EQ(frame.Label6Text(), "当前方案：尚未选择");
  EXPECT_EQ(frame.EditText(HotKeyEditor::Edit1), "Ctrl+F1");
  EXPECT_EQ(frame.EditText(HotKeyEditor::Edit3), "Ctrl+F5");
  EXPECT_EQ(frame.EditText(HotKeyEditor::Edit2), "Ctrl+F3");
  // The code keys stay absent until the user sets a key.
  EXPECT_EQ(ReadConfig("HotKeyShow"), "");
}

TEST_F(OrvaneFrameTest, PresetNameFollowsTheStoredModel) {
  TOrvaneFrame frame = MakeFrame();
  struct {
    const char* stored;  // nullptr: key absent
    const char* name;
  } const kCases[] = {{"0", "电影风格画质增强"},  {"1", "雨雾天气画质增强"},
                      {"2", "浓雾天气画质增强"},  {"3", "晴朗天气画质增强"},
                      {"7", "尚未选择"},          {"-1", "尚未选择"},
                      {"abc", "电影风格画质增强"}};
  for (const auto& c : kCases) {
    WriteConfig("renderModel", c.stored);
    frame.LoadHotKeysAndPreset();
    EXPECT_EQ(frame.Label6Text(), std::string("当前方案：") + c.name) << c.stored;
  }
  test::WriteFile(dir_.Path("Config.dat"), "[general]\r\n");
  EXPECT_EQ(frame.GetPresetName(), "电影风格画质增强");
}

TEST_F(OrvaneFrameTest, CaptureStoresCodeAndTextAndNotifies) {
  TOrvaneFrame frame = MakeFrame();
  int changes = 0;
  frame.onChanged = [&] { ++changes; };
  EXPECT_TRUE(frame.EditKeyDown(HotKeyEditor::Edit1, 113, {true, false, true}, true, true));
  EXPECT_EQ(ReadConfig("HotKeyShow"), "805306481");
  EXPECT_EQ(ReadConfig("HotKeyShowInfo"), "Ctrl+Shift+F2");
  EXPECT_EQ(frame.EditText(HotKeyEditor::Edit1), "Ctrl+Shift+F2");

  EXPECT_TRUE(frame.EditKeyDown(HotKeyEditor::Edit2, 'Q', {false, true, false}, false, false));
  EXPECT_EQ(ReadConfig("HotKeySwitch"), "1073741905");
  EXPECT_EQ(ReadConfig("HotKeySwitchInfo"), "Alt+Q");
  EXPECT_EQ(notified, 2);
  EXPECT_EQ(changes, 2);

  // Refused keys and typed characters change nothing.
  EXPECT_FALSE(frame.EditKeyDown(HotKeyEditor::Edit3, 116, {}, false, false));
  EXPECT_FALSE(frame.EditKeyDown(HotKeyEditor::Edit3, 19, {false, false, true}, true, false));
  EXPECT_FALSE(frame.EditKeyPress(HotKeyEditor::Edit3, U'a'));
  EXPECT_EQ(frame.EditText(HotKeyEditor::Edit3), "Ctrl+F5");
  EXPECT_EQ(ReadConfig("HotKeyOpen"), "");
  EXPECT_EQ(notified, 2);

  // A new page (the next start) reads the captured texts back.
  TOrvaneFrame again = MakeFrame();
  EXPECT_EQ(again.EditText(HotKeyEditor::Edit1), "Ctrl+Shift+F2");
  EXPECT_EQ(again.EditText(HotKeyEditor::Edit2), "Alt+Q");
}

TEST_F(OrvaneFrameTest, RestoreDefaultsWritesCodesAndTexts) {
  TOrvaneFrame frame = MakeFrame();
  frame.EditKeyDown(HotKeyEditor::Edit1, 'Z', {false, false, true}, true, false);
  frame.Label5Click();
  EXPECT_EQ(ReadConfig("HotKeyShow"), "268435568");
  EXPECT_EQ(ReadConfig("HotKeyOpen"), "268435572");
  EXPECT_EQ(ReadConfig("HotKeySwitch"), "268435570");
  EXPECT_EQ(ReadConfig("HotKeyShowInfo"), "Ctrl+F1");
  EXPECT_EQ(ReadConfig("HotKeyOpenInfo"), "Ctrl+F5");
  EXPECT_EQ(ReadConfig("HotKeySwitchInfo"), "Ctrl+F3");
  EXPECT_EQ(frame.EditText(HotKeyEditor::Edit1), "Ctrl+F1");
  EXPECT_EQ(notified, 2);
  TOrvaneFrame again = MakeFrame();
  EXPECT_EQ(again.EditText(HotKeyEditor::Edit3), "Ctrl+F5");
}

TEST_F(OrvaneFrameTest, ChooserStartsANewProcessEachClick) {
  TOrvaneFrame frame = MakeFrame();
  frame.BtnGraphicsOptiClick();
  frame.BtnGraphicsOptiClick();
  ASSERT_EQ(started.size(), 2u);
  EXPECT_EQ(started[1], RendererCommandLine(RendererPath(), true));
}

TEST_F(OrvaneFrameTest, DefaultNotificationPostsToTheRendererWindow) {
  auto renderer = platform::BindWindowEndpoint(platform::WindowKey::kClass, kRendererWindowClass);
  ASSERT_TRUE(renderer);
  TOrvaneFrame frame(TOrvaneFrame::Hooks{});
  frame.Label5Click();
  auto got = renderer->WaitReceive(1000);
  ASSERT_TRUE(got);
  EXPECT_EQ(got->message, kMsgRefreshInfo);
}

}  // namespace
}  // namespace kestrune::enhance
