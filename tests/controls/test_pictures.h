// Pictures made in memory for the control tests: strips whose frames are
// filled with distinct solid colours, so a test can tell frames apart.
#pragma once

#include <vector>

#include "controls/image.h"
#include "controls/picture.h"

namespace kestrune::testing {

inline constexpr uint32_t kFrameColors[8] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00,
                                             0xFF00FFFF, 0xFFFF00FF, 0xFF808080, 0xFF000080};

// A strip of n frames side by side (or stacked), each its own colour.
inline Image StripImage(int width, int height, int frames, bool vertical = false) {
  Image img(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      int f = vertical ? y / (height / frames) : x / (width / frames);
      img.SetPixel(x, y, kFrameColors[f % 8]);
    }
  }
  return img;
}

inline TPicture StripPicture(int width, int height, int frames, bool vertical = false) {
  return TPicture::FromImage(StripImage(width, height, frames, vertical));
}

inline TPicture SolidPicture(int width, int height, uint32_t argb = 0xFF336699) {
  Image img(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) img.SetPixel(x, y, argb);
  return TPicture::FromImage(img);
}

}  // namespace kestrune::testing
