// The one interface between the portable core and the operating system.
//
// Every function here is implemented once per back end (src/platform/<backend>/); CMake links
// exactly one back end into each program. The shapes follow the Win32 calls the saver was
// designed around (memory DCs and BitBlt, private-profile files, the registry, the media
// command strings, ShellExecute), so that the Win32 back end is a thin layer and the Linux and
// headless back ends can give the same results. The headless back end records every call.
//
// Everything runs on one thread. Windows and timers report to the core through the small event
// interfaces below; the back end's event loop calls them one at a time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace plat {

using Handle = std::int32_t;  // DCs, bitmaps, windows, timers, labels, registry keys: > 0 is live

// ---------------------------------------------------------------------------------------------
// Drawing: memory DCs holding one bitmap each, and the blit.  Called by gfx/surface.cpp (create,
// delete), the image loader, the frame loop, the behaviours and the preview (blit).

inline constexpr std::uint32_t kSrcCopy = 0x00CC0020;   // destination = source
inline constexpr std::uint32_t kSrcAnd = 0x008800C6;    // destination = destination AND source
inline constexpr std::uint32_t kSrcPaint = 0x00EE0086;  // destination = destination OR source

Handle create_dc();                          // a memory DC compatible with the screen; <= 0 on failure
Handle load_bitmap(const std::string& path);  // a bitmap file of its own size; 0 when unreadable
void select_bitmap(Handle dc, Handle bitmap);  // the bitmap becomes the DC's drawing surface
void delete_bitmap(Handle bitmap);             // the DC that selected it keeps it alive
int delete_dc(Handle dc);                      // non-zero when deleted
// Copies w x h from (sx, sy) of src to (x, y) of dst, clipped to dst. dst may be a window's DC.
void bitblt(Handle dst, int x, int y, int w, int h, Handle src, int sx, int sy, std::uint32_t rop);

struct Size {
  int width = 0;
  int height = 0;
};
Size dc_size(Handle dc);  // the size of the bitmap a DC holds (0 x 0 for none)
// Grows the bitmap of a DC to at least w x h; new pixels are black. Used for the back buffer
// and the background, which must cover the screen whatever size the buffer file has.
void grow_dc(Handle dc, int w, int h);
// Copies the tw x th top left corner of tile's bitmap to (c * tw, r * th) of dc for every c and r
// with c * tw <= w and r * th <= h: a background tiled over the screen (the last row and column
// of copies may reach past w and h, clipped to the bitmap). A back end may keep such a picture
// as its one tile rather than as screen-sized pixels.
void fill_tiled(Handle dc, int w, int h, Handle tile, int tw, int th);

// ---------------------------------------------------------------------------------------------
// Screen and cursor.  Called by the image loader (screen size), start-up, shutdown, input and
// the error reporter (cursor).

// The primary screen's size in twips (1/1440 inch) and the twips in one pixel, which follow the
// screen's real resolution: 15 at 96 dots per inch, 10 at 144, 7.5 at 192. Sizes in twips are
// therefore not whole numbers in general; the dialogs and window centring compute in them, the
// saver in pixels (twips / twips per pixel).
struct ScreenMetrics {
  float width_twips = 0;
  float height_twips = 0;
  float twips_per_pixel_x = 15;
  float twips_per_pixel_y = 15;
};
ScreenMetrics screen_metrics();
// What a back end reports for a screen of width x height pixels at the given dots per inch.
inline ScreenMetrics screen_metrics_at(int width, int height, double dpi_x, double dpi_y) {
  const auto tx = static_cast<float>(1440.0 / dpi_x), ty = static_cast<float>(1440.0 / dpi_y);
  return ScreenMetrics{static_cast<float>(width) * tx, static_cast<float>(height) * ty, tx, ty};
}
int show_cursor(bool show);  // raises or lowers the display count; returns the new count

// ---------------------------------------------------------------------------------------------
// Windows, labels and timers.  Called by the saver form, the preview form and the dialogs.

// Events of one window, delivered by the back end's event loop.
class WindowEvents {
 public:
  virtual void on_click() {}
  virtual void on_dblclick() {}
  virtual void on_keydown(int /*key*/) {}
  virtual void on_keypress(int /*ch*/) {}
  // Any request to close the window. Return true to cancel it.
  virtual bool on_query_unload() { return false; }
  // The window is going away (after an accepted close request, or its host destroyed it).
  virtual void on_unload() {}

