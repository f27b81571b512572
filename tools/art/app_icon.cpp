#include "app_icon.h"

#include <cairo.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <numbers>
#include <stdexcept>

#include "figures.h"
#include "image.h"
#include "render.h"

namespace art {

namespace {

constexpr double kPi = std::numbers::pi;

// Drawn on a 256-unit square; smaller sizes are the same drawing scaled down, with the dancer a
// little larger at the smallest sizes so that it still reads as a face with eyes.
void draw_icon(cairo_t* cr, int size) {
  const double s = size / 256.0;
  cairo_scale(cr, s, s);
  // The stage: a disc, dark purple at the rim, lit from above.
  cairo_new_sub_path(cr);
  cairo_arc(cr, 128, 128, 122, 0, 2 * kPi);
  cairo_pattern_t* g = cairo_pattern_create_radial(128, 70, 10, 128, 128, 130);
  add_stop(g, 0, {0.62, 0.36, 0.86});
  add_stop(g, 0.55, {0.30, 0.10, 0.48});
  add_stop(g, 1, {0.10, 0.03, 0.18});
  cairo_set_source(cr, g);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(g);
  set(cr, {0.06, 0.02, 0.10});
  cairo_set_line_width(cr, 6);
  cairo_stroke(cr);
  // The dancer's shadow on the floor.
  ellipse_path(cr, 128, 206, 70, 13);
  set(cr, {0, 0, 0}, 0.45);
  cairo_fill(cr);
  const double scale = size <= 24 ? 2.25 : 2.0;
  cairo_save(cr);
  cairo_translate(cr, 128 - kDancerW * scale / 2, 218 - kDancerH * scale);
  cairo_scale(cr, scale, scale);
  draw_wumpet(cr, 1, 2);
  cairo_restore(cr);
}

cairo_surface_t* render_icon(int size) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
  cairo_t* cr = cairo_create(surface);
  // The dancer stays inside its round stage.
  cairo_arc(cr, size / 2.0, size / 2.0, size / 2.0, 0, 2 * kPi);
  cairo_clip(cr);
  draw_icon(cr, size);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) throw std::runtime_error("cannot draw the icon");
  return surface;
}

void put16(std::vector<unsigned char>& out, unsigned v) {
  out.push_back(static_cast<unsigned char>(v & 0xff));
  out.push_back(static_cast<unsigned char>((v >> 8) & 0xff));
}
void put32(std::vector<unsigned char>& out, std::uint32_t v) {
  put16(out, v & 0xffff);
  put16(out, v >> 16);
}

cairo_status_t append_png(void* closure, const unsigned char* data, unsigned int length) {
  auto* out = static_cast<std::vector<unsigned char>*>(closure);
  out->insert(out->end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

// One icon image as an icon file stores it: a bitmap header whose height counts the colour
// rows and the AND mask's rows, the pixels bottom-up in BGRA with straight alpha, then the mask
// (all clear: the alpha channel decides).
std::vector<unsigned char> dib_entry(cairo_surface_t* surface, int size) {
  std::vector<unsigned char> out;
  put32(out, 40);
  put32(out, static_cast<std::uint32_t>(size));
  put32(out, static_cast<std::uint32_t>(size * 2));
  put16(out, 1);
  put16(out, 32);
  for (int i = 0; i < 6; ++i) put32(out, 0);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = size - 1; y >= 0; --y) {
    for (int x = 0; x < size; ++x) {
      std::uint32_t p = 0;
      std::memcpy(&p, data + y * stride + x * 4, 4);
      const unsigned a = p >> 24;
      auto straight = [a](unsigned c) { return a ? static_cast<unsigned char>((c * 255 + a / 2) / a) : 0; };
      out.push_back(straight(p & 0xff));
      out.push_back(straight((p >> 8) & 0xff));
      out.push_back(straight((p >> 16) & 0xff));
      out.push_back(static_cast<unsigned char>(a));
    }
  }
  const int mask_row = ((size + 31) / 32) * 4;
  out.insert(out.end(), static_cast<std::size_t>(mask_row) * size, 0);
  return out;
}

}  // namespace

