// The error reporter: every labelled procedure that meets a run-time error hands its label here.
// The code shown to the user is "Error Code: ZW-", the number, "-", the last progress mark, a
// blank and the label. The error dialog keeps the program alive until it is closed; closing it
// runs the shutdown.
#pragma once

#include <string>

#include "dialogs/keyboard.h"
#include "dialogs/layouts.h"
#include "platform/dialogs.h"

namespace wumpets {

struct Starter;

// The error code text, e.g. "Error Code: ZW- 6- Starter/X_GetData".
std::string error_code(int number, const std::string& progressmark, const std::string& label);

void sys_ReportError(Starter& st, const std::string& label, int number);

// The error dialog: modeless, on top and centred; loaded by the first report, its title
// replaced by each later one. "Report This Bug Now" opens the bug-report page; closing it runs
// the shutdown.
struct BugReportForm final : plat::DialogEvents, KeyTarget {
  explicit BugReportForm(Starter* owner) : st(owner) {}
  // Loads the dialog, centred and on top, the first time; false when no dialog can be shown.
  bool load();
  // Logs the code and shows it in the dialog (where there is one).
  void show(const std::string& code);
  void on_control(plat::Handle dialog, int control, int value, const std::string& text) override;
  void on_close_request(plat::Handle dialog) override;
  bool on_key(plat::Handle dialog, const plat::KeyEvent& key) override;
  void on_focus(plat::Handle dialog, int control) override;
  bool key_open() const override { return visible; }
  Starter* st;
  plat::Handle dialog = 0;
  bool visible = false;
  std::string title = "Error Code:";
  int reports = 0;
  DialogKeys keys{bugreport_layout(), -1};
};

// The maker's web site (our own pages shipped with the program) and its pages.
std::string site_page(const std::string& path);

}  // namespace wumpets
