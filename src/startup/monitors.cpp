// The saver on several monitors. The primary monitor runs the saver as it always has; each other
// monitor gets a scene of its own in the same process, so that no part of the desktop shows:
// the same settings, its own random draws, its own window and frame timer, and no music (the
// songs play once, from the primary scene). Input on any window ends them all through the
// primary window's unload and the one shutdown.
#include "engine/saver_form.h"
#include "errors/handler.h"
#include "gfx/images.h"
#include "startup/starter.h"

namespace wumpets {

void start_other_monitors(Starter& st) {
  guarded(st, "Starter/Run_ScreenSaver", [&] {
    const int count = plat::monitor_count();
    for (int m = 1; m < count; ++m) {
      auto other = std::make_unique<Starter>();
      Starter& o = *other;
      o.lead = &st;
      o.monitor = m;
      o.cmdline = st.cmdline;
      o.cmdswitch = st.cmdswitch;
      o.rng = st.rng;
      o.rng.set_stream(static_cast<std::uint64_t>(m));
      o.overrides = st.overrides;
      X_GetData(o);
      for (int n = 0; n <= 5; ++n) o.scene.musicchoice(n) = kFalse;
      o.runmode = kModeSaver;
      o.winversion = st.winversion;
      o.usepassword = st.usepassword;
      X_Loadpics4screensaver(o);
      st.others.push_back(std::move(other));
      load_saver_form(o);
    }
  });
}

}  // namespace wumpets
