// The media command strings on Linux: a MIDI sequencer made of players feeding one synthesizer,
// rendered from an SDL audio callback. The synthesizer and its players are the music module's
// (modules.h, snd_fluid.cpp), opened when the first song is to be heard. Without an audio device
// the songs still run in time on a silent clock of our own (where SDL would offer its "dummy"
// output), and without the soundfont or the module they run in time silently, so the saver
// never stops for want of a sound card.
//
// Threads: the commands come from the saver's one thread; with an output, the synthesizer and
// the players' clocks run in SDL's audio thread (a player counts the samples rendered), and
// every change to a player, and every look at its state, happens with the audio device locked.
// On the silent clock there is no audio thread: each command first renders the samples due
// since the last one, with the players' notes held back from the synthesizer, so the players
// count the same samples while no voice is ever computed.
#include <SDL.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string_view>

#include "platform/linux/i_sound.h"
#include "platform/linux/modules.h"
#include "platform/platform.h"

namespace linuxplat::music {

namespace {


constexpr int kSampleRate = 44100;
// 46 ms a callback: half the wake-ups of 1024 frames, and a song's start or stop still reaches
// the ear within two buffers (about 93 ms).
constexpr int kBufferFrames = 2048;

struct Song {
  std::string path;
  MusicPlayer* player = nullptr;     // while it plays or has played to its end
  std::uint32_t end_tick = 0;        // where the last track ends
  double seconds = 0;                // how long it lasts to there
  // Without the synthesizer: when the song, played on no clock but the wall's, is over.
  std::chrono::steady_clock::time_point silent_end{};
  std::vector<std::uint8_t> waiting;  // played before the sequencer started: its bytes
};

struct Engine {
  bool started = false;
  int volume = 100;                     // percent of the synthesizer's gain below
  const char* (*silencer)() = nullptr;  // see set_silencer
  bool deferred = false;  // start the sequencer from the event loop, after the window shows
  bool any_waiting = false;
  const MusicModule* lib = nullptr;  // the music module, once a song is to be heard
  MusicSynth* synth = nullptr;
  SDL_AudioDeviceID device = 0;
  // No synthesizer module: the songs keep their time on the wall clock, unheard.
  bool wall_clock = false;
  // No output to hear: the players run on the silent clock (see the top of this file).
  bool silent = false;
  std::chrono::steady_clock::time_point clock_start;
  std::uint64_t clock_frames = 0;  // rendered since clock_start, or skipped while none played
  std::array<float, 2 * kBufferFrames> scratch{};  // where the silent clock's samples go
  std::map<std::string, Song> songs;  // by alias, lower case
};

Engine& engine() {
  static Engine e;
  return e;
}

std::string& soundfont_path() {
  static std::string path;
  return path;
}

constexpr double kGain = 0.5;

bool regular_file(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool load_soundfont(const MusicModule& lib, MusicSynth* synth, const std::string& path) {
  return regular_file(path) && lib.load_soundfont(synth, path.c_str());
}

// Reads a whole song file, its size checked first: zero, or the result code to give when it is
// missing, not a plain file, larger than any song or cannot be read.
std::int32_t read_song_file(const std::string& path, std::vector<std::uint8_t>& bytes) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return plat::kMciFileNotFound;
  if (static_cast<std::uint64_t>(st.st_size) > plat::kMaxSongBytes) return plat::kMciInvalidFile;
  std::ifstream in(path, std::ios::binary);
  if (!in) return plat::kMciFileNotFound;
  bytes.resize(static_cast<std::size_t>(st.st_size));
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return in.bad() ? plat::kMciFileNotFound : plat::kMciOk;
}

// Zero when the file is a song the synthesizer can play, else the result code to give.
std::int32_t check_song(const std::string& path, std::vector<std::uint8_t>& bytes,
                        std::uint32_t& end_tick, double* seconds = nullptr) {
  if (const std::int32_t result = read_song_file(path, bytes)) return result;
  if (!is_standard_midi(bytes, &end_tick, seconds)) return plat::kMciInvalidFile;
  return plat::kMciOk;
}

// The player keeps going for a grace time of a few seconds after the last event; the song
// is over when its clock reaches the end of its last track.
bool still_playing(const MusicModule& lib, MusicPlayer* player, std::uint32_t end_tick) {
  return lib.running(player) && static_cast<std::uint32_t>(std::max(0, lib.tick(player))) < end_tick;
}

void SDLCALL render(void* userdata, Uint8* stream, int len) {
  auto* synth = static_cast<MusicSynth*>(userdata);
  const int frames = len / static_cast<int>(2 * sizeof(float));
  if (!engine().lib->write(synth, frames, reinterpret_cast<float*>(stream)))
    std::memset(stream, 0, static_cast<std::size_t>(len));
}

bool silent_driver() {
  const char* driver = SDL_GetCurrentAudioDriver();
  return driver && std::strcmp(driver, "dummy") == 0;
}

// Zero when no output opened, or when the one SDL chose is its silent one (closed again).
SDL_AudioDeviceID try_open_audio(MusicSynth* synth, bool& silent) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return 0;
  if (silent_driver()) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    silent = true;
    return 0;
  }
  SDL_AudioSpec want{};
  want.freq = kSampleRate;
  want.format = AUDIO_F32SYS;
  want.channels = 2;
  want.samples = kBufferFrames;
  want.callback = render;
  want.userdata = synth;
  // No changes allowed: SDL converts to whatever the device takes, so the synthesizer's rate
  // is the rate its players count time by.
  SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
  if (device == 0) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  return device;
}

