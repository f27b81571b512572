// The error dialog and the password switch on Linux. The error code always goes to standard
// error too, where a terminal or xscreensaver's log shows it.
#include <cstdio>
#include <cstdlib>

#include "dialogs/layouts.h"
#include "errors/reporter.h"
#include "platform/dialogs.h"
#include "platform/linux/linux_platform.h"
#include "platform/platform.h"
#include "startup/starter.h"

namespace {

bool have_display() {
  const char* display = std::getenv("DISPLAY");
  return display && *display;
}

// `BugReportForm`'s window: its button and its closing go back to the core.
struct ErrorWindow final : plat::DialogEvents {
  plat::Handle dialog = 0;
  plat::ErrorDialogEvents* events = nullptr;

  void load() {
    dialog = plat::dialog_create(wumpets::bugreport_layout(), this);
    // Centred by the core's own procedure, which reports under the error dialog's label.
    wumpets::FormGeometry form;
    plat::dialog_outer_size(dialog, form.width, form.height);
    if (auto* owner = dynamic_cast<wumpets::BugReportForm*>(events); owner && owner->st) {
      wumpets::CenterForm(*owner->st, form);
    } else {
      const plat::ScreenMetrics m = plat::screen_metrics();
      form.left = static_cast<float>(m.width_twips) / 2.0f - form.width / 2.0f;
      form.top = static_cast<float>(m.height_twips) / 2.0f - form.height / 2.0f;
    }
    plat::dialog_move(dialog, form.left, form.top);
    plat::dialog_set_topmost(dialog, true);
  }

  void on_control(plat::Handle, int control, int, const std::string&) override {
    if (control == wumpets::bug::Command1 && events) events->on_report_bug();
  }
  void on_close_request(plat::Handle) override {
    plat::dialog_hide(dialog);
    if (events) events->on_close();
  }
};

ErrorWindow g_error;
bool g_error_visible = false;

}  // namespace

namespace plat {

void error_dialog_show(const std::string& code, ErrorDialogEvents* events) {
  std::fprintf(stderr, "zelkin-wumpets: %s\n", code.c_str());
  std::fflush(stderr);
  if (!have_display()) return;
  g_error.events = events;
  if (g_error.dialog == 0) g_error.load();
  // A later report only replaces the title; the dialog stays where it is.
  dialog_set_caption(g_error.dialog, code);
  if (!g_error_visible) {
    dialog_show(g_error.dialog);
    g_error_visible = true;
  }
}

void change_saver_password(std::int32_t) {
  message_box("Zelkin Wumpets",
              "On this desktop the screen locker owns the password.\n"
              "Set or change it in your desktop's screen-lock settings.");
}

}  // namespace plat
