// Bitmap files for the memory-DC table on POSIX systems: SDL's BMP loader reads every depth and
// compression the format allows; the file's size and modification time identify a version.
#include <SDL.h>
#include <sys/stat.h>

#include "platform/common/memdc.h"

namespace memdc {

bool read_bmp(const std::string& path, wumpets::PixelBuffer& out) {
  SDL_Surface* loaded = SDL_LoadBMP(path.c_str());
  if (!loaded) return false;
  SDL_Surface* rgb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB888, 0);
  SDL_FreeSurface(loaded);
  if (!rgb) return false;
  out = wumpets::PixelBuffer(rgb->w, rgb->h);
  SDL_LockSurface(rgb);
  for (int y = 0; y < rgb->h; ++y) {
    const auto* src = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(rgb->pixels) +
                                                             static_cast<std::size_t>(y) * rgb->pitch);
    std::uint32_t* dst = out.row(y);
    for (int x = 0; x < rgb->w; ++x) dst[x] = src[x] & 0x00FFFFFFu;
  }
  SDL_UnlockSurface(rgb);
  SDL_FreeSurface(rgb);
  return true;
}

std::string file_stamp(const std::string& path) {
  struct stat sb {};
  if (::stat(path.c_str(), &sb) != 0) return "";
  return path + '|' + std::to_string(sb.st_size) + '|' + std::to_string(sb.st_mtim.tv_sec) + '.' +
         std::to_string(sb.st_mtim.tv_nsec);
}

}  // namespace memdc
