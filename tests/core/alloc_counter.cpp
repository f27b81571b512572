// Counts every allocation of the test program, so a test can prove that a stretch of code
// allocates nothing.
#include <cstdlib>
#include <new>

#include "alloc_counter.h"
#include "platform/common/pixels.h"

namespace {
std::size_t g_allocations = 0;
}

// Pictures take their memory from the back end, not through operator new: they count too.
std::size_t allocations() { return g_allocations + wumpets::pixel_memory_taken(); }

void* operator new(std::size_t n) {
  ++g_allocations;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
// The no-throw forms too (std::stable_sort asks for its buffer so): every form that the
// deletes above free must come from malloc.
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  ++g_allocations;
  return std::malloc(n ? n : 1);
}
void* operator new[](std::size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
