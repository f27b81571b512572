// Moving sprites. Drifting ones (peace signs, notes) turn at the screen edges, then move one step. The edges
// are tested before the move, with no margin and whatever the direction: a sprite is drawn once
// past an edge and turned on the next tick. Its cycle of pictures turns with a side bounce.
#pragma once

#include "engine/scene.h"

namespace wumpets {

// One step along the velocity, each sum formed in double precision and rounded halves to even.
inline void move_one_step(Sprite& s) {
  s.x = to_long(s.x + static_cast<double>(s.dx));
  s.y = to_long(s.y + static_cast<double>(s.dy));
}

inline void bounce_and_move(const Scene& sc, Sprite& s) {
  if (s.x > long_sub(sc.screenwidth, s.width) || s.x < 0) {
    s.dx = -s.dx;
    s.framestep = int_sub(0, s.framestep);
  }
  if (s.y > long_sub(sc.screenheight, s.height) || s.y < 0) s.dy = -s.dy;
  move_one_step(s);
}

}  // namespace wumpets
