// The blit: raster operations, clipping, black outside the source, and the change bookkeeping
// that lets a repeated full copy move only what changed. The last is checked against the plain
// blit over long random runs shaped like the saver's frames.
#include <gtest/gtest.h>

#include <random>

#include "platform/common/pixels.h"

using namespace wumpets;

namespace {

PixelBuffer filled(int w, int h, std::uint32_t seed) {
  PixelBuffer p(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p.row(y)[x] = (seed * 2654435761u + static_cast<std::uint32_t>(y * w + x) * 40503u) & 0xFFFFFF;
  return p;
}

bool same(const PixelBuffer& a, const PixelBuffer& b) {
  if (a.width != b.width || a.height != b.height) return false;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x)
      if (a.at(x, y) != b.at(x, y)) return false;
  return true;
}

}  // namespace

TEST(Blit, RasterOperationsClippingAndBlackOutsideTheSource) {
  PixelBuffer src(4, 4), dst(6, 6);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) src.row(y)[x] = 0x0F0F0F;
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) dst.row(y)[x] = 0xFF00FF;
  blit(dst, 0, 0, 2, 2, &src, 0, 0, Rop::And);
  EXPECT_EQ(dst.at(1, 1), 0x0F000Fu);
  blit(dst, 0, 0, 2, 2, &src, 0, 0, Rop::Paint);
  EXPECT_EQ(dst.at(0, 0), 0x0F0F0Fu);
  blit(dst, 4, 4, 4, 4, &src, 0, 0, Rop::Copy);  // clipped at the right and bottom
  EXPECT_EQ(dst.at(5, 5), 0x0F0F0Fu);
  blit(dst, -2, -2, 4, 4, &src, 0, 0, Rop::Copy);  // clipped at the left and top; source moves
  EXPECT_EQ(dst.at(0, 0), 0x0F0F0Fu);
  blit(dst, 2, 0, 4, 1, &src, 2, 0, Rop::Copy);  // half beyond the source: black
  EXPECT_EQ(dst.at(3, 0), 0x0F0F0Fu);
  EXPECT_EQ(dst.at(4, 0), 0u);
  blit(dst, 0, 3, 2, 1, nullptr, 0, 0, Rop::Paint);  // no source: OR with black changes nothing
  EXPECT_EQ(dst.at(0, 3), 0xFF00FFu);
  blit(dst, 0, 3, 2, 1, nullptr, 0, 0, Rop::And);
  EXPECT_EQ(dst.at(0, 3), 0u);
}

