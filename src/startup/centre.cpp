// Window centring: the dialogs place themselves in the middle of the primary screen (the task
// bar is not taken into account). All four quantities are in twips; the platform rounds the
// position to whole pixels when it moves the window.
#include "errors/handler.h"
#include "startup/starter.h"

namespace wumpets {

namespace {

void centre(FormGeometry& form) {
  const plat::ScreenMetrics m = plat::screen_metrics();
  const float left = static_cast<float>(m.width_twips) / 2.0f - form.width / 2.0f;
  const float top = static_cast<float>(m.height_twips) / 2.0f - form.height / 2.0f;
  form.left = left;
  form.top = top;
}

}  // namespace

void CenterForm(Starter& st, FormGeometry& form) { guarded(st, "System/CenterForm", [&] { centre(form); }); }

void sys_centreform(Starter& st, FormGeometry& form) {
  guarded(st, "Starter/sys_centreform", [&] { centre(form); });
}

}  // namespace wumpets
