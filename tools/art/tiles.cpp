// The background tiles. Every motif is drawn once for each neighbouring copy of the tile as
// well, so whatever crosses an edge comes back in at the opposite edge and the tiles join.
#include <cmath>
#include <functional>
#include <numbers>

#include "common.h"
#include "figures.h"

namespace art {

namespace {

constexpr double kPi = std::numbers::pi;

void wrapped(cairo_t* cr, double w, double h, const std::function<void()>& motif) {
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) {
      cairo_save(cr);
      cairo_translate(cr, dx * w, dy * h);
      motif();
      cairo_restore(cr);
    }
}

void marigold(cairo_t* cr, double x, double y, double r, Col petal) {
  for (int i = 0; i < 10; ++i) {
    const double a = i * 2 * kPi / 10;
    ellipse_path(cr, x + r * 0.6 * std::cos(a), y + r * 0.6 * std::sin(a), r * 0.45, r * 0.45);
  }
  set(cr, petal);
  cairo_fill(cr);
  cairo_arc(cr, x, y, r * 0.45, 0, 2 * kPi);
  set(cr, shade(petal, 0.6));
  cairo_fill(cr);
}

void daisy(cairo_t* cr, double x, double y, double r, int petals, Col petal, Col centre, double turn) {
  for (int i = 0; i < petals; ++i) {
    const double a = turn + i * 2 * kPi / petals;
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, a);
    ellipse_path(cr, r * 0.55, 0, r * 0.48, r * 0.26);
    cairo_restore(cr);
    set(cr, petal);
    cairo_fill_preserve(cr);
    set(cr, shade(petal, 0.55));
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
  }
  cairo_arc(cr, x, y, r * 0.3, 0, 2 * kPi);
  set(cr, centre);
  cairo_fill_preserve(cr);
  set(cr, shade(centre, 0.5));
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);
  cairo_arc(cr, x - r * 0.08, y - r * 0.08, r * 0.1, 0, 2 * kPi);
  set(cr, shade(centre, 1.5));
  cairo_fill(cr);
}

}  // namespace

void draw_skull(cairo_t* cr, double hue) {
  const Col bone = hsv(hue, 0.20, 0.62);
  const Col ink{0.10, 0.05, 0.14};
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  // Cranium and jaw as one shape.
  cairo_move_to(cr, -10, 20);
  cairo_line_to(cr, -10, 12);
  cairo_curve_to(cr, -19, 8, -19, -6, -18, -8);
  cairo_curve_to(cr, -17, -24, 17, -24, 18, -8);
  cairo_curve_to(cr, 19, -6, 19, 8, 10, 12);
  cairo_line_to(cr, 10, 20);
  cairo_curve_to(cr, 4, 23, -4, 23, -10, 20);
  cairo_close_path(cr);
  cairo_pattern_t* g = cairo_pattern_create_radial(-5, -10, 2, 0, 0, 24);
  add_stop(g, 0, shade(bone, 1.25));
  add_stop(g, 1, shade(bone, 0.8));
  cairo_set_source(cr, g);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(g);
  set(cr, ink);
  cairo_set_line_width(cr, 1.4);
  cairo_stroke(cr);
  // Eye sockets with a flower-coloured glow, nose, teeth.
  for (int s = -1; s <= 1; s += 2) {
    ellipse_path(cr, s * 7.5, -3, 5.6, 6.0);
    set(cr, ink);
    cairo_fill(cr);
    cairo_arc(cr, s * 7.5, -3, 2.2, 0, 2 * kPi);
    set(cr, hsv(hue + 160, 0.6, 0.75));
    cairo_fill(cr);
  }
  cairo_move_to(cr, 0, 3);
  cairo_line_to(cr, -3, 9);
  cairo_line_to(cr, 3, 9);
  cairo_close_path(cr);
  set(cr, ink);
  cairo_fill(cr);
  for (int i = -2; i <= 2; ++i) {
    cairo_move_to(cr, i * 3.4, 13);
    cairo_line_to(cr, i * 3.4, 20);
  }
  cairo_move_to(cr, -9, 16);
  cairo_line_to(cr, 9, 16);
  set(cr, ink);
  cairo_set_line_width(cr, 1.1);
  cairo_stroke(cr);
  // Decoration on the brow.
  for (int i = -1; i <= 1; ++i) {
    cairo_arc(cr, i * 5.0, -14 + std::abs(i) * 1.2, 1.6, 0, 2 * kPi);
    set(cr, hsv(hue + 60 * i + 200, 0.55, 0.65));
    cairo_fill(cr);
  }
}

