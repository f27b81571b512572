// The Wayland connection: the compositor's globals, one surface per output (a layer-shell
// overlay, else a full-screen xdg toplevel), two shared-memory buffers per surface, the seat.
//
// The callbacks below are libwayland's listeners; they only record what happened and pass it on
// through wl::Events. Nothing here allocates once a surface is configured, except libwayland
// itself, which makes a small message record for each request and event.
#include "platform/linux/wl_display.h"
#include "platform/linux/wl_frames.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <wayland-client.h>

#include "layer-shell-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace wl {

namespace {

struct Output {
  bool live = false;
  bool announced = false;  // the caller knows it (output_added, or present at open)
  std::uint32_t global = 0;  // the registry's name of the wl_output
  wl_output* output = nullptr;
  zxdg_output_v1* xdg = nullptr;
  bool has_mode = false, has_place = false;
  Rect rect{};
  int scale = 1;
  char name[64] = "";
};

struct Surface {
  bool live = false;
  Mode mode = Mode::Cover;
  int output = 0;
  bool closed = false;  // reported closed once; waits for destroy_surface
  wl_surface* surface = nullptr;
  zwlr_layer_surface_v1* layer = nullptr;
  xdg_surface* xsurface = nullptr;
  xdg_toplevel* toplevel = nullptr;
  wl_callback* frame = nullptr;  // the compositor has not asked for the next frame yet
  int scale = 1;
  int want_width = 0, want_height = 0;  // a window's fixed size; a toplevel's suggestion
  int width = 0, height = 0;            // pixels of the buffers
  bool configured = false;
  // Both buffers live in one shared-memory file.
  int pool_fd = -1;
  void* map = nullptr;
  std::size_t map_size = 0;
  std::array<wl_buffer*, 2> buffers{};
  FramePair frames;
};

struct Seat {
  std::uint32_t global = 0;
  wl_seat* seat = nullptr;
  wl_keyboard* keyboard = nullptr;
  wl_pointer* pointer = nullptr;
  int pointer_surface = 0;
  int keyboard_surface = 0;  // our surface with the keyboard's focus, or 0
};

struct Display {
  Events* events = nullptr;
  wl_display* display = nullptr;
  wl_registry* registry = nullptr;
  wl_compositor* compositor = nullptr;
  std::uint32_t compositor_version = 0;
  wl_shm* shm = nullptr;
  zwlr_layer_shell_v1* layer_shell = nullptr;
  std::uint32_t layer_shell_version = 0;
  xdg_wm_base* wm_base = nullptr;
  zxdg_output_manager_v1* xdg_outputs = nullptr;
  bool opened = false;  // open() finished: later outputs are news for the caller
  bool lost = false;
  std::array<Output, kMaxOutputs + 1> outputs{};
  std::array<Surface, kMaxSurfaces + 1> surfaces{};
  std::array<Seat, 4> seats{};
};

Display& D() {
  static Display d;
  return d;
}

Events& events() {
  static Events none;
  return D().events ? *D().events : none;
}

Output& out(int i) { return D().outputs[static_cast<std::size_t>(i)]; }
Surface& surf(int s) { return D().surfaces[static_cast<std::size_t>(s)]; }

bool output_ok(int i) { return i >= 1 && i <= kMaxOutputs && D().outputs[i].live; }
bool surface_ok(int s) { return s >= 1 && s <= kMaxSurfaces && D().surfaces[s].live; }

// Listeners get the slot of their output, surface or seat as their data.
void* tag(int slot) { return reinterpret_cast<void*>(static_cast<std::intptr_t>(slot)); }
int slot_from(void* data) { return static_cast<int>(reinterpret_cast<std::intptr_t>(data)); }

// Our wl_surfaces carry their slot as user data, so input events find their surface.
int slot_of(wl_surface* surface) {
  if (!surface) return 0;
  const int slot = slot_from(wl_surface_get_user_data(surface));
  return surface_ok(slot) && surf(slot).surface == surface ? slot : 0;
}

// ---- buffers ----

void free_buffers(Surface& s) {
  for (wl_buffer*& b : s.buffers) {
    if (b) wl_buffer_destroy(b);
    b = nullptr;
  }
  if (s.map) munmap(s.map, s.map_size);
  if (s.pool_fd >= 0) ::close(s.pool_fd);
  s.map = nullptr;
  s.map_size = 0;
  s.pool_fd = -1;
  s.frames = FramePair{};
}

void buffer_release(void* data, wl_buffer*) { *static_cast<bool*>(data) = false; }
const wl_buffer_listener kBufferListener{buffer_release};

// Two buffers of the surface's size, made when it is configured (never per frame).
bool make_buffers(Surface& s, int width, int height) {
  free_buffers(s);
  const std::size_t one = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
  if (one * 2 > static_cast<std::size_t>(INT32_MAX)) {  // a pool's size is a 32-bit number
    errno = EFBIG;
    return false;
  }
  const int fd = memfd_create("zelkin-wumpets-frame", MFD_CLOEXEC | MFD_ALLOW_SEALING);
  if (fd < 0) return false;
  if (ftruncate(fd, static_cast<off_t>(one * 2)) != 0) {
    ::close(fd);
    return false;
  }
  void* map = mmap(nullptr, one * 2, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (map == MAP_FAILED) {
    ::close(fd);
    return false;
  }
  // The compositor maps the file too: it must not shrink under it.
  fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_SEAL);
  s.pool_fd = fd;
  s.map = map;
  s.map_size = one * 2;
  wl_shm_pool* pool = wl_shm_create_pool(D().shm, fd, static_cast<std::int32_t>(one * 2));
  auto* pixels = static_cast<std::uint32_t*>(map);
  s.frames.reset(pixels, pixels + one / 4, width, height);
  for (int i = 0; i < 2; ++i) {
    wl_buffer*& b = s.buffers[static_cast<std::size_t>(i)];
    b = wl_shm_pool_create_buffer(pool, static_cast<std::int32_t>(one) * i, width, height, width * 4,
                                  WL_SHM_FORMAT_XRGB8888);
    wl_buffer_add_listener(b, &kBufferListener, s.frames.busy_flag(i));
  }
  wl_shm_pool_destroy(pool);
  s.width = width;
  s.height = height;
  return true;
}

// ---- surfaces: configure and close ----

// The buffers follow a configured size (layout units); true when they changed.
bool apply_size(Surface& s, int logical_width, int logical_height) {
  const int width = logical_width * s.scale, height = logical_height * s.scale;
  if (width <= 0 || height <= 0) return false;
  if (s.configured && width == s.width && height == s.height) return false;
  if (!make_buffers(s, width, height)) {
    std::fprintf(stderr, "zelkin-wumpets: no shared memory for a %dx%d frame: %s\n", width, height, std::strerror(errno));
    return false;
  }
  s.configured = true;
  return true;
}

void report_closed(int slot) {
  Surface& s = surf(slot);
  if (s.closed) return;
  s.closed = true;
  events().closed(slot);
}

void layer_configure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial, std::uint32_t w, std::uint32_t h) {
  const int slot = slot_from(data);
  if (!surface_ok(slot)) return;
  Surface& s = surf(slot);
  zwlr_layer_surface_v1_ack_configure(layer, serial);
  int lw = static_cast<int>(w), lh = static_cast<int>(h);
  if ((lw == 0 || lh == 0) && output_ok(s.output)) {
    const Output& o = out(s.output);
    lw = o.rect.width / s.scale;
    lh = o.rect.height / s.scale;
  }
  if (apply_size(s, lw, lh)) events().configured(slot, s.width, s.height);
}

