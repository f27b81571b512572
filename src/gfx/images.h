// The image set: which bitmap files of the data folder are loaded into which surfaces, and the
// full-screen background prepared once from the chosen tile.
#pragma once

namespace wumpets {

struct Starter;
struct Scene;

// Saver mode: measures the screen, loads the sheets of every switched-on kind, the back buffer
// and the background, and tiles the background.
void X_Loadpics4screensaver(Starter& st);

// A view's back buffer and background, width x height, the background tiled from the chosen
// tile (or black). The saver's primary view gets them from X_Loadpics4screensaver.
void load_view_buffers(Starter& st, Scene& sc, long width, long height);

// Preview mode: draws a dancer colour at random and loads that colour's sheet only.
void X_Loadpics4Preview(Starter& st);

}  // namespace wumpets
