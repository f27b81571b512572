// Memory DCs and bitmaps for the back ends that keep their own pixels (Linux and headless).
// Handles index one table; a DC keeps its selected bitmap alive after the bitmap's own handle is
// deleted, as GDI does. Bitmaps are held as 32-bit pixels; reading a file is the back end's
// part (read_bmp and file_stamp below).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/common/pixels.h"
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
void fill_tiled(plat::Handle dc, int w, int h, plat::Handle tile, int tw, int th);

// Draws what the table holds back (a sprite's mask waiting for its picture): a back end calls
// it before it shows or reads a window's image itself.
void settle();
// A DC drawing into an image the back end owns (a window's persistent image).
plat::Handle create_dc_on(std::shared_ptr<wumpets::PixelBuffer> image);
// The pixels a DC draws into; null for no DC or no bitmap.
wumpets::PixelBuffer* pixels(plat::Handle dc);
// How many DCs and bitmaps are alive (for tests of the shutdown).
int live_dcs();
void reset();  // forgets every handle (tests)
// Drops the copy of the last file decoded, which only spares decoding a file loaded twice in a
// row (the saver's set-up); a back end calls it once set-up is over, so that no screen-sized
// copy stays for the rest of the run.
void forget_decoded();

// The screen the pictures are for: no file may hold a picture larger than a small multiple of
// it (bmp::pixel_limit). The back end says so as soon as it knows its screen.
void set_screen_size(int width, int height);
std::uint64_t pixel_limit();

// Supplied by the back end that links this table (platform/posix/bmp_file.cpp for Linux and
// headless): reads a bitmap file into 32-bit pixels, false when it cannot be read or fails the
// bitmap check (std::bad_alloc when memory runs out); the same for a file's bytes in memory; and
// a text that changes whenever the file does (empty when there is no file), so that a file
// loaded twice in a row is decoded once.
// With `uniform`, a picture of one colour comes back as a 1 x 1 picture and *uniform holds its
// size, so that a screen-sized picture of one colour is never made out.
bool read_bmp(const std::string& path, wumpets::PixelBuffer& out, plat::Size* uniform = nullptr);
bool decode_bmp(const unsigned char* data, std::size_t size, wumpets::PixelBuffer& out, plat::Size* uniform = nullptr);
std::string file_stamp(const std::string& path);

}  // namespace memdc
