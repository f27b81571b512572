// Memory DCs as the saver uses them: a tiled background kept as its tile, and the back buffer
// that becomes the window's own picture once it is copied whole into the window. Every picture
// must still be what plain, separate buffers give.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>

#include <memory>
#include <random>
#include <vector>

#include "fixture.h"
#include "pictures.h"
#include "platform/common/memdc.h"

using namespace wumpets;

namespace {

using fx::filled;
using fx::same;

// A DC holding a copy of the picture.
plat::Handle dc_with(const PixelBuffer& p) {
  const plat::Handle dc = memdc::create_dc_on(std::make_shared<PixelBuffer>(p));
  // create_dc_on makes a window's DC; a memory DC of the same picture is the copy of it.
  const plat::Handle mem = memdc::create_dc();
  memdc::grow_dc(mem, p.width, p.height);
  memdc::bitblt(mem, 0, 0, p.width, p.height, dc, 0, 0, plat::kSrcCopy);
  memdc::delete_dc(dc);
  return mem;
}

class SharedPicture : public ::testing::Test {
 protected:
  void SetUp() override { memdc::reset(); }
  void TearDown() override { memdc::reset(); }
};

}  // namespace

TEST_F(SharedPicture, FramesThroughTheSharedBufferShowWhatSeparateBuffersShow) {
  // A window's image of its own, and one that borrows a window surface's pixels.
  for (const bool borrowed : {false, true}) {
    SCOPED_TRACE(borrowed ? "borrowed pixels" : "own pixels");
    memdc::reset();
    std::mt19937 rng(11);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const int W = 90, H = 60;
    std::vector<std::uint32_t> surface(static_cast<std::size_t>(W + 6) * H);
    auto window = std::make_shared<PixelBuffer>(W, H);
    if (borrowed) *window = PixelBuffer::borrowed(surface.data(), W, H, W + 6);
    const plat::Handle wdc = memdc::create_dc_on(window);
    const plat::Handle tile = dc_with(filled(14, 10, 1)), sheet = dc_with(filled(30, 20, 2));
    const plat::Handle mask = dc_with(filled(30, 20, 7));
    const plat::Handle other = dc_with(filled(W, H, 6));
    const plat::Handle back = memdc::create_dc(), buffer = memdc::create_dc();
    memdc::grow_dc(back, W, H);
    memdc::grow_dc(buffer, W, H);
    memdc::fill_tiled(back, W, H, tile, 14, 10);
    memdc::fill_tiled(buffer, W, H, dc_with(PixelBuffer(1, 1)), 1, 1);  // black, as the buffer file is

    const PixelBuffer label = filled(25, 6, 3);
    const PixelBuffer::Area label_at{10, H - 8, 25, 6};
    PixelBuffer ref_back(W, H), ref_buffer(W, H), ref_window(W, H);
    const PixelBuffer ref_tile = filled(14, 10, 1), ref_sheet = filled(30, 20, 2), ref_other = filled(W, H, 6);
    const PixelBuffer ref_mask = filled(30, 20, 7);
    for (int r = 0; r * 10 <= H; ++r)
      for (int c = 0; c * 14 <= W; ++c) blit_plain(ref_back, c * 14, r * 10, 14, 10, &ref_tile, 0, 0, Rop::Copy);

    // The saver's first showing: the background into the window and into the buffer.
    memdc::bitblt(wdc, 0, 0, W, H, back, 0, 0, plat::kSrcCopy);
    memdc::bitblt(buffer, 0, 0, W, H, back, 0, 0, plat::kSrcCopy);
    blit_plain(ref_window, 0, 0, W, H, &ref_back, 0, 0, Rop::Copy);
    blit_plain(ref_buffer, 0, 0, W, H, &ref_back, 0, 0, Rop::Copy);

    for (int frame = 0; frame < 300; ++frame) {
      if (frame % 40 < 35) {  // now and then the buffer keeps its trails
        memdc::bitblt(buffer, 0, 0, W, H, back, 0, 0, plat::kSrcCopy);
        blit_plain(ref_buffer, 0, 0, W, H, &ref_back, 0, 0, Rop::Copy);
      }
      for (int i = frame == 0 ? 1 : pick(0, 6); i > 0; --i) {
        // A sprite (its mask, then its picture at the same place), or a mask or a picture alone.
        const int x = pick(-10, W), y = pick(-10, H), sx = pick(0, 10), kind = pick(0, 2);
        if (kind != 1) {
          memdc::bitblt(buffer, x, y, 20, 15, mask, sx, 0, plat::kSrcAnd);
          blit_plain(ref_buffer, x, y, 20, 15, &ref_mask, sx, 0, Rop::And);
        }
        if (kind != 0) {
          memdc::bitblt(buffer, x, y, 20, 15, sheet, sx, 0, plat::kSrcPaint);
          blit_plain(ref_buffer, x, y, 20, 15, &ref_sheet, sx, 0, Rop::Paint);
        }
      }
      if (frame == 0) {
        EXPECT_EQ(memdc::pixels(buffer), window.get()) << "the buffer is drawn straight into the window's picture";
      }
      memdc::bitblt(wdc, 0, 0, W, H, buffer, 0, 0, plat::kSrcCopy);
      blit_plain(ref_window, 0, 0, W, H, &ref_buffer, 0, 0, Rop::Copy);
      // The window's label, painted over its picture at each showing. The buffer may hold it too
      // (it is drawn over again at every showing), but nothing else of the window.
      blit(*window, label_at.x, label_at.y, label_at.w, label_at.h, &label, 0, 0, Rop::Copy);
      blit_plain(ref_window, label_at.x, label_at.y, label_at.w, label_at.h, &label, 0, 0, Rop::Copy);
      if (frame == 150) {
        // Something else drawn into the window: the buffer keeps its own picture.
        memdc::bitblt(wdc, 5, 5, 40, 30, other, 0, 0, plat::kSrcCopy);
        blit_plain(ref_window, 5, 5, 40, 30, &ref_other, 0, 0, Rop::Copy);
        ASSERT_NE(memdc::pixels(buffer), window.get());
      }
      ASSERT_TRUE(same(*window, ref_window)) << "frame " << frame;
      ASSERT_TRUE(same(*memdc::pixels(buffer), ref_buffer, label_at)) << "frame " << frame;
    }
    EXPECT_TRUE(same(*memdc::pixels(back), ref_back)) << "the background is never drawn into";
  }
}