 protected:
  ~WindowEvents() = default;
};

class TimerEvents {
 public:
  virtual void on_timer(Handle timer) = 0;

 protected:
  ~TimerEvents() = default;
};

enum class WindowKind {
  Saver,    // borderless, black, covers its monitor when shown
  Preview,  // borderless, black, to become a child of a host window (preview_embed)
};

// Monitors. The saver covers every one, each with a saver window of its own: monitor 0 is the
// primary one. One monitor when the saver draws into a single window (an ordinary window,
// another program's window, a picture). There are never more than kMaxMonitors: every table of
// windows, timers and views is sized from it.
inline constexpr int kMaxMonitors = 16;
int monitor_count();
Size monitor_size(int monitor);  // pixels; monitor 0 is the screen of screen_metrics()

// Called by the saver mode's start-up before it loads its pictures: its full-screen windows
// are about to be made, so a back end may choose how they are shown (a compositor's own
// surfaces) and which monitors there are.
void begin_saver_mode();

// Monitors plugged in or out while the saver runs (a compositor's outputs). A monitor keeps its
// number for the life of the process: a new one gets the next number (never above
// kMaxMonitors - 1), one that goes away keeps its number and is not covered again. Called from
// the event loop.
class MonitorEvents {
 public:
  virtual void on_monitor_added(int /*monitor*/) {}
  virtual void on_monitor_removed(int /*monitor*/) {}

 protected:
  ~MonitorEvents() = default;
};
void watch_monitors(MonitorEvents* events);  // null: no longer told

// A saver window covers the given monitor; a preview window ignores it. 0 when no window can be
// made (the caller then has no window, and nothing of it shows).
Handle window_create(WindowKind kind, WindowEvents* events, int monitor = 0);
void window_show(Handle wnd);
void window_hide(Handle wnd);
void window_set_title(Handle wnd, const std::string& title);
Handle window_dc(Handle wnd);       // the DC of the window's persistent image
void window_refresh(Handle wnd);    // shows the window's image at once
void window_unload(Handle wnd);     // a close request: on_query_unload, then on_unload
void window_set_topmost(Handle wnd, bool topmost);
void window_move(Handle wnd, int x, int y);  // top-left corner, pixels

// Preview embedding. Called by the preview form.
struct Rect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};
bool window_client_rect(Handle wnd, Rect& rect);  // false (rect untouched) if not a window
// Makes a preview window a child of the host window (owned by it, so it goes when the host
// goes), covering the host's client area from its corner, shown without taking the focus.
// False when the host is no window or the window cannot live in it: the desktop (the root
// window, the shell's desktop) is no host.
bool preview_embed(Handle wnd, Handle host, const Rect& client);

// The personal-message label of the saver window: one line of text painted over the window.
struct LabelStyle {
  std::string font = "Arial";
  int points = 12;
  bool bold = true;
  std::uint32_t colour = 0x00FF8080;  // 00BBGGRR
  std::uint32_t back = 0x00000000;
};
Handle label_create(Handle wnd, const LabelStyle& style);
void label_set_caption(Handle label, const std::string& caption);
Size label_size(Handle label);  // follows the caption
void label_move(Handle label, int x, int y);
void label_show(Handle label, bool visible);
void label_refresh(Handle label);  // paints the label again over the window

Handle timer_create(TimerEvents* events);  // idle until enabled with an interval > 0
// A timer never fires more often than every kTimerFloorMs, whatever its interval: the window
// system the saver was made for ticked no faster, so the fastest speed setting means that pace
// (and not a core's worth of frames) everywhere.
inline constexpr int kTimerFloorMs = 10;
void timer_set_interval(Handle timer, int ms);
void timer_enable(Handle timer, bool enabled);
bool timer_enabled(Handle timer);

// Runs the event loop: timers and input until the process ends. Called by the program's entry.
void run_event_loop();

// ---------------------------------------------------------------------------------------------
// Settings file and folders (GetWindowsDirectoryA, Get/WritePrivateProfileStringA).
// Called by settings/ini.cpp only.

std::string windows_directory();  // the folder that holds the settings file
char path_separator();            // what ends a folder name: '\\' or '/'
// Reads a value of at most (size - 1) characters; def when the file, section or key is missing.
std::string profile_get(const std::string& section, const std::string& key, const std::string& def,
                        int size, const std::string& file);
