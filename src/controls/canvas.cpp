// What every canvas shares.
#include "controls/canvas.h"

namespace kestrune {

std::string ShownText(std::string_view text, unsigned flags) {
  if (flags & kTextNoPrefix) return std::string(text);
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&') {
      if (i + 1 < text.size() && text[i + 1] == '&') {
        out += '&';
        ++i;
      }
      continue;
    }
    out += text[i];
  }
  return out;
}

}  // namespace kestrune