void layer_closed(void* data, zwlr_layer_surface_v1*) {
  const int slot = slot_from(data);
  if (surface_ok(slot)) report_closed(slot);
}

const zwlr_layer_surface_v1_listener kLayerListener{layer_configure, layer_closed};

void toplevel_configure(void* data, xdg_toplevel*, std::int32_t w, std::int32_t h, wl_array*) {
  const int slot = slot_from(data);
  if (!surface_ok(slot)) return;
  Surface& s = surf(slot);
  if (s.mode == Mode::Cover && w > 0 && h > 0) {
    s.want_width = w;
    s.want_height = h;
  }
}

void toplevel_close(void* data, xdg_toplevel*) {
  const int slot = slot_from(data);
  if (surface_ok(slot)) report_closed(slot);
}

void toplevel_bounds(void*, xdg_toplevel*, std::int32_t, std::int32_t) {}
void toplevel_capabilities(void*, xdg_toplevel*, wl_array*) {}

const xdg_toplevel_listener kToplevelListener{toplevel_configure, toplevel_close, toplevel_bounds,
                                              toplevel_capabilities};

void xsurface_configure(void* data, xdg_surface* xs, std::uint32_t serial) {
  const int slot = slot_from(data);
  if (!surface_ok(slot)) return;
  Surface& s = surf(slot);
  xdg_surface_ack_configure(xs, serial);
  int lw = s.want_width, lh = s.want_height;
  if ((lw <= 0 || lh <= 0) && output_ok(s.output)) {
    const Output& o = out(s.output);
    lw = o.rect.width / s.scale;
    lh = o.rect.height / s.scale;
  }
  if (apply_size(s, lw, lh)) events().configured(slot, s.width, s.height);
}

