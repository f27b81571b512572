// The sheets as the saver draws them: the mask ANDed onto the scene, then the picture ORed on.
// That only works when masks are pure black and white and pictures are black outside the figure.
#include <gtest/gtest.h>

#include <cmath>

#include "sheets.h"

namespace {

class Sheet : public testing::TestWithParam<SheetCase> {};

TEST_P(Sheet, EveryFrameHasACleanMaskAndAPictureThatIsBlackOutsideTheFigure) {
  const std::vector<Frame> frames = frames_of(GetParam());
  ASSERT_FALSE(frames.empty()) << "sheet too small for its frames";
  for (const Frame& fr : frames) {
    int grey = 0, leaking = 0;
    for (std::size_t i = 0; i < fr.mask.px.size(); ++i) {
      const Px m = fr.mask.px[i];
      if (!m.black() && !m.white()) ++grey;
      if (m.white() && !fr.pic.px[i].black()) ++leaking;
    }
    EXPECT_EQ(grey, 0) << "mask pixels neither black nor white, row " << fr.row << " frame " << fr.index;
    EXPECT_EQ(leaking, 0) << "picture pixels that would be ORed onto the scene where it should show through, row "
                          << fr.row << " frame " << fr.index;
  }
}

TEST_P(Sheet, TheFigureIsInEveryFrameAndClearOfTheFrameEdges) {
  const SheetCase& c = GetParam();
  for (const Frame& fr : frames_of(c)) {
    const int area = figure_area(fr.mask);
    EXPECT_GT(area, c.fw * c.fh / 20) << "frame " << fr.index << " is nearly empty";
    int top = 0, bottom = 0, left = 0, right = 0;
    for (int x = 0; x < c.fw; ++x) {
      top += fr.mask.at(x, 0).black();
      bottom += fr.mask.at(x, c.fh - 1).black();
    }
    for (int y = 0; y < c.fh; ++y) {
      left += fr.mask.at(0, y).black();
      right += fr.mask.at(c.fw - 1, y).black();
    }
    // A figure that reaches the edge is cut off there, unless it is meant to go on beyond it.
    const struct {
      Edge edge;
      int touching;
      const char* where;
    } edges[] = {{kTop, top, "top"}, {kBottom, bottom, "bottom"}, {kLeft, left, "left"}, {kRight, right, "right"}};
    for (const auto& e : edges) {
      if (!(c.may_touch & e.edge)) {
        EXPECT_EQ(e.touching, 0) << "row " << fr.row << " frame " << fr.index << " cut at the " << e.where;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Art, Sheet, testing::ValuesIn(kSheets),
                         [](const auto& info) { return case_name(info.param); });

TEST(DiscoBall, HangsFromACordAtTheTopOfEveryFrame) {
  for (const Frame& fr : frames_of(sheet_case("d_discoball.bmp"))) {
    int top = 0;
    for (int x = 0; x < fr.mask.w; ++x) top += fr.mask.at(x, 0).black();
    EXPECT_GE(top, 1) << "frame " << fr.index;
    EXPECT_LE(top, 5) << "frame " << fr.index << ": a cord, not the ball, meets the top";
  }
}

// A dancer moving left is drawn from row 1: it must be the same step, facing the other way.
TEST(Dancers, RowOneIsRowZeroMirroredInEverySheet) {
  for (const char* name : {"d_wumpet1.bmp", "d_wumpet2.bmp", "d_wumpet3.bmp", "d_wumpet4.bmp", "d_wumpet5.bmp",
                           "d_wumpetmask.bmp"}) {
    const Bitmap& s = loaded(name);
    ASSERT_EQ(s.h, 204) << name;
    for (int f = 0; f < 8; ++f)
      EXPECT_EQ(s.crop(f * 111, 102, 111, 102), s.crop(f * 111, 0, 111, 102).mirrored()) << name << " frame " << f;
  }
}

// Several sheets share one mask: each must fill the mask's figure, or the AND would leave a
// black hole in the scene where the picture has no colour.
TEST(SharedMasks, EveryColourSheetFillsTheMaskFigure) {
  for (const SheetCase& c : kSheets) {
    if (c.masks_below) continue;
    for (const Frame& fr : frames_of(c)) {
      int figure = 0, coloured = 0;
      for (std::size_t i = 0; i < fr.mask.px.size(); ++i) {
        if (!fr.mask.px[i].black()) continue;
        ++figure;
        coloured += fr.pic.px[i].black() ? 0 : 1;
      }
      EXPECT_GE(coloured, figure * 95 / 100) << c.picture << " row " << fr.row << " frame " << fr.index;
    }
  }
}

double distance(Px a, Px b) {
  return std::sqrt(std::pow(a.r - b.r, 2) + std::pow(a.g - b.g, 2) + std::pow(a.b - b.b, 2));
}

TEST(Dancers, TheFiveColoursAreClearlyDifferent) {
  Px mean[5];
  for (int i = 0; i < 5; ++i) mean[i] = figure_colour(kSheets[i]);
  for (int i = 0; i < 5; ++i)
    for (int j = i + 1; j < 5; ++j)
      EXPECT_GT(distance(mean[i], mean[j]), 50.0) << "dancers " << i + 1 << " and " << j + 1;
  // Blue, green, pink, orange, purple in that order.
  EXPECT_GT(mean[0].b, mean[0].r);
  EXPECT_GT(mean[1].g, mean[1].r);
  EXPECT_GT(mean[1].g, mean[1].b);
  EXPECT_GT(mean[2].r, mean[2].g);
  EXPECT_GT(mean[2].b, mean[2].g);
  EXPECT_GT(mean[3].r, mean[3].b);
  EXPECT_GT(mean[3].g, mean[3].b);
  EXPECT_GT(mean[4].b, mean[4].g);
  EXPECT_GT(mean[4].r, mean[4].g);
}

}  // namespace
