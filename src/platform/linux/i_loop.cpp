// Timers and the one event loop on Linux.
//
// Timers fire on the main thread, each at its interval, measured against the monotonic clock;
// between ticks the loop sleeps in poll() on the X connections (SDL's and ours) and a signal
// pipe until input arrives or the next timer is due, so an idle saver costs no CPU. With
// --render the clock is virtual: the loop jumps from one due timer to the next.
#include <SDL.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>
#include <fcntl.h>
#include <malloc.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "platform/common/memdc.h"
#include "platform/linux/i_video.h"
#include "platform/linux/i_sound.h"
#include "platform/linux/linux_platform.h"
#include "platform/platform.h"

namespace linuxvideo {

namespace {

struct Timer {
  plat::TimerEvents* events = nullptr;
  int interval = 0;  // ms; 0 keeps the timer idle
  bool enabled = false;
  long long due = 0;  // ns on the loop's clock
};

// Everything the loop keeps between its turns.
struct LoopState {
  std::vector<Timer> timers;  // handle = index + 1
  long long virtual_now = 0;
  bool in_tick = false;
  bool refreshed = false;
  int frame_ticks = 0;
  int hold_after = -1;  // tests: stop the timers after this many frames, keeping the picture
  bool settled = false;  // the start-up's temporary memory has been given back
  int sdl_fd = -1;      // SDL's X connection, once known
};

LoopState& L() {
  static LoopState s;
  return s;
}

// What the signal handler touches: plain globals, the only kind a handler may use safely.
volatile sig_atomic_t g_close_requested = 0;
int g_signal_pipe[2] = {-1, -1};

void on_signal(int) {
  g_close_requested = 1;
  if (g_signal_pipe[1] >= 0) {
    const char c = 1;
    ssize_t n = ::write(g_signal_pipe[1], &c, 1);
    (void)n;
  }
}

void install_signals() {
  if (::pipe(g_signal_pipe) == 0) {
    for (int fd : g_signal_pipe) {
      ::fcntl(fd, F_SETFL, O_NONBLOCK);
      ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
  }
  struct sigaction sa {};
  sa.sa_handler = on_signal;
  sigemptyset(&sa.sa_mask);
  // A hang-up (the terminal or the session going away) ends the saver like SIGTERM does.
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(sig, &sa, nullptr);
}

Timer* timer(plat::Handle h) {
  if (h <= 0 || static_cast<std::size_t>(h) > L().timers.size()) return nullptr;
  return &L().timers[static_cast<std::size_t>(h) - 1];
}

// The enabled timer due first, or 0.
plat::Handle next_timer() {
  plat::Handle best = 0;
  long long due = 0;
  for (std::size_t i = 0; i < L().timers.size(); ++i) {
    const Timer& t = L().timers[i];
    if (!t.enabled || t.interval <= 0 || !t.events) continue;
    if (best == 0 || t.due < due) {
      best = static_cast<plat::Handle>(i + 1);
      due = t.due;
    }
  }
  return best;
}

void fire(plat::Handle h, long long now) {
  Timer& t = *timer(h);
  const long long step = static_cast<long long>(t.interval) * 1000000;
  t.due += step;
  if (t.due <= now) t.due = now + step;  // a late tick is not made up, as with window-system timers
  L().in_tick = true;
  L().refreshed = false;
  t.events->on_timer(h);
  L().in_tick = false;
  if (L().refreshed) ++L().frame_ticks;
  present_pending();
}

bool holding() { return L().hold_after >= 0 && L().frame_ticks >= L().hold_after; }

// A close request for every window, as the system makes at log-off.
void close_all() {
  const WindowList handles = window_handles();
  if (handles.empty()) plat::end_process();
  for (plat::Handle h : handles) plat::window_unload(h);
}

Window* find_x(unsigned long id, bool& is_foreign, plat::Handle& handle) {
  for (plat::Handle h : window_handles()) {
    Window* w = window(h);
    if (w->foreign == id) {
      is_foreign = true;
      handle = h;
      return w;
    }
    if (w->xchild == id || (w->xchild && static_cast<unsigned long>(w->parent) == id)) {
      is_foreign = false;
      handle = h;
      return w;
    }
  }
  return nullptr;
}

// The window we drew in is gone: the saver closes through its shutdown, the preview unloads.
void x_window_gone(unsigned long id) {
  bool is_foreign = false;
  plat::Handle h = 0;
  Window* w = find_x(id, is_foreign, h);
  if (!w) return;
  if (is_foreign) {
    if (w->sdl) {
      // SDL must not draw into it again while the shutdown runs.
      w->visible = false;
    }
    plat::window_unload(h);
  } else {
    destroyed(h);
  }
}

void pump() {
  if (!wayland_dispatch()) {
    // The compositor is gone, and every surface with it: nothing of the saver can show.
    std::fprintf(stderr, "zelkin-wumpets: the Wayland display closed the connection\n");
    plat::set_exit_status(1);
    close_all();
  }
  if (sdl_started()) {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
      handle_sdl_event(&e);
      present_pending();
    }
  }
  if (x_fd() >= 0) {
    static const XHandlers handlers{
        [](unsigned long id) { x_window_gone(id); },
        [](unsigned long id, int w, int h) {
          bool f = false;
          plat::Handle handle = 0;
          Window* win = find_x(id, f, handle);
          if (win && f && win->sdl && (w != win->image->width * win->scale || h != win->image->height * win->scale)) {
            SDL_SetWindowSize(win->sdl, w, h);
            window_resized(*win);
          }
        },
        [](unsigned long id) {
          bool f = false;
          plat::Handle handle = 0;
          if (Window* win = find_x(id, f, handle)) exposed(*win);
        }};
    x_pump(handlers);
  }
  if (unsigned long lost = x_take_lost_window()) x_window_gone(lost);
  present_pending();
}

// Sleeps until input, a signal, or the deadline (ms; -1 for none).
void wait_for_events(int timeout_ms) {
  if (sdl_started()) {
    SDL_PumpEvents();
    if (SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT)) return;
  }
  if (x_pending()) return;
  std::array<pollfd, 4> fds{};
  nfds_t nfds = 0;
  if (g_signal_pipe[0] >= 0) fds[nfds++] = pollfd{g_signal_pipe[0], POLLIN, 0};
  if (x_fd() >= 0) fds[nfds++] = pollfd{x_fd(), POLLIN, 0};
  // The Wayland connection: events already read but not handled are handled first.
  const nfds_t wl_index = nfds;
  const bool wl = wayland_fd() >= 0;
  if (wl) {
    if (!wayland_prepare_poll()) return;
    fds[nfds++] = pollfd{wayland_fd(), POLLIN, 0};
  }
  bool sdl_fd_known = false;
  for (plat::Handle h : window_handles()) {
    Window* w = window(h);
    if (w && w->sdl) {
      if (L().sdl_fd < 0) L().sdl_fd = x_sdl_fd(w->sdl);
      if (L().sdl_fd >= 0) {
        fds[nfds++] = pollfd{L().sdl_fd, POLLIN, 0};
        sdl_fd_known = true;
      }
      break;
    }
  }
  // Without SDL's descriptor, look at its events now and then.
  if (sdl_started() && !sdl_fd_known && (timeout_ms < 0 || timeout_ms > 50)) timeout_ms = 50;
  const int ready = ::poll(fds.data(), nfds, timeout_ms);
  if (wl) wayland_after_poll(ready > 0 && (fds[wl_index].revents & (POLLIN | POLLHUP | POLLERR)) != 0);
  if (g_signal_pipe[0] >= 0) {
    char buf[16];
    while (::read(g_signal_pipe[0], buf, sizeof buf) > 0) {
    }
  }
}

[[noreturn]] void render_loop() {
  const int target = linuxplat::options().frames;
  if (!saver_window()) {
    std::fprintf(stderr, "zelkin-wumpets: --render: the saver window was never opened\n");
    std::_Exit(1);
  }
  // A frame timer that never ticks (speed 0) leaves the picture as set up; give up after a
  // virtual hour without a frame.
  long long last_frame_time = L().virtual_now;
  while (L().frame_ticks < target) {
    const plat::Handle h = next_timer();
    if (h == 0) break;
    L().virtual_now = timer(h)->due;
    const int before = L().frame_ticks;
    fire(h, L().virtual_now);
    if (L().frame_ticks != before) last_frame_time = L().virtual_now;
    if (L().virtual_now - last_frame_time > 3600LL * 1000000000LL) break;
    if (!saver_window()) {
      std::fprintf(stderr, "zelkin-wumpets: --render: the saver closed before frame %d\n", L().frame_ticks + 1);
      std::_Exit(1);
    }
  }
  if (L().frame_ticks < target)
    std::fprintf(stderr, "zelkin-wumpets: --render: the frame timer stopped after %d frames\n", L().frame_ticks);
  render_finish();
}

}  // namespace