// What a write of the settings file came to: done, or the file's full path and why it could not
// be written, in words a user can act on ("the file is read-only").
struct ProfileWrite {
  bool ok = true;
  std::string path;
  std::string reason;
  explicit operator bool() const { return ok; }
};
ProfileWrite profile_put(const std::string& section, const std::string& key, const std::string& value,
                         const std::string& file);
// Writes every entry (key, value) into section as one change: all of them, or none when the file
// cannot be written, in which case the old file stays whole and no temporary file is left.
using ProfileEntries = std::vector<std::pair<std::string, std::string>>;
ProfileWrite profile_put_all(const std::string& section, const ProfileEntries& entries, const std::string& file);
std::string data_directory();  // the folder of the pictures and songs, with a trailing separator

// ---------------------------------------------------------------------------------------------
// System information and services.  Called by start-up, shutdown and input.

std::int32_t os_platform_id();  // GetVersionExA's platform id: 1 = 95 family, 2 = NT family

inline constexpr std::uint32_t kHkeyCurrentUser = 0x80000001u;
Handle registry_open(std::uint32_t root, const std::string& subkey);  // 0 when it cannot be opened
// Status 0 on success; fills type, the value's bytes and its length in bytes (at most `size`).
std::int32_t registry_query(Handle key, const std::string& name, std::uint32_t& type, std::string& bytes,
                            std::uint32_t size);
void registry_close(Handle key);

void set_saver_running(bool running);          // SPI_SETSCREENSAVERRUNNING
bool verify_saver_password(Handle wnd);        // true when the password is accepted
void change_saver_password(std::int32_t parent);  // the system's own dialog

// The media command-string interface (mciSendStringA). Returns 0 on success, else one of the
// codes below; the reply text is cut to (reply_size - 1) characters.
std::int32_t media_command(const std::string& command, std::string& reply, int reply_size);
// No real song comes near this (ours are a few KB): a larger file is refused as kMciInvalidFile
// before anything reads it, on every system.
inline constexpr std::uint64_t kMaxSongBytes = 1u << 20;
enum : std::int32_t {
  kMciOk = 0,
  kMciUnrecognizedKeyword = 259,
  kMciUnrecognizedCommand = 261,
  kMciInvalidDeviceName = 263,  // the alias is not open
  kMciCannotLoadDriver = 266,   // a device type other than the sequencer
  kMciMissingCommandString = 267,
  kMciBadInteger = 270,
  kMciMissingParameter = 273,
  kMciUnsupportedFunction = 274,
  kMciFileNotFound = 275,
  kMciInternal = 277,
  kMciDuplicateAlias = 289,
  kMciMissingDeviceName = 292,
  kMciNoClosingQuote = 294,
  kMciInvalidFile = 296,
};

void shell_open(const std::string& address);  // opens a page in the user's browser; no waiting
// The maker's web site: our own pages shipped with the program. Pages are this plus a path.
std::string site_address();

Handle find_window(const std::string& title);  // a top-level window with this title, or 0
bool previous_instance();                      // another instance of this program is running
std::string command_line();                    // the arguments as passed, after the program path
double timer_seconds();                        // seconds since midnight, for seeding the generator

// Where the system keeps a log that a user or an administrator reads (standard error on Linux,
// where a terminal or xscreensaver's log shows it), an error code goes there too, and so does a
// word about options the mode ignored. The error dialog itself is a dialog of the core
// (errors/reporter.cpp).
void log_error(const std::string& code);

// The status the process ends with: 0 unless a mode ended because it failed (a song that cannot
// be played, a dialog that cannot be shown, a preview with no window to live in), which sets 1
// before it ends.
void set_exit_status(int status);
[[noreturn]] void end_process();  // no statement of the program runs after this

// ---------------------------------------------------------------------------------------------
// The core's side, called by each back end's program entry (implemented in startup/program.cpp).

// Starts the mode the command line selects, with the process's one module state; the back end's
// event loop then runs it. A seed makes every random draw reproducible (tests, pictures);
// without one the generator is seeded from the clock. Overrides are settings for this run only:
// a settings key and its value as the file would hold it ("speed", "20"); the key "music"
// stands for the play list ("0": no song; "1": the chosen songs, or the first three).
using SettingOverride = std::pair<std::string, std::string>;
void core_main(std::optional<std::uint64_t> seed, const std::vector<SettingOverride>& overrides = {});

}  // namespace plat
