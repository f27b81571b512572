#include "sheets.h"

#include <stdexcept>

#include "figures.h"
#include "render.h"

namespace art {

namespace {

void put(Image& sheet, const Image& frame, int x, int y) {
  blit(sheet, x, y, frame.width(), frame.height(), frame, 0, 0, Rop::Copy);
}

// Pictures in row 0, masks in row 1.
Sheet picture_over_mask(const std::string& name, int w, int h, int frames,
                        const std::function<void(cairo_t*, int)>& draw) {
  Sheet s{name, Image(w * frames, h * 2), w, h, frames, Layout::PictureOverMask};
  for (int f = 0; f < frames; ++f) {
    const Cel cel = render_cel(w, h, [&](cairo_t* cr) { draw(cr, f); });
    put(s.image, cel.pic, f * w, 0);
    put(s.image, cel.mask, f * w, h);
  }
  return s;
}

// The dancers: five colour sheets and one mask sheet. A dancer moving left is its right-moving
// self mirrored, so row 1 is made from row 0 pixel for pixel.
void dancers(std::vector<Sheet>& out) {
  const int w = kDancerW, h = kDancerH, n = kDancerFrames;
  Sheet mask{"d_wumpetmask.bmp", Image(w * n, h * 2), w, h, n, Layout::DirectionRows};
  for (int colour = 1; colour <= kDancerColours; ++colour) {
    Sheet s{"d_wumpet" + std::to_string(colour) + ".bmp", Image(w * n, h * 2), w, h, n,
            Layout::DirectionRows};
    for (int f = 0; f < n; ++f) {
      const Cel cel = render_cel(w, h, [&](cairo_t* cr) { draw_wumpet(cr, colour, f); });
      if (colour == 1) {
        put(mask.image, cel.mask, f * w, 0);
        put(mask.image, cel.mask.mirrored(), f * w, h);
      } else if (!(cel.mask == mask.image.crop(f * w, 0, w, h))) {
        throw std::logic_error("dancer colours must share one outline");
      }
      put(s.image, cel.pic, f * w, 0);
      put(s.image, cel.pic.mirrored(), f * w, h);
    }
    out.push_back(std::move(s));
  }
  out.push_back(std::move(mask));
}

void notes(std::vector<Sheet>& out) {
  const int w = kNoteW, h = kNoteH, n = kNoteFrames;
  Sheet mask{"d_notesmask.bmp", Image(w * n, h), w, h, n, Layout::SingleRow};
  bool first = true;
  for (int set_no = 1; set_no <= 2; ++set_no) {
    for (int look = 1; look <= 2; ++look) {
      Sheet s{"d_notes" + std::to_string(set_no) + std::to_string(look) + ".bmp", Image(w * n, h), w, h, n,
              Layout::SingleRow};
      for (int f = 0; f < n; ++f) {
        const Cel cel = render_cel(w, h, [&](cairo_t* cr) { draw_note(cr, set_no, look, f); });
        if (first)
          put(mask.image, cel.mask, f * w, 0);
        else if (!(cel.mask == mask.image.crop(f * w, 0, w, h)))
          throw std::logic_error("note sheets must share one outline");
        put(s.image, cel.pic, f * w, 0);
      }
      first = false;
      out.push_back(std::move(s));
    }
  }
  out.push_back(std::move(mask));
}

Sheet tile(const std::string& name, int w, int h, void (*draw)(cairo_t*)) {
  return {name, render_opaque(w, h, kBlack, draw), w, h, 0, Layout::Tile};
}

}  // namespace

std::vector<Sheet> build_sheets() {
  std::vector<Sheet> out;
  dancers(out);
  const std::pair<const char*, RoseColour> roses[] = {{"d_redrose.bmp", RoseColour::Red},
                                                      {"d_pinkrose.bmp", RoseColour::Pink},
                                                      {"d_whiterose.bmp", RoseColour::White},
                                                      {"d_yellowrose.bmp", RoseColour::Yellow}};
  for (const auto& [name, colour] : roses)
    out.push_back(picture_over_mask(name, kRoseW, kRoseH, kRoseFrames,
                                    [colour](cairo_t* cr, int f) { draw_rose(cr, colour, f); }));
  out.push_back(picture_over_mask("d_lavalamp.bmp", kLampW, kLampH, kLampFrames, draw_lavalamp));
  out.push_back(picture_over_mask("d_peace.bmp", kPeaceW, kPeaceH, kPeaceFrames, draw_peace));
  out.push_back(picture_over_mask("d_discoball.bmp", kBallW, kBallH, kBallFrames, draw_discoball));
  out.push_back(picture_over_mask("d_hippie.bmp", kHippieW, kHippieH, kHippieFrames, draw_hippie));
  notes(out);
  out.push_back(tile("d_back0.bmp", kSkullsW, kSkullsH, draw_skulls_tile));
  out.push_back(tile("d_back1.bmp", kAztecW, kAztecH, draw_aztec_tile));
  out.push_back(tile("d_back2.bmp", kFlowersW, kFlowersH, draw_flowers_tile));
  return out;
}

void write_data_folder(const std::string& dir) {
  for (const Sheet& s : build_sheets()) write_file(dir + "/" + s.name, encode_bmp24(s.image));
  write_file(dir + "/" + kBufferName, encode_black_bmp_rle8(kBufferW, kBufferH));
}

}  // namespace art
