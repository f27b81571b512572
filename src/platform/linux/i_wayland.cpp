// The saver's own windows on a Wayland compositor, natively: each monitor is an output covered
// by a surface of its own (wl_display.cpp), drawn from the window's image. Called by
// i_video.cpp (start, monitors, windows, present) and i_loop.cpp (the connection in the loop).
// Dialogs, the preview and windows of other programs stay on X11.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/common/scale.h"
#include "platform/linux/i_video.h"
#include "platform/linux/linux_platform.h"
#include "platform/linux/wl_display.h"

namespace linuxvideo {

namespace {

// A monitor keeps its number while it lives and after: new outputs get the next one.
struct WlMonitor {
  int output = 0;  // the module's output slot; 0 once the output went away
};

struct WlState final : wl::Events {
  bool active = false;
  MonitorList list;  // what monitors() gives, by monitor number
  std::array<WlMonitor, 16> monitors{};
  plat::MonitorEvents* watch = nullptr;

  plat::Handle window_of(int surface) const {
    for (plat::Handle h : window_handles()) {
      const Window* w = window(h);
      if (w && w->wl_surface == surface) return h;
    }
    return 0;
  }

  void key_pressed(int surface) override {
    const plat::Handle h = window_of(surface);
    if (Window* w = window(h); w && w->events) w->events->on_keydown(0);
  }
  void button_pressed(int surface) override {
    const plat::Handle h = window_of(surface);
    if (Window* w = window(h); w && w->events) w->events->on_click();
  }
  void configured(int surface, int, int) override {
    if (Window* w = window(window_of(surface))) {
      w->wl_full = true;  // blank buffers: the next frame sends all of the picture
      w->dirty = true;
    }
  }
  void closed(int surface) override {
    const plat::Handle h = window_of(surface);
    Window* w = window(h);
    const bool output_gone = wl::surface_output(surface) == 0 && w && !w->wl_window;
    wl::destroy_surface(surface);
    if (!w) return;
    w->wl_surface = 0;
    // The output went away: its monitor's view stops (output_removed). Otherwise the user or
    // the compositor closed our window, which is a close request.
    if (!output_gone) plat::window_unload(h);
  }
  void output_added(int output) override {
    if (list.count >= list.items.size()) {
      std::fprintf(stderr, "zelkin-wumpets: more than %zu monitors during this run: output %s stays uncovered\n",
                   list.items.size(), wl::output_name(output));
      return;
    }
    const std::size_t m = list.count++;
    add(m, output);
    if (watch) watch->on_monitor_added(static_cast<int>(m));
  }
  void output_removed(int output) override {
    for (std::size_t m = 0; m < list.count; ++m) {
      if (monitors[m].output != output) continue;
      monitors[m].output = 0;
      if (watch) watch->on_monitor_removed(static_cast<int>(m));
    }
  }

