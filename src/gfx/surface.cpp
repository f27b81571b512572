#include "gfx/surface.h"

#include "errors/handler.h"
#include "startup/starter.h"

namespace wumpets {

namespace {
// A memory DC can fail to come while the system is short of resources. Retry for a while, then
// report it rather than hang the saver.
constexpr int kCreateAttempts = 1000;
}  // namespace

plat::Handle GenerateDC(Starter& st, const std::string& path) {
  plat::Handle result = 0;
  plat::Handle dc = 0;
  const bool done = guarded(st, "System/GenerateDC", [&] {
    for (int attempt = 0; attempt < kCreateAttempts && dc <= 0; ++attempt) dc = plat::create_dc();
    if (dc <= 0) raise_error(kOverflow);
    plat::Handle bitmap = plat::load_bitmap(path);
    plat::select_bitmap(dc, bitmap);
    result = dc;
    plat::delete_bitmap(bitmap);
  });
  if (!done && dc > 0 && result == 0) plat::delete_dc(dc);  // e.g. out of memory: no stray DC
  return result;
}

int sys_deleteDC(Starter& st, plat::Handle handle) {
  int result = 0;
  guarded(st, "Starter/sys_deleteDC", [&] {
    if (handle > 0) result = plat::delete_dc(handle);
  });
  return result;
}

}  // namespace wumpets
