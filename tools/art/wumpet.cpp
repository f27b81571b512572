// The Wumpets: round fuzzy dancers with big eyes, white gloves and sneakers.
#include <cmath>
#include <numbers>

#include "figures.h"
#include "render.h"

namespace art {

namespace {

constexpr double kPi = std::numbers::pi;

struct Fur {
  Col base, light, dark;
};

// Blue, green, pink, orange, purple: far apart in hue so they can be told apart at a glance.
constexpr Fur kFur[kDancerColours] = {
    {{0.20, 0.48, 1.00}, {0.62, 0.82, 1.00}, {0.04, 0.14, 0.46}},
    {{0.22, 0.78, 0.20}, {0.72, 1.00, 0.55}, {0.03, 0.32, 0.06}},
    {{1.00, 0.42, 0.72}, {1.00, 0.80, 0.92}, {0.52, 0.06, 0.32}},
    {{1.00, 0.55, 0.08}, {1.00, 0.86, 0.48}, {0.52, 0.22, 0.00}},
    {{0.60, 0.30, 0.96}, {0.86, 0.72, 1.00}, {0.27, 0.06, 0.50}},
};

constexpr Col kGlove{1.0, 1.0, 1.0};
constexpr Col kInk{0.10, 0.08, 0.12};

// A closed fuzzy outline: tufts all round a circle of radius r.
void fur_path(cairo_t* cr, double cx, double cy, double r, int tufts, double depth) {
  const double step = 2 * kPi / tufts;
  cairo_new_sub_path(cr);
  cairo_move_to(cr, cx + (r - depth) * std::cos(0.0), cy + (r - depth) * std::sin(0.0));
  for (int i = 0; i < tufts; ++i) {
    const double a0 = i * step, a1 = a0 + step;
    // Each tuft leans a little, like combed fur.
    const double tip = a0 + step * 0.65;
    cairo_curve_to(cr, cx + (r + depth * 0.2) * std::cos(a0 + step * 0.15),
                   cy + (r + depth * 0.2) * std::sin(a0 + step * 0.15),
                   cx + (r + depth) * std::cos(tip - step * 0.1),
                   cy + (r + depth) * std::sin(tip - step * 0.1), cx + (r + depth) * std::cos(tip),
                   cy + (r + depth) * std::sin(tip));
    cairo_curve_to(cr, cx + r * std::cos(tip + step * 0.1), cy + r * std::sin(tip + step * 0.1),
                   cx + (r - depth * 0.5) * std::cos(a1), cy + (r - depth * 0.5) * std::sin(a1),
                   cx + (r - depth) * std::cos(a1), cy + (r - depth) * std::sin(a1));
  }
  cairo_close_path(cr);
}

void limb(cairo_t* cr, double x0, double y0, double xm, double ym, double x1, double y1, double w,
          Col c, Col outline) {
  cairo_move_to(cr, x0, y0);
  cairo_curve_to(cr, xm, ym, xm, ym, x1, y1);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  set(cr, outline);
  cairo_set_line_width(cr, w + 2.0);
  cairo_stroke_preserve(cr);
  set(cr, c);
  cairo_set_line_width(cr, w);
  cairo_stroke(cr);
}

void glove(cairo_t* cr, double x, double y, double r, double angle) {
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_rotate(cr, angle);
  // Outline first, fill over it: palm and thumb read as one mitten.
  ellipse_path(cr, 0, 0, r, r * 0.9);
  ellipse_path(cr, -r * 0.2, -r * 0.8, r * 0.38, r * 0.5);
  set(cr, kInk);
  cairo_set_line_width(cr, 2.2);
  cairo_stroke_preserve(cr);
  set(cr, kGlove);
  cairo_fill(cr);
  cairo_restore(cr);
}

void sneaker(cairo_t* cr, double x, double y, double tilt, const Fur& fur) {
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_rotate(cr, tilt);
  // Upper, toe pointing the way the dancer faces.
  cairo_move_to(cr, -8, 1);
  cairo_curve_to(cr, -9, -6, -2, -7, 2, -5);
  cairo_curve_to(cr, 8, -4, 11, -1, 11, 2);
  cairo_line_to(cr, -8, 2);
  cairo_close_path(cr);
  set(cr, fur.dark);
  cairo_fill_preserve(cr);
  set(cr, kInk);
  cairo_set_line_width(cr, 1.1);
  cairo_stroke(cr);
  // Sole.
  rounded_rect(cr, -9, 1, 21, 3.6, 1.6);
  set(cr, kGlove);
  cairo_fill_preserve(cr);
  set(cr, kInk);
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);
  // A lace stripe.
  cairo_move_to(cr, -1, -5);
  cairo_line_to(cr, 3, 0);
  set(cr, kGlove);
  cairo_set_line_width(cr, 1.4);
  cairo_stroke(cr);
  cairo_restore(cr);
}

void eye(cairo_t* cr, double x, double y, double rx, double ry, double look, Mood mood,
         bool raised) {
  ellipse_path(cr, x, y, rx, ry);
  set(cr, {1, 1, 1});
  cairo_fill_preserve(cr);
  set(cr, kInk);
  cairo_set_line_width(cr, 1.3);
  cairo_stroke(cr);
  const double px = x + look, py = y + (mood == Mood::Puzzled ? -1.5 : 1.0);
  ellipse_path(cr, px, py, rx * 0.55, ry * 0.55);
  set(cr, kInk);
  cairo_fill(cr);
  ellipse_path(cr, px + rx * 0.18, py - ry * 0.22, rx * 0.2, ry * 0.18);
  set(cr, {1, 1, 1});
  cairo_fill(cr);
  if (mood == Mood::Puzzled) {
    const double lift = raised ? 5.0 : 1.5;
    cairo_move_to(cr, x - rx, y - ry - lift + (raised ? 1.5 : -1.0));
    cairo_curve_to(cr, x - rx * 0.3, y - ry - lift - 1.5, x + rx * 0.3, y - ry - lift - 1.5, x + rx,
                   y - ry - lift + (raised ? 0.0 : 1.5));
    cairo_set_line_width(cr, 2.0);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    set(cr, kInk);
    cairo_stroke(cr);
  }
}

}  // namespace

