#include "pictures.h"

#include <cmath>
#include <numbers>

#include "common.h"
#include "figures.h"
#include "render.h"

namespace art {

namespace {

constexpr double kPi = std::numbers::pi;
// The dialogs' face colour, so the icons sit on it without a visible box.
constexpr Rgb kDialogFace{192, 192, 192};

// A little stage: dark purple fading to black with a soft spotlight on (x, y).
void stage(cairo_t* cr, double x, double y, double r) {
  cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, kPreviewH);
  add_stop(g, 0, {0.20, 0.06, 0.32});
  add_stop(g, 1, {0.02, 0.01, 0.05});
  cairo_set_source(cr, g);
  cairo_paint(cr);
  cairo_pattern_destroy(g);
  cairo_pattern_t* spot = cairo_pattern_create_radial(x, y, 0, x, y, r);
  add_stop(spot, 0, {1.0, 0.9, 0.7}, 0.28);
  add_stop(spot, 1, {1.0, 0.9, 0.7}, 0.0);
  cairo_set_source(cr, spot);
  cairo_paint(cr);
  cairo_pattern_destroy(spot);
}

void floor_shadow(cairo_t* cr, double x, double y, double rx) {
  ellipse_path(cr, x, y, rx, rx * 0.18);
  set(cr, {0, 0, 0}, 0.45);
  cairo_fill(cr);
}

// Draws fn with its frame's top-left corner at (x, y), scaled by s.
template <typename Fn>
void at(cairo_t* cr, double x, double y, double s, Fn fn) {
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_scale(cr, s, s);
  fn();
  cairo_restore(cr);
}

void set_font(cairo_t* cr, double size) {
  // Fixed rendering options, so the pictures come out the same whatever the desktop's settings.
  cairo_font_options_t* o = cairo_font_options_create();
  cairo_font_options_set_antialias(o, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr, o);
  cairo_font_options_destroy(o);
  cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(cr, size);
}

// Big rounded letters with a rainbow fill and a dark outline, centred on x.
void title_text(cairo_t* cr, const char* text, double x, double baseline, double size) {
  set_font(cr, size);
  cairo_text_extents_t e;
  cairo_text_extents(cr, text, &e);
  const double left = x - e.width / 2 - e.x_bearing;
  cairo_move_to(cr, left, baseline);
  cairo_text_path(cr, text);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  set(cr, {0.08, 0.02, 0.12});
  cairo_set_line_width(cr, 3.2);
  cairo_stroke_preserve(cr);
  cairo_pattern_t* g = cairo_pattern_create_linear(left, 0, left + e.width, 0);
  for (int i = 0; i <= 6; ++i) add_stop(g, i / 6.0, hsv(i * 50.0, 0.7, 1.0));
  cairo_set_source(cr, g);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
}

void staff(cairo_t* cr) {
  for (int i = 0; i < 5; ++i) {
    const double y = 44 + i * 11;
    cairo_move_to(cr, 0, y + 6 * std::sin(i * 0.5));
    cairo_curve_to(cr, 45, y - 10, 95, y + 12, 140, y - 4);
  }
  set(cr, {0.75, 0.65, 0.95}, 0.35);
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
}

void notes_picture(cairo_t* cr, int set_no) {
  stage(cr, 70, 60, 90);
  staff(cr);
  const struct {
    double x, y, s;
    int look, frame;
  } spots[] = {{4, 8, 1.0, 1, 2}, {34, 52, 1.15, 2, 6}, {66, 12, 1.25, 1, 0},
               {98, 46, 1.1, 2, 3}, {112, 4, 0.9, 1, 8}};
  for (const auto& p : spots) at(cr, p.x, p.y, p.s, [&] { draw_note(cr, set_no, p.look, p.frame); });
}

void rose_picture(cairo_t* cr, RoseColour c) {
  stage(cr, 70, 60, 80);
  at(cr, -8, 36, 0.62, [&] { draw_rose(cr, c, 2); });
  at(cr, 84, 40, 0.58, [&] { draw_rose(cr, c, 1); });
  at(cr, 20, 12, 1.0, [&] { draw_rose(cr, c, 3); });
}

void title_picture(cairo_t* cr) {
  stage(cr, 70, 40, 100);
  // Light beams from the ball.
  for (int i = 0; i < 6; ++i) {
    const double a = 0.35 + i * 0.48;
    cairo_move_to(cr, 70, 30);
    cairo_line_to(cr, 70 + 200 * std::cos(a - 0.06), 30 + 200 * std::sin(a - 0.06));
    cairo_line_to(cr, 70 + 200 * std::cos(a + 0.06), 30 + 200 * std::sin(a + 0.06));
    cairo_close_path(cr);
    set(cr, hsv(i * 60.0, 0.6, 1.0), 0.12);
    cairo_fill(cr);
  }
  at(cr, 52.5, -4, 0.38, [&] { draw_discoball(cr, 1); });
  at(cr, 4, 4, 0.5, [&] { draw_note(cr, 1, 1, 2); });
  at(cr, 121, 6, 0.5, [&] { draw_note(cr, 2, 2, 7); });
  at(cr, 16, 24, 0.4, [&] { draw_note(cr, 1, 2, 5); });
  at(cr, 108, 26, 0.4, [&] { draw_note(cr, 2, 1, 1); });
  title_text(cr, "Zelkin", 70, 66, 24);
  title_text(cr, "Wumpets", 70, 90, 24);
  at(cr, -14, 82, 0.48, [&] { draw_rose(cr, RoseColour::Red, 3); });
  at(cr, 106, 82, 0.48, [&] { draw_rose(cr, RoseColour::Yellow, 3); });
  at(cr, 18, 88, 0.42, [&] { draw_wumpet(cr, 1, 2); });
  at(cr, 47, 86, 0.44, [&] { draw_wumpet(cr, 3, 5); });
  at(cr, 77, 88, 0.42, [&] { draw_wumpet(cr, 2, 0); });
}

void bug_icon(cairo_t* cr) {
  auto bug = [cr] {
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    // Legs and feelers.
    for (int s = -1; s <= 1; s += 2) {
      for (int i = 0; i < 3; ++i) {
        const double y = 34 + i * 8;
        cairo_move_to(cr, 30, y);
        cairo_line_to(cr, 30 + s * 14, y - 3 + i * 2);
        cairo_line_to(cr, 30 + s * 18, y + 3 + i * 2);
      }
      cairo_move_to(cr, 30 + s * 3, 22);
      cairo_curve_to(cr, 30 + s * 5, 15, 30 + s * 9, 13, 30 + s * 11, 12);
    }
    set(cr, {0.1, 0.05, 0.05});
    cairo_set_line_width(cr, 2.0);
    cairo_stroke(cr);
    // Body, head and spots.
    ellipse_path(cr, 30, 43, 12, 15);
    cairo_pattern_t* g = cairo_pattern_create_radial(26, 38, 2, 30, 43, 16);
    add_stop(g, 0, {1.0, 0.45, 0.35});
    add_stop(g, 1, {0.75, 0.05, 0.05});
    cairo_set_source(cr, g);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(g);
    set(cr, {0.1, 0.05, 0.05});
    cairo_set_line_width(cr, 1.4);
    cairo_stroke(cr);
    cairo_move_to(cr, 30, 29);
    cairo_line_to(cr, 30, 58);
    cairo_stroke(cr);
    ellipse_path(cr, 30, 26, 7, 5.5);
    set(cr, {0.12, 0.06, 0.06});
    cairo_fill(cr);
    for (const auto& [x, y, r] : {std::tuple{24.5, 38.0, 2.6}, {35.5, 38.0, 2.6}, {23.5, 48.0, 2.2},
                                  {36.5, 48.0, 2.2}}) {
      cairo_new_sub_path(cr);
      cairo_arc(cr, x, y, r, 0, 2 * kPi);
    }
    cairo_fill(cr);
    for (int s = -1; s <= 1; s += 2) {
      cairo_new_sub_path(cr);
      cairo_arc(cr, 30 + s * 3, 25, 1.5, 0, 2 * kPi);
    }
    set(cr, {1, 1, 1});
    cairo_fill(cr);
  };
  bug();
  // The magnifier: a lens that shows the bug larger, and its handle.
  const double lx = 40, ly = 37, lr = 15;
  cairo_move_to(cr, lx + lr * 0.72, ly + lr * 0.72);
  cairo_line_to(cr, 68, 66);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  set(cr, {0.15, 0.08, 0.02});
  cairo_set_line_width(cr, 8.5);
  cairo_stroke_preserve(cr);
  set(cr, {0.62, 0.36, 0.12});
  cairo_set_line_width(cr, 6.0);
  cairo_stroke(cr);
  cairo_save(cr);
  cairo_arc(cr, lx, ly, lr, 0, 2 * kPi);
  cairo_clip(cr);
  set(cr, {0.86, 0.93, 1.0});
  cairo_paint(cr);
  cairo_translate(cr, lx, ly);
  cairo_scale(cr, 1.6, 1.6);
  cairo_translate(cr, -lx, -ly);
  bug();
  cairo_restore(cr);
  cairo_arc(cr, lx, ly, lr, 0, 2 * kPi);
  set(cr, {0.8, 0.95, 1.0}, 0.25);
  cairo_fill_preserve(cr);
  set(cr, {0.15, 0.15, 0.2});
  cairo_set_line_width(cr, 4.0);
  cairo_stroke_preserve(cr);
  set(cr, {0.75, 0.75, 0.8});
  cairo_set_line_width(cr, 2.0);
  cairo_stroke(cr);
  cairo_new_sub_path(cr);
  cairo_arc(cr, lx, ly, lr - 5, 3.6, 4.4);
  set(cr, {1, 1, 1}, 0.8);
  cairo_set_line_width(cr, 2.0);
  cairo_stroke(cr);
}

void puzzled_icon(cairo_t* cr) {
  at(cr, -1, 9, 0.6, [&] { draw_wumpet(cr, 1, 0, Mood::Puzzled); });
  set_font(cr, 30);
  cairo_move_to(cr, 52, 30);
  cairo_text_path(cr, "?");
  set(cr, {0.08, 0.04, 0.12});
  cairo_set_line_width(cr, 3.0);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke_preserve(cr);
  set(cr, {1.0, 0.85, 0.1});
  cairo_fill(cr);
}

Image preview(const DrawFn& draw) { return render_opaque(kPreviewW, kPreviewH, kBlack, draw); }

}  // namespace

