// Drawing, windows, labels and the cursor on Linux.
//
// The saver window is an SDL window: full screen on the primary display, an ordinary window
// (--window), or another program's X11 window (--window-id, --root: xscreensaver's). Its image is
// the SDL window surface itself whenever the pixel layouts agree, so the frame the core blits
// into the window's DC is already in the window, and showing it is one SDL_UpdateWindowSurface.
// On a scaled desktop (Xft.dpi 192: twice 96) the saver's image is the scene at the screen's size
// divided by the whole scale. On X11 the server enlarges it (i_xscale.cpp) and SDL makes no
// surface; elsewhere only its changed rectangles are enlarged into the surface.
// The preview window is a plain X11 child of the host window (i_x11.cpp). With --render there is
// no display at all: windows are pixel buffers and the picture is written at the end.
#include <SDL.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <ctime>
#include <map>
#include <tuple>
#include <vector>

#include "platform/common/memdc.h"
#include "platform/common/scale.h"
#include "platform/common/text_utf8.h"
#include "platform/linux/i_video.h"
#include "platform/linux/i_xscale.h"
#include "platform/linux/linux_platform.h"
#include "platform/linux/modules.h"
#include "platform/posix/pages.h"
#include "platform/platform.h"

namespace linuxvideo {

namespace {

// Window handles live far above any X11 resource id (29 bits), so a host window id passed in
// by the preview can never be mistaken for one of ours.
constexpr plat::Handle kFirstWindow = 0x60000000;

struct Label {
  plat::Handle window = 0;
  plat::LabelStyle style;
  std::string caption;
  wumpets::PixelBuffer text;  // the caption as drawn, on the label's background
  int x = 0, y = 0;
  bool visible = false;
};

struct State {
  std::map<plat::Handle, Window> windows;
  plat::Handle next_window = kFirstWindow;
  std::map<plat::Handle, Label> labels;
  plat::Handle next_label = 1;
  int cursor = 0;  // shown while >= 0
  bool sdl = false;
  bool traced_shown = false, traced_frame = false;
  bool small_embed = false;  // drawing into another program's window smaller than a monitor
  plat::Handle grabbed = 0;  // the full-screen saver window holding the keyboard and pointer
};

State& S() {
  static State s;
  return s;
}

[[noreturn]] void fail(const std::string& what) {
  std::fprintf(stderr, "zelkin-wumpets: %s\n", what.c_str());
  std::fflush(stderr);
  std::_Exit(1);
}

void start_sdl() {
  if (S().sdl) return;
  // SIGTERM and SIGINT are ours: they close the saver through its shutdown (i_loop.cpp).
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // A screen saver must not keep resetting the X server's idle timer (xscreensaver watches it).
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  // SDL's X11 driver opens an input method, and X's own reads the locale's whole compose table
  // for it: over 5,000 lines, a tenth of the time to the first frame. The saver takes no text
  // (its keys are key symbols), so it gets an empty table; the dialogs open an input method of
  // their own later, with the user's table.
  const char* compose = std::getenv("XCOMPOSEFILE");
  const std::string users_compose = compose ? compose : "";
  ::setenv("XCOMPOSEFILE", "/dev/null", 1);
  const int started = SDL_Init(SDL_INIT_VIDEO);
  if (compose)
    ::setenv("XCOMPOSEFILE", users_compose.c_str(), 1);
  else
    ::unsetenv("XCOMPOSEFILE");
  if (started != 0) fail(std::string("cannot open the display: ") + SDL_GetError());
  // The window surface path without SDL's renderer, which costs several times the CPU under a
  // software GL. Only on X11: SDL's Wayland driver has no window surface without one.
  if (const char* d = SDL_GetCurrentVideoDriver(); d && std::strcmp(d, "x11") == 0)
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  // With no display to reach, SDL falls back to drivers that show nothing (off-screen and the
  // like): a saver nobody can see or stop must not be left running. A driver the user chose
  // with SDL_VIDEODRIVER is theirs to choose.
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!std::getenv("SDL_VIDEODRIVER") && (!driver || (std::strcmp(driver, "x11") != 0 && std::strcmp(driver, "wayland") != 0)))
    fail(std::string("cannot open the display (only the '") + (driver ? driver : "none") + "' video driver is available)");
  SDL_StopTextInput();  // characters come from the key symbols; no input method is needed
  x_install_error_handlers();
  S().sdl = true;
  SDL_ShowCursor(S().cursor >= 0 ? SDL_ENABLE : SDL_DISABLE);
}

// The X window the saver draws into when it is embedded, or 0 for a window of its own.
unsigned long foreign_target() {
  const auto& o = linuxplat::options();
  if (o.window_id) return static_cast<unsigned long>(*o.window_id);
  if (o.root) {
    const char* env = std::getenv("XSCREENSAVER_WINDOW");
    unsigned long id = env ? x_parse_window_id(env) : 0;
    if (id) return id;
    if (!x_open()) fail("cannot open the display for --root");
    return x_root_window();
  }
  return 0;
}

}  // namespace

