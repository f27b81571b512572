// Standard MIDI file (format 1) assembly: tracks of timed events, written with running status.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace wumpets::songs {

// Events at the same tick are ordered by rank, so that set-up comes first and a note that
// ends on a tick is released before a note that starts on it is struck.
enum class Rank : std::uint8_t { Meta = 0, NoteOff = 1, Control = 2, NoteOn = 3 };

struct MidiEvent {
  std::uint32_t tick = 0;
  Rank rank = Rank::Meta;
  std::uint32_t seq = 0;  // insertion order, keeps equal events stable
  std::vector<std::uint8_t> bytes;
};

struct MidiTrack {
  std::string name;
  std::vector<MidiEvent> events;

  void add(std::uint32_t tick, Rank rank, std::vector<std::uint8_t> bytes);
  std::uint32_t lastTick() const;
};

// Writes the header and every track; each track gets its name first and its end-of-track
// at `endTick` or after its last event, whichever is later.
std::vector<std::uint8_t> buildSmf(const std::vector<MidiTrack>& tracks, int ppq,
                                   std::uint32_t endTick);

void appendVarLen(std::vector<std::uint8_t>& out, std::uint32_t value);

}  // namespace wumpets::songs
