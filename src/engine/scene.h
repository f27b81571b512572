// The scene model: every animated object is one Sprite record; each kind has a fixed array
// (element 0 unused) or a single record; element 1's `enabled` switches a whole kind, except for
// the dancers, where each element is its own switch. Plus the scene-wide switches and values and
// the handles of the drawing surfaces. Nothing here is allocated while the saver runs.
#pragma once

#include <string>

#include "platform/platform.h"
#include "runtime/fixed_array.h"
#include "runtime/numbers.h"

namespace wumpets {

struct Sprite {
  Long x = 0;          // left edge on the screen, pixels
  Long y = 0;          // top edge
  Long height = 0;     // one animation frame
  Long width = 0;
  Integer frames = 0;  // frame bound of the kind (each behaviour says how it wraps)
  Integer frame = 0;   // current frame
  Long sheetx = 0;     // source x of frame f is f * width + sheetx
  Long sheety = 0;     // source row; only the preview reads it
  Integer enabled = 0; // flag
  Single dx = 0;       // step per frame; negative moves left
  Single dy = 0;       // negative moves up
  Integer framestep = 0;  // +1 or -1 for kinds that animate both ways
};

// Where the sprite's current frame starts on its sheet. The sum is checked: an overflow is a
// run-time error of the behaviour that draws the sprite.
inline Long source_x(const Sprite& s) { return long_add(long_mul(s.frame, s.width), s.sheetx); }

// Frame sizes and bounds of each kind.
namespace kind {
inline constexpr Long kWumpetWidth = 111, kWumpetHeight = 102;
inline constexpr Integer kWumpetFrames = 7;
inline constexpr Long kRoseSize = 101;
inline constexpr Integer kRoseFrames = 4;
inline constexpr Long kLavaWidth = 51, kLavaHeight = 121;
inline constexpr Integer kLavaFrames = 20;
inline constexpr Long kPeaceSize = 41;
inline constexpr Integer kPeaceFrames = 14;
inline constexpr Long kNoteWidth = 26, kNoteHeight = 50;
inline constexpr Integer kNoteFrames = 9;
inline constexpr Long kDiscoWidth = 91, kDiscoHeight = 132;
inline constexpr Integer kDiscoFrames = 5;
inline constexpr Long kHippieWidth = 103, kHippieHeight = 97;
inline constexpr Integer kHippieFrames = 8;
}  // namespace kind

using plat::Handle;

struct Scene {
  // Sprites.
  FixedArray<Sprite, 6> wumpets;  // 1..5, index = colour
  FixedArray<Sprite, 4> redroses, pinkroses, whiteroses, yellowroses;  // 1..3
  FixedArray<Sprite, 3> lavalamps;                                     // 1..2
  FixedArray<Sprite, 9> peaces, notes1, notes2;                        // 1..8
  Sprite discoball;
  Sprite hippie;

  // Switches and values loaded from the settings.
  Integer conga = 0, trailing = 0, semitransparent = 0, overlap = 0, colorchanger = 0;
  Integer message = 0;
  std::string messagetext;
  Integer background = 0, backwidth = 0, backheight = 0, backmode = 0;
  Integer speed = 0;
  FixedArray<Integer, 6> musicchoice;  // 0..5
  Integer currentsong = 0;
  Integer previewwumpet = 0;

  // Screen size, measured by the image loader.
  Long screenwidth = 0, screenheight = 0;

  // Drawing surfaces (0 = none).
  FixedArray<Handle, 6> wumpetdc;
  Handle wumpetmaskdc = 0;
  FixedArray<Handle, 3> notes1dc, notes2dc;
  Handle notesmaskdc = 0;
  Handle redrosedc = 0, pinkrosedc = 0, whiterosedc = 0, yellowrosedc = 0;
  Handle lavalampdc = 0, peacedc = 0, discoballdc = 0, hippiedc = 0;
  Handle backdc = 0, bufferdc = 0, backtiledc = 0;
};

}  // namespace wumpets
