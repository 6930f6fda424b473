// The user's language on Windows: the Unix locale variables when one is set,
// otherwise the UI language, as a locale name with '_' ("zh_CN").
#include <windows.h>

#include <string_view>

#include "platform/ui_language.h"
#include "platform/win32/win32_text.h"

namespace kestrune::platform {

std::string SystemUiLanguage() {
  for (const wchar_t* name : {L"LC_ALL", L"LC_MESSAGES", L"LANG"}) {
    wchar_t value[128];
    DWORD size = GetEnvironmentVariableW(name, value, static_cast<DWORD>(std::size(value)));
    if (size == 0 || size >= std::size(value)) continue;
    std::string locale = win32::Narrow(std::wstring_view(value, size));
    return locale.substr(0, locale.find_first_of(".@"));
  }
  wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
  LCID lcid = MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT);
  if (LCIDToLocaleName(lcid, name, LOCALE_NAME_MAX_LENGTH, 0) <= 0) return {};
  std::string locale = win32::Narrow(name);
  for (char& c : locale)
    if (c == '-') c = '_';
  return locale;
}

}  // namespace kestrune::platform
