// The saver on a Wayland compositor, natively: one surface per output drawn into shared-memory
// buffers, and the seat's raw input. Used by the Linux back end when WAYLAND_DISPLAY is set
// (and by tests/wayland/wl_probe.cpp); it knows nothing of the core.
//
// Outputs and surfaces live in fixed slots, 1..kMaxOutputs and 1..kMaxSurfaces (0 is "none"),
// so a slot keeps its number while others come and go. Every call is on the one thread; the
// events below are called from inside dispatch (never from another call of this module).
#pragma once

#include <cstdint>
#include <string>

namespace wl {

inline constexpr int kMaxOutputs = 16;
inline constexpr int kMaxSurfaces = kMaxOutputs + 1;  // one per output and a window

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
};

// What the display reports, raw; what it means is the caller's to decide.
class Events {
 public:
  virtual ~Events() = default;
  virtual void key_pressed(int /*surface*/) {}     // any key went down
  virtual void button_pressed(int /*surface*/) {}  // any pointer button went down
  // Where the pointer is, in the surface's pixels (also when it enters a surface).
  virtual void pointer_moved(int /*surface*/, int /*x*/, int /*y*/) {}
  // The surface has (a new) size: its buffers are blank, the next frame draws everything.
  virtual void configured(int /*surface*/, int /*width*/, int /*height*/) {}
  // The surface will not be shown again (its output went away, the compositor or the user
  // closed it): the caller calls destroy_surface.
  virtual void closed(int /*surface*/) {}
  // An output appeared after open(), its place and size known; or one went away (its surfaces
  // were reported closed just before).
  virtual void output_added(int /*output*/) {}
  virtual void output_removed(int /*output*/) {}
};

// Called by the back end's start-up. Connects to $WAYLAND_DISPLAY and learns the outputs.
// False, with the reason, when there is no compositor or it lacks what drawing needs
// (wl_compositor, wl_shm, and layer-shell or xdg-shell). events must outlive the connection.
bool open(Events& events, std::string& reason);
void close();  // the shutdown: destroys every surface and disconnects
bool has_layer_shell();  // false: covering uses full-screen toplevels (open() said so on stderr)

// The outputs. x, y: the output's place in the compositor's layout; width, height: its pixels.
int output_count();  // live outputs
bool output_live(int output);
Rect output_rect(int output);
int output_scale(int output);  // pixels per layout unit, 1 when unknown
const char* output_name(int output);  // "" when the compositor gives none

enum class Mode {
  Cover,   // the saver on one output: overlay layer above everything, all input, no cursor
  Window,  // --window: a plain toplevel of a fixed size
};
// Called when the saver's windows are made: a surface on `output` (Cover) or a window of
// width x height pixels (Window; output ignored). 0 when no slot is free or the output is
// not live. It shows nothing until it is configured and a frame is committed.
int create_surface(int output, Mode mode, int width = 0, int height = 0, const char* title = "");
void destroy_surface(int surface);  // nothing when already destroyed
int surface_output(int surface);    // 0 for a window, or once its output is gone
int surface_width(int surface);     // pixels; 0 until configured
int surface_height(int surface);

// Drawing, called when a view presents. ready: configured, the compositor asked for the next
// frame (frame callback) and a buffer is free. begin_frame returns that buffer's pixels
// (XRGB8888, stride in pixels), which hold the last committed frame, so only what changed
// needs writing; null when not ready. commit shows it, damaging only the rectangles given
// (pixels; damaged == nullptr: all of it). Every begin_frame is followed by one commit.
// Nothing is allocated here: buffers are made when the surface is configured.
bool ready(int surface);
std::uint32_t* begin_frame(int surface, int& stride);
void commit(int surface, const Rect* damaged, int n);

// The connection, for the back end's one event loop.
int fd();  // to poll for reading; -1 when not open
// A loop that polls several descriptors: prepare before poll (false: nothing to wait for,
// events are already queued, call dispatch_pending), then after_poll with poll's answer.
bool prepare_poll();
void after_poll(bool readable);
// Runs the queued events' callbacks. False once the connection is lost: nothing can be shown.
bool dispatch_pending();
// Waits up to timeout_ms (-1: no limit) for events and runs them; the same false.
bool dispatch(int timeout_ms);

}  // namespace wl
