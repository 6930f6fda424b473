// The options menu's interface-language entries: follow the system, or one
// of the languages the program carries, kept as Config.dat's UiLanguage key.
// The choice takes effect at the next start (every window is built in one
// language).
#pragma once

#include <string>
#include <vector>

#include "gui/gui_host.h"

namespace kestrune::app {

std::vector<gui::MenuItem> LanguageMenuItems();

// Reads UiLanguage and makes the language it names (or the system's) the
// interface language; called once at start.
void UseConfiguredLanguage();

}  // namespace kestrune::app
