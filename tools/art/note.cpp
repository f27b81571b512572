// Musical notes: an eighth note that rocks and hops. Two sets, each in two looks; all four share
// one outline per frame, so one mask serves them all.
#include <cmath>
#include <numbers>

#include "figures.h"
#include "render.h"

namespace art {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr Col kOutline{0.08, 0.04, 0.10};

struct Look {
  Col base, light;
  bool striped;
  Col stripe;
};

Look look_of(int set, int look) {
  if (set == 1)
    return look == 1 ? Look{{0.92, 0.10, 0.18}, {1.0, 0.60, 0.60}, false, {}}
                     : Look{{1.00, 0.74, 0.05}, {1.0, 0.97, 0.60}, false, {}};
  return look == 1 ? Look{{0.10, 0.62, 1.00}, {0.70, 0.92, 1.0}, true, {1.0, 1.0, 1.0}}
                   : Look{{0.30, 0.88, 0.22}, {0.85, 1.0, 0.60}, true, {1.0, 0.98, 0.50}};
}

void note_path(cairo_t* cr) {
  // Head.
  cairo_save(cr);
  cairo_translate(cr, 8.5, 40.0);
  cairo_rotate(cr, -0.38);
  cairo_scale(cr, 6.6, 4.8);
  cairo_new_sub_path(cr);
  cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
  cairo_restore(cr);
  // Stem.
  cairo_new_sub_path(cr);
  cairo_rectangle(cr, 13.0, 9.0, 2.6, 30.0);
  // Flag.
  cairo_new_sub_path(cr);
  cairo_move_to(cr, 13.0, 8.0);
  cairo_line_to(cr, 15.6, 8.0);
  cairo_curve_to(cr, 16.5, 13.0, 22.5, 15.0, 21.5, 24.0);
  cairo_curve_to(cr, 21.0, 27.0, 19.5, 29.0, 18.5, 30.0);
  cairo_curve_to(cr, 19.8, 26.0, 19.5, 20.0, 15.6, 18.0);
  cairo_line_to(cr, 15.6, 20.0);
  cairo_line_to(cr, 13.0, 20.0);
  cairo_close_path(cr);
}

}  // namespace

void draw_note(cairo_t* cr, int set_no, int look_no, int frame) {
  const Look lk = look_of(set_no, look_no);
  // The rock and the hop are out of step, so no two of the ten frames are mirror images in time
  // and every frame differs from the next.
  const double a = 2 * kPi * (frame + 0.25) / kNoteFrames;
  const double rock = 0.12 * std::sin(a);
  const double hop = 2.5 * (1 - std::cos(2 * a + 0.9)) / 2;
  cairo_save(cr);
  // Rock about the head and hop twice a cycle, kept clear of the frame's edges.
  cairo_translate(cr, 10.0, 40.5 - hop);
  cairo_rotate(cr, rock);
  cairo_scale(cr, 0.92, 0.95);
  cairo_translate(cr, -8.5, -40.0);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);

  note_path(cr);
  set(cr, kOutline);
  cairo_set_line_width(cr, 2.0);
  cairo_stroke_preserve(cr);
  cairo_pattern_t* g = cairo_pattern_create_linear(4, 0, 22, 0);
  add_stop(g, 0, lk.light);
  add_stop(g, 0.45, lk.base);
  add_stop(g, 1, shade(lk.base, 0.7));
  cairo_set_source(cr, g);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(g);
  if (lk.striped) {
    cairo_save(cr);
    cairo_clip(cr);
    for (double y = -10; y < 60; y += 6.0) {
      cairo_move_to(cr, 0, y);
      cairo_line_to(cr, 26, y - 9);
    }
    set(cr, lk.stripe, 0.85);
    cairo_set_line_width(cr, 2.0);
    cairo_stroke(cr);
    cairo_restore(cr);
  } else {
    cairo_new_path(cr);
  }
  // Shine on the head.
  ellipse_path(cr, 6.5, 38.5, 2.2, 1.3);
  set(cr, {1, 1, 1}, 0.85);
  cairo_fill(cr);
  cairo_restore(cr);
}

}  // namespace art
