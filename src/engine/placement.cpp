// Where the sprites start, and how the free dancers bounce off the walls and off each other.
#include <cmath>

#include "engine/behaviours.h"
#include "engine/saver_form.h"
#include "errors/handler.h"
#include "startup/starter.h"

namespace wumpets {

namespace {

Integer int_abs(Integer v) { return v < 0 ? int_sub(0, v) : v; }

// A random spot for a drifting sprite: floor((edge - size - step + 1) * r), the step with its sign.
Long scatter(Long edge, Long size, Single step, float r) {
  return to_long(int_floor((static_cast<double>(long_sub(edge, size)) - step + 1.0) * r));
}

// Element 1 of a rose cluster sits in its corner; 2 and 3 lie along and beyond the edges.
void place_roses(FixedArray<Sprite, 4>& roses, Long x1, Long y1, Long dx2, Long dy2, Long dx3, Long dy3) {
  roses(1).x = x1;
  roses(1).y = y1;
  roses(2).x = long_add(x1, dx2);
  roses(2).y = long_add(y1, dy2);
  roses(3).x = long_add(x1, dx3);
  roses(3).y = long_add(y1, dy3);
}

}  // namespace

void check4positions(SaverForm& f) {
  Starter& st = f.st;
  guarded(st, "ScreenSaver/Check4Positions", [&] {
    Scene& sc = f.scene;
    const Long sw = sc.screenwidth, sh = sc.screenheight;

    if (sc.conga) {
      // The conga line waits off the left edge, the lowest slot rightmost, walking right.
      Integer p = 0;
      for (int i = 1; i <= 5; ++i) {
        Sprite& w = sc.wumpets(i);
        if (!w.enabled) continue;
        w.x = long_sub(p, w.width);
        p = to_integer(w.x);
        if (f.congafirst == 0) f.congafirst = static_cast<Integer>(i);
        f.congalast = static_cast<Integer>(i);
        w.dy = 0;
        w.dx = std::fabs(w.dx);
      }
    } else {
      const Long left = 25, top = 25;
      const Long quarter = to_long(sw / 4.0 + 25), middle = to_long(sw / 2.0 + 25);
      const Long three_quarters = to_long(long_mul(3, sw) / 4.0 + 25), lower = to_long(sh / 2.0 + 25);
      const Long xs[6] = {0, left, quarter, middle, three_quarters, left};
      const Long ys[6] = {0, top, lower, top, lower, lower};
      for (int i = 1; i <= 5; ++i) {
        Sprite& w = sc.wumpets(i);
        if (w.enabled) {
          w.x = xs[i];
          w.y = ys[i];
        } else {
          w.x = long_add(sw, 100);
          w.y = long_add(sh, 100);
        }
      }
    }

    for (int i = 1; i <= 8; ++i) {
      f.rng.randomize();
      const float r1 = f.rng.rnd(), r2 = f.rng.rnd(), r3 = f.rng.rnd(), r4 = f.rng.rnd();
      Sprite& a = sc.notes1(i);
      Sprite& b = sc.notes2(i);
      a.x = scatter(sw, a.width, a.dx, r1);
      a.y = scatter(sh, a.height, a.dy, r2);
      b.x = scatter(sw, b.width, b.dx, r3);
      b.y = scatter(sh, b.height, b.dy, r4);
    }

    for (int i = 1; i <= 8; ++i) {
      f.rng.randomize();
      Sprite& p = sc.peaces(i);
      const float r1 = f.rng.rnd();
      p.x = scatter(sw, p.width, p.dx, r1);
      const float r2 = f.rng.rnd();
      p.y = scatter(sh, p.height, p.dy, r2);
    }

    place_roses(sc.redroses, 0, long_sub(sh, sc.redroses(1).height), 50, 25, -25, -50);
    place_roses(sc.pinkroses, long_sub(sw, sc.pinkroses(1).width), long_sub(sh, sc.pinkroses(1).height), -50, 25, 25,
                -50);
    place_roses(sc.whiteroses, 0, 0, 50, -25, -25, 50);
    place_roses(sc.yellowroses, long_sub(sw, sc.yellowroses(1).width), 0, -50, -25, 25, 50);

    sc.hippie.x = to_long(sw / 2.0 - sc.hippie.width / 2.0);
    sc.hippie.y = long_sub(sh, sc.hippie.height);

    sc.lavalamps(1).x = 0;
    sc.lavalamps(1).y = to_long(sh / 2.0 - sc.lavalamps(1).height / 2.0);
    sc.lavalamps(2).x = long_sub(sw, sc.lavalamps(2).width);
    sc.lavalamps(2).y = to_long(sh / 2.0 - sc.lavalamps(2).height / 2.0);

    sc.discoball.x = to_long(sw / 2.0 - sc.discoball.width / 2.0);
    sc.discoball.y = 0;
  });
}

void check4collision(SaverForm& f, int i) {
  Starter& st = f.st;
  guarded(st, "ScreenSaver/Check4Collision", [&] {
    Scene& sc = f.scene;
    std::string& mark = st.progressmark;
    const Long sw = sc.screenwidth, sh = sc.screenheight;
    Sprite& d = sc.wumpets(i);

    mark = "012";
    // Side walls: turn before passing within 20 pixels of an edge.
    if ((long_add(d.x, d.width) + static_cast<double>(d.dx) + 20 > sw && d.dx > 0) ||
        (std::fabs(d.dx) + 20.0 > d.x && d.dx < 0)) {
      mark = "013";
      d.dx = -d.dx;
      mark = "014";
    }
    mark = "015";
    // Top and bottom look two steps ahead.
    if ((long_add(d.y, d.height) + 2.0 * d.dy + 20 > sh && d.dy > 0) ||
        (std::fabs(2.0 * d.dy) + 20.0 > d.y && d.dy < 0)) {
      d.dy = -d.dy;
    }
    mark = "016";
    if (sc.overlap) return;  // overlapping dancers pass through each other

    for (int j = i + 1; j <= 5; ++j) {
      Sprite& e = sc.wumpets(j);
      mark = "017";
      const Integer cyi = to_integer(d.y + d.height / 2.0 + d.dy);
      mark = "018";
      const Integer cyj = to_integer(e.y + e.height / 2.0 + e.dy);
      mark = "019";
      const Integer cxi = to_integer(d.x + d.width / 2.0 + d.dx);
      mark = "020";
      const Integer cxj = to_integer(e.x + e.width / 2.0 + e.dx);
      mark = "021";
      // Only dancer i's own speed widens the test.
      const bool meet = int_abs(int_sub(cyi, cyj)) < std::fabs(d.dy) + (d.height + e.height) / 2.0 &&
                        int_abs(int_sub(cxi, cxj)) < std::fabs(d.dx) + (d.width + e.width) / 2.0;
      if (!meet) continue;
      mark = "022";
      const Long ax = long_sub(d.x, e.x);
      const Integer gapx = to_integer(long_sub(ax < 0 ? long_sub(0, ax) : ax, d.x < e.x ? d.width : e.width));
      mark = "023";
      const Long ay = long_sub(d.y, e.y);
      const Integer gapy = to_integer(long_sub(ay < 0 ? long_sub(0, ay) : ay, d.y < e.y ? d.height : e.height));
      mark = "024";
      if (gapx < gapy) {
        // They meet top to bottom.
        mark = "025";
        d.dy = -d.dy;
        mark = "027";
        e.dy = -e.dy;
      } else {
        mark = "028";
        d.dx = -d.dx;
        mark = "029";
        e.dx = -e.dx;
      }
    }
  });
}

}  // namespace wumpets
