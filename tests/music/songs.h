// Tiny MIDI files the music tests write into their temporary folders.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// A format-0 file at 120 beats a minute and 480 ticks a beat (960 ticks a second): `notes`
// piano notes one after another, together `seconds` long, then the end of the track.
inline Bytes make_song(double seconds, int notes) {
  Bytes track = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,  // tempo 500000 us a beat
                 0x00, 0xC0, 0x00};                         // piano
  auto varlen = [&](std::uint32_t v) {
    Bytes b{static_cast<std::uint8_t>(v & 0x7F)};
    while (v >>= 7) b.insert(b.begin(), static_cast<std::uint8_t>(0x80 | (v & 0x7F)));
    track.insert(track.end(), b.begin(), b.end());
  };
  const auto ticks = static_cast<std::uint32_t>(seconds * 960 / notes);
  for (int i = 0; i < notes; ++i) {
    const auto key = static_cast<std::uint8_t>(60 + (i * 4) % 12);
    varlen(0);
    track.insert(track.end(), {0x90, key, 100});
    varlen(ticks);
    track.insert(track.end(), {0x80, key, 64});
  }
  track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});
  Bytes file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0, 'M', 'T', 'r', 'k'};
  const auto n = static_cast<std::uint32_t>(track.size());
  file.insert(file.end(), {static_cast<std::uint8_t>(n >> 24), static_cast<std::uint8_t>(n >> 16),
                           static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)});
  file.insert(file.end(), track.begin(), track.end());
  return file;
}

inline void write_file(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace
