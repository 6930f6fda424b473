// The words the browser module shows. The module keeps no catalog of its own
// (its own copy would not know the program's language): the host looks them
// up and hands them over with every browser it makes.
#pragma once

namespace kestrune::gui {

struct BrowserTexts {
  const char* loadFailed;    // the notice's heading
  const char* checkNetwork;  // the notice's line
  const char* retry;         // its first button
  const char* openOutside;   // its second button: the address in the user's browser
  const char* loading;       // the band over the view while a page loads
};

}  // namespace kestrune::gui