std::vector<Picture> build_pictures() {
  std::vector<Picture> out;
  auto add = [&](Image img) { out.push_back({"pic" + std::to_string(out.size()) + ".bmp", std::move(img)}); };
  add(preview(title_picture));
  const int dancer_frame[kDancerColours] = {2, 5, 0, 3, 6};
  for (int c = 1; c <= kDancerColours; ++c)
    add(preview([&](cairo_t* cr) {
      stage(cr, 70, 62, 75);
      floor_shadow(cr, 70, 119, 34);
      at(cr, 14.5, 22, 1.0, [&] { draw_wumpet(cr, c, dancer_frame[c - 1]); });
    }));
  for (RoseColour c : {RoseColour::Red, RoseColour::Pink, RoseColour::Yellow, RoseColour::White})
    add(preview([&](cairo_t* cr) { rose_picture(cr, c); }));
  add(preview([](cairo_t* cr) {
    stage(cr, 70, 65, 90);
    const struct {
      double x, y, s;
      int frame;
    } signs[] = {{6, 8, 1.0, 0}, {88, 4, 1.1, 4}, {46, 44, 1.3, 9}, {8, 82, 1.05, 12}, {96, 84, 0.95, 2}};
    for (const auto& p : signs) at(cr, p.x, p.y, p.s, [&] { draw_peace(cr, p.frame); });
  }));
  add(preview([](cairo_t* cr) {
    stage(cr, 70, 60, 80);
    floor_shadow(cr, 66, 124, 36);
    at(cr, 9, 5, 1.22, [&] { draw_hippie(cr, 2); });
  }));
  add(preview([](cairo_t* cr) {
    stage(cr, 70, 60, 70);
    cairo_pattern_t* glow = cairo_pattern_create_radial(70, 70, 5, 70, 70, 60);
    add_stop(glow, 0, {1.0, 0.4, 0.7}, 0.35);
    add_stop(glow, 1, {1.0, 0.4, 0.7}, 0.0);
    cairo_set_source(cr, glow);
    cairo_paint(cr);
    cairo_pattern_destroy(glow);
    at(cr, 44.5, 5, 1.0, [&] { draw_lavalamp(cr, 6); });
  }));
  add(preview([](cairo_t* cr) { notes_picture(cr, 1); }));
  add(preview([](cairo_t* cr) {
    stage(cr, 70, 80, 80);
    for (int i = 0; i < 12; ++i) {
      const double x = 12 + (i * 37) % 118, y = 20 + (i * 53) % 100;
      cairo_new_sub_path(cr);
      cairo_arc(cr, x, y, 2.0 + i % 3, 0, 2 * kPi);
      set(cr, hsv(i * 67.0, 0.6, 1.0), 0.6);
      cairo_fill(cr);
    }
    at(cr, 24.5, -1, 1.0, [&] { draw_discoball(cr, 0); });
  }));
  add(preview([](cairo_t* cr) { notes_picture(cr, 2); }));
  out.push_back({"icon1.bmp", render_opaque(kIconSize, kIconSize, kDialogFace, puzzled_icon)});
  out.push_back({"icon2.bmp", render_opaque(kIconSize, kIconSize, kDialogFace, bug_icon)});
  return out;
}

void write_resources(const std::string& dir) {
  for (const Picture& p : build_pictures()) write_file(dir + "/" + p.name, encode_bmp24(p.image));
}

}  // namespace art
