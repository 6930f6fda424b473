// The interface language: which language a setting and the system give, the
// lookup, and the compiled English catalog against the page's own tables.
#include "i18n/i18n.h"

#include <gtest/gtest.h>

#include <string>

#include "opti/opti_tables.h"
#include "platform/ui_language.h"
#include "support/test_env.h"

namespace kestrune::i18n {
namespace {

// Every test leaves the process in the source language, as it found it.
class Language : public ::testing::Test {
 protected:
  void TearDown() override { SetLanguage(kSourceLanguage); }
};

TEST(LanguageChoice, TheSettingWinsThenTheSystemThenTheSourceLanguage) {
  struct Case {
    const char* setting;
    const char* system;
    const char* expected;
  } cases[] = {
      {"", "en_US", "en"},        {"auto", "en_GB", "en"},    {"", "en", "en"},
      {"", "zh_CN", "zh_CN"},     {"", "zh_TW", "zh_CN"},     {"", "C", "zh_CN"},
      {"", "POSIX", "zh_CN"},     {"", "", "zh_CN"},          {"", "de_DE", "zh_CN"},
      {"en", "zh_CN", "en"},      {"en_US", "", "en"},        {"zh_CN", "en_US", "zh_CN"},
      {"zh", "en_US", "zh_CN"},   {"klingon", "en_US", "en"}, {"klingon", "C", "zh_CN"},
      {"auto", "zh_CN", "zh_CN"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ResolveLanguage(c.setting, c.system), c.expected)
        << "setting '" << c.setting << "', system '" << c.system << "'";
  // What the options menu shows as chosen: a known language, or none (the
  // system's).
  EXPECT_EQ(SettingLanguage("en_US"), "en");
  EXPECT_EQ(SettingLanguage("zh"), "zh_CN");
  EXPECT_EQ(SettingLanguage("auto"), "");
  EXPECT_EQ(SettingLanguage("klingon"), "");
}

TEST_F(Language, TrAnswersInTheCurrentLanguageAndFallsBackToTheSourceText) {
  EXPECT_TRUE(IsSourceLanguage());
  EXPECT_EQ(Tr("确定"), "确定");
  SetLanguage("en");
  EXPECT_EQ(CurrentLanguage(), "en");
  EXPECT_FALSE(IsSourceLanguage());
  EXPECT_EQ(Tr("确定"), "OK");
  EXPECT_EQ(Tr("不在目录里的话"), "不在目录里的话");
  EXPECT_EQ(Tr(""), "");
  SetLanguage("xx");  // unknown: the source language
  EXPECT_EQ(CurrentLanguage(), kSourceLanguage);
  EXPECT_EQ(Tr("确定"), "确定");
}

TEST_F(Language, TrFFillsEachPlaceInTurn) {
  EXPECT_EQ(TrF("游戏重置了 %s 项设置 — 重新应用", {"3"}), "游戏重置了 3 项设置 — 重新应用");
  SetLanguage("en");
  EXPECT_EQ(TrF("游戏重置了 %s 项设置 — 重新应用", {"3"}),
            "The game reset 3 settings — apply again");
  EXPECT_EQ(TrF("%s（%s）", {"Engine.ini", "read-only"}), "Engine.ini (read-only)");
  // Fewer arguments than places: the rest stay as written; a lone '%' too.
  EXPECT_EQ(TrF("a %s b %s c %", {"1"}), "a 1 b %s c %");
}

TEST(Catalogs, EnglishIsCompiledInSortedAndWhole) {
  const Catalog* english = nullptr;
  for (const Catalog* catalog : Catalogs())
    if (catalog->language == "en") english = catalog;
  ASSERT_NE(english, nullptr);
  EXPECT_EQ(english->name, "English");
  ASSERT_GT(english->count, 100u);
  for (size_t i = 1; i < english->count; ++i)
    EXPECT_LT(english->messages[i - 1].id, english->messages[i].id) << english->messages[i].id;
  for (size_t i = 0; i < english->count; ++i) EXPECT_FALSE(english->messages[i].text.empty());
}

// The page's tables are read through Tr wherever they are shown: each of
// their texts has its English one.
TEST_F(Language, EveryTextOfThePageTablesHasItsEnglishText) {
  SetLanguage("en");
  auto english = [](std::string_view text) {
    EXPECT_NE(Tr(text), text) << "no English text for " << text;
  };
  for (const opti::ListDesc& list : opti::Lists()) {
    english(list.label);
    for (std::string_view item : list.items) english(item);
  }
  for (const opti::EditDesc& edit : opti::Edits())
    if (!edit.label.empty()) english(edit.label);
  for (const opti::CheckDesc& check : opti::Checks()) english(check.text);
  for (std::string_view text :
       {opti::kGameTitle, opti::kApplyDoneQuestion, opti::kStartQuestion, opti::kRestoreDone,
        opti::kClearDone, opti::kClearLinkText, opti::kRunningCaption, opti::kRunningLine1,
        opti::kRunningLine2, opti::kRunningCloseButton})
    english(text);
}

// The locale variables in the C library's order for messages; the codeset
// and modifier are not part of the language.
TEST_F(Language, TheSystemLanguageComesFromTheLocaleVariablesInTheirOrder) {
  const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
  std::string saved[3];
  bool had[3];
  for (int i = 0; i < 3; ++i) {
    const char* value = std::getenv(names[i]);
    had[i] = value != nullptr;
    if (value) saved[i] = value;
  }
  struct Case {
    const char* all;
    const char* messages;
    const char* lang;
    const char* expected;
  } cases[] = {
      {"", "", "en_US.UTF-8", "en_US"},
      {"", "zh_CN.GB2312", "en_US.UTF-8", "zh_CN"},
      {"de_DE.UTF-8@euro", "zh_CN", "en_US", "de_DE"},
      {"", "", "C.UTF-8", "C"},
  };
  for (const Case& c : cases) {
    const char* values[] = {c.all, c.messages, c.lang};
    for (int i = 0; i < 3; ++i) {
      if (*values[i])
        test::SetEnv(names[i], values[i]);
      else
        test::UnsetEnv(names[i]);
    }
    EXPECT_EQ(platform::SystemUiLanguage(), c.expected);
  }
  // None set: Linux has no other source; Windows asks for the user's UI
  // language, written as a locale name with '_'.
  for (const char* name : names) test::UnsetEnv(name);
  const std::string fallback = platform::SystemUiLanguage();
#ifdef _WIN32
  EXPECT_FALSE(fallback.empty());
  EXPECT_EQ(fallback.find('-'), std::string::npos) << fallback;
#else
  EXPECT_EQ(fallback, "");
#endif
  // The program's start: no setting, the system says English.
  test::UnsetEnv("LC_ALL");
  test::UnsetEnv("LC_MESSAGES");
  test::SetEnv("LANG", "en_US.UTF-8");
  UseLanguageSetting("");
  EXPECT_EQ(CurrentLanguage(), "en");
  UseLanguageSetting("zh_CN");
  EXPECT_EQ(CurrentLanguage(), "zh_CN");
  for (int i = 0; i < 3; ++i) {
    if (had[i])
      test::SetEnv(names[i], saved[i]);
    else
      test::UnsetEnv(names[i]);
  }
}

}  // namespace
}  // namespace kestrune::i18n
