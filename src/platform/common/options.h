// Options of the program's own, which begin with "--" (or a single "-", as screen-saver hosts
// and lockers pass them). They are taken out of the arguments before the switch search sees
// them, so that a value such as a path never selects a mode.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace wumpets {

// One settings value for this run only (see plat::core_main).
using SettingOverride = plat::SettingOverride;

struct Options {
  std::string config_dir;                // --config-dir: folder of the settings file
  std::string data_dir;                  // --data-dir: the pictures and songs
  std::optional<std::uint64_t> seed;     // --seed: reproducible random numbers
  bool help = false;                     // --help, -help, -h
  bool version = false;                  // --version
  bool window = false;                   // --window[=WxH]: the saver in an ordinary window
  int window_width = 1280, window_height = 720;
  std::optional<std::uint64_t> window_id;  // --window-id: draw into an existing X11 window
  bool root = false;                     // --root: the window named by XSCREENSAVER_WINDOW
  std::string render;                    // --render=FILE: write a picture instead of showing
  int frames = 1;                        // --frames=N: ticks before the picture is taken
  int render_width = 1920, render_height = 1080;  // --size=WxH
  int scale = 0;                         // --scale=auto|1..4: 0 is auto (the desktop's scale)

  // Sound for this run: loudness 0..100 (the synthesizer's own when unset), silence, soundfont.
  std::optional<int> volume;             // --volume=0..100
  bool mute = false;                     // --mute
  std::string soundfont;                 // --soundfont=FILE

  std::vector<SettingOverride> settings;  // the scene's choices for this run (see options_help)

  std::string args;                      // everything else, joined by blanks: the command line
  bool took_options = false;             // some of the arguments were options of ours
  std::vector<std::string> errors;       // unknown options and bad values
};

Options parse_options(const std::vector<std::string>& argv);
// The text the mode's switch search reads, from the arguments as the system passed them (after
// the program's path): that text itself while none of it was an option of ours, else only the
// other arguments, so that a value such as "-message=Rock/Cool" never selects a mode.
std::string mode_arguments(const std::string& passed, const Options& options);
std::string options_help();

}  // namespace wumpets
