// Which font families exist, asking GDI+ (the fonts it draws with).
#include <windows.h>
// (after windows.h, whose types it uses)
#include <gdiplus.h>

#include <map>
#include <string>

#include "controls/gdiplus/gdiplus_canvas.h"
#include "controls/ui_font.h"
#include "platform/utf8.h"

namespace kestrune {

bool FontFamilyInstalled(std::string_view family) {
  static std::map<std::string, bool, std::less<>> known;
  auto it = known.find(family);
  if (it != known.end()) return it->second;
  EnsureGdiplus();
  std::u16string u16 = Utf8ToUtf16(family);
  std::wstring name(u16.begin(), u16.end());
  Gdiplus::GpFontFamily* found = nullptr;
  const bool installed = !name.empty() && Gdiplus::DllExports::GdipCreateFontFamilyFromName(
                                              name.c_str(), nullptr, &found) == Gdiplus::Ok;
  if (found) Gdiplus::DllExports::GdipDeleteFontFamily(found);
  known.emplace(std::string(family), installed);
  return installed;
}

}  // namespace kestrune
