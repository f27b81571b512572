#include "arrange.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <stdexcept>

namespace wumpets::songs {

namespace {

std::uint8_t clamp7(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 127)); }

std::vector<std::string_view> tokens(std::string_view text) {
  std::vector<std::string_view> out;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\n' || text[i] == '|')) ++i;
    std::size_t j = i;
    while (j < text.size() && text[j] != ' ' && text[j] != '\n' && text[j] != '|') ++j;
    if (j > i) out.push_back(text.substr(i, j - i));
    i = j;
  }
  return out;
}

double parseLength(std::string_view text) {
  const std::string s(text);
  const auto slash = s.find('/');
  if (slash != std::string::npos) return std::stod(s.substr(0, slash)) / std::stod(s.substr(slash + 1));
  return std::stod(s);
}

// Splits "head:length"; the length stays as it was when there is none.
std::string_view splitLength(std::string_view token, double& length) {
  const auto colon = token.find(':');
  if (colon == std::string_view::npos) return token;
  length = parseLength(token.substr(colon + 1));
  return token.substr(0, colon);
}

int pitchClass(char letter) {
  switch (letter) {
    case 'C': return 0;
    case 'D': return 2;
    case 'E': return 4;
    case 'F': return 5;
    case 'G': return 7;
    case 'A': return 9;
    case 'B': return 11;
    default: throw std::runtime_error(std::string("bad note letter ") + letter);
  }
}

std::vector<int> quality(std::string_view q) {
  static const std::map<std::string_view, std::vector<int>> table = {
      {"", {0, 4, 7}},           {"m", {0, 3, 7}},          {"7", {0, 4, 7, 10}},
      {"m7", {0, 3, 7, 10}},     {"maj7", {0, 4, 7, 11}},   {"6", {0, 4, 7, 9}},
      {"m6", {0, 3, 7, 9}},      {"9", {0, 4, 7, 10, 14}},  {"m9", {0, 3, 7, 10, 14}},
      {"maj9", {0, 4, 7, 11, 14}}, {"7b9", {0, 4, 7, 10, 13}}, {"m7b5", {0, 3, 6, 10}},
      {"sus4", {0, 5, 7}},       {"7sus4", {0, 5, 7, 10}},  {"dim", {0, 3, 6, 9}},
      {"aug", {0, 4, 8}},        {"5", {0, 7}},             {"add9", {0, 4, 7, 14}},
      {"m11", {0, 3, 7, 10, 17}}, {"13", {0, 4, 7, 10, 21}},
  };
  const auto it = table.find(q);
  if (it == table.end()) throw std::runtime_error("unknown chord quality " + std::string(q));
  return it->second;
}

}  // namespace

int parsePitch(std::string_view name) {
  if (name.empty()) throw std::runtime_error("empty pitch");
  int pc = pitchClass(name[0]);
  std::size_t i = 1;
  while (i < name.size() && (name[i] == '#' || name[i] == 'b')) {
    pc += name[i] == '#' ? 1 : -1;
    ++i;
  }
  const int octave = std::stoi(std::string(name.substr(i)));
  return (octave + 1) * 12 + pc;
}

std::vector<ChordSpan> parseChart(std::string_view chart) {
  std::vector<ChordSpan> out;
  double beat = 0;
  double length = 4;
  for (auto token : tokens(chart)) {
    const auto head = splitLength(token, length);
    ChordSpan span;
    span.beat = beat;
    span.length = length;
    std::size_t i = 1;
    span.root = pitchClass(head[0]);
    while (i < head.size() && (head[i] == '#' || head[i] == 'b') &&
           !(head[i] == 'b' && i + 1 < head.size() && head[i + 1] == '9')) {
      span.root += head[i] == '#' ? 1 : -1;
      ++i;
    }
    span.root = (span.root + 12) % 12;
    span.intervals = quality(head.substr(i));
    out.push_back(span);
    beat += length;
  }
  return out;
}

Arrangement::Arrangement(std::string title, int seed) : random_(static_cast<std::uint32_t>(seed)) {
  tracks_.push_back(MidiTrack{std::move(title), {}});
}

std::uint32_t Arrangement::tick(double beat) const {
  return static_cast<std::uint32_t>(std::lround(std::max(0.0, beat) * kPpq));
}

int Arrangement::jitter(int velocity, int amount) {
  random_ = random_ * 1664525u + 1013904223u;
  const int offset = static_cast<int>((random_ >> 16) % static_cast<std::uint32_t>(2 * amount + 1)) - amount;
  return std::clamp(velocity + offset, 1, 127);
}

