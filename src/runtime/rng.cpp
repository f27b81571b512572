#include "runtime/rng.h"

#include <cstring>

#include "platform/platform.h"

namespace wumpets {

namespace {

std::uint64_t splitmix(std::uint64_t x) {
  x += 0x9E3779B97F4A7C15ULL;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
  return x ^ (x >> 31);
}

}  // namespace

void Rng::randomize() {
  ++reseeds_;
  std::uint64_t base;
  if (fixed_) {
    base = *fixed_;
  } else {
    double t = plat::timer_seconds();
    std::memcpy(&base, &t, sizeof base);
  }
  state_ = splitmix(base ^ splitmix(reseeds_));
  if (stream_ != 0) state_ = splitmix(state_ ^ splitmix(~stream_));
  if (state_ == 0) state_ = 1;  // xorshift never leaves zero
}

void Rng::seed_exactly(std::uint64_t seed) {
  state_ = splitmix(seed);
  if (state_ == 0) state_ = 1;
}

float Rng::rnd() {
  // xorshift64*; the top 24 bits make a Single in [0, 1) exactly.
  state_ ^= state_ >> 12;
  state_ ^= state_ << 25;
  state_ ^= state_ >> 27;
  std::uint64_t out = state_ * 0x2545F4914F6CDD1DULL;
  return static_cast<float>(out >> 40) * (1.0f / 16777216.0f);
}

}  // namespace wumpets
