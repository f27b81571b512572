// Shared state of the Linux window system: windows and their images, labels, timers, the X11
// helpers and picture files. Only the back end's own files include this.
#pragma once

#include <cstdint>
#include <functional>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/common/pixels.h"
#include "platform/platform.h"

struct SDL_Window;
struct SDL_Surface;

namespace linuxvideo {

// How windows reach the eye: a picture file (no display at all) or the X server through SDL.
bool rendering();  // --render: off-screen windows, virtual clock, a picture at the end
bool small_embed();  // the saver draws into another program's window smaller than any monitor

struct Window {
  plat::WindowKind kind = plat::WindowKind::Saver;
  plat::WindowEvents* events = nullptr;
  bool loaded = true;
  bool visible = false;
  bool dirty = false;  // the image changed since it was last shown
  std::string title;
  plat::Handle parent = 0;  // preview: the host window it lives in
  int x = 0, y = 0;

  // The persistent image the window's DC draws into. For an SDL window it borrows the window
  // surface's pixels when their layout matches, so a frame is drawn straight into the window.
  std::shared_ptr<wumpets::PixelBuffer> image;
  plat::Handle dc = 0;
  SDL_Window* sdl = nullptr;
  SDL_Surface* surface = nullptr;  // the surface the image borrows from, or converts into
  bool borrowed = false;
  // Each pixel of the image is shown as a scale x scale block (a saver window on a scaled
  // desktop): the image is then the scene's own size and the surface holds its enlargement.
  int scale = 1;
  wumpets::PixelBuffer staging;  // scale > 1 on a surface of another layout: enlarged, then converted
  int xscaled = 0;  // scale > 1 on X11: the server enlarges the image, there is no surface (i_xscale.cpp)
  unsigned long foreign = 0;  // an X window of another program we draw into (--window-id, --root)
  unsigned long xchild = 0;   // preview: our X window inside the host
  bool pressed = false;       // a mouse button went down in the window
  // Native Wayland (i_wayland.cpp): the surface showing the window (0: none, or unmapped), the
  // monitor it covers or whether it is an ordinary window, and whether its buffers are blank.
  int wl_surface = 0;
  int wl_monitor = 0;
  bool wl_window = false;
  bool wl_full = true;
  // What the window last showed: its image's identity and version, so that the next refresh
  // sends only the rectangles drawn since.
  std::uint64_t shown_identity = 0, shown_version = 0;
};

Window* window(plat::Handle h);               // null when unknown or unloaded
// Every loaded window, in a fixed list: the event loop asks on every turn and must not allocate.
struct WindowList {
  std::array<plat::Handle, 16> items{};
  std::size_t count = 0;
  const plat::Handle* begin() const { return items.data(); }
  const plat::Handle* end() const { return items.data() + count; }
  bool empty() const { return count == 0; }
};
WindowList window_handles();
Window* saver_window(plat::Handle* handle = nullptr);
void present(Window& w);         // shows the image (with its labels) now
void present_pending();          // shows every window whose image changed
void paint_labels(plat::Handle wnd);
bool on_label(plat::Handle wnd, int x, int y);  // a visible label of the window covers the point  // paints the visible labels of a window over its image
void exposed(Window& w);         // part of the window was uncovered: show all of it next time
// The rectangles of the window's image drawn since it was last shown, cut to the image and
// joined where they overlap; false when they are not known (show all of it). mark_shown records
// that the image as it is now has been shown.
using ChangedAreas = std::array<wumpets::PixelBuffer::Area, 256>;
bool changed_since_shown(const Window& w, ChangedAreas& areas, std::size_t& n);
void mark_shown(Window& w);
void window_resized(Window& w);  // the SDL surface was replaced: borrow the new pixels
void destroyed(plat::Handle h);  // the window's X window is gone: unload it without asking
bool sdl_started();
void handle_sdl_event(const void* sdl_event);  // one SDL_Event

// The one loop's bookkeeping (i_loop.cpp).
long long now_ns();
int frame_ticks();  // timer ticks during which the saver window was refreshed
void note_refresh(plat::Handle wnd);

// X11 (i_x11.cpp). Window ids are X resource ids; 0 means none.
bool x_open();                                    // connects once; false with no display
bool x_window_size(unsigned long id, int& w, int& h);  // false when id is not a window
void x_watch(unsigned long id);                   // structure events of a window reach us
unsigned long x_create_child(unsigned long parent, int w, int h);
void x_move_resize(unsigned long id, int x, int y, int w, int h, bool map);
void x_put_image(unsigned long id, const wumpets::PixelBuffer& image);
unsigned long x_root_window();
// The monitors of the display, the primary one first; their number (0 when RandR cannot say).
struct Monitor {
  int x = 0, y = 0, width = 0, height = 0;
};
struct MonitorList {
  std::array<Monitor, 16> items{};
  std::size_t count = 0;
};
int x_monitors(MonitorList& out);
const MonitorList& monitors();       // RandR's monitors, else SDL's displays (i_video.cpp)
Monitor monitor_bounds(int monitor);  // monitor 0, the primary one, for a number out of range
unsigned long x_parse_window_id(const char* text);  // decimal or 0x hex; 0 when not a number
// Handles every pending X event of our connection: a destroyed window, a new size, an expose.
struct XHandlers {
  std::function<void(unsigned long)> destroyed;
  std::function<void(unsigned long, int, int)> resized;
  std::function<void(unsigned long)> exposed;
};
void x_pump(const XHandlers& handlers);
bool x_pending();                    // events of our connection wait to be handled
int x_fd();                          // our connection's descriptor, -1 without one
int x_sdl_fd(SDL_Window* window);    // SDL's connection, -1 when unknown
void x_ask_fullscreen(SDL_Window* window);  // the window manager's full-screen state, unmapped
unsigned long x_window_of(SDL_Window* window);  // its X window, 0 when it has none
// Takes (or gives back) the keyboard focus, the keyboard and the pointer for a shown window, on
// SDL's own connection so that SDL reads what they bring. True when the keyboard was taken.
bool x_grab_input(SDL_Window* window, bool grab);
// The full-screen saver covers the screen as a locker does. Before its window is shown:
// whether the window manager is to be left out (override-redirect) and the window kept above
// every other. Once shown, it is raised over what came before it.
void x_make_locker(SDL_Window* window, bool locker);
void x_locker_shown();
// A black window under the saver's over what no monitor covers (nothing when they cover it all).
void x_backdrop(bool show);
void x_set_class(SDL_Window* window, const char* name, const char* class_name);  // WM_CLASS
void x_install_error_handlers();     // errors on a vanished window are noted, never fatal
unsigned long x_take_lost_window();  // a window an X error said is gone (0: none)

// Native Wayland (i_wayland.cpp): the saver's own windows as surfaces of the compositor, when
// the saver mode starts on a Wayland display (not for --render, --window-id or --root).
void wayland_begin_saver();              // connects; on failure says why, and X11 shows the saver
bool wayland_active();                   // the saver's windows are Wayland surfaces
const MonitorList& wayland_monitors();   // the outputs, by monitor number (unplugged ones kept)
int wayland_output_scale(int monitor);   // the compositor's scale of the monitor's output, 1 if unknown
void wayland_watch(plat::MonitorEvents* events);
bool wayland_create(Window& w, int monitor);  // false: no surface could be made
bool wayland_map(Window& w);             // shown (again): a surface for the window
void wayland_unmap(Window& w);           // hidden: its surface goes
void wayland_present(Window& w);
int wayland_fd();                        // -1 when not active
bool wayland_prepare_poll();             // false: events are queued, dispatch first
void wayland_after_poll(bool readable);
bool wayland_dispatch();                 // false once the connection is lost
// The saver's windows in full screen (i_cover.cpp): what covers the screen besides them, and
// input that reaches it.
bool full_screen_saver(const Window& w);  // a saver window of its own over a monitor
void cover_before_show(Window& w);         // decides, before it is mapped, how it covers
void covers_update();                     // after a saver window was shown, hidden or unloaded
void cover_gone(const Window& w);         // the window is about to be destroyed
void backdrop_clicked();                  // a click outside every monitor: one on the saver

// The program's icon and window class on a window of its own, before it is shown (i_icon.cpp).
void give_identity(SDL_Window* window);

// Picture files (i_render.cpp).
bool write_picture(const std::string& path, const wumpets::PixelBuffer& image, std::string& error);
[[noreturn]] void render_finish();  // --render: writes the picture and ends the process
void render_set_report_fd(int fd);

}  // namespace linuxvideo
