// The five dancers: on their own, bouncing off the walls and each other, or as one conga line.
#include "engine/behaviours.h"
#include "engine/drift.h"
#include "engine/saver_form.h"
#include "errors/handler.h"
#include "startup/starter.h"

namespace wumpets {

namespace {

// The colour sheet a slot is drawn from on this tick: its own, or a random one with the colour
// changer on (drawn for every slot, switched on or not).
int dancer_colour(SaverForm& f, int i) {
  if (f.scene.colorchanger == kTrue) return to_integer(int_floor(f.rng.rnd() * 5.0 + 1.0));
  return i;
}

// Mask, then picture, from the row of the dancer's direction. Nothing for a dancer standing still.
void draw_mask(Scene& sc, const Sprite& s, Long sx, Long sy) {
  if (!sc.semitransparent)
    plat::bitblt(sc.bufferdc, s.x, s.y, s.width, s.height, sc.wumpetmaskdc, sx, sy, plat::kSrcAnd);
}

void paint_dancer(Scene& sc, const Sprite& s, int colour, Long sx, Long sy) {
  plat::bitblt(sc.bufferdc, s.x, s.y, s.width, s.height, sc.wumpetdc(colour), sx, sy, plat::kSrcPaint);
}

void next_frame(Sprite& s) {
  s.frame = int_add(s.frame, 1);
  if (s.frame > s.frames) s.frame = 0;
}

}  // namespace

void update_wumpets(SaverForm& f) {
  Starter& st = f.st;
  guarded(st, "ScreenSaver/Update_Wumpets", [&] {
    Scene& sc = f.scene;
    std::string& mark = st.progressmark;
    mark = "001";
    for (int i = 1; i <= 5; ++i) {
      Sprite& s = sc.wumpets(i);
      mark = "002";
      if (sc.colorchanger == kTrue) mark = "003";
      const int colour = dancer_colour(f, i);
      const Long sx = source_x(s);
      if (s.dx > 0) {
        mark = "004";
        draw_mask(sc, s, sx, 0);
        mark = "005";
        paint_dancer(sc, s, colour, sx, 0);
      } else if (s.dx < 0) {
        mark = "006";
        draw_mask(sc, s, sx, s.height);
        mark = "007";
        paint_dancer(sc, s, colour, sx, s.height);
      }
      mark = "008";
      check4collision(f, i);
      mark = "009";
      s.x = to_long(s.x + static_cast<double>(s.dx));
      mark = "010";
      s.y = to_long(s.y + static_cast<double>(s.dy));
      mark = "011";
      s.frame = int_add(s.frame, 1);
      mark = "012";
      if (s.frame > s.frames) s.frame = 0;
    }
  });
}

void update_conga(SaverForm& f) {
  Starter& st = f.st;
  guarded(st, "ScreenSaver/Update_Conga", [&] {
    Scene& sc = f.scene;
    for (int i = 1; i <= 5; ++i) {
      Sprite& s = sc.wumpets(i);
      const int colour = dancer_colour(f, i);
      const Long sx = source_x(s);
      if (s.dx > 0) {
        draw_mask(sc, s, sx, 0);
        paint_dancer(sc, s, colour, sx, 0);
      } else if (s.dx < 0) {
        draw_mask(sc, s, sx, s.height);
        paint_dancer(sc, s, colour, sx, s.height);
      }
      move_one_step(s);
      next_frame(s);
    }
    // The line turns once its last dancer has left the screen on the side it walks towards,
    // and comes back over that side at a new height.
    const Sprite& first = sc.wumpets(f.congafirst);
    const Sprite& last = sc.wumpets(f.congalast);
    if (!(first.x < -first.width || last.x > sc.screenwidth)) return;
    f.rng.randomize();
    const float r = f.rng.rnd();
    const Integer row = to_integer(r * static_cast<double>(long_add(long_sub(sc.screenheight, sc.wumpets(1).height), 1)));
    for (int k = 1; k <= 5; ++k) {
      Sprite& s = sc.wumpets(k);
      if (!s.enabled) continue;
      s.dx = -s.dx;
      s.y = row;
    }
  });
}

}  // namespace wumpets
