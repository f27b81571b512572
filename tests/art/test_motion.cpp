// The animations: frames that move, cycles that close without a jump, a sign that turns once,
// roses that open.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "sheets.h"

namespace {

std::vector<Frame> row0(const SheetCase& c) {
  std::vector<Frame> all = frames_of(c);
  std::erase_if(all, [](const Frame& f) { return f.row != 0; });
  return all;
}

class Animation : public testing::TestWithParam<SheetCase> {};

TEST_P(Animation, EveryFrameMovesOnFromTheOneBefore) {
  const SheetCase& c = GetParam();
  const std::vector<Frame> fr = row0(c);
  ASSERT_EQ(static_cast<int>(fr.size()), c.frames);
  for (int f = 0; f + 1 < c.frames; ++f)
    EXPECT_GT(changed_pixels(fr[f].pic, fr[f + 1].pic), c.fw * c.fh / 100)
        << "frames " << f << " and " << f + 1 << " look alike";
}

INSTANTIATE_TEST_SUITE_P(Art, Animation, testing::ValuesIn(kSheets),
                         [](const auto& info) { return case_name(info.param); });

class Cycle : public testing::TestWithParam<SheetCase> {};

std::vector<SheetCase> cycles() {
  std::vector<SheetCase> out;
  for (const SheetCase& c : kSheets)
    if (c.loops) out.push_back(c);
  return out;
}

// The step from the last frame back to the first must look like any other step.
TEST_P(Cycle, ClosesWithoutAJump) {
  const SheetCase& c = GetParam();
  const std::vector<Frame> fr = row0(c);
  ASSERT_EQ(static_cast<int>(fr.size()), c.frames);
  double largest = 0;
  for (int f = 0; f + 1 < c.frames; ++f) largest = std::max(largest, mean_difference(fr[f].pic, fr[f + 1].pic));
  const double closing = mean_difference(fr[c.frames - 1].pic, fr[0].pic);
  EXPECT_LE(closing, largest * 1.15) << "last frame to first: " << closing << ", largest other step: " << largest;
}

INSTANTIATE_TEST_SUITE_P(Art, Cycle, testing::ValuesIn(cycles()),
                         [](const auto& info) { return case_name(info.param); });

// The direction of the figure's centre of mass from the frame's centre. The peace sign's strokes
// sit in its lower half, so this follows the sign as it turns.
double mass_angle(const Bitmap& mask) {
  double sx = 0, sy = 0;
  int n = 0;
  for (int y = 0; y < mask.h; ++y)
    for (int x = 0; x < mask.w; ++x)
      if (mask.at(x, y).black()) {
        sx += x;
        sy += y;
        ++n;
      }
  const double c = (mask.w - 1) / 2.0;
  return std::atan2(sy / n - c, sx / n - c) * 180 / std::numbers::pi;
}

TEST(PeaceSign, TurnsOneWayByEqualStepsAndOnceRoundOverItsFifteenFrames) {
  const std::vector<Frame> fr = row0(sheet_case("d_peace.bmp"));
  ASSERT_EQ(fr.size(), 15u);
  double total = 0;
  int sign = 0;
  for (int f = 0; f < 15; ++f) {
    double step = mass_angle(fr[(f + 1) % 15].mask) - mass_angle(fr[f].mask);
    step = std::remainder(step, 360.0);
    if (f == 0) sign = step > 0 ? 1 : -1;
    EXPECT_GT(step * sign, 24.0 - 8.0) << "step " << f << " -> " << (f + 1) % 15;
    EXPECT_LT(step * sign, 24.0 + 8.0) << "step " << f << " -> " << (f + 1) % 15;
    total += step;
  }
  EXPECT_NEAR(std::abs(total), 360.0, 1.0);
}

TEST(Roses, EveryRoseOpensFromBudToFullBloom) {
  for (const char* name : {"d_redrose.bmp", "d_pinkrose.bmp", "d_whiterose.bmp", "d_yellowrose.bmp"}) {
    const std::vector<Frame> fr = row0(sheet_case(name));
    ASSERT_EQ(fr.size(), 4u);
    for (int f = 0; f < 3; ++f)
      EXPECT_LT(figure_area(fr[f].mask), figure_area(fr[f + 1].mask)) << name << " frame " << f;
    EXPECT_GT(figure_area(fr[3].mask), 2.5 * figure_area(fr[0].mask)) << name << ": the bloom is not much bigger";
  }
}

// Notes rock and hop: the figure itself moves within the frame, not just its colours.
TEST(Notes, TheNoteMovesWithinItsFrame) {
  const std::vector<Frame> fr = row0(sheet_case("d_notes11.bmp"));
  ASSERT_EQ(fr.size(), 10u);
  int top_min = 50, top_max = 0, right_min = 26, right_max = 0;
  for (const Frame& f : fr) {
    int top = 50, right = 0;
    for (int y = 0; y < f.mask.h; ++y)
      for (int x = 0; x < f.mask.w; ++x)
        if (f.mask.at(x, y).black()) {
          top = std::min(top, y);
          right = std::max(right, x);
        }
    top_min = std::min(top_min, top);
    top_max = std::max(top_max, top);
    right_min = std::min(right_min, right);
    right_max = std::max(right_max, right);
  }
  EXPECT_GE(std::max(top_max - top_min, right_max - right_min), 3);
}

}  // namespace
