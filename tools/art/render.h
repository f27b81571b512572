// Drawing with cairo into our 24-bit pictures, and turning a drawn figure into the picture and
// mask pair that the saver draws with AND then OR.
#pragma once

#include <cairo.h>

#include <functional>

#include "image.h"

namespace art {

using DrawFn = std::function<void(cairo_t*)>;

// One animation frame of a transparent sprite. mask: white where the scene shows through,
// black inside the figure. pic: black wherever mask is white, the figure's colours inside.
struct Cel {
  Image pic;
  Image mask;
};

// Draws with antialiasing, then cuts the silhouette hard at half coverage. Inside the figure the
// colours are un-premultiplied so the rim keeps its own colour instead of fading towards black,
// which would show as a dark halo on a light scene.
Cel render_cel(int width, int height, const DrawFn& draw);

// Draws onto an opaque picture that starts out filled with background.
Image render_opaque(int width, int height, Rgb background, const DrawFn& draw);

// Copies between our pictures and cairo image surfaces (ARGB32, opaque).
cairo_surface_t* to_cairo(const Image& image);
Image from_cairo(cairo_surface_t* surface);

// Colours in cairo's 0..1 terms.
struct Col {
  double r = 0, g = 0, b = 0;
};
Col mix(Col a, Col b, double t);
Col shade(Col c, double f);  // f < 1 darker, f > 1 towards white
void set(cairo_t* cr, Col c, double alpha = 1.0);
Col hsv(double h_degrees, double s, double v);
void add_stop(cairo_pattern_t* p, double offset, Col c, double alpha = 1.0);

// Path helpers.
void ellipse_path(cairo_t* cr, double cx, double cy, double rx, double ry);
void rounded_rect(cairo_t* cr, double x, double y, double w, double h, double r);

}  // namespace art
