#include "gallery.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <stdexcept>

#include "figures.h"
#include "pictures.h"
#include "render.h"

namespace art {

namespace {

const Image& find(const std::vector<Sheet>& sheets, const std::string& name) {
  for (const Sheet& s : sheets)
    if (s.name == name) return s.image;
  throw std::logic_error("no sheet " + name);
}

// A transparent sprite the way the saver draws it: mask with AND, picture with OR.
void sprite(Image& dst, int x, int y, int w, int h, const Image& mask, int mx, int my, const Image& pic,
            int px, int py) {
  blit(dst, x, y, w, h, mask, mx, my, Rop::And);
  blit(dst, x, y, w, h, pic, px, py, Rop::Or);
}

// A sheet with pictures over masks.
void sheet_sprite(Image& dst, const Image& sheet, int x, int y, int w, int h, int frame) {
  sprite(dst, x, y, w, h, sheet, frame * w, h, sheet, frame * w, 0);
}

}  // namespace

Image compose_scene(const std::vector<Sheet>& sheets) {
  const int sw = kSceneW, sh = kSceneH;
  Image scene(sw, sh);
  // The tiled background: whole tiles from the top-left corner, the last ones cut by the edges.
  const Image& tile = find(sheets, "d_back0.bmp");
  for (int r = 0; r * kSkullsH <= sh; ++r)
    for (int c = 0; c * kSkullsW <= sw; ++c)
      blit(scene, c * kSkullsW, r * kSkullsH, kSkullsW, kSkullsH, tile, 0, 0, Rop::Copy);

  // Notes and peace signs at fixed scattered places, in various frames.
  const Image& notes_mask = find(sheets, "d_notesmask.bmp");
  for (int set_no = 1; set_no <= 2; ++set_no) {
    for (int i = 1; i <= 8; ++i) {
      const Image& pic = find(sheets, "d_notes" + std::to_string(set_no) + (i <= 4 ? "1" : "2") + ".bmp");
      const int x = (i * (set_no == 1 ? 97 : 151) + set_no * 211) % (sw - kNoteW);
      const int y = (i * (set_no == 1 ? 61 : 223) + set_no * 137) % (sh - kNoteH);
      const int f = (i * 3 + set_no) % kNoteFrames;
      sprite(scene, x, y, kNoteW, kNoteH, notes_mask, f * kNoteW, 0, pic, f * kNoteW, 0);
    }
  }
  const Image& peace = find(sheets, "d_peace.bmp");
  for (int i = 1; i <= 8; ++i)
    sheet_sprite(scene, peace, (i * 173 + 40) % (sw - kPeaceW), (i * 89 + 70) % (sh - kPeaceH), kPeaceW, kPeaceH,
                 (i * 4) % kPeaceFrames);
  sheet_sprite(scene, find(sheets, "d_discoball.bmp"), 354, 0, kBallW, kBallH, 2);

  // Dancers in their starting grid, some walking left (row 1 of the sheets).
  const Image& dancer_mask = find(sheets, "d_wumpetmask.bmp");
  const struct {
    int x, y, frame;
    bool left;
  } dancers[] = {{25, 25, 1, false}, {225, 325, 3, true}, {425, 25, 5, false}, {625, 325, 6, true}, {25, 325, 0, false}};
  for (int i = 0; i < kDancerColours; ++i) {
    const auto& d = dancers[i];
    const int row = d.left ? kDancerH : 0;
    sprite(scene, d.x, d.y, kDancerW, kDancerH, dancer_mask, d.frame * kDancerW, row,
           find(sheets, "d_wumpet" + std::to_string(i + 1) + ".bmp"), d.frame * kDancerW, row);
  }

  // Rose clusters: three to a corner, the outer ones partly off the screen.
  const int w = kRoseW, h = kRoseH;
  const struct {
    const char* name;
    int x, y, dx2, dy2, dx3, dy3, frame;
  } roses[] = {{"d_redrose.bmp", 0, sh - h, 50, 25, -25, -50, 3},
               {"d_pinkrose.bmp", sw - w, sh - h, -50, 25, 25, -50, 2},
               {"d_whiterose.bmp", 0, 0, 50, -25, -25, 50, 3},
               {"d_yellowrose.bmp", sw - w, 0, -50, -25, 25, 50, 1}};
  for (const auto& r : roses) {
    const Image& sheet = find(sheets, r.name);
    sheet_sprite(scene, sheet, r.x, r.y, w, h, r.frame);
    sheet_sprite(scene, sheet, r.x + r.dx2, r.y + r.dy2, w, h, r.frame);
    sheet_sprite(scene, sheet, r.x + r.dx3, r.y + r.dy3, w, h, r.frame);
  }
  const Image& lamp = find(sheets, "d_lavalamp.bmp");
  sheet_sprite(scene, lamp, 0, 240, kLampW, kLampH, 5);
  sheet_sprite(scene, lamp, sw - kLampW, 240, kLampW, kLampH, 5);
  sheet_sprite(scene, find(sheets, "d_hippie.bmp"), 348, sh - kHippieH, kHippieW, kHippieH, 3);
  return scene;
}

namespace {

constexpr int kPageW = 1900;
constexpr int kMargin = 20;
constexpr int kGap = 6;
constexpr double kGrey = 0.5;

struct Block {
  int w, h;
  std::function<void(cairo_t*, int, int)> draw;
};

void label(cairo_t* cr, double x, double y, const std::string& text, double size, bool bold = false) {
  cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL,
                         bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, size);
  cairo_move_to(cr, x, y);
  set(cr, {1, 1, 1});
  cairo_show_text(cr, text.c_str());
}

void paint_image(cairo_t* cr, const Image& img, double x, double y, int scale) {
  cairo_surface_t* s = to_cairo(img);
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_scale(cr, scale, scale);
  cairo_set_source_surface(cr, s, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_paint(cr);
  cairo_restore(cr);
  cairo_surface_destroy(s);
}

std::string describe(const Sheet& s) {
  char buf[160];
  switch (s.layout) {
    case Layout::DirectionRows:
      std::snprintf(buf, sizeof buf, "%s  %d x %d: %d frames of %d x %d; top: moving right, bottom: moving left",
                    s.name.c_str(), s.image.width(), s.image.height(), s.frames, s.frame_w, s.frame_h);
      break;
    case Layout::PictureOverMask:
      std::snprintf(buf, sizeof buf, "%s  %d x %d: %d frames of %d x %d; pictures over masks", s.name.c_str(),
                    s.image.width(), s.image.height(), s.frames, s.frame_w, s.frame_h);
      break;
    case Layout::SingleRow:
      std::snprintf(buf, sizeof buf, "%s  %d x %d: %d frames of %d x %d", s.name.c_str(), s.image.width(),
                    s.image.height(), s.frames, s.frame_w, s.frame_h);
      break;
    case Layout::Tile:
      std::snprintf(buf, sizeof buf, "%s  %d x %d tile (left: 2x; right: tiled 1:1)", s.name.c_str(),
                    s.image.width(), s.image.height());
      break;
  }
  return buf;
}

// A sheet at 2x, its frames pulled apart and numbered; frames that do not fit on a line wrap.
Block sheet_block(const Sheet& s) {
  const int title_h = 22, number_h = 14;
  if (s.layout == Layout::Tile) {
    const int tiled_w = std::min(3 * s.frame_w, 500), tiled_h = std::min(2 * s.frame_h, 580);
    const int w = std::max(2 * s.frame_w + kGap * 3 + tiled_w, 520);
    const int h = title_h + std::max(2 * s.frame_h, tiled_h);
    return {w, h, [s, title_h, tiled_w, tiled_h](cairo_t* cr, int x, int y) {
              label(cr, x, y + 15, describe(s), 13, true);
              paint_image(cr, s.image, x, y + title_h, 2);
              Image tiled(tiled_w, tiled_h);
              for (int ty = 0; ty < tiled_h; ty += s.frame_h)
                for (int tx = 0; tx < tiled_w; tx += s.frame_w)
                  blit(tiled, tx, ty, s.frame_w, s.frame_h, s.image, 0, 0, Rop::Copy);
              paint_image(cr, tiled, x + 2 * s.frame_w + kGap * 3, y + title_h, 1);
            }};
  }
  const int rows = s.layout == Layout::SingleRow ? 1 : 2;
  const int cell_w = 2 * s.frame_w + kGap, cell_h = number_h + rows * (2 * s.frame_h + kGap);
  const int per_line = std::max(1, (kPageW - 2 * kMargin) / cell_w);
  const int lines = (s.frames + per_line - 1) / per_line;
  const int w = std::max(std::min(s.frames, per_line) * cell_w, 420);
  const int h = title_h + lines * cell_h;
  return {w, h, [s, rows, cell_w, cell_h, per_line, title_h, number_h](cairo_t* cr, int x, int y) {
            label(cr, x, y + 15, describe(s), 13, true);
            for (int f = 0; f < s.frames; ++f) {
              const int cx = x + (f % per_line) * cell_w, cy = y + title_h + (f / per_line) * cell_h;
              label(cr, cx, cy + 11, "frame " + std::to_string(f), 11);
              for (int r = 0; r < rows; ++r)
                paint_image(cr, s.image.crop(f * s.frame_w, r * s.frame_h, s.frame_w, s.frame_h), cx,
                            cy + number_h + r * (2 * s.frame_h + kGap), 2);
            }
          }};
}

Block pictures_block(const std::vector<Picture>& pics) {
  const int cell_w = 2 * kPreviewW + 14, cell_h = 2 * kPreviewH + 20, per_line = 6;
  const int lines = (kPreviewCount + per_line - 1) / per_line;
  const int w = per_line * cell_w, h = 22 + lines * cell_h + 20 + 2 * kIconSize;
  return {w, h, [pics, cell_w, cell_h, per_line, lines](cairo_t* cr, int x, int y) {
            label(cr, x, y + 15, "Settings dialog previews pic0..pic15 (140 x 131) and error dialog icons (75 x 75), 2x",
                  13, true);
            for (int i = 0; i < static_cast<int>(pics.size()); ++i) {
              int cx, cy;
              if (i < kPreviewCount) {
                cx = x + (i % per_line) * cell_w;
                cy = y + 22 + (i / per_line) * cell_h;
              } else {
                cx = x + (i - kPreviewCount) * (2 * kIconSize + 40);
                cy = y + 22 + lines * cell_h;
              }
              label(cr, cx, cy + 12, pics[i].name, 11);
              paint_image(cr, pics[i].image, cx, cy + 16, 2);
            }
          }};
}

}  // namespace

void write_gallery(const std::string& png_path, const std::string& scene_png) {
  const std::vector<Sheet> sheets = build_sheets();
  const std::vector<Picture> pics = build_pictures();
  std::vector<Block> blocks;
  for (const Sheet& s : sheets) blocks.push_back(sheet_block(s));
  blocks.push_back({560, 40, [](cairo_t* cr, int x, int y) {
                      char buf[160];
                      std::snprintf(buf, sizeof buf, "%s  %d x %d, all black: 8-bit palette, RLE8 compressed", kBufferName,
                                    kBufferW, kBufferH);
                      label(cr, x, y + 15, buf, 13, true);
                    }});
  blocks.push_back(pictures_block(pics));
  if (!scene_png.empty()) {
    cairo_surface_t* shot = cairo_image_surface_create_from_png(scene_png.c_str());
    if (cairo_surface_status(shot) != CAIRO_STATUS_SUCCESS) throw std::runtime_error("cannot read " + scene_png);
    const int w = cairo_image_surface_get_width(shot), h = cairo_image_surface_get_height(shot);
    blocks.push_back({w, h + 22, [shot, w, h](cairo_t* cr, int x, int y) {
                        char buf[160];
                        std::snprintf(buf, sizeof buf, "A frame rendered by the saver itself, %d x %d", w, h);
                        label(cr, x, y + 15, buf, 13, true);
                        cairo_set_source_surface(cr, shot, x, y + 22);
                        cairo_paint(cr);
                      }});
  } else {
    const Image scene = compose_scene(sheets);
    blocks.push_back({kSceneW, kSceneH + 22, [scene](cairo_t* cr, int x, int y) {
                        label(cr, x, y + 15, "A whole scene, 800 x 600, drawn from the sheets with mask AND, picture OR", 13,
                              true);
                        paint_image(cr, scene, x, y + 22, 1);
                      }});
  }

  // Lay the blocks out in lines, left to right.
  struct Placed {
    int x, y;
  };
  std::vector<Placed> at;
  int x = kMargin, y = kMargin + 40, line_h = 0;
  for (const Block& b : blocks) {
    if (x > kMargin && x + b.w > kPageW - kMargin) {
      x = kMargin;
      y += line_h + 24;
      line_h = 0;
    }
    at.push_back({x, y});
    x += b.w + 30;
    line_h = std::max(line_h, b.h);
  }
  const int page_h = y + line_h + kMargin;

  cairo_surface_t* page = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kPageW, page_h);
  cairo_t* cr = cairo_create(page);
  cairo_set_source_rgb(cr, kGrey, kGrey, kGrey);
  cairo_paint(cr);
  label(cr, kMargin, kMargin + 20, "Zelkin Wumpets: every picture of the data folder and the dialogs", 20, true);
  for (std::size_t i = 0; i < blocks.size(); ++i) blocks[i].draw(cr, at[i].x, at[i].y);
  cairo_destroy(cr);
  const cairo_status_t st = cairo_surface_write_to_png(page, png_path.c_str());
  cairo_surface_destroy(page);
  if (st != CAIRO_STATUS_SUCCESS) throw std::runtime_error("cannot write " + png_path);
}

}  // namespace art
