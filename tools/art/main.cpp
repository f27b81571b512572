// Draws the saver's pictures.
//   wumpets-art data DIR        every picture of the data folder
//   wumpets-art resources DIR   the dialog previews and icons
//   wumpets-art gallery FILE    a PNG contact sheet of all of them, with a composed scene
#include <cstdio>
#include <exception>
#include <string>

#include "gallery.h"
#include "pictures.h"
#include "sheets.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s data|resources|gallery PATH\n", argv[0]);
    return 2;
  }
  const std::string what = argv[1], path = argv[2];
  try {
    if (what == "data")
      art::write_data_folder(path);
    else if (what == "resources")
      art::write_resources(path);
    else if (what == "gallery")
      art::write_gallery(path);
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
