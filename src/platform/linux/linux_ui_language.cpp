// The system's language on Linux: the locale variables, in the order the C
// library consults them for messages.
#include <cstdlib>
#include <string_view>

#include "platform/ui_language.h"

namespace kestrune::platform {

std::string SystemUiLanguage() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (!value || !*value) continue;
    std::string_view locale = value;
    locale = locale.substr(0, locale.find_first_of(".@"));
    return std::string(locale);
  }
  return {};
}

}  // namespace kestrune::platform
