// The data folder's pictures: sprite sheets, masks, background tiles and the back buffer.
#pragma once

#include <string>
#include <vector>

#include "image.h"

namespace art {

// How the frames lie on a sheet, for the gallery's labels.
enum class Layout {
  DirectionRows,    // row 0 moving right, row 1 the same mirrored, moving left
  PictureOverMask,  // row 0 pictures, row 1 their masks
  SingleRow,        // one row of frames
  Tile,             // a background tile, no frames
};

struct Sheet {
  std::string name;  // file name in the data folder
  Image image;
  int frame_w = 0, frame_h = 0, frames = 0;
  Layout layout = Layout::Tile;
};

std::vector<Sheet> build_sheets();

// The back buffer's file: its size is the largest screen the buffer covers as it stands.
inline constexpr int kBufferW = 1920, kBufferH = 1080;
inline const char* const kBufferName = "d_buffer.bmp";

// Writes every sheet and the back buffer into dir.
void write_data_folder(const std::string& dir);

}  // namespace art
