// The MIDI synthesizer and its players (FluidSynth), in a module of its own (modules.h) that the
// program opens when the first song is to be heard: a muted saver, the dialogs and the preview
// map neither FluidSynth nor the thirty-odd libraries it brings. The songs' commands, their
// checks and the audio output stay in the program (i_sound.cpp); only the entry at the end is
// visible outside this file.
#include <fluidsynth.h>
#include <glib.h>

#include <cstdio>

#include "platform/linux/modules.h"

namespace linuxplat {

// A synthesizer and the settings it was made with, which must outlive it.
struct MusicSynth {
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
};

}  // namespace linuxplat

namespace {

using linuxplat::MusicPlayer;
using linuxplat::MusicSynth;

fluid_player_t* fluid(MusicPlayer* player) { return reinterpret_cast<fluid_player_t*>(player); }

// FluidSynth's own messages: its warnings (an instrument missing from the soundfont, and so
// on) are noise for a screen saver; its errors go to standard error, except while we probe
// files whose failures we report ourselves.
bool g_quiet = false;

void fluid_message(int, const char* message, void*) {
  if (!g_quiet) std::fprintf(stderr, "zelkin-wumpets: fluidsynth: %s\n", message);
}

void route_fluid_messages() {
  static bool routed = false;
  if (routed) return;
  routed = true;
  fluid_set_log_function(FLUID_PANIC, fluid_message, nullptr);
  fluid_set_log_function(FLUID_ERR, fluid_message, nullptr);
  fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
  fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
  fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
}

void delete_synth(MusicSynth* s) {
  if (!s) return;
  if (s->synth) delete_fluid_synth(s->synth);
  if (s->settings) delete_fluid_settings(s->settings);
  delete s;
}

MusicSynth* create_synth(int sample_rate, double gain) {
  route_fluid_messages();
  auto* s = new MusicSynth;
  s->settings = new_fluid_settings();
  if (!s->settings) {
    delete_synth(s);
    return nullptr;
  }
  fluid_settings_setnum(s->settings, "synth.sample-rate", sample_rate);
  fluid_settings_setnum(s->settings, "synth.gain", gain);
  fluid_settings_setint(s->settings, "synth.cpu-cores", 1);
  // Only the instruments the songs select are read from the soundfont, not all of its samples.
  fluid_settings_setint(s->settings, "synth.dynamic-sample-loading", 1);
  // Plain voices: the effects and the finer interpolation would each add about half a
  // percent of a core while a song plays, for little a screen saver's listener would miss.
  fluid_settings_setint(s->settings, "synth.chorus.active", 0);
  fluid_settings_setint(s->settings, "synth.reverb.active", 0);
  // Players keep time by the samples rendered, so a song lasts as long as its audio does.
  fluid_settings_setstr(s->settings, "player.timing-source", "sample");
  fluid_settings_setint(s->settings, "player.reset-synth", 1);
  s->synth = new_fluid_synth(s->settings);
  if (!s->synth) {
    delete_synth(s);
    return nullptr;
  }
  fluid_synth_set_interp_method(s->synth, -1, FLUID_INTERP_LINEAR);
  return s;
}

void drop_glib_message(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

bool load_soundfont(MusicSynth* s, const char* path) {
  // A broken file is ours to report, in one line. FluidSynth's loaders also complain through
  // GLib (a file no loader reads makes libinstpatch print a CRITICAL assertion), so GLib's
  // messages go nowhere for the length of the load.
  g_quiet = true;
  const GLogFunc previous = g_log_set_default_handler(drop_glib_message, nullptr);
  const int id = fluid_synth_sfload(s->synth, path, 1);
  g_log_set_default_handler(previous, nullptr);
  g_quiet = false;
  return id != FLUID_FAILED;
}

bool write(MusicSynth* s, int frames, float* stereo) {
  return fluid_synth_write_float(s->synth, frames, stereo, 0, 2, stereo, 1, 2) == FLUID_OK;
}

void all_sounds_off(MusicSynth* s) { fluid_synth_all_sounds_off(s->synth, -1); }

// A player's events where nothing would hear them. (Tempo changes never come here; the player
// keeps them itself.)
int hold_back(void*, fluid_midi_event_t*) { return FLUID_OK; }

MusicPlayer* start_player(MusicSynth* s, const std::uint8_t* bytes, std::size_t size, bool heard) {
  fluid_player_t* player = new_fluid_player(s->synth);
  if (!player) return nullptr;
  if (!heard) fluid_player_set_playback_callback(player, hold_back, nullptr);
  if (fluid_player_add_mem(player, bytes, size) != FLUID_OK || fluid_player_play(player) != FLUID_OK) {
    delete_fluid_player(player);
    return nullptr;
  }
  return reinterpret_cast<MusicPlayer*>(player);
}

void delete_player(MusicPlayer* player) {
  fluid_player_stop(fluid(player));
  delete_fluid_player(fluid(player));
}

bool running(MusicPlayer* player) { return fluid_player_get_status(fluid(player)) == FLUID_PLAYER_PLAYING; }

int tick(MusicPlayer* player) { return fluid_player_get_current_tick(fluid(player)); }

}  // namespace

// The module's one visible symbol.
extern "C" __attribute__((visibility("default"))) const linuxplat::MusicModule* wumpets_music_module() {
  static const linuxplat::MusicModule table{linuxplat::module_stamp(), create_synth, delete_synth, load_soundfont,
                                            write, all_sounds_off, start_player, delete_player, running, tick};
  return &table;
}
