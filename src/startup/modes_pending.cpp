// Modes whose windows are not built yet. Each says so plainly and ends; the real procedure
// replaces its entry here when it lands.
#include <cstdio>

#include "dialogs/configuration.h"
#include "startup/starter.h"

namespace wumpets {

namespace {
[[noreturn]] void not_yet(const char* what) {
  std::fprintf(stderr, "zelkin-wumpets: %s is not available yet in this build.\n", what);
  plat::end_process();
}
}  // namespace

void load_configuration(Starter&) { not_yet("the settings dialog (/c)"); }
void Run_ScreenSaver(Starter& st) {
  st.runmode = kModeSaver;
  not_yet("the saver (/s)");
}
void Run_Preview(Starter& st) {
  st.runmode = kModePreview;
  not_yet("the preview (/p)");
}

}  // namespace wumpets
