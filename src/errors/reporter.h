// The error reporter: every labelled procedure that meets a run-time error hands its label here.
// The code shown to the user is "Error Code: ZW-", the number, "-", the last progress mark, a
// blank and the label. The error dialog keeps the program alive until it is closed; closing it
// runs the shutdown.
#pragma once

#include <string>

#include "platform/platform.h"

namespace wumpets {

struct Starter;

// The error code text, e.g. "Error Code: ZW- 6- Starter/X_GetData".
std::string error_code(int number, const std::string& progressmark, const std::string& label);

void sys_ReportError(Starter& st, const std::string& label, int number);

// The error dialog's behaviour; its window is the platform's.
struct BugReportForm final : plat::ErrorDialogEvents {
  explicit BugReportForm(Starter* owner) : st(owner) {}
  void on_report_bug() override;  // opens the bug-report page
  void on_close() override;       // runs the shutdown
  Starter* st;
  std::string title = "Error Code:";
  int reports = 0;
};

// The maker's web site (our own pages shipped with the program) and its pages.
std::string site_page(const std::string& path);

}  // namespace wumpets
