// Memory for pictures on Linux. Every page new to the process costs a fault, and on a virtual
// machine a fault can take several microseconds: the sprite sheets alone are some 1,500 pages.
// A picture's pages are therefore made present in one call when it is made, which takes about
// half the time of faulting them in one by one as the decoder writes.
//
// (Large pages would make that ten times faster still, but on a virtual machine that shadows
// the guest's page tables they made every frame's blits up to half again as slow.)
#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

#include "platform/common/pixels.h"

namespace wumpets {

namespace {

constexpr std::size_t kPage = 4096;
constexpr std::size_t kWorthACall = 64 * 1024;  // below this, a few faults cost less than a call

void populate(void* p, std::size_t bytes) {
#ifdef MADV_POPULATE_WRITE
  const auto first = (reinterpret_cast<std::uintptr_t>(p) + kPage - 1) & ~(kPage - 1);
  const auto end = (reinterpret_cast<std::uintptr_t>(p) + bytes) & ~(kPage - 1);
  // A kernel without it says so and leaves the pages to faults.
  if (end > first) ::madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE);
#else
  (void)p, (void)bytes;
#endif
}

}  // namespace

void* pixel_memory(std::size_t bytes) {
  void* p = std::calloc(bytes ? bytes : 1, 1);
  if (p && bytes >= kWorthACall) populate(p, bytes);
  return p;
}

void free_pixel_memory(void* p, std::size_t) { std::free(p); }

}  // namespace wumpets
