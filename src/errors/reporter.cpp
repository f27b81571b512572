#include "errors/reporter.h"

#include "dialogs/layouts.h"
#include "engine/saver_form.h"
#include "startup/starter.h"

namespace wumpets {

std::string error_code(int number, const std::string& progressmark, const std::string& label) {
  // A negative number brings its own minus sign; others get a blank in its place.
  std::string num = number < 0 ? std::to_string(number) : " " + std::to_string(number);
  return "Error Code: ZW-" + num + "-" + progressmark + " " + label;
}

void sys_ReportError(Starter& st, const std::string& label, int number) {
  // The views step out of the way of the dialog, and only of a dialog: where none can be shown
  // the code on the error log is the whole report, and the saver stays in sight rather than
  // running on hidden, where nobody could see or end it.
  if (st.runmode == kModeSaver && st.bugreport.load()) {
    plat::show_cursor(true);
    // Every view steps out of the way (a hidden window holds no grab): the dialog takes clicks.
    for (int v = 1; v <= st.viewcount; ++v) {
      const plat::Handle wnd = view_window(st, v);
      if (wnd <= 0) continue;
      plat::window_set_topmost(wnd, false);
      if (v == 1) plat::window_move(wnd, 0, 0);
      plat::window_hide(wnd);
    }
  }
  ++st.bugreport.reports;
  st.bugreport.show(error_code(number, st.progressmark, label));
}

bool BugReportForm::load() {
  if (dialog == 0) {
    dialog = plat::dialog_create(bugreport_layout(), this);
    if (dialog == 0) return false;
    FormGeometry form;
    plat::dialog_outer_size(dialog, form.width, form.height);
    CenterForm(*st, form);
    plat::dialog_move(dialog, form.left, form.top);
    plat::dialog_set_topmost(dialog, true);
  }
  return true;
}

void BugReportForm::show(const std::string& code) {
  title = code;
  plat::log_error(code);
  if (!load()) return;
  // A later report only replaces the title; the dialog stays where it is.
  plat::dialog_set_caption(dialog, code);
  if (!visible) {
    plat::dialog_show(dialog);
    visible = true;
    keys.set_focus(dialog, bug::Command1);
  }
}

void BugReportForm::on_control(plat::Handle, int control, int, const std::string&) {
  if (control == bug::Command1) plat::shell_open(site_page("/bugs.htm"));
}

void BugReportForm::on_close_request(plat::Handle) {
  plat::dialog_hide(dialog);
  visible = false;
  X_Cleanup_and_end(*st);
}

bool BugReportForm::on_key(plat::Handle h, const plat::KeyEvent& key) { return keys.key(h, key, *this, *this); }

void BugReportForm::on_focus(plat::Handle, int control) { keys.focus_moved(control); }

std::string site_page(const std::string& path) { return plat::site_address() + path; }

}  // namespace wumpets
