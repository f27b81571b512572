// The program's icon on its own windows (the saver's and the dialogs'), for task bars and
// window switchers: the pictures drawn for the desktop's icon theme, beside the program in a
// build or in the installed icon theme.
#include <SDL.h>
#include <png.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/linux/i_video.h"
#include "platform/linux/linux_platform.h"

namespace linuxplat {

namespace {

// A square RGBA picture of the given size; false when the file is missing, broken or another
// size.
bool read_icon(const std::string& path, int size, std::vector<unsigned char>& rgba) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  if (image.width != static_cast<png_uint_32>(size) || image.height != static_cast<png_uint_32>(size)) {
    png_image_free(&image);
    return false;
  }
  image.format = PNG_FORMAT_RGBA;
  rgba.assign(PNG_IMAGE_SIZE(image), 0);
  if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) {
    png_image_free(&image);
    return false;
  }
  return true;
}

}  // namespace

const std::vector<IconPicture>& app_icons() {
  static const std::vector<IconPicture> icons = [] {
    const std::string here = program_dir();
    const std::string themes[] = {here + "/icons/hicolor/", here + "/../share/icons/hicolor/",
                                  WUMPETS_SHARE_DIR "/../icons/hicolor/"};
    std::vector<IconPicture> found;
    for (const std::string& theme : themes) {
      for (int size : {16, 32, 48, 64, 128}) {
        const std::string n = std::to_string(size);
        IconPicture icon;
        icon.size = size;
        if (read_icon(theme + n + "x" + n + "/apps/zelkin-wumpets.png", size, icon.rgba)) found.push_back(std::move(icon));
      }
      if (!found.empty()) break;
    }
    return found;
  }();
  return icons;
}

}  // namespace linuxplat

namespace linuxvideo {

void give_identity(SDL_Window* window) {
  // The class the dialogs carry too (FLTK makes it of their "zelkin-wumpets"), which the menu
  // entry's StartupWMClass names: a task bar groups the windows under the entry's icon.
  x_set_class(window, "zelkin-wumpets", "Zelkin-wumpets");
  // SDL takes one picture: the largest up to 64 pixels, what task bars scale down from.
  const linuxplat::IconPicture* best = nullptr;
  for (const linuxplat::IconPicture& icon : linuxplat::app_icons())
    if (icon.size <= 64) best = &icon;
  if (!window || !best) return;
  // SDL_PIXELFORMAT_RGBA32: R, G, B, A bytes in memory, whatever the byte order.
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<unsigned char*>(best->rgba.data()), best->size,
                                                      best->size, 32, best->size * 4, SDL_PIXELFORMAT_RGBA32);
  if (!s) return;
  SDL_SetWindowIcon(window, s);
  SDL_FreeSurface(s);
}

}  // namespace linuxvideo
