#include "platform/common/pixels.h"

#include <algorithm>
#include <cstring>

namespace wumpets {

namespace {

std::uint64_t new_identity() {
  static std::uint64_t next = 0;
  return ++next;
}

std::size_t g_taken = 0;

}  // namespace

void* take_pixel_memory(std::size_t bytes) {
  ++g_taken;
  return pixel_memory(bytes);
}

std::size_t pixel_memory_taken() { return g_taken; }

PixelBuffer PixelBuffer::borrowed(std::uint32_t* pixels, int w, int h, int stride_pixels) {
  PixelBuffer p;
  p.width = w;
  p.height = h;
  p.stride = stride_pixels;
  p.data_ = pixels;
  p.forget_history();
  return p;
}

PixelBuffer& PixelBuffer::operator=(const PixelBuffer& o) {
  if (this == &o) return *this;
  width = o.width;
  height = o.height;
  stride = o.stride;
  if (o.data_ == o.storage_.data()) {
    storage_ = o.storage_;
    data_ = storage_.data();
  } else {
    storage_.clear();
    data_ = o.data_;
  }
  forget_history();
  return *this;
}

PixelBuffer& PixelBuffer::operator=(PixelBuffer&& o) noexcept {
  if (this == &o) return *this;
  const bool owned = o.data_ == o.storage_.data();
  width = o.width;
  height = o.height;
  stride = o.stride;
  std::uint32_t* borrowed_data = o.data_;
  storage_ = std::move(o.storage_);
  data_ = owned ? storage_.data() : borrowed_data;
  o.width = o.height = o.stride = 0;
  o.storage_.clear();
  o.data_ = o.storage_.data();
  o.forget_history();
  forget_history();
  return *this;
}

void PixelBuffer::grow(int w, int h) {
  if (w <= width && h <= height) return;
  PixelBuffer bigger(std::max(w, width), std::max(h, height));
  for (int y = 0; y < height; ++y) std::memcpy(bigger.row(y), row(y), sizeof(std::uint32_t) * width);
  *this = std::move(bigger);
}

void PixelBuffer::forget_history() {
  identity_ = new_identity();
  version_ = 0;
  logged_ = 0;
  mirror_ = Mirror{};
}

void PixelBuffer::touch(int x, int y, int w, int h) { note_change(x, y, w, h); }

void PixelBuffer::note_change(int x, int y, int w, int h) {
  ++version_;
  if (logged_ > 0) {
    // A mask and its picture land on the same spot: one entry for both. (Only an equal spot: a
    // bigger older entry made new again would count as changed every time.)
    Change& last = changes_[(logged_ - 1) % kChanges];
    if (last.x == x && last.y == y && last.w == w && last.h == h) {
      last.version = version_;
      return;
    }
  }
  changes_[logged_ % kChanges] = Change{x, y, w, h, version_};
  ++logged_;
}

Rop rop_from_code(std::uint32_t code) {
  switch (code) {
    case 0x008800C6: return Rop::And;
    case 0x00EE0086: return Rop::Paint;
    default: return Rop::Copy;
  }
}

namespace {

// The row loops are plain enough for the compiler to vectorise.
void row_copy(std::uint32_t* __restrict d, const std::uint32_t* __restrict s, int n) {
  std::memcpy(d, s, sizeof(std::uint32_t) * static_cast<std::size_t>(n));
}
void row_and(std::uint32_t* __restrict d, const std::uint32_t* __restrict s, int n) {
  for (int i = 0; i < n; ++i) d[i] &= s[i];
}
void row_or(std::uint32_t* __restrict d, const std::uint32_t* __restrict s, int n) {
  for (int i = 0; i < n; ++i) d[i] |= s[i];
}

// Black source: copy and AND clear, OR leaves the destination alone.
void row_black(std::uint32_t* d, int n, Rop rop) {
  if (rop != Rop::Paint) std::memset(d, 0, sizeof(std::uint32_t) * static_cast<std::size_t>(n));
}

void row_op(std::uint32_t* d, const std::uint32_t* s, int n, Rop rop) {
  switch (rop) {
    case Rop::Copy: row_copy(d, s, n); break;
    case Rop::And: row_and(d, s, n); break;
    case Rop::Paint: row_or(d, s, n); break;
  }
}

// Clips the destination rectangle to dst, moving the source corner with it. False: nothing left.
bool clip(const PixelBuffer& dst, int& x, int& y, int& w, int& h, int& sx, int& sy) {
  if (x < 0) { w += x; sx -= x; x = 0; }
  if (y < 0) { h += y; sy -= y; y = 0; }
  w = std::min(w, dst.width - x);
  h = std::min(h, dst.height - y);
  return w > 0 && h > 0;
}

// The rectangle, already clipped to dst.
void blit_clipped(PixelBuffer& dst, int x, int y, int w, int h, const PixelBuffer* src, int sx, int sy, Rop rop) {
  const int swidth = src ? src->width : 0;
  const int sheight = src ? src->height : 0;
  // The part of each row that lies on the source: columns [c0, c1) of the rectangle.
  const int c0 = std::clamp(-sx, 0, w);
  const int c1 = std::clamp(swidth - sx, c0, w);
  for (int r = 0; r < h; ++r) {
    std::uint32_t* d = dst.row(y + r) + x;
    const int srow = sy + r;
    if (!src || srow < 0 || srow >= sheight || c1 <= c0) {
      row_black(d, w, rop);
      continue;
    }
    const std::uint32_t* s = src->row(srow) + sx;
    if (c0 > 0) row_black(d, c0, rop);
    row_op(d + c0, s + c0, c1 - c0, rop);
    if (c1 < w) row_black(d + c1, w - c1, rop);
  }
}

}  // namespace

std::size_t coalesce(PixelBuffer::Area* a, std::size_t n) {
  auto size = [](const PixelBuffer::Area& r) { return static_cast<long long>(r.w) * r.h; };
  for (bool joined = true; joined;) {
    joined = false;
    for (std::size_t i = 0; i < n; ++i)
      for (std::size_t j = i + 1; j < n; ++j) {
        const int x0 = std::min(a[i].x, a[j].x), y0 = std::min(a[i].y, a[j].y);
        const int x1 = std::max(a[i].x + a[i].w, a[j].x + a[j].w), y1 = std::max(a[i].y + a[i].h, a[j].y + a[j].h);
        const PixelBuffer::Area box{x0, y0, x1 - x0, y1 - y0};
        if (size(box) > size(a[i]) + size(a[j])) continue;
        a[i] = box;
        a[j--] = a[--n];
        joined = true;
      }
  }
  return n;
}

void blit_plain(PixelBuffer& dst, int x, int y, int w, int h, const PixelBuffer* src, int sx, int sy, Rop rop) {
  if (clip(dst, x, y, w, h, sx, sy)) blit_clipped(dst, x, y, w, h, src, sx, sy, rop);
}

bool PixelBuffer::changes_after(std::uint64_t since, Area* out, std::size_t capacity, std::size_t& n) const {
  if (version_ == since) return true;
  const std::uint64_t kept_from = logged_ > kChanges ? logged_ - kChanges : 0;
  for (std::uint64_t k = logged_; k > kept_from; --k) {
    const Change& c = changes_[(k - 1) % kChanges];
    if (c.version <= since) return true;  // everything newer is collected
    if (n == capacity) return false;
    out[n++] = Area{c.x, c.y, c.w, c.h};
  }
  // Every kept entry is newer: complete only if none was ever dropped.
  return kept_from == 0;
}

namespace {

// What a blit reads from: a buffer (or none: black), or a pattern. Both give their size, the
// identity and version that full copies are remembered by, the changes since a version, and
// the copy of a rectangle already clipped to the destination.
struct BufferSource {
  const PixelBuffer* p;
  int width() const { return p ? p->width : 0; }
  int height() const { return p ? p->height : 0; }
  std::uint64_t identity() const { return p->identity(); }
  std::uint64_t version() const { return p->version(); }
  bool changes_after(std::uint64_t since, PixelBuffer::Area* out, std::size_t capacity, std::size_t& n) const {
    return p->changes_after(since, out, capacity, n);
  }
  void copy(PixelBuffer& dst, int x, int y, int w, int h, int sx, int sy, Rop rop) const {
    blit_clipped(dst, x, y, w, h, p, sx, sy, rop);
  }
};

void row_one_colour(std::uint32_t* d, std::uint32_t c, int n, Rop rop) {
  switch (rop) {
    case Rop::Copy: std::fill(d, d + n, c); break;
    case Rop::And: for (int i = 0; i < n; ++i) d[i] &= c; break;
    case Rop::Paint: for (int i = 0; i < n; ++i) d[i] |= c; break;
  }
}

struct PatternSource {
  const Pattern& p;
  int width() const { return p.width; }
  int height() const { return p.height; }
  std::uint64_t identity() const { return p.identity; }
  std::uint64_t version() const { return 0; }
  bool changes_after(std::uint64_t, PixelBuffer::Area*, std::size_t, std::size_t&) const { return true; }
  void copy(PixelBuffer& dst, int x, int y, int w, int h, int sx, int sy, Rop rop) const {
    const int pw = p.cell.width, ph = p.cell.height;
    const int c0 = std::clamp(-sx, 0, w);
    const int c1 = std::clamp(p.width - sx, c0, w);
    for (int r = 0; r < h; ++r) {
      std::uint32_t* d = dst.row(y + r) + x;
      const int srow = sy + r;
      if (srow < 0 || srow >= p.height || c1 <= c0 || pw <= 0 || ph <= 0) {
        row_black(d, w, rop);
        continue;
      }
      if (c0 > 0) row_black(d, c0, rop);
      const std::uint32_t* cell = p.cell.row(srow % ph);
      if (pw == 1) {
        row_one_colour(d + c0, cell[0], c1 - c0, rop);
      } else {
        for (int i = c0, col = (sx + c0) % pw; i < c1; col = 0) {
          const int n = std::min(c1 - i, pw - col);
          row_op(d + i, cell + col, n, rop);
          i += n;
        }
      }
      if (c1 < w) row_black(d + c1, w - c1, rop);
    }
  }
};

template <class Source>
void blit_from(PixelBuffer& dst, int x, int y, int w, int h, const Source& src, int sx, int sy, Rop rop, bool known) {
  if (!clip(dst, x, y, w, h, sx, sy)) return;
  const bool inside_source = rop == Rop::Copy && known && sx >= 0 && sy >= 0 && sx + w <= src.width() &&
                             sy + h <= src.height();
  PixelBuffer::Mirror& m = dst.mirror_;

  // The same copy as last time: move only what either side changed since.
  if (inside_source && m.source == src.identity() && m.x == x && m.y == y && m.w == w && m.h == h && m.sx == sx &&
      m.sy == sy) {
    std::array<PixelBuffer::Area, 2 * PixelBuffer::kChanges> areas;
    std::size_t n = 0;
    if (src.changes_after(m.source_version, areas.data(), areas.size(), n)) {
      const std::size_t from_source = n;
      if (dst.changes_after(m.own_version, areas.data(), areas.size(), n)) {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < n; ++i) {
          PixelBuffer::Area a = areas[i];
          if (i < from_source) a.x += x - sx, a.y += y - sy;  // into dst's coordinates
          // Cut to the copied rectangle.
          const int x0 = std::max(a.x, x), y0 = std::max(a.y, y);
          const int x1 = std::min(a.x + a.w, x + w), y1 = std::min(a.y + a.h, y + h);
          if (x1 > x0 && y1 > y0) areas[kept++] = PixelBuffer::Area{x0, y0, x1 - x0, y1 - y0};
        }
        // Any pixel of the copied rectangle may be copied again: dst mirrors src there.
        kept = coalesce(areas.data(), kept);
        for (std::size_t i = 0; i < kept; ++i) {
          const PixelBuffer::Area& a = areas[i];
          src.copy(dst, a.x, a.y, a.w, a.h, sx + (a.x - x), sy + (a.y - y), Rop::Copy);
          dst.note_change(a.x, a.y, a.w, a.h);  // for copies made from dst in turn
        }
        m.source_version = src.version();
        m.own_version = dst.version_;
        return;
      }
    }
  }

