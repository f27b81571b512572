// d_4 "Ode to Groove": the joy theme of Beethoven's Ninth Symphony (1824) as a soul stomp:
// snare on every beat with the tambourine, organ, horns, a tenor sax bridge, a key change.
#include "songs_common.h"

namespace wumpets::songs {

SongFile odeToGroove() {
  Arrangement a("Ode to Groove", 505);
  a.meter(0, 4, 2);
  a.tempo(0, 128);
  const int organ = a.part("Organ", 0, 16, 90, 46, 45, 20);
  const int horns = a.part("Horns", 1, 61, 84, 82, 50, 10);
  const int sax = a.part("Tenor sax", 2, 66, 90, 70, 50);
  const int bass = a.part("Bass", 3, 33, 110, 64, 15);
  const int guitar = a.part("Guitar", 4, 27, 72, 100, 35);
  const int piano = a.part("Piano", 5, 0, 72, 30, 40);
  const int dr = a.part("Drums", 9, 0, 104, 64, 30);

  // Sixteen bars: two statements, the middle, the return.
  const char* phrase1 = "F#4:1 F#4 G4 A4 | A4 G4 F#4 E4 | D4 D4 E4 F#4 | F#4:1.5 E4:.5 E4:2 |";
  const char* phrase2 = "F#4:1 F#4 G4 A4 | A4 G4 F#4 E4 | D4 D4 E4 F#4 | E4:1.5 D4:.5 D4:2 |";
  const char* middle = "E4:1 E4 F#4 D4 | E4 F#4:.5 G4 F#4:1 D4 | E4 F#4:.5 G4 F#4:1 E4 | D4 E4 A3:2 |";
  const std::string theme = std::string(phrase1) + phrase2 + middle + phrase2;
  // The horns' pushed version: anticipations ahead of the beat.
  const char* pushed1 = "F#4:1 F#4:.5 G4:1 A4:1.5 | A4:.5 G4:1 F#4:1 E4:1.5 | D4:1 D4:.5 E4:1 F#4:1.5 | F#4:1 E4:1 E4:2 |";
  const char* pushed2 = "F#4:1 F#4:.5 G4:1 A4:1.5 | A4:.5 G4:1 F#4:1 E4:1.5 | D4:1 D4:.5 E4:1 F#4:1.5 | E4:1 D4:1 D4:2 |";
  const std::string pushed = std::string(pushed1) + pushed2 + middle + pushed2;
  const char* themeChart = "D:4 A D A | D A D A:2 D:2 | A:4 A:2 D:2 A:2 Bm:2 E7:2 A7:2 | D:4 A D A:2 D:2";
  // Our own bridge for the sax.
  const char* bridge =
      "F#4:1.5 B4:.5 D5:1 C#5:1 | B4:2 G4:2 | E4:.5 F#4 G4 B4 E5:1 D5:1 | C#5:2 A4:2 |"
      "D5:1.5 F#5:.5 E5:1 D5:1 | B4:2 F#4:2 | G4:.5 A4 B4 D5 E5:1 C#5:1 | A4:3 r:1";
  const char* bridgeChart = "Bm:4 G Em A7 D Bm Em B7";  // ends on the new key's dominant

  const Grid stomp = {{drum::Kick, "x.....x.x......."},
                      {drum::Snare, "x...x...x...x..."},
                      {drum::Tambourine, "x...x...x...x..."},
                      {drum::HatClosed, "x.x.x.x.x.x.x.xo"}};
  const Grid fill = {{drum::Kick, "x..............."},
                     {drum::Snare, "x...x.x.xxxx...."},
                     {drum::TomMid, "............x.x."},
                     {drum::TomLow, ".............x.x"}};
  const char* bassFigure = "R:.5 R:.5 8:.5 R:.5 5:.5 6:.5 b7:.5 A:.5";

  auto section = [&](double at, int bars, std::string_view text, int key) {
    const auto c = chart(text, key);
    a.drums(dr, at, bars - 1, 4, stomp, 76);
    a.drums(dr, at + 4 * (bars - 1), 1, 4, fill, 80);
    a.hit(dr, at, {drum::Crash}, 92);
    a.bass(bass, at, c, 4, bassFigure, 38, 88);
    a.comp(guitar, at, c, 4, "....x.......x...", 64, 72, 1.5, 3);
    a.comp(piano, at, c, 4, "x.x.x.x.x.x.x.x.", 62, 50, 1.2);
  };

  // Intro: drums and bass riff, horn hits.
  a.drums(dr, 0, 3, 4, stomp, 76);
  a.drums(dr, 12, 1, 4, fill, 80);
  a.bass(bass, 0, chart("D:4 D G A7"), 4, bassFigure, 38, 88);
  a.melody(horns, 0, "r:3 A4+D5+F#5:.5 r:.5 | r:3 A4+D5+F#5:.5 r:.5 | r:3 B4+D5+G5:.5 r:.5 | A4+C#5+E5+G5:3 r:1", styled(84, 0.7));

  section(16, 16, themeChart, 0);
  a.melody(organ, 16, theme, styled(92, 0.85, 12));
  a.comp(horns, 16, chart(themeChart), 4, "............x...", 64, 60, 2);

  section(80, 16, themeChart, 0);
  a.melody(horns, 80, pushed, styled(92, 0.8, 12));
  a.melody(organ, 80, pushed, styled(68, 0.85));
  a.pad(organ, 80, chart(themeChart), 60, 46, 3);

  section(144, 8, bridgeChart, 0);
  a.melody(sax, 144, bridge, styled(96, 0.9));
  a.pad(horns, 144, chart(bridgeChart), 64, 48, 3);
  // Up a whole tone.
  a.melody(horns, 172, "r:1 B4+D#5+F#5+A5:.5 r:.5 B4+D#5+F#5+A5:.5 r:.5 B4+D#5+F#5+A5:.5 r:.5", styled(92, 0.7));

  section(176, 16, themeChart, 2);
  a.melody(horns, 176, pushed, styled(96, 0.8, 14));
  a.melody(organ, 176, theme, styled(86, 0.85, 14));
  a.melody(sax, 176, theme, styled(70, 0.85, 2));

  // Tag: the last four bars again, slowing, then the last chord.
  section(240, 4, "D:4 D A:2 D:2 D:4", 2);
  a.melody(horns, 240, "F#4:1 F#4 G4 A4 | A4 G4 F#4 E4 | E4:1 D4:1 D4:2 | r:4", styled(96, 0.85, 14));
  a.melody(organ, 240, "F#4:1 F#4 G4 A4 | A4 G4 F#4 E4 | E4:1 D4:1 D4:2 | r:4", styled(86, 0.85, 14));
  a.ramp(248, 8, 128, 100);
  a.tempo(256, 92);
  a.melody(horns, 256, "G#4+B4+E5+G#5:4", styled(96, 0.98));
  a.melody(organ, 256, "E4+G#4+B4+E5:4", styled(88, 0.98));
  a.melody(piano, 256, "E3+B3+E4+G#4:4", styled(84, 0.98));
  a.melody(sax, 256, "B4:4", styled(84, 0.98));
  a.note(bass, 256, 4, 40, 100);
  a.hit(dr, 256, {drum::Crash, drum::Kick}, 104);
  return finish(a, "Ode to Groove", 261);
}

}  // namespace wumpets::songs
