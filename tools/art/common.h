// Small drawing pieces shared by several figures.
#pragma once

#include <cairo.h>

#include "render.h"

namespace art {

inline constexpr Col kLeaf{0.22, 0.58, 0.16};
inline constexpr Col kLeafLight{0.52, 0.84, 0.30};
inline constexpr Col kLeafDark{0.04, 0.24, 0.04};

// A pointed leaf from (x, y) along angle (radians, 0 = right), with its midrib.
void leaf(cairo_t* cr, double x, double y, double angle, double length, double width);

// Fills the current path with c, then outlines it; keeps nothing.
void fill_and_outline(cairo_t* cr, Col c, Col outline, double width);

}  // namespace art
