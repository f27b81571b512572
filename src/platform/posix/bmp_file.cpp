// Bitmap files for the memory-DC table on POSIX systems: every header passes the bitmap check
// (platform/common/bmp_check.h) before SDL's BMP loader, which reads every depth and compression
// the format allows, decodes it; the file's size and modification time identify a version.
#include <SDL.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "platform/common/bmp_check.h"
#include "platform/common/memdc.h"

namespace memdc {

namespace {

// SDL says only this when a decode ran out of memory; that is a run-time error of its own (7),
// not an unreadable file.
void throw_if_out_of_memory() {
  if (std::strcmp(SDL_GetError(), "Out of memory") == 0) throw std::bad_alloc();
}

// Whether every pixel of a picture has the bytes of its first: the first row repeats its first
// pixel (the row compared with itself one pixel on) and every row equals the first.
bool one_colour(const void* pixels, std::size_t bytes_per_pixel, int width, std::size_t pitch, int height) {
  const auto* first = static_cast<const unsigned char*>(pixels);
  const std::size_t row_bytes = static_cast<std::size_t>(width) * bytes_per_pixel;
  if (std::memcmp(first, first + bytes_per_pixel, row_bytes - bytes_per_pixel) != 0) return false;
  for (int y = 1; y < height; ++y)
    if (std::memcmp(first + static_cast<std::size_t>(y) * pitch, first, row_bytes) != 0) return false;
  return true;
}

bool one_colour(const SDL_Surface* s) {
  return one_colour(s->pixels, s->format->BytesPerPixel, s->w, static_cast<std::size_t>(s->pitch), s->h);
}

bool one_colour(const wumpets::PixelBuffer& p) {
  return one_colour(p.row(0), sizeof(std::uint32_t), p.width, static_cast<std::size_t>(p.stride) * sizeof(std::uint32_t),
                    p.height);
}

// A picture of one colour is kept as that colour alone.
wumpets::PixelBuffer single_pixel(std::uint32_t colour) {
  wumpets::PixelBuffer p(1, 1);
  p.row(0)[0] = colour;
  return p;
}

// The sprite sheets are plain 24-bit pictures. They are read straight into their own pixels, a
// block of rows at a time: SDL's loader would first fill a picture of its own, every page of it
// new to the process, and then convert it.
bool decode_24(SDL_RWops* rw, const bmp::Info& info, wumpets::PixelBuffer& out, plat::Size* uniform) {
  const std::size_t row_bytes = (static_cast<std::size_t>(info.width) * 3 + 3) & ~std::size_t{3};
  if (SDL_RWseek(rw, info.data_offset, RW_SEEK_SET) < 0) return false;
  wumpets::PixelBuffer image(info.width, info.height);
  unsigned char block[64 * 1024];
  const int rows_per_block = static_cast<int>(std::max<std::size_t>(1, sizeof block / row_bytes));
  std::vector<unsigned char> wide;  // a row longer than the block (a very wide picture)
  unsigned char* buffer = block;
  if (row_bytes > sizeof block) {
    wide.resize(row_bytes);
    buffer = wide.data();
  }
  for (int done = 0; done < info.height;) {
    const int rows = std::min(rows_per_block, info.height - done);
    const std::size_t want = row_bytes * static_cast<std::size_t>(rows);
    if (SDL_RWread(rw, buffer, 1, want) != want) return false;  // the check saw the data fit; a file may shrink
    for (int r = 0; r < rows; ++r, ++done) {
      const unsigned char* src = buffer + row_bytes * static_cast<std::size_t>(r);
      std::uint32_t* dst = image.row(info.top_down ? done : info.height - 1 - done);
      for (int x = 0; x < info.width; ++x, src += 3)
        dst[x] = static_cast<std::uint32_t>(src[0]) | static_cast<std::uint32_t>(src[1]) << 8 |
                 static_cast<std::uint32_t>(src[2]) << 16;
    }
  }
  if (uniform && one_colour(image)) {
    *uniform = plat::Size{image.width, image.height};
    image = single_pixel(image.at(0, 0));
  }
  out = std::move(image);
  return true;
}

// Bytes of a file one at a time, read a block at a time.
struct ByteReader {
  explicit ByteReader(SDL_RWops* from) : rw(from) {}
  SDL_RWops* rw;
  unsigned char block[16 * 1024];
  std::size_t at = 0, end = 0;
  bool next(int& byte) {
    if (at == end) {
      end = SDL_RWread(rw, block, 1, sizeof block);
      at = 0;
      if (end == 0) return false;
    }
    byte = block[at++];
    return true;
  }
};

// The buffer picture is a screen of one colour kept as runs of 8-bit palette indexes. SDL would
// unpack it into a screen of indexes first; when the runs themselves say that every pixel has
// one index, its colour is all there is to know. Anything else (a second index, a skip, a row
// left short, a palette SDL might read otherwise) says false, and SDL decodes the file.
bool rle8_one_colour(SDL_RWops* rw, const bmp::Info& info, std::uint32_t& colour) {
  const std::uint32_t entries = info.colours == 0 || info.colours > 256 ? 256 : info.colours;
  unsigned char palette[256 * 4];
  const std::size_t palette_bytes = entries * 4;
  const std::size_t palette_at = 14 + info.header_bytes;
  if (info.header_bytes < 40 || palette_at + palette_bytes > info.data_offset ||
      SDL_RWseek(rw, static_cast<Sint64>(palette_at), RW_SEEK_SET) < 0 ||
      SDL_RWread(rw, palette, 1, palette_bytes) != palette_bytes || SDL_RWseek(rw, info.data_offset, RW_SEEK_SET) < 0)
    return false;
  ByteReader in(rw);
  int index = -1;
  auto same = [&index](int i) {
    if (index < 0) index = i;
    return index == i;
  };
  for (int x = 0, y = 0;;) {
    int count = 0, value = 0;
    if (!in.next(count) || !in.next(value)) return false;
    if (count > 0) {  // a run of one index
      if (y >= info.height || x + count > info.width || !same(value)) return false;
      x += count;
    } else if (value == 0) {  // end of a row, which must be full
      if (x != info.width || ++y > info.height) return false;
      x = 0;
    } else if (value == 1) {  // end of the picture, after its last row
      if (!(y == info.height && x == 0) && !(y == info.height - 1 && x == info.width)) return false;
      break;
    } else if (value == 2) {  // a skip leaves pixels out
      return false;
    } else {  // `value` indexes one by one, padded to an even count
      if (y >= info.height || x + value > info.width) return false;
      for (int i = 0, c = 0; i < value; ++i)
        if (!in.next(c) || !same(c)) return false;
      int pad = 0;
      if (value % 2 && !in.next(pad)) return false;
      x += value;
    }
  }
  if (index < 0 || static_cast<std::uint32_t>(index) >= entries) return false;
  const unsigned char* bgr = palette + index * 4;
  colour = static_cast<std::uint32_t>(bgr[0]) | static_cast<std::uint32_t>(bgr[1]) << 8 |
           static_cast<std::uint32_t>(bgr[2]) << 16;
  return true;
}

// Checks and decodes the picture behind rw (which this closes). With `uniform`, a picture of
// one colour comes back as its first pixel alone, and *uniform holds its size.
bool decode(SDL_RWops* rw, wumpets::PixelBuffer& out, plat::Size* uniform) {
  if (!rw) return false;
  unsigned char head[bmp::kHeadBytes];
  const Sint64 file_size = SDL_RWsize(rw);
  const std::size_t got = SDL_RWread(rw, head, 1, sizeof head);
  bmp::Info info;
  if (file_size < 0 || SDL_RWseek(rw, 0, RW_SEEK_SET) != 0 ||
      !bmp::check(head, got, static_cast<std::uint64_t>(file_size), pixel_limit(), info)) {
    SDL_RWclose(rw);
    return false;
  }
  if (info.bits == 24 && info.compression == 0) {
    const bool ok = decode_24(rw, info, out, uniform);
    SDL_RWclose(rw);
    return ok;
  }
  if (uniform && info.bits == 8 && info.compression == 1) {
    std::uint32_t colour = 0;
    if (rle8_one_colour(rw, info, colour)) {
      SDL_RWclose(rw);
      *uniform = plat::Size{info.width, info.height};
      out = single_pixel(colour);
      return true;
    }
    if (SDL_RWseek(rw, 0, RW_SEEK_SET) != 0) {
      SDL_RWclose(rw);
      return false;
    }
  }
  SDL_ClearError();
  SDL_Surface* loaded = SDL_LoadBMP_RW(rw, 1);
  if (!loaded) {
    throw_if_out_of_memory();
    return false;
  }
  if (loaded->w != info.width || loaded->h != info.height) {  // never trust a decoder blindly
    SDL_FreeSurface(loaded);
    return false;
  }
  const bool single = uniform && loaded->w > 0 && loaded->h > 0 && SDL_LockSurface(loaded) == 0 &&
                      [&] {
                        const bool same = one_colour(loaded);
                        SDL_UnlockSurface(loaded);
                        return same;
                      }();
  if (single) *uniform = plat::Size{loaded->w, loaded->h};
  wumpets::PixelBuffer image(single ? 1 : loaded->w, single ? 1 : loaded->h);
  // Convert straight into our own pixels: one copy of the picture fewer than converting first.
  SDL_Surface* target = SDL_CreateRGBSurfaceWithFormatFrom(image.row(0), image.width, image.height, 32,
                                                           image.stride * 4, SDL_PIXELFORMAT_RGB888);
  bool ok = target != nullptr;
  if (ok) {
    SDL_SetSurfaceBlendMode(loaded, SDL_BLENDMODE_NONE);  // an alpha channel is not transparency here
    SDL_Rect first{0, 0, image.width, image.height};
    ok = SDL_BlitSurface(loaded, &first, target, nullptr) == 0;
    SDL_FreeSurface(target);
  }
  SDL_FreeSurface(loaded);
  if (!ok) {
    throw_if_out_of_memory();
    return false;
  }
  for (int y = 0; y < image.height; ++y) {
    std::uint32_t* row = image.row(y);
    for (int x = 0; x < image.width; ++x) row[x] &= 0x00FFFFFFu;
  }
  out = std::move(image);
  return true;
}

}  // namespace

bool read_bmp(const std::string& path, wumpets::PixelBuffer& out, plat::Size* uniform) {
  struct stat sb {};
  if (::stat(path.c_str(), &sb) != 0 || !S_ISREG(sb.st_mode)) return false;  // no FIFO or device
  return decode(SDL_RWFromFile(path.c_str(), "rb"), out, uniform);
}

bool decode_bmp(const unsigned char* data, std::size_t size, wumpets::PixelBuffer& out, plat::Size* uniform) {
  return decode(SDL_RWFromConstMem(data, static_cast<int>(std::min<std::size_t>(size, 0x7FFFFFFF))), out, uniform);
}

std::string file_stamp(const std::string& path) {
  struct stat sb {};
  if (::stat(path.c_str(), &sb) != 0) return "";
  return path + '|' + std::to_string(sb.st_size) + '|' + std::to_string(sb.st_mtim.tv_sec) + '.' +
         std::to_string(sb.st_mtim.tv_nsec);
}

}  // namespace memdc