void draw_skulls_tile(cairo_t* cr) {
  const double w = kSkullsW, h = kSkullsH;
  set(cr, {0.11, 0.07, 0.19});
  cairo_paint(cr);
  struct Spot {
    double x, y, hue, tilt;
  };
  // A staggered grid: two columns, four rows, every other one shifted by half a column.
  const Spot skulls[] = {{41, 36, 40, -0.15}, {124, 109, 190, 0.12}, {41, 181, 300, 0.1}, {124, 254, 120, -0.12}};
  const Spot flowers[] = {{124, 36, 30, 0}, {41, 109, 330, 0}, {124, 181, 50, 0}, {41, 254, 10, 0}};
  wrapped(cr, w, h, [&] {
    for (const Spot& s : flowers) {
      marigold(cr, s.x, s.y, 9, hsv(s.hue, 0.75, 0.62));
      for (int i = 0; i < 4; ++i) {
        const double a = kPi / 4 + i * kPi / 2;
        cairo_new_sub_path(cr);
        cairo_arc(cr, s.x + 20 * std::cos(a), s.y + 20 * std::sin(a), 1.8, 0, 2 * kPi);
      }
      set(cr, {0.45, 0.35, 0.60});
      cairo_fill(cr);
    }
    for (const Spot& s : skulls) {
      cairo_save(cr);
      cairo_translate(cr, s.x, s.y);
      cairo_rotate(cr, s.tilt);
      cairo_scale(cr, 1.35, 1.35);
      draw_skull(cr, s.hue);
      cairo_restore(cr);
    }
  });
}

