// "/s": the full-screen saver. Loads the images, hides the cursor, reads the OS family and the
// password flag, takes task switching away when protection is on, and loads the saver window.
#include "engine/saver_form.h"
#include "errors/handler.h"
#include "gfx/images.h"
#include "startup/starter.h"

namespace wumpets {

void Run_ScreenSaver(Starter& st) {
  guarded(st, "Starter/Run_ScreenSaver", [&] {
    st.runmode = kModeSaver;
    plat::begin_saver_mode();
    X_Loadpics4screensaver(st);
    plat::show_cursor(false);
    st.winversion = sys_GetVersion32(st);
    if (st.winversion == "95")
      st.usepassword = sys_GetRegValue(plat::kHkeyCurrentUser, "Control Panel\\Desktop", "ScreenSaveUsePassword");
    sys_SetTFS(st, "disable");
    load_saver_form(st);
    load_other_views(st);
    plat::watch_monitors(&st.monitorwatch);
  });
}

}  // namespace wumpets
