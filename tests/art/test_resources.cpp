// The background tiles, and the program's own pictures: dialog previews and error icons.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "bitmap.h"
#include "sheets.h"

namespace {

// How much the join between the last and the first column (or row) stands out against the
// joins between neighbouring columns inside the tile: about 1 for a tile that wraps round.
double seam_ratio(const Bitmap& t, bool columns) {
  const int n = columns ? t.w : t.h, len = columns ? t.h : t.w;
  auto line_diff = [&](int a, int b) {
    double sum = 0;
    for (int i = 0; i < len; ++i) {
      const Px p = columns ? t.at(a, i) : t.at(i, a);
      const Px q = columns ? t.at(b, i) : t.at(i, b);
      sum += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
    }
    return sum / len;
  };
  double inside = 0;
  for (int k = 0; k + 1 < n; ++k) inside += line_diff(k, k + 1);
  inside /= n - 1;
  return line_diff(n - 1, 0) / std::max(inside, 1e-9);
}

TEST(Tiles, TheSeamMeasureFindsASeam) {
  // A ramp from dark to light does not wrap round: its last column is far from its first.
  Bitmap ramp{60, 20, std::vector<Px>(60 * 20)};
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 60; ++x) ramp.at(x, y) = {static_cast<std::uint8_t>(x * 4), 40, 90};
  EXPECT_GT(seam_ratio(ramp, true), 10.0);
}

TEST(Tiles, EveryBackgroundTileJoinsUpWithoutASeam) {
  for (const char* name : {"d_back0.bmp", "d_back1.bmp", "d_back2.bmp"}) {
    const Bitmap& t = loaded(name);
    ASSERT_GT(t.w, 0) << name;
    EXPECT_LT(seam_ratio(t, true), 1.6) << name << ": left and right edges";
    EXPECT_LT(seam_ratio(t, false), 1.6) << name << ": top and bottom edges";
    // Not a plain colour: a tile that shows something.
    EXPECT_GT(mean_difference(t, t.crop(0, 0, t.w, t.h).mirrored()), 5.0) << name;
  }
}

struct PictureCase {
  std::string name;
  int size_w, size_h;
};

std::vector<PictureCase> pictures() {
  std::vector<PictureCase> out;
  for (int i = 0; i < 16; ++i) out.push_back({"pic" + std::to_string(i) + ".bmp", 140, 131});
  out.push_back({"icon1.bmp", 75, 75});
  out.push_back({"icon2.bmp", 75, 75});
  return out;
}

std::string built(const std::string& name) { return std::string(WUMPETS_TEST_BUILT_RESOURCES) + "/" + name; }
std::string committed(const std::string& name) {
  return std::string(WUMPETS_TEST_COMMITTED_RESOURCES) + "/" + name;
}

TEST(DialogPictures, AreUncompressed24BitOfTheirSizeAndLoad) {
  for (const PictureCase& p : pictures()) {
    const BmpHeader h = read_bmp_header(built(p.name));
    ASSERT_TRUE(h.ok) << p.name;
    EXPECT_EQ(h.bits, 24) << p.name;
    EXPECT_EQ(h.compression, 0u) << p.name;
    EXPECT_EQ(h.width, p.size_w) << p.name;
    EXPECT_EQ(h.height, p.size_h) << p.name;
    const Bitmap b = load_bmp(built(p.name));
    EXPECT_EQ(b.w, p.size_w) << p.name;
    EXPECT_EQ(b.h, p.size_h) << p.name;
  }
}

TEST(DialogPictures, TheCommittedCopiesAreWhatTheGeneratorDraws) {
  for (const PictureCase& p : pictures()) {
    const auto want = read_bytes(built(p.name));
    ASSERT_FALSE(want.empty()) << p.name << " was not drawn";
    EXPECT_TRUE(read_bytes(committed(p.name)) == want)
        << "resources/" << p.name << " is stale: run tools/art/update-resources";
  }
}

TEST(DialogPictures, NoTwoPreviewsAreAlike) {
  std::vector<Bitmap> pics;
  for (int i = 0; i < 16; ++i) pics.push_back(load_bmp(built("pic" + std::to_string(i) + ".bmp")));
  for (int i = 0; i < 16; ++i)
    for (int j = i + 1; j < 16; ++j)
      if (pics[i].w == pics[j].w && pics[i].h == pics[j].h) {
        EXPECT_GT(mean_difference(pics[i], pics[j]), 4.0) << "pic" << i << " and pic" << j;
      }
}

// Which of the candidate colours covers most of the picture (within a small distance).
int dominant(const Bitmap& pic, const std::vector<Px>& candidates) {
  std::vector<int> count(candidates.size());
  for (const Px& p : pic.px)
    for (std::size_t k = 0; k < candidates.size(); ++k) {
      const Px c = candidates[k];
      if (std::abs(p.r - c.r) + std::abs(p.g - c.g) + std::abs(p.b - c.b) < 90) ++count[k];
    }
  return static_cast<int>(std::max_element(count.begin(), count.end()) - count.begin());
}

// Each check box shows its own figure: the previews must not be shuffled.
TEST(DialogPictures, DancerAndRosePreviewsShowTheirOwnColour) {
  std::vector<Px> dancers;
  for (int n = 1; n <= 5; ++n) dancers.push_back(figure_colour(sheet_case("d_wumpet" + std::to_string(n) + ".bmp")));
  for (int n = 1; n <= 5; ++n)
    EXPECT_EQ(dominant(load_bmp(built("pic" + std::to_string(n) + ".bmp")), dancers), n - 1) << "pic" << n;

  // pic6..pic9: red, pink, yellow, white.
  const char* roses[] = {"d_redrose.bmp", "d_pinkrose.bmp", "d_yellowrose.bmp", "d_whiterose.bmp"};
  std::vector<Px> blooms;
  for (const char* r : roses) blooms.push_back(figure_colour(sheet_case(r), 3));
  for (int k = 0; k < 4; ++k)
    EXPECT_EQ(dominant(load_bmp(built("pic" + std::to_string(6 + k) + ".bmp")), blooms), k) << "pic" << 6 + k;
}

}  // namespace
