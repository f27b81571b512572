// d_3 "Elise Lounge": Beethoven's Bagatelle in A minor, "Fur Elise" (1810), as a bossa nova for
// the cocktail hour: vibraphone, nylon guitar, upright bass, rim clicks, electric piano.
#include "songs_common.h"

namespace wumpets::songs {

SongFile eliseLounge() {
  Arrangement a("Elise Lounge", 404);
  a.meter(0, 4, 2);
  a.tempo(0, 118);
  const int vibes = a.part("Vibraphone", 0, 11, 92, 78, 60, 20);
  const int guitar = a.part("Nylon guitar", 1, 24, 86, 40, 40);
  const int bass = a.part("Upright bass", 2, 32, 108, 64, 20);
  const int epiano = a.part("Electric piano", 3, 4, 72, 90, 55, 40);
  const int flute = a.part("Flute", 4, 73, 74, 60, 60);
  const int strings = a.part("Strings", 5, 48, 58, 64, 70);
  const int dr = a.part("Drums", 9, 0, 92, 64, 40);

  const char* pickup = "E5:.5 D#5";
  const char* themeA =
      "E5:.5 D#5 E5 B4 D5 C5 A4:1 | A4:1 r:.5 C4 E4 A4 B4:1 | B4:1 r:.5 E4 G#4 B4 C5:1 |"
      "C5:1.5 r:.5 E4 r E5 D#5 | E5:.5 D#5 E5 B4 D5 C5 A4:1 | A4:1 r:.5 C4 E4 A4 B4:1 |"
      "B4:1 r:.5 E4 C5 B4 A4:1 |";
  const char* toB = "A4:2 r:.5 B4 C5 D5";
  const char* ending = "A4:4";
  const char* themeB = "E5:2.5 G4:.5 F5 E5 | D5:2.5 F4:.5 E5 D5 | C5:2.5 E4:.5 D5 C5 | B4:2 r:1 E5:.5 D#5";
  const char* chartA = "Am9:4 Am9:3 E7b9:1 E7:3 Am9:1 Am9:4 Am9:4 Am9:3 E7b9:1 E7:3 Am9:1 Am9:4";
  const char* chartB = "Cmaj7:4 G7:4 Am9:4 E7b9:4";
  // Our own solo chorus for the electric piano, over a turnaround.
  const char* soloChart = "Dm9:4 G13:4 Cmaj9:4 Fmaj7:4 Bm7b5:4 E7b9:4 Am9:4 E7b9:4";
  const char* solo =
      "r:.5 F5:.5 E5 D5 C5:1 A4:1 | B4:.5 D5 F5 A5 G5:2 | E5:1.5 D5:.5 C5:1 B4:1 | A4:.5 C5 E5 G5 A5:2 |"
      "D5:1.5 F5:.5 A5:1 G5:.5 F5 | E5:.5 F5 G#5 B5 D6:1 C6:.5 B5 | C6:1.5 B5:.5 A5:1 E5:1 | G#5:2 B5:1 r:1";

  const Grid bossa = {{drum::Kick, "o..xo..xo..xo..x"},
                      {drum::Rim, "x..x..x...x..x.."},
                      {drum::HatClosed, "x.o.x.o.x.o.x.o."},
                      {drum::HatPedal, "....x.......x..."}};
  const Grid shaker = {{drum::Shaker, "xoxoxoxoxoxoxoxo"}};
  auto band = [&](double at, std::string_view text, int bars, bool drums) {
    const auto c = chart(text);
    a.bass(bass, at, c, 4, "R:1.5 5:.5 5:1.5 R:.5", 40, 88, 0.9);
    a.comp(guitar, at, c, 4, "x..x..x...x..x..", 58, 62, 1.6, 4);
    a.bass(guitar, at, c, 4, "R:1.5 r:.5 5:1.5 r:.5", 40, 60, 0.9);
    if (drums) {
      a.drums(dr, at, bars, 4, bossa, 66);
      a.drums(dr, at, bars, 4, shaker, 40);
    }
  };

  // Intro: guitar alone, then bass and rim clicks.
  band(0, "Am9:4 Dm9:4 E7b9:4 Am9:4", 4, false);
  a.drums(dr, 8, 2, 4, {{drum::Rim, "x..x..x...x..x.."}, {drum::Shaker, "xoxoxoxoxoxoxoxo"}}, 52);
  a.melody(vibes, 15, pickup, styled(80, 0.9));

  // A on the vibraphone, with its second ending into B, then B and A again.
  band(16, chartA, 8, true);
  a.melody(vibes, 16, themeA, styled(84, 0.9));
  a.melody(vibes, 44, toB, styled(84, 0.9));
  a.pad(strings, 16, chart(chartA), 64, 44, 3);
  band(48, chartB, 4, true);
  a.melody(vibes, 48, themeB, styled(86, 0.9));
  a.comp(epiano, 48, chart(chartB), 4, "..x.....x..x....", 64, 56, 2);
  band(64, chartA, 8, true);
  a.melody(vibes, 64, themeA, styled(84, 0.9));
  a.melody(vibes, 92, "A4:4", styled(84, 0.9));
  a.comp(epiano, 64, chart(chartA), 4, "..x.....x..x....", 64, 52, 2);

  // Solo chorus: electric piano, flute pads the chords.
  band(96, soloChart, 8, true);
  a.melody(epiano, 96, solo, styled(88, 0.85));
  a.pad(strings, 96, chart(soloChart), 66, 48, 3);
  a.melody(vibes, 127, pickup, styled(80, 0.9));

  // A with the flute above, B, and A into the ending.
  band(128, chartA, 8, true);
  a.melody(vibes, 128, themeA, styled(86, 0.9));
  a.melody(flute, 128, themeA, styled(60, 0.9, 12));
  a.melody(vibes, 156, toB, styled(86, 0.9));
  band(160, chartB, 4, true);
  a.melody(vibes, 160, themeB, styled(88, 0.9));
  a.melody(flute, 160, themeB, styled(62, 0.9, 12));
  a.pad(strings, 160, chart(chartB), 64, 48, 3);
  band(176, chartA, 8, true);
  a.melody(vibes, 176, themeA, styled(86, 0.9));
  a.comp(epiano, 176, chart(chartA), 4, "..x.....x..x....", 64, 52, 2);

  // Ending: slow down and let the last chord ring, vibes rising through it.
  a.ramp(200, 8, 118, 96);
  a.tempo(208, 88);
  a.melody(vibes, 204, ending, styled(84, 0.95));
  a.melody(vibes, 208, "A4:.5 C5 E5 G5 B5 C6 E6:2", styled(72, 0.95));
  a.melody(guitar, 208, "A2+E3+G3+C4+E4:4", styled(72, 0.98));
  a.pad(strings, 208, chart("Am9:4"), 64, 50, 4);
  a.melody(epiano, 208, "G4+B4+C5+E5:4", styled(60, 0.98));
  a.note(bass, 208, 4, 45, 90);
  a.hit(dr, 208, {drum::Ride, drum::Kick}, 70);
  return finish(a, "Elise Lounge", 213);
}

}  // namespace wumpets::songs
