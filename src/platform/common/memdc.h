// Memory DCs and bitmaps for the back ends that keep their own pixels (Linux and headless).
// Handles index one table; a DC keeps its selected bitmap alive after the bitmap's own handle is
// deleted, as GDI does. Bitmap files are read with SDL's BMP loader (every depth and compression
// the format allows) and held as 32-bit pixels.
#pragma once

#include <memory>
#include <string>

#include "gfx/pixels.h"
#include "platform/platform.h"

namespace memdc {

plat::Handle create_dc();
plat::Handle load_bitmap(const std::string& path);
void select_bitmap(plat::Handle dc, plat::Handle bitmap);
void delete_bitmap(plat::Handle bitmap);
int delete_dc(plat::Handle dc);
void bitblt(plat::Handle dst, int x, int y, int w, int h, plat::Handle src, int sx, int sy, std::uint32_t rop);
plat::Size dc_size(plat::Handle dc);
void grow_dc(plat::Handle dc, int w, int h);

// A DC drawing into an image the back end owns (a window's persistent image).
plat::Handle create_dc_on(std::shared_ptr<wumpets::PixelBuffer> image);
// The pixels a DC draws into; null for no DC or no bitmap.
wumpets::PixelBuffer* pixels(plat::Handle dc);
// How many DCs and bitmaps are alive (for tests of the shutdown).
int live_dcs();
void reset();  // forgets every handle (tests)

// Reads a bitmap file into 32-bit pixels; false when it cannot be read.
bool read_bmp(const std::string& path, wumpets::PixelBuffer& out);

}  // namespace memdc
