// The six songs of the saver's play list, in file order d_0 .. d_5.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace wumpets::songs {

struct SongFile {
  std::string title;
  std::vector<std::uint8_t> bytes;
  double seconds = 0;  // from the first event to the end of the last track
};

SongFile canCanGoGo();      // d_0
SongFile congaCucaracha();  // d_1
SongFile lavaLampTrip();    // d_2
SongFile eliseLounge();     // d_3
SongFile odeToGroove();     // d_4
SongFile wumpetBoogaloo();  // d_5

}  // namespace wumpets::songs
