// Pixel buffers and the blit with its three raster operations, for back ends that keep their
// own images (Linux, headless). Pixels are 32-bit 0x00RRGGBB; the raster operations act on those
// bits exactly as the AND / OR drawing of masks and pictures needs.
#pragma once

#include <cstdint>
#include <vector>

namespace wumpets {

struct PixelBuffer {
  int width = 0;
  int height = 0;
  int stride = 0;  // pixels from one row to the next

  PixelBuffer() = default;
  PixelBuffer(int w, int h)
      : width(w), height(h), stride(w), storage_(static_cast<std::size_t>(w) * h, 0), data_(storage_.data()) {}
  // A view of pixels someone else owns (a window surface); they must outlive the view.
  static PixelBuffer borrowed(std::uint32_t* pixels, int w, int h, int stride_pixels);

  PixelBuffer(const PixelBuffer& o) { *this = o; }
  PixelBuffer(PixelBuffer&& o) noexcept { *this = std::move(o); }
  PixelBuffer& operator=(const PixelBuffer& o);
  PixelBuffer& operator=(PixelBuffer&& o) noexcept;

  std::uint32_t* row(int y) { return data_ + static_cast<std::size_t>(y) * stride; }
  const std::uint32_t* row(int y) const { return data_ + static_cast<std::size_t>(y) * stride; }
  std::uint32_t at(int x, int y) const { return row(y)[x]; }
  bool owns_pixels() const { return data_ == storage_.data(); }
  // Grows to at least w x h, keeping the picture at the top left; new pixels are black.
  void grow(int w, int h);

 private:
  std::vector<std::uint32_t> storage_;
  std::uint32_t* data_ = nullptr;
};

enum class Rop { Copy, And, Paint };
Rop rop_from_code(std::uint32_t code);  // the GDI codes; anything else copies

// Copies w x h from (sx, sy) of src to (x, y) of dst with the raster operation. The rectangle is
// clipped to dst; source pixels outside src (or a missing src) count as black.
void blit(PixelBuffer& dst, int x, int y, int w, int h, const PixelBuffer* src, int sx, int sy, Rop rop);

}  // namespace wumpets
