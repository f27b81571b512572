// The program's icon: a dancing Wumpet under a spotlight on a round purple stage, drawn at every
// size the desktops ask for, as PNG files for the freedesktop icon theme and as one Windows
// icon file holding several sizes; and the Windows installer's side picture.
#pragma once

#include <string>
#include <vector>

#include "image.h"

namespace art {

inline constexpr int kAppIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

// The Windows installer's picture beside its first and last pages.
inline constexpr int kInstallerSideW = 164, kInstallerSideH = 314;

// dir/hicolor/NxN/apps/zelkin-wumpets.png for every size above, dir/zelkin-wumpets.ico and
// dir/installer-side.bmp.
void write_app_icons(const std::string& dir);

Image installer_side_picture();

// An .ico file: 32-bit bitmaps with alpha for the small sizes, PNG for 256 (as Windows expects).
std::vector<unsigned char> encode_ico(const std::vector<int>& sizes);

}  // namespace art
