// A strict reader of standard MIDI files, to check what the song generator writes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace wumpets::test {

struct SmfEvent {
  std::uint32_t tick = 0;  // absolute, from the track's start
  std::uint8_t status = 0;  // channel status, 0xFF for meta, 0xF0/0xF7 for system exclusive
  std::uint8_t meta = 0;    // meta type when status is 0xFF
  std::vector<std::uint8_t> data;  // the data bytes (meta and sysex: the payload)

  int channel() const { return status & 0x0F; }
  int kind() const { return status & 0xF0; }
  bool isNoteOn() const { return kind() == 0x90 && data.size() == 2 && data[1] > 0; }
  bool isNoteOff() const { return kind() == 0x80 || (kind() == 0x90 && data.size() == 2 && data[1] == 0); }
};

struct Smf {
  int format = 0;
  int division = 0;  // ticks per quarter note
  std::vector<std::vector<SmfEvent>> tracks;
};

// Throws std::runtime_error with a description of the first fault found.
Smf readSmf(const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> readFile(const std::string& path);

// Seconds from the start to `tick`, following the tempo events of every track
// (120 beats a minute until the first).
double secondsAt(const Smf& smf, std::uint32_t tick);
// The tick of the last event of any track.
std::uint32_t endTick(const Smf& smf);

}  // namespace wumpets::test
