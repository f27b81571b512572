// The Linux program: takes its own "--" options out of the arguments, sets up the back end and
// hands over to Main, then runs the event loop until a mode ends the process.
#include <malloc.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/linux/i_sound.h"
#include "platform/linux/linux_platform.h"
#include "platform/common/options.h"
#include "platform/platform.h"
#include "version.h"

int main(int argc, char** argv) {
  // Screen-sized buffers live in memory of their own, given back the moment they are freed:
  // the set-up's pictures must not stay resident for the whole run.
  mallopt(M_MMAP_THRESHOLD, 1 << 20);
  std::vector<std::string> args(argv + 1, argv + argc);
  wumpets::Options options = wumpets::parse_options(args);
  if (!options.errors.empty()) {
    for (const auto& e : options.errors) std::fprintf(stderr, "zelkin-wumpets: %s\n", e.c_str());
    std::fprintf(stderr, "Try 'zelkin-wumpets --help'.\n");
    return 2;
  }
  if (options.help) {
    std::fputs(wumpets::options_help().c_str(), stdout);
    return 0;
  }
  if (options.version) {
    std::puts("Zelkin Wumpets " WUMPETS_VERSION);
    return 0;
  }
  // --render: this process waits for a child that runs the saver and writes the picture.
  if (!options.render.empty()) {
    if (const int status = linuxplat::render_supervise(options.render); status >= 0) return status;
  }
  linuxplat::configure(options, argv[0]);
  // The music starts from the event loop, once the saver's window is up (a picture needs none).
  linuxplat::music::defer_start(options.render.empty());
  linuxplat::music::set_soundfont_path(options.soundfont);
  linuxplat::music::set_volume(options.mute ? 0 : options.volume.value_or(100));
  linuxplat::music::set_silencer(linuxplat::music_silence_reason);

  plat::core_main(options.seed, options.settings);
  plat::run_event_loop();
  return 0;
}
