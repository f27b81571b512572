// The MIDI sequencer behind the media command strings: pieces shared by the device
// (i_sound.cpp), its tests and the music benchmark.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace linuxplat::music {

// The General MIDI soundfont our tests and benchmarks play with (a dependency of the build).
inline constexpr const char* kDefaultSoundfont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

// Where the next start of the sequencer looks for its soundfont. Empty (the default): the first
// of the places distributions put one (see find_soundfont).
void set_soundfont_path(const std::string& path);
// The soundfont an empty path stands for, and the files looked at ("" when none is there).
std::string find_soundfont(std::string* tried = nullptr);

// How this run sounds, set by the program's entry: loudness 0..100 (0 is silence), and what
// else may silence it, asked once when the music would start (a text saying why, or null to
// play). Songs of a silent run still keep their rules (a missing song still fails when played)
// and end at once.
void set_volume(int percent);
void set_silencer(const char* (*why)());

// With deferral on, the synthesizer, its soundfont and the audio output start only when the
// event loop calls idle() (after the saver's window is shown); a song played before then counts
// as playing and starts there. Off (the default), they start at the first "open".
void defer_start(bool deferred);
void idle();

// Closes every song, the audio device and the synthesizer; the next "open" starts afresh.
void shut_down();

// True when the bytes are a standard MIDI file whose header, chunks and track events all
// read cleanly, each track ending with its end-of-track event. `end_tick`, when given,
// receives the tick of the last end of track: where the song is over; `seconds` how long the
// song lasts until then, by its tempo changes.
bool is_standard_midi(const std::vector<std::uint8_t>& bytes, std::uint32_t* end_tick = nullptr,
                      double* seconds = nullptr);

// Renders a MIDI file with a soundfont as the device would, without an audio device:
// interleaved stereo floats at `sample_rate`, up to `max_seconds` long (the song's end plus
// one second of release). Empty when the file, the soundfont or the music module cannot be
// used.
std::vector<float> render_offline(const std::string& midi_path, const std::string& soundfont,
                                  int sample_rate, double max_seconds);

}  // namespace linuxplat::music
