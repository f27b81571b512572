// The lava lamp: wax rising and falling in glowing liquid, on a metal base under a metal cap.
#include <cmath>
#include <numbers>

#include "common.h"
#include "figures.h"

namespace art {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kCx = 25.5;

constexpr Col kMetal{0.72, 0.74, 0.80};
constexpr Col kMetalLight{0.97, 0.98, 1.00};
constexpr Col kMetalDark{0.25, 0.26, 0.32};
constexpr Col kLiquidTop{0.30, 0.04, 0.42};
constexpr Col kLiquidBottom{0.78, 0.10, 0.46};
constexpr Col kWax{1.00, 0.50, 0.06};
constexpr Col kWaxLight{1.00, 0.90, 0.35};
constexpr Col kOutline{0.10, 0.06, 0.14};

// The glass: narrow under the cap, swelling towards the base.
void glass_path(cairo_t* cr, double inset) {
  const double top = 22 + inset, bottom = 86 - inset;
  cairo_move_to(cr, kCx - 8.5 + inset, top);
  cairo_curve_to(cr, kCx - 12 + inset, 45, kCx - 19 + inset, 66, kCx - 16 + inset, bottom);
  cairo_line_to(cr, kCx + 16 - inset, bottom);
  cairo_curve_to(cr, kCx + 19 - inset, 66, kCx + 12 - inset, 45, kCx + 8.5 - inset, top);
  cairo_close_path(cr);
}

void metal_fill(cairo_t* cr, double left, double right) {
  cairo_pattern_t* g = cairo_pattern_create_linear(left, 0, right, 0);
  add_stop(g, 0, kMetalDark);
  add_stop(g, 0.3, kMetalLight);
  add_stop(g, 0.55, kMetal);
  add_stop(g, 1, kMetalDark);
  cairo_set_source(cr, g);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(g);
  set(cr, kOutline);
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);
}

struct Blob {
  double r, y_mid, travel, phase, cycles, sway;
};

// Every blob goes round a whole number of times in twenty frames, so frame 19 leads into frame 0
// exactly like any other step.
constexpr Blob kBlobs[] = {
    {6.5, 56, 18, 0.00, 1, 2.5},
    {4.6, 58, 22, 0.50, 1, -3.0},
    {3.4, 50, 12, 0.20, 2, 2.0},
    {5.0, 62, 16, 0.72, 1, -2.0},
};

}  // namespace

void draw_lavalamp(cairo_t* cr, int frame) {
  const double t = static_cast<double>(frame) / kLampFrames;
  cairo_save(cr);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);

  // Liquid.
  glass_path(cr, 0);
  cairo_pattern_t* liquid = cairo_pattern_create_linear(0, 22, 0, 86);
  add_stop(liquid, 0, kLiquidTop);
  add_stop(liquid, 1, kLiquidBottom);
  cairo_set_source(cr, liquid);
  cairo_fill(cr);
  cairo_pattern_destroy(liquid);

  // Wax: the blobs and the pool on the bottom, merged into one shape, then lit from within.
  cairo_save(cr);
  glass_path(cr, 1.0);
  cairo_clip(cr);
  cairo_push_group(cr);
  set(cr, {1, 1, 1});
  ellipse_path(cr, kCx, 86, 17, 6);
  cairo_fill(cr);
  for (const Blob& b : kBlobs) {
    const double a = 2 * kPi * (b.cycles * t + b.phase);
    const double y = b.y_mid + b.travel * std::sin(a);
    const double speed = std::abs(std::cos(a));
    const double x = kCx + b.sway * std::sin(a + 1.0);
    // Moving blobs stretch along their way.
    ellipse_path(cr, x, y, b.r * (1 - 0.12 * speed), b.r * (1 + 0.3 * speed));
    cairo_fill(cr);
  }
  cairo_pattern_t* wax_shape = cairo_pop_group(cr);
  cairo_pattern_t* wax = cairo_pattern_create_radial(kCx - 4, 58, 2, kCx, 62, 40);
  add_stop(wax, 0, kWaxLight);
  add_stop(wax, 0.5, kWax);
  add_stop(wax, 1, shade(kWax, 0.75));
  cairo_set_source(cr, wax);
  cairo_mask(cr, wax_shape);
  cairo_pattern_destroy(wax);
  cairo_pattern_destroy(wax_shape);
  for (const Blob& b : kBlobs) {
    const double a = 2 * kPi * (b.cycles * t + b.phase);
    const double y = b.y_mid + b.travel * std::sin(a);
    const double x = kCx + b.sway * std::sin(a + 1.0);
    ellipse_path(cr, x - b.r * 0.35, y - b.r * 0.4, b.r * 0.3, b.r * 0.35);
    set(cr, kWaxLight, 0.8);
    cairo_fill(cr);
  }
  // The glass shine.
  cairo_move_to(cr, kCx - 6.5, 27);
  cairo_curve_to(cr, kCx - 9.5, 45, kCx - 14, 64, kCx - 12, 82);
  set(cr, {1, 1, 1}, 0.45);
  cairo_set_line_width(cr, 2.2);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_stroke(cr);
  cairo_restore(cr);

  glass_path(cr, 0);
  set(cr, kOutline);
  cairo_set_line_width(cr, 1.1);
  cairo_stroke(cr);

  // Cap.
  cairo_move_to(cr, kCx - 5.5, 5);
  cairo_line_to(cr, kCx + 5.5, 5);
  cairo_line_to(cr, kCx + 9.5, 23);
  cairo_line_to(cr, kCx - 9.5, 23);
  cairo_close_path(cr);
  metal_fill(cr, kCx - 9.5, kCx + 9.5);
  rounded_rect(cr, kCx - 6.5, 3, 13, 3.5, 1.5);
  metal_fill(cr, kCx - 6.5, kCx + 6.5);

  // Base: a waist under the glass, flaring to a wide foot.
  cairo_move_to(cr, kCx - 16.5, 85);
  cairo_line_to(cr, kCx + 16.5, 85);
  cairo_curve_to(cr, kCx + 13, 95, kCx + 18, 106, kCx + 22, 113);
  cairo_line_to(cr, kCx - 22, 113);
  cairo_curve_to(cr, kCx - 18, 106, kCx - 13, 95, kCx - 16.5, 85);
  cairo_close_path(cr);
  metal_fill(cr, kCx - 22, kCx + 22);
  rounded_rect(cr, kCx - 23.5, 112, 47, 5.5, 2);
  metal_fill(cr, kCx - 23.5, kCx + 23.5);
  // The lamp's glow on the rim of the base.
  ellipse_path(cr, kCx, 86.5, 15, 2);
  set(cr, kWaxLight, 0.7);
  cairo_fill(cr);
  cairo_restore(cr);
}

}  // namespace art