  void add(std::size_t m, int output) {
    const wl::Rect r = wl::output_rect(output);
    monitors[m].output = output;
    list.items[m] = Monitor{r.x, r.y, r.width, r.height};
  }
};

WlState& W() {
  static WlState s;
  return s;
}

}  // namespace

void wayland_begin_saver() {
  const char* display = std::getenv("WAYLAND_DISPLAY");
  const auto& o = linuxplat::options();
  if (!display || !*display || rendering() || o.window_id || o.root) return;
  WlState& s = W();
  std::string reason;
  if (!wl::open(s, reason)) {
    std::fprintf(stderr, "zelkin-wumpets: %s; showing the saver through X11 instead\n", reason.c_str());
    return;
  }
  for (int i = 1; i <= wl::kMaxOutputs && s.list.count < s.list.items.size(); ++i)
    if (wl::output_live(i)) s.add(s.list.count++, i);
  if (s.list.count == 0 && !o.window) {
    std::fprintf(stderr, "zelkin-wumpets: the Wayland display has no output; showing the saver through X11 instead\n");
    wl::close();
    return;
  }
  s.active = true;
}

bool wayland_active() { return W().active; }

const MonitorList& wayland_monitors() { return W().list; }

void wayland_watch(plat::MonitorEvents* events) { W().watch = events; }

int wayland_output_scale(int monitor) {
  const WlState& s = W();
  if (monitor < 0 || static_cast<std::size_t>(monitor) >= s.list.count) return 1;
  const int output = s.monitors[static_cast<std::size_t>(monitor)].output;
  return output ? std::max(1, wl::output_scale(output)) : 1;
}

bool wayland_create(Window& w, int monitor) {
  WlState& s = W();
  w.wl_window = linuxplat::options().window;
  w.wl_monitor = monitor;
  if (!w.wl_window) {
    const std::size_t m = monitor > 0 && static_cast<std::size_t>(monitor) < s.list.count ? static_cast<std::size_t>(monitor) : 0;
    if (s.monitors[m].output == 0) return true;  // unplugged already: the view draws unseen
  }
  return wayland_map(w);
}

bool wayland_map(Window& w) {
  if (w.wl_surface) return true;
  WlState& s = W();
  if (w.wl_window) {
    w.wl_surface = wl::create_surface(0, wl::Mode::Window, w.image->width, w.image->height, "Zelkin Wumpets");
  } else {
    const std::size_t m = static_cast<std::size_t>(w.wl_monitor);
    const int output = m < s.list.count ? s.monitors[m].output : 0;
    if (output == 0) return true;
    w.wl_surface = wl::create_surface(output, wl::Mode::Cover);
  }
  w.wl_full = true;
  return w.wl_surface != 0;
}

void wayland_unmap(Window& w) {
  if (!w.wl_surface) return;
  wl::destroy_surface(w.wl_surface);
  w.wl_surface = 0;
}

// Sends what changed since the last commit when the compositor is ready for a frame (a frame
// callback came and a buffer is free); until then the window stays marked as changed.
void wayland_present(Window& w) {
  const int surface = w.wl_surface;
  if (!surface) return;
  ChangedAreas areas;
  std::size_t n = 0;
  const wumpets::PixelBuffer& img = *w.image;
  const bool known = !w.wl_full && changed_since_shown(w, areas, n);
  if (known && n == 0) return;
  if (!wl::ready(surface)) {
    w.dirty = true;
    return;
  }
  int stride = 0;
  std::uint32_t* px = wl::begin_frame(surface, stride);
  if (!px) {
    w.dirty = true;
    return;
  }
  const int sw = wl::surface_width(surface), sh = wl::surface_height(surface);
  // Each pixel of a scaled scene is an s x s block, where the surface holds the enlarged picture.
  const int sc = w.scale > 1 && sw >= img.width * w.scale && sh >= img.height * w.scale ? w.scale : 1;
  const int cw = std::min(sw, img.width * sc), ch = std::min(sh, img.height * sc);
  if (!known) {
    // All of it; a surface larger than the picture (a compositor that chose another size) is
    // black beyond it.
    for (int y = 0; y < sh; ++y) {
      std::uint32_t* row = px + static_cast<std::ptrdiff_t>(y) * stride;
      if (sc == 1 && y < ch) std::memcpy(row, img.row(y), static_cast<std::size_t>(cw) * 4);
      std::fill(row + (y < ch ? cw : 0), row + sw, 0u);
    }
    if (sc > 1) wumpets::enlarge_all(img, px, stride, sc);
    wl::commit(surface, nullptr, 0);
    w.wl_full = false;
  } else {
    std::array<wl::Rect, std::tuple_size_v<ChangedAreas>> rects;
    int m = 0;
    for (std::size_t i = 0; i < n; ++i) {
      const auto& a = areas[i];  // inside the image already
      const int x0 = a.x * sc, y0 = a.y * sc, x1 = std::min((a.x + a.w) * sc, cw), y1 = std::min((a.y + a.h) * sc, ch);
      if (x1 <= x0 || y1 <= y0) continue;
      if (sc == 1) {
        for (int y = y0; y < y1; ++y)
          std::memcpy(px + static_cast<std::ptrdiff_t>(y) * stride + x0, img.row(y) + x0,
                      static_cast<std::size_t>(x1 - x0) * 4);
      }
      rects[static_cast<std::size_t>(m++)] = wl::Rect{x0, y0, x1 - x0, y1 - y0};
    }
    if (sc > 1) wumpets::enlarge(img, areas.data(), n, px, stride, sc);
    wl::commit(surface, rects.data(), m);
  }
  mark_shown(w);
}

int wayland_fd() { return W().active ? wl::fd() : -1; }
bool wayland_prepare_poll() { return wl::prepare_poll(); }
void wayland_after_poll(bool readable) { wl::after_poll(readable); }

bool wayland_dispatch() {
  if (!W().active) return true;
  if (wl::dispatch_pending()) return true;
  W().active = false;
  return false;
}

}  // namespace linuxvideo
