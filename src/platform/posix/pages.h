// Fresh pages cost a fault each, several microseconds on a virtual machine: a picture's pages
// are better made present in one call (pixel_memory.cpp). For the back ends on POSIX systems.
#pragma once

#include <cstddef>

namespace wumpets {

// Makes the pages that hold [p, p + bytes) present and writable, without changing what they
// hold. A kernel without the call leaves them to faults.
void make_present(void* p, std::size_t bytes);

}  // namespace wumpets
