// The check of a MIDI file before the synthesizer sees it, and its length by the tempo map: no
// input may crash it, and a file it takes lasts a finite, non-negative time.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/linux/i_sound.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::uint32_t end = 0;
  double seconds = 0;
  if (linuxplat::music::is_standard_midi(std::vector<std::uint8_t>(data, data + size), &end, &seconds) &&
      (!std::isfinite(seconds) || seconds < 0))
    std::abort();
  return 0;
}
