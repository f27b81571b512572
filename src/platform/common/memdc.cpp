#include "platform/common/memdc.h"

#include <vector>

#include "platform/common/bmp_check.h"

namespace memdc {

namespace {

// A bitmap is screen-sized pixels, or a pattern (a tiled background, a picture of one colour)
// kept as its cell until something draws into it.
//
// A window's DC and the memory DC last copied whole into it share one picture from then on
// (as does a buffer first drawn into while it is the background the window shows): the frame
// is drawn straight into the window's image and the copy that ends it costs nothing. The
// window may then show the memory DC's drawing before that copy, which is harmless: a window
// is shown only between frames, when the two are the same. Anything else drawn into the window
// gives the memory DC its own pixels again first.
struct Entry {
  enum Kind { Free, Dc, Bitmap } kind = Free;
  std::shared_ptr<wumpets::PixelBuffer> image;  // a DC's selected bitmap, or the bitmap itself
  std::shared_ptr<const wumpets::Pattern> pattern;  // instead of image
  bool window = false;  // the DC of a window's image
};

// Element 0 is never handed out: a handle of 0 means none.
std::vector<Entry>& table() {
  static std::vector<Entry> t(1);
  return t;
}

Entry* find(plat::Handle h, Entry::Kind kind) {
  auto& t = table();
  if (h <= 0 || static_cast<std::size_t>(h) >= t.size()) return nullptr;
  Entry& e = t[static_cast<std::size_t>(h)];
  return e.kind == kind ? &e : nullptr;
}

plat::Handle add(Entry e) {
  auto& t = table();
  for (std::size_t i = 1; i < t.size(); ++i) {
    if (t[i].kind == Entry::Free) {
      t[i] = std::move(e);
      return static_cast<plat::Handle>(i);
    }
  }
  t.push_back(std::move(e));
  return static_cast<plat::Handle>(t.size() - 1);
}

// The last file decoded, known by its path, size and modification time: the bitmap made of it
// (copied for the next load only while nothing has drawn into it), or its pattern.
struct Cache {
  std::string stamp;
  std::shared_ptr<wumpets::PixelBuffer> image;
  std::uint64_t identity = 0, version = 0;
  std::shared_ptr<const wumpets::Pattern> pattern;
};
Cache& last_decoded() {
  static Cache c;
  return c;
}

plat::Size& screen() {
  static plat::Size s;
  return s;
}

// A mask ANDed into a DC is held back for a moment: a sprite is its mask and then its picture
// at the same place, and the two are drawn in one pass. Whatever comes next that is not that
// picture draws the mask first.
struct HeldMask {
  plat::Handle dst = 0;
  int x = 0, y = 0, w = 0, h = 0, sx = 0, sy = 0;
  std::shared_ptr<wumpets::PixelBuffer> mask;
};
HeldMask& held() {
  static HeldMask m;
  return m;
}

// A window's image that is, right now, nothing but a whole copy of the pattern.
std::shared_ptr<wumpets::PixelBuffer> window_showing(const wumpets::Pattern& p) {
  for (Entry& e : table()) {
    if (e.kind != Entry::Dc || !e.window || !e.image) continue;
    const wumpets::PixelBuffer& img = *e.image;
    const wumpets::PixelBuffer::Mirror& m = img.mirror_;
    if (img.width == p.width && img.height == p.height && m.source == p.identity && m.x == 0 && m.y == 0 &&
        m.sx == 0 && m.sy == 0 && m.w == p.width && m.h == p.height && m.own_version == img.version())
      return e.image;
  }
  return nullptr;
}

// The pixels of a DC that is about to be drawn into or read pixel by pixel: a pattern is made
// out first (null: no bitmap). A buffer about to be drawn into that is still the background a
// window shows (the frame's buffer, before the first frame) takes the window's picture at once
// rather than a screen-sized copy of its own.
wumpets::PixelBuffer* made_out(Entry& e, bool drawing = false) {
  if (e.pattern) {
    std::shared_ptr<wumpets::PixelBuffer> shown = e.window || !drawing ? nullptr : window_showing(*e.pattern);
    e.image = shown ? std::move(shown) : std::make_shared<wumpets::PixelBuffer>(e.pattern->pixels());
    e.pattern.reset();
  }
  return e.image.get();
}

// Pixels of its own for a DC, copied from the picture it shares (a copy of a window's image
// that borrows its surface's pixels would borrow them too: copy pixel by pixel).
void own_copy(Entry& e) {
  const wumpets::PixelBuffer& img = *e.image;
  auto own = std::make_shared<wumpets::PixelBuffer>(img.width, img.height);
  wumpets::blit_plain(*own, 0, 0, img.width, img.height, &img, 0, 0, wumpets::Rop::Copy);
  e.image = std::move(own);
}

// Memory DCs sharing a window's picture get pixels of their own.
void unshare(const Entry& window) {
  for (Entry& e : table())
    if (&e != &window && e.kind == Entry::Dc && !e.window && e.image == window.image) own_copy(e);
}

// The pixels of a DC about to be drawn into by a sheet: a window's own first.
wumpets::PixelBuffer* drawn(Entry& d) {
  if (d.window) unshare(d);
  return made_out(d, true);
}

}  // namespace

void settle() {
  HeldMask m = std::move(held());
  held() = HeldMask{};
  if (Entry* d = find(m.dst, Entry::Dc); d && (d->image || d->pattern))
    wumpets::blit(*drawn(*d), m.x, m.y, m.w, m.h, m.mask.get(), m.sx, m.sy, wumpets::Rop::And);
}

void set_screen_size(int width, int height) { screen() = plat::Size{width, height}; }
std::uint64_t pixel_limit() { return bmp::pixel_limit(screen().width, screen().height); }

plat::Handle create_dc() { return add(Entry{Entry::Dc, nullptr, nullptr, false}); }

plat::Handle create_dc_on(std::shared_ptr<wumpets::PixelBuffer> image) {
  return add(Entry{Entry::Dc, std::move(image), nullptr, true});
}

plat::Handle load_bitmap(const std::string& path) {
  // The saver loads the buffer file twice in a row (back buffer and background): keep the last
  // file decoded and copy it, which is far cheaper than decoding a screen-sized file again.
  Cache& cache = last_decoded();
  const std::string stamp = file_stamp(path);
  const bool again = !stamp.empty() && stamp == cache.stamp &&
                     (cache.pattern || (cache.image->identity() == cache.identity && cache.image->version() == cache.version));
  if (again) {
    if (cache.pattern) return add(Entry{Entry::Bitmap, nullptr, cache.pattern, false});
    return add(Entry{Entry::Bitmap, std::make_shared<wumpets::PixelBuffer>(*cache.image), nullptr, false});
  }
  cache = Cache{};
  wumpets::PixelBuffer decoded;
  plat::Size uniform;
  if (!read_bmp(path, decoded, &uniform)) return 0;
  cache.stamp = stamp;
  if (uniform.width > 0) {
    cache.pattern = std::make_shared<wumpets::Pattern>(uniform.width, uniform.height, std::move(decoded));
    return add(Entry{Entry::Bitmap, nullptr, cache.pattern, false});
  }
  cache.image = std::make_shared<wumpets::PixelBuffer>(std::move(decoded));
  cache.identity = cache.image->identity();
  cache.version = cache.image->version();
  return add(Entry{Entry::Bitmap, cache.image, nullptr, false});
}

void select_bitmap(plat::Handle dc, plat::Handle bitmap) {
  settle();
  Entry* d = find(dc, Entry::Dc);
  if (!d) return;
  Entry* b = find(bitmap, Entry::Bitmap);
  d->image = b ? b->image : nullptr;
  d->pattern = b ? b->pattern : nullptr;
}

void delete_bitmap(plat::Handle bitmap) {
  settle();
  if (Entry* b = find(bitmap, Entry::Bitmap)) *b = Entry{};
}

int delete_dc(plat::Handle dc) {
  settle();
  Entry* d = find(dc, Entry::Dc);
  if (!d) return 0;
  *d = Entry{};
  return 1;
}

wumpets::PixelBuffer* pixels(plat::Handle dc) {
  settle();
  Entry* d = find(dc, Entry::Dc);
  return d ? made_out(*d) : nullptr;
}

void bitblt(plat::Handle dst, int x, int y, int w, int h, plat::Handle src, int sx, int sy, std::uint32_t rop) {
  Entry* d = find(dst, Entry::Dc);
  Entry* s = find(src, Entry::Dc);
  const wumpets::Rop op = wumpets::rop_from_code(rop);
  const bool sheet = s && s->image && d && s->image != d->image;
  HeldMask& m = held();
  if (op == wumpets::Rop::Paint && sheet && m.dst == dst && m.x == x && m.y == y && m.w == w && m.h == h) {
    const HeldMask mask = std::move(m);
    m = HeldMask{};
    if (d->image || d->pattern)
      wumpets::blit_masked(*drawn(*d), x, y, w, h, mask.mask.get(), mask.sx, mask.sy, s->image.get(), sx, sy);
    return;
  }
  settle();
  if (!d || (!d->image && !d->pattern)) return;
  if (op == wumpets::Rop::And && sheet) {
    m = HeldMask{dst, x, y, w, h, sx, sy, s->image};
    return;
  }
  const plat::Size size = dc_size(dst);
  const bool whole = op == wumpets::Rop::Copy && x <= 0 && y <= 0 && x == sx && y == sy && x + w >= size.width &&
                     y + h >= size.height;

  if (s && s->pattern) {
    // The whole of a pattern onto a pattern of its size (a buffer not drawn into yet): the DC
    // becomes that pattern. A DC with pixels keeps them; the copy moves only what changed.
    if (whole && d->pattern && s->pattern->width == size.width && s->pattern->height == size.height) {
      d->image.reset();
      d->pattern = s->pattern;
      return;
    }
    if (d->window) unshare(*d);
    wumpets::blit(*made_out(*d, true), x, y, w, h, *s->pattern, sx, sy, op);
    return;
  }
  wumpets::PixelBuffer* from = s ? s->image.get() : nullptr;
  if (d->image && from == d->image.get()) {
    if (op == wumpets::Rop::Copy && x == sx && y == sy) return;  // the same picture, onto itself
    if (d->window) unshare(*d);
    else if (s->window) unshare(*s);
    from = s->image.get();
  } else if (d->window) {
    unshare(*d);
  }
  wumpets::blit(*made_out(*d, true), x, y, w, h, from, sx, sy, op);

  // The buffer of the frame, copied whole into a window of its size, becomes the window's own.
  if (d->window && whole && s && !s->window && from && from->owns_pixels() && from->width == size.width &&
      from->height == size.height && s->image.use_count() == 1)
    s->image = d->image;
}

plat::Size dc_size(plat::Handle dc) {
  Entry* d = find(dc, Entry::Dc);
  if (!d) return {};
  if (d->pattern) return plat::Size{d->pattern->width, d->pattern->height};
  return d->image ? plat::Size{d->image->width, d->image->height} : plat::Size{};
}

void grow_dc(plat::Handle dc, int w, int h) {
  settle();
  Entry* d = find(dc, Entry::Dc);
  if (!d) return;
  if (d->pattern) {
    const wumpets::Pattern& p = *d->pattern;
    if (w <= p.width && h <= p.height) return;
    // New pixels are black: a black pattern only grows.
    if (p.one_colour(0)) {
      d->pattern = std::make_shared<wumpets::Pattern>(std::max(w, p.width), std::max(h, p.height), p.cell);
      return;
    }
  }
  if (d->window) {
    unshare(*d);
  } else if (d->image && d->image.use_count() > 1) {
    own_copy(*d);  // a buffer sharing a window's picture grows one of its own, not the window's
  }
  if (!made_out(*d)) d->image = std::make_shared<wumpets::PixelBuffer>();
  d->image->grow(w, h);
}

void fill_tiled(plat::Handle dc, int w, int h, plat::Handle tile, int tw, int th) {
  settle();
  Entry* d = find(dc, Entry::Dc);
  Entry* t = find(tile, Entry::Dc);
  if (!d || (!d->image && !d->pattern)) return;
  const plat::Size size = dc_size(dc);
  wumpets::PixelBuffer* tile_pixels = t ? made_out(*t) : nullptr;
  static const wumpets::PixelBuffer none;
  auto tiled = std::make_shared<wumpets::Pattern>();
  if (!d->window && wumpets::Pattern::tiled(size.width, size.height, tile_pixels ? *tile_pixels : none, tw, th, w, h, *tiled)) {
    d->image.reset();
    d->pattern = std::move(tiled);
    return;
  }
  if (tw <= 0 || th <= 0) return;
  for (int r = 0; r * th <= h; ++r)
    for (int c = 0; c * tw <= w; ++c) bitblt(dc, c * tw, r * th, tw, th, tile, 0, 0, plat::kSrcCopy);
}

int live_dcs() {
  int n = 0;
  for (const Entry& e : table()) n += e.kind == Entry::Dc;
  return n;
}

void forget_decoded() { last_decoded() = Cache{}; }

void reset() {
  held() = HeldMask{};
  table().assign(1, Entry{});
  last_decoded() = Cache{};
}

}  // namespace memdc
