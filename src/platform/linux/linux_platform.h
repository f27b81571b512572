// Set-up of the Linux back end by the program's entry, before the core runs.
#pragma once

#include <string>
#include <vector>

#include "platform/common/options.h"

namespace linuxplat {

// Records the options and the command line.
void configure(const wumpets::Options& options, const std::string& program_path);
const wumpets::Options& options();

// The folder of the running program (for data/ and site/ next to it), and the installed share
// folder: ../share/zelkin-wumpets from the program when it is there (an install moved to another
// prefix), else the one the program was configured for.
std::string program_dir();
std::string share_dir();

// The program's icon (i_icon.cpp): square pictures, RGBA bytes row by row, smallest first;
// none when the pictures are not where a build or an install puts them.
struct IconPicture {
  int size = 0;
  std::vector<unsigned char> rgba;
};
const std::vector<IconPicture>& app_icons();

// Locks of this user on this display (i_system.cpp). The folder holding them: one only this
// user can write ($XDG_RUNTIME_DIR, else a private folder of the user's own in $TMPDIR or
// /tmp), "" when no safe one; the display as a part of a file name, and a lock taken for the
// life of the process: its descriptor, -2 when another process holds it, -1 when no lock can be
// had.
std::string lock_folder();
std::string display_name();
int take_lock(const std::string& what);
// Why this run's music stays silent, or null: a preview (another program's window smaller than
// a monitor), or another instance that plays the music on this display. The first instance to
// start its music takes the display's music lock, whether it is full screen, in a window of its
// own (--window) or in another program's window: the display plays once.
const char* music_silence_reason();
// The full-screen saver's lock: its window takes it, and a later "/s" on this display is refused.
void take_saver_lock();

// The screen's resolution in dots per inch: the desktop's Xft.dpi where it is set, else the X
// screen's physical size (to the nearest 24); never below 96. The twips per pixel are 1440 / dpi.
double screen_dpi();
// The desktop's own scale setting as dots per inch: its Xft.dpi, else 96. Unlike screen_dpi() it
// never guesses from the screen's physical size, since it decides how large the scene is drawn.
double desktop_dpi();

// The dialogs (FLTK) share the one thread with the saver's window and timers. The event loop
// (i_video.cpp) asks whether any dialog is open and, while one is, lets the dialogs wait for
// their events instead of sleeping (i_dialogs.cpp).
bool dialogs_active();
void dialogs_wait(double seconds);
// A window of the program was just shown (its X window id): the dialogs that stay on top go over
// it, and are kept over it by the window manager too.
void dialogs_over(unsigned long xid);

// --render: the saver runs in a child process, since every way out of the saver ends its process
// and only a written picture counts as success. In the parent this waits for the child and
// returns the program's exit status; in the child it returns -1 and the program carries on as
// the saver, which writes the picture after its frames (i_render.cpp).
int render_supervise(const std::string& file);

}  // namespace linuxplat