TEST(Blit, RepeatedFullCopiesGiveTheSamePictureAsPlainCopies) {
  // Three buffers like the saver's: a fixed background, the back buffer and the window; sheets
  // drawn into the back buffer with AND and OR; the window's label painted over it.
  std::mt19937 rng(7);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const int W = 97, H = 61;
  PixelBuffer back = filled(W, H, 1), sheet = filled(40, 30, 2), label = filled(20, 5, 3);
  PixelBuffer buffer = filled(W + 5, H + 3, 4), window(W, H);
  PixelBuffer ref_buffer = buffer, ref_window = window;
  for (int frame = 0; frame < 400; ++frame) {
    const bool trails = frame % 50 > 40;
    if (!trails) {
      blit(buffer, 0, 0, W, H, &back, 0, 0, Rop::Copy);
      blit_plain(ref_buffer, 0, 0, W, H, &back, 0, 0, Rop::Copy);
    }
    const int sprites = frame % 97 == 0 ? 300 : pick(0, 12);  // now and then more than the log keeps
    for (int i = 0; i < sprites; ++i) {
      const int x = pick(-20, W), y = pick(-20, H), w = pick(1, 40), h = pick(1, 30);
      const int sx = pick(-5, 10), sy = pick(-5, 10);
      const Rop rop = static_cast<Rop>(pick(0, 2));
      blit(buffer, x, y, w, h, &sheet, sx, sy, rop);
      blit_plain(ref_buffer, x, y, w, h, &sheet, sx, sy, rop);
    }
    if (frame % 31 == 0) {  // someone writes pixels directly and says where
      buffer.row(3)[4] ^= 0x123456;
      ref_buffer.row(3)[4] ^= 0x123456;
      buffer.touch(4, 3, 1, 1);
    }
    if (frame % 43 == 0) {  // a copy inside the same buffer
      blit(buffer, 10, 10, 20, 20, &buffer, 30, 20, Rop::Copy);
      blit_plain(ref_buffer, 10, 10, 20, 20, &ref_buffer, 30, 20, Rop::Copy);
    }
    blit(window, 0, 0, W, H, &buffer, 0, 0, Rop::Copy);
    blit_plain(ref_window, 0, 0, W, H, &ref_buffer, 0, 0, Rop::Copy);
    if (frame % 3 == 0) {
      blit(window, 30, H - 8, 20, 5, &label, 0, 0, Rop::Copy);
      blit_plain(ref_window, 30, H - 8, 20, 5, &label, 0, 0, Rop::Copy);
    }
    if (frame == 200) {  // the window's pixels are replaced (a new surface): no history is trusted
      PixelBuffer fresh(W, H);
      window = fresh;
      ref_window = fresh;
    }
    if (frame == 300) {  // the background changes once
      back = filled(W, H, 9);
    }
    ASSERT_TRUE(same(buffer, ref_buffer)) << "frame " << frame;
    ASSERT_TRUE(same(window, ref_window)) << "frame " << frame;
  }
}

TEST(Blit, GrowingKeepsThePictureAndForgetsTheHistory) {
  PixelBuffer back = filled(30, 20, 5), buffer(10, 10);
  blit(buffer, 0, 0, 10, 10, &back, 0, 0, Rop::Copy);
  buffer.grow(30, 20);
  blit(buffer, 0, 0, 30, 20, &back, 0, 0, Rop::Copy);
  PixelBuffer ref(30, 20);
  blit_plain(ref, 0, 0, 30, 20, &back, 0, 0, Rop::Copy);
  EXPECT_TRUE(same(buffer, ref));
}

// Rectangles that overlap enough become the box around them; others stay apart. What was
// covered stays covered either way.
TEST(Blit, OverlappingChangesAreJoinedOnlyWhenTheBoxCostsNoMore) {
  using A = PixelBuffer::Area;
  const struct {
    std::vector<A> in;
    std::vector<A> out;
  } cases[] = {
      {{{0, 0, 100, 100}, {5, 3, 100, 100}}, {{0, 0, 105, 103}}},         // a sprite that moved a little
      {{{0, 0, 10, 10}, {500, 500, 10, 10}}, {{0, 0, 10, 10}, {500, 500, 10, 10}}},  // far apart
      {{{0, 0, 10, 10}, {2, 2, 4, 4}}, {{0, 0, 10, 10}}},                 // one inside the other
      {{{0, 0, 10, 10}, {10, 0, 10, 10}}, {{0, 0, 20, 10}}},              // side by side: same pixels
      {{{0, 0, 10, 10}, {9, 9, 10, 10}}, {{0, 0, 10, 10}, {9, 9, 10, 10}}},  // a corner: the box is larger
      {{{0, 0, 10, 10}, {8, 0, 10, 10}, {16, 0, 10, 10}}, {{0, 0, 26, 10}}},  // a chain, joined in turn
      {{}, {}},
  };
  for (const auto& c : cases) {
    std::vector<A> a = c.in;
    a.resize(coalesce(a.data(), a.size()));
    ASSERT_EQ(a.size(), c.out.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
      EXPECT_EQ(a[i].x, c.out[i].x);
      EXPECT_EQ(a[i].y, c.out[i].y);
      EXPECT_EQ(a[i].w, c.out[i].w);
      EXPECT_EQ(a[i].h, c.out[i].h);
    }
  }
}
