// Files for the headless back end when the tests are built for Windows: bitmap files for the
// memory-DC table, read with LoadImageA (the settings file is w_profile_file.cpp, which the
// program uses too). The Windows program itself has its own DIB sections.
#include <algorithm>

#include "platform/common/memdc.h"
#include "platform/win32/w_dib.h"
#include "platform/win32/w_text.h"

namespace memdc {

// Gives the whole picture even when it is of one colour (the tests run on it need no more).
bool read_bmp(const std::string& path, wumpets::PixelBuffer& out, plat::Size* /*uniform*/) {
  std::shared_ptr<win32::Dib> dib = win32::read_bitmap_file(path);
  if (!dib) return false;
  out = wumpets::PixelBuffer(dib->pixels.width, dib->pixels.height);
  for (int y = 0; y < out.height; ++y)
    std::copy(dib->pixels.row(y), dib->pixels.row(y) + out.width, out.row(y));
  return true;
}

std::string file_stamp(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA a{};
  if (!GetFileAttributesExW(win32::wide_path(path).c_str(), GetFileExInfoStandard, &a)) return "";
  return path + '|' + std::to_string(a.nFileSizeLow) + '|' + std::to_string(a.ftLastWriteTime.dwHighDateTime) + '.' +
         std::to_string(a.ftLastWriteTime.dwLowDateTime);
}

}  // namespace memdc
