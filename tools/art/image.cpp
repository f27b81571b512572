#include "image.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace art {

Image::Image(int width, int height, Rgb fill)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height, fill) {}

Image Image::crop(int sx, int sy, int w, int h) const {
  Image out(w, h);
  blit(out, 0, 0, w, h, *this, sx, sy, Rop::Copy);
  return out;
}

Image Image::mirrored() const {
  Image out(width_, height_);
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) out.at(width_ - 1 - x, y) = at(x, y);
  return out;
}

void blit(Image& dst, int dx, int dy, int w, int h, const Image& src, int sx, int sy, Rop rop) {
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const int tx = dx + x, ty = dy + y, fx = sx + x, fy = sy + y;
      if (!dst.contains(tx, ty) || !src.contains(fx, fy)) continue;
      Rgb& d = dst.at(tx, ty);
      const Rgb& s = src.at(fx, fy);
      switch (rop) {
        case Rop::Copy: d = s; break;
        case Rop::And:
          d = {static_cast<std::uint8_t>(d.r & s.r), static_cast<std::uint8_t>(d.g & s.g),
               static_cast<std::uint8_t>(d.b & s.b)};
          break;
        case Rop::Or:
          d = {static_cast<std::uint8_t>(d.r | s.r), static_cast<std::uint8_t>(d.g | s.g),
               static_cast<std::uint8_t>(d.b | s.b)};
          break;
      }
    }
  }
}

namespace {

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xff));
  out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xff));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  put16(out, v & 0xffff);
  put16(out, v >> 16);
}

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kPixelsPerMetre = 3780;  // 96 dots per inch

// BITMAPFILEHEADER followed by BITMAPINFOHEADER; height positive = rows stored bottom-up.
void put_headers(std::vector<std::uint8_t>& out, int width, int height, int bits,
                 std::uint32_t compression, std::uint32_t palette_entries,
                 std::uint32_t data_size) {
  const std::uint32_t offset = kFileHeaderSize + kInfoHeaderSize + palette_entries * 4;
  out.push_back('B');
  out.push_back('M');
  put32(out, offset + data_size);
  put32(out, 0);
  put32(out, offset);
  put32(out, kInfoHeaderSize);
  put32(out, static_cast<std::uint32_t>(width));
  put32(out, static_cast<std::uint32_t>(height));
  put16(out, 1);
  put16(out, static_cast<std::uint32_t>(bits));
  put32(out, compression);
  put32(out, data_size);
  put32(out, kPixelsPerMetre);
  put32(out, kPixelsPerMetre);
  put32(out, palette_entries);
  put32(out, 0);
}

}  // namespace

std::vector<std::uint8_t> encode_bmp24(const Image& image) {
  const int w = image.width(), h = image.height();
  const std::uint32_t stride = (static_cast<std::uint32_t>(w) * 3 + 3) & ~3u;
  std::vector<std::uint8_t> out;
  out.reserve(kFileHeaderSize + kInfoHeaderSize + stride * h);
  put_headers(out, w, h, 24, kBiRgb, 0, stride * static_cast<std::uint32_t>(h));
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) {
      const Rgb& p = image.at(x, y);
      out.push_back(p.b);
      out.push_back(p.g);
      out.push_back(p.r);
    }
    for (std::uint32_t pad = static_cast<std::uint32_t>(w) * 3; pad < stride; ++pad) out.push_back(0);
  }
  return out;
}

std::vector<std::uint8_t> encode_black_bmp_rle8(int width, int height) {
  // Every row: runs of at most 255 pixels of palette entry 0, then end-of-line; end-of-bitmap last.
  std::vector<std::uint8_t> data;
  for (int y = 0; y < height; ++y) {
    for (int left = width; left > 0; left -= 255) {
      data.push_back(static_cast<std::uint8_t>(std::min(left, 255)));
      data.push_back(0);
    }
    data.push_back(0);
    data.push_back(0);
  }
  data.push_back(0);
  data.push_back(1);
  std::vector<std::uint8_t> out;
  put_headers(out, width, height, 8, kBiRle8, 1, static_cast<std::uint32_t>(data.size()));
  put32(out, 0);  // the one palette entry: black
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

void write_file(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!f) throw std::runtime_error("cannot write " + path);
}

}  // namespace art