const xdg_surface_listener kXdgSurfaceListener{xsurface_configure};

void frame_done(void* data, wl_callback* cb, std::uint32_t) {
  const int slot = slot_from(data);
  wl_callback_destroy(cb);
  if (surface_ok(slot) && surf(slot).frame == cb)
    surf(slot).frame = nullptr;
}

const wl_callback_listener kFrameListener{frame_done};

// ---- outputs ----

// An output is known once its mode and (with xdg-output) its place have come.
void maybe_announce(int i) {
  Output& o = out(i);
  if (!o.live || o.announced || !o.has_mode) return;
  if (D().xdg_outputs && !o.has_place) return;
  o.announced = true;
  if (D().opened) events().output_added(i);
}

void output_geometry(void* data, wl_output*, std::int32_t x, std::int32_t y, std::int32_t, std::int32_t,
                     std::int32_t, const char*, const char*, std::int32_t) {
  Output& o = out(slot_from(data));
  if (!o.has_place) {
    o.rect.x = x;
    o.rect.y = y;
  }
}

void output_mode(void* data, wl_output*, std::uint32_t flags, std::int32_t w, std::int32_t h, std::int32_t) {
  if (!(flags & WL_OUTPUT_MODE_CURRENT)) return;
  Output& o = out(slot_from(data));
  o.rect.width = w;
  o.rect.height = h;
  o.has_mode = true;
}

void output_done(void* data, wl_output*) { maybe_announce(slot_from(data)); }

void output_scale(void* data, wl_output*, std::int32_t factor) {
  out(slot_from(data)).scale = std::max(factor, 1);
}

void output_name(void* data, wl_output*, const char* name) {
  Output& o = out(slot_from(data));
  std::snprintf(o.name, sizeof o.name, "%s", name);
}

void output_description(void*, wl_output*, const char*) {}

const wl_output_listener kOutputListener{output_geometry, output_mode,  output_done,
                                         output_scale,    output_name, output_description};

void xdg_output_position(void* data, zxdg_output_v1*, std::int32_t x, std::int32_t y) {
  Output& o = out(slot_from(data));
  o.rect.x = x;
  o.rect.y = y;
  o.has_place = true;
}

void xdg_output_size(void*, zxdg_output_v1*, std::int32_t, std::int32_t) {}
void xdg_output_done(void* data, zxdg_output_v1*) { maybe_announce(slot_from(data)); }
void xdg_output_name(void* data, zxdg_output_v1*, const char* name) {
  Output& o = out(slot_from(data));
  if (!o.name[0]) std::snprintf(o.name, sizeof o.name, "%s", name);
}
void xdg_output_description(void*, zxdg_output_v1*, const char*) {}

const zxdg_output_v1_listener kXdgOutputListener{xdg_output_position, xdg_output_size, xdg_output_done,
                                                 xdg_output_name, xdg_output_description};

