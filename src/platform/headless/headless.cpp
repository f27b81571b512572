// The headless back end. See headless.h.
#include "platform/headless/headless.h"

#include <new>

#include <sys/stat.h>

#include <memory>
#include <string_view>

#include "platform/common/memdc.h"
#include "platform/common/text_utf8.h"
#include "platform/headless/headless_dialogs.h"
#include "platform/posix/profile_file.h"

namespace headless {

namespace {

struct Window {
  WindowState state;
  bool desktop = false;  // the desktop itself: a window, but no host for a preview
  plat::WindowEvents* events = nullptr;
  std::shared_ptr<wumpets::PixelBuffer> image;
};

struct Timer {
  plat::TimerEvents* events = nullptr;
  int interval = 0;
  bool enabled = false;
  long due = 0;
};

struct Song {
  std::string path;
  long until = 0;
  bool stopped = false;
};

struct State {
  Config config;
  std::vector<std::string> calls;
  bool recording = true;
  long now = 0;
  std::map<plat::Handle, Window> windows;
  plat::Handle next_window = 1000;
  std::map<plat::Handle, Timer> timers;
  plat::Handle next_timer = 1;
  std::map<plat::Handle, LabelState> labels;
  plat::Handle next_label = 1;
  int cursor = 0;
  int error_shows = 0;
  std::vector<std::string> pages;
  std::map<std::string, Song, std::less<>> songs;  // by alias
  std::map<std::string, long> song_lengths;
  std::map<plat::Handle, std::string> reg_keys;
  plat::Handle next_key = 1;
  bool saver_mode = false;
  plat::MonitorEvents* monitor_events = nullptr;
};

State& S() {
  static State s;
  return s;
}

void log(const std::string& line) {
  if (S().recording) S().calls.push_back(line);
}

Window* win(plat::Handle h) {
  auto it = S().windows.find(h);
  return it == S().windows.end() || !it->second.state.loaded ? nullptr : &it->second;
}

bool file_exists(const std::string& path) {
  struct stat sb {};
  return ::stat(path.c_str(), &sb) == 0 && S_ISREG(sb.st_mode);
}

void unload(plat::Handle h) {
  Window* w = win(h);
  if (!w) return;
  w->state.loaded = false;
  w->state.visible = false;
  if (w->events) w->events->on_unload();
}

}  // namespace

void reset(const Config& config) {
  memdc::reset();
  headless_dialogs::reset();
  S() = State{};
  S().config = config;
}
Config& config() { return S().config; }
const std::vector<std::string>& calls() { return S().calls; }
void clear_calls() { S().calls.clear(); }
void record_calls(bool on) { S().recording = on; }
long now_ms() { return S().now; }

void advance_ms(long ms) {
  const long target = S().now + ms;
  for (;;) {
    plat::Handle next = 0;
    long due = target + 1;
    for (auto& [h, t] : S().timers) {
      if (t.enabled && t.interval > 0 && t.due < due) {
        due = t.due;
        next = h;
      }
    }
    if (next == 0) break;
    S().now = due;
    Timer& t = S().timers[next];
    t.due += t.interval;
    t.events->on_timer(next);
  }
  S().now = target;
}

void click(plat::Handle wnd) {
  if (Window* w = win(wnd)) w->events->on_click();
}
void dblclick(plat::Handle wnd) {
  if (Window* w = win(wnd)) w->events->on_dblclick();
}
void key(plat::Handle wnd, int k, int ch) {
  if (Window* w = win(wnd)) {
    w->events->on_keydown(k);
    if (ch && win(wnd)) w->events->on_keypress(ch);
  }
}
void close_request(plat::Handle wnd) { plat::window_unload(wnd); }
void destroy(plat::Handle wnd) {
  for (auto& [h, w] : S().windows)
    if (w.state.parent == wnd && w.state.loaded) unload(h);
  if (Window* w = win(wnd)) w->state.loaded = false;
}

const WindowState* window(plat::Handle wnd) {
  auto it = S().windows.find(wnd);
  return it == S().windows.end() ? nullptr : &it->second.state;
}
plat::Handle last_window(plat::WindowKind kind) {
  plat::Handle found = 0;
  for (auto& [h, w] : S().windows)
    if (w.state.kind == kind && w.events) found = h;
  return found;
}
const wumpets::PixelBuffer* window_image(plat::Handle wnd) {
  memdc::settle();
  auto it = S().windows.find(wnd);
  return it == S().windows.end() ? nullptr : it->second.image.get();
}
int cursor_count() { return S().cursor; }
const LabelState* label(plat::Handle l) {
  auto it = S().labels.find(l);
  return it == S().labels.end() ? nullptr : &it->second;
}
namespace {
// The error dialog is the one whose layout has this caption (the title before the first code).
plat::Handle error_dialog() { return headless_dialogs::find_dialog("Error Code:"); }
}  // namespace
std::string error_dialog_title() {
  const auto* d = headless_dialogs::dialog(error_dialog());
  return d ? d->caption : "";
}
bool error_dialog_visible() {
  const auto* d = headless_dialogs::dialog(error_dialog());
  return d && d->visible;
}
int error_dialog_shows() { return S().error_shows; }
void error_dialog_press_report() { headless_dialogs::click(error_dialog(), "Command1"); }
void error_dialog_close() { headless_dialogs::close(error_dialog()); }
const std::vector<std::string>& opened_pages() { return S().pages; }
void set_song_length(const std::string& path, long ms) { S().song_lengths[path] = ms; }

int plug_monitor(plat::Size size) {
  S().config.other_monitors.push_back(size);
  const int monitor = static_cast<int>(S().config.other_monitors.size());
  if (S().monitor_events) S().monitor_events->on_monitor_added(monitor);
  return monitor;
}
void unplug_monitor(int monitor) {
  if (S().monitor_events) S().monitor_events->on_monitor_removed(monitor);
}
bool saver_mode_begun() { return S().saver_mode; }

plat::Handle create_host_window(int client_width, int client_height) {
  plat::Handle h = S().next_window++;
  Window w;
  w.state.kind = plat::WindowKind::Preview;
  w.state.visible = true;
  w.state.pos = plat::Rect{0, 0, client_width, client_height};
  S().windows[h] = w;
  return h;
}

plat::Handle create_desktop_window() {
  const plat::Handle h = create_host_window(S().config.screen_width, S().config.screen_height);
  S().windows[h].desktop = true;
  return h;
}

}  // namespace headless

