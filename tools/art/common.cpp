#include "common.h"

namespace art {

void leaf(cairo_t* cr, double x, double y, double angle, double length, double width) {
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_rotate(cr, angle);
  const double l = length, w = width / 2;
  cairo_move_to(cr, 0, 0);
  cairo_curve_to(cr, l * 0.25, -w * 1.3, l * 0.7, -w * 1.1, l, 0);
  cairo_curve_to(cr, l * 0.7, w * 1.1, l * 0.25, w * 1.3, 0, 0);
  cairo_close_path(cr);
  cairo_pattern_t* g = cairo_pattern_create_linear(0, -w, 0, w);
  add_stop(g, 0, kLeafLight);
  add_stop(g, 0.55, kLeaf);
  add_stop(g, 1, shade(kLeaf, 0.7));
  cairo_set_source(cr, g);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(g);
  set(cr, kLeafDark);
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);
  cairo_move_to(cr, l * 0.08, 0);
  cairo_curve_to(cr, l * 0.4, -w * 0.15, l * 0.7, -w * 0.1, l * 0.9, 0);
  cairo_set_line_width(cr, 0.8);
  cairo_stroke(cr);
  cairo_restore(cr);
}

void fill_and_outline(cairo_t* cr, Col c, Col outline, double width) {
  set(cr, c);
  cairo_fill_preserve(cr);
  set(cr, outline);
  cairo_set_line_width(cr, width);
  cairo_stroke(cr);
}

}  // namespace art
