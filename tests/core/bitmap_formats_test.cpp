// Bitmap files of every depth and compression the format allows load with their own size and
// colours: 1, 4 and 8 bits with a palette, 16 bits (5-5-5), 24 and 32 bits, RLE4 and RLE8,
// bottom-up and top-down. A missing or broken file gives no bitmap (the surface stays empty).
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/common/bmp_check.h"
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

// Rows of 24-bit pictures are padded to whole 4-byte words; widths 1 to 5 need 3, 2, 1, 0 and 3
// bytes of padding.
TEST_F(BitmapFormats, TwentyFourBitRowsOfEveryPadding) {
  for (int width = 1; width <= 5; ++width) {
    for (bool top_down : {false, true}) {
      SCOPED_TRACE(std::to_string(width) + (top_down ? " top-down" : " bottom-up"));
      auto colour = [](int x, int y) { return static_cast<std::uint32_t>(0x102030 * (x + 1) + 0x050607 * y) & 0xFFFFFF; };
      Bytes px;
      for (int y : row_order(top_down)) {
        const std::size_t start = px.v.size();
        for (int x = 0; x < width; ++x) {
          const std::uint32_t c = colour(x, y);
          px.u8(c & 0xFF), px.u8((c >> 8) & 0xFF), px.u8(c >> 16);
        }
        px.pad4(start);
      }
      std::vector<unsigned char> bytes = file(24, top_down ? -2 : 2, 0, px.v);
      bytes[18] = static_cast<unsigned char>(width);
      const wumpets::PixelBuffer img = load(bytes);
      ASSERT_EQ(img.width, width);
      ASSERT_EQ(img.height, 2);
      for (int y = 0; y < 2; ++y)
        for (int x = 0; x < width; ++x) EXPECT_EQ(img.at(x, y), colour(x, y)) << x << "," << y;
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

namespace {

void put32(std::vector<unsigned char>& v, std::size_t at, std::uint32_t x) {
  // at(), not []: GCC 12 building for 32-bit x86 warns falsely of an overflow through [].
  for (int i = 0; i < 4; ++i) v.at(at + static_cast<std::size_t>(i)) = static_cast<unsigned char>(x >> (8 * i));
}
void put16(std::vector<unsigned char>& v, std::size_t at, unsigned x) {
  v[at] = static_cast<unsigned char>(x & 0xFF), v[at + 1] = static_cast<unsigned char>(x >> 8);
}

}  // namespace

// Headers that claim more than the file holds, or what no bitmap is, are refused before any
// decoder allocates for them: the file reads as unreadable.
TEST_F(BitmapFormats, HeadersThatLieAreRefused) {
  const std::vector<unsigned char> good = file(24, 2, 0, packed(24, false));
  std::vector<unsigned char> rle8;  // the RLE8 file of RunLengthEncoded
  {
    Bytes r8;
    for (int y : row_order(false)) {
      for (std::uint32_t c : kPicture[y]) r8.u8(1), r8.u8(static_cast<unsigned>(index_of(c)));
      r8.u8(0), r8.u8(0);
    }
    r8.u8(0), r8.u8(1);
    rle8 = file(8, 2, 1, r8.v);
  }
  struct Case {
    const char* what;
    std::vector<unsigned char> bytes;
  };
  auto with = [](std::vector<unsigned char> v, auto change) {
    change(v);
    return v;
  };
  std::vector<unsigned char> huge = with(rle8, [](auto& v) { put32(v, 18, 60000), put32(v, 22, 60000); });
  huge.resize(1078, 0);
  const std::vector<Case> cases = {
      {"60000 x 60000 in 1078 bytes", huge},
      {"width 526208 (one flipped bit)", with(good, [](auto& v) { put32(v, 18, 526208); })},
      {"width 4 x 2 rows claimed as 4 x 2000", with(good, [](auto& v) { put32(v, 22, 2000); })},
      {"height of the smallest int", with(good, [](auto& v) { put32(v, 22, 0x80000000u); })},
      {"width 0", with(good, [](auto& v) { put32(v, 18, 0); })},
      {"negative width", with(good, [](auto& v) { put32(v, 18, 0xFFFFFFFCu); })},
      {"two planes", with(good, [](auto& v) { put16(v, 26, 2); })},
      {"7 bits a pixel", with(good, [](auto& v) { put16(v, 28, 7); })},
      {"embedded JPEG", with(good, [](auto& v) { put32(v, 30, 4); })},
      {"RLE8 with 24 bits", with(good, [](auto& v) { put32(v, 30, 1); })},
      {"top-down RLE", with(rle8, [](auto& v) { put32(v, 22, 0xFFFFFFFEu); })},
      {"a file larger than any picture it may hold", with(good, [](auto& v) { v.resize(40u << 20, 0); })},
      {"pixel data past the end", with(good, [](auto& v) { put32(v, 10, 5000); })},
      {"pixel data inside the header", with(good, [](auto& v) { put32(v, 10, 20); })},
      {"one byte short", with(good, [](auto& v) { v.pop_back(); })},
      {"unknown header size", with(good, [](auto& v) { put32(v, 14, 41); })},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    bool ok = true;
    const wumpets::PixelBuffer img = load(c.bytes, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(img.width * img.height, 0);
  }
  bool ok = false;
  load(good, &ok);
  EXPECT_TRUE(ok) << "the unchanged file loads";
  load(rle8, &ok);
  EXPECT_TRUE(ok);
}

// The background buffer is a screen of one colour in 8-bit runs, and is read as that colour
// alone whenever the runs say so. Whatever the runs are, the result must be what the full
// decode gives: the colour of every pixel, or else the whole picture.
TEST_F(BitmapFormats, RunsOfOneColourGiveThatColourAndAnythingElseThePicture) {
  const struct {
    const char* what;
    std::vector<unsigned> runs;  // a 4 x 2 picture
    bool one_colour;
  } cases[] = {
      {"runs and row ends", {4, 1, 0, 0, 4, 1, 0, 0, 0, 1}, true},
      {"no end of row before the end", {4, 1, 0, 0, 4, 1, 0, 1}, true},
      {"pixels one by one", {0, 4, 1, 1, 1, 1, 0, 0, 2, 1, 2, 1, 0, 0, 0, 1}, true},
      {"an odd count one by one, padded", {0, 3, 1, 1, 1, 0, 1, 1, 0, 0, 4, 1, 0, 0, 0, 1}, true},
      {"palette black", {4, 0, 0, 0, 4, 0, 0, 0, 0, 1}, true},
      {"a second colour in a run", {4, 1, 0, 0, 3, 1, 1, 2, 0, 0, 0, 1}, false},
      {"a second colour one by one", {0, 4, 1, 1, 3, 1, 0, 0, 4, 1, 0, 0, 0, 1}, false},
      {"a row left short", {4, 1, 0, 0, 2, 1, 0, 0, 0, 1}, false},
      {"a skip", {4, 1, 0, 0, 2, 1, 0, 2, 2, 0, 0, 1}, false},
      {"the end after one row", {4, 1, 0, 0, 0, 1}, false},
      {"a run past the row's end", {6, 1, 2, 1, 0, 1}, false},
      {"no end", {4, 1, 0, 0, 4, 1, 0, 0}, false},
      {"an index past the palette (left to the full decode)", {4, 9, 0, 0, 4, 9, 0, 0, 0, 1}, true},
  };
  bool tells = false;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes r;
    for (unsigned b : c.runs) r.u8(b);
    const fs::path p = dir_ / "runs.bmp";
    const std::vector<unsigned char> bytes = file(8, 2, 1, r.v);
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    wumpets::PixelBuffer whole, probed;
    plat::Size uniform{};
    const bool whole_ok = memdc::read_bmp(p.string(), whole);
    const bool probed_ok = memdc::read_bmp(p.string(), probed, &uniform);
    ASSERT_EQ(probed_ok, whole_ok);
    if (!whole_ok) continue;
    // A loader may also decode every picture whole (the Windows one does); the first case, of
    // one colour, says whether this one tells.
    if (&c == &cases[0]) tells = uniform.width > 0;
    EXPECT_EQ(uniform.width > 0, tells && c.one_colour);
    if (uniform.width > 0) {
      ASSERT_EQ(probed.width * probed.height, 1);
      EXPECT_EQ(uniform.width, whole.width);
      EXPECT_EQ(uniform.height, whole.height);
      for (int y = 0; y < whole.height; ++y)
        for (int x = 0; x < whole.width; ++x) EXPECT_EQ(whole.at(x, y), probed.at(0, 0)) << x << "," << y;
    } else {
      ASSERT_EQ(probed.width, whole.width);
      ASSERT_EQ(probed.height, whole.height);
      for (int y = 0; y < whole.height; ++y)
        for (int x = 0; x < whole.width; ++x) EXPECT_EQ(probed.at(x, y), whole.at(x, y)) << x << "," << y;
    }
  }
}

// Run-length pictures may be sparse: runs that skip rows or stop early leave black. What a file
// may make us allocate is bounded by the picture's size, not by how little data it has.
TEST_F(BitmapFormats, SparseRunLengthPicturesLoad) {
  auto rle8 = [](int w, int h, const std::vector<unsigned>& data) {
    Bytes r;
    for (unsigned b : data) r.u8(b);
    std::vector<unsigned char> v = file(8, h, 1, r.v);
    put32(v, 18, static_cast<std::uint32_t>(w));
    return v;
  };
  std::vector<unsigned> two_then_eol;  // every row: two pixels of index 1, then end of line
  for (int y = 0; y < 16; ++y) two_then_eol.insert(two_then_eol.end(), {2, 1, 0, 0});
  two_then_eol.insert(two_then_eol.end(), {0, 1});
  struct Case {
    const char* what;
    std::vector<unsigned char> bytes;
    std::uint32_t at_0_0, at_5_5;  // the pixels (0, bottom row) and (5, 5)
  } cases[] = {
      {"16 x 16 that ends at once", rle8(16, 16, {0, 1}), 0x000000, 0x000000},
      {"15 x 15 that ends at once", rle8(15, 15, {0, 1}), 0x000000, 0x000000},
      {"rows of a 2-pixel run, then end of line", rle8(16, 16, two_then_eol), 0xFF0000, 0x000000},
      {"1000 x 1000 in 2 bytes", rle8(1000, 1000, {0, 1}), 0x000000, 0x000000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    bool ok = false;
    const wumpets::PixelBuffer img = load(c.bytes, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(img.at(0, img.height - 1) & 0xFFFFFF, c.at_0_0);
    EXPECT_EQ(img.at(5, 5) & 0xFFFFFF, c.at_5_5);
  }
}

// The largest picture a file may hold follows the screen: twice its pixels, and never less than
// a large screen's worth so that the sheets load in a small window.
TEST(BitmapCheck, SizeIsBoundedRelativeToTheScreen) {
  auto header = [](int w, int h) {
    std::vector<unsigned char> v(54, 0);
    v[0] = 'B', v[1] = 'M';
    put32(v, 10, 54), put32(v, 14, 40), put32(v, 18, static_cast<std::uint32_t>(w));
    put32(v, 22, static_cast<std::uint32_t>(h)), put16(v, 26, 1), put16(v, 28, 32);
    return v;
  };
  struct Case {
    int screen_w, screen_h, w, h;
    bool ok;
  };
  const Case cases[] = {
      {3840, 2160, 3840, 2160, true},   {3840, 2160, 7680, 2160, true},  {3840, 2160, 7681, 2160, false},
      {640, 480, 2048, 1536, true},     {640, 480, 2049, 1536, false},   {0, 0, 2048, 1536, true},
      {32767, 32767, 32768, 1, false},  {32767, 32767, 1, 32768, false}, {1920, 1080, 1920, 1080, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + " on " + std::to_string(c.screen_w));
    const auto v = header(c.w, c.h);
    bmp::Info info;
    const std::uint64_t file_size = 54 + 4ull * static_cast<std::uint64_t>(c.w) * static_cast<std::uint64_t>(c.h);
    EXPECT_EQ(bmp::check(v.data(), v.size(), file_size, bmp::pixel_limit(c.screen_w, c.screen_h), info), c.ok);
    if (c.ok) {
      EXPECT_EQ(info.width * static_cast<std::int64_t>(info.height), static_cast<std::int64_t>(c.w) * c.h);
    }
  }
}
