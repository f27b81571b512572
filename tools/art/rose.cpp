// Roses: a bud on a short stem that opens over four frames into a full bloom.
#include <cmath>
#include <numbers>

#include "common.h"
#include "figures.h"

namespace art {

namespace {

// Fills the current path with the gradient (which it then releases) and outlines it.
void fill_and_outline(cairo_t* cr, cairo_pattern_t* g, Col outline, double width) {
  cairo_set_source(cr, g);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(g);
  set(cr, outline);
  cairo_set_line_width(cr, width);
  cairo_stroke(cr);
}

constexpr double kPi = std::numbers::pi;

struct Petals {
  Col base, light, dark;
};

Petals petals_of(RoseColour c) {
  switch (c) {
    case RoseColour::Red: return {{0.82, 0.04, 0.12}, {1.00, 0.40, 0.40}, {0.36, 0.00, 0.05}};
    case RoseColour::Pink: return {{1.00, 0.48, 0.70}, {1.00, 0.84, 0.92}, {0.62, 0.12, 0.36}};
    case RoseColour::White: return {{0.93, 0.92, 0.88}, {1.00, 1.00, 1.00}, {0.55, 0.52, 0.56}};
    case RoseColour::Yellow: return {{1.00, 0.82, 0.10}, {1.00, 0.97, 0.62}, {0.66, 0.40, 0.00}};
  }
  return {};
}

// One petal in a local frame: base at the origin, tip at (0, -l), widest near the top, with a
// little notch in its rim.
void petal_path(cairo_t* cr, double l, double w) {
  cairo_move_to(cr, 0, 0);
  cairo_curve_to(cr, w * 0.62, -l * 0.12, w * 0.66, -l * 0.72, w * 0.34, -l * 0.96);
  cairo_curve_to(cr, w * 0.18, -l * 1.04, w * 0.06, -l * 1.0, 0, -l * 0.94);
  cairo_curve_to(cr, -w * 0.06, -l * 1.0, -w * 0.18, -l * 1.04, -w * 0.34, -l * 0.96);
  cairo_curve_to(cr, -w * 0.66, -l * 0.72, -w * 0.62, -l * 0.12, 0, 0);
  cairo_close_path(cr);
}

// A ring of n petals round (cx, cy), seen a little from the front (flattened by squash).
void petal_ring(cairo_t* cr, const Petals& p, double cx, double cy, int n, double l, double w,
                double start, double squash, double inner, double outer) {
  for (int i = 0; i < n; ++i) {
    const double a = start + i * 2 * kPi / n;
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, 1.0, squash);
    cairo_rotate(cr, a);
    petal_path(cr, l, w);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, -l);
    add_stop(g, 0, mix(p.dark, p.base, inner));
    add_stop(g, 0.6, p.base);
    add_stop(g, 1, mix(p.base, p.light, outer));
    cairo_set_source(cr, g);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(g);
    cairo_restore(cr);
    set(cr, p.dark);
    cairo_set_line_width(cr, 0.9);
    cairo_stroke(cr);
    // The rim curls back a little: a light lip along the top edge.
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, 1.0, squash);
    cairo_rotate(cr, a);
    cairo_move_to(cr, -w * 0.3, -l * 0.9);
    cairo_curve_to(cr, -w * 0.1, -l * 0.84, w * 0.1, -l * 0.84, w * 0.3, -l * 0.9);
    cairo_restore(cr);
    set(cr, p.light, 0.8);
    cairo_set_line_width(cr, 1.1);
    cairo_stroke(cr);
  }
}

// The tightly wound heart of the flower.
void heart(cairo_t* cr, const Petals& p, double cx, double cy, double r) {
  ellipse_path(cr, cx, cy, r, r * 0.85);
  cairo_pattern_t* g = cairo_pattern_create_radial(cx, cy, 0, cx, cy, r);
  add_stop(g, 0, p.dark);
  add_stop(g, 1, p.base);
  fill_and_outline(cr, g, p.dark, 0.9);
  for (int k = 0; k < 3; ++k) {
    const double rr = r * (0.3 + 0.25 * k);
    const double a0 = 0.6 + k * 2.1;
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, rr, a0, a0 + 1.5 * kPi);
  }
  set(cr, shade(p.dark, 0.9));
  cairo_set_line_width(cr, 1.1);
  cairo_stroke(cr);
}

void stem(cairo_t* cr, double top_y) {
  cairo_move_to(cr, 53, 97);
  cairo_curve_to(cr, 56, 84, 47, 70, 50, top_y);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  set(cr, kLeafDark);
  cairo_set_line_width(cr, 4.6);
  cairo_stroke_preserve(cr);
  set(cr, kLeaf);
  cairo_set_line_width(cr, 2.6);
  cairo_stroke(cr);
  // A thorn.
  cairo_move_to(cr, 52.5, 80);
  cairo_line_to(cr, 57, 78);
  cairo_line_to(cr, 53, 76.5);
  cairo_close_path(cr);
  fill_and_outline(cr, kLeaf, kLeafDark, 0.8);
}

// Green sepals under the bloom; open 0 hugs the bud, 1 folds them right back.
void sepals(cairo_t* cr, double cx, double cy, double open, double size) {
  const double spread[3] = {-1, 1, 0};
  for (double s : spread) {
    const double a = -kPi / 2 + s * (0.45 + 1.55 * open);
    const double len = size * (s == 0 ? 0.7 : 1.0);
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, a);
    cairo_move_to(cr, 0, -size * 0.22);
    cairo_curve_to(cr, len * 0.4, -size * 0.3, len * 0.8, -size * 0.08, len, 0);
    cairo_curve_to(cr, len * 0.7, size * 0.12, len * 0.3, size * 0.28, 0, size * 0.22);
    cairo_close_path(cr);
    fill_and_outline(cr, kLeaf, kLeafDark, 0.9);
    cairo_restore(cr);
  }
}

