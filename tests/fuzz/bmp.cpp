// The bitmap check and the loader behind it: no input may crash them, and a picture that loads
// is never larger than the check allows.
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
  return 0;
}