void watch_place(int i) {
  Output& o = out(i);
  if (!D().xdg_outputs || o.xdg) return;
  o.xdg = zxdg_output_manager_v1_get_xdg_output(D().xdg_outputs, o.output);
  zxdg_output_v1_add_listener(o.xdg, &kXdgOutputListener, tag(i));
}

void add_output(std::uint32_t global, std::uint32_t version) {
  if (version < 2) return;  // no done event: we could never tell when it is known
  for (int i = 1; i <= kMaxOutputs; ++i) {
    Output& o = out(i);
    if (o.live) continue;
    o = Output{};
    o.live = true;
    o.global = global;
    o.output = static_cast<wl_output*>(
        wl_registry_bind(D().registry, global, &wl_output_interface, std::min<std::uint32_t>(version, 4)));
    wl_output_add_listener(o.output, &kOutputListener, tag(i));
    watch_place(i);
    return;
  }
  std::fprintf(stderr, "zelkin-wumpets: more than %d outputs: the others stay uncovered\n", kMaxOutputs);
}

void drop_output(int i) {
  Output& o = out(i);
  const bool announced = o.announced;
  // Its surfaces go with it (the compositor would close a layer surface, but a toplevel
  // would move to another output).
  for (int s = 1; s <= kMaxSurfaces; ++s) {
    Surface& sf = surf(s);
    if (sf.live && sf.output == i) {
      sf.output = 0;
      report_closed(s);
    }
  }
  if (o.xdg) zxdg_output_v1_destroy(o.xdg);
  if (wl_output_get_version(o.output) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
    wl_output_release(o.output);
  else
    wl_output_destroy(o.output);
  o = Output{};
  if (announced && D().opened) events().output_removed(i);
}

// ---- the seat ----

void keyboard_keymap(void*, wl_keyboard*, std::uint32_t, std::int32_t fd, std::uint32_t) {
  ::close(fd);  // any key is a key: no keymap is needed
}
Seat& seat_of(void* data) { return D().seats[static_cast<std::size_t>(slot_from(data))]; }

// Keys already down when the focus came (the one that started the saver) are not news.
void keyboard_enter(void* data, wl_keyboard*, std::uint32_t, wl_surface* surface, wl_array*) {
  seat_of(data).keyboard_surface = slot_of(surface);
}
void keyboard_leave(void* data, wl_keyboard*, std::uint32_t, wl_surface*) { seat_of(data).keyboard_surface = 0; }
void keyboard_key(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t state) {
  if (state != WL_KEYBOARD_KEY_STATE_PRESSED) return;
  const int slot = seat_of(data).keyboard_surface;
  if (surface_ok(slot)) events().key_pressed(slot);
}
void keyboard_modifiers(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                        std::uint32_t) {}
void keyboard_repeat(void*, wl_keyboard*, std::int32_t, std::int32_t) {}

const wl_keyboard_listener kKeyboardListener{keyboard_keymap, keyboard_enter,     keyboard_leave,
                                             keyboard_key,    keyboard_modifiers, keyboard_repeat};

int pixels(const Surface& s, wl_fixed_t v) { return wl_fixed_to_int(v) * s.scale; }

void pointer_enter(void* data, wl_pointer* p, std::uint32_t serial, wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
  Seat& seat = seat_of(data);
  seat.pointer_surface = slot_of(surface);
  if (!seat.pointer_surface) return;
  const Surface& s = surf(seat.pointer_surface);
  if (s.mode == Mode::Cover) wl_pointer_set_cursor(p, serial, nullptr, 0, 0);  // no cursor over the saver
  events().pointer_moved(seat.pointer_surface, pixels(s, x), pixels(s, y));
}
void pointer_leave(void* data, wl_pointer*, std::uint32_t, wl_surface*) { seat_of(data).pointer_surface = 0; }
void pointer_motion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
  const int slot = seat_of(data).pointer_surface;
  if (!surface_ok(slot)) return;
  const Surface& s = surf(slot);
  events().pointer_moved(slot, pixels(s, x), pixels(s, y));
}
void pointer_button(void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t state) {
  const int slot = seat_of(data).pointer_surface;
  if (state == WL_POINTER_BUTTON_STATE_PRESSED && surface_ok(slot)) events().button_pressed(slot);
}
void pointer_axis(void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {}
void pointer_frame(void*, wl_pointer*) {}
void pointer_axis_source(void*, wl_pointer*, std::uint32_t) {}
void pointer_axis_stop(void*, wl_pointer*, std::uint32_t, std::uint32_t) {}
void pointer_axis_discrete(void*, wl_pointer*, std::uint32_t, std::int32_t) {}
void pointer_axis_value120(void*, wl_pointer*, std::uint32_t, std::int32_t) {}

const wl_pointer_listener kPointerListener{pointer_enter, pointer_leave,       pointer_motion,
                                           pointer_button, pointer_axis,       pointer_frame,
                                           pointer_axis_source, pointer_axis_stop, pointer_axis_discrete,
                                           pointer_axis_value120};

void seat_capabilities(void* data, wl_seat* ws, std::uint32_t caps) {
  Seat& seat = seat_of(data);
  const bool release = wl_seat_get_version(ws) >= WL_KEYBOARD_RELEASE_SINCE_VERSION;
  // A keyboard can come later (plugged in, or a virtual one): take it when it does.
  if ((caps & WL_SEAT_CAPABILITY_KEYBOARD) && !seat.keyboard) {
    seat.keyboard = wl_seat_get_keyboard(ws);
    wl_keyboard_add_listener(seat.keyboard, &kKeyboardListener, data);
  } else if (!(caps & WL_SEAT_CAPABILITY_KEYBOARD) && seat.keyboard) {
    release ? wl_keyboard_release(seat.keyboard) : wl_keyboard_destroy(seat.keyboard);
    seat.keyboard = nullptr;
    seat.keyboard_surface = 0;
  }
  if ((caps & WL_SEAT_CAPABILITY_POINTER) && !seat.pointer) {
    seat.pointer = wl_seat_get_pointer(ws);
    wl_pointer_add_listener(seat.pointer, &kPointerListener, data);
  } else if (!(caps & WL_SEAT_CAPABILITY_POINTER) && seat.pointer) {
    release ? wl_pointer_release(seat.pointer) : wl_pointer_destroy(seat.pointer);
    seat.pointer = nullptr;
    seat.pointer_surface = 0;
  }
}
void seat_name(void*, wl_seat*, const char*) {}

const wl_seat_listener kSeatListener{seat_capabilities, seat_name};

void drop_seat(Seat& seat) {
  const bool release = wl_seat_get_version(seat.seat) >= WL_SEAT_RELEASE_SINCE_VERSION;
  if (seat.keyboard) release ? wl_keyboard_release(seat.keyboard) : wl_keyboard_destroy(seat.keyboard);
  if (seat.pointer) release ? wl_pointer_release(seat.pointer) : wl_pointer_destroy(seat.pointer);
  release ? wl_seat_release(seat.seat) : wl_seat_destroy(seat.seat);
  seat = Seat{};
}

// ---- the registry ----

void wm_ping(void*, xdg_wm_base* base, std::uint32_t serial) { xdg_wm_base_pong(base, serial); }
const xdg_wm_base_listener kWmBaseListener{wm_ping};

void* bind(std::uint32_t global, const wl_interface* iface, std::uint32_t offered, std::uint32_t want) {
  return wl_registry_bind(D().registry, global, iface, std::min(offered, want));
}

void registry_global(void*, wl_registry*, std::uint32_t global, const char* iface, std::uint32_t version) {
  Display& d = D();
  if (std::strcmp(iface, wl_compositor_interface.name) == 0 && !d.compositor) {
    d.compositor_version = std::min<std::uint32_t>(version, 4);
    d.compositor = static_cast<wl_compositor*>(bind(global, &wl_compositor_interface, version, 4));
  } else if (std::strcmp(iface, wl_shm_interface.name) == 0 && !d.shm) {
    d.shm = static_cast<wl_shm*>(bind(global, &wl_shm_interface, version, 1));
  } else if (std::strcmp(iface, zwlr_layer_shell_v1_interface.name) == 0 && !d.layer_shell &&
             !std::getenv("WUMPETS_WAYLAND_NO_LAYER_SHELL")) {
    d.layer_shell_version = std::min<std::uint32_t>(version, 4);
    d.layer_shell = static_cast<zwlr_layer_shell_v1*>(bind(global, &zwlr_layer_shell_v1_interface, version, 4));
  } else if (std::strcmp(iface, xdg_wm_base_interface.name) == 0 && !d.wm_base) {
    d.wm_base = static_cast<xdg_wm_base*>(bind(global, &xdg_wm_base_interface, version, 2));
    xdg_wm_base_add_listener(d.wm_base, &kWmBaseListener, nullptr);
  } else if (std::strcmp(iface, zxdg_output_manager_v1_interface.name) == 0 && !d.xdg_outputs) {
    d.xdg_outputs = static_cast<zxdg_output_manager_v1*>(bind(global, &zxdg_output_manager_v1_interface, version, 3));
    for (int i = 1; i <= kMaxOutputs; ++i)
      if (out(i).live) watch_place(i);
  } else if (std::strcmp(iface, wl_output_interface.name) == 0) {
    add_output(global, version);
  } else if (std::strcmp(iface, wl_seat_interface.name) == 0) {
    for (std::size_t i = 0; i < d.seats.size(); ++i) {
      if (d.seats[i].seat) continue;
      d.seats[i].global = global;
      d.seats[i].seat = static_cast<wl_seat*>(bind(global, &wl_seat_interface, version, 5));
      wl_seat_add_listener(d.seats[i].seat, &kSeatListener, tag(i));
      break;
    }
  }
}

void registry_remove(void*, wl_registry*, std::uint32_t global) {
  for (int i = 1; i <= kMaxOutputs; ++i)
    if (out(i).live && out(i).global == global) {
      drop_output(i);
      return;
    }
  for (Seat& seat : D().seats)
    if (seat.seat && seat.global == global) drop_seat(seat);
}

const wl_registry_listener kRegistryListener{registry_global, registry_remove};

bool fail(std::string& reason, const char* why) {
  reason = why;
  close();
  return false;
}

}  // namespace

