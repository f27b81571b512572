#include "smf.h"

#include <algorithm>

namespace wumpets::songs {

void MidiTrack::add(std::uint32_t tick, Rank rank, std::vector<std::uint8_t> bytes) {
  events.push_back(MidiEvent{tick, rank, static_cast<std::uint32_t>(events.size()), std::move(bytes)});
}

std::uint32_t MidiTrack::lastTick() const {
  std::uint32_t last = 0;
  for (const auto& e : events) last = std::max(last, e.tick);
  return last;
}

void appendVarLen(std::vector<std::uint8_t>& out, std::uint32_t value) {
  std::uint8_t groups[5];
  int n = 0;
  do {
    groups[n++] = static_cast<std::uint8_t>(value & 0x7F);
    value >>= 7;
  } while (value != 0);
  while (n > 1) out.push_back(static_cast<std::uint8_t>(groups[--n] | 0x80));
  out.push_back(groups[0]);
}

namespace {

void appendBe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::vector<std::uint8_t> trackBody(const MidiTrack& track, std::uint32_t endTick) {
  std::vector<MidiEvent> events = track.events;
  std::stable_sort(events.begin(), events.end(), [](const MidiEvent& a, const MidiEvent& b) {
    if (a.tick != b.tick) return a.tick < b.tick;
    if (a.rank != b.rank) return a.rank < b.rank;
    return a.seq < b.seq;
  });

  std::vector<std::uint8_t> body;
  // Track name.
  body.push_back(0);
  body.push_back(0xFF);
  body.push_back(0x03);
  appendVarLen(body, static_cast<std::uint32_t>(track.name.size()));
  body.insert(body.end(), track.name.begin(), track.name.end());

  std::uint32_t now = 0;
  std::uint8_t runningStatus = 0;
  for (const auto& e : events) {
    appendVarLen(body, e.tick - now);
    now = e.tick;
    const std::uint8_t status = e.bytes.front();
    if (status >= 0xF0) {
      runningStatus = 0;  // meta and system events cancel running status
      body.insert(body.end(), e.bytes.begin(), e.bytes.end());
    } else if (status == runningStatus) {
      body.insert(body.end(), e.bytes.begin() + 1, e.bytes.end());
    } else {
      runningStatus = status;
      body.insert(body.end(), e.bytes.begin(), e.bytes.end());
    }
  }
  appendVarLen(body, std::max(endTick, now) - now);
  body.push_back(0xFF);
  body.push_back(0x2F);
  body.push_back(0x00);
  return body;
}

}  // namespace

std::vector<std::uint8_t> buildSmf(const std::vector<MidiTrack>& tracks, int ppq,
                                   std::uint32_t endTick) {
  std::vector<std::uint8_t> out{'M', 'T', 'h', 'd'};
  appendBe(out, 6, 4);
  appendBe(out, 1, 2);  // format 1: a conductor track and one track per part
  appendBe(out, static_cast<std::uint32_t>(tracks.size()), 2);
  appendBe(out, static_cast<std::uint32_t>(ppq), 2);
  for (const auto& track : tracks) {
    const auto body = trackBody(track, endTick);
    out.insert(out.end(), {'M', 'T', 'r', 'k'});
    appendBe(out, static_cast<std::uint32_t>(body.size()), 4);
    out.insert(out.end(), body.begin(), body.end());
  }
  return out;
}

}  // namespace wumpets::songs
