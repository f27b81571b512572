// The saver on several monitors. The primary monitor's view was loaded first, as the saver
// always has been; each other monitor gets a view of the same saver, so that no part of the
// desktop shows: the same settings and sprite sheets, a back buffer and background of its own
// size, its own window, frame timer and random draws, and no music (the songs play once, from
// the primary view). Input on any view ends the saver through the primary window's unload.
#include "engine/saver_form.h"
#include "errors/handler.h"
#include "gfx/images.h"
#include "startup/starter.h"

namespace wumpets {

void load_other_views(Starter& st) {
  guarded(st, "Starter/Run_ScreenSaver", [&] {
    const int count = std::min(plat::monitor_count(), plat::kMaxMonitors);
    for (int v = 2; v <= count; ++v) {
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

}  // namespace wumpets
