// DIB sections: 32-bit top-down bitmaps whose pixels the core's blit reads and writes directly,
// and bitmap files of any depth read into them. Used by the back end's memory DCs and windows,
// and by the file part the headless back end uses when the tests are built for Windows.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <memory>
#include <string>

#include "platform/common/pixels.h"

namespace win32 {

// A 32-bit top-down DIB section and the core's view of its pixels. Shared by the DC that
// selected it and by its own handle, as GDI keeps a selected bitmap alive.
struct Dib {
  HBITMAP bitmap = nullptr;
  wumpets::PixelBuffer pixels;  // borrows the section's bits
  Dib() = default;
  Dib(const Dib&) = delete;
  Dib& operator=(const Dib&) = delete;
  ~Dib();
};
std::shared_ptr<Dib> make_dib(int width, int height);  // black; null when GDI refuses

// A bitmap file of any depth, as a 32-bit DIB section of the file's own size; null when
// LoadImageA cannot read it.
std::shared_ptr<Dib> read_bitmap_file(const std::string& path);

}  // namespace win32
