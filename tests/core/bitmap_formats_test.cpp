// Bitmap files of every depth and compression the format allows load with their own size and
// colours: 1, 4 and 8 bits with a palette, 16 bits (5-5-5), 24 and 32 bits, RLE4 and RLE8,
// bottom-up and top-down. A missing or broken file gives no bitmap (the surface stays empty).
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/common/memdc.h"

namespace fs = std::filesystem;

namespace {

// The 4 x 2 picture every file holds: red, green, blue, white over black, yellow, cyan, magenta.
const std::uint32_t kPicture[2][4] = {{0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF},
                                      {0x000000, 0xFFFF00, 0x00FFFF, 0xFF00FF}};

struct Bytes {
  std::vector<unsigned char> v;
  void u8(unsigned x) { v.push_back(static_cast<unsigned char>(x)); }
  void u16(unsigned x) { u8(x & 0xFF), u8(x >> 8); }
  void u32(std::uint32_t x) { u16(x & 0xFFFF), u16(x >> 16); }
  void pad4(std::size_t row_start) {
    while ((v.size() - row_start) % 4) u8(0);
  }
};

// Palette index of a colour: the picture's eight colours in a fixed order.
int index_of(std::uint32_t c) {
  const std::uint32_t order[8] = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0xFFFF00, 0x00FFFF, 0xFF00FF};
  for (int i = 0; i < 8; ++i)
    if (order[i] == c) return i;
  return 0;
}

// A complete file: headers, palette (for bpp <= 8), then `pixels` as given.
std::vector<unsigned char> file(int bpp, int height, std::uint32_t compression, const std::vector<unsigned char>& pixels,
                                std::vector<std::uint32_t> palette = {}) {
  if (bpp <= 8 && palette.empty()) {
    palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0xFFFF00, 0x00FFFF, 0xFF00FF};
    if (bpp == 1) palette = {0x000000, 0xFFFFFF};
  }
  Bytes b;
  const std::uint32_t offset = 54 + static_cast<std::uint32_t>(palette.size()) * 4;
  b.u8('B'), b.u8('M'), b.u32(offset + static_cast<std::uint32_t>(pixels.size())), b.u32(0), b.u32(offset);
  b.u32(40), b.u32(4), b.u32(static_cast<std::uint32_t>(height)), b.u16(1), b.u16(static_cast<unsigned>(bpp));
  b.u32(compression), b.u32(static_cast<std::uint32_t>(pixels.size())), b.u32(2835), b.u32(2835);
  b.u32(static_cast<std::uint32_t>(palette.size())), b.u32(0);
  for (std::uint32_t c : palette) b.u8(c & 0xFF), b.u8((c >> 8) & 0xFF), b.u8(c >> 16), b.u8(0);
  b.v.insert(b.v.end(), pixels.begin(), pixels.end());
  return b.v;
}

// Rows in file order: bottom-up unless top_down.
std::vector<int> row_order(bool top_down) { return top_down ? std::vector<int>{0, 1} : std::vector<int>{1, 0}; }

std::vector<unsigned char> packed(int bpp, bool top_down) {
  Bytes b;
  for (int y : row_order(top_down)) {
    const std::size_t start = b.v.size();
    if (bpp == 24 || bpp == 32) {
      for (std::uint32_t c : kPicture[y]) {
        b.u8(c & 0xFF), b.u8((c >> 8) & 0xFF), b.u8(c >> 16);
        if (bpp == 32) b.u8(0);
      }
    } else if (bpp == 16) {
      for (std::uint32_t c : kPicture[y])
        b.u16(((c >> 19) & 0x1F) << 10 | ((c >> 11) & 0x1F) << 5 | ((c >> 3) & 0x1F));
    } else if (bpp == 8) {
      for (std::uint32_t c : kPicture[y]) b.u8(static_cast<unsigned>(index_of(c)));
    } else if (bpp == 4) {
      b.u8(static_cast<unsigned>(index_of(kPicture[y][0]) << 4 | index_of(kPicture[y][1])));
      b.u8(static_cast<unsigned>(index_of(kPicture[y][2]) << 4 | index_of(kPicture[y][3])));
    }
    b.pad4(start);
  }
  return b.v;
}