// The monitors, found once: RandR's, else SDL's displays. Monitor 0 is the primary one.
const MonitorList& monitors() {
  if (wayland_active()) return wayland_monitors();
  static const MonitorList list = [] {
    MonitorList out;
    start_sdl();
    if (x_monitors(out) > 0) return out;
    const int n = SDL_GetNumVideoDisplays();
    for (int i = 0; i < n && out.count < out.items.size(); ++i) {
      SDL_Rect r{};
      if (SDL_GetDisplayBounds(i, &r) == 0) out.items[out.count++] = Monitor{r.x, r.y, r.w, r.h};
    }
    if (out.count == 0) fail(std::string("no display: ") + SDL_GetError());
    return out;
  }();
  return list;
}

Monitor monitor_bounds(int monitor) {
  const MonitorList& list = monitors();
  return list.items[monitor > 0 && static_cast<std::size_t>(monitor) < list.count ? static_cast<std::size_t>(monitor) : 0];
}

namespace {

// A settings preview or a small test window: smaller than every monitor in either direction.
bool smaller_than_every_display(int width, int height) {
  const MonitorList& list = monitors();
  for (std::size_t i = 0; i < list.count; ++i)
    if (width >= list.items[i].width && height >= list.items[i].height) return false;
  return true;
}

bool borrowable(const SDL_Surface* s) {
  return s->format->format == SDL_PIXELFORMAT_RGB888 || s->format->format == SDL_PIXELFORMAT_ARGB8888;
}

// Points the window's image at its SDL surface (or makes it a private buffer of that size, or of
// the scene's size when the window is scaled).
void bind_surface(Window& w) {
  SDL_Surface* s = SDL_GetWindowSurface(w.sdl);
  if (!s) {
    const char* why = SDL_GetError();
    fail(std::string("no window surface: ") + (why && *why ? why : "the video driver gives none"));
  }
  w.surface = s;
  // Its pages in one call rather than one fault each: on some machines most of the start-up.
  wumpets::make_present(s->pixels, static_cast<std::size_t>(s->pitch) * static_cast<std::size_t>(s->h));
  SDL_FillRect(s, nullptr, 0);
  w.borrowed = w.scale == 1 && borrowable(s);
  w.staging = w.scale > 1 && !borrowable(s) ? wumpets::PixelBuffer(s->w, s->h) : wumpets::PixelBuffer();
  if (w.borrowed) {
    *w.image = wumpets::PixelBuffer::borrowed(static_cast<std::uint32_t*>(s->pixels), s->w, s->h, s->pitch / 4);
  } else {
    *w.image = wumpets::PixelBuffer(s->w / w.scale, s->h / w.scale);
  }
}

// A scaled window on X11 is enlarged by the server; any other gets SDL's window surface.
void bind_image(Window& w) {
  if (w.scale > 1 && xscale_bind(w)) return;
  xscale_release(w);
  bind_surface(w);
}

void trace(const char* what) {
  static const bool on = [] {
    const char* e = std::getenv("WUMPETS_TRACE_FIRST_FRAME");
    return e && *e && *e != '0';
  }();
  if (!on) return;
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  std::fprintf(stderr, "wumpets-trace: %s %lld.%09ld\n", what, static_cast<long long>(ts.tv_sec), ts.tv_nsec);
  std::fflush(stderr);
}

// Win32 virtual-key codes for the keys that have one here; the saver only needs "a key".
int virtual_key(const SDL_Keysym& k) {
  const SDL_Keycode c = k.sym;
  if (c >= 'a' && c <= 'z') return static_cast<int>(c - 'a' + 'A');
  if ((c >= '0' && c <= '9') || c == ' ') return static_cast<int>(c);
  switch (c) {
    case SDLK_BACKSPACE: return 8;
    case SDLK_TAB: return 9;
    case SDLK_RETURN: case SDLK_KP_ENTER: return 13;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return 16;
    case SDLK_LCTRL: case SDLK_RCTRL: return 17;
    case SDLK_LALT: case SDLK_RALT: return 18;
    case SDLK_ESCAPE: return 27;
    case SDLK_LEFT: return 37;
    case SDLK_UP: return 38;
    case SDLK_RIGHT: return 39;
    case SDLK_DOWN: return 40;
    case SDLK_DELETE: return 46;
    default: break;
  }
  if (c >= SDLK_F1 && c <= SDLK_F12) return static_cast<int>(112 + (c - SDLK_F1));
  return 0;
}

// The character a key produces, as a key press would report it; 0 for none.
int key_char(const SDL_Keysym& k) {
  const SDL_Keycode c = k.sym;
  if (k.mod & (KMOD_CTRL | KMOD_ALT)) return 0;
  if (c == SDLK_BACKSPACE || c == SDLK_TAB || c == SDLK_RETURN || c == SDLK_ESCAPE) return static_cast<int>(c);
  if (c == SDLK_KP_ENTER) return 13;
  if (c < 32 || c > 126) return 0;
  const bool shift = (k.mod & KMOD_SHIFT) != 0, caps = (k.mod & KMOD_CAPS) != 0;
  if (c >= 'a' && c <= 'z') return static_cast<int>(shift != caps ? c - 'a' + 'A' : c);
  return static_cast<int>(c);
}

plat::Handle handle_of_sdl(Uint32 window_id) {
  SDL_Window* sw = SDL_GetWindowFromID(window_id);
  for (auto& [h, w] : S().windows)
    if (w.loaded && w.sdl && (w.sdl == sw || !sw)) return h;
  return 0;
}

void destroy_native(Window& w) {
  wayland_unmap(w);
  xscale_release(w);  // before its window goes
  if (w.sdl) {
    SDL_DestroyWindow(w.sdl);  // a foreign window stays: SDL only lets go of it
    w.sdl = nullptr;
    w.surface = nullptr;
  }
  if (w.xchild) x_move_resize(w.xchild, 0, 0, 0, 0, false);
  // The DC stays valid (the core deletes it); it now draws into a private buffer.
  if (w.borrowed) *w.image = wumpets::PixelBuffer(w.image->width, w.image->height);
  w.borrowed = false;
}

void unload_now(plat::Handle h) {
  Window* w = window(h);
  if (!w) return;
  w->loaded = false;
  w->visible = false;
  if (S().grabbed == h) S().grabbed = 0;  // the grabs go with the window
  if (w->events) w->events->on_unload();
  cover_gone(S().windows[h]);
  destroy_native(S().windows[h]);
  covers_update();
}

// The caption as the text module draws it. An empty caption is never shown: it opens no font,
// nor the module.
void render_caption(Label& l) {
  l.text = wumpets::PixelBuffer();
  if (l.caption.empty()) return;
  std::string why;
  const linuxplat::TextModule* m = linuxplat::text_module(why);
  if (!m) {
    static bool told = false;
    if (!told) std::fprintf(stderr, "zelkin-wumpets: the message cannot be drawn: %s\n", why.c_str());
    told = true;
    return;
  }
  linuxplat::TextPicture picture;
  m->draw(l.style, text::to_utf8(l.caption), picture);
  if (picture.width == 0 && picture.height == 0) return;
  l.text = wumpets::PixelBuffer(picture.width, picture.height);
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x)
      l.text.row(y)[x] = picture.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width) +
                                        static_cast<std::size_t>(x)];
}

}  // namespace

