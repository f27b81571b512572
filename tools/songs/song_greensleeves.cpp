// d_2 "Lava Lamp Trip": the old English air Greensleeves (16th century) as a slow
// psychedelic waltz: sitar and drone, swirling organ, fuzz guitar, a flute with tape echo.
#include "songs_common.h"

namespace wumpets::songs {

SongFile lavaLampTrip() {
  Arrangement a("Lava Lamp Trip", 303);
  a.meter(0, 3, 2);
  a.tempo(0, 96);
  const int sitar = a.part("Sitar", 0, 104, 92, 44, 60);
  const int organ = a.part("Organ", 1, 18, 70, 64, 60, 40);
  const int fuzz = a.part("Fuzz guitar", 2, 30, 70, 84, 55);
  const int bass = a.part("Bass", 3, 34, 104, 64, 20);
  const int flute = a.part("Flute", 4, 73, 84, 40, 70);
  const int echo = a.part("Flute echo", 5, 73, 64, 100, 90);
  const int drone = a.part("Drone", 6, 89, 62, 64, 80, 60);
  const int swell = a.part("Reverse cymbal", 7, 119, 70, 64, 60);
  const int dr = a.part("Drums", 9, 0, 100, 64, 50);

  const char* verse =
      "C5:2 D5:1 | E5:1.5 F5:.5 E5:1 | D5:2 B4:1 | G4:1.5 A4:.5 B4:1 | C5:2 A4:1 | A4:1.5 G#4:.5 A4:1 |"
      "B4:2 G#4:1 | E4:2 A4:1 | C5:2 D5:1 | E5:1.5 F5:.5 E5:1 | D5:2 B4:1 | G4:1.5 A4:.5 B4:1 |"
      "C5:1.5 B4:.5 A4:1 | G#4:1.5 F#4:.5 G#4:1 | A4:3 | A4:3";
  const char* verseChart = "Am:3 C G Em Am E E Am Am C G Em Am E Am Am";
  const char* chorus =
      "G5:3 | G5:1.5 F#5:.5 E5:1 | D5:2 B4:1 | G4:1.5 A4:.5 B4:1 | C5:2 A4:1 | A4:1.5 G#4:.5 A4:1 |"
      "B4:2 G#4:1 | E4:3 | G5:3 | G5:1.5 F#5:.5 E5:1 | D5:2 B4:1 | G4:1.5 A4:.5 B4:1 |"
      "C5:1.5 B4:.5 A4:1 | G#4:1.5 F#4:.5 G#4:1 | A4:3 | A4:2 A4:1";
  const char* chorusChart = "C:3 Em G Em Am E E E7 C Em G Em Am E Am Am";
  // Our own trip between the verses, A dorian over a drone.
  const char* trip =
      "A5:1.5 G5:.5 E5:1 | D5:1 E5 G5 | A5:3 | r:3 | C6:1.5 B5:.5 A5:1 | G5:1 E5 D5 | E5:3 | r:3 |"
      "A4:.5 B4 C5 D5 E5 G5 | A5:2 G5:1 | E5:1 D5 C5 | D5:3 | E5:.5 D5 C5 A4 G4 A4 | C5:2 D5:1 | E5:3 | r:3";
  const char* tripChart = "Am:3 G Am Am F G Am Am Am D C D F G Am E7";

  // Two waltz bars per row: heavy kick on one, snare on the second downbeat.
  const Grid groove = {{drum::Kick, "X.....x..x.."},
                       {drum::Snare, "......X....."},
                       {drum::Ride, "x.o.o.x.o.o."},
                       {drum::Tambourine, "..o.o...o.o."}};
  const Grid tomFill = {{drum::TomHigh, "x.x.x......."},
                        {drum::TomMid, "......x.x..."},
                        {drum::TomLow, ".........xXX"}};

  auto rhythm = [&](double at, std::string_view text, int bars) {
    const auto c = chart(text);
    a.bass(bass, at, c, 3, "R:2 5:.5 A:.5", 33, 90);
    a.pad(organ, at, c, 62, 58, 3);
    a.drums(dr, at, bars / 2 - 1, 6, groove, 80);
    a.drums(dr, at + 3 * (bars - 2), 1, 6, tomFill, 82);
  };
  // The flute's echo answers three eighths later on the other side.
  auto flutePlay = [&](double at, std::string_view line, int velocity) {
    a.melody(flute, at, line, styled(velocity, 0.9));
    a.melody(echo, at + 0.75, line, styled(velocity * 3 / 5, 0.8));
    a.melody(echo, at + 1.5, line, styled(velocity * 2 / 5, 0.7, 12));
  };

  // Intro: drone and swells, then bass and drums; the sitar's pick-up.
  a.note(drone, 0, 24, 45, 70);
  a.note(drone, 0, 24, 52, 64);
  a.note(swell, 0, 6, 60, 72);
  a.note(swell, 12, 6, 60, 72);
  a.sweep(organ, 0, 12, 7, 20, 70);
  a.pad(organ, 0, chart("Am:6 G:6 Am:6 E7:6"), 62, 56, 3);
  a.panWave(organ, 0, 24, 6, 64, 40);
  a.bass(bass, 12, chart("Am:6 E7:6"), 3, "R:2 5:.5 A:.5", 33, 86);
  a.drums(dr, 12, 1, 6, groove, 74);
  a.drums(dr, 18, 1, 6, tomFill, 80);
  a.melody(sitar, 23, "A4:1", styled(90, 0.95));

  // Verse on the sitar.
  a.hit(dr, 24, {drum::Crash}, 90);
  rhythm(24, verseChart, 16);
  a.melody(sitar, 24, verse, styled(92, 0.95));
  a.panWave(organ, 24, 48, 12, 64, 40);
  a.note(swell, 66, 6, 60, 70);

  // Chorus: fuzz guitar leads, sitar an octave down.
  a.hit(dr, 72, {drum::Crash}, 96);
  rhythm(72, chorusChart, 16);
  a.melody(fuzz, 72, chorus, styled(88, 0.95));
  a.melody(sitar, 72, chorus, styled(70, 0.9, -12));
  for (double at : {72.0, 96.0})  // a slow scoop into each long G
    for (int i = 0; i <= 8; ++i) a.bend(fuzz, at + i * 0.0625, -1400 + i * 175);

  // The trip: flute with echo, organ swirling, drums on the ride only.
  a.hit(dr, 120, {drum::Crash}, 90);
  const auto tc = chart(tripChart);
  a.bass(bass, 120, tc, 3, "R:3", 33, 84, 0.95);
  a.pad(organ, 120, tc, 64, 60, 3);
  a.panWave(organ, 120, 48, 6, 64, 50);
  a.drums(dr, 120, 7, 6, {{drum::Kick, "x.....x....."}, {drum::Ride, "x.o.o.x.o.o."}}, 72);
  a.drums(dr, 162, 1, 6, tomFill, 82);
  a.note(drone, 120, 48, 45, 62);
  flutePlay(120, trip, 88);
  a.note(swell, 162, 6, 60, 74);

  // Chorus once more, everything in, into the outro.
  a.hit(dr, 168, {drum::Crash}, 100);
  rhythm(168, chorusChart, 16);
  a.melody(fuzz, 168, chorus, styled(90, 0.95));
  a.melody(sitar, 168, chorus, styled(84, 0.95));
  a.melody(flute, 168, chorus, styled(62, 0.9, 12));
  for (double at : {168.0, 192.0})
    for (int i = 0; i <= 8; ++i) a.bend(fuzz, at + i * 0.0625, -1400 + i * 175);

  // Outro: the drone and the sitar fade on A minor.
  a.ramp(210, 6, 96, 80);
  a.tempo(216, 76);
  a.melody(sitar, 216, "E5:1 C5 A4 | E4:1 A4:2 | A3+E4+A4:6", styled(86, 0.98));
  a.pad(organ, 216, chart("Am:12"), 62, 60, 3);
  a.sweep(organ, 220, 8, 7, 70, 10);
  a.note(drone, 216, 12, 45, 66);
  a.note(bass, 216, 12, 33, 88);
  a.hit(dr, 216, {drum::Crash, drum::Kick}, 90);
  a.note(swell, 216, 6, 60, 60);
  return finish(a, "Lava Lamp Trip", 229);
}

}  // namespace wumpets::songs