TEST_F(SharedPicture, APictureOfOneColourGrowsBlackAndIsMadeOutWhenDrawnInto) {
  PixelBuffer red(1, 1);
  red.row(0)[0] = 0xFF0000;
  const plat::Handle tile = dc_with(red);
  const plat::Handle dc = memdc::create_dc();
  memdc::grow_dc(dc, 40, 30);
  memdc::fill_tiled(dc, 40, 30, tile, 1, 1);  // red all over
  memdc::grow_dc(dc, 50, 35);                 // new pixels black
  EXPECT_EQ(memdc::dc_size(dc).width, 50);
  const plat::Handle black = memdc::create_dc();
  memdc::grow_dc(black, 40, 30);
  memdc::grow_dc(black, 60, 45);
  memdc::bitblt(black, 2, 2, 5, 5, dc, 38, 28, plat::kSrcCopy);  // red, then black past (40, 30)
  const PixelBuffer* p = memdc::pixels(black);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->width, 60);
  EXPECT_EQ(p->at(2, 2), 0xFF0000u);
  EXPECT_EQ(p->at(3, 3), 0xFF0000u);
  EXPECT_EQ(p->at(4, 4), 0u);
  EXPECT_EQ(p->at(59, 44), 0u);
  EXPECT_EQ(memdc::pixels(dc)->at(49, 34), 0u);
  EXPECT_EQ(memdc::pixels(dc)->at(39, 29), 0xFF0000u);
}

// A picture file of one colour loads as that picture (kept as one pixel), once or twice in a
// row, and one that differs in a single pixel loads whole.
TEST_F(SharedPicture, AFileOfOneColourLoadsAsItsPicture) {
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  const auto dir = std::filesystem::temp_directory_path() / ("wumpets-one-colour-" + std::to_string(stamp));
  std::filesystem::create_directories(dir);
  PixelBuffer green(37, 23);
  for (int y = 0; y < 23; ++y)
    for (int x = 0; x < 37; ++x) green.row(y)[x] = 0x20C040;
  fx::write_bmp(dir / "green.bmp", green);
  // One pixel off (the last, the first of a middle row), or the last column off in every row
  // (y -1), where the rows are all alike: each must load whole.
  const struct {
    const char* name;
    int x, y;
  } dots[] = {{"dotted-last.bmp", 36, 22}, {"dotted-middle.bmp", 0, 11}, {"striped.bmp", 36, -1}};
  std::map<std::string, PixelBuffer> want{{"green.bmp", green}};
  for (const auto& d : dots) {
    PixelBuffer dotted = green;
    for (int y = 0; y < 23; ++y)
      if (d.y == y || d.y < 0) dotted.row(y)[d.x] = 0x20C041;
    fx::write_bmp(dir / d.name, dotted);
    want[d.name] = dotted;
  }
  for (const char* name : {"green.bmp", "green.bmp", "dotted-last.bmp", "dotted-middle.bmp", "striped.bmp"}) {
    SCOPED_TRACE(name);
    const plat::Handle dc = memdc::create_dc();
    const plat::Handle bitmap = memdc::load_bitmap((dir / name).string());
    ASSERT_GT(bitmap, 0);
    memdc::select_bitmap(dc, bitmap);
    memdc::delete_bitmap(bitmap);
    EXPECT_EQ(memdc::dc_size(dc).width, 37);
    EXPECT_EQ(memdc::dc_size(dc).height, 23);
    const plat::Handle into = memdc::create_dc_on(std::make_shared<PixelBuffer>(37, 23));
    memdc::bitblt(into, 0, 0, 37, 23, dc, 0, 0, plat::kSrcCopy);
    EXPECT_TRUE(same(*memdc::pixels(into), want[name]));
  }
  std::filesystem::remove_all(dir);
}