bool open(Events& ev, std::string& reason) {
  Display& d = D();
  if (d.display) return true;
  if (!std::getenv("WAYLAND_DISPLAY") || !*std::getenv("WAYLAND_DISPLAY")) {
    reason = "WAYLAND_DISPLAY is not set";
    return false;
  }
  d.display = wl_display_connect(nullptr);
  if (!d.display) {
    reason = std::string("cannot connect to the Wayland display: ") + std::strerror(errno);
    return false;
  }
  d.events = &ev;
  d.registry = wl_display_get_registry(d.display);
  wl_registry_add_listener(d.registry, &kRegistryListener, nullptr);
  // The globals; then what the outputs say of themselves; then their xdg-output places.
  for (int i = 0; i < 3; ++i)
    if (wl_display_roundtrip(d.display) < 0) return fail(reason, "the Wayland display closed the connection");
  if (!d.compositor) return fail(reason, "the compositor offers no wl_compositor");
  if (!d.shm) return fail(reason, "the compositor offers no wl_shm");
  if (!d.layer_shell && !d.wm_base) return fail(reason, "the compositor offers neither layer-shell nor xdg-shell");
  if (!d.layer_shell)
    std::fprintf(stderr,
                 "zelkin-wumpets: the compositor offers no layer-shell (zwlr_layer_shell_v1): each output gets a "
                 "full-screen window instead, which panels and other windows may cover\n");
  for (int i = 1; i <= kMaxOutputs; ++i) {
    Output& o = out(i);
    if (o.live && o.has_mode) o.announced = true;
  }
  d.opened = true;
  return true;
}

