// The disco ball: mirror facets on a turning sphere, hanging from a cord, with glints.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "figures.h"
#include "render.h"

namespace art {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kCx = 45.5, kCy = 89.0, kR = 40.5;
constexpr int kRows = 16;     // facet bands from pole to pole
constexpr int kColumns = 32;  // facets round the equator
constexpr Col kOutline{0.10, 0.10, 0.16};

// A facet reflects whatever lies in the direction of its normal, so its colour depends only on
// where it faces: coloured spotlights in a few directions, a grey room elsewhere. The pattern
// therefore repeats after the ball has turned by one facet.
Col reflection(double nx, double ny, double nz) {
  struct Light {
    double x, y, z;
    Col c;
  };
  static const Light lights[] = {
      {-0.50, -0.60, 0.62, {1.0, 1.0, 1.0}},
      {0.62, -0.30, 0.72, {1.0, 0.35, 0.80}},
      {-0.45, 0.45, 0.77, {0.30, 0.80, 1.0}},
      {0.40, 0.55, 0.73, {1.0, 0.85, 0.25}},
  };
  // Mirrors tilt a little each way, so neighbours catch different parts of the room.
  const double ripple = std::sin(23.0 * nx + 7.0 * ny) * std::sin(19.0 * ny - 5.0 * nx + 1.3);
  const double diffuse = std::max(0.0, -0.5 * nx - 0.6 * ny + 0.6 * nz);
  const double v = std::clamp(0.36 + 0.28 * diffuse + 0.2 * ripple, 0.12, 0.95);
  Col c{v, v, v + 0.04};
  for (const Light& l : lights) {
    const double d = nx * l.x + ny * l.y + nz * l.z + 0.08 * ripple;
    const double spot = std::pow(std::max(0.0, d), 20.0);
    c = mix(c, l.c, std::min(1.0, spot * 1.2));
  }
  return c;
}

std::uint32_t hash(std::uint32_t v) {
  v ^= v >> 16;
  v *= 0x7feb352dU;
  v ^= v >> 15;
  v *= 0x846ca68bU;
  v ^= v >> 16;
  return v;
}

void glint(cairo_t* cr, double x, double y, double size) {
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_move_to(cr, 0, -size);
  cairo_curve_to(cr, 0.6, -0.6, 0.6, -0.6, size, 0);
  cairo_curve_to(cr, 0.6, 0.6, 0.6, 0.6, 0, size);
  cairo_curve_to(cr, -0.6, 0.6, -0.6, 0.6, -size, 0);
  cairo_curve_to(cr, -0.6, -0.6, -0.6, -0.6, 0, -size);
  cairo_close_path(cr);
  set(cr, {1, 1, 1});
  cairo_fill(cr);
  cairo_arc(cr, 0, 0, size * 0.25, 0, 2 * kPi);
  set(cr, {1.0, 1.0, 0.85});
  cairo_fill(cr);
  cairo_restore(cr);
}

}  // namespace

void draw_discoball(cairo_t* cr, int frame) {
  cairo_save(cr);
  // Cord and cap.
  cairo_move_to(cr, kCx, 0);
  cairo_line_to(cr, kCx, kCy - kR - 2);
  set(cr, kOutline);
  cairo_set_line_width(cr, 3.0);
  cairo_stroke(cr);
  cairo_move_to(cr, kCx, 0);
  cairo_line_to(cr, kCx, kCy - kR - 2);
  set(cr, {0.55, 0.55, 0.60});
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);

  // Sphere: shadowed backing, then every facet that faces us.
  cairo_arc(cr, kCx, kCy, kR, 0, 2 * kPi);
  set(cr, {0.12, 0.12, 0.18});
  cairo_fill(cr);
  const double turn = (2 * kPi / kColumns) * frame / kBallFrames;
  for (int row = 0; row < kRows; ++row) {
    const double lat0 = -kPi / 2 + kPi * row / kRows, lat1 = lat0 + kPi / kRows;
    for (int col = 0; col < kColumns; ++col) {
      double lon0 = 2 * kPi * col / kColumns + turn;
      if (lon0 > kPi) lon0 -= 2 * kPi;
      const double lon1 = lon0 + 2 * kPi / kColumns;
      const double latm = (lat0 + lat1) / 2, lonm = (lon0 + lon1) / 2;
      const double nz = std::cos(latm) * std::cos(lonm);
      if (nz <= 0.02) continue;
      auto px = [&](double lat, double lon) { return kCx + kR * std::cos(lat) * std::sin(lon); };
      auto py = [&](double lat) { return kCy - kR * std::sin(lat); };
      // Outermost points are clamped to the front half so the edge facets stay on the disc.
      const double l0 = std::max(lon0, -kPi / 2), l1 = std::min(lon1, kPi / 2);
      cairo_move_to(cr, px(lat0, l0), py(lat0));
      cairo_line_to(cr, px(lat0, l1), py(lat0));
      cairo_line_to(cr, px(lat1, l1), py(lat1));
      cairo_line_to(cr, px(lat1, l0), py(lat1));
      cairo_close_path(cr);
      const double nx = std::cos(latm) * std::sin(lonm), ny = -std::sin(latm);
      set(cr, reflection(nx, ny, nz));
      cairo_fill_preserve(cr);
      set(cr, {0.10, 0.10, 0.14});
      cairo_set_line_width(cr, 0.7);
      cairo_stroke(cr);
    }
  }
  cairo_arc(cr, kCx, kCy, kR, 0, 2 * kPi);
  set(cr, kOutline);
  cairo_set_line_width(cr, 1.4);
  cairo_stroke(cr);
  // Soft highlight and the cap.
  cairo_pattern_t* hl = cairo_pattern_create_radial(kCx - 14, kCy - 16, 1, kCx - 14, kCy - 16, 22);
  add_stop(hl, 0, {1, 1, 1}, 0.45);
  add_stop(hl, 1, {1, 1, 1}, 0.0);
  cairo_arc(cr, kCx, kCy, kR, 0, 2 * kPi);
  cairo_set_source(cr, hl);
  cairo_fill(cr);
  cairo_pattern_destroy(hl);
  rounded_rect(cr, kCx - 5.5, kCy - kR - 4, 11, 6, 1.5);
  set(cr, {0.80, 0.80, 0.85});
  cairo_fill_preserve(cr);
  set(cr, kOutline);
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);

  // Glints: a few sparkles that flash at new places every frame.
  for (int i = 0; i < 4; ++i) {
    const std::uint32_t h = hash(static_cast<std::uint32_t>(frame * 97 + i * 13 + 5));
    const double a = (h & 0xffff) / 65536.0 * 2 * kPi;
    const double d = kR * (0.15 + 0.7 * ((h >> 16) & 0xff) / 255.0);
    const double size = 3.5 + ((h >> 24) % 4);
    glint(cr, kCx + d * std::cos(a), kCy + d * std::sin(a), size);
  }
  cairo_restore(cr);
}

}  // namespace art
