// The dry run of Apply: same page, same flow, scratch files; nothing of the
// player's is touched, and what it lists is what Apply then does.
#include "opti/opti_dry_run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "opti/opti_test_support.h"

namespace kestrune::opti::test {
namespace {

namespace fs = std::filesystem;
using kestrune::test::ReadFile;
using kestrune::test::WriteFile;
using ::testing::HasSubstr;

class DryRunTest : public PageTest {
 protected:
  void SetUp() override {
    for (const char* name : {"Engine.ini", "GameUserSettings.ini", "Scalability.ini"})
      WriteFile(GameFile(name), ReadFile(std::string(KESTRUNE_FIXTURES) + "/opti/player/" + name));
    Store("CBConfigModelIndex", "4");
    Store("BigJumpCheck", "1");
  }
  std::map<std::string, std::string> Files() {
    std::map<std::string, std::string> out;
    for (auto& e : fs::recursive_directory_iterator(temp.path()))
      if (e.is_regular_file()) out[e.path().string()] = ReadFile(e.path().string());
    return out;
  }
};

TEST_F(DryRunTest, TouchesNothingAndPredictsApply) {
  auto before = Files();
  DryRunReport report = DryRunApply(hardware, settings, game, Base());
  EXPECT_EQ(Files(), before);
  EXPECT_TRUE(settings.writes.empty());
  EXPECT_EQ(report.apply.status, ApplyStatus::Done);
  EXPECT_EQ(report.question, "优化完成！请问是否立即启动游戏？");
  ASSERT_EQ(report.files.size(), 4u);
  EXPECT_EQ(report.files[3].name, "Config.dat");
  EXPECT_EQ(report.files[3].changes.size(), 31u);  // 33 keys, two stored already as saved

  std::map<std::string, std::string> gameBefore;
  for (const auto& f : report.files) gameBefore[f.name] = ReadFile(f.path);
  auto page = MakePage();
  ASSERT_EQ(page->BtnApplyClick().status, ApplyStatus::Done);
  for (size_t i = 0; i < 3; ++i) {
    const FileChanges& predicted = report.files[i];
    auto actual = DiffIniKeys(gameBefore[predicted.name], ReadFile(predicted.path));
    ASSERT_EQ(predicted.changes.size(), actual.size()) << predicted.name;
    for (size_t k = 0; k < actual.size(); ++k)
      EXPECT_EQ(FormatKeyChange(predicted.changes[k]), FormatKeyChange(actual[k]));
  }
}

// It writes nothing, so a running game does not stop it; the report says
// that Apply would be refused.
TEST_F(DryRunTest, RunsWhileTheGameRunsAndSaysSo) {
  DryRunReport quiet = DryRunApply(hardware, settings, game, Base());
  EXPECT_FALSE(quiet.gameRunning);
  game.running = true;
  auto before = Files();
  DryRunReport report = DryRunApply(hardware, settings, game, Base());
  EXPECT_EQ(report.apply.status, ApplyStatus::Done);
  EXPECT_TRUE(report.gameRunning);
  EXPECT_EQ(game.terminated, 0);
  EXPECT_EQ(Files(), before);
  ASSERT_EQ(report.files.size(), quiet.files.size());
  for (size_t i = 0; i < report.files.size(); ++i)
    EXPECT_EQ(report.files[i].afterText, quiet.files[i].afterText) << report.files[i].name;
}

TEST_F(DryRunTest, MissingFilesShowAsNewAndTheQuestionNamesReadOnlyFiles) {
  fs::remove(GameFile("Engine.ini"));
  fs::permissions(GameFile("GameUserSettings.ini"), fs::perms::owner_read);
  DryRunReport report = DryRunApply(hardware, settings, game, Base());
  EXPECT_FALSE(report.files[0].existed);
  EXPECT_TRUE(report.files[0].exists);
  EXPECT_FALSE(report.files[0].changes.empty());
  EXPECT_FALSE(fs::exists(GameFile("Engine.ini")));
  EXPECT_THAT(report.question, HasSubstr("GameUserSettings.ini"));
  EXPECT_TRUE(report.files[1].changes.empty());
}

TEST(OverlaySettingsTest, WritesStayInMemoryAndReadBack) {
  class Fixed : public OptiSettings {
   public:
    std::string Read(const std::string& key) override { return key == "a" ? "1" : ""; }
    bool Write(const std::string&, const std::string&) override {
      ADD_FAILURE() << "written";
      return false;
    }
  } base;
  OverlaySettings overlay(base);
  EXPECT_EQ(overlay.Read("a"), "1");
  overlay.Write("b", "2");
  overlay.Write("a", "3");
  overlay.Write("b", "4");
  EXPECT_EQ(overlay.Read("a"), "3");
  ASSERT_EQ(overlay.Written().size(), 2u);
  EXPECT_EQ(overlay.Written()[0], std::make_pair(std::string("b"), std::string("4")));
}

}  // namespace
}  // namespace kestrune::opti::test
