// The reader must be strict, or the song checks built on it prove nothing.
#include <gtest/gtest.h>

#include <stdexcept>

#include "smf_reader.h"

namespace wumpets::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes header(std::uint8_t tracks) { return {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, tracks, 0x01, 0xE0}; }

Bytes chunk(const Bytes& body) {
  Bytes out{'M', 'T', 'r', 'k', 0, 0, 0, static_cast<std::uint8_t>(body.size())};
  for (std::uint8_t b : body) out.push_back(b);  // (insert draws a false bounds warning from GCC 12 at -O3)
  return out;
}

Bytes file(std::uint8_t tracks, const std::vector<Bytes>& bodies) {
  Bytes out = header(tracks);
  for (const auto& b : bodies) {
    const auto c = chunk(b);
    out.insert(out.end(), c.begin(), c.end());
  }
  return out;
}

const Bytes kEnd{0x00, 0xFF, 0x2F, 0x00};

TEST(SmfReader, DecodesRunningStatusMetaAndLongDeltas) {
  // Tempo at 0; note on, then under running status (no status byte) a note off after 480
  // ticks, written as the two-byte delta 83 60; a program change; end of track.
  Bytes body{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,  // 500000 us
             0x00, 0x93, 60, 100,                       // note on, channel 4
             0x83, 0x60, 60, 0,                         // running status, velocity 0
             0x00, 0xC3, 24};
  body.insert(body.end(), kEnd.begin(), kEnd.end());
  const Smf smf = readSmf(file(1, {body}));
  ASSERT_EQ(smf.tracks.size(), 1u);
  const auto& t = smf.tracks[0];
  ASSERT_EQ(t.size(), 5u);
  EXPECT_TRUE(t[1].isNoteOn());
  EXPECT_EQ(t[1].channel(), 3);
  EXPECT_TRUE(t[2].isNoteOff());
  EXPECT_EQ(t[2].status, 0x93);
  EXPECT_EQ(t[2].tick, 480u);
  EXPECT_EQ(t[3].kind(), 0xC0);
  EXPECT_EQ(t[3].data, Bytes{24});
  EXPECT_DOUBLE_EQ(secondsAt(smf, 480), 0.5);
  EXPECT_EQ(endTick(smf), 480u);
}

TEST(SmfReader, TempoChangesShapeTheTimeline) {
  // 120 bpm for one quarter, then 60 bpm for one more: 0.5 s + 1 s.
  Bytes body{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,
             0x83, 0x60, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40,
             0x83, 0x60, 0xFF, 0x2F, 0x00};
  const Smf smf = readSmf(file(1, {body}));
  EXPECT_DOUBLE_EQ(secondsAt(smf, endTick(smf)), 1.5);
}

TEST(SmfReader, RejectsBrokenFiles) {
  const Bytes noteOn{0x00, 0x90, 60, 100};
  struct Case {
    const char* what;
    Bytes bytes;
  };
  Bytes noEnd = noteOn;
  Bytes dataWithoutStatus{0x00, 60, 100};
  dataWithoutStatus.insert(dataWithoutStatus.end(), kEnd.begin(), kEnd.end());
  Bytes afterEnd = kEnd;
  afterEnd.insert(afterEnd.end(), noteOn.begin(), noteOn.end());
  Bytes truncated = file(1, {kEnd});
  truncated.resize(truncated.size() - 2);
  const std::vector<Case> cases = {
      {"a track without end-of-track", file(1, {noEnd})},
      {"a data byte with no running status", file(1, {dataWithoutStatus})},
      {"events after end-of-track", file(1, {afterEnd})},
      {"a header that counts more tracks than there are", file(2, {kEnd})},
      {"a chunk cut short", truncated},
      {"a missing header", chunk(kEnd)},
  };
  for (const auto& c : cases) EXPECT_THROW(readSmf(c.bytes), std::runtime_error) << c.what;
}

}  // namespace
}  // namespace wumpets::test
