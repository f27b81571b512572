// Roses that open and close on the frame counter's timetable, lava lamps, spinning peace signs,
// the disco ball and the hippie.
#include "engine/behaviours.h"
#include "engine/drift.h"
#include "engine/saver_form.h"
#include "errors/handler.h"
#include "startup/starter.h"

namespace wumpets {

namespace {

// Pictures lie in row 0 of a sheet, their masks in row 1.
void draw_masked(Scene& sc, const Sprite& s, Handle sheet, bool use_mask) {
  const Long sx = source_x(s);
  if (use_mask) plat::bitblt(sc.bufferdc, s.x, s.y, s.width, s.height, sheet, sx, s.height, plat::kSrcAnd);
  plat::bitblt(sc.bufferdc, s.x, s.y, s.width, s.height, sheet, sx, 0, plat::kSrcPaint);
}

bool in(Integer c, int from) { return c >= from && c <= from + 2; }

// Every rose opens over counts 100..102, 300..302, ... and closes over 200..202, ..., 996..998.
void update_roses(SaverForm& f, const char* label, FixedArray<Sprite, 4>& roses, Handle sheet) {
  Starter& st = f.st;
  guarded(st, label, [&] {
    Scene& sc = f.scene;
    const Integer c = f.framecounter;
    for (int i = 1; i <= 3; ++i) {
      Sprite& s = roses(i);
      draw_masked(sc, s, sheet, !sc.semitransparent);
      if (in(c, 100) || in(c, 300) || in(c, 500) || in(c, 700) || in(c, 900)) {
        s.frame = int_add(s.frame, 1);
      } else if (in(c, 200) || in(c, 400) || in(c, 600) || in(c, 800) || in(c, 996)) {
        s.frame = int_sub(s.frame, 1);
      }
    }
  });
}

// A figure that stands still and loops through `frames` pictures, always drawn with its mask.
void draw_and_loop(Scene& sc, Sprite& s, Handle sheet) {
  draw_masked(sc, s, sheet, true);
  s.frame = int_add(s.frame, 1);
  if (s.frame >= s.frames) s.frame = 0;
}

void update_figure(SaverForm& f, const char* label, Sprite& s, Handle sheet) {
  guarded(f.st, label, [&] { draw_and_loop(f.scene, s, sheet); });
}

}  // namespace

void update_redrose(SaverForm& f) {
  update_roses(f, "ScreenSaver/Update_RedRose", f.scene.redroses, f.scene.redrosedc);
}
void update_pinkrose(SaverForm& f) {
  update_roses(f, "ScreenSaver/Update_PinkRose", f.scene.pinkroses, f.scene.pinkrosedc);
}
void update_whiterose(SaverForm& f) {
  update_roses(f, "ScreenSaver/Update_WhiteRose", f.scene.whiteroses, f.scene.whiterosedc);
}
void update_yellowrose(SaverForm& f) {
  update_roses(f, "ScreenSaver/Update_YellowRose", f.scene.yellowroses, f.scene.yellowrosedc);
}

void update_lavalamp(SaverForm& f) {
  Starter& st = f.st;
  guarded(st, "ScreenSaver/Update_LavaLamp", [&] {
    Scene& sc = f.scene;
    for (int i = 1; i <= 2; ++i) draw_and_loop(sc, sc.lavalamps(i), sc.lavalampdc);
  });
}

void update_peace(SaverForm& f) {
  Starter& st = f.st;
  guarded(st, "ScreenSaver/Update_Peace", [&] {
    Scene& sc = f.scene;
    for (int i = 1; i <= 8; ++i) {
      Sprite& s = sc.peaces(i);
      draw_masked(sc, s, sc.peacedc, !sc.semitransparent);
      bounce_and_move(sc, s);
      s.frame = int_add(s.frame, s.framestep);
      if (s.frame > s.frames) s.frame = 0;
      if (s.frame < 0) s.frame = s.frames;
    }
  });
}

void update_discoball(SaverForm& f) {
  update_figure(f, "ScreenSaver/Update_DiscoBall", f.scene.discoball, f.scene.discoballdc);
}
void update_hippie(SaverForm& f) {
  update_figure(f, "ScreenSaver/Update_Hippie", f.scene.hippie, f.scene.hippiedc);
}

}  // namespace wumpets
