// The check of a standard MIDI file before it is handed to the synthesizer, which would
// otherwise take a missing, cut or garbled file as a silent song.
#include <algorithm>
#include <cstddef>
#include <utility>

#include "platform/linux/i_sound.h"

namespace linuxplat::music {

namespace {

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool done() const { return pos_ >= size_; }
  bool byte(std::uint32_t& out) {
    if (pos_ >= size_) return false;
    out = data_[pos_++];
    return true;
  }
  bool be(int count, std::uint32_t& out) {
    out = 0;
    for (int i = 0; i < count; ++i) {
      std::uint32_t b;
      if (!byte(b)) return false;
      out = (out << 8) | b;
    }
    return true;
  }
  // A variable-length quantity: at most four bytes of seven bits.
  bool varlen(std::uint32_t& out) {
    out = 0;
    for (int i = 0; i < 4; ++i) {
      std::uint32_t b;
      if (!byte(b)) return false;
      out = (out << 7) | (b & 0x7F);
      if (!(b & 0x80)) return true;
    }
    return false;
  }
  bool skip(std::uint32_t count) {
    if (count > size_ - pos_) return false;
    pos_ += count;
    return true;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// A tempo change: the tick it comes at and the microseconds a beat from there on.
using Tempo = std::pair<std::uint64_t, std::uint32_t>;

bool valid_track(const std::uint8_t* data, std::size_t size, std::uint64_t& tick, std::vector<Tempo>* tempos) {
  Reader r(data, size);
  std::uint32_t running = 0;
  tick = 0;
  while (!r.done()) {
    std::uint32_t delta, status;
    if (!r.varlen(delta) || !r.byte(status)) return false;
    tick += delta;
    bool have_first = false;
    if (status < 0x80) {  // running status: this byte is the first data byte
      if (running == 0) return false;
      have_first = true;
      status = running;
    }
    if (status < 0xF0) {
      running = status;
      const int count = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
      for (int i = have_first ? 1 : 0; i < count; ++i) {
        std::uint32_t d;
        if (!r.byte(d)) return false;
        if (d & 0x80) return false;
      }
      continue;
    }
    running = 0;
    std::uint32_t length;
    if (status == 0xFF) {
      std::uint32_t type;
      if (!r.byte(type) || !r.varlen(length)) return false;
      std::uint32_t tempo = 0;
      if (type == 0x51 && length == 3 && tempos) {
        if (!r.be(3, tempo)) return false;
        tempos->emplace_back(tick, tempo);
      } else if (!r.skip(length)) {
        return false;
      }
      if (type == 0x2F) return true;  // end of track; anything after it is padding
    } else if (status == 0xF0 || status == 0xF7) {
      if (!r.varlen(length) || !r.skip(length)) return false;
    } else {
      return false;  // system real-time and common messages do not belong in a file
    }
  }
  return false;  // no end-of-track event
}

}  // namespace

bool is_standard_midi(const std::vector<std::uint8_t>& bytes, std::uint32_t* end_tick, double* seconds) {
  Reader r(bytes.data(), bytes.size());
  std::uint32_t tag, length, format, tracks, division;
  if (!r.be(4, tag) || tag != 0x4D546864 /* MThd */) return false;
  if (!r.be(4, length) || length < 6) return false;
  if (!r.be(2, format) || !r.be(2, tracks) || !r.be(2, division)) return false;
  if (format > 2 || tracks == 0 || (format == 0 && tracks != 1) || division == 0) return false;
  if (!r.skip(length - 6)) return false;

  std::size_t pos = 8 + length;
  std::uint32_t found = 0;
  std::uint64_t last = 0;
  std::vector<Tempo> tempos;
  while (found < tracks) {
    Reader chunk(bytes.data() + pos, bytes.size() - pos);
    std::uint32_t chunk_tag, chunk_length;
    if (!chunk.be(4, chunk_tag) || !chunk.be(4, chunk_length)) return false;
    if (chunk_length > bytes.size() - pos - 8) return false;
    if (chunk_tag == 0x4D54726B /* MTrk */) {
      std::uint64_t tick;
      if (!valid_track(bytes.data() + pos + 8, chunk_length, tick, seconds ? &tempos : nullptr)) return false;
      last = std::max(last, tick);
      ++found;
    }  // chunks of other kinds are skipped, as readers are asked to
    pos += 8 + static_cast<std::size_t>(chunk_length);
  }
  if (last > 0x7FFFFFFF) return false;  // beyond what the player can count
  if (end_tick) *end_tick = static_cast<std::uint32_t>(last);
  if (seconds) {
    if (division & 0x8000) {  // frames a second (as a negative byte) and ticks a frame
      const auto frames = static_cast<double>(256 - (division >> 8));
      const double rate = frames * static_cast<double>(division & 0xFF);
      *seconds = rate > 0 ? static_cast<double>(last) / rate : 0.0;
    } else {
      // Tempo changes apply to every track from their tick on; a beat is half a second until
      // the first.
      std::stable_sort(tempos.begin(), tempos.end(),
                       [](const Tempo& a, const Tempo& b) { return a.first < b.first; });
      double micros = 0;
      std::uint64_t at = 0;
      std::uint32_t tempo = 500000;
      for (const auto& [tick, next] : tempos) {
        if (tick >= last) break;
        micros += static_cast<double>(tick - at) * tempo;
        at = tick;
        tempo = next;
      }
      micros += static_cast<double>(last - at) * tempo;
      *seconds = micros / division / 1e6;
    }
  }
  return true;
}

}  // namespace linuxplat::music
