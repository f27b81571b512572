// The figures of the saver, drawn as vectors into a cairo context whose origin is the frame's
// top-left corner and whose units are the frame's pixels. The sheets draw them at their frame
// size; the dialog pictures and the gallery reuse them at other scales.
#pragma once

#include <cairo.h>

namespace art {

// Frame sizes and frame counts of each kind on its sheet.
inline constexpr int kDancerW = 111, kDancerH = 102, kDancerFrames = 8, kDancerColours = 5;
inline constexpr int kRoseW = 101, kRoseH = 101, kRoseFrames = 4;
inline constexpr int kLampW = 51, kLampH = 121, kLampFrames = 20;
inline constexpr int kPeaceW = 41, kPeaceH = 41, kPeaceFrames = 15;
inline constexpr int kBallW = 91, kBallH = 132, kBallFrames = 5;
inline constexpr int kHippieW = 103, kHippieH = 97, kHippieFrames = 8;
inline constexpr int kNoteW = 26, kNoteH = 50, kNoteFrames = 10;

enum class Mood { Dancing, Puzzled };

// A Wumpet of colour 1..5 (blue, green, pink, orange, purple), facing right, in frame 0..7 of its
// dance. Every colour has the same outline in a given frame.
void draw_wumpet(cairo_t* cr, int colour, int frame, Mood mood = Mood::Dancing);

enum class RoseColour { Red, Pink, White, Yellow };
// stage 0 is a closed bud, 3 the full bloom.
void draw_rose(cairo_t* cr, RoseColour colour, int stage);

// frame 0..19 of a loop: the wax blobs rise and fall and come back to where they started.
void draw_lavalamp(cairo_t* cr, int frame);

// frame 0..14: one full turn.
void draw_peace(cairo_t* cr, int frame);

// frame 0..4: the facets move on by one column over the five frames, so the loop is seamless.
void draw_discoball(cairo_t* cr, int frame);

// frame 0..7: sways and strums.
void draw_hippie(cairo_t* cr, int frame);

// set 1 or 2, look 1 or 2, frame 0..9. Every set and look has the same outline in a frame.
void draw_note(cairo_t* cr, int set, int look, int frame);

}  // namespace art

namespace art {

// Background tiles; each wraps round at its edges so that copies laid side by side join up.
inline constexpr int kSkullsW = 165, kSkullsH = 290;
inline constexpr int kAztecW = 108, kAztecH = 108;
inline constexpr int kFlowersW = 97, kFlowersH = 57;
void draw_skulls_tile(cairo_t* cr);
void draw_aztec_tile(cairo_t* cr);
void draw_flowers_tile(cairo_t* cr);

// A cartoon skull, centred on the origin, about 36 x 44.
void draw_skull(cairo_t* cr, double hue);

}  // namespace art