// A machine with no sound card: the ALSA library would fill standard error with complaints
// before SDL gave up on it.
bool has_sound_card() {
  struct stat sb {};
  for (int card = 0; card < 8; ++card) {
    const std::string pcm = "/dev/snd/pcmC" + std::to_string(card) + "D0p";
    if (::stat(pcm.c_str(), &sb) == 0) return true;
  }
  return false;
}

bool is_socket(const std::string& path) {
  struct stat sb {};
  return !path.empty() && ::stat(path.c_str(), &sb) == 0 && S_ISSOCK(sb.st_mode);
}

// SDL's outputs worth trying here, in its names: the sound servers whose sockets are there, the
// sound card, the silent output. A client library asked for a server that is not running
// complains on standard error (PipeWire's twice on every start), and a saver's standard error
// is read in the locker's log: it should hold our own lines only.
std::string audio_drivers() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::string folder = runtime && *runtime ? std::string(runtime) + "/" : std::string();
  auto in_runtime = [&folder](const std::string& name) {
    return name.empty() || name[0] == '/' ? name : folder.empty() ? std::string() : folder + name;
  };
  std::string drivers;
  const char* pulse = std::getenv("PULSE_SERVER");
  if ((pulse && *pulse) || is_socket(in_runtime("pulse/native")) || is_socket("/run/pulse/native"))
    drivers += "pulseaudio,";
  const char* remote = std::getenv("PIPEWIRE_REMOTE");
  if (is_socket(in_runtime(remote && *remote ? remote : "pipewire-0"))) drivers += "pipewire,";
  if (has_sound_card()) drivers += "alsa,";
  return drivers + "dummy";
}

// A real output if there is one; else, where SDL would fall back on its silent output, the
// silent clock (`silent` set), which keeps time all the same.
SDL_AudioDeviceID open_audio(MusicSynth* synth, bool& silent) {
  silent = false;
  if (!std::getenv("SDL_AUDIODRIVER")) ::setenv("SDL_AUDIODRIVER", audio_drivers().c_str(), 1);
  SDL_AudioDeviceID device = try_open_audio(synth, silent);
  if (device == 0 && !silent) {
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    if (!driver || std::strcmp(driver, "dummy") != 0) {
      ::setenv("SDL_AUDIODRIVER", "dummy", 1);
      device = try_open_audio(synth, silent);
    }
  }
  if (device != 0) SDL_PauseAudioDevice(device, 0);
  return device;
}

bool any_player_running() {
  for (const auto& [alias, song] : engine().songs)
    if (song.player && engine().lib->running(song.player)) return true;
  return false;
}

// Brings the players on the silent clock up to now. While none plays there is nothing to
// count, and the samples due are passed over unrendered.
void run_silent_clock() {
  Engine& e = engine();
  if (!e.silent) return;
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - e.clock_start).count();
  const auto due = static_cast<std::uint64_t>(seconds * kSampleRate);
  while (e.clock_frames < due) {
    if (!any_player_running()) {
      e.clock_frames = due;
      break;
    }
    const auto frames = static_cast<int>(std::min<std::uint64_t>(kBufferFrames, due - e.clock_frames));
    float* out = e.scratch.data();
    e.lib->write(e.synth, frames, out);
    e.clock_frames += static_cast<std::uint64_t>(frames);
  }
}

