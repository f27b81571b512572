// The saver on several monitors. The primary monitor's view was loaded first, as the saver
// always has been; each other monitor gets a view of the same saver, so that no part of the
// desktop shows: the same settings and sprite sheets, a back buffer and background of its own
// size, its own window, frame timer and random draws, and no music (the songs play once, from
// the primary view). Input on any view ends the saver through the primary window's unload.
// A monitor plugged in while the saver runs gets a view the same way; one unplugged keeps its
// view, which stops drawing.
#include "engine/saver_form.h"
#include "errors/handler.h"
#include "gfx/images.h"
#include "startup/starter.h"

namespace wumpets {

void load_other_views(Starter& st) {
  guarded(st, "Starter/Run_ScreenSaver", [&] {
    const int count = std::min(plat::monitor_count(), plat::kMaxMonitors);
    for (int v = st.viewcount + 1; v <= count; ++v) {
      SaverView& view = st.views(v);
      view.scene = st.scene;  // settings and the shared sheets; buffers of its own below
      view.scene.bufferdc = view.scene.backdc = view.scene.backtiledc = 0;
      for (int n = 0; n <= 5; ++n) view.scene.musicchoice(n) = kFalse;
      view.rng = st.rng;
      view.rng.set_stream(static_cast<std::uint64_t>(v - 1));
      const plat::Size size = plat::monitor_size(v - 1);
      load_view_buffers(st, view.scene, size.width, size.height);
      st.viewcount = v;
      load_saver_view(st, v);
    }
  });
}

void MonitorWatch::on_monitor_added(int) {
  if (st->runmode == kModeSaver && st->saver) load_other_views(*st);
}

void MonitorWatch::on_monitor_removed(int monitor) {
  if (st->runmode != kModeSaver || !st->saver) return;
  const int v = monitor + 1;
  if (v < 1 || v > st->viewcount) return;
  SaverForm* form = v == 1 ? st->saver : st->views(v).form.get();
  if (!form) return;
  plat::timer_enable(form->maintimer, false);  // the music timer of view 1 plays on
  plat::window_hide(form->window);
}

}  // namespace wumpets
