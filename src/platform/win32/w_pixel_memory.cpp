// Memory for pictures kept outside GDI (the headless back end's files on Windows, the text
// label): the C runtime's, zeroed. Screen-sized pictures on Windows are DIB sections.
#include <cstdlib>

#include "platform/common/pixels.h"

namespace wumpets {

void* pixel_memory(std::size_t bytes) { return std::calloc(bytes ? bytes : 1, 1); }

void free_pixel_memory(void* p, std::size_t) { std::free(p); }

}  // namespace wumpets
