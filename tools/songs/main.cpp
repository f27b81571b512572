// Writes the six songs of the play list as standard MIDI files d_0.Mid .. d_5.Mid into the
// folder named on the command line.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>

#include "songs.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <data folder>\n", argv[0]);
    return 2;
  }
  try {
    const std::filesystem::path folder(argv[1]);
    std::filesystem::create_directories(folder);
    using Maker = wumpets::songs::SongFile (*)();
    const Maker makers[] = {wumpets::songs::canCanGoGo,  wumpets::songs::congaCucaracha,
                            wumpets::songs::lavaLampTrip, wumpets::songs::eliseLounge,
                            wumpets::songs::odeToGroove, wumpets::songs::wumpetBoogaloo};
    int n = 0;
    for (const auto make : makers) {
      const auto song = make();
      const auto path = folder / ("d_" + std::to_string(n++) + ".Mid");
      std::ofstream out(path, std::ios::binary);
      out.write(reinterpret_cast<const char*>(song.bytes.data()),
                static_cast<std::streamsize>(song.bytes.size()));
      if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
      }
      std::printf("%s: %s, %.1f s, %zu bytes\n", path.filename().c_str(), song.title.c_str(),
                  song.seconds, song.bytes.size());
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "song generator: %s\n", e.what());
    return 1;
  }
  return 0;
}
