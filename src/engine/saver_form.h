// The saver window's own state: the frame counter, the conga line's ends, the music replies,
// and the platform objects of the window (its handle, timers and message label).
#pragma once

#include <string>

#include "platform/platform.h"
#include "runtime/numbers.h"

namespace wumpets {

struct Starter;

struct SaverForm {
  plat::Handle window = 0;
  plat::Handle maintimer = 0;
  plat::Handle musictimer = 0;
  plat::Handle screenlabel = 0;

  Integer framecounter = 0;  // 0..999
  Integer congafirst = 0;    // lowest switched-on dancer slot in conga mode
  Integer congalast = 0;     // highest
  std::string mcireturn;     // reply text of the last music command
  Long mciresult = 0;        // result of the last music command; 0 = success
};

// The saver window's handle, or 0 when the saver form is not loaded.
plat::Handle saver_window(const Starter& st);

}  // namespace wumpets
