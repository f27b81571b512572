// The whole-pixel scale of a saver window: on a desktop scaled to 200% the scene runs at half the
// screen's size in each direction and every one of its pixels is shown as an s x s block, so the
// pictures keep the size they were drawn for and stay crisp. Back ends choose s per window (a
// preview is never scaled) and call enlarge() on the way to the screen.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/common/pixels.h"

namespace wumpets {

inline constexpr int kMaxScale = 4;  // the largest scale an option or the settings file may ask for

// The desktop's scale factor (dpi / 96) rounded to a whole number, at least 1.
int scale_from_dpi(double dpi);

// A scale as written in an option or the settings file: "auto" (or nothing) is 0, "1".."4" that
// number, anything else -1.
int parse_scale(const std::string& text);

// The scale to use: the one asked for (1..kMaxScale), else (0: auto) the desktop's.
inline int choose_scale(int asked, double desktop_dpi) {
  return asked >= 1 && asked <= kMaxScale ? asked : scale_from_dpi(desktop_dpi);
}

// Enlarges the given rectangles of src by s, nearest neighbour, into dst: a picture of at least
// (src.width * s) x (src.height * s) pixels with dst_stride pixels from one row to the next.
// Rectangles are clipped to src; pixels outside them are left as they are.
void enlarge(const PixelBuffer& src, const PixelBuffer::Area* rects, std::size_t n, std::uint32_t* dst,
             int dst_stride, int s);

// The whole of src.
void enlarge_all(const PixelBuffer& src, std::uint32_t* dst, int dst_stride, int s);

}  // namespace wumpets
