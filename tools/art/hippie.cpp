// The old hippie: long hair, headband, round shades, tie-dye shirt and flares, swaying as he
// strums his guitar.
#include <cmath>
#include <numbers>

#include "common.h"
#include "figures.h"

namespace art {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr Col kInk{0.12, 0.07, 0.05};
constexpr Col kSkin{0.98, 0.78, 0.60};
constexpr Col kHair{0.62, 0.60, 0.58};  // grey: he has been at it a while
constexpr Col kDenim{0.25, 0.40, 0.78};
constexpr Col kWood{0.85, 0.52, 0.18};
constexpr Col kWoodDark{0.45, 0.22, 0.05};
constexpr Col kSandal{0.50, 0.28, 0.10};

void flare_leg(cairo_t* cr, double hip_x, double hip_y, double foot_x, double foot_y) {
  const double dx = foot_x - hip_x;
  cairo_move_to(cr, hip_x - 5.5, hip_y);
  cairo_line_to(cr, hip_x + 5.5, hip_y);
  cairo_curve_to(cr, hip_x + 4.5 + dx * 0.6, hip_y + 16, foot_x + 4, foot_y - 10, foot_x + 7.5, foot_y);
  cairo_line_to(cr, foot_x - 7.5, foot_y);
  cairo_curve_to(cr, foot_x - 4, foot_y - 10, hip_x - 4.5 + dx * 0.6, hip_y + 16, hip_x - 5.5, hip_y);
  cairo_close_path(cr);
  cairo_pattern_t* g = cairo_pattern_create_linear(hip_x - 6, 0, hip_x + 6, 0);
  add_stop(g, 0, shade(kDenim, 0.75));
  add_stop(g, 0.5, kDenim);
  add_stop(g, 1, shade(kDenim, 0.8));
  cairo_set_source(cr, g);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(g);
  set(cr, kInk);
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);
  // Sandal.
  rounded_rect(cr, foot_x - 7, foot_y - 0.5, 14, 3.2, 1.4);
  fill_and_outline(cr, kSandal, kInk, 0.9);
}

void tie_dye_shirt(cairo_t* cr, double frame_turn) {
  // Torso.
  cairo_move_to(cr, -14, -30);
  cairo_curve_to(cr, -6, -33, 6, -33, 14, -30);
  cairo_curve_to(cr, 17, -18, 16, -6, 14, 0);
  cairo_line_to(cr, -14, 0);
  cairo_curve_to(cr, -16, -6, -17, -18, -14, -30);
  cairo_close_path(cr);
  cairo_save(cr);
  cairo_clip_preserve(cr);
  // Swirl of colours round the belly.
  for (int i = 0; i < 14; ++i) {
    const double a0 = frame_turn + i * 2 * kPi / 14;
    cairo_move_to(cr, 0, -14);
    cairo_arc(cr, 0, -14, 30, a0, a0 + 2 * kPi / 14 + 0.02);
    cairo_close_path(cr);
    set(cr, hsv(i * 360.0 / 7, 0.75, 1.0));
    cairo_fill(cr);
  }
  for (int k = 0; k < 4; ++k) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, -14, 3 + k * 5.0, frame_turn + k, frame_turn + k + 4.5);
  }
  set(cr, {1, 1, 1}, 0.55);
  cairo_set_line_width(cr, 1.6);
  cairo_stroke(cr);
  cairo_restore(cr);
  set(cr, kInk);
  cairo_set_line_width(cr, 1.1);
  cairo_stroke(cr);
}