int Arrangement::part(std::string name, int channel, int program, int volume, int pan, int reverb,
                      int chorus) {
  tracks_.push_back(MidiTrack{std::move(name), {}});
  parts_.push_back(Part{channel});
  const int p = static_cast<int>(parts_.size()) - 1;
  const auto ch = static_cast<std::uint8_t>(channel);
  auto& t = tracks_.back();
  t.add(0, Rank::Control, {static_cast<std::uint8_t>(0xB0 | ch), 121, 0});  // reset controllers
  t.add(0, Rank::Control, {static_cast<std::uint8_t>(0xB0 | ch), 0, 0});    // bank 0
  t.add(0, Rank::Control, {static_cast<std::uint8_t>(0xC0 | ch), clamp7(program)});
  t.add(0, Rank::Control, {static_cast<std::uint8_t>(0xB0 | ch), 7, clamp7(volume)});
  t.add(0, Rank::Control, {static_cast<std::uint8_t>(0xB0 | ch), 10, clamp7(pan)});
  t.add(0, Rank::Control, {static_cast<std::uint8_t>(0xB0 | ch), 91, clamp7(reverb)});
  t.add(0, Rank::Control, {static_cast<std::uint8_t>(0xB0 | ch), 93, clamp7(chorus)});
  return p;
}

