// Preset files: what the reader takes, what it refuses (with the line), and
// that a page's selections survive a write, a read and a store.
#include "opti/opti_preset.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "opti/opti_test_support.h"

namespace kestrune::opti::test {
namespace {

using ::testing::HasSubstr;

constexpr const char* kHead = "[kestrune-preset]\nformat=1\n";

TEST(PresetReadTest, TakesEveryKindOfValueInAnyLetterCaseAndLineEnding) {
  PresetRead read = ReadPreset(
      "\xEF\xBB\xBF; shared by a friend\r\n[Kestrune-Preset]\r\nformat = 1\r\n\r\n[LISTS]\r"
      "MSAA = 3\rmouse=-1\n# a comment\n[edits]\nfov=+95\nscreen=150\n[options]\n"
      "cpu-usage=on\nchinese=0\nbig-jump = TRUE");
  ASSERT_TRUE(read.ok) << read.line << ": " << read.error;
  PresetValues want;
  want.lists[static_cast<size_t>(ListId::MSAA)] = 3;
  want.lists[static_cast<size_t>(ListId::MouseSmoothing)] = -1;
  want.edits[static_cast<size_t>(EditId::FpsCamearFov)] = 95;
  want.edits[static_cast<size_t>(EditId::Screen)] = 150;  // stored as typed, as the page does
  want.checks[static_cast<size_t>(CheckId::CPUUsage)] = true;
  want.checks[static_cast<size_t>(CheckId::Language)] = false;
  want.checks[static_cast<size_t>(CheckId::BigJump)] = true;
  EXPECT_EQ(read.values, want);
}

struct BadPreset {
  const char* name;
  std::string text;
  int line;
  const char* says;
};

class PresetRefusedTest : public ::testing::TestWithParam<BadPreset> {};

TEST_P(PresetRefusedTest, NamesTheLineAndTakesNothing) {
  PresetRead read = ReadPreset(GetParam().text);
  EXPECT_FALSE(read.ok);
  EXPECT_EQ(read.line, GetParam().line) << read.error;
  EXPECT_THAT(read.error, HasSubstr(GetParam().says));
  EXPECT_EQ(read.values, PresetValues{});
}

const std::string kHeadText = kHead;

INSTANTIATE_TEST_SUITE_P(
    Cases, PresetRefusedTest,
    ::testing::Values(
        BadPreset{"Empty", "", 0, "no [kestrune-preset]"},
        BadPreset{"OtherIni", "[general]\nCBMSAAIndex=3\n", 1, "starts with [kestrune-preset]"},
        BadPreset{"KeyBeforeHeader", "msaa=3\n[kestrune-preset]\nformat=1\n", 1,
                  "starts with [kestrune-preset]"},
        BadPreset{"NoFormat", "; x\n[kestrune-preset]\n", 2, "has no format=1"},
        BadPreset{"LaterFormat", "[kestrune-preset]\nformat=2\n", 2, "format '2'"},
        BadPreset{"FormatAfterValues", "[kestrune-preset]\n[lists]\nmsaa=1\n", 3,
                  "format=1 must come first"},
        BadPreset{"UnknownHeaderKey", kHeadText + "machine=abc\n", 3, "unknown key 'machine'"},
        BadPreset{"UnknownSection", kHeadText + "[hardware]\n", 3, "unknown section 'hardware'"},
        BadPreset{"OpenHeader", kHeadText + "[lists\n", 3, "must end with ']'"},
        BadPreset{"UnknownList", kHeadText + "[lists]\nmsaa=1\nsharpen=2\n", 5,
                  "unknown list 'sharpen'"},
        BadPreset{"IndexTooHigh", kHeadText + "[lists]\nmsaa=10\n", 4,
                  "msaa=10 is out of range (-1..9)"},
        BadPreset{"IndexTooLow", kHeadText + "[lists]\ntree=-2\n", 4, "out of range (-1..5)"},
        BadPreset{"IndexText", kHeadText + "[lists]\nmouse=开\n", 4, "not an entry's index"},
        BadPreset{"EditText", kHeadText + "[edits]\nfov=abc\n", 4,
                  "fov='abc' is not a whole number"},
        BadPreset{"EditTooBig", kHeadText + "[edits]\nscreen=99999999999\n", 4,
                  "not a whole number"},
        BadPreset{"UnknownEdit", kHeadText + "[edits]\nmsaa=3\n", 4, "unknown edit 'msaa'"},
        BadPreset{"OptionWord", kHeadText + "[options]\ncpu-usage=maybe\n", 4, "is not 1 or 0"},
        BadPreset{"UnknownOption", kHeadText + "[options]\nturbo=1\n", 4, "unknown option 'turbo'"},
        BadPreset{"NoEquals", kHeadText + "[options]\ncpu-usage\n", 4, "expected NAME=VALUE"},
        BadPreset{"Twice", kHeadText + "[lists]\nmsaa=1\n[lists]\nMSAA=2\n", 6,
                  "given twice (first on line 4)"},
        BadPreset{"HeaderTwice", kHeadText + "[kestrune-preset]\n", 3, "given twice"},
        BadPreset{"ControlCharactersQuoted", kHeadText + "[edits]\nfov=\x1b[31m\n", 4, "'?[31m'"},
        BadPreset{"NulBytes", kHeadText + std::string("[lists]\nmsaa=1\0", 15), 0,
                  "not a text file"},
        BadPreset{"TooLarge", kHeadText + std::string(kPresetMaxBytes, ';'), 0, "too large"}),
    [](const ::testing::TestParamInfo<BadPreset>& param) { return std::string(param.param.name); });

// A page's selections, written, read back and stored into a fresh page, give
// the same Config.dat.
TEST_F(PageTest, APresetCarriesEverySelectionToAnotherPage) {
  Store("CBConfigModelIndex", "3");
  Store("CBMSAAIndex", "7");
  Store("CBMouseSmoothingIndex", "9");  // out of range: no selection
  Store("FpsCamearFov", "95");
  Store("FPSLimit", "144");
  Store("DirectXBestProCheck", "1");
  Store("LanguageCheck", "0");
  auto page = MakePage();
  page->SetEditText(EditId::Screen, " 150 ");
  ASSERT_TRUE(page->SaveSettings());
  auto pageKeys = [] {
    std::vector<std::string> values;
    for (const ListDesc& d : Lists()) values.push_back(ReadConfig(std::string(d.key)));
    for (const EditDesc& d : Edits()) values.push_back(ReadConfig(std::string(d.key)));
    for (const CheckDesc& d : Checks()) values.push_back(ReadConfig(std::string(d.key)));
    return values;
  };
  const std::vector<std::string> before = pageKeys();
  EXPECT_EQ(before[static_cast<size_t>(ListId::MouseSmoothing)], "-1");

  const std::string text = WritePreset(PresetOf(*page));
  EXPECT_THAT(text, HasSubstr("[kestrune-preset]\r\nformat=1\r\n"));
  EXPECT_THAT(text, HasSubstr("msaa=7"));
  EXPECT_THAT(text, HasSubstr("mouse=-1"));
  EXPECT_THAT(text, HasSubstr("screen=150"));
  EXPECT_THAT(text, ::testing::Not(HasSubstr("Test GPU")));  // nothing about the machine
  PresetRead read = ReadPreset(text);
  ASSERT_TRUE(read.ok) << read.line << ": " << read.error;
  EXPECT_EQ(read.values, PresetOf(*page));

  // A first start elsewhere: automatic configuration, then the preset.
  std::filesystem::remove(ConfigDat());
  auto fresh = MakePage();
  StorePreset(*fresh, read.values);
  ASSERT_TRUE(fresh->SaveSettings());
  EXPECT_EQ(pageKeys(), before);
}

TEST_F(PageTest, APresetWithOnlyASchemeRunsTheScheme) {
  auto page = MakePage();
  PresetRead read = ReadPreset(std::string(kHead) + "[lists]\nscheme=5\n");
  ASSERT_TRUE(read.ok) << read.error;
  StorePreset(*page, read.values);
  EXPECT_EQ(page->ItemIndex(ListId::FXAA), 6);  // "超级Orvane 极致", as selecting it does
  EXPECT_EQ(page->ItemIndex(ListId::Tree), 3);
}

}  // namespace
}  // namespace kestrune::opti::test
