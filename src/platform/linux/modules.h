// Parts of the Linux back end that live in modules of their own, opened the first time they are
// needed: a saver that shows no dialog and no message maps none of their libraries (FLTK, Xft,
// FreeType, HarfBuzz, fontconfig), and one that plays no song maps no synthesizer (FluidSynth
// and its GLib, sndfile, codecs, sound servers). The program and its modules are one build: the types below
// cross between them as they are, and a module of another build is refused by its stamp.
//
// Where a module is looked for: next to the program (a build folder), then lib/zelkin-wumpets
// beside the program's bin/ (an install, also one moved to another prefix), then the library
// folder the program was configured for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/dialogs.h"
#include "platform/linux/i_video.h"
#include "platform/linux/linux_platform.h"
#include "platform/platform.h"
#include "version.h"

namespace linuxplat {

// Tells a module of another build from ours: the version and the sizes of what crosses.
struct ModuleStamp {
  const char* version;
  std::size_t sizes;
};

// --- The dialogs: zelkin-wumpets-dialogs.so (dlg_fltk.cpp) ------------------------------------

inline constexpr const char* kDialogsModule = "zelkin-wumpets-dialogs.so";
inline constexpr const char* kDialogsEntry = "wumpets_dialogs_module";

// What the dialogs ask of the program.
struct DialogHost {
  double (*screen_dpi)();
  const std::vector<IconPicture>& (*app_icons)();
  std::string (*program_dir)();
  std::string (*share_dir)();
  linuxvideo::Monitor (*monitor_bounds)(int monitor);
  plat::ScreenMetrics (*screen_metrics)();
};

// The dialogs' part of the interface (platform/dialogs.h) and what the event loop asks of them
// (linux_platform.h), as the module implements them.
struct DialogModule {
  ModuleStamp stamp;
  bool (*active)();
  void (*wait)(double seconds);
  void (*over)(unsigned long xid);
  plat::Handle (*create)(const plat::DialogSpec& desc, plat::DialogEvents* events);
  void (*destroy)(plat::Handle dialog);
  void (*show)(plat::Handle dialog);
  void (*hide)(plat::Handle dialog);
  void (*set_caption)(plat::Handle dialog, const std::string& caption);
  void (*outer_size)(plat::Handle dialog, float& width, float& height);
  void (*move)(plat::Handle dialog, float left, float top);
  void (*set_topmost)(plat::Handle dialog, bool topmost);
  bool (*set_owner)(plat::Handle dialog, plat::Handle owner);
  void (*set_value)(plat::Handle dialog, int control, int value);
  void (*set_enabled)(plat::Handle dialog, int control, bool enabled);
  void (*set_text)(plat::Handle dialog, int control, const std::string& text);
  void (*copy_picture)(plat::Handle dialog, int to_control, int from_control);
  void (*focus)(plat::Handle dialog, int control);
  void (*message_box)(const std::string& title, const std::string& text);
};

using DialogsEntry = const DialogModule* (*)(const DialogHost* host);

// --- The message label's text: zelkin-wumpets-text.so (txt_label.cpp) -------------------------

inline constexpr const char* kTextModule = "zelkin-wumpets-text.so";
inline constexpr const char* kTextEntry = "wumpets_text_module";

// A caption as drawn: 00RRGGBB pixels row by row. No font at all: 0 x 0; a font that drew
// nothing: 0 wide and the font's height.
struct TextPicture {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;
};

struct TextModule {
  ModuleStamp stamp;
  // One line of UTF-8 text in the style's font (or, for a character it lacks, one that has it)
  // on the style's background.
  void (*draw)(const plat::LabelStyle& style, const std::string& utf8, TextPicture& out);
};

using TextEntry = const TextModule* (*)();

// --- The MIDI synthesizer: zelkin-wumpets-music.so (snd_fluid.cpp) ----------------------------

inline constexpr const char* kMusicModule = "zelkin-wumpets-music.so";
inline constexpr const char* kMusicEntry = "wumpets_music_module";

struct MusicSynth;   // a synthesizer, as the module makes it
struct MusicPlayer;  // one song's player on a synthesizer

struct MusicModule {
  ModuleStamp stamp;
  // A synthesizer of plain voices at the rate and gain, its players timed by the samples it
  // renders; null when it cannot start.
  MusicSynth* (*create_synth)(int sample_rate, double gain);
  void (*delete_synth)(MusicSynth* synth);
  // False when the file is no soundfont it can read; it says nothing of its own then.
  bool (*load_soundfont)(MusicSynth* synth, const char* path);
  // The next frames as interleaved stereo floats; false when it failed.
  bool (*write)(MusicSynth* synth, int frames, float* stereo);
  void (*all_sounds_off)(MusicSynth* synth);
  // A player started on a standard MIDI file's bytes (copied); null when refused. One not
  // `heard` counts its samples without starting a voice.
  MusicPlayer* (*start_player)(MusicSynth* synth, const std::uint8_t* bytes, std::size_t size, bool heard);
  void (*delete_player)(MusicPlayer* player);  // stops it first
  bool (*running)(MusicPlayer* player);
  int (*tick)(MusicPlayer* player);
};

using MusicEntry = const MusicModule* (*)();

// The stamp of this build, which a module returns and the program checks.
inline ModuleStamp module_stamp() {
  return ModuleStamp{WUMPETS_VERSION, sizeof(DialogHost) + sizeof(DialogModule) * 3 + sizeof(plat::DialogSpec) * 5 +
                                          sizeof(plat::ControlSpec) * 7 + sizeof(plat::KeyEvent) * 11 +
                                          sizeof(TextModule) * 13 + sizeof(plat::LabelStyle) * 17 +
                                          sizeof(TextPicture) * 19 + sizeof(MusicModule) * 23};
}

// The module's table, opened on the first call; null when it cannot be had, and then `why`
// says so (the same text on every later call).
const DialogModule* dialogs_module(std::string& why);
const TextModule* text_module(std::string& why);
const MusicModule* music_module(std::string& why);
// Whether the dialogs module was opened (asking does not open it).
bool dialogs_opened();

}  // namespace linuxplat
