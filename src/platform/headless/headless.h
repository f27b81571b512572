// The headless back end: a fixed screen, a virtual clock that fires timers only when a test
// advances it, windows whose images are plain pixel buffers, scripted system answers, and a log
// of every call. The program's own code runs unchanged on it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/common/pixels.h"
#include "platform/platform.h"

namespace headless {

// Thrown by plat::end_process(): the test catches it where the real process would be gone.
struct ProcessEnded {};

struct Config {
  int screen_width = 800;  // pixels
  double dpi = 96;         // 15 twips to the pixel
  int screen_height = 600;
  std::vector<plat::Size> other_monitors;  // monitors beside the primary one, in order
  std::string command_line;
  std::string config_dir;  // folder of the settings file
  std::string data_dir;    // with a trailing '/'
  std::string site = "file:///usr/share/zelkin-wumpets/site";
  std::int32_t platform_id = 0;
  bool previous_instance = false;
  // The top-level window find_window finds: its title and handle (0: none).
  std::string top_window_title = "Display Properties";
  plat::Handle top_window = 0;
  double clock_seconds = 43200.0;
  // Registry values: "subkey\\name" -> (type, bytes). Missing = the query fails.
  std::map<std::string, std::pair<std::uint32_t, std::string>> registry;
  bool password_accepted = true;
  std::string status_suffix;  // appended to the sequencer's state replies
  bool out_of_memory = false;  // load_bitmap throws std::bad_alloc, as an exhausted heap does
};

// Starts afresh: forgets windows, timers, DCs, the log and the clock.
void reset(const Config& config);
Config& config();

// The log of calls, one line each (e.g. "show_cursor 0", "media_command play song0 from 0").
const std::vector<std::string>& calls();
void clear_calls();
void record_calls(bool on);  // off while measuring allocations

// Virtual time: fires every due timer, in order, one at a time.
void advance_ms(long ms);
long now_ms();

// Input sent to a window (to its events, as the event loop would).
void click(plat::Handle wnd);
void dblclick(plat::Handle wnd);
void key(plat::Handle wnd, int key, int ch);
void close_request(plat::Handle wnd);  // a close from the system: query, then unload
void destroy(plat::Handle wnd);        // a host window destroyed: its children unload

// What the windows show.
struct WindowState {
  plat::WindowKind kind{};
  bool visible = false;
  bool topmost = false;
  bool loaded = true;
  std::string title;
  plat::Handle parent = 0;
  plat::Rect pos{};
  plat::Handle dc = 0;
  int refreshes = 0;
};
const WindowState* window(plat::Handle wnd);
plat::Handle last_window(plat::WindowKind kind);
const wumpets::PixelBuffer* window_image(plat::Handle wnd);
int cursor_count();

struct LabelState {
  plat::Handle window = 0;
  std::string caption;
  int x = 0, y = 0;
  bool visible = false;
  int refreshes = 0;
};
const LabelState* label(plat::Handle label);

// The error dialog.
std::string error_dialog_title();  // empty while none was shown
bool error_dialog_visible();
int error_dialog_shows();  // how many codes were reported
void error_dialog_press_report();
void error_dialog_close();
const std::vector<std::string>& opened_pages();

// Music: a fake sequencer. A song plays for its length, set per file (default 1000 ms); a file
// that does not exist fails at play, as a real sequencer does.
void set_song_length(const std::string& path, long ms);

// Monitors plugged in or out while the saver runs, told to whoever watches them. A new monitor
// gets the next number, which plug_monitor returns; an unplugged one keeps its number.
int plug_monitor(plat::Size size);
void unplug_monitor(int monitor);
bool saver_mode_begun();  // the saver mode's start-up said its windows are coming

// A host window for the preview (a window of another program).
plat::Handle create_host_window(int client_width, int client_height);
// The desktop window: a window of the screen's size that no preview may live in, as the
// real back ends refuse the root window and the desktop.
plat::Handle create_desktop_window();

}  // namespace headless
