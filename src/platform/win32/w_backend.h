// All state of the Windows back end, in one struct, and the few helpers its files share. Only
// the back end's own files include this (it brings in <windows.h>).
//
// Drawing: every memory DC is a real GDI memory DC holding a 32-bit top-down DIB section, and the
// core's own row loops (gfx/pixels) blend those pixels directly: the result of SRCCOPY, SRCAND and
// SRCPAINT on 32-bit pixels is the same as GDI's, and the core's change tracking then lets the
// window blit move only the rectangles that changed. Only that last blit goes through GDI.
//
// Handles: GDI handles of a 64-bit process do not fit the interface's positive int32, so DCs and
// bitmaps are indices of a table here. Window handles stay raw: user handles are 32-bit values
// on every Windows, and the preview host's handle arrives as a number on the command line.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/dialogs.h"
#include "platform/platform.h"
#include "platform/win32/w_dib.h"
#include "platform/common/options.h"

namespace win32 {

struct GdiEntry {
  enum Kind { Free, Dc, Bitmap } kind = Free;
  HDC dc = nullptr;           // Dc: the memory DC
  HGDIOBJ original = nullptr;  // Dc: the bitmap it was created with, put back before deleting
  std::shared_ptr<Dib> dib;   // Dc: the selected bitmap; Bitmap: the bitmap itself
};

struct Window {
  HWND hwnd = nullptr;  // null: a free slot
  plat::WindowKind kind = plat::WindowKind::Saver;
  plat::WindowEvents* events = nullptr;
  bool loaded = false;
  bool pressed = false;  // a mouse button went down inside: the next button up is a click
  plat::Handle dc = 0;   // the DC of the persistent image
  HDC screen = nullptr;  // the window's own DC (CS_OWNDC: valid for the window's life)
  // Each pixel of the image shows as a scale x scale block (a saver window on a scaled desktop);
  // the image is then the scene's own size.
  int scale = 1;
  std::uint64_t shown_identity = 0, shown_version = 0;  // what the screen shows of the image
};

struct Label {
  plat::Handle wnd = 0;  // 0: a free slot
  HFONT font = nullptr;
  std::string caption;
  int x = 0, y = 0;
  SIZE size{};
  bool visible = false;
  COLORREF colour = 0, back = 0;
};

struct Timer {
  plat::TimerEvents* events = nullptr;  // null: a free slot
  int interval = 0;
  bool enabled = false;
  bool running = false;  // SetTimer is in force
};

// A dialog built from the core's layout (w_dialogs.cpp).
struct Dialog {
  HWND hwnd = nullptr;
  plat::DialogEvents* events = nullptr;
  plat::DialogSpec layout;
  std::vector<HWND> controls;      // by control index; null for the hidden picture store
  std::vector<HBITMAP> pictures;   // Image and PictureBox: the picture shown (not owned)
  std::vector<HBRUSH> brushes;     // a control's own face colour, or null for the system's
  HWND tooltip = nullptr;
  int default_button = -1;
  bool quiet = false;  // a program-side change is under way: report nothing
  bool topmost = false;  // stays above every saver window, even one shown later
  HWND focus = nullptr;  // the control whose focus was last reported or set
  HWND owner = nullptr;  // another program's window it belongs to (dialog_set_owner)
};

struct Backend {
  wumpets::Options options;
  std::string program_dir;  // folder of the running program, with a trailing backslash
  HINSTANCE instance = nullptr;
  int dpi = 96;  // the screen's logical pixels per inch (the manifest makes us DPI aware)
  int scale = 0;  // the saver windows' whole-pixel scale, once decided (saver_scale)
  int exit_status = 0;  // what the process ends with (set_exit_status)
  HWND disabled_owner = nullptr;  // a window of another program we took input from; given back at the end

  std::vector<GdiEntry> gdi = std::vector<GdiEntry>(1);  // element 0 is never handed out
  // A saver window, its label and its frame timer for every monitor, the music timer, and the
  // preview's window and timer; element 0 unused (handle = index; SetTimer id = handle).
  std::array<Window, plat::kMaxMonitors + 2> windows{};
  std::array<Label, plat::kMaxMonitors + 2> labels{};
  std::array<Timer, plat::kMaxMonitors + 4> timers{};
  HWND timer_window = nullptr;     // message-only window that receives every WM_TIMER
  // Test hook WUMPETS_HOLD_AFTER_FRAMES=N: after the saver window has shown N frames no timer
  // ticks any more, so that the picture stays as it is for a screenshot.
  int hold_after = -1;
  int frames_shown = 0;
  // The rectangles one refresh sends, reserved once (nothing is allocated while the saver runs).
  std::array<wumpets::PixelBuffer::Area, wumpets::PixelBuffer::kChanges> areas{};

  // The monitors, the primary one first (EnumDisplayMonitors), found once.
  std::array<RECT, plat::kMaxMonitors> monitors{};
  int monitor_count = 0;

  std::vector<std::unique_ptr<Dialog>> dialogs;
  std::string settings_dir;  // chosen once: the Windows directory or the per-user folder
  std::array<HKEY, 8> keys{};  // registry handles; index = handle, element 0 unused

  // Test seams, set only by the back end's own test program and null in the saver: a scripted
  // media device in place of mciSendStringA (Wine has no MIDI synthesiser, so a real song never
  // ends there), and a stand-in for ending the process, which must not return (it throws).
  std::uint32_t (*media_device)(const char* command, char* reply, unsigned reply_size) = nullptr;
  void (*process_end)() = nullptr;
};

Backend& B();

// Set-up by the program's entry, before the core runs.
void configure(const wumpets::Options& options);

// Handles.
inline HWND hwnd_of(plat::Handle h) { return reinterpret_cast<HWND>(static_cast<std::intptr_t>(h)); }
inline plat::Handle handle_of(HWND w) {
  return static_cast<plat::Handle>(static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(w)));
}
GdiEntry* gdi_entry(plat::Handle h, GdiEntry::Kind kind);
Window* window(plat::Handle h);  // null when unknown or unloaded
Window* window_of(HWND hwnd);   // loaded or not; null when not ours

// The whole-pixel scale of the saver windows (w_video.cpp): --scale, else the settings file's
// "scale" key, else the desktop's DPI rounded to a whole multiple of 96.
int saver_scale();

// A saver window covering a monitor, or a preview window (w_video.cpp).
plat::Handle create_window(plat::WindowKind kind, plat::WindowEvents* events, int monitor);

// The one window procedure of the saver and preview windows (w_loop.cpp).
LRESULT CALLBACK window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
void register_classes();
void paint_window(Window& w, HDC target, const RECT& area);  // image, then labels
void paint_labels(plat::Handle wnd, HDC target);

// Dialogs (w_dialogs.cpp): the event loop offers every message to them first.
bool dialog_message(MSG& msg);
// Puts the topmost dialogs back above everything, after a saver window came up over them.
void raise_topmost_dialogs();

// Settings-folder choice, exposed for the back-end tests (w_system.cpp). `windows_dir` is the
// Windows directory; `appdata` the user's roaming application-data folder.
std::string choose_settings_dir(const std::string& windows_dir, const std::string& appdata);

}  // namespace win32