void draw_aztec_tile(cairo_t* cr) {
  const double w = kAztecW, h = kAztecH;
  const Col clay{0.40, 0.17, 0.09};
  const Col turquoise{0.10, 0.55, 0.52};
  const Col gold{0.85, 0.62, 0.18};
  const Col bone{0.86, 0.80, 0.66};
  const Col ink{0.14, 0.05, 0.03};
  set(cr, clay);
  cairo_paint(cr);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
  wrapped(cr, w, h, [&] {
    // Stepped fret at the corners: four tiles meet in a stepped diamond.
    cairo_move_to(cr, 0, -26);
    for (int i = 0; i < 4; ++i) {
      cairo_rel_line_to(cr, 6.5, 0);
      cairo_rel_line_to(cr, 0, 6.5);
    }
    for (int i = 0; i < 4; ++i) {
      cairo_rel_line_to(cr, -6.5, 0);
      cairo_rel_line_to(cr, 0, 6.5);
    }
    for (int i = 0; i < 4; ++i) {
      cairo_rel_line_to(cr, -6.5, 0);
      cairo_rel_line_to(cr, 0, -6.5);
    }
    for (int i = 0; i < 4; ++i) {
      cairo_rel_line_to(cr, 6.5, 0);
      cairo_rel_line_to(cr, 0, -6.5);
    }
    cairo_close_path(cr);
    fill_and_outline(cr, turquoise, ink, 1.5);
    rounded_rect(cr, -7, -7, 14, 14, 2);
    fill_and_outline(cr, gold, ink, 1.5);
    cairo_arc(cr, 0, 0, 3, 0, 2 * kPi);
    set(cr, clay);
    cairo_fill(cr);
    // Gold bands along the edges between the corners.
    for (int k = 0; k < 2; ++k) {
      cairo_save(cr);
      if (k) {
        cairo_translate(cr, 0, 0);
        cairo_rotate(cr, kPi / 2);
      }
      for (int i = 0; i < 3; ++i) {
        const double x = 40 + i * 14;
        cairo_move_to(cr, x - 4, 0);
        cairo_line_to(cr, x, -4);
        cairo_line_to(cr, x + 4, 0);
        cairo_line_to(cr, x, 4);
        cairo_close_path(cr);
      }
      cairo_restore(cr);
      fill_and_outline(cr, gold, ink, 1.0);
    }
  });
  // The skeleton in the middle: a square skull mask over a stepped ribcage.
  cairo_save(cr);
  cairo_translate(cr, 54, 50);
  // Ribs.
  for (int i = 0; i < 3; ++i) {
    const double y = 16 + i * 6.5;
    cairo_move_to(cr, -3, y);
    cairo_line_to(cr, -15 + i * 2, y);
    cairo_line_to(cr, -15 + i * 2, y + 3);
    cairo_line_to(cr, -3, y + 3);
    cairo_move_to(cr, 3, y);
    cairo_line_to(cr, 15 - i * 2, y);
    cairo_line_to(cr, 15 - i * 2, y + 3);
    cairo_line_to(cr, 3, y + 3);
  }
  set(cr, bone);
  cairo_fill_preserve(cr);
  set(cr, ink);
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);
  cairo_rectangle(cr, -2.5, 12, 5, 26);
  fill_and_outline(cr, bone, ink, 1.0);
  // Skull mask.
  cairo_move_to(cr, -14, -14);
  cairo_line_to(cr, -10, -18);
  cairo_line_to(cr, 10, -18);
  cairo_line_to(cr, 14, -14);
  cairo_line_to(cr, 14, 4);
  cairo_line_to(cr, 10, 8);
  cairo_line_to(cr, 10, 13);
  cairo_line_to(cr, -10, 13);
  cairo_line_to(cr, -10, 8);
  cairo_line_to(cr, -14, 4);
  cairo_close_path(cr);
  fill_and_outline(cr, bone, ink, 1.4);
  for (int s = -1; s <= 1; s += 2) {
    cairo_arc(cr, s * 6, -6, 4.5, 0, 2 * kPi);
    fill_and_outline(cr, turquoise, ink, 1.4);
    cairo_arc(cr, s * 6, -6, 1.6, 0, 2 * kPi);
    set(cr, ink);
    cairo_fill(cr);
  }
  cairo_move_to(cr, 0, -1);
  cairo_line_to(cr, -2.5, 3.5);
  cairo_line_to(cr, 2.5, 3.5);
  cairo_close_path(cr);
  set(cr, ink);
  cairo_fill(cr);
  cairo_rectangle(cr, -7, 6.5, 14, 4.5);
  set(cr, bone);
  cairo_fill_preserve(cr);
  set(cr, ink);
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);
  for (int i = -2; i <= 2; ++i) {
    cairo_move_to(cr, i * 2.8, 6.5);
    cairo_line_to(cr, i * 2.8, 11);
  }
  cairo_stroke(cr);
  // Feathered crest.
  for (int i = -2; i <= 2; ++i) {
    cairo_save(cr);
    cairo_translate(cr, i * 5.0, -18);
    cairo_rotate(cr, i * 0.3);
    ellipse_path(cr, 0, -6, 2.4, 6);
    cairo_restore(cr);
    fill_and_outline(cr, i % 2 ? turquoise : gold, ink, 1.0);
  }
  cairo_restore(cr);
}

void draw_flowers_tile(cairo_t* cr) {
  const double w = kFlowersW, h = kFlowersH;
  set(cr, {0.05, 0.20, 0.22});
  cairo_paint(cr);
  wrapped(cr, w, h, [&] {
    // Small leaves and dots in the gaps.
    leaf(cr, 46, 8, -0.4, 11, 6);
    leaf(cr, 50, 48, 2.6, 11, 6);
    for (const auto& [x, y] : {std::pair{90.0, 28.0}, {48.0, 28.0}, {8.0, 52.0}}) {
      cairo_arc(cr, x, y, 2.0, 0, 2 * kPi);
      set(cr, {0.80, 0.55, 0.85});
      cairo_fill(cr);
    }
    daisy(cr, 24, 27, 17, 8, {0.82, 0.42, 0.10}, {0.90, 0.75, 0.18}, 0.2);
    daisy(cr, 72, 13, 11, 6, {0.80, 0.30, 0.54}, {0.90, 0.85, 0.75}, 0.5);
    daisy(cr, 74, 43, 10, 7, {0.82, 0.70, 0.20}, {0.80, 0.35, 0.08}, 0.0);
  });
}

}  // namespace art
