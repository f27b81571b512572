// Dialogs on Linux. The error code always goes to standard error too, where a terminal or
// xscreensaver's log shows it.
#include <cstdio>

#include "platform/linux/linux_platform.h"
#include "platform/platform.h"

namespace linuxplat {

bool dialogs_active() { return false; }
void dialogs_wait(double) {}

}  // namespace linuxplat

namespace plat {

void error_dialog_show(const std::string& code, ErrorDialogEvents*) {
  std::fprintf(stderr, "zelkin-wumpets: %s\n", code.c_str());
  std::fflush(stderr);
}

void change_saver_password(std::int32_t) {}

}  // namespace plat