void check(const wumpets::PixelBuffer& img, bool monochrome = false) {
  ASSERT_EQ(img.width, 4);
  ASSERT_EQ(img.height, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) {
      std::uint32_t want = kPicture[y][x];
      if (monochrome) want = (x + y) % 2 ? 0xFFFFFF : 0x000000;
      EXPECT_EQ(img.at(x, y) & 0xF8F8F8, want & 0xF8F8F8) << x << "," << y;
    }
}

class BitmapFormats : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("wumpets-bmp-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  wumpets::PixelBuffer load(const std::vector<unsigned char>& bytes, bool* ok = nullptr) {
    const fs::path p = dir_ / "x.bmp";
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    wumpets::PixelBuffer img;
    const bool loaded = memdc::read_bmp(p.string(), img);
    if (ok) *ok = loaded;
    return img;
  }
  fs::path dir_;
};

}  // namespace

TEST_F(BitmapFormats, EveryDepthBottomUpAndTopDown) {
  for (int bpp : {4, 8, 16, 24, 32}) {
    for (bool top_down : {false, true}) {
      SCOPED_TRACE(std::to_string(bpp) + (top_down ? " top-down" : " bottom-up"));
      check(load(file(bpp, top_down ? -2 : 2, 0, packed(bpp, top_down))));
    }
  }
}

TEST_F(BitmapFormats, MonochromeChequer) {
  Bytes b;
  for (int y : row_order(false)) {
    const std::size_t start = b.v.size();
    b.u8(y % 2 ? 0b10100000u : 0b01010000u);  // x + y odd is white
    b.pad4(start);
  }
  check(load(file(1, 2, 0, b.v)), true);
}

TEST_F(BitmapFormats, RunLengthEncoded) {
  // RLE8: each row as runs of one pixel, then end of line; end of bitmap at the last.
  Bytes r8;
  for (int y : row_order(false)) {
    for (std::uint32_t c : kPicture[y]) r8.u8(1), r8.u8(static_cast<unsigned>(index_of(c)));
    r8.u8(0), r8.u8(0);
  }
  r8.u8(0), r8.u8(1);
  check(load(file(8, 2, 1, r8.v)));
  // RLE4: runs of two pixels alternating between two indices.
  Bytes r4;
  for (int y : row_order(false)) {
    r4.u8(2), r4.u8(static_cast<unsigned>(index_of(kPicture[y][0]) << 4 | index_of(kPicture[y][1])));
    r4.u8(2), r4.u8(static_cast<unsigned>(index_of(kPicture[y][2]) << 4 | index_of(kPicture[y][3])));
    r4.u8(0), r4.u8(0);
  }
  r4.u8(0), r4.u8(1);
  check(load(file(4, 2, 2, r4.v)));
}

TEST_F(BitmapFormats, MissingOrBrokenFilesGiveNoBitmap) {
  bool ok = true;
  wumpets::PixelBuffer img;
  EXPECT_FALSE(memdc::read_bmp((dir_ / "none.bmp").string(), img));
  load({'B', 'M', 1, 2, 3}, &ok);
  EXPECT_FALSE(ok);
  std::vector<unsigned char> truncated = file(24, 2, 0, packed(24, false));
  truncated.resize(60);
  load(truncated, &ok);
  EXPECT_FALSE(ok);
  std::vector<unsigned char> random(4096);
  for (std::size_t i = 0; i < random.size(); ++i) random[i] = static_cast<unsigned char>(i * 131 + 7);
  load(random, &ok);
  EXPECT_FALSE(ok);
}
