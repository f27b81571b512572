#include "bitmap.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

Bitmap Bitmap::crop(int x0, int y0, int cw, int ch) const {
  Bitmap out{cw, ch, std::vector<Px>(static_cast<std::size_t>(cw) * ch)};
  for (int y = 0; y < ch; ++y)
    for (int x = 0; x < cw; ++x) out.at(x, y) = at(x0 + x, y0 + y);
  return out;
}

Bitmap Bitmap::mirrored() const {
  Bitmap out = *this;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) out.at(w - 1 - x, y) = at(x, y);
  return out;
}

Bitmap load_bmp(const std::string& path) {
  SDL_Surface* raw = SDL_LoadBMP(path.c_str());
  if (!raw) {
    ADD_FAILURE() << "SDL_LoadBMP(" << path << "): " << SDL_GetError();
    return {};
  }
  SDL_Surface* rgb = SDL_ConvertSurfaceFormat(raw, SDL_PIXELFORMAT_RGB24, 0);
  SDL_FreeSurface(raw);
  if (!rgb) {
    ADD_FAILURE() << "cannot convert " << path << ": " << SDL_GetError();
    return {};
  }
  Bitmap out{rgb->w, rgb->h, std::vector<Px>(static_cast<std::size_t>(rgb->w) * rgb->h)};
  for (int y = 0; y < rgb->h; ++y) {
    const auto* row = static_cast<const std::uint8_t*>(rgb->pixels) + y * rgb->pitch;
    for (int x = 0; x < rgb->w; ++x) out.at(x, y) = {row[3 * x], row[3 * x + 1], row[3 * x + 2]};
  }
  SDL_FreeSurface(rgb);
  return out;
}

std::vector<std::uint8_t> read_bytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

BmpHeader read_bmp_header(const std::string& path) {
  const std::vector<std::uint8_t> b = read_bytes(path);
  BmpHeader h;
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return h;
  auto u16 = [&](std::size_t o) { return static_cast<std::uint32_t>(b[o] | (b[o + 1] << 8)); };
  auto u32 = [&](std::size_t o) { return u16(o) | (u16(o + 2) << 16); };
  h.ok = true;
  h.file_size = b.size();
  h.info_size = u32(14);
  h.width = static_cast<std::int32_t>(u32(18));
  h.height = static_cast<std::int32_t>(u32(22));
  h.bits = static_cast<int>(u16(28));
  h.compression = u32(30);
  return h;
}

std::string data_path(const std::string& name) { return std::string(WUMPETS_TEST_DATA_DIR) + "/" + name; }

double mean_difference(const Bitmap& a, const Bitmap& b) {
  double sum = 0;
  for (std::size_t i = 0; i < a.px.size(); ++i)
    sum += std::abs(a.px[i].r - b.px[i].r) + std::abs(a.px[i].g - b.px[i].g) + std::abs(a.px[i].b - b.px[i].b);
  return a.px.empty() ? 0 : sum / (3.0 * static_cast<double>(a.px.size()));
}

int changed_pixels(const Bitmap& a, const Bitmap& b) {
  int n = 0;
  for (std::size_t i = 0; i < a.px.size(); ++i) n += a.px[i] == b.px[i] ? 0 : 1;
  return n;
}