void Arrangement::tempo(double beat, double bpm) {
  const auto usPerBeat = static_cast<std::uint32_t>(std::lround(60'000'000.0 / bpm));
  tracks_[0].add(tick(beat), Rank::Meta,
                 {0xFF, 0x51, 0x03, static_cast<std::uint8_t>(usPerBeat >> 16),
                  static_cast<std::uint8_t>(usPerBeat >> 8), static_cast<std::uint8_t>(usPerBeat)});
  tempos_.emplace_back(beat, bpm);
  std::stable_sort(tempos_.begin(), tempos_.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
}

void Arrangement::ramp(double beat, double length, double fromBpm, double toBpm) {
  const int steps = std::max(1, static_cast<int>(length * 4));
  for (int i = 0; i < steps; ++i) {
    const double f = static_cast<double>(i) / steps;
    tempo(beat + length * f, fromBpm + (toBpm - fromBpm) * f);
  }
}

void Arrangement::meter(double beat, int numerator, int denominatorPower) {
  const auto clocks = static_cast<std::uint8_t>(denominatorPower == 3 && numerator % 3 == 0 ? 36 : 24);
  tracks_[0].add(tick(beat), Rank::Meta,
                 {0xFF, 0x58, 0x04, static_cast<std::uint8_t>(numerator),
                  static_cast<std::uint8_t>(denominatorPower), clocks, 8});
}

void Arrangement::marker(double beat, std::string text) {
  std::vector<std::uint8_t> bytes{0xFF, 0x06};
  appendVarLen(bytes, static_cast<std::uint32_t>(text.size()));
  bytes.insert(bytes.end(), text.begin(), text.end());
  tracks_[0].add(tick(beat), Rank::Meta, std::move(bytes));
}

void Arrangement::note(int p, double beat, double length, int pitch, int velocity) {
  if (pitch < 0 || pitch > 127 || length <= 0) return;
  const auto ch = static_cast<std::uint8_t>(parts_[p].channel);
  const auto on = tick(beat);
  const auto off = std::max(on + 1, tick(beat + length));
  auto& t = tracks_[p + 1];
  t.add(on, Rank::NoteOn, {static_cast<std::uint8_t>(0x90 | ch), clamp7(pitch), clamp7(velocity)});
  t.add(off, Rank::NoteOff, {static_cast<std::uint8_t>(0x90 | ch), clamp7(pitch), 0});
  lastBeat_ = std::max(lastBeat_, beat + length);
}

void Arrangement::control(int p, double beat, int controller, int value) {
  const auto ch = static_cast<std::uint8_t>(parts_[p].channel);
  tracks_[p + 1].add(tick(beat), Rank::Control,
                     {static_cast<std::uint8_t>(0xB0 | ch), clamp7(controller), clamp7(value)});
}

void Arrangement::program(int p, double beat, int program) {
  const auto ch = static_cast<std::uint8_t>(parts_[p].channel);
  tracks_[p + 1].add(tick(beat), Rank::Control, {static_cast<std::uint8_t>(0xC0 | ch), clamp7(program)});
}

void Arrangement::bend(int p, double beat, int value) {
  const auto ch = static_cast<std::uint8_t>(parts_[p].channel);
  const int v = std::clamp(value, -8192, 8191) + 8192;
  tracks_[p + 1].add(tick(beat), Rank::Control,
                     {static_cast<std::uint8_t>(0xE0 | ch), static_cast<std::uint8_t>(v & 0x7F),
                      static_cast<std::uint8_t>(v >> 7)});
}

double Arrangement::melody(int p, double beat, std::string_view line, const Style& style) {
  double length = 1;
  double at = 0;
  for (auto token : tokens(line)) {
    const auto head = splitLength(token, length);
    const double beats = length * style.scale;
    if (head != "r") {
      // A little weight on the downbeats and the off-beats lighter, as a player would.
      const double frac = std::fmod(beat + at, 1.0);
      const int accent = frac < 0.01 ? 6 : (std::abs(frac - 0.5) < 0.01 ? -2 : -6);
      std::size_t start = 0;
      while (start <= head.size()) {
        auto plus = head.find('+', start);
        if (plus == std::string_view::npos) plus = head.size();
        const int pitch = parsePitch(head.substr(start, plus - start)) + style.transpose;
        note(p, beat + at, beats * style.gate, pitch, jitter(style.velocity + accent, 4));
        start = plus + 1;
      }
    }
    at += beats;
  }
  return at;
}

std::vector<int> Arrangement::voicing(const ChordSpan& chord, int centre, int voices) const {
  // Chord tones (the root left out when there are more tones than voices, as a bass plays it),
  // each placed in the octave nearest the centre.
  std::vector<int> tones = chord.intervals;
  if (static_cast<int>(tones.size()) > voices && tones.size() > 3) tones.erase(tones.begin());
  if (static_cast<int>(tones.size()) > voices) {
    const auto fifth = std::find(tones.begin(), tones.end(), 7);
    if (fifth != tones.end()) tones.erase(fifth);
  }
  while (static_cast<int>(tones.size()) > voices) tones.pop_back();
  std::vector<int> out;
  for (int iv : tones) {
    int n = chord.root + iv;
    while (n < centre - 6) n += 12;
    while (n >= centre + 6) n -= 12;
    out.push_back(n);
  }
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

void Arrangement::pad(int p, double beat, const std::vector<ChordSpan>& chart, int centre,
                      int velocity, int voices) {
  for (const auto& c : chart)
    for (int n : voicing(c, centre, voices)) note(p, beat + c.beat, c.length * 0.98, n, jitter(velocity, 3));
}

namespace {
const ChordSpan& chordAt(const std::vector<ChordSpan>& chart, double rel) {
  for (const auto& c : chart)
    if (rel >= c.beat - 1e-6 && rel < c.beat + c.length - 1e-6) return c;
  return chart.back();
}
int gridVelocity(char c, int velocity) {
  switch (c) {
    case 'X': return velocity + 18;
    case 'x': return velocity;
    case 'o': return velocity * 2 / 3;
    case 'g': return velocity * 2 / 5;
    default: return 0;
  }
}
double chartLength(const std::vector<ChordSpan>& chart) {
  return chart.empty() ? 0 : chart.back().beat + chart.back().length;
}
}  // namespace

void Arrangement::comp(int p, double beat, const std::vector<ChordSpan>& chart, double barBeats,
                       std::string_view grid, int centre, int velocity, double gate, int voices) {
  const double total = chartLength(chart);
  const double step = barBeats / static_cast<double>(grid.size());
  for (double bar = 0; bar < total - 1e-6; bar += barBeats) {
    for (std::size_t i = 0; i < grid.size(); ++i) {
      const int v = gridVelocity(grid[i], velocity);
      const double rel = bar + static_cast<double>(i) * step;
      if (v == 0 || rel >= total - 1e-6) continue;
      for (int n : voicing(chordAt(chart, rel), centre, voices)) note(p, beat + rel, step * gate, n, jitter(v, 4));
    }
  }
}

void Arrangement::bass(int p, double beat, const std::vector<ChordSpan>& chart, double barBeats,
                       std::string_view figure, int low, int velocity, double gate) {
  const double total = chartLength(chart);
  const auto toks = tokens(figure);
  for (double bar = 0; bar < total - 1e-6; bar += barBeats) {
    double at = 0;
    double length = 1;
    for (auto token : toks) {
      const auto head = splitLength(token, length);
      const double rel = bar + at;
      at += length;
      if (rel >= total - 1e-6) break;
      if (head == "r") continue;
      const auto& chord = chordAt(chart, rel);
      int root = chord.root;
      while (root < low) root += 12;
      int pitch = root;
      if (head == "R") pitch = root;
      else if (head == "8") pitch = root + 12;
      else if (head == "5") pitch = root + 7;
      else if (head == "-5") pitch = root - 5;
      else if (head == "3") pitch = root + chord.intervals[1];
      else if (head == "6") pitch = root + 9;
      else if (head == "b7") pitch = root + 10;
      else if (head == "2") pitch = root + 2;
      else if (head == "4") pitch = root + 5;
      else if (head == "N") {
        const auto& next = chordAt(chart, std::min(total - 1e-3, rel + length + 1e-3));
        pitch = next.root;
        while (pitch < low) pitch += 12;
      } else if (head == "A") {
        const auto& next = chordAt(chart, std::min(total - 1e-3, rel + length + 1e-3));
        int target = next.root;
        while (target < low) target += 12;
        pitch = target + ((target - root) >= 0 ? -1 : 1);
      } else {
        throw std::runtime_error("unknown bass degree " + std::string(head));
      }
      note(p, beat + rel, length * gate, pitch, jitter(velocity + (std::fmod(at - length, barBeats / 2) < 1e-6 ? 6 : 0), 4));
    }
  }
}

void Arrangement::arpeggio(int p, double beat, const std::vector<ChordSpan>& chart, double step,
                           std::string_view order, int low, int velocity, double gate) {
  const double total = chartLength(chart);
  std::size_t k = 0;
  for (double rel = 0; rel < total - 1e-6; rel += step) {
    const auto& chord = chordAt(chart, rel);
    int octave = 0;
    while (order[k % order.size()] == '+') {
      octave += 12;
      ++k;
    }
    const int index = order[k % order.size()] - '0';
    ++k;
    int base = chord.root;
    while (base < low) base += 12;
    const int tone = base + chord.intervals[static_cast<std::size_t>(index) % chord.intervals.size()] +
                     octave + 12 * (index / static_cast<int>(chord.intervals.size()));
    note(p, beat + rel, step * gate, tone, jitter(velocity, 5));
  }
}

void Arrangement::drums(int p, double beat, int bars, double barBeats,
                        const std::vector<std::pair<int, std::string_view>>& rows, int velocity,
                        double swing) {
  for (int bar = 0; bar < bars; ++bar) {
    for (const auto& [key, grid] : rows) {
      const double step = barBeats / static_cast<double>(grid.size());
      for (std::size_t i = 0; i < grid.size(); ++i) {
        const int v = gridVelocity(grid[i], velocity);
        if (v == 0) continue;
        double at = beat + bar * barBeats + static_cast<double>(i) * step;
        if (swing > 0 && (i % 2) == 1) at += step * swing;
        note(p, at, std::min(step, 0.25), key, jitter(v, 5));
      }
    }
  }
}

void Arrangement::hit(int p, double beat, std::initializer_list<int> keys, int velocity) {
  for (int k : keys) note(p, beat, 0.25, k, jitter(velocity, 3));
}

void Arrangement::sweep(int p, double beat, double length, int controller, int from, int to,
                        double step) {
  for (double at = 0; at <= length + 1e-6; at += step) {
    const double f = length > 0 ? at / length : 1.0;
    control(p, beat + at, controller, static_cast<int>(std::lround(from + (to - from) * f)));
  }
}

void Arrangement::panWave(int p, double beat, double length, double period, int centre, int depth) {
  constexpr double kTwoPi = 6.283185307179586;
  for (double at = 0; at < length; at += 0.125)
    control(p, beat + at, 10, static_cast<int>(std::lround(centre + depth * std::sin(kTwoPi * at / period))));
  control(p, beat + length, 10, centre);
}

double Arrangement::lengthInBeats() const { return lastBeat_; }

double Arrangement::seconds(double beat) const {
  double t = 0;
  double at = 0;
  double bpm = 120;
  for (const auto& [b, tempo] : tempos_) {
    if (b >= beat) break;
    t += (b - at) * 60.0 / bpm;
    at = b;
    bpm = tempo;
  }
  return t + (beat - at) * 60.0 / bpm;
}

std::vector<std::uint8_t> Arrangement::smf(double endBeat) const {
  return buildSmf(tracks_, kPpq, tick(std::max(endBeat, lastBeat_)));
}

}  // namespace wumpets::songs
