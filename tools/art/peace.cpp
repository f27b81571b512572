// The peace sign: a rainbow ring round white strokes, turning once in fifteen frames.
#include <cmath>
#include <numbers>

#include "figures.h"
#include "render.h"

namespace art {

namespace {
constexpr double kPi = std::numbers::pi;
constexpr Col kOutline{0.12, 0.04, 0.20};
constexpr Col kStroke{1.0, 1.0, 0.92};
}  // namespace

void draw_peace(cairo_t* cr, int frame) {
  const double ring = 16.8, band = 4.4, line = 3.6;
  const double inner = ring - band / 2;
  cairo_save(cr);
  cairo_translate(cr, 20.5, 20.5);
  cairo_rotate(cr, 2 * kPi * frame / kPeaceFrames);

  auto strokes = [&] {
    cairo_move_to(cr, 0, -inner);
    cairo_line_to(cr, 0, inner);
    cairo_move_to(cr, 0, 0);
    cairo_line_to(cr, -inner * std::sin(kPi / 4), inner * std::cos(kPi / 4));
    cairo_move_to(cr, 0, 0);
    cairo_line_to(cr, inner * std::sin(kPi / 4), inner * std::cos(kPi / 4));
  };
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);

  // Dark rim round every part, then the colours on top.
  cairo_new_sub_path(cr);
  cairo_arc(cr, 0, 0, ring, 0, 2 * kPi);
  set(cr, kOutline);
  cairo_set_line_width(cr, band + 2.0);
  cairo_stroke(cr);
  strokes();
  cairo_set_line_width(cr, line + 2.0);
  cairo_stroke(cr);

  constexpr int kSegments = 12;
  for (int i = 0; i < kSegments; ++i) {
    const double a0 = 2 * kPi * i / kSegments - kPi / 2;
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, ring, a0 - 0.02, a0 + 2 * kPi / kSegments + 0.02);
    set(cr, hsv(360.0 * i / kSegments, 0.85, 1.0));
    cairo_set_line_width(cr, band);
    cairo_stroke(cr);
  }
  strokes();
  set(cr, kStroke);
  cairo_set_line_width(cr, line);
  cairo_stroke(cr);
  // The top of the vertical stroke is gold, so the turn shows even at a glance.
  cairo_move_to(cr, 0, -inner + 0.5);
  cairo_line_to(cr, 0, -inner * 0.45);
  set(cr, {1.0, 0.78, 0.1});
  cairo_set_line_width(cr, line);
  cairo_stroke(cr);
  cairo_restore(cr);
}

}  // namespace art
