// The interface language. Every text the program shows is written in the
// source language (Chinese) and looked up here; the translations come from
// resources/i18n/<language>.po, compiled into the program at build time.
// Texts that go into the game's files, Config.dat keys and file names are
// never looked up.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune::i18n {

// Config.dat key of the chosen language: empty or "auto" follows the system.
inline constexpr char kUiLanguageKey[] = "UiLanguage";
inline constexpr std::string_view kSourceLanguage = "zh_CN";

// One compiled catalog: its language code and its pairs, sorted by msgid.
struct Message {
  std::string_view id;
  std::string_view text;
};
struct Catalog {
  std::string_view language;  // "en"
  std::string_view name;      // the language's own name ("English")
  const Message* messages;
  size_t count;
};
// Every translation the program carries (the source language is not one).
std::vector<const Catalog*> Catalogs();

// The language a setting and the system's locale name give: a setting that
// names a known language wins; otherwise a system locale whose language has
// a catalog ("en_GB" -> "en"); otherwise the source language.
std::string ResolveLanguage(std::string_view setting, std::string_view systemLocale);
// The language a UiLanguage setting names ("en_US" -> "en"), or empty when
// it names none the program knows (empty, "auto", anything else): the
// system decides then.
std::string SettingLanguage(std::string_view setting);

// Makes `language` ("en", "zh_CN", ...) the one Tr answers in; an unknown
// language means the source language. Set once at start, before any window
// or thread exists.
void SetLanguage(std::string_view language);
// Resolves the setting against platform::SystemUiLanguage() and sets it.
void UseLanguageSetting(std::string_view setting);
const std::string& CurrentLanguage();
bool IsSourceLanguage();

// The text for `msgid` in the current language; the msgid itself when the
// catalog has no text for it.
std::string_view Tr(std::string_view msgid);
std::string TrS(std::string_view msgid);
// Tr, then each "%s" in turn replaced by the next argument.
std::string TrF(std::string_view msgid, std::initializer_list<std::string_view> args);

}  // namespace kestrune::i18n