bool rendering() { return !linuxplat::options().render.empty(); }
bool small_embed() { return S().small_embed; }
bool sdl_started() { return S().sdl; }

Window* window(plat::Handle h) {
  auto it = S().windows.find(h);
  return it == S().windows.end() || !it->second.loaded ? nullptr : &it->second;
}

WindowList window_handles() {
  WindowList out;
  for (auto& [h, w] : S().windows)
    if (w.loaded && out.count < out.items.size()) out.items[out.count++] = h;
  return out;
}

Window* saver_window(plat::Handle* handle) {
  for (auto& [h, w] : S().windows) {
    if (w.loaded && w.kind == plat::WindowKind::Saver) {
      if (handle) *handle = h;
      return &w;
    }
  }
  return nullptr;
}

bool on_label(plat::Handle wnd, int x, int y) {
  for (const auto& [h, l] : S().labels)
    if (l.window == wnd && l.visible && l.text.width > 0 && x >= l.x && x < l.x + l.text.width && y >= l.y &&
        y < l.y + l.text.height)
      return true;
  return false;
}

void paint_labels(plat::Handle wnd) {
  Window* w = window(wnd);
  if (!w) return;
  for (auto& [h, l] : S().labels)
    if (l.window == wnd && l.visible && l.text.width > 0)
      wumpets::blit(*w->image, l.x, l.y, l.text.width, l.text.height, &l.text, 0, 0, wumpets::Rop::Copy);
}

