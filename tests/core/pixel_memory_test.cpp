// Memory for pictures: whatever the back end keeps it in, and in whatever order pictures come
// and go, a new picture's memory is all zero (a new picture is black) and no two living
// pictures share a byte.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "platform/common/pixels.h"

namespace {

struct Block {
  unsigned char* p = nullptr;
  std::size_t size = 0;
  unsigned char mark = 0;
};

bool all(const unsigned char* p, std::size_t n, unsigned char v) {
  for (std::size_t i = 0; i < n; ++i)
    if (p[i] != v) return false;
  return true;
}

}  // namespace

TEST(PixelMemory, NewMemoryIsZeroAndLivingPicturesKeepTheirOwn) {
  // Sizes around the thresholds a back end may have: small, sheet-sized, a large page and more.
  const std::size_t sizes[] = {4, 1000, 64 * 1024 - 4, 64 * 1024, 191400, 724608, (2u << 20) - 64, 2u << 20,
                               (2u << 20) + 4, 8294400};
  std::mt19937 rng(7);
  std::vector<Block> living;
  for (int step = 0; step < 400; ++step) {
    // Mostly last made, first freed (as a set-up and its shutdown go), sometimes out of order.
    const bool make = living.empty() || (living.size() < 24 && rng() % 3 != 0);
    if (make) {
      Block b;
      b.size = sizes[rng() % std::size(sizes)];
      b.p = static_cast<unsigned char*>(wumpets::pixel_memory(b.size));
      ASSERT_NE(b.p, nullptr);
      ASSERT_TRUE(all(b.p, b.size, 0)) << "step " << step << ": memory of " << b.size << " bytes is not zero";
      b.mark = static_cast<unsigned char>(step % 255 + 1);
      std::memset(b.p, b.mark, b.size);
      living.push_back(b);
    } else {
      const std::size_t i = rng() % 4 == 0 ? rng() % living.size() : living.size() - 1;
      ASSERT_TRUE(all(living[i].p, living[i].size, living[i].mark)) << "step " << step << ": a picture was overwritten";
      wumpets::free_pixel_memory(living[i].p, living[i].size);
      living.erase(living.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
  for (const Block& b : living) {
    EXPECT_TRUE(all(b.p, b.size, b.mark));
    wumpets::free_pixel_memory(b.p, b.size);
  }
}
