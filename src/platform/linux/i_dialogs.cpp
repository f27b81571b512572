// The error log and the password switch on Linux. Every error code goes to standard error, where
// a terminal or xscreensaver's log shows it, besides the error dialog.
#include <cstdio>

#include "platform/dialogs.h"
#include "platform/platform.h"

namespace plat {

void log_error(const std::string& code) {
  std::fprintf(stderr, "zelkin-wumpets: %s\n", code.c_str());
  std::fflush(stderr);
}

void change_saver_password(std::int32_t) {
  message_box("Zelkin Wumpets",
              "On this desktop the screen locker owns the password.\n"
              "Set or change it in your desktop's screen-lock settings.");
}

}  // namespace plat
