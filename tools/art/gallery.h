// A contact sheet of every picture we make, and a whole scene composed from the sheets with the
// saver's own mask-then-paint blits.
#pragma once

#include <string>
#include <vector>

#include "image.h"
#include "sheets.h"

namespace art {

inline constexpr int kSceneW = 800, kSceneH = 600;

// An 800 x 600 scene with every kind switched on, on the "Human Skulls" background.
Image compose_scene(const std::vector<Sheet>& sheets);

// scene_png: a frame rendered by the saver itself (zelkin-wumpets --render); empty to compose a
// stand-in scene from the sheets.
void write_gallery(const std::string& png_path, const std::string& scene_png = "");

}  // namespace art
