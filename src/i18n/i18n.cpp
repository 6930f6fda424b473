#include "i18n/i18n.h"

#include <algorithm>

#include "platform/ui_language.h"

namespace kestrune::i18n {

// The generated table (i18n_catalogs.cpp, from resources/i18n/*.po).
extern const Catalog* const kCatalogs[];
extern const size_t kCatalogCount;

namespace {

std::string& Current() {
  static std::string language(kSourceLanguage);
  return language;
}
const Catalog*& CurrentCatalog() {
  static const Catalog* catalog = nullptr;
  return catalog;
}

const Catalog* FindCatalog(std::string_view language) {
  for (size_t i = 0; i < kCatalogCount; ++i)
    if (kCatalogs[i]->language == language) return kCatalogs[i];
  return nullptr;
}

// "en_US.UTF-8" -> "en"; "zh_CN" -> "zh".
std::string_view BaseLanguage(std::string_view locale) {
  return locale.substr(0, locale.find_first_of("_-.@"));
}

bool IsSource(std::string_view language) {
  return BaseLanguage(language) == BaseLanguage(kSourceLanguage);
}

// The catalog a locale name or setting means, or nothing.
const Catalog* CatalogFor(std::string_view locale) {
  if (const Catalog* exact = FindCatalog(locale)) return exact;
  return FindCatalog(BaseLanguage(locale));
}

}  // namespace

std::vector<const Catalog*> Catalogs() {
  return {kCatalogs, kCatalogs + kCatalogCount};
}

std::string SettingLanguage(std::string_view setting) {
  if (setting.empty() || setting == "auto") return {};
  if (IsSource(setting)) return std::string(kSourceLanguage);
  if (const Catalog* catalog = CatalogFor(setting)) return std::string(catalog->language);
  return {};
}

std::string ResolveLanguage(std::string_view setting, std::string_view systemLocale) {
  if (std::string named = SettingLanguage(setting); !named.empty()) return named;
  if (const Catalog* catalog = CatalogFor(systemLocale)) return std::string(catalog->language);
  return std::string(kSourceLanguage);
}

void SetLanguage(std::string_view language) {
  const Catalog* catalog = IsSource(language) ? nullptr : CatalogFor(language);
  CurrentCatalog() = catalog;
  Current() = catalog ? std::string(catalog->language) : std::string(kSourceLanguage);
}

void UseLanguageSetting(std::string_view setting) {
  SetLanguage(ResolveLanguage(setting, platform::SystemUiLanguage()));
}

const std::string& CurrentLanguage() {
  return Current();
}

bool IsSourceLanguage() {
  return CurrentCatalog() == nullptr;
}

std::string_view Tr(std::string_view msgid) {
  const Catalog* catalog = CurrentCatalog();
  if (!catalog) return msgid;
  const Message* end = catalog->messages + catalog->count;
  const Message* found =
      std::lower_bound(catalog->messages, end, msgid,
                       [](const Message& m, std::string_view id) { return m.id < id; });
  if (found == end || found->id != msgid || found->text.empty()) return msgid;
  return found->text;
}

std::string TrS(std::string_view msgid) {
  return std::string(Tr(msgid));
}

std::string TrF(std::string_view msgid, std::initializer_list<std::string_view> args) {
  std::string_view text = Tr(msgid);
  std::string out;
  auto arg = args.begin();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == 's' && arg != args.end()) {
      out += *arg++;
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace kestrune::i18n
