// Which font families exist, asking fontconfig (the fonts Pango draws with).
#include <fontconfig/fontconfig.h>

#include <map>
#include <string>

#include "controls/ui_font.h"

namespace kestrune {

bool FontFamilyInstalled(std::string_view family) {
  static std::map<std::string, bool, std::less<>> known;
  auto it = known.find(family);
  if (it != known.end()) return it->second;
  bool found = false;
  if (FcInit()) {
    std::string name(family);
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
    found = fonts && fonts->nfont > 0;
    if (fonts) FcFontSetDestroy(fonts);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
  }
  known.emplace(std::string(family), found);
  return found;
}

}  // namespace kestrune