void guitar(cairo_t* cr) {
  // In the guitar's own frame: body round the origin, neck along +x.
  cairo_move_to(cr, 12, -1.8);
  cairo_line_to(cr, 44, -1.6);
  cairo_line_to(cr, 44, 1.6);
  cairo_line_to(cr, 12, 1.8);
  cairo_close_path(cr);
  fill_and_outline(cr, kWoodDark, kInk, 0.9);
  // Headstock.
  cairo_move_to(cr, 43, -2.6);
  cairo_line_to(cr, 51, -3.4);
  cairo_line_to(cr, 51, 3.4);
  cairo_line_to(cr, 43, 2.6);
  cairo_close_path(cr);
  fill_and_outline(cr, kWoodDark, kInk, 0.9);
  // Figure-of-eight body.
  ellipse_path(cr, -4.5, 0, 10.5, 10.0);
  ellipse_path(cr, 7.5, 0, 7.5, 7.5);
  cairo_pattern_t* g = cairo_pattern_create_radial(-2, -3, 1, 0, 0, 14);
  add_stop(g, 0, shade(kWood, 1.3));
  add_stop(g, 1, kWood);
  cairo_set_source(cr, g);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(g);
  set(cr, kInk);
  cairo_set_line_width(cr, 1.1);
  cairo_stroke(cr);
  // Sound hole, bridge and strings.
  cairo_arc(cr, 4.5, 0, 3.0, 0, 2 * kPi);
  set(cr, kWoodDark);
  cairo_fill(cr);
  cairo_rectangle(cr, -8.5, -3, 2, 6);
  set(cr, kWoodDark);
  cairo_fill(cr);
  for (double y : {-1.0, 0.0, 1.0}) {
    cairo_move_to(cr, -7.5, y);
    cairo_line_to(cr, 44, y * 0.8);
  }
  set(cr, {0.95, 0.95, 0.9}, 0.9);
  cairo_set_line_width(cr, 0.35);
  cairo_stroke(cr);
}

void hand(cairo_t* cr, double x, double y) {
  ellipse_path(cr, x, y, 3.3, 2.8);
  fill_and_outline(cr, kSkin, kInk, 0.9);
}

void head(cairo_t* cr, double nod) {
  cairo_save(cr);
  cairo_rotate(cr, nod);
  // Hair behind, falling to the shoulders.
  cairo_move_to(cr, -11, -14);
  cairo_curve_to(cr, -16, -2, -15, 8, -13, 12);
  cairo_line_to(cr, 13, 12);
  cairo_curve_to(cr, 15, 8, 16, -2, 11, -14);
  cairo_curve_to(cr, 6, -20, -6, -20, -11, -14);
  cairo_close_path(cr);
  fill_and_outline(cr, kHair, kInk, 1.0);
  // Strands.
  for (int sx = -1; sx <= 1; sx += 2) {
    cairo_move_to(cr, sx * 10.5, -8);
    cairo_curve_to(cr, sx * 13, 0, sx * 11, 5, sx * 12, 11);
  }
  set(cr, shade(kHair, 0.7));
  cairo_set_line_width(cr, 0.9);
  cairo_stroke(cr);
  // Face.
  ellipse_path(cr, 0, -4, 8.5, 10);
  fill_and_outline(cr, kSkin, kInk, 1.0);
  // Beard and moustache.
  cairo_move_to(cr, -8, -2);
  cairo_curve_to(cr, -8, 8, -4, 12, 0, 12.5);
  cairo_curve_to(cr, 4, 12, 8, 8, 8, -2);
  cairo_curve_to(cr, 5, 2, 2, 0.5, 0, 1.5);
  cairo_curve_to(cr, -2, 0.5, -5, 2, -8, -2);
  cairo_close_path(cr);
  fill_and_outline(cr, shade(kHair, 1.15), kInk, 0.9);
  cairo_move_to(cr, -3.0, 5.2);
  cairo_curve_to(cr, -1, 6.8, 1, 6.8, 3.0, 5.2);
  set(cr, kInk);
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);
  // Nose.
  cairo_move_to(cr, 0, -5);
  cairo_curve_to(cr, -1.5, -1, -0.5, 0, 1, -0.5);
  cairo_set_line_width(cr, 0.9);
  cairo_stroke(cr);
  // Round shades.
  for (int s = -1; s <= 1; s += 2) {
    cairo_arc(cr, s * 3.9, -6, 3.1, 0, 2 * kPi);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, -9, 0, -3);
    add_stop(g, 0, {0.55, 0.25, 0.70});
    add_stop(g, 1, {0.15, 0.05, 0.25});
    cairo_set_source(cr, g);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(g);
    set(cr, kInk);
    cairo_set_line_width(cr, 0.9);
    cairo_stroke(cr);
    ellipse_path(cr, s * 3.9 - 1.0, -7.2, 0.9, 0.6);
    set(cr, {1, 1, 1}, 0.9);
    cairo_fill(cr);
  }
  // Fringe and headband with a flower.
  cairo_move_to(cr, -9, -9);
  cairo_curve_to(cr, -8, -16, 8, -16, 9, -9);
  cairo_curve_to(cr, 4, -11, -4, -11, -9, -9);
  cairo_close_path(cr);
  fill_and_outline(cr, kHair, kInk, 0.9);
  cairo_move_to(cr, -9.5, -10);
  cairo_curve_to(cr, -5, -12.5, 5, -12.5, 9.5, -10);
  set(cr, kInk);
  cairo_set_line_width(cr, 3.4);
  cairo_stroke_preserve(cr);
  set(cr, {0.95, 0.15, 0.30});
  cairo_set_line_width(cr, 2.0);
  cairo_stroke(cr);
  for (int i = 0; i < 5; ++i) {
    const double a = i * 2 * kPi / 5;
    ellipse_path(cr, 8 + 2.0 * std::cos(a), -11 + 2.0 * std::sin(a), 1.6, 1.6);
  }
  fill_and_outline(cr, {1.0, 0.95, 0.3}, kInk, 0.6);
  cairo_arc(cr, 8, -11, 1.2, 0, 2 * kPi);
  set(cr, {1.0, 0.45, 0.1});
  cairo_fill(cr);
  cairo_restore(cr);
}

}  // namespace

