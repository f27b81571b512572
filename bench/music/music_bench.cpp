// Figures for the background music: how loud a real song comes out of the synthesizer, and
// what the synthesis costs while a song plays through the media commands, as in the saver.
//
//   wumpets-music-bench [song.Mid] [seconds]
//
// The song defaults to the build's data/d_0.Mid; the play lasts 15 s by default. The output is
// SDL_AUDIODRIVER's, "dummy" when unset: there nothing can be heard and the songs run on the
// silent clock without synthesis, so the cost of playing to a sound card is the figure of an
// output that takes the samples, such as "disk" with SDL_DISKAUDIOFILE=/dev/null.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/linux/i_sound.h"
#include "platform/platform.h"

namespace {

double cpu_seconds() {
  rusage use{};
  ::getrusage(RUSAGE_SELF, &use);
  return static_cast<double>(use.ru_utime.tv_sec + use.ru_stime.tv_sec) +
         static_cast<double>(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}

std::string send(const std::string& command) {
  std::string reply;
  const std::int32_t result = plat::media_command(command, reply, 255);
  if (result != 0) {
    std::fprintf(stderr, "\"%s\" failed with %d\n", command.c_str(), result);
    std::exit(1);
  }
  return reply;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string song = argc > 1 ? argv[1] : std::string(WUMPETS_DATA_DIR) + "/d_0.Mid";
  const double seconds = argc > 2 ? std::atof(argv[2]) : 15.0;
  ::setenv("SDL_AUDIODRIVER", "dummy", 0);

  // Loudness of the whole song rendered offline through the soundfont.
  const auto samples =
      linuxplat::music::render_offline(song, linuxplat::music::kDefaultSoundfont, 44100, 900.0);
  if (samples.empty()) {
    std::fprintf(stderr, "%s cannot be rendered (missing, not a MIDI file, or no soundfont)\n",
                 song.c_str());
    return 1;
  }
  double sum = 0, peak = 0;
  for (float s : samples) {
    sum += static_cast<double>(s) * s;
    peak = std::max(peak, static_cast<double>(std::fabs(s)));
  }
  const double rms = std::sqrt(sum / static_cast<double>(samples.size()));
  std::printf("song: %s\n", song.c_str());
  std::printf("rendered: %.1f s, RMS %.4f (%.1f dBFS), peak %.3f\n",
              static_cast<double>(samples.size()) / 2 / 44100, rms, 20 * std::log10(rms), peak);

  // Synthesis cost while the song plays through the commands the saver sends, polled as the
  // saver's music timer would (more often, so a short song restarts at once).
  const double cpu_setup_start = cpu_seconds();
  const auto setup_start = std::chrono::steady_clock::now();
  send("open \"" + song + "\" type sequencer alias song0");
  send("play song0 from 0");
  const double setup_cpu = cpu_seconds() - cpu_setup_start;
  const double setup_wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - setup_start).count();

  const double cpu_start = cpu_seconds();
  const auto start = std::chrono::steady_clock::now();
  int restarts = 0;
  for (;;) {
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    if (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() >= seconds) break;
    if (send("status song0 mode") == "stopped") {
      send("play song0 from 0");
      ++restarts;
    }
  }
  const double cpu = cpu_seconds() - cpu_start;
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  send("stop song0");

  // Between two songs the output stays open and the synthesizer renders silence.
  const double idle_cpu_start = cpu_seconds();
  std::this_thread::sleep_for(std::chrono::seconds(5));
  const double idle_cpu = cpu_seconds() - idle_cpu_start;
  send("close song0");
  const char* driver = std::getenv("SDL_AUDIODRIVER");
  std::printf("first open and play (soundfont, audio device): %.0f ms wall, %.0f ms CPU\n",
              setup_wall * 1000, setup_cpu * 1000);
  const bool silent = driver && std::string(driver) == "dummy";
  std::printf("playing %.1f s (driver %s%s, %d restarts): %.3f s CPU = %.2f%% of a core\n", wall,
              driver ? driver : "default", silent ? ": silent clock, nothing synthesized" : "",
              restarts, cpu, 100 * cpu / wall);
  std::printf("stopped, between songs: %.2f%% of a core\n", 100 * idle_cpu / 5);
  return 0;
}
