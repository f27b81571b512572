// Pixel buffers and the blit with its three raster operations, for back ends that keep their
// own images (Linux, headless). Pixels are 32-bit 0x00RRGGBB; the raster operations act on those
// bits exactly as the AND / OR drawing of masks and pictures needs.
//
// Every frame copies the whole background into the back buffer and the whole back buffer into
// the window, yet only the places where sprites were drawn differ from one frame to the next.
// So a buffer remembers which rectangles changed lately, and one that was made a copy of another
// by a full SRCCOPY remembers that too: the next such copy moves only the rectangles that either
// side changed since. The result is the same picture as a full copy, at a fraction of the cost.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>
#include <vector>

namespace wumpets {

enum class Rop { Copy, And, Paint };

// Zeroed memory for pixels, given by the back end; nullptr when there is none. A back end may
// make a large picture's pages present at once: each fresh page costs a fault.
void* pixel_memory(std::size_t bytes);
void free_pixel_memory(void* p, std::size_t bytes);
// pixel_memory() through a count of the calls: a running saver makes no new pictures.
void* take_pixel_memory(std::size_t bytes);
std::size_t pixel_memory_taken();

// Pixels come zeroed from pixel_memory(), so a new buffer is black without being written once.
template <class T>
struct PixelAllocator {
  using value_type = T;
  PixelAllocator() = default;
  template <class U>
  PixelAllocator(const PixelAllocator<U>&) noexcept {}
  T* allocate(std::size_t n) {
    void* p = take_pixel_memory(n * sizeof(T));
    if (!p) throw std::bad_alloc();
    return static_cast<T*>(p);
  }
  void deallocate(T* p, std::size_t n) noexcept { free_pixel_memory(p, n * sizeof(T)); }
  template <class U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;  // left as it came: zero
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
  friend bool operator==(const PixelAllocator&, const PixelAllocator&) { return true; }
};

struct PixelBuffer {
  int width = 0;
  int height = 0;
  int stride = 0;  // pixels from one row to the next

  PixelBuffer() = default;
  PixelBuffer(int w, int h)
      : width(w), height(h), stride(w), storage_(static_cast<std::size_t>(w) * h), data_(storage_.data()) {
    forget_history();
  }
  // A view of pixels someone else owns (a window surface); they must outlive the view.
  static PixelBuffer borrowed(std::uint32_t* pixels, int w, int h, int stride_pixels);

  PixelBuffer(const PixelBuffer& o) { *this = o; }
  PixelBuffer(PixelBuffer&& o) noexcept { *this = std::move(o); }
  PixelBuffer& operator=(const PixelBuffer& o);
  PixelBuffer& operator=(PixelBuffer&& o) noexcept;

  std::uint32_t* row(int y) { return data_ + static_cast<std::size_t>(y) * stride; }
  const std::uint32_t* row(int y) const { return data_ + static_cast<std::size_t>(y) * stride; }
  std::uint32_t at(int x, int y) const { return row(y)[x]; }
  bool owns_pixels() const { return data_ == storage_.data(); }
  // Grows to at least w x h, keeping the picture at the top left; new pixels are black.
  void grow(int w, int h);
  // Whoever writes pixels through row() after the buffer is first filled says where.
  void touch(int x, int y, int w, int h);

  // The rectangles changed after `since` (a version() taken earlier). False when they do not
  // fit in `out` or part of that history was already dropped: then take it all as changed.
  struct Area {
    int x, y, w, h;
  };
  bool changes_after(std::uint64_t since, Area* out, std::size_t capacity, std::size_t& n) const;
  std::uint64_t version() const { return version_; }
  std::uint64_t identity() const { return identity_; }  // a new one whenever the pixels are replaced

  // Bookkeeping of changes, for the blit (see above).
  struct Change {
    int x, y, w, h;
    std::uint64_t version;
  };
  struct Mirror {
    std::uint64_t source = 0;  // identity of the buffer this one was last made a full copy of
    int x = 0, y = 0, w = 0, h = 0, sx = 0, sy = 0;
    std::uint64_t source_version = 0, own_version = 0;
  };
  static constexpr std::size_t kChanges = 256;
  std::uint64_t identity_ = 0;
  std::uint64_t version_ = 0;
  std::uint64_t logged_ = 0;  // changes logged so far; the last kChanges are kept
  std::array<Change, kChanges> changes_{};
  Mirror mirror_;
  void note_change(int x, int y, int w, int h);

 private:

  void forget_history();  // a new identity: nothing may rely on the old picture

  std::vector<std::uint32_t, PixelAllocator<std::uint32_t>> storage_;
  std::uint32_t* data_ = nullptr;
};

Rop rop_from_code(std::uint32_t code);  // the GDI codes; anything else copies

// Joins rectangles that overlap so much that the box around two of them holds no more pixels
// than the two apart: a sprite's old and new places become one copy (and one rectangle sent to
// the screen) instead of two that move the shared pixels twice. Returns the new count; the
// rectangles cover at least what they covered.
std::size_t coalesce(PixelBuffer::Area* areas, std::size_t n);

// Copies w x h from (sx, sy) of src to (x, y) of dst with the raster operation. The rectangle is
// clipped to dst; source pixels outside src (or a missing src) count as black. A copy of a
// buffer onto the same place of itself changes nothing and costs nothing.
void blit(PixelBuffer& dst, int x, int y, int w, int h, const PixelBuffer* src, int sx, int sy, Rop rop);

// A picture that is one small cell repeated from its top left corner: a tiled background, or a
// picture of one colour (a 1 x 1 cell). Only the cell is kept, never the screen-sized picture;
// it never changes once made, so a full copy from it is remembered like one from a buffer.
struct Pattern {
  int width = 0, height = 0;  // the whole picture
  PixelBuffer cell;           // repeated every cell.width x cell.height pixels
  std::uint64_t identity = 0;

  Pattern() = default;
  Pattern(int w, int h, PixelBuffer repeated);
  // The picture a w x h buffer holds after copying the tw x th top left corner of tile to every
  // (c * tw, r * th) for c * tw <= cover_w, r * th <= cover_h, over what it held: a pattern only
  // when those copies reach every pixel (false: make the copies instead).
  static bool tiled(int w, int h, const PixelBuffer& tile, int tw, int th, int cover_w, int cover_h, Pattern& out);
  bool one_colour(std::uint32_t colour) const;  // every pixel is that colour
  PixelBuffer pixels() const;                    // the whole picture, made out
};
void blit(PixelBuffer& dst, int x, int y, int w, int h, const Pattern& src, int sx, int sy, Rop rop);

// A sprite over what is there: the mask ANDed, then the picture ORed, at the same place of dst,
// in one pass (the same pixels as blit(And mask) followed by blit(Paint src)).
void blit_masked(PixelBuffer& dst, int x, int y, int w, int h, const PixelBuffer* mask, int mx, int my,
                 const PixelBuffer* src, int sx, int sy);

// The same without any bookkeeping: the reference the tests compare against.
void blit_plain(PixelBuffer& dst, int x, int y, int w, int h, const PixelBuffer* src, int sx, int sy, Rop rop);

}  // namespace wumpets