void draw_hippie(cairo_t* cr, int frame) {
  const double th = 2 * kPi * frame / kHippieFrames;
  const double sway = 0.11 * std::sin(th);
  const double strum = std::sin(2 * th);  // two strums per sway
  const double hip_x = 42.0, hip_y = 63.0;
  cairo_save(cr);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);

  // Legs stay planted; the hips shift with the sway.
  const double shift = 40.0 * std::sin(sway);
  flare_leg(cr, hip_x - 6 + shift * 0.3, hip_y, 30.5, 91);
  flare_leg(cr, hip_x + 6 + shift * 0.3, hip_y, 53.5, 91);

  cairo_save(cr);
  cairo_translate(cr, hip_x + shift * 0.3, hip_y);
  cairo_rotate(cr, sway);
  // Far arm (fretting hand on the neck).
  const double neck_angle = -0.42;
  auto on_guitar = [&](double gx, double gy, double& x, double& y) {
    x = -6 + gx * std::cos(neck_angle) - gy * std::sin(neck_angle);
    y = -6 + gx * std::sin(neck_angle) + gy * std::cos(neck_angle);
  };
  tie_dye_shirt(cr, th / 2);
  // Peace medallion on a thong.
  cairo_move_to(cr, -5, -31);
  cairo_line_to(cr, 0, -22);
  cairo_line_to(cr, 5, -31);
  set(cr, kInk);
  cairo_set_line_width(cr, 0.8);
  cairo_stroke(cr);
  cairo_arc(cr, 0, -20, 2.6, 0, 2 * kPi);
  fill_and_outline(cr, {0.95, 0.85, 0.4}, kInk, 0.8);
  // Head.
  cairo_save(cr);
  cairo_translate(cr, 0, -42);
  head(cr, 0.10 * std::sin(th + 0.8));
  cairo_restore(cr);
  // Guitar across the body, neck rising to his left.
  cairo_save(cr);
  cairo_translate(cr, -6, -6);
  cairo_rotate(cr, neck_angle);
  guitar(cr);
  cairo_restore(cr);
  // Arms: upper arms in shirt sleeves, fretting hand on the neck, strumming hand at the hole.
  double fx, fy, sx, sy;
  on_guitar(34, 2 + 0.6 * std::sin(th), fx, fy);
  on_guitar(1.5 + strum * 1.5, 4 + strum * 3.5, sx, sy);
  cairo_move_to(cr, 13, -27);
  cairo_curve_to(cr, 20, -20, 24, -14, fx - 2, fy + 2);
  cairo_move_to(cr, -13, -27);
  cairo_curve_to(cr, -20, -16, -14, -6, sx - 2, sy - 1);
  set(cr, kInk);
  cairo_set_line_width(cr, 5.2);
  cairo_stroke_preserve(cr);
  set(cr, {0.95, 0.35, 0.60});
  cairo_set_line_width(cr, 3.4);
  cairo_stroke(cr);
  hand(cr, fx, fy);
  hand(cr, sx, sy);
  cairo_restore(cr);
  cairo_restore(cr);
}

}  // namespace art
