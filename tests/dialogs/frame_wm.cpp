// A stand-in window manager for the dialogs' test: it frames nothing, but says it does. It maps
// and moves windows as they ask, and reports the same frame extents for every window, both as
// the answer to _NET_REQUEST_FRAME_EXTENTS and on every window it maps. A program that centres
// its outer window must then put its client area the frame's width right and down of centre.
//   frame_wm LEFT RIGHT TOP BOTTOM   (prints "ready" once it manages the screen)
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

namespace {

bool g_other_wm = false;
int on_error(Display*, XErrorEvent* e) {
  if (e->error_code == BadAccess) g_other_wm = true;
  return 0;  // windows may vanish under us
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: frame_wm LEFT RIGHT TOP BOTTOM\n");
    return 2;
  }
  long extents[4];
  for (int i = 0; i < 4; ++i) extents[i] = std::strtol(argv[i + 1], nullptr, 10);
  Display* dpy = XOpenDisplay(nullptr);
  if (!dpy) return 1;
  XSetErrorHandler(on_error);
  const Window root = DefaultRootWindow(dpy);
  XSelectInput(dpy, root, SubstructureRedirectMask | SubstructureNotifyMask);
  XSync(dpy, False);
  if (g_other_wm) {
    std::fprintf(stderr, "frame_wm: another window manager runs\n");
    return 1;
  }
  const Atom request = XInternAtom(dpy, "_NET_REQUEST_FRAME_EXTENTS", False);
  const Atom frame = XInternAtom(dpy, "_NET_FRAME_EXTENTS", False);
  Atom supported[] = {request, frame};
  XChangeProperty(dpy, root, XInternAtom(dpy, "_NET_SUPPORTED", False), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(supported), 2);
  auto set_extents = [&](Window w) {
    XChangeProperty(dpy, w, frame, XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<unsigned char*>(extents), 4);
  };
  XSync(dpy, False);
  std::printf("ready\n");
  std::fflush(stdout);
  for (;;) {
    XEvent e;
    XNextEvent(dpy, &e);
    switch (e.type) {
      case MapRequest:
        set_extents(e.xmaprequest.window);
        XMapWindow(dpy, e.xmaprequest.window);
        break;
      case ConfigureRequest: {
        XWindowChanges c{};
        c.x = e.xconfigurerequest.x;
        c.y = e.xconfigurerequest.y;
        c.width = e.xconfigurerequest.width;
        c.height = e.xconfigurerequest.height;
        c.border_width = e.xconfigurerequest.border_width;
        c.sibling = e.xconfigurerequest.above;
        c.stack_mode = e.xconfigurerequest.detail;
        XConfigureWindow(dpy, e.xconfigurerequest.window, static_cast<unsigned>(e.xconfigurerequest.value_mask), &c);
        break;
      }
      case ClientMessage:
        if (e.xclient.message_type == request) set_extents(e.xclient.window);
        break;
      default: break;
    }
    XFlush(dpy);
  }
}
