#include "smf_reader.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>

namespace wumpets::test {

namespace {

class Cursor {
 public:
  Cursor(const std::vector<std::uint8_t>& bytes, std::size_t begin, std::size_t end)
      : bytes_(bytes), pos_(begin), end_(end) {}
  bool atEnd() const { return pos_ >= end_; }
  std::size_t pos() const { return pos_; }
  std::uint8_t byte() {
    if (pos_ >= end_) throw std::runtime_error("unexpected end of chunk at byte " + std::to_string(pos_));
    return bytes_[pos_++];
  }
  std::uint8_t peek() const {
    if (pos_ >= end_) throw std::runtime_error("unexpected end of chunk");
    return bytes_[pos_];
  }
  std::uint32_t be(int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = (v << 8) | byte();
    return v;
  }
  std::uint32_t varLen() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
      const std::uint8_t b = byte();
      v = (v << 7) | (b & 0x7F);
      if ((b & 0x80) == 0) return v;
    }
    throw std::runtime_error("variable-length number longer than four bytes");
  }
  std::vector<std::uint8_t> take(std::uint32_t n) {
    std::vector<std::uint8_t> out;
    for (std::uint32_t i = 0; i < n; ++i) out.push_back(byte());
    return out;
  }

 private:
  const std::vector<std::uint8_t>& bytes_;
  std::size_t pos_;
  std::size_t end_;
};

int dataBytes(std::uint8_t status) {
  const int kind = status & 0xF0;
  return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}

std::vector<SmfEvent> readTrack(const std::vector<std::uint8_t>& bytes, std::size_t begin,
                                std::size_t end) {
  Cursor c(bytes, begin, end);
  std::vector<SmfEvent> events;
  std::uint32_t tick = 0;
  std::uint8_t running = 0;
  bool ended = false;
  while (!c.atEnd()) {
    if (ended) throw std::runtime_error("events after end-of-track");
    tick += c.varLen();
    SmfEvent e;
    e.tick = tick;
    std::uint8_t status = c.peek();
    if (status & 0x80) {
      c.byte();
    } else {
      if (running == 0) throw std::runtime_error("data byte without a running status");
      status = running;
    }
    e.status = status;
    if (status == 0xFF) {
      e.meta = c.byte();
      e.data = c.take(c.varLen());
      running = 0;
      if (e.meta == 0x2F) {
        if (!e.data.empty()) throw std::runtime_error("end-of-track with a payload");
        ended = true;
      }
    } else if (status == 0xF0 || status == 0xF7) {
      e.data = c.take(c.varLen());
      running = 0;
    } else if (status >= 0xF1) {
      throw std::runtime_error("system common or real-time message in a file");
    } else {
      running = status;
      for (int i = 0; i < dataBytes(status); ++i) {
        const std::uint8_t d = c.byte();
        if (d & 0x80) throw std::runtime_error("status byte where a data byte belongs");
        e.data.push_back(d);
      }
    }
    events.push_back(std::move(e));
  }
  if (!ended) throw std::runtime_error("track without end-of-track");
  return events;
}

}  // namespace

Smf readSmf(const std::vector<std::uint8_t>& bytes) {
  Cursor c(bytes, 0, bytes.size());
  if (c.be(4) != 0x4D546864) throw std::runtime_error("no MThd header");
  if (c.be(4) != 6) throw std::runtime_error("header length is not 6");
  Smf smf;
  smf.format = static_cast<int>(c.be(2));
  const auto count = c.be(2);
  smf.division = static_cast<int>(c.be(2));
  if (smf.format > 2) throw std::runtime_error("unknown format");
  if (smf.division <= 0 || (smf.division & 0x8000)) throw std::runtime_error("not a ticks-per-quarter division");
  while (!c.atEnd()) {
    const auto id = c.be(4);
    const auto length = c.be(4);
    const auto begin = c.pos();
    if (begin + length > bytes.size()) throw std::runtime_error("chunk runs past the end of the file");
    if (id == 0x4D54726B) smf.tracks.push_back(readTrack(bytes, begin, begin + length));
    c.take(length);
  }
  if (smf.tracks.size() != count) throw std::runtime_error("header track count differs from the chunks");
  return smf;
}

std::vector<std::uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

double secondsAt(const Smf& smf, std::uint32_t tick) {
  std::map<std::uint32_t, std::uint32_t> tempos;  // tick -> microseconds per quarter
  for (const auto& track : smf.tracks)
    for (const auto& e : track)
      if (e.status == 0xFF && e.meta == 0x51 && e.data.size() == 3)
        tempos[e.tick] = (static_cast<std::uint32_t>(e.data[0]) << 16) | (e.data[1] << 8) | e.data[2];
  double seconds = 0;
  std::uint32_t at = 0;
  double usPerQuarter = 500000;
  for (const auto& [t, us] : tempos) {
    if (t >= tick) break;
    seconds += (t - at) * usPerQuarter / 1e6 / smf.division;
    at = t;
    usPerQuarter = us;
  }
  return seconds + (tick - at) * usPerQuarter / 1e6 / smf.division;
}

std::uint32_t endTick(const Smf& smf) {
  std::uint32_t end = 0;
  for (const auto& track : smf.tracks)
    if (!track.empty()) end = std::max(end, track.back().tick);
  return end;
}

}  // namespace wumpets::test
