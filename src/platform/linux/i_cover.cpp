// The full-screen saver covers the whole screen, as a locker does: its windows stay above
// panels and docks whatever the window manager thinks of them, and a black backdrop fills
// what lies outside every monitor (a root larger than its monitors leaves such holes).
#include "platform/linux/i_video.h"
#include "platform/linux/linux_platform.h"

namespace linuxvideo {

bool full_screen_saver(const Window& w) {
  return w.loaded && w.kind == plat::WindowKind::Saver && w.sdl && !w.foreign && !linuxplat::options().window;
}

void cover_before_show(Window& w) {
  if (!full_screen_saver(w)) return;
  // An error dialog open before the saver showed must stay in reach: the window manager keeps
  // it above the saver then, so the saver stays one of its windows.
  x_make_locker(w.sdl, !linuxplat::dialogs_active());
}

void cover_gone(const Window& w) {
  if (w.sdl && !w.foreign) x_make_locker(w.sdl, false);
}

void covers_update() {
  bool shown = false;
  for (plat::Handle h : window_handles()) {
    const Window* w = window(h);
    if (w && w->visible && full_screen_saver(*w)) shown = true;
  }
  x_backdrop(shown && !linuxplat::dialogs_active());
  if (shown) x_locker_shown();
}

void backdrop_clicked() {
  plat::Handle h = 0;
  Window* w = saver_window(&h);
  if (w && w->visible && w->events) w->events->on_click();
}

}  // namespace linuxvideo
