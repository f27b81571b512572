// A small arranging kit: parts on General MIDI channels, a tempo map, and helpers that turn
// written melodies, chord charts, bass figures and drum grids into timed MIDI events.
// Time is counted in quarter-note beats from the start of the song.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "smf.h"

namespace wumpets::songs {

inline constexpr int kPpq = 480;
inline constexpr int kDrumChannel = 9;  // channel 10 as players count them

// General MIDI percussion keys used by the songs.
namespace drum {
inline constexpr int Kick = 36, Rim = 37, Snare = 38, Clap = 39, SnareHi = 40, TomLow = 43,
                     HatClosed = 42, HatPedal = 44, TomMid = 47, HatOpen = 46, TomHigh = 50,
                     Crash = 49, Ride = 51, RideBell = 53, Tambourine = 54, Cowbell = 56,
                     BongoHi = 60, BongoLo = 61, CongaMute = 62, CongaOpen = 63, CongaLow = 64,
                     TimbaleHi = 65, TimbaleLo = 66, Cabasa = 69, Maracas = 70, GuiroShort = 73,
                     Claves = 75, WoodHi = 76, WoodLo = 77, Shaker = 82, Triangle = 81;
}

// How a written line is played.
struct Style {
  int velocity = 80;
  double gate = 0.9;     // sounding part of each written length
  int transpose = 0;     // semitones
  double scale = 1.0;    // beats per written unit
};

struct ChordSpan {
  double beat = 0;   // relative to the chart's start
  double length = 0;
  int root = 0;      // pitch class 0..11
  std::vector<int> intervals;  // semitones above the root, ascending
};

// A chart such as "Am7:4 E7b9:2 E7:2"; the length after the colon is in beats and carries
// over to the next chord when left out.
std::vector<ChordSpan> parseChart(std::string_view chart);

// "C4" = 60; sharps '#', flats 'b'.
int parsePitch(std::string_view name);

class Arrangement {
 public:
  Arrangement(std::string title, int seed);

  // A part on `channel` (0-based; 9 is the drum channel) with its General MIDI program,
  // channel volume, pan and effect sends. Returns the part's index.
  int part(std::string name, int channel, int program, int volume, int pan, int reverb = 40,
           int chorus = 0);

  void tempo(double beat, double bpm);
  // Eases the tempo from `fromBpm` to `toBpm` over the span, in small steps.
  void ramp(double beat, double length, double fromBpm, double toBpm);
  void meter(double beat, int numerator, int denominatorPower);  // 2 = quarter, 3 = eighth
  void marker(double beat, std::string text);

  void note(int p, double beat, double length, int pitch, int velocity);
  void control(int p, double beat, int controller, int value);
  void program(int p, double beat, int program);
  void bend(int p, double beat, int value);  // -8192..8191

  // A written line: tokens "E5:.5", "r:1" (rest), "C4+E4+G4:2" (chord) separated by blanks;
  // '|' is ignored, for bar lines. The length after the colon carries over when left out and
  // may be a fraction ("1/3"). Returns the length of the line in beats.
  double melody(int p, double beat, std::string_view line, const Style& style);

  // Held chords over the chart, voiced close around `centre` (a MIDI note).
  void pad(int p, double beat, const std::vector<ChordSpan>& chart, int centre, int velocity,
           int voices = 4);
  // Chord stabs over the chart: `grid` holds one character per step of a bar of `barBeats`
  // ('X' accent, 'x' normal, 'o' soft, anything else silence); each stab lasts `gate` steps.
  void comp(int p, double beat, const std::vector<ChordSpan>& chart, double barBeats,
            std::string_view grid, int centre, int velocity, double gate = 0.8, int voices = 3);
  // A bass figure repeated over the chart, bar by bar: tokens "R:1", "5:.5", "8:.5", "3", "b7",
  // "6", "A" (a step to the next chord's root), "N" (the next chord's root), "r" (rest);
  // degrees follow the chord sounding at each note. `low` is the lowest root allowed.
  void bass(int p, double beat, const std::vector<ChordSpan>& chart, double barBeats,
            std::string_view figure, int low, int velocity, double gate = 0.85);
  // Broken chords: the chord's notes from `low` upward, `step` beats apart, in the order of
  // `order` (digits index the chord tones, '+' moves an octave up for the next digit).
  void arpeggio(int p, double beat, const std::vector<ChordSpan>& chart, double step,
                std::string_view order, int low, int velocity, double gate = 1.5);
  // A drum grid repeated `bars` times: each row is a key and a string of steps across a bar.
  void drums(int p, double beat, int bars, double barBeats,
             const std::vector<std::pair<int, std::string_view>>& rows, int velocity = 100,
             double swing = 0.0);
  // A hit of several drums at one point.
  void hit(int p, double beat, std::initializer_list<int> keys, int velocity);
  // A smooth controller sweep (for volume fades and pan movement).
  void sweep(int p, double beat, double length, int controller, int from, int to,
             double step = 0.125);
  void panWave(int p, double beat, double length, double period, int centre, int depth);

  double lengthInBeats() const;
  std::vector<std::uint8_t> smf(double endBeat) const;
  double seconds(double beat) const;

 private:
  struct Part {
    int channel;
  };
  std::uint32_t tick(double beat) const;
  int jitter(int velocity, int amount);
  std::vector<int> voicing(const ChordSpan& chord, int centre, int voices) const;

  std::vector<MidiTrack> tracks_;  // [0] is the conductor
  std::vector<Part> parts_;
  std::vector<std::pair<double, double>> tempos_;  // beat, bpm
  std::uint32_t random_;
  double lastBeat_ = 0;
};

}  // namespace wumpets::songs