void leaves(cairo_t* cr) {
  leaf(cr, 51, 84, kPi + 0.45, 24, 12);
  leaf(cr, 51, 74, -0.35, 22, 11);
}

// A closed bud seen from the side: a pointed egg wrapped in two overlapping petals.
void bud(cairo_t* cr, const Petals& p, double cx, double base_y, double w, double h, double loosen) {
  const double top = base_y - h;
  if (loosen > 0) {
    // Outer petals peeling away from the bud, behind it.
    for (int side = -1; side <= 1; side += 2) {
      cairo_save(cr);
      cairo_translate(cr, cx + side * w * 0.15, base_y - h * 0.1);
      cairo_rotate(cr, side * 0.55 * loosen);
      petal_path(cr, h * 0.95, w * 0.9);
      cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, -h);
      add_stop(g, 0, p.dark);
      add_stop(g, 1, p.base);
      fill_and_outline(cr, g, p.dark, 1.0);
      cairo_restore(cr);
    }
  }
  cairo_move_to(cr, cx, base_y);
  cairo_curve_to(cr, cx + w * 0.75, base_y - h * 0.05, cx + w * 0.6, top + h * 0.25, cx + w * 0.08, top);
  cairo_curve_to(cr, cx - w * 0.5, top + h * 0.2, cx - w * 0.75, base_y - h * 0.1, cx, base_y);
  cairo_close_path(cr);
  cairo_pattern_t* g = cairo_pattern_create_linear(cx - w / 2, 0, cx + w / 2, 0);
  add_stop(g, 0, p.dark);
  add_stop(g, 0.45, p.base);
  add_stop(g, 0.75, p.light);
  add_stop(g, 1, p.base);
  fill_and_outline(cr, g, p.dark, 1.0);
  // The wrap of the outer petal, and its rim peeling away as the bud loosens.
  cairo_move_to(cr, cx - w * 0.45, base_y - h * 0.15);
  cairo_curve_to(cr, cx - w * 0.2, top + h * 0.55, cx + w * 0.1, top + h * 0.3, cx + w * (0.35 + 0.3 * loosen),
                 top + h * (0.18 - 0.1 * loosen));
  cairo_move_to(cr, cx + w * 0.1, top + h * 0.1);
  cairo_curve_to(cr, cx - w * 0.05, top + h * 0.3, cx - w * 0.2, top + h * 0.35, cx - w * (0.3 + 0.35 * loosen),
                 top + h * (0.3 - 0.15 * loosen));
  set(cr, p.dark);
  cairo_set_line_width(cr, 1.1);
  cairo_stroke(cr);
}

// Half open: a cup seen from a little above, outer petals flaring, the heart showing.
void cup(cairo_t* cr, const Petals& p, double cx, double cy) {
  // Back petals.
  petal_ring(cr, p, cx, cy + 6, 3, 24, 24, -kPi / 2 - 0.75, 0.9, 0.6, 0.5);
  // Open top with the wound heart inside.
  heart(cr, p, cx, cy - 2, 11);
  // Front petals cupping the heart.
  for (int s = -1; s <= 1; s += 2) {
    cairo_move_to(cr, cx, cy + 18);
    cairo_curve_to(cr, cx + s * 22, cy + 14, cx + s * 24, cy - 2, cx + s * 18, cy - 10);
    cairo_curve_to(cr, cx + s * 14, cy - 4, cx + s * 6, cy + 2, cx - s * 4, cy + 2);
    cairo_curve_to(cr, cx - s * 2, cy + 8, cx - s * 1, cy + 14, cx, cy + 18);
    cairo_close_path(cr);
    cairo_pattern_t* g = cairo_pattern_create_linear(cx, cy + 18, cx + s * 10, cy - 8);
    add_stop(g, 0, p.dark);
    add_stop(g, 0.5, p.base);
    add_stop(g, 1, p.light);
    fill_and_outline(cr, g, p.dark, 1.0);
  }
}

}  // namespace

void draw_rose(cairo_t* cr, RoseColour colour, int stage) {
  const Petals p = petals_of(colour);
  cairo_save(cr);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  switch (stage) {
    case 0:
      stem(cr, 60);
      leaves(cr);
      bud(cr, p, 50, 62, 17, 26, 0.0);
      sepals(cr, 50, 62, 0.0, 15);
      break;
    case 1:
      stem(cr, 60);
      leaves(cr);
      bud(cr, p, 50, 63, 22, 31, 0.8);
      sepals(cr, 50, 63, 0.45, 15);
      break;
    case 2:
      stem(cr, 60);
      leaves(cr);
      sepals(cr, 50, 64, 0.9, 14);
      cup(cr, p, 50, 46);
      break;
    default:
      stem(cr, 60);
      leaves(cr);
      // Full bloom: three rings of petals round a wound heart, a little flattened.
      petal_ring(cr, p, 50, 44, 6, 38, 30, 0.26, 0.88, 0.4, 0.8);
      petal_ring(cr, p, 50, 44, 5, 27, 24, 0.0, 0.88, 0.3, 0.6);
      petal_ring(cr, p, 50, 44, 5, 18, 18, 0.6, 0.88, 0.2, 0.4);
      heart(cr, p, 50, 44, 9);
      break;
  }
  cairo_restore(cr);
}

}  // namespace art
