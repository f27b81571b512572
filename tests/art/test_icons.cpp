// The program's icon as the desktops and Windows read it, and the installer's side picture.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "bitmap.h"

namespace {

const std::string kIcons = WUMPETS_TEST_ICONS_DIR;

std::uint32_t le(const std::vector<std::uint8_t>& b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b.at(at + i);
  return v;
}
std::uint32_t be32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return std::uint32_t{b.at(at)} << 24 | std::uint32_t{b.at(at + 1)} << 16 | std::uint32_t{b.at(at + 2)} << 8 | b.at(at + 3);
}
const std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

TEST(AppIcon, EveryThemeSizeIsASquareRgbaPng) {
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    const std::string n = std::to_string(size);
    const auto png = read_bytes(kIcons + "/hicolor/" + n + "x" + n + "/apps/zelkin-wumpets.png");
    ASSERT_GT(png.size(), 33u) << size;
    EXPECT_EQ(std::memcmp(png.data(), kPngSignature, 8), 0) << size;
    EXPECT_EQ(be32(png, 16), static_cast<std::uint32_t>(size));  // IHDR width
    EXPECT_EQ(be32(png, 20), static_cast<std::uint32_t>(size));  // IHDR height
    EXPECT_EQ(png[25], 6) << size << ": colour type 6 is RGBA, so the corners can be clear";
  }
}

// An .ico is a directory of images; Windows takes bitmaps for the small sizes and PNG for 256.
TEST(AppIcon, WindowsIconHoldsEachSizeWithClearCornersAndASolidMiddle) {
  const auto ico = read_bytes(kIcons + "/zelkin-wumpets.ico");
  ASSERT_GE(ico.size(), 6u);
  EXPECT_EQ(le(ico, 0, 2), 0u);
  EXPECT_EQ(le(ico, 2, 2), 1u);  // an icon, not a cursor
  const std::uint32_t count = le(ico, 4, 2);
  ASSERT_EQ(count, 5u);
  const int sizes[] = {16, 24, 32, 48, 256};
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t entry = 6 + 16 * i;
    const int size = sizes[i];
    EXPECT_EQ(ico.at(entry), size == 256 ? 0 : size) << "width byte, 0 meaning 256";
    EXPECT_EQ(le(ico, entry + 6, 2), 32u) << size;
    const std::uint32_t bytes = le(ico, entry + 8, 4), offset = le(ico, entry + 12, 4);
    ASSERT_LE(std::uint64_t{offset} + bytes, ico.size()) << size << ": image outside the file";
    if (size == 256) {
      EXPECT_EQ(std::memcmp(ico.data() + offset, kPngSignature, 8), 0);
      continue;
    }
    EXPECT_EQ(le(ico, offset, 4), 40u) << size;
    EXPECT_EQ(le(ico, offset + 4, 4), static_cast<std::uint32_t>(size));
    EXPECT_EQ(le(ico, offset + 8, 4), static_cast<std::uint32_t>(2 * size)) << "colour rows and mask rows";
    EXPECT_EQ(le(ico, offset + 14, 2), 32u);
    const std::uint32_t mask_bytes = ((size + 31) / 32) * 4 * size;
    EXPECT_EQ(bytes, 40u + 4u * size * size + mask_bytes) << size;
    auto alpha = [&](int x, int y) { return ico.at(offset + 40 + 4 * ((size - 1 - y) * size + x) + 3); };
    EXPECT_EQ(alpha(0, 0), 0) << size << ": the corner outside the round stage is clear";
    EXPECT_EQ(alpha(size - 1, size - 1), 0) << size;
    EXPECT_EQ(alpha(size / 2, size / 2), 255) << size << ": the middle is solid";
  }
}

TEST(AppIcon, InstallerSidePictureHasTheSizeTheInstallerShows) {
  const BmpHeader h = read_bmp_header(kIcons + "/installer-side.bmp");
  ASSERT_TRUE(h.ok);
  EXPECT_EQ(h.width, 164);
  EXPECT_EQ(h.height, 314);
  EXPECT_EQ(h.bits, 24);
  const Bitmap b = load_bmp(kIcons + "/installer-side.bmp");
  ASSERT_EQ(b.w, 164);
  // Not one flat colour: the stage, the beam and the figures.
  int differing = 0;
  for (const Px& p : b.px) differing += !(p == b.px[0]);
  EXPECT_GT(differing, 164 * 314 / 2);
}

}  // namespace
