// The X server enlarges a scaled saver window. Its image (the scene's size) lives in a MIT-SHM
// segment of ours bound to a pixmap; the pixmap's picture has a 1/s transform and the nearest
// filter, and each changed rectangle is composited into the window at s times its place and
// size. The program keeps and writes only the scene's pixels and the server reads each of them
// once, where SDL's window surface had the program enlarge into a screen-sized copy that the
// server then read four times over.
//
// Servers without shared pixmaps get an ordinary pixmap that the changed rectangles are put into
// from the segment (at the scene's size). Anything else missing or refused leaves the window to
// SDL's surface, as on any other display.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xrender.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <array>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/linux/i_xscale.h"

namespace linuxvideo {

namespace {

struct Scaled {
  Display* dpy = nullptr;  // SDL's connection, the window's own
  ::Window window = 0;
  int scale = 1;
  int width = 0, height = 0;  // the window's, in the display's pixels
  XShmSegmentInfo shm{};
  bool mapped = false;    // the segment is attached to our address space
  bool attached = false;  // and to the server's
  Pixmap pixmap = 0;
  XImage* put = nullptr;  // without shared pixmaps: the segment as an image put into the pixmap
  GC gc = nullptr;
  Picture source = 0, target = 0;
};

struct XScaleState {
  std::array<Scaled, plat::kMaxMonitors + 1> windows{};  // element 0 unused
  bool failed = false;  // an X error arrived while a window was being set up
};

XScaleState& XS() {
  static XScaleState s;
  return s;
}

int note_error(Display*, XErrorEvent*) {
  XS().failed = true;
  return 0;
}

// Tests: the server is taken to have no shared pixmaps, as some have none.
bool shared_pixmaps_refused() {
  const char* e = std::getenv("WUMPETS_X_NO_SHARED_PIXMAPS");
  return e && *e && *e != '0';
}

// Shared memory means the same memory only on this machine.
bool local_display(Display* dpy) {
  const char* name = XDisplayString(dpy);
  return name && (name[0] == ':' || std::strncmp(name, "unix:", 5) == 0);
}

// Our pixels (0x00RRGGBB words in this machine's byte order) are a depth-24 pixmap's as they are.
bool takes_our_pixels(Display* dpy) {
  if (ImageByteOrder(dpy) != (std::endian::native == std::endian::little ? LSBFirst : MSBFirst)) return false;
  bool ok = false;
  int count = 0;
  if (XPixmapFormatValues* formats = XListPixmapFormats(dpy, &count)) {
    for (int i = 0; i < count; ++i)
      if (formats[i].depth == 24) ok = formats[i].bits_per_pixel == 32;
    XFree(formats);
  }
  int n = 0;
  bool depth = false;
  if (int* depths = XListDepths(dpy, DefaultScreen(dpy), &n)) {
    for (int i = 0; i < n; ++i) depth = depth || depths[i] == 24;
    XFree(depths);
  }
  return ok && depth;
}

bool has_extensions(Display* dpy, bool& shared_pixmaps) {
  int major = 0, minor = 0, event_base = 0, error_base = 0;
  Bool pixmaps = False;
  if (!XShmQueryExtension(dpy) || !XShmQueryVersion(dpy, &major, &minor, &pixmaps)) return false;
  shared_pixmaps = pixmaps && XShmPixmapFormat(dpy) == ZPixmap && !shared_pixmaps_refused();
  // Transforms and filters came with RENDER 0.6.
  if (!XRenderQueryExtension(dpy, &event_base, &error_base) || !XRenderQueryVersion(dpy, &major, &minor)) return false;
  return major > 0 || minor >= 6;
}

std::size_t slot_of(const Window& w) {
  return w.xscaled > 0 && static_cast<std::size_t>(w.xscaled) < XS().windows.size() ? static_cast<std::size_t>(w.xscaled)
                                                                                    : 0;
}

// Frees what the server holds and the segment; the slot is free again.
void tear_down(Scaled& s) {
  if (s.dpy) {
    if (s.target) XRenderFreePicture(s.dpy, s.target);
    if (s.source) XRenderFreePicture(s.dpy, s.source);
    if (s.gc) XFreeGC(s.dpy, s.gc);
    if (s.pixmap) XFreePixmap(s.dpy, s.pixmap);
    if (s.attached) XShmDetach(s.dpy, &s.shm);
    XSync(s.dpy, False);  // the server lets go of the segment before we do
  }
  if (s.put) {
    s.put->data = nullptr;  // the segment's, not Xlib's to free
    XDestroyImage(s.put);
  }
  if (s.mapped) ::shmdt(s.shm.shmaddr);
  s = Scaled{};
}

// Everything on the server's side, under a handler that notes errors instead of reporting them.
bool set_up(Scaled& s, XRenderPictFormat* window_format, XRenderPictFormat* rgb24, bool shared_pixmaps,
            int image_width, int image_height) {
  XSync(s.dpy, False);  // earlier errors are not ours to take
  XS().failed = false;
  XErrorHandler previous = XSetErrorHandler(note_error);
  s.attached = XShmAttach(s.dpy, &s.shm) != 0;
  XSync(s.dpy, False);  // a remote or refusing server says so here
  if (s.attached && !XS().failed) {
    const auto w = static_cast<unsigned>(image_width), h = static_cast<unsigned>(image_height);
    if (shared_pixmaps) {
      s.pixmap = XShmCreatePixmap(s.dpy, s.window, s.shm.shmaddr, &s.shm, w, h, 24);
    } else {
      s.pixmap = XCreatePixmap(s.dpy, s.window, w, h, 24);
      s.gc = XCreateGC(s.dpy, s.pixmap, 0, nullptr);
    }
    s.source = XRenderCreatePicture(s.dpy, s.pixmap, rgb24, 0, nullptr);
    s.target = XRenderCreatePicture(s.dpy, s.window, window_format, 0, nullptr);
    // Destination pixel centres map to source points, which the nearest filter rounds down:
    // every source pixel becomes exactly one s x s block.
    const double inverse = 1.0 / s.scale;
    XTransform t{{{XDoubleToFixed(inverse), 0, 0}, {0, XDoubleToFixed(inverse), 0}, {0, 0, XDoubleToFixed(1)}}};
    XRenderSetPictureTransform(s.dpy, s.source, &t);
    XRenderSetPictureFilter(s.dpy, s.source, const_cast<char*>(FilterNearest), nullptr, 0);
    XSync(s.dpy, False);
  }
  XSetErrorHandler(previous);
  return s.attached && !XS().failed;
}

}  // namespace

bool xscale_bind(Window& w) {
  if (w.scale <= 1 || !w.sdl) return false;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(w.sdl, &info) || info.subsystem != SDL_SYSWM_X11) return false;
  Display* dpy = info.info.x11.display;
  bool shared_pixmaps = false;
  if (!local_display(dpy) || !has_extensions(dpy, shared_pixmaps) || !takes_our_pixels(dpy)) return false;
  XWindowAttributes a{};
  if (!XGetWindowAttributes(dpy, info.info.x11.window, &a)) return false;
  // The window's own visual (another program's window may have any): the picture must match it.
  XRenderPictFormat* window_format = XRenderFindVisualFormat(dpy, a.visual);
  XRenderPictFormat* rgb24 = XRenderFindStandardFormat(dpy, PictStandardRGB24);
  const int width = a.width / w.scale, height = a.height / w.scale;
  if (!window_format || !rgb24 || width <= 0 || height <= 0) return false;

