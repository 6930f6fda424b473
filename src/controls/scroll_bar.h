// The skinned list scroll bar shared by the combo box's list and the lines
// view: its colours, and where the thumb sits for a list scrolled to a row.
#pragma once

#include <algorithm>

#include "controls/geometry.h"

namespace kestrune::scroll_bar {

inline constexpr Color kTrack = Color::Rgb(0xF0F0F0);
inline constexpr Color kThumb = Color::Rgb(0xC1C1C1);
inline constexpr Color kThumbActive = Color::Rgb(0x8F8F8F);
inline constexpr int kMinThumb = 12;

// The thumb in `track` for `count` rows, `rows` of them visible, the first
// shown being `top`. An empty track has no thumb.
inline Rect ThumbRect(const Rect& track, int count, int rows, int top) {
  if (track.Empty()) return {};
  const int thumbH =
      std::clamp(track.height * rows / count, std::min(kMinThumb, track.height), track.height);
  const int maxTop = count - rows;
  const int y = track.y + (track.height - thumbH) * top / std::max(1, maxTop);
  return {track.x + 2, y, track.width - 4, thumbH};
}

// The first row to show when the thumb's top is dragged to `thumbY`,
// rounded to the nearest row so the thumb follows the pointer evenly.
inline int TopForThumbAt(const Rect& track, const Rect& thumb, int count, int rows, int thumbY) {
  const int travel = track.height - thumb.height;
  if (travel <= 0) return 0;
  const int maxTop = count - rows;
  return ((thumbY - track.y) * maxTop * 2 + travel) / (travel * 2);
}

}  // namespace kestrune::scroll_bar
