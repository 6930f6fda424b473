// The program's user-interface font rule.
#pragma once

#include <string_view>

#include "controls/canvas.h"

namespace kestrune {

inline constexpr std::string_view kUiFontPreferred = "微软雅黑";
inline constexpr std::string_view kUiFontFallback = "宋体";
// The CJK face that renders the text when neither of the two is installed.
inline constexpr std::string_view kUiFontInstalledCjk = "WenQuanYi Micro Hei";

// Whether a font of exactly this family is installed (the drawing backend
// asks its own font system).
bool FontFamilyInstalled(std::string_view family);

// Face "微软雅黑" when installed, otherwise "宋体"; GB2312 character set;
// 12 pixels high. Style and colour stay as they were.
void ApplyUiFont(Font& font);

}  // namespace kestrune
