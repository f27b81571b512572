#include "errors/reporter.h"

#include "engine/saver_form.h"
#include "startup/starter.h"

namespace wumpets {

std::string error_code(int number, const std::string& progressmark, const std::string& label) {
  // A negative number brings its own minus sign; others get a blank in its place.
  std::string num = number < 0 ? std::to_string(number) : " " + std::to_string(number);
  return "Error Code: ZW-" + num + "-" + progressmark + " " + label;
}

void sys_ReportError(Starter& st, const std::string& label, int number) {
  if (st.runmode == kModeSaver) {
    plat::show_cursor(true);
    plat::Handle wnd = saver_window(st);
    if (wnd > 0) {
      plat::window_set_topmost(wnd, false);
      plat::window_move(wnd, 0, 0);
      plat::window_hide(wnd);
    }
  }
  st.bugreport.title = error_code(number, st.progressmark, label);
  ++st.bugreport.reports;
  plat::error_dialog_show(st.bugreport.title, &st.bugreport);
}

void BugReportForm::on_report_bug() { plat::shell_open(site_page("/bugs.htm")); }

void BugReportForm::on_close() { X_Cleanup_and_end(*st); }

std::string site_page(const std::string& path) { return plat::site_address() + path; }

}  // namespace wumpets
