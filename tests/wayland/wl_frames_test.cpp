// The two buffers of a Wayland surface: whatever the compositor holds and releases, the buffer
// a frame begins in shows exactly the last committed frame, and the damage sent is what changed.
// (sway releases a shared-memory buffer at once, so its end-to-end test never draws in the
// second buffer; compositors that keep the front buffer do, every other frame.)
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "platform/linux/wl_frames.h"

namespace {

constexpr int kW = 23, kH = 11;

enum class Hold {
  None,       // released as soon as it is committed
  UntilNext,  // the front buffer is held until a newer one is committed
  Random,     // released some frames later, in any order
};

struct Case {
  const char* name;
  Hold hold;
};

void paint(std::vector<std::uint32_t>& img, std::uint32_t* px, const wl::Rect& r, std::uint32_t c) {
  for (int y = std::max(r.y, 0); y < std::min(r.y + r.height, kH); ++y)
    for (int x = std::max(r.x, 0); x < std::min(r.x + r.width, kW); ++x) img[static_cast<std::size_t>(y * kW + x)] = px[y * kW + x] = c;
}

TEST(WaylandFrames, EveryFrameBeginsOnTheLastCommittedOne) {
  const Case cases[] = {{"released at once", Hold::None}, {"front held", Hold::UntilNext}, {"held at random", Hold::Random}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::uint32_t> a(kW * kH, 0), b(kW * kH, 0), shown(kW * kH, 0);
    wl::FramePair f;
    f.reset(a.data(), b.data(), kW, kH);
    std::mt19937 rng(7);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    int held = -1;  // UntilNext: the buffer on screen
    bool used[2] = {false, false};
    int frames = 0, skipped = 0;
    for (int step = 0; step < 600; ++step) {
      if (c.hold == Hold::Random)
        for (int i = 0; i < 2; ++i)
          if (pick(3) == 0) *f.busy_flag(i) = false;
      std::uint32_t* px = f.begin();
      if (!px) {
        ASSERT_TRUE(*f.busy_flag(0) && *f.busy_flag(1)) << "a free buffer was refused";
        ++skipped;
        continue;
      }
      used[f.current()] = true;
      ASSERT_EQ(std::vector<std::uint32_t>(px, px + kW * kH), shown) << "frame " << frames;
      // What changes: a few rectangles (some reaching past the edges), or sometimes more than
      // a buffer can remember, or everything.
      std::vector<wl::Rect> changed;
      const int kind = pick(10);
      const int n = kind == 0 ? wl::FramePair::kMaxStale + 5 : 1 + pick(4);
      for (int k = 0; k < n; ++k) {
        const wl::Rect r{pick(kW + 6) - 3, pick(kH + 6) - 3, 1 + pick(9), 1 + pick(6)};
        paint(shown, px, r, static_cast<std::uint32_t>(rng()));
        changed.push_back(r);
      }
      std::vector<wl::Rect> damage;
      if (kind == 1) {
        paint(shown, px, wl::Rect{0, 0, kW, kH / 2}, 0x123456);
        f.commit(nullptr, 0, [&](const wl::Rect& r) { damage.push_back(r); });
        ASSERT_EQ(damage.size(), 1u);
        EXPECT_TRUE(damage[0].x == 0 && damage[0].y == 0 && damage[0].width == kW && damage[0].height == kH);
      } else {
        f.commit(changed.data(), static_cast<int>(changed.size()), [&](const wl::Rect& r) { damage.push_back(r); });
        for (const wl::Rect& r : damage) {
          EXPECT_TRUE(r.x >= 0 && r.y >= 0 && r.width > 0 && r.height > 0 && r.x + r.width <= kW && r.y + r.height <= kH)
              << "damage outside the buffer";
        }
        EXPECT_LE(damage.size(), changed.size());
      }
      ++frames;
      const int now = f.current();
      if (c.hold == Hold::None) *f.busy_flag(now) = false;
      if (c.hold == Hold::UntilNext) {
        if (held >= 0 && held != now) *f.busy_flag(held) = false;
        held = now;
      }
    }
    EXPECT_GT(frames, 300);
    if (c.hold != Hold::None) {
      EXPECT_TRUE(used[0] && used[1]) << "the second buffer was never drawn in";
    }
    if (c.hold == Hold::UntilNext) {
      EXPECT_EQ(skipped, 0);
    }
  }
}

TEST(WaylandFrames, DamageIsClippedAndEmptyRectanglesAreDropped) {
  std::vector<std::uint32_t> a(kW * kH), b(kW * kH);
  wl::FramePair f;
  f.reset(a.data(), b.data(), kW, kH);
  ASSERT_NE(f.begin(), nullptr);
  const wl::Rect rects[] = {{-5, -5, 10, 10}, {kW - 2, kH - 1, 10, 10}, {kW, 0, 4, 4}, {3, 3, 0, 5}, {-9, 2, 4, 4}};
  std::vector<wl::Rect> damage;
  f.commit(rects, 5, [&](const wl::Rect& r) { damage.push_back(r); });
  ASSERT_EQ(damage.size(), 2u);
  EXPECT_TRUE(damage[0].x == 0 && damage[0].y == 0 && damage[0].width == 5 && damage[0].height == 5);
  EXPECT_TRUE(damage[1].x == kW - 2 && damage[1].y == kH - 1 && damage[1].width == 2 && damage[1].height == 1);
}

TEST(WaylandFrames, NothingToDrawInBeforeBuffersOrWhileBothAreHeld) {
  wl::FramePair f;
  EXPECT_EQ(f.begin(), nullptr);
  std::vector<std::uint32_t> a(kW * kH), b(kW * kH);
  f.reset(a.data(), b.data(), kW, kH);
  for (int i = 0; i < 2; ++i) {
    ASSERT_NE(f.begin(), nullptr);
    f.commit(nullptr, 0, [](const wl::Rect&) {});
  }
  EXPECT_FALSE(f.free());
  EXPECT_EQ(f.begin(), nullptr);
  *f.busy_flag(0) = false;
  EXPECT_EQ(f.begin(), a.data());
}

}  // namespace
