// The whole-pixel scale: which scale a desktop gets, the values an option or the settings file
// may give, and the enlarging of changed rectangles.
#include <gtest/gtest.h>

#include <vector>

#include "platform/common/options.h"
#include "platform/common/scale.h"

using namespace wumpets;

TEST(Scale, TheDesktopsDotsPerInchRoundedToAWholeScale) {
  const struct {
    double dpi;
    int scale;
  } cases[] = {{96, 1}, {0, 1}, {-5, 1}, {72, 1}, {120, 1}, {143, 1}, {144, 2}, {168, 2},
               {192, 2}, {240, 3}, {288, 3}, {384, 4}, {480, 5}};
  for (const auto& c : cases) EXPECT_EQ(scale_from_dpi(c.dpi), c.scale) << c.dpi;
  // Asked for, the scale wins over the desktop's; auto (0) or a bad value takes the desktop's.
  EXPECT_EQ(choose_scale(3, 96), 3);
  EXPECT_EQ(choose_scale(1, 192), 1);
  EXPECT_EQ(choose_scale(0, 192), 2);
  EXPECT_EQ(choose_scale(-1, 192), 2);
}

TEST(Scale, ValuesOfTheOptionAndOfTheSettingsKey) {
  const struct {
    const char* text;
    int value;
  } cases[] = {{"auto", 0}, {"", 0}, {"1", 1}, {"2", 2}, {"4", 4}, {"0", -1}, {"5", -1},
               {"2x", -1}, {" 2", -1}, {"Auto", -1}, {"-1", -1}, {"22", -1}};
  for (const auto& c : cases) EXPECT_EQ(parse_scale(c.text), c.value) << '"' << c.text << '"';

  EXPECT_EQ(parse_options({"--scale=2"}).scale, 2);
  EXPECT_EQ(parse_options({"-scale", "3"}).scale, 3);
  EXPECT_EQ(parse_options({"--scale=auto"}).scale, 0);
  EXPECT_EQ(parse_options({}).scale, 0);
  for (const char* bad : {"--scale=0", "--scale=8", "--scale=", "--scale=big"})
    EXPECT_FALSE(parse_options({bad}).errors.empty()) << bad;
}

namespace {

PixelBuffer numbered(int w, int h) {
  PixelBuffer p(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p.row(y)[x] = static_cast<std::uint32_t>(y * 1000 + x + 1);
  return p;
}

}  // namespace

TEST(Scale, EnlargesOnlyTheGivenRectanglesAsBlocksOfOneColour) {
  const PixelBuffer src = numbered(7, 5);
  for (int s : {1, 2, 3, 4}) {
    // A destination wider than needed (a window surface's pitch), marked so untouched pixels show.
    const int stride = 7 * s + 3;
    std::vector<std::uint32_t> dst(static_cast<std::size_t>(stride) * 5 * s, 0xDEADu);
    // Two rectangles, one hanging over the picture's edges: it is cut to the picture.
    const PixelBuffer::Area rects[] = {{1, 1, 2, 2}, {5, 3, 9, 9}};
    enlarge(src, rects, 2, dst.data(), stride, s);
    auto inside = [&](int x, int y) {
      return (x >= 1 && x < 3 && y >= 1 && y < 3) || (x >= 5 && y >= 3);
    };
    for (int y = 0; y < 5 * s; ++y)
      for (int x = 0; x < stride; ++x) {
        const std::uint32_t got = dst[static_cast<std::size_t>(y) * stride + x];
        const bool in = x < 7 * s && inside(x / s, y / s);
        ASSERT_EQ(got, in ? src.at(x / s, y / s) : 0xDEADu) << "s=" << s << " at " << x << "," << y;
      }
  }
}

TEST(Scale, TheWholePictureEnlargedAndScaleOneACopy) {
  const PixelBuffer src = numbered(33, 9);  // a width the vector loops do not divide
  std::vector<std::uint32_t> one(33 * 9, 0), two(66 * 18, 0);
  enlarge_all(src, one.data(), 33, 1);
  enlarge_all(src, two.data(), 66, 2);
  for (int y = 0; y < 18; ++y)
    for (int x = 0; x < 66; ++x) {
      ASSERT_EQ(two[static_cast<std::size_t>(y) * 66 + x], src.at(x / 2, y / 2)) << x << "," << y;
      if (x < 33 && y < 9) {
        ASSERT_EQ(one[static_cast<std::size_t>(y) * 33 + x], src.at(x, y));
      }
    }
}