// Where songs have a clock to run on: an output, or the silent clock.
bool has_clock() {
  const Engine& e = engine();
  return e.synth && (e.device != 0 || e.silent);
}

// Why this run plays no music at all, or null when it may play.
const char* silence_reason() {
  Engine& e = engine();
  if (e.volume == 0) return "muted";
  return e.silencer ? e.silencer() : nullptr;
}

// The synthesizer, its soundfont and the audio output come with the first song opened, so the
// modes without music never pay for them.
void start() {
  Engine& e = engine();
  if (e.started) return;
  e.started = true;
  if (silence_reason()) return;  // no synthesizer, no device: every song ends at once
  std::string why;
  e.lib = music_module(why);
  if (!e.lib) {
    // As without a soundfont, the songs keep their time and the play list its pace.
    std::fprintf(stderr, "zelkin-wumpets: no MIDI synthesizer (%s); music is off\n", why.c_str());
    e.wall_clock = true;
    return;
  }
  e.synth = e.lib->create_synth(kSampleRate, kGain * e.volume / 100.0);
  if (!e.synth) {
    std::fprintf(stderr, "zelkin-wumpets: the MIDI synthesizer cannot start; music is off\n");
    return;
  }
  std::string tried;
  const std::string font = soundfont_path().empty() ? find_soundfont(&tried) : soundfont_path();
  // Without instruments the songs still keep their time, silently.
  if (font.empty())
    std::fprintf(stderr, "zelkin-wumpets: no General MIDI soundfont (tried %s; --soundfont=FILE names one); "
                 "music is off\n", tried.c_str());
  else if (!load_soundfont(*e.lib, e.synth, font))
    std::fprintf(stderr, "zelkin-wumpets: no General MIDI soundfont at %s; music is off\n", font.c_str());
  e.device = open_audio(e.synth, e.silent);
  e.clock_start = std::chrono::steady_clock::now();
  if (e.device == 0 && !e.silent)
    std::fprintf(stderr, "zelkin-wumpets: no audio output (%s); music is off\n", SDL_GetError());
}

// When a song started now is over, on the wall clock.
std::chrono::steady_clock::time_point wall_clock_end(const Song& song) {
  return std::chrono::steady_clock::now() +
         std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(song.seconds));
}

// Ends a song's player. The audio device must be locked.
void drop_player(Song& song) {
  song.waiting.clear();
  song.silent_end = {};
  if (!song.player) return;
  Engine& e = engine();
  e.lib->delete_player(song.player);
  song.player = nullptr;
  e.lib->all_sounds_off(e.synth);
}

class AudioLock {
 public:
  AudioLock() : device_(engine().device) {
    if (device_) SDL_LockAudioDevice(device_);
  }
  ~AudioLock() {
    if (device_) SDL_UnlockAudioDevice(device_);
  }
  AudioLock(const AudioLock&) = delete;
  AudioLock& operator=(const AudioLock&) = delete;

 private:
  SDL_AudioDeviceID device_;
};

std::string lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// Splits a command into words; a word in double quotes may hold blanks.
// The words of one command, in a fixed list: the saver asks for a song's state every ten seconds
// while it runs, and short words stay within the strings' own storage.
struct Words {
  std::array<std::string, 16> items;
  std::size_t count = 0;
  std::size_t size() const { return count; }
  bool empty() const { return count == 0; }
  const std::string& operator[](std::size_t i) const { return items[i]; }
  bool push_back(std::string_view word) {
    if (count == items.size()) return false;
    items[count++].assign(word);
    return true;
  }
};

std::int32_t split(const std::string& command, Words& words) {
  std::size_t i = 0;
  while (i < command.size()) {
    if (std::isspace(static_cast<unsigned char>(command[i]))) {
      ++i;
    } else if (command[i] == '"') {
      const std::size_t end = command.find('"', i + 1);
      if (end == std::string::npos) return plat::kMciNoClosingQuote;
      if (!words.push_back(std::string_view(command).substr(i + 1, end - i - 1))) return plat::kMciUnrecognizedKeyword;
      i = end + 1;
    } else {
      std::size_t end = i;
      while (end < command.size() && !std::isspace(static_cast<unsigned char>(command[end]))) ++end;
      if (!words.push_back(std::string_view(command).substr(i, end - i))) return plat::kMciUnrecognizedKeyword;
      i = end;
    }
  }
  return words.empty() ? plat::kMciMissingCommandString : plat::kMciOk;
}