void exposed(Window& w) {
  // What covered the window (a dialog over a preview, a notification) took pixels that no
  // drawing since has touched: the next showing sends the whole image, not the changes.
  w.dirty = true;
  w.shown_identity = 0;
}

void window_resized(Window& w) {
  if (!w.sdl) return;
  // The old pixels go away when SDL makes the new surface: keep the picture across.
  wumpets::PixelBuffer keep(w.image->width, w.image->height);
  wumpets::blit(keep, 0, 0, keep.width, keep.height, w.image.get(), 0, 0, wumpets::Rop::Copy);
  bind_image(w);
  wumpets::blit(*w.image, 0, 0, keep.width, keep.height, &keep, 0, 0, wumpets::Rop::Copy);
  w.dirty = true;
}

// Puts the whole image into the window surface, when the surface is not the image itself.
void fill_surface(Window& w) {
  const wumpets::PixelBuffer& img = *w.image;
  SDL_Surface* s = w.surface;
  if (w.scale == 1) {
    SDL_ConvertPixels(img.width, img.height, SDL_PIXELFORMAT_RGB888, img.row(0), img.stride * 4, s->format->format,
                      s->pixels, s->pitch);
  } else if (w.staging.width > 0) {
    wumpets::enlarge_all(img, w.staging.row(0), w.staging.stride, w.scale);
    SDL_ConvertPixels(w.staging.width, w.staging.height, SDL_PIXELFORMAT_RGB888, w.staging.row(0),
                      w.staging.stride * 4, s->format->format, s->pixels, s->pitch);
  } else {
    wumpets::enlarge_all(img, static_cast<std::uint32_t*>(s->pixels), s->pitch / 4, w.scale);
  }
}

bool changed_since_shown(const Window& w, ChangedAreas& areas, std::size_t& n) {
  const wumpets::PixelBuffer& img = *w.image;
  if (w.shown_identity != img.identity() || !img.changes_after(w.shown_version, areas.data(), areas.size(), n))
    return false;
  std::size_t m = 0;
  for (std::size_t i = 0; i < n; ++i) {
    // Cut to the image; the log keeps what the drawing asked for.
    const int x0 = std::max(areas[i].x, 0), y0 = std::max(areas[i].y, 0);
    const int x1 = std::min(areas[i].x + areas[i].w, img.width), y1 = std::min(areas[i].y + areas[i].h, img.height);
    if (x1 > x0 && y1 > y0) areas[m++] = wumpets::PixelBuffer::Area{x0, y0, x1 - x0, y1 - y0};
  }
  n = wumpets::coalesce(areas.data(), m);
  return true;
}

void mark_shown(Window& w) {
  w.shown_identity = w.image->identity();
  w.shown_version = w.image->version();
}

// Sends the window's image to the display: only the rectangles drawn since the last time when
// they are known and few, else the whole of it. A scaled window enlarges just those rectangles.
int update_surface(Window& w) {
  ChangedAreas areas;
  std::size_t m = 0;
  const bool tracked = w.borrowed || (w.scale > 1 && w.staging.width == 0);
  const bool known = tracked && changed_since_shown(w, areas, m);
  mark_shown(w);
  if (!known) {
    if (!w.borrowed) fill_surface(w);
    return SDL_UpdateWindowSurface(w.sdl);
  }
  if (m == 0) return 0;
  std::array<SDL_Rect, std::tuple_size_v<ChangedAreas>> rects;
  for (std::size_t i = 0; i < m; ++i) {
    const int s = w.scale;
    rects[i] = SDL_Rect{areas[i].x * s, areas[i].y * s, areas[i].w * s, areas[i].h * s};
  }
  if (w.scale > 1)
    wumpets::enlarge(*w.image, areas.data(), m, static_cast<std::uint32_t*>(w.surface->pixels), w.surface->pitch / 4,
                     w.scale);
  return SDL_UpdateWindowSurfaceRects(w.sdl, rects.data(), static_cast<int>(m));
}

