// The bitmap check and the loader behind it: no input may crash them, and a picture that loads
// is never larger than the check allows, nor another picture when asked whether it is of one colour.
#include <cstdint>
#include <cstdlib>

#include "platform/common/bmp_check.h"
#include "platform/common/memdc.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  bmp::Info info;
  const bool passes = bmp::check(data, size < bmp::kHeadBytes ? size : bmp::kHeadBytes, size, memdc::pixel_limit(), info);
  wumpets::PixelBuffer img;
  const bool loaded = memdc::decode_bmp(data, size, img);
  if (loaded && !passes) std::abort();  // the loader skipped the check
  if (loaded && (img.width != info.width || img.height != info.height)) std::abort();
  if (static_cast<std::uint64_t>(img.width) * static_cast<std::uint64_t>(img.height) > memdc::pixel_limit())
    std::abort();
  // Asked whether it is one colour, the loader gives the same picture: that colour everywhere,
  // or the picture itself.
  wumpets::PixelBuffer probed;
  plat::Size uniform{};
  if (memdc::decode_bmp(data, size, probed, &uniform) != loaded) std::abort();
  if (loaded && uniform.width > 0) {
    if (uniform.width != img.width || uniform.height != img.height || probed.width != 1 || probed.height != 1) std::abort();
    for (int y = 0; y < img.height; ++y)
      for (int x = 0; x < img.width; ++x)
        if (img.at(x, y) != probed.at(0, 0)) std::abort();
  } else if (loaded) {
    if (probed.width != img.width || probed.height != img.height) std::abort();
    for (int y = 0; y < img.height; ++y)
      for (int x = 0; x < img.width; ++x)
        if (img.at(x, y) != probed.at(x, y)) std::abort();
  }
  return 0;
}
