// X11 for the windows of other programs: the host window of the preview (our child window lives
// inside it) and the window xscreensaver hands to us. Our own connection watches their structure
// events, so that we learn when they are resized or destroyed; SDL watches nothing on a window
// it did not make.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/linux/i_video.h"
#include "platform/linux/linux_platform.h"

namespace linuxvideo {

namespace {

// How one of our 8-bit channels becomes a field of the server's pixel.
struct Channel {
  int shift = 0;
  int bits = 0;
};
Channel channel_of(unsigned long mask) {
  Channel c;
  if (mask == 0) return c;
  while (!(mask & 1)) mask >>= 1, ++c.shift;
  while (mask & 1) mask >>= 1, ++c.bits;
  return c;
}
unsigned long scaled(std::uint32_t v, const Channel& c) {
  const unsigned long field = c.bits <= 8 ? v >> (8 - c.bits) : static_cast<unsigned long>(v) << (c.bits - 8);
  return field << c.shift;
}

// The server's picture format for its default visual, worked out once.
struct ServerFormat {
  bool known = false;
  int depth = 0;
  int bits_per_pixel = 32;
  bool true_colour = false;  // pixels computed from the channel masks, no round trip
  Channel red, green, blue;
  std::vector<std::uint8_t> rows;  // the converted picture, kept between frames
  // Colour-mapped visuals: the server's pixel for each 4-4-4 colour, asked once (0 = not yet).
  std::vector<unsigned long> palette;
  std::vector<bool> asked;
};

// Our own connection to the X server, for windows of other programs.
struct X11State {
  Display* dpy = nullptr;
  bool tried = false;
  unsigned long lost = 0;  // a window an asynchronous error reported gone
  std::vector<unsigned long> watched;
  GC gc = nullptr;  // for putting pictures into windows
  ServerFormat format;  // how pictures are put there
  // The full-screen saver's windows (SDL's, override-redirect) and the black backdrop under
  // them where no monitor reaches: nothing else may stay above them.
  std::array<unsigned long, plat::kMaxMonitors + 1> lockers{};  // element 0 unused
  std::size_t locker_count = 0;
  unsigned long backdrop = 0;
  bool backdrop_pressed = false;
  bool watching_root = false;
  bool restack = false;  // something changed in the stacking: look whether we are still on top
  std::uint64_t raise_second = 0;  // SDL's clock in whole seconds, and the raises made in it
  int raises = 0;
};

X11State& X() {
  static X11State s;
  return s;
}

// Errors about windows that vanished under us are expected (the host may go at any time): they
// are noted for the loop, never fatal.
int on_x_error(Display*, XErrorEvent* e) {
  if (e->error_code == BadWindow || e->error_code == BadDrawable) {
    for (unsigned long id : X().watched)
      if (id == e->resourceid) X().lost = id;
  }
  return 0;
}

// The X server went away: there is nothing left to draw on or to restore.
int on_x_io_error(Display*) { std::_Exit(0); }

}  // namespace

void x_install_error_handlers() {
  XSetErrorHandler(on_x_error);
  XSetIOErrorHandler(on_x_io_error);
}

bool x_open() {
  if (X().tried) return X().dpy != nullptr;
  X().tried = true;
  X().dpy = XOpenDisplay(nullptr);
  if (X().dpy) x_install_error_handlers();
  return X().dpy != nullptr;
}

int x_fd() { return X().dpy ? ConnectionNumber(X().dpy) : -1; }

bool x_pending() { return X().dpy && XPending(X().dpy) > 0; }

unsigned long x_root_window() { return X().dpy ? DefaultRootWindow(X().dpy) : 0; }

namespace {

// RandR's monitors: one per output, or the ones the user made (xrandr --setmonitor splits a wide
// screen). The primary one comes first.
void randr_monitors(MonitorList& out) {
  out.count = 0;
  int event_base = 0, error_base = 0, major = 0, minor = 0;
  if (!XRRQueryExtension(X().dpy, &event_base, &error_base) || !XRRQueryVersion(X().dpy, &major, &minor) ||
      major * 100 + minor < 105)
    return;
  int n = 0;
  XRRMonitorInfo* info = XRRGetMonitors(X().dpy, DefaultRootWindow(X().dpy), True, &n);
  if (!info) return;
  for (int pass = 0; pass < 2; ++pass)
    for (int i = 0; i < n && out.count < out.items.size(); ++i)
      if ((info[i].primary != 0) == (pass == 0) && info[i].width > 0 && info[i].height > 0)
        out.items[out.count++] = Monitor{info[i].x, info[i].y, info[i].width, info[i].height};
  XRRFreeMonitors(info);
}

// Xinerama's heads, in its order (the first is the primary one).
void xinerama_monitors(MonitorList& out) {
  out.count = 0;
  int event_base = 0, error_base = 0;
  if (!XineramaQueryExtension(X().dpy, &event_base, &error_base) || !XineramaIsActive(X().dpy)) return;
  int n = 0;
  XineramaScreenInfo* info = XineramaQueryScreens(X().dpy, &n);
  if (!info) return;
  for (int i = 0; i < n && out.count < out.items.size(); ++i)
    if (info[i].width > 0 && info[i].height > 0)
      out.items[out.count++] = Monitor{info[i].x_org, info[i].y_org, info[i].width, info[i].height};
  XFree(info);
}

long long covered_area(const MonitorList& list, int width, int height) {
  // The union of the monitors inside the root window, on the grid their edges make.
  std::vector<int> xs{0, width}, ys{0, height};
  for (std::size_t i = 0; i < list.count; ++i) {
    const Monitor& m = list.items[i];
    xs.push_back(std::clamp(m.x, 0, width));
    xs.push_back(std::clamp(m.x + m.width, 0, width));
    ys.push_back(std::clamp(m.y, 0, height));
    ys.push_back(std::clamp(m.y + m.height, 0, height));
  }
  std::sort(xs.begin(), xs.end());
  std::sort(ys.begin(), ys.end());
  long long area = 0;
  for (std::size_t a = 0; a + 1 < xs.size(); ++a)
    for (std::size_t b = 0; b + 1 < ys.size(); ++b) {
      if (xs[a] == xs[a + 1] || ys[b] == ys[b + 1]) continue;
      for (std::size_t i = 0; i < list.count; ++i) {
        const Monitor& m = list.items[i];
        if (xs[a] >= m.x && xs[a + 1] <= m.x + m.width && ys[b] >= m.y && ys[b + 1] <= m.y + m.height) {
          area += static_cast<long long>(xs[a + 1] - xs[a]) * (ys[b + 1] - ys[b]);
          break;
        }
      }
    }
  return area;
}

}  // namespace

int x_monitors(MonitorList& out) {
  // RandR and Xinerama may disagree (heads from Xinerama show as one RandR monitor): believe the
  // one that covers more of the root window, RandR when they cover the same.
  out.count = 0;
  if (!x_open()) return 0;
  MonitorList xinerama;
  randr_monitors(out);
  xinerama_monitors(xinerama);
  const int width = DisplayWidth(X().dpy, DefaultScreen(X().dpy));
  const int height = DisplayHeight(X().dpy, DefaultScreen(X().dpy));
  if (covered_area(xinerama, width, height) > covered_area(out, width, height)) out = xinerama;
  return static_cast<int>(out.count);
}

unsigned long x_parse_window_id(const char* text) {
  if (!text || !*text) return 0;
  char* end = nullptr;
  const unsigned long id = std::strtoul(text, &end, 0);  // decimal, or hexadecimal after 0x
  return end && *end == '\0' ? id : 0;
}

bool x_window_size(unsigned long id, int& w, int& h) {
  if (!x_open() || id == 0) return false;
  XWindowAttributes a{};
  XSync(X().dpy, False);
  if (!XGetWindowAttributes(X().dpy, id, &a)) return false;
  w = a.width;
  h = a.height;
  return true;
}

void x_watch(unsigned long id) {
  if (!x_open() || id == 0) return;
  X().watched.push_back(id);
  XWindowAttributes a{};
  if (!XGetWindowAttributes(X().dpy, id, &a)) {
    X().lost = id;
    return;
  }
  // Masks are per client: this adds our interest without touching the owner's. What covered
  // the window took its pixels: an expose has the whole picture shown again.
  XSelectInput(X().dpy, id, a.your_event_mask | StructureNotifyMask | ExposureMask);
  XFlush(X().dpy);
}

unsigned long x_create_child(unsigned long parent, int w, int h) {
  if (!x_open()) return 0;
  const unsigned long black = BlackPixel(X().dpy, DefaultScreen(X().dpy));
  XSync(X().dpy, False);
  ::Window child = XCreateSimpleWindow(X().dpy, parent, 0, 0, static_cast<unsigned>(w > 0 ? w : 1),
                                     static_cast<unsigned>(h > 0 ? h : 1), 0, black, black);
  XSync(X().dpy, False);
  if (X().lost == parent) return 0;
  XSelectInput(X().dpy, child, StructureNotifyMask | ExposureMask);
  X().watched.push_back(child);
  XFlush(X().dpy);
  return child;
}

void x_move_resize(unsigned long id, int x, int y, int w, int h, bool map) {
  if (!X().dpy || id == 0) return;
  if (w > 0 && h > 0) XMoveResizeWindow(X().dpy, id, x, y, static_cast<unsigned>(w), static_cast<unsigned>(h));
  if (map) XMapRaised(X().dpy, id);
  else if (w == 0 && h == 0) XUnmapWindow(X().dpy, id);
  XFlush(X().dpy);
}

namespace {


void learn_format(int screen) {
  ServerFormat& f = X().format;
  Visual* visual = DefaultVisual(X().dpy, screen);
  f.depth = DefaultDepth(X().dpy, screen);
  int count = 0;
  if (XPixmapFormatValues* formats = XListPixmapFormats(X().dpy, &count)) {
    for (int i = 0; i < count; ++i)
      if (formats[i].depth == f.depth) f.bits_per_pixel = formats[i].bits_per_pixel;
    XFree(formats);
  }
  f.true_colour = visual->c_class == TrueColor || visual->c_class == DirectColor;
  f.red = channel_of(visual->red_mask);
  f.green = channel_of(visual->green_mask);
  f.blue = channel_of(visual->blue_mask);
  if (!f.true_colour) {
    f.palette.assign(4096, 0);
    f.asked.assign(4096, false);
  }
  f.known = true;
}

unsigned long server_pixel(std::uint32_t p, int screen) {
  ServerFormat& f = X().format;
  const std::uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
  if (f.true_colour) return scaled(r, f.red) | scaled(g, f.green) | scaled(b, f.blue);
  const std::size_t key = (r >> 4) << 8 | (g >> 4) << 4 | (b >> 4);
  if (!f.asked[key]) {
    XColor c{};
    c.red = static_cast<unsigned short>(r * 257);
    c.green = static_cast<unsigned short>(g * 257);
    c.blue = static_cast<unsigned short>(b * 257);
    XAllocColor(X().dpy, DefaultColormap(X().dpy, screen), &c);
    f.palette[key] = c.pixel;
    f.asked[key] = true;
  }
  return f.palette[key];
}

}  // namespace

void x_put_image(unsigned long id, const wumpets::PixelBuffer& image) {
  if (!X().dpy || id == 0 || image.width <= 0 || image.height <= 0) return;
  if (!X().gc) X().gc = XCreateGC(X().dpy, id, 0, nullptr);
  GC gc = X().gc;
  const int screen = DefaultScreen(X().dpy);
  if (!X().format.known) learn_format(screen);
  ServerFormat& f = X().format;
  XImage xi{};
  xi.width = image.width;
  xi.height = image.height;
  xi.format = ZPixmap;
  xi.byte_order = LSBFirst;
  xi.bitmap_unit = 32;
  xi.bitmap_bit_order = LSBFirst;
  xi.bitmap_pad = 32;
  xi.depth = f.depth;
  Visual* visual = DefaultVisual(X().dpy, screen);
  xi.red_mask = visual->red_mask;
  xi.green_mask = visual->green_mask;
  xi.blue_mask = visual->blue_mask;
  // Our pixels are 0x00RRGGBB: the layout of every 24-bit TrueColor visual, sent as they are.
  // Any other visual gets whole rows converted here, in the server's own pixel size; a pixel
  // never costs a round trip (asking the server for each colour took half a core at 16 bits).
  const bool direct = f.true_colour && f.bits_per_pixel == 32 && visual->red_mask == 0xFF0000 &&
                      visual->green_mask == 0xFF00 && visual->blue_mask == 0xFF;
  if (direct) {
    xi.bits_per_pixel = 32;
    xi.bytes_per_line = image.stride * 4;
    xi.data = reinterpret_cast<char*>(const_cast<std::uint32_t*>(image.row(0)));
    XInitImage(&xi);
  } else {
    xi.bits_per_pixel = f.bits_per_pixel;
    xi.bytes_per_line = ((image.width * f.bits_per_pixel + 31) / 32) * 4;
    const std::size_t size = static_cast<std::size_t>(xi.bytes_per_line) * static_cast<std::size_t>(image.height);
    if (f.rows.size() < size) f.rows.resize(size);  // once: the preview keeps its size
    xi.data = reinterpret_cast<char*>(f.rows.data());
    XInitImage(&xi);
    for (int y = 0; y < image.height; ++y) {
      const std::uint32_t* src = image.row(y);
      std::uint8_t* dst = f.rows.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(xi.bytes_per_line);
      if (f.bits_per_pixel == 16) {
        for (int x = 0; x < image.width; ++x) {
          const unsigned long v = server_pixel(src[x], screen);  // LSBFirst, as the image says
          dst[2 * x] = static_cast<std::uint8_t>(v);
          dst[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
        }
      } else if (f.bits_per_pixel == 32) {
        for (int x = 0; x < image.width; ++x) {
          const unsigned long v = server_pixel(src[x], screen);
          for (int i = 0; i < 4; ++i) dst[4 * x + i] = static_cast<std::uint8_t>(v >> (8 * i));
        }
      } else {
        for (int x = 0; x < image.width; ++x) XPutPixel(&xi, x, y, server_pixel(src[x], screen));
      }
    }
  }
  XPutImage(X().dpy, id, gc, &xi, 0, 0, 0, 0, static_cast<unsigned>(image.width), static_cast<unsigned>(image.height));
  XFlush(X().dpy);
}

// --- The full-screen saver covers the screen as a locker does -------------------------------
// Window managers keep windows of their own (panels, docks) above a full-screen window and may
// drop the initial "above" state we ask for. The saver's windows are therefore out of their
// hands (override-redirect), raised again whenever another window maps or moves above them or
// covers them, and a black backdrop under them hides what lies outside every monitor.

namespace {

constexpr int kMaxRaisesPerSecond = 20;

bool is_locker(unsigned long id) {
  for (std::size_t i = 1; i <= X().locker_count; ++i)
    if (X().lockers[i] == id) return true;
  return false;
}

// A window that puts pixels on the screen now (an input-only window draws none).
bool shows(unsigned long id) {
  XWindowAttributes a{};
  return XGetWindowAttributes(X().dpy, id, &a) && a.map_state == IsViewable && a.c_class == InputOutput;
}

void raise_lockers() {
  if (X().backdrop) XRaiseWindow(X().dpy, X().backdrop);
  for (std::size_t i = 1; i <= X().locker_count; ++i) XRaiseWindow(X().dpy, X().lockers[i]);
  XFlush(X().dpy);
}

// Raises the saver's windows again when a window that is not ours shows above the lowest of
// them. Only then: two of our windows over each other (cloned monitors) never start a loop.
void keep_lockers_on_top() {
  X().restack = false;
  ::Window root = 0, parent = 0, *children = nullptr;
  unsigned int n = 0;
  if (!XQueryTree(X().dpy, DefaultRootWindow(X().dpy), &root, &parent, &children, &n)) return;
  bool ours_below = false, other_above = false;
  for (unsigned int i = 0; i < n && !other_above; ++i) {  // bottom to top
    const unsigned long id = children[i];
    if (is_locker(id) || id == X().backdrop) ours_below = ours_below || shows(id);
    else if (ours_below) other_above = shows(id);
  }
  if (children) XFree(children);
  if (!other_above) return;
  // Another program that keeps itself on top the same way (a locker over us) wins after a
  // while, rather than the two of us raising in turn as fast as the server answers.
  const std::uint64_t second = SDL_GetTicks64() / 1000;
  if (second != X().raise_second) X().raise_second = second, X().raises = 0;
  if (++X().raises <= kMaxRaisesPerSecond) raise_lockers();
}

void watch_root() {
  if (X().watching_root) return;
  const ::Window root = DefaultRootWindow(X().dpy);
  XWindowAttributes a{};
  if (!XGetWindowAttributes(X().dpy, root, &a)) return;
  XSelectInput(X().dpy, root, a.your_event_mask | SubstructureNotifyMask);
  X().watching_root = true;
}

// What an event of our connection means for the lockers: a window mapped, moved or restacked
// among the root's children, a locker covered, a click on the backdrop.
void note_locker_event(const XEvent& e) {
  if (X().locker_count == 0) return;
  const ::Window root = DefaultRootWindow(X().dpy);
  switch (e.type) {
    case MapNotify:
      if (e.xmap.event == root && !is_locker(e.xmap.window)) X().restack = true;
      break;
    case ConfigureNotify:
      if (e.xconfigure.event == root && !is_locker(e.xconfigure.window)) X().restack = true;
      break;
    case CirculateNotify:
      X().restack = true;
      break;
    case VisibilityNotify:
      if (e.xvisibility.state != VisibilityUnobscured && is_locker(e.xvisibility.window)) X().restack = true;
      break;
    case ButtonPress:
      if (e.xbutton.window == X().backdrop) X().backdrop_pressed = true;
      break;
    case ButtonRelease:
      // Without our pointer grab (another program held it) the backdrop hears the click itself.
      if (e.xbutton.window == X().backdrop && X().backdrop_pressed) {
        X().backdrop_pressed = false;
        backdrop_clicked();
      }
      break;
    default:
      break;
  }
}

// A cursor that shows nothing, for the backdrop: the saver hides the pointer everywhere.
Cursor blank_cursor() {
  static char bits[1] = {0};
  const ::Window root = DefaultRootWindow(X().dpy);
  Pixmap pixmap = XCreateBitmapFromData(X().dpy, root, bits, 1, 1);
  XColor black{};
  const Cursor cursor = XCreatePixmapCursor(X().dpy, pixmap, pixmap, &black, &black, 0, 0);
  XFreePixmap(X().dpy, pixmap);
  return cursor;
}

}  // namespace

void x_make_locker(SDL_Window* window, bool locker) {
  const unsigned long id = x_window_of(window);
  if (!id || (!locker && !is_locker(id)) || !x_open()) return;
  // Read when the window is mapped next: the window is hidden now.
  XSetWindowAttributes attributes{};
  attributes.override_redirect = locker ? True : False;
  XChangeWindowAttributes(X().dpy, id, CWOverrideRedirect, &attributes);
  std::size_t at = 0;
  for (std::size_t i = 1; i <= X().locker_count; ++i)
    if (X().lockers[i] == id) at = i;
  if (locker && !at && X().locker_count + 1 < X().lockers.size()) {
    X().lockers[++X().locker_count] = id;
    XSelectInput(X().dpy, id, VisibilityChangeMask);
    watch_root();
  } else if (!locker && at) {
    X().lockers[at] = X().lockers[X().locker_count];
    X().lockers[X().locker_count--] = 0;
  }
  XSync(X().dpy, False);
}

void x_locker_shown() {
  if (!X().dpy || X().locker_count == 0) return;
  raise_lockers();
}

void x_backdrop(bool show) {
  if (!show) {
    if (X().backdrop) XUnmapWindow(X().dpy, X().backdrop);
    if (X().dpy) XFlush(X().dpy);
    return;
  }
  // Only under saver windows of this X server (none when SDL draws elsewhere, on Wayland).
  if (X().locker_count == 0) return;
  const int screen = DefaultScreen(X().dpy);
  const int width = DisplayWidth(X().dpy, screen), height = DisplayHeight(X().dpy, screen);
  if (covered_area(monitors(), width, height) >= static_cast<long long>(width) * height) return;
  if (!X().backdrop) {
    XSetWindowAttributes a{};
    a.override_redirect = True;
    a.background_pixel = BlackPixel(X().dpy, screen);
    a.event_mask = ButtonPressMask | ButtonReleaseMask;
    a.cursor = blank_cursor();
    X().backdrop = XCreateWindow(X().dpy, DefaultRootWindow(X().dpy), 0, 0, static_cast<unsigned>(width),
                                 static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                                 CWOverrideRedirect | CWBackPixel | CWEventMask | CWCursor, &a);
    watch_root();
  }
  XMapWindow(X().dpy, X().backdrop);
  raise_lockers();
}

void x_pump(const XHandlers& handlers) {
  if (!X().dpy) return;
  while (XPending(X().dpy) > 0) {
    XEvent e;
    XNextEvent(X().dpy, &e);
    switch (e.type) {
      case DestroyNotify:
        // Both the host's own destruction and that of a window inside it report here; only the
        // windows we watch matter.
        if (handlers.destroyed) handlers.destroyed(e.xdestroywindow.window);
        break;
      case ConfigureNotify:
        if (handlers.resized) handlers.resized(e.xconfigure.window, e.xconfigure.width, e.xconfigure.height);
        break;
      case Expose:
        if (e.xexpose.count == 0 && handlers.exposed) handlers.exposed(e.xexpose.window);
        break;
      default:
        break;
    }
    note_locker_event(e);
  }
  if (X().restack) keep_lockers_on_top();
}

void x_ask_fullscreen(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!x_open() || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
  // Set before the window is mapped, a window manager reads it as the initial state; nobody has
  // to wait for an answer (there may be no window manager at all).
  Atom state = XInternAtom(X().dpy, "_NET_WM_STATE", False);
  Atom values[2] = {XInternAtom(X().dpy, "_NET_WM_STATE_FULLSCREEN", False),
                    XInternAtom(X().dpy, "_NET_WM_STATE_ABOVE", False)};
  XChangeProperty(X().dpy, info.info.x11.window, state, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(values), 2);
  XSync(X().dpy, False);
}

unsigned long x_window_of(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
  return info.info.x11.window;
}

void x_set_class(SDL_Window* window, const char* name, const char* class_name) {
  const unsigned long id = x_window_of(window);
  if (!id || !x_open()) return;
  XClassHint hint{const_cast<char*>(name), const_cast<char*>(class_name)};
  XSetClassHint(X().dpy, id, &hint);
  XSync(X().dpy, False);
}

bool x_grab_input(SDL_Window* window, bool grab) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
  Display* d = info.info.x11.display;
  const ::Window xw = info.info.x11.window;
  if (!grab) {
    XUngrabKeyboard(d, CurrentTime);
    XUngrabPointer(d, CurrentTime);
    XFlush(d);
    return false;
  }
  XSetInputFocus(d, xw, RevertToParent, CurrentTime);
  bool keyboard = false, pointer = false;
  // Another program's grab (an open menu) ends soon: try for half a second.
  for (int attempt = 0; attempt < 25 && !(keyboard && pointer); ++attempt) {
    if (!keyboard) keyboard = XGrabKeyboard(d, xw, True, GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess;
    if (!pointer)
      pointer = XGrabPointer(d, xw, True, ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                             GrabModeAsync, None, None, CurrentTime) == GrabSuccess;
    if (!(keyboard && pointer)) SDL_Delay(20);
  }
  XFlush(d);
  return keyboard;
}

int x_sdl_fd(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return -1;
  return ConnectionNumber(info.info.x11.display);
}

unsigned long x_take_lost_window() {
  const unsigned long id = X().lost;
  X().lost = 0;
  return id;
}

}  // namespace linuxvideo

namespace linuxplat {

namespace {

// "Xft.dpi:\t192" in the resource text the desktop put on the root window; 0 when not set.
double xft_dpi(const char* resources) {
  if (!resources) return 0;
  static const char kKey[] = "Xft.dpi:";
  for (const char* line = resources; line && *line;) {
    if (std::strncmp(line, kKey, sizeof kKey - 1) == 0) return std::strtod(line + sizeof kKey - 1, nullptr);
    line = std::strchr(line, '\n');
    if (line) ++line;
  }
  return 0;
}

}  // namespace

double screen_dpi() {
  static const double dpi = [] {
    if (!linuxvideo::x_open()) return 96.0;
    Display* dpy = linuxvideo::X().dpy;
    // The desktop's own setting comes first: it is what every other program on it is drawn at.
    const double xft = xft_dpi(XResourceManagerString(dpy));
    if (xft >= 24 && xft <= 960) return xft < 96 ? 96.0 : xft;
    // Else the screen's physical size. Monitors report it roughly, so it is taken to the nearest
    // step of a quarter of 96; below 96 nothing would be gained and captions would not fit.
    const int screen = DefaultScreen(dpy);
    const int mm = DisplayWidthMM(dpy, screen);
    if (mm <= 0) return 96.0;
    const double measured = DisplayWidth(dpy, screen) * 25.4 / mm;
    const double stepped = std::round(measured / 24.0) * 24.0;
    return stepped < 96 ? 96.0 : stepped;
  }();
  return dpi;
}

double desktop_dpi() {
  static const double dpi = [] {
    if (!linuxvideo::x_open()) return 96.0;
    const double xft = xft_dpi(XResourceManagerString(linuxvideo::X().dpy));
    return xft >= 24 && xft <= 960 ? xft : 96.0;
  }();
  return dpi;
}

}  // namespace linuxplat
