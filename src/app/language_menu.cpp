#include "app/language_menu.h"

#include "app/app_services.h"
#include "app/dialogs.h"
#include "env/settings_store.h"
#include "i18n/i18n.h"
#include "platform/debug_log.h"

namespace kestrune::app {
namespace {

gui::MenuItem LanguageItem(const std::string& caption, const std::string& value,
                           const std::string& stored) {
  gui::MenuItem item;
  item.caption = caption;
  item.checkable = true;
  item.checked = i18n::SettingLanguage(stored) == value;
  item.onClick = [value] {
    if (!WriteConfig(i18n::kUiLanguageKey, value)) {
      ShowErrorBox(i18n::Tr("设置无法保存到 Config.dat。"));
      return;
    }
    ShowMessageBox(kAppTitle, i18n::Tr("界面语言将在下次启动时更改。"), mitInfo, 1);
  };
  return item;
}

}  // namespace

std::vector<gui::MenuItem> LanguageMenuItems() {
  const std::string stored = ReadConfig(i18n::kUiLanguageKey);
  std::vector<gui::MenuItem> items;
  items.push_back(LanguageItem(i18n::TrS("界面语言：跟随系统"), "", stored));
  // Each language under its own name, so anyone finds theirs.
  items.push_back(LanguageItem("中文", std::string(i18n::kSourceLanguage), stored));
  for (const i18n::Catalog* catalog : i18n::Catalogs())
    items.push_back(
        LanguageItem(std::string(catalog->name), std::string(catalog->language), stored));
  return items;
}

void UseConfiguredLanguage() {
  i18n::UseLanguageSetting(ReadConfig(i18n::kUiLanguageKey));
  DebugLogF("interface language: %s", i18n::CurrentLanguage().c_str());
}

}  // namespace kestrune::app
