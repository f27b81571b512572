// d_0 "Can-Can Go-Go": the galop from Offenbach's Orpheus in the Underworld (1858), as a
// go-go dance number: four-on-the-floor, tambourine, organ and brass, a key change up a tone.
#include "songs_common.h"

namespace wumpets::songs {

SongFile canCanGoGo() {
  Arrangement a("Can-Can Go-Go", 101);
  a.meter(0, 4, 2);
  a.tempo(0, 152);
  const int organ = a.part("Organ", 0, 17, 92, 48, 45, 25);
  const int brass = a.part("Brass", 1, 61, 84, 84, 50, 10);
  const int bass = a.part("Bass", 2, 33, 108, 64, 15);
  const int piano = a.part("Piano", 3, 0, 74, 34, 40);
  const int guitar = a.part("Guitar", 4, 28, 70, 98, 30);
  const int dr = a.part("Drums", 9, 0, 104, 64, 30);

  const char* themeA =
      "C5:2 | D5:.5 F5 E5 D5 | G5:1 G5 | G5:.5 A5 E5 F5 | D5:1 D5 | D5:.5 F5 E5 D5 | C5 C6 B5 A5 | G5 F5 E5 D5 |"
      "C5:2 | D5:.5 F5 E5 D5 | G5:1 G5 | G5:.5 A5 E5 F5 | D5:1 D5 | D5:.5 F5 E5 D5 | C5 G5 D5 E5 | C5:1 r:1";
  const char* chartA = "C:2 G7 C C G7 G7 C G7 C G7 C C G7 G7 C:1 G7:1 C:2";
  // Our own answer to the theme, in the key of the fourth.
  const char* themeB =
      "C6:1 A5 | C6 A5 | C6:.5 D6 C6 Bb5 | A5:1 F5 | G5 E5 | G5 E5 | G5:.5 A5 G5 F5 | E5:1 C5 |"
      "C6 A5 | C6 A5 | D6:.5 E6 F6 D6 | C6:1 A5 | Bb5:.5 A5 G5 F5 | E5 F5 G5 E5 | F5:1 A5 | G5:1 r:1";
  const char* chartB = "F:2 F F F C7 C7 C7 C F F Bb F C7 C7 F G7";

  const Grid groove = {{drum::Kick, "X...x...X...x..."},
                       {drum::Snare, "....x.......x..."},
                       {drum::HatClosed, "x.o.x.o.x.o.x.o."},
                       {drum::Tambourine, "..x...x...x...x."}};
  const Grid clapGroove = {{drum::Kick, "X...x...X...x..."},
                           {drum::Snare, "....x.......x..."},
                           {drum::Clap, "....x.......x..."},
                           {drum::HatOpen, "..o...o...o...o."},
                           {drum::Tambourine, "x.x.x.x.x.x.x.x."}};
  const Grid fill = {{drum::Kick, "X.......x......."},
                     {drum::Snare, "....x.x.xoxoXxXx"},
                     {drum::TomHigh, "........x.x....."},
                     {drum::TomLow, "............x.x."}};
  const char* bassFigure = "R:1 5:.5 8:.5 R:1 5:.5 A:.5";
  const char* offbeats = ".x.x.x.x";

  // Groove for `bars` bars, the last one a fill.
  auto drive = [&](double at, int bars, const Grid& g) {
    a.drums(dr, at, bars - 1, 4, g, 84);
    a.drums(dr, at + 4 * (bars - 1), 1, 4, fill, 84);
    a.hit(dr, at, {drum::Crash}, 96);
  };
  auto rhythm = [&](double at, std::string_view text, int key) {
    const auto c = chart(text, key);
    a.bass(bass, at, c, 4, bassFigure, 36, 92);
    a.comp(piano, at, c, 4, offbeats, 64, 62, 0.7);
    a.comp(guitar, at, c, 4, "..x...x...x...x.", 60, 66, 1.2, 2);
  };

  // Intro: drums, then the band on a vamp with a brass call.
  a.drums(dr, 0, 2, 4, {{drum::Kick, "x...x...x...x..."}, {drum::Tambourine, "x.x.x.x.x.x.x.x."}}, 80);
  a.drums(dr, 8, 1, 4, groove, 84);
  a.drums(dr, 12, 1, 4, fill, 84);
  a.bass(bass, 8, chart("C:4 G7:4"), 4, bassFigure, 36, 92);
  a.melody(brass, 8, "G4+C5+E5:1 r:.5 G4+C5+E5:.5 r:.5 G4+C5+E5:.5 r:1 | G4+B4+D5+F5:3 r:1", styled(84, 0.8));

  // Theme on the organ.
  drive(16, 8, groove);
  rhythm(16, chartA, 0);
  a.melody(organ, 16, themeA, styled(90, 0.85));

  // Theme on the brass, organ an octave below, claps.
  drive(48, 8, clapGroove);
  rhythm(48, chartA, 0);
  a.melody(brass, 48, themeA, styled(92, 0.8));
  a.melody(organ, 48, themeA, styled(70, 0.85, -12));

  // The answer: organ lead, brass stabs.
  drive(80, 8, groove);
  rhythm(80, chartB, 0);
  a.melody(organ, 80, themeB, styled(90, 0.85, -12));
  a.comp(brass, 80, chart(chartB), 4, "x..x....", 67, 66, 0.6);

  // Break: drums, claps and bass only, then everyone up a tone.
  a.drums(dr, 112, 3, 4, {{drum::Kick, "X...x...X...x..."}, {drum::Clap, "....x.......x..."},
                          {drum::Tambourine, "x.x.x.x.x.x.x.x."}}, 86);
  a.drums(dr, 124, 1, 4, fill, 90);
  a.bass(bass, 112, chart("C:4 C:4 G7:4 G7:4"), 4, "R:.5 8:.5 R:.5 8:.5 R:.5 8:.5 5:.5 8:.5", 36, 94);
  a.melody(organ, 120, "G4:.5 A4 B4 C5 D5 E5 F5 G5 | A5 B5 C6 D6 B5:2", styled(72, 0.8));

  drive(128, 8, clapGroove);
  rhythm(128, chartA, 2);
  a.melody(brass, 128, themeA, styled(94, 0.8, 2));
  a.melody(organ, 128, themeA, styled(74, 0.85, -10));

  drive(160, 8, groove);
  rhythm(160, chartB, 2);
  a.melody(organ, 160, themeB, styled(92, 0.85, -10));
  a.comp(brass, 160, chart(chartB, 2), 4, "x..x....", 69, 68, 0.6);

  // Last time round slows into the final chord.
  a.drums(dr, 192, 7, 4, clapGroove, 86);
  a.hit(dr, 192, {drum::Crash}, 100);
  a.drums(dr, 220, 1, 4, fill, 88);
  rhythm(192, "C:2 G7 C C G7 G7 C G7 C G7 C C G7 G7 C:1 G7:1", 2);
  a.melody(brass, 192, themeA, styled(96, 0.85, 2));
  a.melody(organ, 192, themeA, styled(84, 0.85, 2));
  a.ramp(216, 8, 152, 118);
  a.tempo(224, 110);
  a.melody(brass, 224, "A4+D5+F#5+A5:4", styled(96, 0.98));
  a.melody(organ, 224, "D4+F#4+A4+D5:4", styled(84, 0.98));
  a.melody(piano, 224, "D3+A3+D4+F#4:4", styled(80, 0.98));
  a.note(bass, 224, 4, 38, 100);
  a.hit(dr, 224, {drum::Crash, drum::Kick}, 108);
  return finish(a, "Can-Can Go-Go", 229);
}

}  // namespace wumpets::songs
