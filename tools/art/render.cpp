#include "render.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace art {

namespace {

struct Argb {
  std::uint8_t a, r, g, b;
};

Argb read_pixel(const unsigned char* data, int stride, int x, int y) {
  const auto v = *reinterpret_cast<const std::uint32_t*>(data + y * stride + x * 4);
  return {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
          static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
}

std::uint8_t unpremultiply(std::uint8_t c, std::uint8_t a) {
  return static_cast<std::uint8_t>(std::min(255, (c * 255 + a / 2) / a));
}

}  // namespace

Cel render_cel(int width, int height, const DrawFn& draw) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  cairo_t* cr = cairo_create(s);
  draw(cr);
  cairo_destroy(cr);
  cairo_surface_flush(s);
  const unsigned char* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  Cel cel{Image(width, height, kBlack), Image(width, height, kWhite)};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Argb p = read_pixel(data, stride, x, y);
      if (p.a < 128) continue;
      cel.mask.at(x, y) = kBlack;
      cel.pic.at(x, y) = {unpremultiply(p.r, p.a), unpremultiply(p.g, p.a), unpremultiply(p.b, p.a)};
    }
  }
  cairo_surface_destroy(s);
  return cel;
}

cairo_surface_t* to_cairo(const Image& image) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, image.width(), image.height());
  cairo_surface_flush(s);
  unsigned char* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  for (int y = 0; y < image.height(); ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + y * stride);
    for (int x = 0; x < image.width(); ++x) {
      const Rgb& p = image.at(x, y);
      row[x] = 0xff000000u | (std::uint32_t{p.r} << 16) | (std::uint32_t{p.g} << 8) | p.b;
    }
  }
  cairo_surface_mark_dirty(s);
  return s;
}

Image from_cairo(cairo_surface_t* s) {
  cairo_surface_flush(s);
  const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
  const unsigned char* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  Image out(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const Argb p = read_pixel(data, stride, x, y);
      out.at(x, y) = {p.r, p.g, p.b};
    }
  return out;
}

Image render_opaque(int width, int height, Rgb background, const DrawFn& draw) {
  cairo_surface_t* s = to_cairo(Image(width, height, background));
  cairo_t* cr = cairo_create(s);
  draw(cr);
  cairo_destroy(cr);
  Image out = from_cairo(s);
  cairo_surface_destroy(s);
  return out;
}

Col mix(Col a, Col b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Col shade(Col c, double f) {
  if (f <= 1.0) return {c.r * f, c.g * f, c.b * f};
  return mix(c, {1, 1, 1}, std::min(1.0, f - 1.0));
}

void set(cairo_t* cr, Col c, double alpha) {
  if (alpha >= 1.0)
    cairo_set_source_rgb(cr, c.r, c.g, c.b);
  else
    cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

Col hsv(double h, double s, double v) {
  h = std::fmod(std::fmod(h, 360.0) + 360.0, 360.0) / 60.0;
  const int i = static_cast<int>(h);
  const double f = h - i, p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
  switch (i) {
    case 0: return {v, t, p};
    case 1: return {q, v, p};
    case 2: return {p, v, t};
    case 3: return {p, q, v};
    case 4: return {t, p, v};
    default: return {v, p, q};
  }
}

void add_stop(cairo_pattern_t* p, double offset, Col c, double alpha) {
  cairo_pattern_add_color_stop_rgba(p, offset, c.r, c.g, c.b, alpha);
}

void ellipse_path(cairo_t* cr, double cx, double cy, double rx, double ry) {
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_scale(cr, rx, ry);
  cairo_new_sub_path(cr);
  cairo_arc(cr, 0, 0, 1, 0, 2 * std::numbers::pi);
  cairo_restore(cr);
}

void rounded_rect(cairo_t* cr, double x, double y, double w, double h, double r) {
  const double pi = std::numbers::pi;
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -pi / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, pi / 2);
  cairo_arc(cr, x + r, y + h - r, r, pi / 2, pi);
  cairo_arc(cr, x + r, y + r, r, pi, 3 * pi / 2);
  cairo_close_path(cr);
}

}  // namespace art
