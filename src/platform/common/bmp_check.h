// The check every bitmap file passes before anything decodes it. A decoder believes the header:
// a file of a thousand bytes that claims 60000 x 60000 pixels makes it allocate gigabytes. So
// the header must describe a picture that exists (known depth and compression, one plane), that
// the file really holds (the pixel data it promises fits in the file), and that is no larger than
// a small multiple of the screen. A file that fails is unreadable, like a missing one.
//
// Portable: the Linux and headless back ends call it before SDL decodes a file, the Windows back
// end before LoadImageA.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bmp {

struct Info {
  int width = 0;
  int height = 0;  // rows, always positive
  int bits = 0;    // 1, 4, 8, 16, 24 or 32
  std::uint32_t compression = 0;
  bool top_down = false;
  std::uint32_t header_bytes = 0;  // the info header's size: the palette follows it
  std::uint32_t colours = 0;       // palette entries the header names (0: as many as the depth allows)
  std::uint32_t data_offset = 0;   // where the pixels start in the file
};

// The file header and the largest info header: what check() needs to see.
inline constexpr std::size_t kHeadBytes = 14 + 124;
// No side longer than this: sprite code does its sums in 16 bits.
inline constexpr int kMaxSide = 32767;

// The most pixels one picture may have on a screen of this size: twice the screen (a buffer file
// may be larger than the screen), and never less than a large screen's worth, so that the sprite
// sheets load in a small window too.
std::uint64_t pixel_limit(int screen_width, int screen_height);

// head: the file's first bytes (up to kHeadBytes); file_size: the whole file's size in bytes.
// True when the picture may be decoded; info then describes it. A file larger than any picture
// within the bound could be is refused too, so a caller reads the head, checks, and only then
// the rest.
bool check(const unsigned char* head, std::size_t head_size, std::uint64_t file_size, std::uint64_t max_pixels,
           Info& info);

}  // namespace bmp