// ---------------------------------------------------------------------------------------------
// The platform interface on the headless state.

namespace plat {

using headless::S;
using headless::log;

Handle create_dc() {
  Handle h = memdc::create_dc();
  log("create_dc " + std::to_string(h));
  return h;
}
Handle load_bitmap(const std::string& path) {
  memdc::set_screen_size(S().config.screen_width, S().config.screen_height);
  if (S().config.out_of_memory) throw std::bad_alloc();
  Handle h = memdc::load_bitmap(path);
  log("load_bitmap " + path);
  return h;
}
void select_bitmap(Handle dc, Handle bitmap) { memdc::select_bitmap(dc, bitmap); }
void delete_bitmap(Handle bitmap) { memdc::delete_bitmap(bitmap); }
int delete_dc(Handle dc) {
  log("delete_dc " + std::to_string(dc));
  return memdc::delete_dc(dc);
}
void bitblt(Handle dst, int x, int y, int w, int h, Handle src, int sx, int sy, std::uint32_t rop) {
  if (S().recording) {
    log("bitblt " + std::to_string(dst) + " " + std::to_string(x) + " " + std::to_string(y) + " " +
        std::to_string(w) + " " + std::to_string(h) + " " + std::to_string(src) + " " + std::to_string(sx) +
        " " + std::to_string(sy) + " " + (rop == kSrcAnd ? "and" : rop == kSrcPaint ? "paint" : "copy"));
  }
  memdc::bitblt(dst, x, y, w, h, src, sx, sy, rop);
}
Size dc_size(Handle dc) { return memdc::dc_size(dc); }
void grow_dc(Handle dc, int w, int h) { memdc::grow_dc(dc, w, h); }
void fill_tiled(Handle dc, int w, int h, Handle tile, int tw, int th) {
  log("fill_tiled " + std::to_string(dc) + " " + std::to_string(w) + " " + std::to_string(h) + " " +
      std::to_string(tile) + " " + std::to_string(tw) + " " + std::to_string(th));
  memdc::fill_tiled(dc, w, h, tile, tw, th);
}

ScreenMetrics screen_metrics() {
  return screen_metrics_at(S().config.screen_width, S().config.screen_height, S().config.dpi, S().config.dpi);
}
int show_cursor(bool show) {
  S().cursor += show ? 1 : -1;
  log(std::string("show_cursor ") + (show ? "1" : "0"));
  return S().cursor;
}

int monitor_count() { return 1 + static_cast<int>(S().config.other_monitors.size()); }

Size monitor_size(int monitor) {
  if (monitor <= 0 || monitor >= monitor_count()) return Size{S().config.screen_width, S().config.screen_height};
  return S().config.other_monitors[static_cast<std::size_t>(monitor - 1)];
}

void begin_saver_mode() { S().saver_mode = true; }
void watch_monitors(MonitorEvents* events) { S().monitor_events = events; }

namespace {
Handle create_window(WindowKind kind, WindowEvents* events, int monitor) {
  Handle h = S().next_window++;
  headless::Window w;
  w.state.kind = kind;
  w.events = events;
  const int width = kind == WindowKind::Saver ? monitor_size(monitor).width : 172;
  const int height = kind == WindowKind::Saver ? monitor_size(monitor).height : 124;
  w.state.pos = Rect{0, 0, width, height};
  w.image = std::make_shared<wumpets::PixelBuffer>(width, height);
  w.state.dc = memdc::create_dc_on(w.image);
  S().windows[h] = w;
  log("window_create " + std::to_string(h) + (monitor > 0 ? " monitor " + std::to_string(monitor) : ""));
  return h;
}
}  // namespace

Handle window_create(WindowKind kind, WindowEvents* events, int monitor) {
  return create_window(kind, events, kind == WindowKind::Saver ? monitor : 0);
}
void window_show(Handle wnd) {
  if (auto* w = headless::win(wnd)) w->state.visible = true;
  log("window_show " + std::to_string(wnd));
}
void window_hide(Handle wnd) {
  if (auto* w = headless::win(wnd)) w->state.visible = false;
  log("window_hide " + std::to_string(wnd));
}
void window_set_title(Handle wnd, const std::string& title) {
  if (auto* w = headless::win(wnd)) w->state.title = title;
}
Handle window_dc(Handle wnd) {
  auto* w = headless::win(wnd);
  return w ? w->state.dc : 0;
}
void window_refresh(Handle wnd) {
  if (auto* w = headless::win(wnd)) ++w->state.refreshes;
}
void window_unload(Handle wnd) {
  auto* w = headless::win(wnd);
  if (!w) return;
  log("window_unload " + std::to_string(wnd));
  if (w->events && w->events->on_query_unload()) return;
  headless::unload(wnd);
}
void window_set_topmost(Handle wnd, bool topmost) {
  if (auto* w = headless::win(wnd)) w->state.topmost = topmost;
  log("window_set_topmost " + std::to_string(wnd) + (topmost ? " 1" : " 0"));
}
void window_move(Handle wnd, int x, int y) {
  if (auto* w = headless::win(wnd)) {
    int width = w->state.pos.right - w->state.pos.left, height = w->state.pos.bottom - w->state.pos.top;
    w->state.pos = Rect{x, y, x + width, y + height};
  }
}
bool window_client_rect(Handle wnd, Rect& rect) {
  auto* w = headless::win(wnd);
  if (!w) return false;
  rect = Rect{0, 0, w->state.pos.right - w->state.pos.left, w->state.pos.bottom - w->state.pos.top};
  return true;
}
bool preview_embed(Handle wnd, Handle host, const Rect& client) {
  log("preview_embed " + std::to_string(wnd) + " " + std::to_string(host) + " " + std::to_string(client.right) + " " +
      std::to_string(client.bottom));
  auto* w = headless::win(wnd);
  if (!w || !headless::win(host) || headless::win(host)->desktop) return false;
  w->state.parent = host;
  w->state.pos = Rect{0, 0, client.right, client.bottom};
  w->state.visible = true;
  memdc::settle();
  if (w->image && client.right > 0 && client.bottom > 0) w->image->grow(client.right, client.bottom);
  return true;
}

Handle label_create(Handle wnd, const LabelStyle&) {
  Handle h = S().next_label++;
  S().labels[h] = headless::LabelState{wnd, "", 0, 0, false, 0};
  return h;
}
void label_set_caption(Handle label, const std::string& caption) { S().labels[label].caption = caption; }
Size label_size(Handle label) {
  // A fixed-pitch stand-in for the real font: 9 pixels a character, 19 pixels high.
  return Size{static_cast<int>(text::characters(S().labels[label].caption)) * 9, 19};
}
void label_move(Handle label, int x, int y) {
  S().labels[label].x = x;
  S().labels[label].y = y;
}
void label_show(Handle label, bool visible) { S().labels[label].visible = visible; }
void label_refresh(Handle label) { ++S().labels[label].refreshes; }

Handle timer_create(TimerEvents* events) {
  Handle h = S().next_timer++;
  S().timers[h] = headless::Timer{events, 0, false, 0};
  return h;
}
void timer_set_interval(Handle timer, int ms) {
  auto& t = S().timers[timer];
  t.interval = ms > 0 && ms < kTimerFloorMs ? kTimerFloorMs : ms;  // as the real window systems
  t.due = S().now + t.interval;
}
void timer_enable(Handle timer, bool enabled) {
  auto& t = S().timers[timer];
  if (enabled && !t.enabled) t.due = S().now + t.interval;
  t.enabled = enabled;
}
bool timer_enabled(Handle timer) { return S().timers[timer].enabled; }
void run_event_loop() {}

std::string windows_directory() { return S().config.config_dir; }
char path_separator() { return '/'; }
std::string profile_get(const std::string& section, const std::string& key, const std::string& def, int size,
                        const std::string& file) {
  log("profile_get " + key);
  return profile::read(S().config.config_dir + "/" + file, section, key, def, size);
}
ProfileWrite profile_put(const std::string& section, const std::string& key, const std::string& value,
                         const std::string& file) {
  log("profile_put " + key + "=" + value);
  return profile::write_reported(S().config.config_dir + "/" + file, section, {{key, value}});
}
ProfileWrite profile_put_all(const std::string& section, const ProfileEntries& entries, const std::string& file) {
  log("profile_put_all " + std::to_string(entries.size()));
  for (const auto& [key, value] : entries) log("profile_put " + key + "=" + value);
  return profile::write_reported(S().config.config_dir + "/" + file, section, entries);
}
std::string data_directory() { return S().config.data_dir; }

std::int32_t os_platform_id() { return S().config.platform_id; }
Handle registry_open(std::uint32_t, const std::string& subkey) {
  log("registry_open " + subkey);
  Handle h = S().next_key++;
  S().reg_keys[h] = subkey;
  return h;
}
std::int32_t registry_query(Handle key, const std::string& name, std::uint32_t& type, std::string& bytes,
                            std::uint32_t size) {
  auto k = S().reg_keys.find(key);
  if (k == S().reg_keys.end()) return 6;  // ERROR_INVALID_HANDLE
  auto v = S().config.registry.find(k->second + "\\" + name);
  if (v == S().config.registry.end()) return 2;  // ERROR_FILE_NOT_FOUND
  if (v->second.second.size() > size) return 234;  // ERROR_MORE_DATA
  type = v->second.first;
  bytes = v->second.second;
  return 0;
}
void registry_close(Handle key) { S().reg_keys.erase(key); }
void set_saver_running(bool running) { log(std::string("set_saver_running ") + (running ? "1" : "0")); }
bool verify_saver_password(Handle) {
  log("verify_saver_password");
  return S().config.password_accepted;
}
void change_saver_password(std::int32_t parent) { log("change_saver_password " + std::to_string(parent)); }

std::int32_t media_command(const std::string& command, std::string& reply, int reply_size) {
  // Parsed in place and logged only while recording: the saver polls this while it runs, and
  // the allocation test must see only what the saver itself allocates.
  if (S().recording) log("media_command " + command);
  const std::string_view cmd(command);
  auto word = [&](std::size_t i) {
    std::size_t b = 0;
    for (std::size_t n = 0; n < i; ++n) b = cmd.find(' ', b) + 1;
    return cmd.substr(b, cmd.find(' ', b) - b);
  };
  const std::string_view verb = word(0);
  auto& songs = S().songs;
  auto set_reply = [&](std::string_view text, std::string_view suffix = {}) {
    const std::size_t limit = reply_size > 0 ? static_cast<std::size_t>(reply_size - 1) : 0;
    reply.assign(text.substr(0, limit));
    if (reply.size() < limit) reply.append(suffix.substr(0, limit - reply.size()));
  };
  if (verb == "open") {
    std::size_t q1 = cmd.find('"'), q2 = cmd.find('"', q1 + 1);
    std::size_t a = cmd.rfind("alias ");
    if (q1 == std::string::npos || q2 == std::string::npos || a == std::string::npos) return kMciUnsupportedFunction;
    const std::string alias(cmd.substr(a + 6));
    if (songs.count(alias)) return kMciDuplicateAlias;
    songs[alias] = headless::Song{std::string(cmd.substr(q1 + 1, q2 - q1 - 1)), 0, true};
    set_reply("");
    return 0;
  }
  auto it = songs.find(word(1));
  if (it == songs.end()) return kMciInvalidDeviceName;
  headless::Song& song = it->second;
  if (verb == "play") {
    if (!headless::file_exists(song.path)) return kMciFileNotFound;
    auto len = S().song_lengths.find(song.path);
    song.until = S().now + (len == S().song_lengths.end() ? 1000 : len->second);
    song.stopped = false;
    set_reply("");
    return 0;
  }
  if (verb == "status") {
    set_reply(!song.stopped && S().now < song.until ? "playing" : "stopped", S().config.status_suffix);
    return 0;
  }
  if (verb == "stop") {
    song.stopped = true;
    set_reply("");
    return 0;
  }
  if (verb == "close") {
    songs.erase(it);
    set_reply("");
    return 0;
  }
  return kMciUnrecognizedCommand;
}

void shell_open(const std::string& address) {
  log("shell_open " + address);
  S().pages.push_back(address);
}
std::string site_address() { return S().config.site; }
Handle find_window(const std::string& title) {
  return title == S().config.top_window_title ? S().config.top_window : 0;
}
bool previous_instance() { return S().config.previous_instance; }
std::string command_line() { return S().config.command_line; }
double timer_seconds() { return S().config.clock_seconds; }

void log_error(const std::string& code) {
  log("log_error " + code);
  ++S().error_shows;
}

void set_exit_status(int status) { log("set_exit_status " + std::to_string(status)); }

void end_process() {
  log("end_process");
  throw headless::ProcessEnded{};
}

}  // namespace plat
