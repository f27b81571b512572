// Modes whose windows are not built yet. Each says so plainly and ends; the real procedure
// replaces its entry here when it lands.
#include <cstdio>

#include "dialogs/configuration.h"
#include "startup/starter.h"

namespace wumpets {

namespace {
[[noreturn, maybe_unused]] void not_yet(const char* what) {
  std::fprintf(stderr, "zelkin-wumpets: %s is not available yet in this build.\n", what);
  plat::end_process();
}
}  // namespace


}  // namespace wumpets