void close() {
  Display& d = D();
  if (!d.display) return;
  for (int s = 1; s <= kMaxSurfaces; ++s) destroy_surface(s);
  for (Seat& seat : d.seats)
    if (seat.seat) drop_seat(seat);
  for (int i = 1; i <= kMaxOutputs; ++i) {
    Output& o = out(i);
    if (!o.live) continue;
    if (o.xdg) zxdg_output_v1_destroy(o.xdg);
    wl_output_destroy(o.output);
    o = Output{};
  }
  if (d.xdg_outputs) zxdg_output_manager_v1_destroy(d.xdg_outputs);
  if (d.layer_shell) {
    if (d.layer_shell_version >= ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION)
      zwlr_layer_shell_v1_destroy(d.layer_shell);
    else
      wl_proxy_destroy(reinterpret_cast<wl_proxy*>(d.layer_shell));
  }
  if (d.wm_base) xdg_wm_base_destroy(d.wm_base);
  if (d.shm) wl_shm_destroy(d.shm);
  if (d.compositor) wl_compositor_destroy(d.compositor);
  if (d.registry) wl_registry_destroy(d.registry);
  wl_display_flush(d.display);
  wl_display_disconnect(d.display);
  d = Display{};
}

bool has_layer_shell() { return D().layer_shell != nullptr; }

