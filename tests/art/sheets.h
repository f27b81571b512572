// The sprite sheets and how their frames pair pictures with masks.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "bitmap.h"

enum Edge : unsigned { kTop = 1, kBottom = 2, kLeft = 4, kRight = 8 };

struct SheetCase {
  const char* picture;
  const char* mask;  // the mask's file; the picture's own file when masks lie under the pictures
  int fw, fh, frames;
  bool masks_below;   // row 0 pictures, row 1 masks; otherwise the mask sheet matches row for row
  int picture_rows;   // rows of pictures (the dancers have one per direction)
  unsigned may_touch; // frame edges the figure may reach (the disco ball hangs from the top)
  bool loops;         // the frames form an endless cycle
};

extern const std::vector<SheetCase> kSheets;

struct Frame {
  int row, index;
  Bitmap pic, mask;
};

// Every frame of a sheet with its mask. Files are loaded once and kept.
std::vector<Frame> frames_of(const SheetCase& c);

// The mean colour of a sheet's figure (where its mask is black) in the picture row, over every
// frame or only the one given.
Px figure_colour(const SheetCase& c, int only_frame = -1);
const Bitmap& loaded(const std::string& name);

const SheetCase& sheet_case(const std::string& picture);
int figure_area(const Bitmap& mask);
std::string case_name(const SheetCase& c);
// Test names and messages show the file, not the bytes of the case.
inline void PrintTo(const SheetCase& c, std::ostream* os) { *os << c.picture; }
