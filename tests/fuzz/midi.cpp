// The check of a MIDI file before the synthesizer sees it: no input may crash it.
#include <cstdint>
#include <vector>

#include "platform/linux/i_sound.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::uint32_t end = 0;
  linuxplat::music::is_standard_midi(std::vector<std::uint8_t>(data, data + size), &end);
  return 0;
}