long long now_ns() {
  if (rendering()) return L().virtual_now;
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

int frame_ticks() { return L().frame_ticks; }

void note_refresh(plat::Handle) {
  if (L().in_tick) L().refreshed = true;
}

}  // namespace linuxvideo

namespace plat {

Handle timer_create(TimerEvents* events) {
  linuxvideo::L().timers.push_back(linuxvideo::Timer{events, 0, false, 0});
  return static_cast<Handle>(linuxvideo::L().timers.size());
}

void timer_set_interval(Handle timer, int ms) {
  linuxvideo::Timer* t = linuxvideo::timer(timer);
  if (!t) return;
  t->interval = ms > 0 && ms < kTimerFloorMs ? kTimerFloorMs : ms;
  t->due = linuxvideo::now_ns() + static_cast<long long>(t->interval) * 1000000;
}

void timer_enable(Handle timer, bool enabled) {
  linuxvideo::Timer* t = linuxvideo::timer(timer);
  if (!t) return;
  if (enabled && !t->enabled) t->due = linuxvideo::now_ns() + static_cast<long long>(t->interval) * 1000000;
  t->enabled = enabled;
}

bool timer_enabled(Handle timer) {
  linuxvideo::Timer* t = linuxvideo::timer(timer);
  return t && t->enabled;
}

void run_event_loop() {
  using namespace linuxvideo;
  if (rendering()) render_loop();
  if (const char* hold = std::getenv("WUMPETS_HOLD_AFTER_FRAMES")) L().hold_after = std::atoi(hold);
  install_signals();
  for (;;) {
    if (g_close_requested) {
      g_close_requested = 0;
      close_all();
    }
    const long long now = now_ns();
    for (plat::Handle h = next_timer(); h && !holding() && timer(h)->due <= now; h = next_timer()) fire(h, now);
    pump();
    // The songs start once the saver's first frame is up: reading the soundfont must not hold
    // back the first picture.
    if (L().frame_ticks > 0 || !saver_window()) linuxplat::music::idle();
    if (!L().settled && L().frame_ticks > 0) {
      // Set-up decoded files and made screen-sized copies that are gone now; give the freed
      // heap back, so that the process keeps only what the picture needs.
      L().settled = true;
      memdc::forget_decoded();
      ::malloc_trim(0);
    }
    if (window_handles().empty() && next_timer() == 0 && !linuxplat::dialogs_active()) plat::end_process();

    int timeout_ms = -1;
    if (plat::Handle h = next_timer(); h && !holding()) {
      const long long left = timer(h)->due - now_ns();
      timeout_ms = left <= 0 ? 0 : static_cast<int>((left + 999999) / 1000000);
    }
    if (linuxplat::dialogs_active()) {
      // The dialogs wait for their own events; the saver's input and timers are looked at
      // at least ten times a second meanwhile.
      const double cap = 0.1;
      linuxplat::dialogs_wait(timeout_ms < 0 ? cap : std::min(cap, timeout_ms / 1000.0));
      continue;
    }
    if (timeout_ms != 0) wait_for_events(timeout_ms);
  }
}

}  // namespace plat
