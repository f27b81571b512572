// The program's own pictures: the settings dialog's sixteen previews and the error dialog's two
// icons.
#pragma once

#include <string>
#include <vector>

#include "image.h"

namespace art {

inline constexpr int kPreviewW = 140, kPreviewH = 131;
inline constexpr int kPreviewCount = 16;
inline constexpr int kIconSize = 75;

struct Picture {
  std::string name;  // file name in the resources folder
  Image image;
};

// pic0.bmp .. pic15.bmp, then icon1.bmp and icon2.bmp.
std::vector<Picture> build_pictures();

void write_resources(const std::string& dir);

}  // namespace art
