// d_1 "Conga Cucaracha": the Mexican folk tune La Cucaracha on a conga beat, the band
// kicking on the fourth beat with the dancers; clave, congas, cowbell, piano montuno.
#include "songs_common.h"

namespace wumpets::songs {

SongFile congaCucaracha() {
  Arrangement a("Conga Cucaracha", 202);
  a.meter(0, 4, 2);
  a.tempo(0, 126);
  const int trumpet = a.part("Trumpet", 0, 56, 90, 70, 45);
  const int flute = a.part("Flute", 1, 73, 78, 88, 55);
  const int piano = a.part("Piano montuno", 2, 0, 80, 42, 35);
  const int bass = a.part("Bass", 3, 32, 110, 64, 15);
  const int brass = a.part("Brass", 4, 61, 80, 56, 45);
  const int vibes = a.part("Vibes", 5, 11, 86, 84, 55);
  const int dr = a.part("Percussion", 9, 0, 104, 64, 30);

  // Eight bars; the pick-up of three notes sits in the bar before.
  const char* pickup = "C4:.5 C4 C4";
  const char* theme =
      "F4:1.5 A4:1 C4:.5 C4 C4 | F4:1.5 A4:2.5 | F4:.5 F4 E4 E4 D4 D4 C4:2 r:1.5 C4:.5 C4 C4 |"
      "E4:1.5 G4:1 C4:.5 C4 C4 | E4:1.5 G4:2.5 | C5:.5 D5 C5 Bb4 A4 G4 F4:2 r:1.5 C4:.5 C4 C4";
  const char* themeChart = "F:4 F C7 C7 C7 C7 C7:2 F:2 F:4";
  // Our own conga-line section: the band rests on four, where the line kicks.
  const char* kick =
      "C5:.5 A4 C5 F5:1.5 r:1 | E5:.5 D5 C5 A4:1.5 r:1 | D5:.5 Bb4 D5 F5:1.5 r:1 | G5:.5 F5 D5 Bb4:1.5 r:1 |"
      "E5:.5 C5 E5 G5:1.5 r:1 | Bb5:.5 A5 G5 E5:1.5 r:1 | F5:1 C5 A4 F4 | G4:1 A4:.5 Bb4 C5:1 r:1";
  const char* kickChart = "F:4 F Bb Bb C7 C7 F C7";

  const Grid congas = {{drum::CongaMute, "o.g.X.g.o.g....."},
                       {drum::CongaOpen, "............x.x."},
                       {drum::Cowbell, "x...x...x...x..."},
                       {drum::Maracas, "o.o.o.o.o.o.o.o."}};
  const Grid kicks = {{drum::Kick, "x.......x......."}, {drum::CongaLow, "..............X."}};
  const Grid timbaleFill = {{drum::TimbaleHi, "x.x.x.xxx.x.x..."},
                            {drum::TimbaleLo, "........x.x.xXX."},
                            {drum::Crash, "..............x."}};

  auto percussion = [&](double at, int bars, bool withKick, bool fillAtEnd) {
    const int played = fillAtEnd ? bars - 1 : bars;
    // Three-two clave, across two bars.
    for (int b = 0; b + 1 < played; b += 2)
      a.drums(dr, at + 4 * b, 1, 8, {{drum::Claves, "x.....x.....x.......x...x......."}}, 78);
    a.drums(dr, at, played, 4, congas, 74);
    if (withKick) a.drums(dr, at, played, 4, kicks, 84);
    if (fillAtEnd) a.drums(dr, at + 4 * played, 1, 4, timbaleFill, 82);
  };
  auto band = [&](double at, std::string_view text) {
    const auto c = chart(text);
    a.bass(bass, at, c, 4, "R:1.5 5:1.5 N:1", 41, 96);
    a.comp(piano, at, c, 4, "x..x..x...x..x..", 64, 70, 1.5);
    a.comp(piano, at, c, 4, "x..x..x...x..x..", 76, 58, 1.5, 2);
  };

  // Intro: percussion, then bass and montuno.
  percussion(0, 4, false, false);
  percussion(16, 4, true, true);
  band(16, "F:4 C7 F C7");
  a.melody(trumpet, 30.5, pickup, styled(84, 0.85));

  // The tune on the trumpet.
  percussion(32, 8, true, false);
  band(32, themeChart);
  a.melody(trumpet, 32, theme, styled(90, 0.85));

  // Again with the flute above and brass on the kick.
  percussion(64, 8, true, true);
  band(64, themeChart);
  a.melody(trumpet, 64, theme, styled(88, 0.85));
  a.melody(flute, 64, theme, styled(76, 0.9, 12));
  a.comp(brass, 64, chart(themeChart), 4, "............X...", 62, 76, 2);

  // The conga line: vibes, brass hit on four.
  percussion(96, 8, true, true);
  band(96, kickChart);
  a.melody(vibes, 96, kick, styled(88, 0.9));
  a.comp(brass, 96, chart(kickChart), 4, "............X...", 64, 84, 2);

  // Break: percussion alone, then the bass walks in.
  percussion(128, 4, true, false);
  percussion(144, 4, true, true);
  a.bass(bass, 144, chart("F:4 Bb:4 C7:4 C7:4"), 4, "R:.5 r:1 5:.5 r:1 8:.5 r:.5", 41, 96);
  a.melody(vibes, 144, "F5:.5 A5 C6 A5 F5 A5 C6 r | Bb4 D5 F5 D5 Bb4 D5 F5 r | C5 E5 G5 Bb5 C6:1 r:1", styled(74, 0.9));
  a.melody(trumpet, 158.5, pickup, styled(88, 0.85));

  // The tune twice more, brass answering, the second time into the ending.
  percussion(160, 8, true, true);
  band(160, themeChart);
  a.melody(trumpet, 160, theme, styled(92, 0.85));
  a.melody(flute, 160, theme, styled(78, 0.9, 12));
  a.melody(brass, 160, theme, styled(70, 0.85, -5));

  percussion(192, 7, true, false);
  band(192, "F:4 F C7 C7 C7 C7 C7:2 F:2");
  a.melody(trumpet, 192, theme, styled(94, 0.85));
  a.melody(flute, 192, theme, styled(80, 0.9, 12));
  a.comp(brass, 192, chart(themeChart), 4, "............X...", 64, 80, 2);
  a.drums(dr, 220, 1, 4, timbaleFill, 86);
  // Cha-cha-cha.
  a.tempo(222, 120);
  for (double at : {224.0, 224.75, 225.5}) {
    const bool last = at > 225;
    const double len = last ? 2.5 : 0.4;
    a.melody(brass, at, "F4+A4+C5+F5", styled(92, 0.95, 0, len));
    a.melody(trumpet, at, "A4+C5", styled(90, 0.95, 0, len));
    a.melody(piano, at, "F3+C4+F4+A4", styled(86, 0.95, 0, len));
    a.note(bass, at, len, 41, 104);
    a.hit(dr, at, {drum::TimbaleLo, drum::Kick}, 100);
  }
  a.hit(dr, 225.5, {drum::Crash}, 104);
  return finish(a, "Conga Cucaracha", 229);
}

}  // namespace wumpets::songs
