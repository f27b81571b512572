// Set-up of the Linux back end by the program's entry, before the core runs.
#pragma once

#include <string>

#include "platform/common/options.h"

namespace linuxplat {

// Records the options and the command line; takes the per-user instance lock.
void configure(const wumpets::Options& options, const std::string& program_path);
const wumpets::Options& options();

// The folder of the running program (for data/ and site/ next to it).
std::string program_dir();

// The screen's resolution in dots per inch: the desktop's Xft.dpi where it is set, else the X
// screen's physical size (to the nearest 24); never below 96. The twips per pixel are 1440 / dpi.
double screen_dpi();

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
