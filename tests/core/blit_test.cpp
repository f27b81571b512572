// The blit: raster operations, clipping, black outside the source, and the change bookkeeping
// that lets a repeated full copy move only what changed. The last is checked against the plain
// blit over long random runs shaped like the saver's frames.
#include <gtest/gtest.h>

#include <random>

#include "pictures.h"
#include "platform/common/pixels.h"

using namespace wumpets;

using fx::filled;
using fx::same;

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
  // Three buffers like the saver's: a fixed background (pixels, or a tiled pattern), the back
  // buffer and the window; sheets drawn into the back buffer with AND and OR; the window's
  // label painted over it.
  for (const bool tiled : {false, true}) {
    SCOPED_TRACE(tiled ? "tiled background" : "background of pixels");
    std::mt19937 rng(7);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const int W = 97, H = 61;
    PixelBuffer back = filled(W, H, 1), sheet = filled(40, 30, 2), label = filled(20, 5, 3);
    Pattern pattern;
    ASSERT_TRUE(Pattern::tiled(W, H, filled(13, 9, 5), 11, 9, W, H, pattern));
    if (tiled) back = pattern.pixels();
    PixelBuffer buffer = filled(W + 5, H + 3, 4), window(W, H);
    PixelBuffer ref_buffer = buffer, ref_window = window;
    for (int frame = 0; frame < 400; ++frame) {
      const bool trails = frame % 50 > 40;
      if (!trails) {
        if (tiled) blit(buffer, 0, 0, W, H, pattern, 0, 0, Rop::Copy);
        else blit(buffer, 0, 0, W, H, &back, 0, 0, Rop::Copy);
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
      if (frame == 300 && !tiled) {  // the background changes once
        back = filled(W, H, 9);
      }
      ASSERT_TRUE(same(buffer, ref_buffer)) << "frame " << frame;
      ASSERT_TRUE(same(window, ref_window)) << "frame " << frame;
    }
  }
}

// A tiled pattern is the picture its copies make, and a blit from it (any place, any raster
// operation, partly outside it) is the blit from that picture.
TEST(Blit, APatternIsThePictureOfItsTileCopies) {
  const struct {
    int w, h, tile_w, tile_h, tw, th, cover_w, cover_h;
    bool pattern;
  } cases[] = {
      {100, 70, 13, 9, 13, 9, 100, 70, true},  // the last copies reach past the edge
      {100, 70, 20, 20, 13, 9, 99, 69, true},  // the tile is cut to its cell
      {100, 70, 5, 4, 13, 9, 100, 70, true},   // and padded with black where it is smaller
      {100, 70, 1, 1, 1, 1, 100, 70, true},    // one colour
      {100, 70, 13, 9, 13, 9, 50, 70, false},  // the copies leave part of the picture as it was
      {100, 70, 13, 9, 13, 9, 90, 70, false},  // by less than a cell
  };
  std::mt19937 rng(3);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.tile_w << "x" << c.tile_h << " as " << c.tw << "x" << c.th << " over "
                                      << c.cover_w << "x" << c.cover_h);
    const PixelBuffer tile = filled(c.tile_w, c.tile_h, 8);
    Pattern p;
    ASSERT_EQ(Pattern::tiled(c.w, c.h, tile, c.tw, c.th, c.cover_w, c.cover_h, p), c.pattern);
    if (!c.pattern) continue;
    PixelBuffer copies(c.w, c.h);
    for (int r = 0; r * c.th <= c.cover_h; ++r)
      for (int k = 0; k * c.tw <= c.cover_w; ++k) blit_plain(copies, k * c.tw, r * c.th, c.tw, c.th, &tile, 0, 0, Rop::Copy);
    ASSERT_TRUE(same(p.pixels(), copies));
    for (int i = 0; i < 200; ++i) {
      const int x = pick(-10, 60), y = pick(-10, 40), w = pick(1, 70), h = pick(1, 50);
      const int sx = pick(-20, 90), sy = pick(-20, 60);
      const Rop rop = static_cast<Rop>(pick(0, 2));
      PixelBuffer a = filled(60, 40, static_cast<std::uint32_t>(i)), b = a;
      blit(a, x, y, w, h, p, sx, sy, rop);
      blit_plain(b, x, y, w, h, &copies, sx, sy, rop);
      ASSERT_TRUE(same(a, b)) << "blit " << i;
    }
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

// A sprite drawn in one pass is its mask ANDed and then its picture ORed, wherever it lies:
// partly off the destination, partly off either sheet.
TEST(Blit, ASpriteInOnePassIsItsMaskThenItsPicture) {
  std::mt19937 rng(5);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const PixelBuffer mask = filled(40, 30, 11), sheet = filled(40, 30, 12);
  for (int i = 0; i < 500; ++i) {
    const int x = pick(-30, 70), y = pick(-20, 50), w = pick(1, 45), h = pick(1, 35);
    const int mx = pick(-5, 20), my = pick(-5, 15), sx = pick(-5, 20), sy = pick(-5, 15);
    PixelBuffer a = filled(64, 48, static_cast<std::uint32_t>(i)), b = a;
    blit_masked(a, x, y, w, h, &mask, mx, my, &sheet, sx, sy);
    blit_plain(b, x, y, w, h, &mask, mx, my, Rop::And);
    blit_plain(b, x, y, w, h, &sheet, sx, sy, Rop::Paint);
    ASSERT_TRUE(same(a, b)) << "sprite " << i;
  }
}