void draw_wumpet(cairo_t* cr, int colour, int frame, Mood mood) {
  const Fur& fur = kFur[(colour - 1 + kDancerColours) % kDancerColours];
  const double th = 2 * kPi * frame / kDancerFrames;
  const double bob = 5.0 * (0.5 - 0.5 * std::cos(2 * th));  // up on every step, two a cycle
  const double squash = 1.0 - bob / 5.0;                     // flattest when both feet are down
  const double sway = 0.12 * std::sin(th);
  const double r = 27.0;
  const double cx = 55.0, cy = 52.0 - bob;
  const double ground = 94.0;

  cairo_save(cr);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);

  // Legs and sneakers: the feet take turns, each lifting and swinging forward, then pushing back.
  struct Foot {
    double x, y, tilt;
  };
  Foot feet[2];
  for (int k = 0; k < 2; ++k) {
    const double ph = th + k * kPi;
    const double lift = std::max(0.0, std::sin(ph)) * 8.0;
    const double swing = -5.5 * std::cos(ph);
    feet[k] = {cx - 9.0 + 17.0 * k + swing - 3.0, ground - lift, -0.25 * std::max(0.0, std::sin(ph))};
  }
  for (int k = 0; k < 2; ++k) {
    const double hx = cx - 7.0 + 13.0 * k, hy = cy + r * 0.7;
    limb(cr, hx, hy, (hx + feet[k].x) / 2 - 2.0, (hy + feet[k].y) / 2, feet[k].x, feet[k].y - 4.0, 4.2,
         fur.dark, kInk);
  }
  for (int k = 0; k < 2; ++k) sneaker(cr, feet[k].x, feet[k].y - 2.0, feet[k].tilt, fur);

  // The body rocks from side to side and squashes on the beat.
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_rotate(cr, sway);
  cairo_scale(cr, 1.0 + 0.05 * squash, 1.0 - 0.05 * squash);

  // Arms wave in turn: one up while the other is down; the far arm is drawn behind the body.
  const double wave = std::cos(th);
  auto arm = [&](double side, double raise) {
    const double sx = side * (r - 3.0), sy = 4.0;
    const double ang = -0.35 - 0.95 * raise;  // radians above the horizontal
    const double len = 21.0;
    const double ex = sx + side * len * std::cos(ang), ey = sy + len * std::sin(ang);
    const double mx = sx + side * len * 0.55 * std::cos(ang + 0.5), my = sy + len * 0.55 * std::sin(ang + 0.5);
    limb(cr, sx, sy, mx, my, ex, ey, 4.0, fur.base, fur.dark);
    glove(cr, ex, ey, 5.0, side > 0 ? ang : kPi - ang);
  };
  arm(-1.0, -wave);

  // Fur: a darker rim, a lighter belly and a few combed strands.
  fur_path(cr, 0, 0, r, 30, 2.4);
  cairo_pattern_t* g = cairo_pattern_create_radial(-8, -10, 2, 0, 0, r + 3);
  add_stop(g, 0.0, fur.light);
  add_stop(g, 0.55, fur.base);
  add_stop(g, 1.0, shade(fur.base, 0.7));
  cairo_set_source(cr, g);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(g);
  set(cr, fur.dark);
  cairo_set_line_width(cr, 1.6);
  cairo_stroke(cr);
  for (int i = 0; i < 9; ++i) {
    const double a = 0.6 + i * 0.62;
    const double rr = r * (0.55 + 0.3 * ((i * 7) % 5) / 4.0);
    cairo_move_to(cr, rr * std::cos(a), rr * std::sin(a));
    cairo_rel_line_to(cr, 3.0 * std::cos(a + 0.6), 3.0 * std::sin(a + 0.6));
  }
  set(cr, shade(fur.base, 0.72));
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);

  // A curl of hair on top.
  for (int i = -1; i <= 1; ++i) {
    cairo_move_to(cr, i * 3.0, -r + 2.0);
    cairo_curve_to(cr, i * 5.0 - 2.0, -r - 6.0, i * 7.0 + 5.0, -r - 10.0, i * 7.0 + 7.0, -r - 6.0);
  }
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  set(cr, fur.dark);
  cairo_set_line_width(cr, 3.4);
  cairo_stroke_preserve(cr);
  set(cr, fur.base);
  cairo_set_line_width(cr, 1.6);
  cairo_stroke(cr);

  // Face, looking the way it dances.
  const double look = mood == Mood::Puzzled ? 0.0 : 2.6;
  const double fx = mood == Mood::Puzzled ? -3.0 : 5.0;
  eye(cr, fx - 6.5, -7.0, 7.2, 9.6, look, mood, false);
  eye(cr, fx + 9.0, -7.0, 6.6, 9.0, look, mood, true);
  // Rosy cheeks.
  ellipse_path(cr, fx - 9.5, 6.0, 3.6, 2.2);
  ellipse_path(cr, fx + 14.0, 6.0, 3.2, 2.0);
  set(cr, {1.0, 0.45, 0.55}, 0.55);
  cairo_fill(cr);
  if (mood == Mood::Dancing) {
    // A wide open grin that opens and closes to the beat.
    const double open = 3.5 + 2.0 * squash;
    cairo_move_to(cr, fx - 5.0, 5.5);
    cairo_curve_to(cr, fx - 3.0, 6.5 + open * 1.6, fx + 7.0, 6.5 + open * 1.6, fx + 9.0, 5.5);
    cairo_curve_to(cr, fx + 5.0, 7.0, fx - 1.0, 7.0, fx - 5.0, 5.5);
    cairo_close_path(cr);
    set(cr, {0.45, 0.02, 0.08});
    cairo_fill_preserve(cr);
    set(cr, kInk);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    ellipse_path(cr, fx + 2.0, 6.5 + open * 1.05, 3.0, 1.3);
    set(cr, {1.0, 0.45, 0.5});
    cairo_fill(cr);
  } else {
    // A wobbly, unsure mouth.
    cairo_move_to(cr, fx - 4.0, 9.0);
    cairo_curve_to(cr, fx - 1.0, 6.5, fx + 2.0, 11.5, fx + 5.0, 8.5);
    cairo_curve_to(cr, fx + 6.5, 7.5, fx + 7.5, 8.0, fx + 8.0, 9.0);
    cairo_set_line_width(cr, 1.8);
    set(cr, kInk);
    cairo_stroke(cr);
  }

  arm(1.0, wave);
  cairo_restore(cr);
  cairo_restore(cr);
}

}  // namespace art
