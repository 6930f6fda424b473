// The language the user reads the system in, as a POSIX-style locale name
// ("en_US", "zh_CN", "C"), or empty when the system does not say.
#pragma once

#include <string>

namespace kestrune::platform {

// Linux: the first set one of LC_ALL, LC_MESSAGES and LANG, without its
// ".codeset" and "@modifier". Windows: the same variables when one is set
// (as programs ported from Unix honour them, and as Wine passes them on),
// otherwise the user's UI language (GetUserDefaultUILanguage).
std::string SystemUiLanguage();

}  // namespace kestrune::platform