  src.copy(dst, x, y, w, h, sx, sy, rop);
  dst.note_change(x, y, w, h);
  // A smaller copy (a label over the window) does not make dst forget the bigger copy it
  // mirrors: its pixels are one more change of dst, which the next such copy puts right.
  const bool smaller = m.source != 0 && static_cast<long long>(m.w) * m.h > static_cast<long long>(w) * h;
  if (inside_source && !smaller)
    m = PixelBuffer::Mirror{src.identity(), x, y, w, h, sx, sy, src.version(), dst.version_};
}

}  // namespace

void blit(PixelBuffer& dst, int x, int y, int w, int h, const PixelBuffer* src, int sx, int sy, Rop rop) {
  if (src == &dst && rop == Rop::Copy && x == sx && y == sy) return;  // onto itself, where it is
  blit_from(dst, x, y, w, h, BufferSource{src}, sx, sy, rop, src && src != &dst);
}

void blit(PixelBuffer& dst, int x, int y, int w, int h, const Pattern& src, int sx, int sy, Rop rop) {
  blit_from(dst, x, y, w, h, PatternSource{src}, sx, sy, rop, true);
}

void blit_masked(PixelBuffer& dst, int x, int y, int w, int h, const PixelBuffer* mask, int mx, int my,
                 const PixelBuffer* src, int sx, int sy) {
  int mx0 = mx, my0 = my;
  const int x0 = x, y0 = y;
  if (!clip(dst, x, y, w, h, sx, sy)) return;
  mx0 += x - x0, my0 += y - y0;
  const auto covers = [&](const PixelBuffer* p, int px, int py) {
    return p && p != &dst && px >= 0 && py >= 0 && px + w <= p->width && py + h <= p->height;
  };
  if (!covers(mask, mx0, my0) || !covers(src, sx, sy)) {
    // Part of a sheet is missing (black there): the two blits as they are.
    blit_clipped(dst, x, y, w, h, mask, mx0, my0, Rop::And);
    blit_clipped(dst, x, y, w, h, src, sx, sy, Rop::Paint);
  } else {
    for (int r = 0; r < h; ++r) {
      std::uint32_t* __restrict d = dst.row(y + r) + x;
      const std::uint32_t* __restrict m = mask->row(my0 + r) + mx0;
      const std::uint32_t* __restrict s = src->row(sy + r) + sx;
      for (int i = 0; i < w; ++i) d[i] = (d[i] & m[i]) | s[i];
    }
  }
  dst.note_change(x, y, w, h);
}

