// The user-interface font rule; the drawing backend says which families exist.
#include "controls/ui_font.h"

#include <string>

namespace kestrune {

void ApplyUiFont(Font& font) {
  font.name =
      std::string(FontFamilyInstalled(kUiFontPreferred) ? kUiFontPreferred : kUiFontFallback);
  font.charset = kGb2312Charset;
  font.height = 12;
}

}  // namespace kestrune
