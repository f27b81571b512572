#include "gfx/pixels.h"

#include <algorithm>
#include <cstring>

namespace wumpets {

PixelBuffer PixelBuffer::borrowed(std::uint32_t* pixels, int w, int h, int stride_pixels) {
  PixelBuffer p;
  p.width = w;
  p.height = h;
  p.stride = stride_pixels;
  p.data_ = pixels;
  return p;
}

PixelBuffer& PixelBuffer::operator=(const PixelBuffer& o) {
  if (this == &o) return *this;
  width = o.width;
  height = o.height;
  if (o.data_ == o.storage_.data()) {
    storage_ = o.storage_;
    stride = o.stride;
    data_ = storage_.data();
  } else {
    stride = o.stride;
    storage_.clear();
    data_ = o.data_;
  }
  return *this;
}

PixelBuffer& PixelBuffer::operator=(PixelBuffer&& o) noexcept {
  if (this == &o) return *this;
  const bool owned = o.data_ == o.storage_.data();
  width = o.width;
  height = o.height;
  stride = o.stride;
  std::uint32_t* borrowed_data = o.data_;
  storage_ = std::move(o.storage_);
  data_ = owned ? storage_.data() : borrowed_data;
  o.width = o.height = o.stride = 0;
  o.storage_.clear();
  o.data_ = o.storage_.data();
  return *this;
}

void PixelBuffer::grow(int w, int h) {
  if (w <= width && h <= height) return;
  PixelBuffer bigger(std::max(w, width), std::max(h, height));
  for (int y = 0; y < height; ++y) std::memcpy(bigger.row(y), row(y), sizeof(std::uint32_t) * width);
  *this = std::move(bigger);
}

Rop rop_from_code(std::uint32_t code) {
  switch (code) {
    case 0x008800C6: return Rop::And;
    case 0x00EE0086: return Rop::Paint;
    default: return Rop::Copy;
  }
}

namespace {

// The row loops are plain enough for the compiler to vectorise.
void row_copy(std::uint32_t* __restrict d, const std::uint32_t* __restrict s, int n) {
  std::memcpy(d, s, sizeof(std::uint32_t) * static_cast<std::size_t>(n));
}
void row_and(std::uint32_t* __restrict d, const std::uint32_t* __restrict s, int n) {
  for (int i = 0; i < n; ++i) d[i] &= s[i];
}
void row_or(std::uint32_t* __restrict d, const std::uint32_t* __restrict s, int n) {
  for (int i = 0; i < n; ++i) d[i] |= s[i];
}

// Black source: copy and AND clear, OR leaves the destination alone.
void row_black(std::uint32_t* d, int n, Rop rop) {
  if (rop != Rop::Paint) std::memset(d, 0, sizeof(std::uint32_t) * static_cast<std::size_t>(n));
}

void row_op(std::uint32_t* d, const std::uint32_t* s, int n, Rop rop) {
  switch (rop) {
    case Rop::Copy: row_copy(d, s, n); break;
    case Rop::And: row_and(d, s, n); break;
    case Rop::Paint: row_or(d, s, n); break;
  }
}

}  // namespace

void blit(PixelBuffer& dst, int x, int y, int w, int h, const PixelBuffer* src, int sx, int sy, Rop rop) {
  // Clip the destination rectangle, moving the source corner with it.
  if (x < 0) { w += x; sx -= x; x = 0; }
  if (y < 0) { h += y; sy -= y; y = 0; }
  w = std::min(w, dst.width - x);
  h = std::min(h, dst.height - y);
  if (w <= 0 || h <= 0) return;

  const int swidth = src ? src->width : 0;
  const int sheight = src ? src->height : 0;
  // The part of each row that lies on the source: columns [c0, c1) of the rectangle.
  const int c0 = std::clamp(-sx, 0, w);
  const int c1 = std::clamp(swidth - sx, c0, w);
  for (int r = 0; r < h; ++r) {
    std::uint32_t* d = dst.row(y + r) + x;
    const int srow = sy + r;
    if (!src || srow < 0 || srow >= sheight || c1 <= c0) {
      row_black(d, w, rop);
      continue;
    }
    const std::uint32_t* s = src->row(srow) + sx;
    if (c0 > 0) row_black(d, c0, rop);
    row_op(d + c0, s + c0, c1 - c0, rop);
    if (c1 < w) row_black(d + c1, w - c1, rop);
  }
}

}  // namespace wumpets