  xscale_release(w);  // a new size: a new segment
  std::size_t slot = 0;
  for (std::size_t i = 1; i < XS().windows.size() && slot == 0; ++i)
    if (!XS().windows[i].dpy) slot = i;
  if (slot == 0) return false;
  Scaled& s = XS().windows[slot];
  s.dpy = dpy;
  s.window = info.info.x11.window;
  s.scale = w.scale;
  s.width = a.width;
  s.height = a.height;
  const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
  s.shm.shmid = ::shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
  if (s.shm.shmid < 0) {
    s = Scaled{};
    return false;
  }
  void* at = ::shmat(s.shm.shmid, nullptr, 0);
  s.mapped = at != reinterpret_cast<void*>(-1);
  s.shm.shmaddr = s.mapped ? static_cast<char*>(at) : nullptr;
  s.shm.readOnly = False;
  if (s.mapped && !shared_pixmaps) {
    s.put = XShmCreateImage(dpy, nullptr, 24, ZPixmap, s.shm.shmaddr, &s.shm, static_cast<unsigned>(width),
                            static_cast<unsigned>(height));
    if (s.put && s.put->bytes_per_line != width * 4) {
      s.put->data = nullptr;
      XDestroyImage(s.put);
      s.put = nullptr;
    }
  }
  const bool ok = s.mapped && (shared_pixmaps || s.put) && set_up(s, window_format, rgb24, shared_pixmaps, width, height);
  // The segment goes when both sides let go of it, even if we end without a word.
  ::shmctl(s.shm.shmid, IPC_RMID, nullptr);
  if (!ok) {
    tear_down(s);
    return false;
  }
  // Keep the picture the window had (a new size keeps its top left corner).
  wumpets::PixelBuffer image =
      wumpets::PixelBuffer::borrowed(reinterpret_cast<std::uint32_t*>(s.shm.shmaddr), width, height, width);
  if (w.image->width > 0 && w.image->height > 0)
    wumpets::blit(image, 0, 0, width, height, w.image.get(), 0, 0, wumpets::Rop::Copy);
  *w.image = std::move(image);
  w.xscaled = static_cast<int>(slot);
  w.surface = nullptr;
  w.borrowed = false;
  w.staging = wumpets::PixelBuffer();
  w.dirty = true;
  return true;
}

