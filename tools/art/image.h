// Plain 24-bit pictures in memory, the blits the saver uses on them, and the bitmap writers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace art {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};

class Image {
 public:
  Image() = default;
  Image(int width, int height, Rgb fill = kBlack);

  int width() const { return width_; }
  int height() const { return height_; }
  Rgb& at(int x, int y) { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
  const Rgb& at(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

  // The part (sx, sy, w, h) of this picture as a new picture.
  Image crop(int sx, int sy, int w, int h) const;
  Image mirrored() const;
  friend bool operator==(const Image&, const Image&) = default;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<Rgb> pixels_;
};

// The three raster operations of the saver: copy, AND and OR of a w x h rectangle of src at
// (sx, sy) onto dst at (dx, dy), clipped to dst.
enum class Rop { Copy, And, Or };
void blit(Image& dst, int dx, int dy, int w, int h, const Image& src, int sx, int sy, Rop rop);

// A 24-bit uncompressed bottom-up Windows bitmap.
std::vector<std::uint8_t> encode_bmp24(const Image& image);
// An all-black 8-bit palettised bitmap, run-length encoded (BI_RLE8): a big picture in a few KB.
std::vector<std::uint8_t> encode_black_bmp_rle8(int width, int height);

void write_file(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace art
