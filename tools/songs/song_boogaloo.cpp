// d_5 "Wumpet Boogaloo": our own twelve-bar boogaloo in A. An organ-and-sax riff tune, a
// guitar solo chorus, a hand-clap breakdown and the riff to finish.
#include <array>

#include "songs_common.h"

namespace wumpets::songs {

namespace {

// A guitar solo over one chorus of the blues: short phrases from the A blues scale, landing
// on a tone of the chord at the start of each bar, with room to breathe every other bar.
std::string bluesSolo(std::uint32_t seed) {
  static constexpr std::array<const char*, 12> roots = {"A", "A", "A", "A", "D", "D",
                                                        "A", "A", "E", "D", "A", "E"};
  static constexpr std::array<int, 12> scale = {57, 60, 62, 63, 64, 67, 69, 72, 74, 75, 76, 79};
  static constexpr std::array<const char*, 4> rhythms = {
      ".5 .5 .5 .5 1 1", "1 .5 .5 1 1", ".5 .5 1 .5 .5 1", "1.5 .5 1 1"};
  static constexpr const char* names[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
  auto next = [&seed]() {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7FFF;
  };
  std::string out;
  int index = 6;
  for (std::size_t bar = 0; bar < roots.size(); ++bar) {
    if (bar % 2 == 1 && next() % 3 != 0) {
      // Answer with one held note and a rest.
      const int note = scale[static_cast<std::size_t>(index)];
      out += std::string(names[note % 12]) + std::to_string(note / 12 - 1) + ":2 r:2 | ";
      continue;
    }
    const std::string rhythm = rhythms[next() % rhythms.size()];
    std::size_t pos = 0;
    bool first = true;
    while (pos < rhythm.size()) {
      auto space = rhythm.find(' ', pos);
      if (space == std::string::npos) space = rhythm.size();
      const std::string len = rhythm.substr(pos, space - pos);
      pos = space + 1;
      int note;
      if (first) {
        // Land on the bar's root or its fifth, near where the line is.
        const int root = parsePitch(std::string(roots[bar]) + "4");
        note = (next() % 2 == 0) ? root : root + 7;
        if (note > 76) note -= 12;
        int best = 0;
        for (std::size_t i = 0; i < scale.size(); ++i)
          if (std::abs(scale[i] - note) < std::abs(scale[static_cast<std::size_t>(best)] - note)) best = static_cast<int>(i);
        index = best;
        note = scale[static_cast<std::size_t>(index)];
        first = false;
      } else {
        const int step = static_cast<int>(next() % 5) - 2;
        index = std::clamp(index + (step == 0 ? 1 : step), 0, static_cast<int>(scale.size()) - 1);
        note = scale[static_cast<std::size_t>(index)];
      }
      out += std::string(names[note % 12]) + std::to_string(note / 12 - 1) + ":" + len + " ";
    }
    out += "| ";
  }
  return out;
}

}  // namespace

SongFile wumpetBoogaloo() {
  Arrangement a("Wumpet Boogaloo", 606);
  a.meter(0, 4, 2);
  a.tempo(0, 116);
  const int organ = a.part("Organ", 0, 16, 88, 44, 45, 25);
  const int sax = a.part("Tenor sax", 1, 66, 84, 80, 45);
  const int guitar = a.part("Guitar", 2, 27, 84, 92, 40);
  const int bass = a.part("Bass", 3, 33, 110, 64, 15);
  const int piano = a.part("Piano", 4, 0, 70, 30, 35);
  const int dr = a.part("Drums", 9, 0, 104, 64, 30);

  const char* blues = "A7:4 A7 A7 A7 D7 D7 A7 A7 E7 D7 A7 E7";
  const char* head =
      "A4:.5 C5 C#5 E5:1 C#5:.5 A4:1 | G4:.5 A4 r:3 | A4:.5 C5 C#5 E5:1 C#5:.5 A4:1 | E5:.5 G5 A5:1 r:2 |"
      "D5:.5 F5 F#5 A5:1 F#5:.5 D5:1 | C5:.5 D5 r:3 | A4:.5 C5 C#5 E5:1 C#5:.5 A4:1 | G4:.5 A4 r:3 |"
      "B4:.5 D5 E5:1 G#5:1 E5:1 | F#5:.5 E5 D5:1 A4:1 F#4:1 | A4:.5 C5 C#5 E5 r A4:1 r:.5 | B4:1 G#4 E4 r";
  const Grid boogaloo = {{drum::Kick, "x.....x.x.....x."},
                         {drum::Snare, "....x.......x..."},
                         {drum::HatClosed, "x.x.x.x.x.x.x..."},
                         {drum::HatOpen, "..............x."},
                         {drum::Cowbell, "x...x...x...x..."},
                         {drum::CongaOpen, "......x.....x.x."}};
  const Grid fill = {{drum::Kick, "x.......x......."},
                     {drum::Snare, "....x...x.x.xxXX"},
                     {drum::TomHigh, "......x........."}};
  const char* boogie = "R:.5 R 3 5 6 b7 6 5";

  auto chorus = [&](double at, int bars, std::string_view text) {
    const auto c = chart(text);
    a.drums(dr, at, bars - 1, 4, boogaloo, 78);
    a.drums(dr, at + 4 * (bars - 1), 1, 4, fill, 82);
    a.hit(dr, at, {drum::Crash}, 90);
    a.bass(bass, at, c, 4, boogie, 33, 88);
    a.comp(piano, at, c, 4, "..x..x....x..x..", 62, 60, 1.2);
  };

  // Intro: drums, then the bass; the organ swells in.
  a.drums(dr, 0, 2, 4, boogaloo, 74);
  a.drums(dr, 8, 1, 4, boogaloo, 76);
  a.drums(dr, 12, 1, 4, fill, 80);
  a.bass(bass, 8, chart("A7:4 E7:4"), 4, boogie, 33, 86);
  a.sweep(organ, 0, 16, 7, 30, 88);
  a.pad(organ, 0, chart("A9:8 E9:8"), 62, 62, 4);

  // Head on the organ, then organ and sax together.
  chorus(16, 12, blues);
  a.melody(organ, 16, head, styled(90, 0.85));
  a.comp(guitar, 16, chart(blues), 4, "....x.......x...", 62, 64, 1.5, 3);
  chorus(64, 12, blues);
  a.melody(organ, 64, head, styled(86, 0.85));
  a.melody(sax, 64, head, styled(86, 0.9, -12));

  // Guitar solo, organ pads.
  chorus(112, 12, blues);
  a.melody(guitar, 112, bluesSolo(0x5eed), styled(92, 0.9));
  a.pad(organ, 112, chart(blues), 62, 52, 3);

  // Breakdown: drums, claps and bass.
  a.drums(dr, 160, 3, 4, {{drum::Kick, "x.....x.x.....x."}, {drum::Clap, "....x.......x..."},
                          {drum::Cowbell, "x...x...x...x..."}}, 82);
  a.drums(dr, 172, 1, 4, fill, 86);
  a.bass(bass, 160, chart("A7:4 A7 D7 E7"), 4, boogie, 33, 90);
  a.melody(sax, 168, "A3:.5 C4 C#4 E4 G4 A4 C5 C#5 | E5:.5 G5 A5:1 r:2", styled(80, 0.85));

  // Head out and the ending hit.
  chorus(176, 12, "A7:4 A7 A7 A7 D7 D7 A7 A7 E7 D7 A7 A7");
  a.melody(organ, 176, head, styled(92, 0.85));
  a.melody(sax, 176, head, styled(88, 0.9, -12));
  a.comp(guitar, 176, chart(blues), 4, "....x.......x...", 62, 64, 1.5, 3);
  a.ramp(216, 8, 116, 96);
  a.tempo(224, 90);
  a.melody(organ, 224, "G4+B4+C#5+E5:4", styled(90, 0.98));
  a.melody(sax, 224, "A3+E4:4", styled(84, 0.98));
  a.melody(guitar, 224, "A3+E4+G4+B4+C#5:4", styled(80, 0.98));
  a.melody(piano, 224, "A2+E3+G3+C#4:4", styled(80, 0.98));
  a.note(bass, 224, 4, 33, 100);
  a.hit(dr, 224, {drum::Crash, drum::Kick}, 104);
  return finish(a, "Wumpet Boogaloo", 229);
}

}  // namespace wumpets::songs