void present(Window& w) {
  memdc::settle();
  w.dirty = false;
  plat::Handle h = 0;
  for (auto& [k, v] : S().windows)
    if (&v == &w) h = k;
  paint_labels(h);
  if (rendering() || !w.visible) return;
  if (w.wl_surface) {
    wayland_present(w);
  } else if (w.xscaled) {
    xscale_present(w);
  } else if (w.sdl) {
    if (update_surface(w) != 0) {
      window_resized(w);
      w.dirty = false;
      paint_labels(h);
      update_surface(w);
    }
  } else if (w.xchild) {
    x_put_image(w.xchild, *w.image);
  }
  if (w.kind == plat::WindowKind::Saver) {
    if (!S().traced_shown) trace("shown");
    S().traced_shown = true;
    if (!S().traced_frame && frame_ticks() > 0) {
      trace("first-frame");
      S().traced_frame = true;
    }
  }
}

void present_pending() {
  for (auto& [h, w] : S().windows)
    if (w.loaded && w.dirty && w.visible) present(w);
}

void destroyed(plat::Handle h) { unload_now(h); }

void handle_sdl_event(const void* event) {
  const SDL_Event& e = *static_cast<const SDL_Event*>(event);
  switch (e.type) {
    case SDL_WINDOWEVENT: {
      plat::Handle h = handle_of_sdl(e.window.windowID);
      Window* w = window(h);
      if (!w) return;
      if (e.window.event == SDL_WINDOWEVENT_CLOSE) plat::window_unload(h);
      else if (e.window.event == SDL_WINDOWEVENT_EXPOSED) exposed(*w);
      else if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) window_resized(*w);
      // Another program took the focus from the full-screen saver: take it back with the grabs.
      else if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST && h == S().grabbed) x_grab_input(w->sdl, true);
      return;
    }
    case SDL_MOUSEBUTTONDOWN: {
      plat::Handle h = handle_of_sdl(e.button.windowID);
      Window* w = window(h);
      if (!w || !w->events) return;
      // A press on a visible label is the label's: it has no handler, and the release that
      // follows is no click of the window either.
      w->pressed = !on_label(h, e.button.x / w->scale, e.button.y / w->scale);
      if (w->pressed && e.button.clicks >= 2) w->events->on_dblclick();
      return;
    }
    case SDL_MOUSEBUTTONUP: {
      // A click is a press and a release in the window; a release alone (the button that
      // started the saver) is not one.
      plat::Handle h = handle_of_sdl(e.button.windowID);
      Window* w = window(h);
      if (!w || !w->events) return;
      if (!w->pressed) return;
      w->pressed = false;
      w->events->on_click();
      return;
    }
    case SDL_KEYDOWN: {
      // A key under our grab while another window had the focus comes with no window of SDL's.
      plat::Handle h = handle_of_sdl(e.key.windowID);
      if (!window(h)) h = S().grabbed;
      Window* w = window(h);
      if (!w || !w->events) return;
      w->events->on_keydown(virtual_key(e.key.keysym));
      const int ch = key_char(e.key.keysym);
      if (ch && window(h)) w->events->on_keypress(ch);
      return;
    }
    default:
      return;
  }
}

}  // namespace linuxvideo

// ---------------------------------------------------------------------------------------------

