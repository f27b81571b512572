#include "platform/common/bmp_check.h"

#include <algorithm>

namespace bmp {

namespace {

enum : std::uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3 };

std::uint32_t le16(const unsigned char* p) { return static_cast<std::uint32_t>(p[0] | p[1] << 8); }
std::uint32_t le32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

bool known_info_size(std::uint32_t size) {
  // OS/2 core header, Windows 3 header, its two extended variants, OS/2 2.x, versions 4 and 5.
  for (std::uint32_t s : {12u, 40u, 52u, 56u, 64u, 108u, 124u})
    if (size == s) return true;
  return false;
}

}  // namespace

std::uint64_t pixel_limit(int screen_width, int screen_height) {
  constexpr std::uint64_t kFloor = 2048ull * 1536ull;
  const std::uint64_t screen =
      static_cast<std::uint64_t>(std::max(screen_width, 0)) * static_cast<std::uint64_t>(std::max(screen_height, 0));
  return std::max(2 * screen, kFloor);
}

bool check(const unsigned char* head, std::size_t head_size, std::uint64_t file_size, std::uint64_t max_pixels,
           Info& info) {
  if (head_size < 18 || head[0] != 'B' || head[1] != 'M') return false;
  const std::uint32_t offset = le32(head + 10);
  const std::uint32_t info_size = le32(head + 14);
  if (!known_info_size(info_size) || head_size < 14 + info_size || file_size < 14 + info_size) return false;
  const unsigned char* h = head + 14;

  std::int64_t width = 0, height = 0;
  std::uint32_t planes = 0;
  Info out;
  if (info_size == 12) {
    width = le16(h + 4);
    height = le16(h + 6);
    planes = le16(h + 8);
    out.bits = static_cast<int>(le16(h + 10));
  } else {
    width = static_cast<std::int32_t>(le32(h + 4));
    height = static_cast<std::int32_t>(le32(h + 8));
    planes = le16(h + 12);
    out.bits = static_cast<int>(le16(h + 14));
    out.compression = le32(h + 16);
    out.colours = info_size >= 40 ? le32(h + 32) : 0;
  }
  out.header_bytes = info_size;
  out.data_offset = offset;
  if (planes != 1) return false;
  if (height < 0) {
    out.top_down = true;
    height = -height;
  }
  if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return false;
  out.width = static_cast<int>(width);
  out.height = static_cast<int>(height);
  const std::uint64_t pixels = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
  if (pixels > max_pixels) return false;

  const int b = out.bits;
  switch (out.compression) {
    case kRgb:
      if (b != 1 && b != 4 && b != 8 && b != 16 && b != 24 && b != 32) return false;
      break;
    case kRle8:
    case kRle4:
      // Run-length pictures are stored bottom-up only, 8 or 4 bits to a pixel.
      if (b != (out.compression == kRle8 ? 8 : 4) || out.top_down) return false;
      break;
    case kBitFields:
      // Colour masks, 16 or 32 bits (the OS/2 2.x header uses this number for another scheme).
      if ((b != 16 && b != 32) || info_size == 64) return false;
      break;
    default:
      return false;  // embedded JPEG or PNG, or unknown
  }

  // The pixel data starts after the headers and must be in the file.
  if (offset < 14 + info_size || offset > file_size) return false;
  const std::uint64_t data = file_size - offset;
  if (out.compression == kRle8 || out.compression == kRle4) {
    // Runs may skip or end early (what they leave out is black), so the data says nothing of the
    // picture's size: what bounds the decoding is the picture's own size, checked above. There
    // must be an end marker at least.
    if (data < 2) return false;
  } else {
    const std::uint64_t row_bytes = (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(b) + 31) / 32 * 4;
    if (row_bytes * static_cast<std::uint64_t>(height) > data) return false;
  }
  // No file is larger than the largest picture it may hold (headers, a full palette, 32-bit
  // rows): a huge file is refused before anyone reads it whole.
  const std::uint64_t row_most = (static_cast<std::uint64_t>(width) * 32 + 31) / 32 * 4;
  if (file_size > kHeadBytes + 1024 + std::max(row_most * static_cast<std::uint64_t>(height), max_pixels * 4))
    return false;
  info = out;
  return true;
}

}  // namespace bmp
