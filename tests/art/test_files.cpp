// Every file of the data folder: present under its exact name, stored the way the program's
// loader and the back-buffer set-up expect, and of the size its sheet layout needs.
#include <gtest/gtest.h>

#include "bitmap.h"

namespace {

struct FileCase {
  const char* name;
  int width, height;
};

// Frame size x frame count across, one or two rows down.
constexpr FileCase kDataFiles[] = {
    {"d_wumpet1.bmp", 111 * 8, 102 * 2},  {"d_wumpet2.bmp", 111 * 8, 102 * 2},
    {"d_wumpet3.bmp", 111 * 8, 102 * 2},  {"d_wumpet4.bmp", 111 * 8, 102 * 2},
    {"d_wumpet5.bmp", 111 * 8, 102 * 2},  {"d_wumpetmask.bmp", 111 * 8, 102 * 2},
    {"d_redrose.bmp", 101 * 4, 101 * 2},  {"d_pinkrose.bmp", 101 * 4, 101 * 2},
    {"d_whiterose.bmp", 101 * 4, 101 * 2}, {"d_yellowrose.bmp", 101 * 4, 101 * 2},
    {"d_lavalamp.bmp", 51 * 20, 121 * 2}, {"d_peace.bmp", 41 * 15, 41 * 2},
    {"d_discoball.bmp", 91 * 5, 132 * 2}, {"d_hippie.bmp", 103 * 8, 97 * 2},
    {"d_notes11.bmp", 26 * 10, 50},       {"d_notes12.bmp", 26 * 10, 50},
    {"d_notes21.bmp", 26 * 10, 50},       {"d_notes22.bmp", 26 * 10, 50},
    {"d_notesmask.bmp", 26 * 10, 50},     {"d_back0.bmp", 165, 290},
    {"d_back1.bmp", 108, 108},            {"d_back2.bmp", 97, 57},
};

void PrintTo(const FileCase& c, std::ostream* os) { *os << c.name; }

class DataFile : public testing::TestWithParam<FileCase> {};

TEST_P(DataFile, LoadsWithItsSizeAs24BitUncompressedBottomUp) {
  const FileCase& c = GetParam();
  const std::string path = data_path(c.name);
  const BmpHeader h = read_bmp_header(path);
  ASSERT_TRUE(h.ok) << path << " is missing or not a bitmap";
  EXPECT_EQ(h.info_size, 40u) << "BITMAPINFOHEADER";
  EXPECT_EQ(h.bits, 24);
  EXPECT_EQ(h.compression, 0u);
  EXPECT_EQ(h.width, c.width);
  EXPECT_EQ(h.height, c.height) << "a positive height: rows stored bottom-up";
  const std::uint64_t stride = (static_cast<std::uint64_t>(c.width) * 3 + 3) / 4 * 4;
  EXPECT_EQ(h.file_size, 54 + stride * c.height);

  const Bitmap b = load_bmp(path);
  EXPECT_EQ(b.w, c.width);
  EXPECT_EQ(b.h, c.height);
}

INSTANTIATE_TEST_SUITE_P(Art, DataFile, testing::ValuesIn(kDataFiles), [](const auto& info) {
  std::string n = info.param.name;
  return n.substr(0, n.find('.'));
});

// The back buffer's file sets the size of the buffer and of the prepared background, and its
// picture is the background when no tile is drawn: a full-HD black picture, kept small on disk.
TEST(BackBufferFile, IsASmallRle8BitmapThatLoadsAsFullHdBlack) {
  const std::string path = data_path("d_buffer.bmp");
  const BmpHeader h = read_bmp_header(path);
  ASSERT_TRUE(h.ok);
  EXPECT_EQ(h.bits, 8);
  EXPECT_EQ(h.compression, 1u) << "BI_RLE8";
  EXPECT_LT(h.file_size, 64u * 1024u);

  const Bitmap b = load_bmp(path);
  ASSERT_EQ(b.w, 1920);
  ASSERT_EQ(b.h, 1080);
  int not_black = 0;
  for (const Px& p : b.px) not_black += p.black() ? 0 : 1;
  EXPECT_EQ(not_black, 0);
}

}  // namespace
