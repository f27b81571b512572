// Draws the saver's pictures.
//   wumpets-art data DIR        every picture of the data folder
//   wumpets-art resources DIR   the dialog previews and icons
//   wumpets-art icons DIR       the program's icon for the desktops (PNG) and for Windows (.ico)
//   wumpets-art gallery FILE [SCENE.png]
//                               a PNG contact sheet of all of them, with a whole scene: the
//                               saver's own rendered frame when given, else one composed here
#include <cstdio>
#include <exception>
#include <string>

#include "app_icon.h"
#include "gallery.h"
#include "pictures.h"
#include "sheets.h"

int main(int argc, char** argv) {
  if (argc != 3 && !(argc == 4 && std::string(argv[1]) == "gallery")) {
    std::fprintf(stderr, "usage: %s data|resources|icons|gallery PATH\n", argv[0]);
    return 2;
  }
  const std::string what = argv[1], path = argv[2];
  try {
    if (what == "data")
      art::write_data_folder(path);
    else if (what == "resources")
      art::write_resources(path);
    else if (what == "icons")
      art::write_app_icons(path);
    else if (what == "gallery")
      art::write_gallery(path, argc == 4 ? argv[3] : "");
    else {
      std::fprintf(stderr, "unknown output: %s\n", what.c_str());
      return 2;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "wumpets-art: %s\n", e.what());
    return 1;
  }
  return 0;
}