namespace plat {

using linuxvideo::S;

Handle create_dc() { return memdc::create_dc(); }
Handle load_bitmap(const std::string& path) { return memdc::load_bitmap(path); }
void select_bitmap(Handle dc, Handle bitmap) { memdc::select_bitmap(dc, bitmap); }
void delete_bitmap(Handle bitmap) { memdc::delete_bitmap(bitmap); }
int delete_dc(Handle dc) { return memdc::delete_dc(dc); }
void bitblt(Handle dst, int x, int y, int w, int h, Handle src, int sx, int sy, std::uint32_t rop) {
  memdc::bitblt(dst, x, y, w, h, src, sx, sy, rop);
}
Size dc_size(Handle dc) { return memdc::dc_size(dc); }
void grow_dc(Handle dc, int w, int h) { memdc::grow_dc(dc, w, h); }
void fill_tiled(Handle dc, int w, int h, Handle tile, int tw, int th) { memdc::fill_tiled(dc, w, h, tile, tw, th); }

namespace {
// The primary screen (or the saver's own target) in the display's pixels, found once.
Size physical_screen() {
  static const Size size = [] {
    const auto& o = linuxplat::options();
    if (linuxvideo::rendering()) return Size{o.render_width, o.render_height};
    if (o.window) return Size{o.window_width, o.window_height};
    if (unsigned long id = linuxvideo::foreign_target()) {
      int w = 0, h = 0;
      if (!linuxvideo::x_open()) linuxvideo::fail("cannot open the display");
      if (!linuxvideo::x_window_size(id, w, h)) linuxvideo::fail("window " + std::to_string(id) + " does not exist");
      return Size{w, h};
    }
    const linuxvideo::Monitor r = linuxvideo::monitor_bounds(0);
    return Size{r.width, r.height};
  }();
  return size;
}

// The whole-pixel scale of the saver's windows: the one asked for, else the desktop's. A picture
// file is scaled only when asked, and a window of another program smaller than every monitor (a
// settings panel's preview) never.
int saver_scale() {
  static const int scale = [] {
    const auto& o = linuxplat::options();
    if (linuxvideo::rendering()) return o.scale > 0 ? o.scale : 1;
    // On Wayland the primary output says how much its desktop is enlarged.
    if (linuxvideo::wayland_active()) return wumpets::choose_scale(o.scale, 96.0 * linuxvideo::wayland_output_scale(0));
    if (linuxvideo::foreign_target() &&
        linuxvideo::smaller_than_every_display(physical_screen().width, physical_screen().height))
      return 1;
    return wumpets::choose_scale(o.scale, linuxplat::desktop_dpi());
  }();
  return scale;
}

Size scaled(Size physical) { return Size{physical.width / saver_scale(), physical.height / saver_scale()}; }

// The screen as the scene sees it.
Size screen_pixels() { return scaled(physical_screen()); }
}  // namespace

ScreenMetrics screen_metrics() {
  const Size size = screen_pixels();
  memdc::set_screen_size(size.width, size.height);  // bounds the pictures files may hold
  // A picture rendered to a file has no screen to take a resolution from. A scaled scene's pixel
  // is s of the screen's, so the screen's size in twips stays what it is.
  const double dpi = (linuxvideo::rendering() ? 96.0 : linuxplat::screen_dpi()) / saver_scale();
  return screen_metrics_at(size.width, size.height, dpi, dpi);
}

int show_cursor(bool show) {
  S().cursor += show ? 1 : -1;
  if (S().sdl) SDL_ShowCursor(S().cursor >= 0 ? SDL_ENABLE : SDL_DISABLE);
  return S().cursor;
}

void begin_saver_mode() { linuxvideo::wayland_begin_saver(); }
void watch_monitors(MonitorEvents* events) { linuxvideo::wayland_watch(events); }

int monitor_count() {
  const auto& o = linuxplat::options();
  if (linuxvideo::rendering() || o.window || linuxvideo::foreign_target()) return 1;
  return std::max(1, static_cast<int>(linuxvideo::monitors().count));
}

Size monitor_size(int monitor) {
  if (monitor <= 0 || monitor >= monitor_count()) return screen_pixels();
  const linuxvideo::Monitor m = linuxvideo::monitor_bounds(monitor);
  return scaled(Size{m.width, m.height});
}

namespace {

Handle create_window(WindowKind kind, WindowEvents* events, int monitor) {
  const Handle h = S().next_window++;
  linuxvideo::Window& w = S().windows[h];
  w.kind = kind;
  w.events = events;
  w.image = std::make_shared<wumpets::PixelBuffer>();
  if (kind == WindowKind::Saver) w.scale = saver_scale();
  if (kind == WindowKind::Preview || linuxvideo::rendering()) {
    // The preview's design size (172 x 124); it is fitted to the host when embedded.
    const Size size = kind == WindowKind::Saver ? screen_pixels() : Size{172, 124};
    *w.image = wumpets::PixelBuffer(size.width, size.height);
  } else {
    Size size = physical_screen();
    if (monitor > 0 && monitor < monitor_count()) {
      const linuxvideo::Monitor m = linuxvideo::monitor_bounds(monitor);
      size = Size{m.width, m.height};
    }
    const int width = size.width, height = size.height;
    const auto& o = linuxplat::options();
    if (linuxvideo::wayland_active()) {
      *w.image = wumpets::PixelBuffer(width / w.scale, height / w.scale);
      if (!linuxvideo::wayland_create(w, monitor)) linuxvideo::fail("cannot create a Wayland surface");
      if (!o.window) linuxplat::take_saver_lock();
      w.dc = memdc::create_dc_on(w.image);
      return h;
    }
    linuxvideo::start_sdl();
    if (unsigned long id = linuxvideo::foreign_target()) {
      w.foreign = id;
      w.sdl = SDL_CreateWindowFrom(reinterpret_cast<const void*>(static_cast<std::uintptr_t>(id)));
      if (!w.sdl) linuxvideo::fail(std::string("cannot draw into window ") + std::to_string(id) + ": " + SDL_GetError());
      linuxvideo::x_watch(id);  // SDL selects nothing on a window it did not make
      w.visible = true;         // it is the other program's to show
      S().small_embed = linuxvideo::smaller_than_every_display(width, height);
    } else if (o.window) {
      w.sdl = SDL_CreateWindow("Zelkin Wumpets", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                               SDL_WINDOW_HIDDEN);
    } else {
      // A borderless window over its monitor (the primary one unless told), marked full screen
      // for the window manager. SDL's own full-screen switch waits up to 100 ms for a window
      // manager to answer, which a bare X server never does.
      const linuxvideo::Monitor r = linuxvideo::monitor_bounds(monitor);
      w.sdl = SDL_CreateWindow("Zelkin Wumpets", r.x, r.y, width, height, SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS);
      if (w.sdl) linuxvideo::x_ask_fullscreen(w.sdl);
      linuxplat::take_saver_lock();
    }
    if (!w.sdl) linuxvideo::fail(std::string("cannot create the window: ") + SDL_GetError());
    if (!w.foreign) linuxvideo::give_identity(w.sdl);
    linuxvideo::bind_image(w);
    SDL_ShowCursor(S().cursor >= 0 ? SDL_ENABLE : SDL_DISABLE);
  }
  w.dc = memdc::create_dc_on(w.image);
  return h;
}

}  // namespace

Handle window_create(WindowKind kind, WindowEvents* events, int monitor) { return create_window(kind, events, monitor); }

void window_show(Handle wnd) {
  linuxvideo::Window* w = linuxvideo::window(wnd);
  if (!w) return;
  w->visible = true;
  if (linuxvideo::wayland_active() && !w->sdl && !w->xchild && w->kind == WindowKind::Saver) {
    if (!linuxvideo::wayland_map(*w)) linuxvideo::fail("cannot create a Wayland surface");
  }
  if (w->sdl && !w->foreign) {
    linuxvideo::cover_before_show(*w);
    SDL_ShowWindow(w->sdl);
    SDL_RaiseWindow(w->sdl);
    // An error dialog open before the saver showed stays in sight above it.
    linuxplat::dialogs_over(linuxvideo::x_window_of(w->sdl));
    // The full-screen saver takes the keyboard and the pointer, as screen savers do: every key
    // and click reaches it, wherever an earlier window left the keyboard focus.
    // SDL drops grabs it does not know of whenever the focus moves, so it is told as well.
    // Not while an error dialog is open: that one needs them.
    if (w->kind == WindowKind::Saver && !linuxplat::options().window && !linuxplat::dialogs_active()) {
      SDL_SetWindowKeyboardGrab(w->sdl, SDL_TRUE);
      SDL_SetWindowMouseGrab(w->sdl, SDL_TRUE);
      linuxvideo::x_grab_input(w->sdl, true);
      S().grabbed = wnd;
    }
    linuxvideo::covers_update();
  }
  if (w->xchild) linuxvideo::x_move_resize(w->xchild, w->x, w->y, w->image->width, w->image->height, true);
  linuxvideo::present(*w);
}

void window_hide(Handle wnd) {
  linuxvideo::Window* w = linuxvideo::window(wnd);
  if (!w) return;
  w->visible = false;
  linuxvideo::wayland_unmap(*w);  // the error dialog (an X11 window) is not under an overlay
  if (w->sdl && !w->foreign) {
    // Whatever shows instead (the error dialog) needs the keyboard and the pointer.
    if (S().grabbed == wnd) {
      SDL_SetWindowKeyboardGrab(w->sdl, SDL_FALSE);
      SDL_SetWindowMouseGrab(w->sdl, SDL_FALSE);
      linuxvideo::x_grab_input(w->sdl, false);
      S().grabbed = 0;
    }
    SDL_HideWindow(w->sdl);
    linuxvideo::covers_update();
  }
}

void window_set_title(Handle wnd, const std::string& title) {
  linuxvideo::Window* w = linuxvideo::window(wnd);
  if (!w) return;
  w->title = title;
  if (w->sdl && !w->foreign) SDL_SetWindowTitle(w->sdl, text::to_utf8(title).c_str());
}

Handle window_dc(Handle wnd) {
  linuxvideo::Window* w = linuxvideo::window(wnd);
  return w ? w->dc : 0;
}

void window_refresh(Handle wnd) {
  linuxvideo::Window* w = linuxvideo::window(wnd);
  if (!w) return;
  w->dirty = true;  // shown when the event that drew it returns, labels and all
  linuxvideo::note_refresh(wnd);
}

void window_unload(Handle wnd) {
  linuxvideo::Window* w = linuxvideo::window(wnd);
  if (!w) return;
  if (w->events && w->events->on_query_unload()) return;
  linuxvideo::unload_now(wnd);
}

void window_set_topmost(Handle wnd, bool topmost) {
  linuxvideo::Window* w = linuxvideo::window(wnd);
  if (w && w->sdl && !w->foreign) SDL_SetWindowAlwaysOnTop(w->sdl, topmost ? SDL_TRUE : SDL_FALSE);
}

void window_move(Handle wnd, int x, int y) {
  linuxvideo::Window* w = linuxvideo::window(wnd);
  if (!w) return;
  w->x = x;
  w->y = y;
  if (w->sdl && !w->foreign && linuxplat::options().window) SDL_SetWindowPosition(w->sdl, x, y);
  if (w->xchild) linuxvideo::x_move_resize(w->xchild, x, y, w->image->width, w->image->height, w->visible);
}

bool window_client_rect(Handle wnd, Rect& rect) {
  if (linuxvideo::Window* w = linuxvideo::window(wnd)) {
    rect = Rect{0, 0, w->image->width, w->image->height};
    return true;
  }
  if (wnd <= 0 || linuxvideo::rendering() || !linuxvideo::x_open()) return false;
  int width = 0, height = 0;
  if (!linuxvideo::x_window_size(static_cast<unsigned long>(wnd), width, height)) return false;
  rect = Rect{0, 0, width, height};
  return true;
}

bool preview_embed(Handle wnd, Handle host, const Rect& client) {
  linuxvideo::Window* w = linuxvideo::window(wnd);
  if (!w || w->kind != WindowKind::Preview) return false;
  w->parent = host;
  memdc::settle();
  if (client.right > 0 && client.bottom > 0) w->image->grow(client.right, client.bottom);
  w->x = w->y = 0;
  w->visible = true;
  w->dirty = true;
  if (linuxvideo::rendering()) return true;  // the picture is the window
  // An X window of another program only: ours would take the preview along when it ends. The
  // root window is none: a child there covers the screen, takes no input and never ends.
  Rect size{};
  if (host <= 0 || linuxvideo::window(host) || !window_client_rect(host, size)) return false;
  if (static_cast<unsigned long>(host) == linuxvideo::x_root_window()) return false;
  const auto host_id = static_cast<unsigned long>(host);
  w->xchild = linuxvideo::x_create_child(host_id, w->image->width, w->image->height);
  if (!w->xchild) return false;
  linuxvideo::x_watch(host_id);
  linuxvideo::x_move_resize(w->xchild, 0, 0, w->image->width, w->image->height, true);
  return true;
}

Handle label_create(Handle wnd, const LabelStyle& style) {
  const Handle h = S().next_label++;
  linuxvideo::Label& l = S().labels[h];
  l.window = wnd;
  l.style = style;
  linuxvideo::render_caption(l);
  return h;
}

void label_set_caption(Handle label, const std::string& caption) {
  auto it = S().labels.find(label);
  if (it == S().labels.end() || it->second.caption == caption) return;
  it->second.caption = caption;
  linuxvideo::render_caption(it->second);
}

Size label_size(Handle label) {
  auto it = S().labels.find(label);
  return it == S().labels.end() ? Size{} : Size{it->second.text.width, it->second.text.height};
}

void label_move(Handle label, int x, int y) {
  auto it = S().labels.find(label);
  if (it == S().labels.end()) return;
  it->second.x = x;
  it->second.y = y;
}

void label_show(Handle label, bool visible) {
  auto it = S().labels.find(label);
  if (it == S().labels.end()) return;
  it->second.visible = visible;
  if (linuxvideo::Window* w = linuxvideo::window(it->second.window)) w->dirty = true;
}

void label_refresh(Handle label) {
  auto it = S().labels.find(label);
  if (it == S().labels.end()) return;
  // Labels are painted over the image each time the window is shown.
  if (linuxvideo::Window* w = linuxvideo::window(it->second.window)) w->dirty = true;
}

}  // namespace plat
