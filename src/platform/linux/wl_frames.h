// The two buffers of a Wayland surface, drawn in turn (wl_display.cpp). The compositor may hold
// the buffer last committed for a while, so a frame is sometimes drawn in the other one, which
// is behind: it is brought up to the newest frame first, copying only the rectangles committed
// since it was last drawn in, so that the caller writes only what changed. Plain memory and no
// Wayland, so that it is tested on its own.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "platform/linux/wl_display.h"

namespace wl {

class FramePair {
 public:
  static constexpr int kMaxStale = 32;  // rectangles a buffer can be behind by; then all of it

  // Called when the surface is configured: two blank buffers of width x height pixels.
  void reset(std::uint32_t* first, std::uint32_t* second, int width, int height) {
    *this = FramePair{};
    buffers_[0].pixels = first;
    buffers_[1].pixels = second;
    width_ = width;
    height_ = height;
  }

  // Where the compositor's release of buffer i is recorded.
  bool* busy_flag(int i) { return &buffers_[static_cast<std::size_t>(i)].busy; }
  int width() const { return width_; }
  int height() const { return height_; }

  // A buffer can be drawn in: the newest one if the compositor let it go, else the other.
  bool free() const { return pick() >= 0; }

  // The buffer for the next frame, holding the newest committed frame; null when both are held.
  std::uint32_t* begin() {
    const int i = pick();
    if (i < 0) return nullptr;
    Buffer& b = buffers_[static_cast<std::size_t>(i)];
    if (latest_ >= 0 && i != latest_) {
      const Buffer& newest = buffers_[static_cast<std::size_t>(latest_)];
      if (b.all_stale) {
        std::memcpy(b.pixels, newest.pixels, static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 4);
      } else {
        for (int r = 0; r < b.stale_count; ++r) copy(newest, b, b.stale[static_cast<std::size_t>(r)]);
      }
    }
    b.all_stale = false;
    b.stale_count = 0;
    latest_ = i;
    return b.pixels;
  }
  int current() const { return latest_; }

  // The frame begun is committed with these changed rectangles (null: all of it). damage(r) is
  // called for each, clipped to the buffer. The buffer is held until busy_flag says otherwise.
  template <class Damage>
  void commit(const Rect* rects, int n, Damage&& damage) {
    if (latest_ < 0) return;
    Buffer& b = buffers_[static_cast<std::size_t>(latest_)];
    Buffer& other = buffers_[static_cast<std::size_t>(1 - latest_)];
    if (!rects) {
      damage(Rect{0, 0, width_, height_});
      other.all_stale = true;
    } else {
      for (int k = 0; k < n; ++k) {
        Rect r = rects[k];
        if (!clip(r)) continue;
        damage(r);
        // The other buffer misses this change until it is drawn in next.
        if (other.stale_count < kMaxStale)
          other.stale[static_cast<std::size_t>(other.stale_count++)] = r;
        else
          other.all_stale = true;
      }
    }
    b.busy = true;
  }

 private:
  struct Buffer {
    std::uint32_t* pixels = nullptr;
    bool busy = false;
    bool all_stale = false;
    int stale_count = 0;
    std::array<Rect, kMaxStale> stale{};
  };

  int pick() const {
    if (!buffers_[0].pixels) return -1;
    if (latest_ >= 0 && !buffers_[static_cast<std::size_t>(latest_)].busy) return latest_;
    for (int i = 0; i < 2; ++i)
      if (!buffers_[static_cast<std::size_t>(i)].busy) return i;
    return -1;
  }

  bool clip(Rect& r) const {
    const int x0 = std::max(r.x, 0), y0 = std::max(r.y, 0);
    const int x1 = std::min(r.x + r.width, width_), y1 = std::min(r.y + r.height, height_);
    if (x1 <= x0 || y1 <= y0) return false;
    r = Rect{x0, y0, x1 - x0, y1 - y0};
    return true;
  }

  void copy(const Buffer& from, Buffer& to, const Rect& r) const {
    for (int y = r.y; y < r.y + r.height; ++y) {
      const std::size_t at =
          static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(r.x);
      std::memcpy(to.pixels + at, from.pixels + at, static_cast<std::size_t>(r.width) * 4);
    }
  }

  std::array<Buffer, 2> buffers_{};
  int latest_ = -1;  // the buffer with the newest frame
  int width_ = 0, height_ = 0;
};

}  // namespace wl
