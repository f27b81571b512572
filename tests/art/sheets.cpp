#include "sheets.h"

#include <map>
#include <stdexcept>

const std::vector<SheetCase> kSheets = {
    {"d_wumpet1.bmp", "d_wumpetmask.bmp", 111, 102, 8, false, 2, 0, true},
    {"d_wumpet2.bmp", "d_wumpetmask.bmp", 111, 102, 8, false, 2, 0, true},
    {"d_wumpet3.bmp", "d_wumpetmask.bmp", 111, 102, 8, false, 2, 0, true},
    {"d_wumpet4.bmp", "d_wumpetmask.bmp", 111, 102, 8, false, 2, 0, true},
    {"d_wumpet5.bmp", "d_wumpetmask.bmp", 111, 102, 8, false, 2, 0, true},
    {"d_redrose.bmp", "d_redrose.bmp", 101, 101, 4, true, 1, 0, false},
    {"d_pinkrose.bmp", "d_pinkrose.bmp", 101, 101, 4, true, 1, 0, false},
    {"d_whiterose.bmp", "d_whiterose.bmp", 101, 101, 4, true, 1, 0, false},
    {"d_yellowrose.bmp", "d_yellowrose.bmp", 101, 101, 4, true, 1, 0, false},
    {"d_lavalamp.bmp", "d_lavalamp.bmp", 51, 121, 20, true, 1, 0, true},
    {"d_peace.bmp", "d_peace.bmp", 41, 41, 15, true, 1, 0, true},
    {"d_discoball.bmp", "d_discoball.bmp", 91, 132, 5, true, 1, kTop, true},
    {"d_hippie.bmp", "d_hippie.bmp", 103, 97, 8, true, 1, 0, true},
    {"d_notes11.bmp", "d_notesmask.bmp", 26, 50, 10, false, 1, 0, true},
    {"d_notes12.bmp", "d_notesmask.bmp", 26, 50, 10, false, 1, 0, true},
    {"d_notes21.bmp", "d_notesmask.bmp", 26, 50, 10, false, 1, 0, true},
    {"d_notes22.bmp", "d_notesmask.bmp", 26, 50, 10, false, 1, 0, true},
};

const Bitmap& loaded(const std::string& name) {
  static std::map<std::string, Bitmap> cache;
  auto it = cache.find(name);
  if (it == cache.end()) it = cache.emplace(name, load_bmp(data_path(name))).first;
  return it->second;
}

std::vector<Frame> frames_of(const SheetCase& c) {
  const Bitmap& pic = loaded(c.picture);
  const Bitmap& mask = loaded(c.mask);
  std::vector<Frame> out;
  const int need_h = c.fh * (c.masks_below ? 2 : c.picture_rows);
  if (pic.w < c.fw * c.frames || pic.h < need_h || mask.w < c.fw * c.frames || mask.h < need_h) return out;
  for (int r = 0; r < c.picture_rows; ++r)
    for (int f = 0; f < c.frames; ++f) {
      const int mask_y = c.masks_below ? c.fh : r * c.fh;
      out.push_back({r, f, pic.crop(f * c.fw, r * c.fh, c.fw, c.fh), mask.crop(f * c.fw, mask_y, c.fw, c.fh)});
    }
  return out;
}

const SheetCase& sheet_case(const std::string& picture) {
  for (const SheetCase& c : kSheets)
    if (picture == c.picture) return c;
  throw std::out_of_range(picture);
}

int figure_area(const Bitmap& mask) {
  int n = 0;
  for (const Px& p : mask.px) n += p.black() ? 1 : 0;
  return n;
}

std::string case_name(const SheetCase& c) {
  std::string n = c.picture;
  return n.substr(0, n.find('.'));
}

Px figure_colour(const SheetCase& c, int only_frame) {
  double r = 0, g = 0, b = 0;
  int n = 0;
  for (const Frame& fr : frames_of(c)) {
    if (fr.row != 0 || (only_frame >= 0 && fr.index != only_frame)) continue;
    for (std::size_t i = 0; i < fr.mask.px.size(); ++i)
      if (fr.mask.px[i].black()) {
        r += fr.pic.px[i].r;
        g += fr.pic.px[i].g;
        b += fr.pic.px[i].b;
        ++n;
      }
  }
  if (n == 0) return {};
  return {static_cast<std::uint8_t>(r / n), static_cast<std::uint8_t>(g / n), static_cast<std::uint8_t>(b / n)};
}

