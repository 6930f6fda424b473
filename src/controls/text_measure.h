// Text measurement without a visible surface (auto-sizing labels, edits).
// The drawing backend (cairo/ or gdiplus/) implements it with the same
// rasteriser that draws the text.
#pragma once

#include <string_view>

#include "controls/canvas.h"

namespace kestrune {

// Size of a single line of text; an empty text is zero wide and one line high.
Size MeasureText(const Font& font, std::string_view utf8);
// Size of the text laid out with word wrapping at the given width.
Size MeasureWrappedText(const Font& font, std::string_view utf8, int width);

}  // namespace kestrune
