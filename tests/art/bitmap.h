// Pictures as the program sees them: loaded with SDL's bitmap loader, as plain RGB pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Px {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Px&, const Px&) = default;
  bool black() const { return r == 0 && g == 0 && b == 0; }
  bool white() const { return r == 255 && g == 255 && b == 255; }
};

struct Bitmap {
  int w = 0, h = 0;
  std::vector<Px> px;
  Px at(int x, int y) const { return px[static_cast<std::size_t>(y) * w + x]; }
  Px& at(int x, int y) { return px[static_cast<std::size_t>(y) * w + x]; }
  Bitmap crop(int x0, int y0, int cw, int ch) const;
  Bitmap mirrored() const;
  friend bool operator==(const Bitmap&, const Bitmap&) = default;
};

// Loads with SDL_LoadBMP and converts to RGB; fails the current test and returns an empty
// bitmap when SDL cannot load the file.
Bitmap load_bmp(const std::string& path);

// The header fields that say how a bitmap file is stored.
struct BmpHeader {
  bool ok = false;
  std::int32_t width = 0, height = 0;  // height > 0: rows stored bottom-up
  int bits = 0;
  std::uint32_t compression = 0;        // 0 = uncompressed, 1 = RLE8
  std::uint32_t info_size = 0;
  std::uint64_t file_size = 0;
};
BmpHeader read_bmp_header(const std::string& path);

std::vector<std::uint8_t> read_bytes(const std::string& path);

std::string data_path(const std::string& name);

// Mean absolute difference per channel between two same-sized pictures.
double mean_difference(const Bitmap& a, const Bitmap& b);
// Number of pixels that differ.
int changed_pixels(const Bitmap& a, const Bitmap& b);
