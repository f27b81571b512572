// X11 for the windows of other programs: the host window of the preview (our child window lives
// inside it) and the window xscreensaver hands to us. Our own connection watches their structure
// events, so that we learn when they are resized or destroyed; SDL watches nothing on a window
// it did not make.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/linux/i_video.h"

namespace linuxvideo {

namespace {

Display* g_dpy = nullptr;
bool g_tried = false;
unsigned long g_lost = 0;  // a window an asynchronous error reported gone
std::vector<unsigned long> g_watched;

// Errors about windows that vanished under us are expected (the host may go at any time): they
// are noted for the loop, never fatal.
int on_x_error(Display*, XErrorEvent* e) {
  if (e->error_code == BadWindow || e->error_code == BadDrawable) {
    for (unsigned long id : g_watched)
      if (id == e->resourceid) g_lost = id;
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
  if (g_tried) return g_dpy != nullptr;
  g_tried = true;
  g_dpy = XOpenDisplay(nullptr);
  if (g_dpy) x_install_error_handlers();
  return g_dpy != nullptr;
}

int x_fd() { return g_dpy ? ConnectionNumber(g_dpy) : -1; }

bool x_pending() { return g_dpy && XPending(g_dpy) > 0; }

unsigned long x_root_window() { return g_dpy ? DefaultRootWindow(g_dpy) : 0; }

unsigned long x_parse_window_id(const char* text) {
  if (!text || !*text) return 0;
  char* end = nullptr;
  const unsigned long id = std::strtoul(text, &end, 0);  // decimal, or hexadecimal after 0x
  return end && *end == '\0' ? id : 0;
}

bool x_window_size(unsigned long id, int& w, int& h) {
  if (!x_open() || id == 0) return false;
  XWindowAttributes a{};
  XSync(g_dpy, False);
  if (!XGetWindowAttributes(g_dpy, id, &a)) return false;
  w = a.width;
  h = a.height;
  return true;
}

void x_watch(unsigned long id) {
  if (!x_open() || id == 0) return;
  g_watched.push_back(id);
  XWindowAttributes a{};
  if (!XGetWindowAttributes(g_dpy, id, &a)) {
    g_lost = id;
    return;
  }
  // Masks are per client: this adds our interest without touching the owner's.
  XSelectInput(g_dpy, id, a.your_event_mask | StructureNotifyMask);
  XFlush(g_dpy);
}

unsigned long x_create_child(unsigned long parent, int w, int h) {
  if (!x_open()) return 0;
  const unsigned long black = BlackPixel(g_dpy, DefaultScreen(g_dpy));
  XSync(g_dpy, False);
  ::Window child = XCreateSimpleWindow(g_dpy, parent, 0, 0, static_cast<unsigned>(w > 0 ? w : 1),
                                     static_cast<unsigned>(h > 0 ? h : 1), 0, black, black);
  XSync(g_dpy, False);
  if (g_lost == parent) return 0;
  XSelectInput(g_dpy, child, StructureNotifyMask | ExposureMask);
  g_watched.push_back(child);
  XFlush(g_dpy);
  return child;
}

void x_move_resize(unsigned long id, int x, int y, int w, int h, bool map) {
  if (!g_dpy || id == 0) return;
  if (w > 0 && h > 0) XMoveResizeWindow(g_dpy, id, x, y, static_cast<unsigned>(w), static_cast<unsigned>(h));
  if (map) XMapRaised(g_dpy, id);
  else if (w == 0 && h == 0) XUnmapWindow(g_dpy, id);
  XFlush(g_dpy);
}

void x_put_image(unsigned long id, const wumpets::PixelBuffer& image) {
  if (!g_dpy || id == 0 || image.width <= 0 || image.height <= 0) return;
  static GC gc = XCreateGC(g_dpy, id, 0, nullptr);
  const int screen = DefaultScreen(g_dpy);
  Visual* visual = DefaultVisual(g_dpy, screen);
  const int depth = DefaultDepth(g_dpy, screen);
  XImage xi{};
  xi.width = image.width;
  xi.height = image.height;
  xi.format = ZPixmap;
  xi.byte_order = LSBFirst;
  xi.bitmap_unit = 32;
  xi.bitmap_bit_order = LSBFirst;
  xi.bitmap_pad = 32;
  xi.depth = depth;
  xi.bits_per_pixel = 32;
  xi.bytes_per_line = image.stride * 4;
  xi.red_mask = visual->red_mask;
  xi.green_mask = visual->green_mask;
  xi.blue_mask = visual->blue_mask;
  // Our pixels are 0x00RRGGBB: the layout of every 24-bit TrueColor visual. Others get each
  // pixel converted (the preview is small).
  std::vector<std::uint32_t> converted;
  const bool direct = depth >= 24 && visual->red_mask == 0xFF0000 && visual->green_mask == 0xFF00 &&
                      visual->blue_mask == 0xFF;
  if (direct) {
    xi.data = reinterpret_cast<char*>(const_cast<std::uint32_t*>(image.row(0)));
    XInitImage(&xi);
  } else {
    converted.resize(static_cast<std::size_t>(image.width) * image.height);
    xi.data = reinterpret_cast<char*>(converted.data());
    xi.bytes_per_line = image.width * 4;
    XInitImage(&xi);
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        const std::uint32_t p = image.at(x, y);
        XColor c{};
        c.red = static_cast<unsigned short>(((p >> 16) & 0xFF) * 257);
        c.green = static_cast<unsigned short>(((p >> 8) & 0xFF) * 257);
        c.blue = static_cast<unsigned short>((p & 0xFF) * 257);
        XAllocColor(g_dpy, DefaultColormap(g_dpy, screen), &c);
        XPutPixel(&xi, x, y, c.pixel);
      }
    }
  }
  XPutImage(g_dpy, id, gc, &xi, 0, 0, 0, 0, static_cast<unsigned>(image.width), static_cast<unsigned>(image.height));
  XFlush(g_dpy);
}

void x_pump(const XHandlers& handlers) {
  if (!g_dpy) return;
  while (XPending(g_dpy) > 0) {
    XEvent e;
    XNextEvent(g_dpy, &e);
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
  }
}

void x_ask_fullscreen(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!x_open() || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
  // Set before the window is mapped, a window manager reads it as the initial state; nobody has
  // to wait for an answer (there may be no window manager at all).
  Atom state = XInternAtom(g_dpy, "_NET_WM_STATE", False);
  Atom values[2] = {XInternAtom(g_dpy, "_NET_WM_STATE_FULLSCREEN", False),
                    XInternAtom(g_dpy, "_NET_WM_STATE_ABOVE", False)};
  XChangeProperty(g_dpy, info.info.x11.window, state, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(values), 2);
  XSync(g_dpy, False);
}

int x_sdl_fd(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return -1;
  return ConnectionNumber(info.info.x11.display);
}

unsigned long x_take_lost_window() {
  const unsigned long id = g_lost;
  g_lost = 0;
  return id;
}

}  // namespace linuxvideo
