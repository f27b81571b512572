// Memory for pictures on Linux. Every page new to the process costs a fault, and on a virtual
// machine a fault can take several microseconds: the sprite sheets alone are some 1,500 pages,
// a 1920x1080 picture 2,025. Pictures are therefore kept in memory marked for large pages, which
// the kernel fills 2 MB at a time:
// - a picture of a large page or more is mapped on its own, starting on a large-page boundary
//   (the part past its last whole large page stays in small pages: rounding it up would add up
//   to 2 MB to the resident size of every such picture);
// - smaller ones (the sheets) are cut one after another from one region. What is freed on top
//   of it is taken back, and whole large pages no longer used are given back to the system;
//   once the set-up is over, so is the unused part of the last one.
#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/common/pixels.h"

namespace wumpets {

namespace {

constexpr std::size_t kLargePage = std::size_t{2} << 20;
constexpr std::size_t kPage = 4096;
constexpr std::size_t kSmallest = 64 * 1024;    // below this, the C library's heap serves as well
constexpr std::size_t kRegion = std::size_t{64} << 20;  // reserved address space, not memory

std::size_t round_up(std::size_t n, std::size_t to) { return (n + to - 1) & ~(to - 1); }

// Maps `size` bytes starting on a large-page boundary.
char* map_aligned(std::size_t size, int flags) {
  void* m = ::mmap(nullptr, size + kLargePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | flags, -1, 0);
  if (m == MAP_FAILED) return nullptr;
  const auto first = reinterpret_cast<std::uintptr_t>(m);
  const std::uintptr_t start = round_up(first, kLargePage);
  if (start > first) ::munmap(m, start - first);
  const std::uintptr_t end = first + size + kLargePage;
  if (end > start + size) ::munmap(reinterpret_cast<void*>(start + size), end - (start + size));
#ifdef MADV_HUGEPAGE
  ::madvise(reinterpret_cast<void*>(start), size, MADV_HUGEPAGE);  // a hint: without it, small pages
#endif
  return reinterpret_cast<char*>(start);
}

// The region the smaller pictures are cut from. Pictures are freed mostly in the reverse order
// of their making; one freed below the top waits in `holes` until everything above it is gone.
struct Region {
  char* base = nullptr;
  bool tried = false;
  std::size_t top = 0;    // bytes in use from base
  std::size_t clean = 0;  // from here on the memory has never been handed out, or was given back: zero
  struct Hole {
    std::size_t at = 0, size = 0;
  };
  std::array<Hole, 64> holes{};
  std::size_t hole_count = 0;
};

Region& R() {
  static Region r;
  return r;
}

void* region_take(std::size_t bytes) {
  Region& r = R();
  if (!r.tried) {
    r.tried = true;
    r.base = map_aligned(kRegion, MAP_NORESERVE);
  }
  const std::size_t size = round_up(bytes, 64);
  if (!r.base || size > kRegion - r.top) return nullptr;
  char* p = r.base + r.top;
  if (r.top < r.clean) std::memset(p, 0, std::min(size, r.clean - r.top));
  r.top += size;
  r.clean = std::max(r.clean, r.top);
  return p;
}

bool in_region(const void* p) {
  const Region& r = R();
  return r.base && p >= r.base && p < r.base + kRegion;
}

void region_give(void* p, std::size_t bytes) {
  Region& r = R();
  const std::size_t at = static_cast<std::size_t>(static_cast<char*>(p) - r.base);
  const std::size_t size = round_up(bytes, 64);
  if (at + size != r.top) {
    if (r.hole_count < r.holes.size()) r.holes[r.hole_count++] = Region::Hole{at, size};
    return;  // with no room to remember it, the space stays taken
  }
  r.top = at;
  // Holes now on top go too.
  for (bool found = true; found;) {
    found = false;
    for (std::size_t i = 0; i < r.hole_count; ++i) {
      if (r.holes[i].at + r.holes[i].size != r.top) continue;
      r.top = r.holes[i].at;
      r.holes[i] = r.holes[--r.hole_count];
      found = true;
      break;
    }
  }
  const std::size_t unused = round_up(r.top, kLargePage);
  if (r.clean > unused) {
    ::madvise(r.base + unused, r.clean - unused, MADV_DONTNEED);
    r.clean = unused;
  }
}

}  // namespace

void trim_pixel_memory() {
  Region& r = R();
  if (!r.base) return;
  // The large page on top is only partly used, but the whole of it is resident: its free part
  // goes back in small pages. The bytes before the next small page stay, cleared if used.
  const std::size_t from = round_up(r.top, kPage), end = round_up(std::max(r.top, r.clean), kLargePage);
  if (end > from) ::madvise(r.base + from, end - from, MADV_DONTNEED);
  if (r.clean > r.top) std::memset(r.base + r.top, 0, std::min(r.clean, from) - r.top);
  r.clean = r.top;
}

void* pixel_memory(std::size_t bytes) {
  if (bytes >= kLargePage) return map_aligned(round_up(bytes, kPage), 0);
  if (bytes >= kSmallest)
    if (void* p = region_take(bytes)) return p;
  return std::calloc(bytes ? bytes : 1, 1);
}

void free_pixel_memory(void* p, std::size_t bytes) {
  if (!p) return;
  if (bytes >= kLargePage)
    ::munmap(p, round_up(bytes, kPage));
  else if (in_region(p))
    region_give(p, bytes);
  else
    std::free(p);
}

}  // namespace wumpets
