// Helpers shared by the song definitions.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "arrange.h"
#include "songs.h"

namespace wumpets::songs {

using Grid = std::vector<std::pair<int, std::string_view>>;

inline std::vector<ChordSpan> chart(std::string_view text, int transpose = 0) {
  auto spans = parseChart(text);
  for (auto& s : spans) s.root = ((s.root + transpose) % 12 + 12) % 12;
  return spans;
}

inline Style styled(int velocity, double gate, int transpose = 0, double scale = 1.0) {
  Style s;
  s.velocity = velocity;
  s.gate = gate;
  s.transpose = transpose;
  s.scale = scale;
  return s;
}

inline SongFile finish(const Arrangement& a, std::string title, double endBeat) {
  const double end = std::max(endBeat, a.lengthInBeats());
  return SongFile{std::move(title), a.smf(end), a.seconds(end)};
}

}  // namespace wumpets::songs
