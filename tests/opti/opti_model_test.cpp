// The page's state: lists, first start, load/save rules, schemes and the
// automatic configuration.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "opti/opti_frame.h"
#include "opti/opti_test_support.h"
#include "support/case_name.h"

namespace kestrune::opti::test {
namespace {

using ::testing::ElementsAre;

TEST(OptiTables, ListsHaveTheirEntriesInIndexOrder) {
  EXPECT_EQ(List(ListId::ConfigModel).items.size(), 6u);
  EXPECT_EQ(List(ListId::ConfigModel).items[5], "超级Orvane 极致画质");
  EXPECT_EQ(List(ListId::MSAA).items.size(), 10u);
  EXPECT_EQ(List(ListId::MSAA).items[4], "超级Orvane 极致");
  EXPECT_EQ(List(ListId::MSAA).items[5], "官方 非常低");
  EXPECT_EQ(List(ListId::AO).items.size(), 9u);
  EXPECT_EQ(List(ListId::AO).items[4], "官方 非常低");
  EXPECT_EQ(List(ListId::Tree).items.size(), 6u);
  EXPECT_EQ(List(ListId::Tree).items[3], "官方 中");
  EXPECT_EQ(List(ListId::FXAA).items.size(), 7u);
  EXPECT_EQ(List(ListId::FXAA).items[6], "超级Orvane 极致");
  EXPECT_EQ(List(ListId::NetWork).items[5], "官方");
  EXPECT_EQ(List(ListId::HardWare).items.size(), 9u);
  EXPECT_EQ(List(ListId::HardWare).items[4], "超级Orvane 中配置");
  EXPECT_THAT(List(ListId::MouseSmoothing).items, ElementsAre("关", "开"));
  // Each list is stored under its control's name + "Index".
  for (const ListDesc& desc : Lists())
    EXPECT_EQ(std::string(desc.key), std::string(desc.control.substr(0)) + "Index");
}

TEST_F(PageTest, FirstStartWithoutConfigDatOpensOnTheAutomaticScheme) {
  auto page = MakePage();
  EXPECT_EQ(page->ItemIndex(ListId::ConfigModel), 1);
  EXPECT_EQ(page->ListModel(ListId::NetWork).SelectedText(), "官方");
  EXPECT_EQ(page->ListModel(ListId::HardWare).SelectedText(), "超级Orvane 中配置");
  // 1280 shaders: the middle row; 4096 MB: texture 3.
  EXPECT_EQ(page->ItemIndex(ListId::MSAA), 2);
  EXPECT_EQ(page->ItemIndex(ListId::Text), 3);
  EXPECT_EQ(page->ItemIndex(ListId::MouseSmoothing), 0);
  for (const CheckDesc& desc : Checks())
    EXPECT_EQ(page->Checked(desc.id), desc.id == CheckId::Language) << desc.control;
  EXPECT_EQ(page->EditText(EditId::Screen), "100");
  EXPECT_EQ(page->EditText(EditId::FpsCamearFov), "108");
  EXPECT_EQ(page->EditText(EditId::FPSLimit), "60");
  EXPECT_TRUE(page->History().empty());
  EXPECT_EQ(page->HistoryList().ItemIndex, -1);
  // Building the page writes nothing.
  EXPECT_TRUE(settings.writes.empty());
  EXPECT_FALSE(std::filesystem::exists(ConfigDat()));
}

TEST_F(PageTest, HardwareSummaryShowsTheFourValues) {
  auto page = MakePage();
  EXPECT_EQ(page->Hardware().CPU, "Test CPU @ 3.00GHz");
  EXPECT_EQ(page->Hardware().Memory, "16 G");
  EXPECT_EQ(page->Hardware().GPU, "Test GPU");
  EXPECT_EQ(page->Hardware().Shaders, "1280");
  hardware.ShaderCount = 2048;  // the hardware thread's refresh
  hardware.CardName = "Other GPU";
  page->ShowHardwareInfo();
  EXPECT_EQ(page->Hardware().Shaders, "2048");
  EXPECT_EQ(page->Hardware().GPU, "Other GPU");
}

struct AutoCase {
  int shaders, videoMemory;
  int msaa, fxaa, ao, effect, tree, view, text;
};

class AutoConfigTest : public PageTest, public ::testing::WithParamInterface<AutoCase> {};

TEST_P(AutoConfigTest, ShaderCountAndVideoMemoryPickTheRows) {
  const AutoCase& c = GetParam();
  hardware.ShaderCount = c.shaders;
  hardware.VideoMemorySize = c.videoMemory;
  auto page = MakePage();
  EXPECT_EQ(page->ItemIndex(ListId::MSAA), c.msaa);
  EXPECT_EQ(page->ItemIndex(ListId::FXAA), c.fxaa);
  EXPECT_EQ(page->ItemIndex(ListId::AO), c.ao);
  EXPECT_EQ(page->ItemIndex(ListId::Effect), c.effect);
  EXPECT_EQ(page->ItemIndex(ListId::Tree), c.tree);
  EXPECT_EQ(page->ItemIndex(ListId::View), c.view);
  EXPECT_EQ(page->ItemIndex(ListId::Text), c.text);
  EXPECT_EQ(page->ItemIndex(ListId::NetWork), 5);
  EXPECT_EQ(page->ItemIndex(ListId::HardWare), 4);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, AutoConfigTest,
                         ::testing::Values(AutoCase{0, 0, 1, 1, 1, 1, 1, 1, 2},
                                           AutoCase{1023, 2048, 1, 1, 1, 1, 1, 1, 2},
                                           AutoCase{1024, 2049, 2, 1, 2, 2, 1, 2, 3},
                                           AutoCase{1535, 2048, 2, 1, 2, 2, 1, 2, 2},
                                           AutoCase{1536, 2048, 3, 1, 2, 3, 1, 3, 2},
                                           AutoCase{4096, 8192, 3, 1, 2, 3, 1, 3, 3}),
                         [](const auto& p) {
                           return ::kestrune::test::CaseName(p.index, p.param.shaders,
                                                             p.param.videoMemory);
                         });

struct SchemeCase {
  int scheme;
  // MSAA FXAA AO Text Effect Tree View HardWare NetWork
  int expected[9];
};

class SchemeTest : public PageTest, public ::testing::WithParamInterface<SchemeCase> {};

TEST_P(SchemeTest, SelectingASchemeSetsItsRow) {
  // A page with its own choices; hardware points the automatic row at 3s.
  hardware.ShaderCount = 2000;
  const char* stored[][2] = {
      {"CBConfigModelIndex", "3"}, {"CBMSAAIndex", "7"},           {"CBFXAAIndex", "4"},
      {"CBAOIndex", "6"},          {"CBTextIndex", "8"},           {"CBEffectIndex", "9"},
      {"CBTreeIndex", "5"},        {"CBViewIndex", "8"},           {"CBNetWorkIndex", "2"},
      {"CBHardWareIndex", "7"},    {"CBMouseSmoothingIndex", "1"}, {"ScreenSize", "90"},
      {"CPUUsageCheck", "1"}};
  for (auto& kv : stored) Store(kv[0], kv[1]);
  auto page = MakePage();
  page->UserSelect(ListId::ConfigModel, GetParam().scheme);
  const ListId ids[] = {ListId::MSAA, ListId::FXAA,     ListId::AO,
                        ListId::Text, ListId::Effect,   ListId::Tree,
                        ListId::View, ListId::HardWare, ListId::NetWork};
  for (int i = 0; i < 9; ++i)
    EXPECT_EQ(page->ItemIndex(ids[i]), GetParam().expected[i]) << List(ids[i]).control;
  // No scheme touches mouse smoothing, the edits or the options.
  EXPECT_EQ(page->ItemIndex(ListId::MouseSmoothing), 1);
  EXPECT_EQ(page->EditText(EditId::Screen), "90");
  EXPECT_TRUE(page->Checked(CheckId::CPUUsage));
}

INSTANTIATE_TEST_SUITE_P(
    AllSchemes, SchemeTest,
    ::testing::Values(SchemeCase{0, {7, 4, 6, 8, 9, 5, 8, 7, 2}},  // "请选择配置方案": nothing
                      SchemeCase{1, {3, 1, 2, 3, 3, 1, 3, 4, 5}},  // automatic
                      SchemeCase{2, {1, 1, 1, 1, 1, 1, 1, 0, 2}},
                      SchemeCase{3, {2, 1, 2, 2, 2, 1, 2, 0, 2}},
                      SchemeCase{4, {3, 1, 3, 3, 3, 1, 3, 0, 2}},
                      SchemeCase{5, {4, 6, 3, 3, 4, 3, 4, 0, 2}}),
    [](const auto& p) { return ::kestrune::test::CaseName(p.index, p.param.scheme); });

TEST_F(PageTest, SettingTheSchemeFromCodeRunsNoScheme) {
  Store("CBConfigModelIndex", "3");
  Store("CBMSAAIndex", "7");
  auto page = MakePage();
  page->SetItemIndex(ListId::ConfigModel, 5);
  EXPECT_EQ(page->ItemIndex(ListId::MSAA), 7);
  EXPECT_EQ(page->ItemIndex(ListId::FXAA), 0);
}

TEST_F(PageTest, AStoredSchemeKeepsTheStoredGraphicsChoices) {
  Store("CBConfigModelIndex", "3");
  Store("CBMSAAIndex", "9");
  Store("CBTreeIndex", "4");
  Store("CBNetWorkIndex", "1");
  auto page = MakePage();
  EXPECT_EQ(page->ItemIndex(ListId::ConfigModel), 3);
  EXPECT_EQ(page->ItemIndex(ListId::MSAA), 9);
  EXPECT_EQ(page->ItemIndex(ListId::Tree), 4);
  EXPECT_EQ(page->ItemIndex(ListId::NetWork), 1);
  EXPECT_EQ(page->ItemIndex(ListId::HardWare), 0);
}

struct StoredIndexCase {
  const char* key;
  const char* stored;
  ListId list;
  int expected;
};

class StoredIndexTest : public PageTest, public ::testing::WithParamInterface<StoredIndexCase> {};

TEST_P(StoredIndexTest, StoredIndexesAreParsedAndRangeChecked) {
  Store("CBConfigModelIndex", "2");  // keep the automatic configuration out of it
  Store(GetParam().key, GetParam().stored);
  auto page = MakePage();
  EXPECT_EQ(page->ItemIndex(GetParam().list), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StoredIndexTest,
    ::testing::Values(StoredIndexCase{"CBMSAAIndex", "9", ListId::MSAA, 9},
                      StoredIndexCase{"CBMSAAIndex", "10", ListId::MSAA, -1},
                      StoredIndexCase{"CBMSAAIndex", "-1", ListId::MSAA, -1},
                      StoredIndexCase{"CBTreeIndex", "6", ListId::Tree, -1},
                      StoredIndexCase{"CBFXAAIndex", " 6 ", ListId::FXAA, 6},
                      StoredIndexCase{"CBAOIndex", "abc", ListId::AO, 0},
                      StoredIndexCase{"CBMouseSmoothingIndex", "2", ListId::MouseSmoothing, -1},
                      StoredIndexCase{"CBHardWareIndex", "99999999999", ListId::HardWare, 0}),
    [](const auto& p) { return ::kestrune::test::CaseName(p.index, p.param.key, p.param.stored); });

TEST_F(PageTest, AStoredSchemeOutOfRangeIsNoSelectionAndRunsNoAutomaticConfiguration) {
  Store("CBConfigModelIndex", "6");
  Store("CBMSAAIndex", "8");
  auto page = MakePage();
  EXPECT_EQ(page->ItemIndex(ListId::ConfigModel), -1);
  EXPECT_EQ(page->ItemIndex(ListId::MSAA), 8);
  page->SaveSettings();
  EXPECT_EQ(ReadConfig("CBConfigModelIndex"), "-1");
}

TEST_F(PageTest, AnUnparseableStoredSchemeCountsAsNoneAndRunsTheAutomaticConfiguration) {
  Store("CBConfigModelIndex", "x1");
  Store("CBMSAAIndex", "8");
  auto page = MakePage();
  EXPECT_EQ(page->ItemIndex(ListId::ConfigModel), 1);
  EXPECT_EQ(page->ItemIndex(ListId::MSAA), 2);
}

struct FlagCase {
  const char* key;
  const char* stored;  // nullptr: absent
  CheckId check;
  bool expected;
};

class FlagTest : public PageTest, public ::testing::WithParamInterface<FlagCase> {};

TEST_P(FlagTest, AFlagIsSetOnlyByExactlyOne) {
  if (GetParam().stored) Store(GetParam().key, GetParam().stored);
  auto page = MakePage();
  EXPECT_EQ(page->Checked(GetParam().check), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FlagTest,
    ::testing::Values(FlagCase{"CPUUsageCheck", "1", CheckId::CPUUsage, true},
                      FlagCase{"CPUUsageCheck", " 1 ", CheckId::CPUUsage, true},
                      FlagCase{"CPUUsageCheck", "2", CheckId::CPUUsage, false},
                      FlagCase{"CPUUsageCheck", "yes", CheckId::CPUUsage, false},
                      FlagCase{"30FPSRenderingDelayCheck", "1", CheckId::RenderingDelay30FPS, true},
                      FlagCase{"LanguageCheck", nullptr, CheckId::Language, true},
                      FlagCase{"LanguageCheck", "0", CheckId::Language, false},
                      FlagCase{"LanguageCheck", "on", CheckId::Language, true},
                      FlagCase{"FpsCamearFovCheck", "1", CheckId::FpsCamearFov, true}),
    [](const auto& p) { return ::kestrune::test::CaseName(p.index, p.param.key, p.param.stored); });

struct EditLoadCase {
  const char* key;
  const char* stored;
  EditId edit;
  const char* shown;
};

class EditLoadTest : public PageTest, public ::testing::WithParamInterface<EditLoadCase> {};

TEST_P(EditLoadTest, EditsShowTheParsedValue) {
  Store(GetParam().key, GetParam().stored);
  auto page = MakePage();
  EXPECT_EQ(page->EditText(GetParam().edit), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EditLoadTest,
    ::testing::Values(EditLoadCase{"ScreenSize", "abc", EditId::Screen, "100"},
                      EditLoadCase{"ScreenSize", "150", EditId::Screen, "150"},
                      EditLoadCase{"ScreenSize", "+07", EditId::Screen, "7"},
                      EditLoadCase{"FpsCamearFov", "", EditId::FpsCamearFov, "108"},
                      EditLoadCase{"FPSLimit", "-3", EditId::FPSLimit, "-3"},
                      EditLoadCase{"FPSLimit", "1.5", EditId::FPSLimit, "60"}),
    [](const auto& p) { return ::kestrune::test::CaseName(p.index, p.param.key, p.param.stored); });

TEST_F(PageTest, SaveSettingsWritesEveryKeyInItsOrder) {
  auto page = MakePage();
  page->SaveSettings();
  std::vector<std::string> keys;
  for (const auto& w : settings.writes) keys.push_back(w.first);
  EXPECT_THAT(
      keys,
      ElementsAre("CBConfigModelIndex", "CBMSAAIndex", "CBFXAAIndex", "CBAOIndex", "CBTextIndex",
                  "CBEffectIndex", "CBTreeIndex", "CBViewIndex", "CBNetWorkIndex",
                  "CBHardWareIndex", "CBMouseSmoothingIndex", "ScreenSize", "FpsCamearFov",
                  "FPSLimit", "FpsCamearFovCheck", "CPUUsageCheck", "BigJumpCheck",
                  "CPUPerformanceBalanceCheck", "GPUUsageCheck", "GPUUseCPUCheck", "FPSLimitCheck",
                  "SoundPostionCheck", "ComputerBestPerformanceCheck", "ReduceShadowQualityCheck",
                  "MemoryBestPerformanceCheck", "GraphicsColorBestCheck",
                  "DecreaseRenderResolutionCheck", "CloundComputerBestCheck",
                  "ForceMaaxRenderSizeCheck", "DirectXBestProCheck", "VideoMemoryOptiCheck",
                  "30FPSRenderingDelayCheck", "LanguageCheck"));
  // The first start's choices, as Config.dat now holds them.
  EXPECT_EQ(ReadConfig("CBConfigModelIndex"), "1");
  EXPECT_EQ(ReadConfig("CBNetWorkIndex"), "5");
  EXPECT_EQ(ReadConfig("CBHardWareIndex"), "4");
  EXPECT_EQ(ReadConfig("ScreenSize"), "100");
  EXPECT_EQ(ReadConfig("LanguageCheck"), "1");
  EXPECT_EQ(ReadConfig("CPUUsageCheck"), "0");
}

struct EditSaveCase {
  EditId edit;
  const char* typed;
  const char* key;
  const char* saved;
};

class EditSaveTest : public PageTest, public ::testing::WithParamInterface<EditSaveCase> {};

TEST_P(EditSaveTest, EditsAreSavedAsTypedOrAsTheirDefault) {
  auto page = MakePage();
  page->SetEditText(GetParam().edit, GetParam().typed);
  page->SaveSettings();
  EXPECT_EQ(ReadConfig(GetParam().key), GetParam().saved);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EditSaveTest,
    ::testing::Values(EditSaveCase{EditId::Screen, " 150 ", "ScreenSize", "150"},
                      EditSaveCase{EditId::Screen, "abc", "ScreenSize", "100"},
                      EditSaveCase{EditId::Screen, "-5", "ScreenSize", "-5"},
                      EditSaveCase{EditId::FpsCamearFov, "wide", "FpsCamearFov", "108"},
                      EditSaveCase{EditId::FpsCamearFov, "\t95", "FpsCamearFov", "95"},
                      EditSaveCase{EditId::FPSLimit, "", "FPSLimit", "60"},
                      EditSaveCase{EditId::FPSLimit, "144fps", "FPSLimit", "60"}),
    [](const auto& p) { return ::kestrune::test::CaseName(p.index, p.param.key, p.param.typed); });

TEST_F(PageTest, LoadSaveRoundTripKeepsEveryChoice) {
  auto first = MakePage();
  first->UserSelect(ListId::ConfigModel, 5);
  first->SetItemIndex(ListId::NetWork, 3);
  first->SetItemIndex(ListId::MouseSmoothing, 1);
  first->SetItemIndex(ListId::HardWare, 11);  // out of range: saved as -1
  first->SetEditText(EditId::Screen, "75");
  first->SetEditText(EditId::FpsCamearFov, "103");
  first->SetEditText(EditId::FPSLimit, "144");
  for (const CheckDesc& desc : Checks()) first->SetChecked(desc.id, desc.id != CheckId::Language);
  first->SaveSettings();
  std::string savedOnce = kestrune::test::ReadFile(ConfigDat());

  auto second = MakePage();
  for (const ListDesc& desc : Lists())
    EXPECT_EQ(second->ItemIndex(desc.id), first->ItemIndex(desc.id)) << desc.control;
  for (const EditDesc& desc : Edits())
    EXPECT_EQ(second->EditText(desc.id), first->EditText(desc.id)) << desc.control;
  for (const CheckDesc& desc : Checks())
    EXPECT_EQ(second->Checked(desc.id), first->Checked(desc.id)) << desc.control;
  EXPECT_EQ(second->ItemIndex(ListId::HardWare), -1);
  second->SaveSettings();
  EXPECT_EQ(kestrune::test::ReadFile(ConfigDat()), savedOnce);
}

TEST_F(PageTest, SavingLeavesOtherKeysOfConfigDatAlone) {
  Store("renderModel", "2");
  Store("HotKeyShowInfo", "Ctrl+F1");
  auto page = MakePage();
  page->SaveSettings();
  page->SaveSettings();
  EXPECT_EQ(ReadConfig("renderModel"), "2");
  EXPECT_EQ(ReadConfig("HotKeyShowInfo"), "Ctrl+F1");
  std::string text = kestrune::test::ReadFile(ConfigDat());
  // Saving twice leaves one line per key.
  size_t first = text.find("CBMSAAIndex=");
  EXPECT_NE(first, std::string::npos);
  EXPECT_EQ(text.find("CBMSAAIndex=", first + 1), std::string::npos);
}

// The real store, with one read of one key failing as a denied open does.
class OneReadFails : public OptiSettings {
 public:
  explicit OneReadFails(std::string key) : key_(std::move(key)) {}
  int writes = 0;
  std::string Read(const std::string& key) override { return ReadChecked(key).value; }
  SettingRead ReadChecked(const std::string& key) override {
    if (key == key_ && !failed_) {
      failed_ = true;
      return {"", "cannot read Config.dat: Permission denied"};
    }
    return store_.ReadChecked(key);
  }
  bool Write(const std::string& key, const std::string& value) override {
    ++writes;
    return store_.Write(key, value);
  }

 private:
  std::string key_;
  bool failed_ = false;
  ConfigDatSettings store_;
};

// A Config.dat that is there but could not be read must never be saved over
// with the defaults the page shows in its place; a missing one still loads
// as defaults and saves.
TEST_F(PageTest, AConfigDatThatCouldNotBeReadIsNeverSavedOver) {
  {
    auto first = MakePage();
    first->UserSelect(ListId::ConfigModel, 5);
    first->SetItemIndex(ListId::Effect, 3);
    first->SaveSettings();
    ASSERT_TRUE(first->LoadError().empty());
  }
  const std::string saved = kestrune::test::ReadFile(ConfigDat());
  ASSERT_EQ(ReadConfig("CBEffectIndex"), "3");

  OneReadFails failing("CBEffectIndex");
  TOptiFrame page(hardware, failing, dialogs, game, std::make_unique<TPUBGLib>(Base(), hardware));
  page.SetEngineObserver(
      [this](std::string_view call, int arg) { calls.emplace_back(std::string(call), arg); });
  EXPECT_EQ(page.ItemIndex(ListId::Effect), 0);  // shown as the default
  EXPECT_THAT(page.LoadError(), ::testing::HasSubstr("Permission denied"));

  page.SaveSettings();
  ApplyResult result = page.BtnApplyClick();
  EXPECT_EQ(result.status, ApplyStatus::Failed);
  EXPECT_THAT(result.error, ::testing::HasSubstr("Config.dat could not be read"));
  EXPECT_THAT(dialogs.errors, ElementsAre(result.error));
  EXPECT_TRUE(dialogs.boxes.empty());
  EXPECT_EQ(failing.writes, 0);
  EXPECT_TRUE(calls.empty()) << "the engine ran";
  for (const auto& e : std::filesystem::recursive_directory_iterator(Base()))
    EXPECT_FALSE(e.is_regular_file()) << e.path() << " was written";  // no game file, no backup
  EXPECT_EQ(kestrune::test::ReadFile(ConfigDat()), saved);
}

TEST_F(PageTest, AFolderInPlaceOfConfigDatStopsApply) {
  std::filesystem::create_directories(ConfigDat());
  auto page = MakePage();
  EXPECT_THAT(page->LoadError(), ::testing::HasSubstr("folder"));
  EXPECT_EQ(page->BtnApplyClick().status, ApplyStatus::Failed);
  EXPECT_TRUE(settings.writes.empty());
  EXPECT_TRUE(calls.empty());

  std::filesystem::remove(ConfigDat());  // missing: defaults, and Apply saves them
  auto fresh = MakePage();
  EXPECT_TRUE(fresh->LoadError().empty());
  EXPECT_EQ(fresh->BtnApplyClick().status, ApplyStatus::Done);
  EXPECT_EQ(ReadConfig("CBConfigModelIndex"), "1");
}

struct ParseCase {
  const char* text;
  int fallback;
  int expected;
};

class ParseIntDefTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseIntDefTest, ParsesLikeThePage) {
  EXPECT_EQ(ParseIntDef(GetParam().text, GetParam().fallback), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseIntDefTest,
    ::testing::Values(ParseCase{"42", 0, 42}, ParseCase{" -42 ", 0, -42}, ParseCase{"+5", 0, 5},
                      ParseCase{"", 7, 7}, ParseCase{"-", 7, 7}, ParseCase{"4 2", 7, 7},
                      ParseCase{"0x10", 7, 7}, ParseCase{"2147483647", 0, 2147483647},
                      ParseCase{"-2147483648", 0, -2147483647 - 1}, ParseCase{"2147483648", 7, 7},
                      ParseCase{"1e3", 7, 7}),
    [](const auto& p) {
      return ::kestrune::test::CaseName(p.index, p.param.text, p.param.fallback);
    });

}  // namespace
}  // namespace kestrune::opti::test