int output_count() {
  int n = 0;
  for (int i = 1; i <= kMaxOutputs; ++i) n += out(i).announced ? 1 : 0;
  return n;
}

// An output is live for the caller once it is known (announced).
bool output_live(int i) { return output_ok(i) && out(i).announced; }
Rect output_rect(int i) { return output_live(i) ? out(i).rect : Rect{}; }
int output_scale(int i) { return output_live(i) ? out(i).scale : 1; }
const char* output_name(int i) { return output_live(i) ? out(i).name : ""; }

int create_surface(int output, Mode mode, int width, int height, const char* title) {
  Display& d = D();
  if (!d.display || d.lost) return 0;
  if (mode == Mode::Cover && !output_live(output)) return 0;
  if (mode == Mode::Window && (!d.wm_base || width <= 0 || height <= 0)) return 0;
  int slot = 0;
  for (int s = 1; s <= kMaxSurfaces && !slot; ++s)
    if (!surf(s).live) slot = s;
  if (!slot) return 0;
  Surface& s = surf(slot);
  s = Surface{};
  s.live = true;
  s.mode = mode;
  s.surface = wl_compositor_create_surface(d.compositor);
  wl_surface_set_user_data(s.surface, tag(slot));
  if (mode == Mode::Cover) {
    s.output = output;
    // Buffers at the output's own resolution on a scaled output.
    if (d.compositor_version >= 3) {
      s.scale = output_scale(output);
      wl_surface_set_buffer_scale(s.surface, s.scale);
    }
  } else {
    s.want_width = width;
    s.want_height = height;
  }
  wl_output* on = mode == Mode::Cover ? out(output).output : nullptr;
  if (mode == Mode::Cover && d.layer_shell) {
    s.layer = zwlr_layer_shell_v1_get_layer_surface(d.layer_shell, s.surface, on, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY,
                                                    "zelkin-wumpets");
    zwlr_layer_surface_v1_add_listener(s.layer, &kLayerListener, tag(slot));
    zwlr_layer_surface_v1_set_size(s.layer, 0, 0);  // anchored to all edges: the output's size
    zwlr_layer_surface_v1_set_anchor(s.layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                                  ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_exclusive_zone(s.layer, -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(s.layer, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
  } else {
    s.xsurface = xdg_wm_base_get_xdg_surface(d.wm_base, s.surface);
    xdg_surface_add_listener(s.xsurface, &kXdgSurfaceListener, tag(slot));
    s.toplevel = xdg_surface_get_toplevel(s.xsurface);
    xdg_toplevel_add_listener(s.toplevel, &kToplevelListener, tag(slot));
    xdg_toplevel_set_title(s.toplevel, title && *title ? title : "Zelkin Wumpets");
    xdg_toplevel_set_app_id(s.toplevel, "zelkin-wumpets");
    if (mode == Mode::Cover) {
      xdg_toplevel_set_fullscreen(s.toplevel, on);
    } else {
      xdg_toplevel_set_min_size(s.toplevel, width, height);
      xdg_toplevel_set_max_size(s.toplevel, width, height);
    }
  }
  wl_surface_commit(s.surface);  // no buffer yet: asks for the first configure
  wl_display_flush(d.display);
  return slot;
}

void destroy_surface(int slot) {
  if (!surface_ok(slot)) return;
  Surface& s = surf(slot);
  for (Seat& seat : D().seats) {
    if (seat.pointer_surface == slot) seat.pointer_surface = 0;
    if (seat.keyboard_surface == slot) seat.keyboard_surface = 0;
  }
  if (s.frame) wl_callback_destroy(s.frame);
  if (s.layer) zwlr_layer_surface_v1_destroy(s.layer);
  if (s.toplevel) xdg_toplevel_destroy(s.toplevel);
  if (s.xsurface) xdg_surface_destroy(s.xsurface);
  wl_surface_destroy(s.surface);
  free_buffers(s);
  s = Surface{};
  if (D().display) wl_display_flush(D().display);
}

int surface_output(int slot) { return surface_ok(slot) ? surf(slot).output : 0; }
int surface_width(int slot) { return surface_ok(slot) ? surf(slot).width : 0; }
int surface_height(int slot) { return surface_ok(slot) ? surf(slot).height : 0; }

bool ready(int slot) {
  if (!surface_ok(slot)) return false;
  const Surface& s = surf(slot);
  return s.configured && !s.closed && !s.frame && s.frames.free();
}

std::uint32_t* begin_frame(int slot, int& stride) {
  if (!ready(slot)) return nullptr;
  Surface& s = surf(slot);
  stride = s.width;
  return s.frames.begin();
}

void commit(int slot, const Rect* damaged, int n) {
  if (!surface_ok(slot)) return;
  Surface& s = surf(slot);
  if (!s.configured || s.frames.current() < 0) return;
  wl_surface_attach(s.surface, s.buffers[static_cast<std::size_t>(s.frames.current())], 0, 0);
  s.frames.commit(damaged, n, [&](const Rect& r) { wl_surface_damage_buffer(s.surface, r.x, r.y, r.width, r.height); });
  s.frame = wl_surface_frame(s.surface);
  wl_callback_add_listener(s.frame, &kFrameListener, tag(slot));
  wl_surface_commit(s.surface);
  wl_display_flush(D().display);
}

int fd() { return D().display ? wl_display_get_fd(D().display) : -1; }

bool prepare_poll() {
  Display& d = D();
  if (!d.display || d.lost) return false;
  if (wl_display_prepare_read(d.display) != 0) return false;
  // Requests still queued go out before we sleep; a full socket finishes on the next turn.
  if (wl_display_flush(d.display) < 0 && errno != EAGAIN) {
    wl_display_cancel_read(d.display);
    d.lost = true;
    return false;
  }
  return true;
}

void after_poll(bool readable) {
  Display& d = D();
  if (!d.display) return;
  if (readable) {
    if (wl_display_read_events(d.display) < 0) d.lost = true;
  } else {
    wl_display_cancel_read(d.display);
  }
}

bool dispatch_pending() {
  Display& d = D();
  if (!d.display || d.lost) return false;
  if (wl_display_dispatch_pending(d.display) < 0) d.lost = true;
  if (!d.lost) wl_display_flush(d.display);
  return !d.lost;
}

bool dispatch(int timeout_ms) {
  Display& d = D();
  if (!d.display || d.lost) return false;
  if (prepare_poll()) {
    pollfd p{wl_display_get_fd(d.display), POLLIN, 0};
    int r;
    do {
      r = ::poll(&p, 1, timeout_ms);
    } while (r < 0 && errno == EINTR);
    if (r > 0 && (p.revents & (POLLERR | POLLHUP)) && !(p.revents & POLLIN)) d.lost = true;
    after_poll(r > 0 && (p.revents & POLLIN));
  }
  return dispatch_pending();
}

}  // namespace wl