bool is_flag(const std::string& word) { return word == "wait" || word == "notify"; }

std::int32_t do_open(const Words& w, std::string& reply_text) {
  if (w.size() < 2) return plat::kMciMissingDeviceName;
  std::string alias = w[1];
  for (std::size_t i = 2; i < w.size(); ++i) {
    const std::string key = lower(w[i]);
    if (key == "type" || key == "alias") {
      if (i + 1 >= w.size()) return plat::kMciMissingParameter;
      if (key == "type" && lower(w[i + 1]) != "sequencer") return plat::kMciCannotLoadDriver;
      if (key == "alias") alias = w[i + 1];
      ++i;
    } else if (!is_flag(key) && key != "shareable") {
      return plat::kMciUnrecognizedKeyword;
    }
  }
  alias = lower(alias);
  Engine& e = engine();
  if (e.songs.count(alias)) return plat::kMciDuplicateAlias;
  // The file is not looked at yet: a song that cannot be played fails when it is played.
  if (!e.deferred) start();
  e.songs[alias] = Song{};
  e.songs[alias].path = w[1];
  reply_text.clear();
  return plat::kMciOk;
}

std::int32_t do_play(Song& song, const Words& w) {
  for (std::size_t i = 2; i < w.size(); ++i) {
    const std::string key = lower(w[i]);
    if (key == "from") {
      if (i + 1 >= w.size()) return plat::kMciMissingParameter;
      const std::string& value = w[++i];
      if (value.empty() || !std::all_of(value.begin(), value.end(), ::isdigit)) return plat::kMciBadInteger;
      // Songs are only ever started from their beginning.
      if (value.find_first_not_of('0') != std::string::npos) return plat::kMciUnsupportedFunction;
    } else if (key == "to") {
      return plat::kMciUnsupportedFunction;
    } else if (!is_flag(key)) {
      return plat::kMciUnrecognizedKeyword;
    }
  }
  std::vector<std::uint8_t> bytes;
  std::uint32_t end_tick = 0;
  double seconds = 0;
  if (const std::int32_t result = check_song(song.path, bytes, end_tick, &seconds)) return result;
  Engine& e = engine();
  song.seconds = seconds;
  if (!e.started) {
    // The soundfont and the audio output take a good part of a start-up: the song is known
    // good and counts as playing; the event loop starts it once the window is up.
    song.waiting = std::move(bytes);
    song.end_tick = end_tick;
    e.any_waiting = true;
    return plat::kMciOk;
  }
  AudioLock lock;
  drop_player(song);
  song.end_tick = end_tick;
  if (e.wall_clock) song.silent_end = wall_clock_end(song);
  // Without a synthesizer or any output there is no clock: the song is over at once.
  if (!has_clock()) return plat::kMciOk;
  song.player = e.lib->start_player(e.synth, bytes.data(), bytes.size(), !e.silent);
  return song.player ? plat::kMciOk : plat::kMciInternal;
}

std::int32_t do_status(Song& song, const Words& w, std::string& reply_text) {
  if (w.size() < 3) return plat::kMciMissingParameter;
  if (lower(w[2]) != "mode") return plat::kMciUnrecognizedKeyword;
  bool playing = false;
  {
    AudioLock lock;
    playing = !song.waiting.empty() || (song.player && still_playing(*engine().lib, song.player, song.end_tick)) ||
              std::chrono::steady_clock::now() < song.silent_end;
  }
  reply_text = playing ? "playing" : "stopped";
  return plat::kMciOk;
}

