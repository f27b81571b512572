// Memory for pictures on Linux. Every page new to the process costs a fault, and on a virtual
// machine a fault can take several microseconds: the sprite sheets alone are some 1,500 pages.
// A picture's pages are therefore made present in one call when it is made, which takes about
// half the time of faulting them in one by one as the decoder writes.
//
// (Large pages would make that ten times faster still, but on a virtual machine that shadows
// the guest's page tables they made every frame's blits up to half again as slow.)
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

#include "platform/common/pixels.h"
#include "platform/posix/pages.h"

namespace wumpets {

namespace {

constexpr std::size_t kWorthACall = 64 * 1024;  // below this, a few faults cost less than a call

}  // namespace

void make_present(void* p, std::size_t bytes) {
#ifdef MADV_POPULATE_WRITE
  const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const auto from = reinterpret_cast<std::uintptr_t>(p) / page * page;
  const auto to = reinterpret_cast<std::uintptr_t>(p) + bytes;
  if (p && bytes > 0) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE);
#else
  (void)p, (void)bytes;
#endif
}

void* pixel_memory(std::size_t bytes) {
  void* p = std::calloc(bytes ? bytes : 1, 1);
  if (p && bytes >= kWorthACall) make_present(p, bytes);
  return p;
}

void free_pixel_memory(void* p, std::size_t) { std::free(p); }

}  // namespace wumpets
