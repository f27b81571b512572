// Small pictures for the blit and memory-DC tests: a buffer of distinct pixels, and a
// comparison that can leave out one rectangle.
#pragma once

#include <cstdint>

#include "platform/common/pixels.h"

namespace fx {

// Every pixel a different colour, seeded so that two pictures differ everywhere.
inline wumpets::PixelBuffer filled(int w, int h, std::uint32_t seed) {
  wumpets::PixelBuffer p(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      p.row(y)[x] = (seed * 2654435761u + static_cast<std::uint32_t>(y * w + x) * 40503u) & 0xFFFFFF;
  return p;
}

// The same size and pixels everywhere but in the rectangle `skip`.
inline bool same(const wumpets::PixelBuffer& a, const wumpets::PixelBuffer& b,
                 wumpets::PixelBuffer::Area skip = {0, 0, 0, 0}) {
  if (a.width != b.width || a.height != b.height) return false;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x) {
      const bool skipped = x >= skip.x && x < skip.x + skip.w && y >= skip.y && y < skip.y + skip.h;
      if (!skipped && a.at(x, y) != b.at(x, y)) return false;
    }
  return true;
}

}  // namespace fx