std::int32_t media(const std::string& command, std::string& reply_text) {
  static Words w;  // reused: the strings keep their storage from one command to the next
  w.count = 0;
  run_silent_clock();  // every reply as of now
  if (const std::int32_t result = split(command, w)) return result;
  const std::string verb = lower(w[0]);
  if (verb == "open") return do_open(w, reply_text);
  if (verb != "play" && verb != "status" && verb != "stop" && verb != "close")
    return plat::kMciUnrecognizedCommand;
  if (w.size() < 2) return plat::kMciMissingDeviceName;
  Engine& e = engine();
  auto it = e.songs.find(lower(w[1]));
  if (it == e.songs.end()) return plat::kMciInvalidDeviceName;
  Song& song = it->second;
  if (verb == "status") return do_status(song, w, reply_text);
  reply_text.clear();
  if (verb == "play") return do_play(song, w);
  for (std::size_t i = 2; i < w.size(); ++i)
    if (!is_flag(lower(w[i]))) return plat::kMciUnrecognizedKeyword;
  {
    AudioLock lock;
    drop_player(song);
  }
  if (verb == "close") e.songs.erase(it);
  return plat::kMciOk;
}

}  // namespace

void set_soundfont_path(const std::string& path) { soundfont_path() = path; }

std::string find_soundfont(std::string* tried) {
  // Debian's alternative first (the user's choice), then the fonts distributions ship.
  static const char* const kPlaces[] = {
      "/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/soundfonts/default.sf2",
      "/usr/share/sounds/sf2/TimGM6mb.sf2",   "/usr/share/soundfonts/TimGM6mb.sf2",
      "/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/soundfonts/FluidR3_GM.sf2",
  };
  for (const char* place : kPlaces) {
    if (regular_file(place)) return place;
    if (tried) *tried += (tried->empty() ? "" : ", ") + std::string(place);
  }
  return "";
}

void set_volume(int percent) { engine().volume = std::clamp(percent, 0, 100); }
void set_silencer(const char* (*why)()) { engine().silencer = why; }

void defer_start(bool deferred) { engine().deferred = deferred; }

void idle() {
  Engine& e = engine();
  if (!e.any_waiting) return;
  e.any_waiting = false;
  start();
  run_silent_clock();
  AudioLock lock;
  for (auto& [alias, song] : e.songs) {
    if (song.waiting.empty()) continue;
    std::vector<std::uint8_t> bytes = std::move(song.waiting);
    song.waiting.clear();
    if (has_clock()) song.player = e.lib->start_player(e.synth, bytes.data(), bytes.size(), !e.silent);
    if (e.wall_clock) song.silent_end = wall_clock_end(song);
  }
}

void shut_down() {
  Engine& e = engine();
  {
    AudioLock lock;
    for (auto& [alias, song] : e.songs) drop_player(song);
  }
  e.songs.clear();
  if (e.device) {
    SDL_CloseAudioDevice(e.device);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  if (e.synth) e.lib->delete_synth(e.synth);
  const int volume = e.volume;
  const auto silencer = e.silencer;
  e = Engine{};
  e.volume = volume;
  e.silencer = silencer;
}

std::vector<float> render_offline(const std::string& midi_path, const std::string& soundfont,
                                  int sample_rate, double max_seconds) {
  std::vector<float> out;
  std::vector<std::uint8_t> bytes;
  std::uint32_t end_tick = 0;
  std::string why;
  const MusicModule* lib = music_module(why);
  if (!lib || check_song(midi_path, bytes, end_tick) != plat::kMciOk) return out;
  MusicSynth* synth = lib->create_synth(sample_rate, kGain);
  if (!synth) return out;
  if (load_soundfont(*lib, synth, soundfont)) {
    if (MusicPlayer* player = lib->start_player(synth, bytes.data(), bytes.size(), true)) {
      constexpr int kBlock = 512;
      const auto limit = static_cast<std::size_t>(max_seconds * sample_rate) * 2;
      std::size_t release = static_cast<std::size_t>(sample_rate) * 2;  // one second after the end
      while (out.size() < limit && release > 0) {
        const std::size_t at = out.size();
        out.resize(at + 2 * kBlock);
        lib->write(synth, kBlock, out.data() + at);
        if (!still_playing(*lib, player, end_tick))
          release -= std::min(release, static_cast<std::size_t>(2 * kBlock));
      }
      lib->delete_player(player);
    }
  }
  lib->delete_synth(synth);
  return out;
}

}  // namespace linuxplat::music

namespace plat {

std::int32_t media_command(const std::string& command, std::string& reply, int reply_size) {
  static std::string text;  // reused, like the words
  text.clear();
  const std::int32_t result = linuxplat::music::media(command, text);
  if (result == 0) reply.assign(text, 0, reply_size > 0 ? static_cast<std::size_t>(reply_size - 1) : 0);
  return result;
}

}  // namespace plat