Pattern::Pattern(int w, int h, PixelBuffer repeated) : width(w), height(h), cell(std::move(repeated)), identity(new_identity()) {}

bool Pattern::tiled(int w, int h, const PixelBuffer& tile, int tw, int th, int cover_w, int cover_h, Pattern& out) {
  if (tw <= 0 || th <= 0 || cover_w < 0 || cover_h < 0) return false;
  // The copies reach past cover_w and cover_h by up to one cell: they cover the whole buffer
  // when it ends before that.
  const long long reach_w = (static_cast<long long>(cover_w) / tw + 1) * tw;
  const long long reach_h = (static_cast<long long>(cover_h) / th + 1) * th;
  if (reach_w < w || reach_h < h) return false;
  PixelBuffer cell(tw, th);  // black where the tile is smaller than its cell
  blit_plain(cell, 0, 0, tw, th, &tile, 0, 0, Rop::Copy);
  out = Pattern(w, h, std::move(cell));
  return true;
}

bool Pattern::one_colour(std::uint32_t colour) const {
  for (int y = 0; y < cell.height; ++y)
    for (int x = 0; x < cell.width; ++x)
      if (cell.at(x, y) != colour) return false;
  return true;
}

PixelBuffer Pattern::pixels() const {
  PixelBuffer out(width, height);
  PatternSource{*this}.copy(out, 0, 0, width, height, 0, 0, Rop::Copy);
  return out;
}

}  // namespace wumpets