std::vector<unsigned char> encode_ico(const std::vector<int>& sizes) {
  std::vector<std::vector<unsigned char>> images;
  for (int size : sizes) {
    cairo_surface_t* surface = render_icon(size);
    std::vector<unsigned char> bytes;
    if (size >= 256) cairo_surface_write_to_png_stream(surface, append_png, &bytes);
    else bytes = dib_entry(surface, size);
    cairo_surface_destroy(surface);
    images.push_back(std::move(bytes));
  }
  std::vector<unsigned char> out;
  put16(out, 0);
  put16(out, 1);  // an icon, not a cursor
  put16(out, static_cast<unsigned>(sizes.size()));
  std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(sizes.size());
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    out.push_back(static_cast<unsigned char>(sizes[i] >= 256 ? 0 : sizes[i]));  // 0 means 256
    out.push_back(static_cast<unsigned char>(sizes[i] >= 256 ? 0 : sizes[i]));
    out.push_back(0);
    out.push_back(0);
    put16(out, 1);
    put16(out, 32);
    put32(out, static_cast<std::uint32_t>(images[i].size()));
    put32(out, offset);
    offset += static_cast<std::uint32_t>(images[i].size());
  }
  for (const auto& image : images) out.insert(out.end(), image.begin(), image.end());
  return out;
}

Image installer_side_picture() {
  return render_opaque(kInstallerSideW, kInstallerSideH, kBlack, [](cairo_t* cr) {
    // A tall stage: dark purple fading to black, a spotlight from above, the floor below.
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, kInstallerSideH);
    add_stop(g, 0, {0.26, 0.08, 0.40});
    add_stop(g, 1, {0.03, 0.01, 0.07});
    cairo_set_source(cr, g);
    cairo_paint(cr);
    cairo_pattern_destroy(g);
    cairo_move_to(cr, 62, 0);
    cairo_line_to(cr, 102, 0);
    cairo_line_to(cr, 150, 262);
    cairo_line_to(cr, 14, 262);
    cairo_close_path(cr);
    cairo_pattern_t* beam = cairo_pattern_create_linear(0, 0, 0, 262);
    add_stop(beam, 0, {1.0, 0.92, 0.7}, 0.30);
    add_stop(beam, 1, {1.0, 0.92, 0.7}, 0.06);
    cairo_set_source(cr, beam);
    cairo_fill(cr);
    cairo_pattern_destroy(beam);
    ellipse_path(cr, 82, 262, 68, 12);
    set(cr, {1.0, 0.92, 0.7}, 0.25);
    cairo_fill(cr);
    auto at = [cr](double x, double y, double scale, auto draw) {
      cairo_save(cr);
      cairo_translate(cr, x, y);
      cairo_scale(cr, scale, scale);
      draw();
      cairo_restore(cr);
    };
    at(16, 12, 0.8, [cr] { draw_note(cr, 1, 1, 2); });
    at(118, 40, 0.7, [cr] { draw_note(cr, 2, 2, 6); });
    at(46, 70, 0.75, [cr] { draw_discoball(cr, 0); });
    at(-6, 200, 0.6, [cr] { draw_rose(cr, RoseColour::Red, 3); });
    at(108, 204, 0.55, [cr] { draw_rose(cr, RoseColour::Yellow, 3); });
    at(27, 168, 1.0, [cr] { draw_wumpet(cr, 1, 2); });
  });
}

void write_app_icons(const std::string& dir) {
  namespace fs = std::filesystem;
  for (int size : kAppIconSizes) {
    const std::string n = std::to_string(size);
    const fs::path folder = fs::path(dir) / "hicolor" / (n + "x" + n) / "apps";
    fs::create_directories(folder);
    cairo_surface_t* surface = render_icon(size);
    const cairo_status_t status =
        cairo_surface_write_to_png(surface, (folder / "zelkin-wumpets.png").c_str());
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) throw std::runtime_error("cannot write " + folder.string());
  }
  const auto ico = encode_ico({16, 24, 32, 48, 256});
  write_file(dir + "/zelkin-wumpets.ico", std::vector<std::uint8_t>(ico.begin(), ico.end()));
  write_file(dir + "/installer-side.bmp", encode_bmp24(installer_side_picture()));
}

}  // namespace art
