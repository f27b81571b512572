#include "platform/common/scale.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace wumpets {

int scale_from_dpi(double dpi) {
  if (!(dpi > 0) || !std::isfinite(dpi)) return 1;
  const double s = std::round(dpi / 96.0);
  return s < 1 ? 1 : s > 64 ? 64 : static_cast<int>(s);
}

int parse_scale(const std::string& text) {
  if (text.empty() || text == "auto") return 0;
  if (text.size() == 1 && text[0] >= '1' && text[0] <= '0' + kMaxScale) return text[0] - '0';
  return -1;
}

namespace {

void enlarge_area(const PixelBuffer& src, PixelBuffer::Area a, std::uint32_t* dst, int dst_stride, int s) {
  const int x0 = std::max(a.x, 0), y0 = std::max(a.y, 0);
  const int x1 = std::min(a.x + a.w, src.width), y1 = std::min(a.y + a.h, src.height);
  if (x1 <= x0 || y1 <= y0) return;
  const auto stride = static_cast<std::ptrdiff_t>(dst_stride);
  const auto bytes = static_cast<std::size_t>(x1 - x0) * static_cast<std::size_t>(s) * sizeof(std::uint32_t);
  for (int y = y0; y < y1; ++y) {
    const std::uint32_t* in = src.row(y) + x0;
    std::uint32_t* first = dst + static_cast<std::ptrdiff_t>(y) * s * stride + static_cast<std::ptrdiff_t>(x0) * s;
    if (s == 1) {
      std::memcpy(first, in, bytes);
      continue;
    }
    std::uint32_t* out = first;
    if (s == 2) {
      for (int x = x0; x < x1; ++x, out += 2) out[0] = out[1] = *in++;
    } else {
      for (int x = x0; x < x1; ++x, out += s) std::fill_n(out, s, *in++);
    }
    // The other rows of the block are copies of the first.
    for (int k = 1; k < s; ++k) std::memcpy(first + k * stride, first, bytes);
  }
}

}  // namespace

void enlarge(const PixelBuffer& src, const PixelBuffer::Area* rects, std::size_t n, std::uint32_t* dst,
             int dst_stride, int s) {
  if (s < 1 || !dst) return;
  for (std::size_t i = 0; i < n; ++i) enlarge_area(src, rects[i], dst, dst_stride, s);
}

void enlarge_all(const PixelBuffer& src, std::uint32_t* dst, int dst_stride, int s) {
  const PixelBuffer::Area all{0, 0, src.width, src.height};
  enlarge(src, &all, 1, dst, dst_stride, s);
}

}  // namespace wumpets
