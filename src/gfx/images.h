// The image set: which bitmap files of the data folder are loaded into which surfaces, and the
// full-screen background prepared once from the chosen tile.
#pragma once

namespace wumpets {

struct Starter;

// Saver mode: measures the screen, loads the sheets of every switched-on kind, the back buffer
// and the background, and tiles the background.
void X_Loadpics4screensaver(Starter& st);

// Preview mode: draws a dancer colour at random and loads that colour's sheet only.
void X_Loadpics4Preview(Starter& st);

}  // namespace wumpets