void xscale_present(Window& w) {
  const std::size_t slot = slot_of(w);
  if (slot == 0) return;
  Scaled& s = XS().windows[slot];
  ChangedAreas areas;
  std::size_t n = 0;
  const bool known = changed_since_shown(w, areas, n);
  mark_shown(w);
  if (known && n == 0) return;
  const wumpets::PixelBuffer& img = *w.image;
  if (!known) {
    areas[0] = wumpets::PixelBuffer::Area{0, 0, img.width, img.height};
    n = 1;
  }
  if (s.put) {
    for (std::size_t i = 0; i < n; ++i) {
      const auto& r = areas[i];
      XShmPutImage(s.dpy, s.pixmap, s.gc, s.put, r.x, r.y, r.x, r.y, static_cast<unsigned>(r.w),
                   static_cast<unsigned>(r.h), False);
    }
  }
  const int k = s.scale;
  if (!known) {
    // The whole window: past the image's edge (a size that is no multiple of the scale) the
    // source has no pixels, which comes out black.
    XRenderComposite(s.dpy, PictOpSrc, s.source, 0, s.target, 0, 0, 0, 0, 0, 0, static_cast<unsigned>(s.width),
                     static_cast<unsigned>(s.height));
  } else {
    for (std::size_t i = 0; i < n; ++i) {
      const auto& r = areas[i];
      XRenderComposite(s.dpy, PictOpSrc, s.source, 0, s.target, r.x * k, r.y * k, 0, 0, r.x * k, r.y * k,
                       static_cast<unsigned>(r.w * k), static_cast<unsigned>(r.h * k));
    }
  }
  // The server reads the pixels when it gets to these requests; the next frame is drawn into
  // the same memory. One round trip a frame, as SDL's own shared-memory path makes.
  XSync(s.dpy, False);
}

void xscale_release(Window& w) {
  const std::size_t slot = slot_of(w);
  if (slot == 0) return;
  wumpets::PixelBuffer own(w.image->width, w.image->height);
  wumpets::blit(own, 0, 0, own.width, own.height, w.image.get(), 0, 0, wumpets::Rop::Copy);
  *w.image = std::move(own);
  tear_down(XS().windows[slot]);
  w.xscaled = 0;
}

}  // namespace linuxvideo
