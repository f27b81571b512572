// The program's one random generator. A draw is a Single uniform in [0, 1).
//
// The saver re-seeds from the clock before some draws (each dancer, note and peace sign at
// set-up, each placement, each conga turnaround). Two re-seeds within one clock tick must not
// give two objects the same values, so every re-seed also mixes in a running count. With a fixed
// seed (--seed) every re-seed derives from that seed and the count alone: a run is reproducible.
#pragma once

#include <cstdint>
#include <optional>

namespace wumpets {

class Rng {
 public:
  // A fixed seed makes every later re-seed deterministic; nullopt seeds from the clock.
  void set_fixed_seed(std::optional<std::uint64_t> seed) { fixed_ = seed; }
  void randomize();  // re-seed from the clock (or the fixed seed) and the re-seed count
  float rnd();       // uniform in [0, 1)

  void seed_exactly(std::uint64_t seed);  // for tests: a known sequence
  // Another stream of draws from the same seeds: the scenes of other monitors, set up within
  // the same clock tick as the first, must not draw what it draws. Stream 0 is the first.
  void set_stream(std::uint64_t stream) { stream_ = stream; }

 private:
  std::uint64_t state_ = 0x853c49e6748fea9bULL;
  std::uint64_t reseeds_ = 0;
  std::optional<std::uint64_t> fixed_;
  std::uint64_t stream_ = 0;
};

}  // namespace wumpets
