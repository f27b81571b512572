// A fixed array indexed from 0 to N - 1 whose element 0 is left unused by convention.
// Indexing outside the declared range is run-time error 9, as the saver's procedures expect.
#pragma once

#include <array>
#include <cstddef>

#include "runtime/numbers.h"

namespace wumpets {

template <class T, std::size_t N>
struct FixedArray {
  std::array<T, N> items{};

  T& operator()(long i) {
    if (i < 0 || i >= static_cast<long>(N)) raise_error(kSubscript);
    return items[static_cast<std::size_t>(i)];
  }
  const T& operator()(long i) const {
    if (i < 0 || i >= static_cast<long>(N)) raise_error(kSubscript);
    return items[static_cast<std::size_t>(i)];
  }
  static constexpr long upper() { return static_cast<long>(N) - 1; }
};

}  // namespace wumpets
