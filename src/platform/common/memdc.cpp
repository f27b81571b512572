#include "platform/common/memdc.h"

#include <vector>

#include "platform/common/bmp_check.h"

namespace memdc {

namespace {

struct Entry {
  enum Kind { Free, Dc, Bitmap } kind = Free;
  std::shared_ptr<wumpets::PixelBuffer> image;  // a DC's selected bitmap, or the bitmap itself
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

plat::Handle add(Entry::Kind kind, std::shared_ptr<wumpets::PixelBuffer> image) {
  auto& t = table();
  for (std::size_t i = 1; i < t.size(); ++i) {
    if (t[i].kind == Entry::Free) {
      t[i] = Entry{kind, std::move(image)};
      return static_cast<plat::Handle>(i);
    }
  }
  t.push_back(Entry{kind, std::move(image)});
  return static_cast<plat::Handle>(t.size() - 1);
}

// The last file decoded, known by its path, size and modification time.
struct Cache {
  std::string stamp;
  wumpets::PixelBuffer image;
};
Cache& last_decoded() {
  static Cache c;
  return c;
}

plat::Size& screen() {
  static plat::Size s;
  return s;
}
}  // namespace

void set_screen_size(int width, int height) { screen() = plat::Size{width, height}; }
std::uint64_t pixel_limit() { return bmp::pixel_limit(screen().width, screen().height); }

plat::Handle create_dc() { return add(Entry::Dc, nullptr); }

plat::Handle create_dc_on(std::shared_ptr<wumpets::PixelBuffer> image) { return add(Entry::Dc, std::move(image)); }

plat::Handle load_bitmap(const std::string& path) {
  // The saver loads the buffer file twice in a row (back buffer and background): keep the last
  // file decoded and copy it, which is far cheaper than decoding a screen-sized file again.
  Cache& cache = last_decoded();
  const std::string stamp = file_stamp(path);
  auto image = std::make_shared<wumpets::PixelBuffer>();
  if (!stamp.empty() && stamp == cache.stamp) {
    *image = cache.image;
  } else {
    cache = Cache{};
    if (!read_bmp(path, *image)) return 0;
    cache.stamp = stamp;
    cache.image = *image;
  }
  return add(Entry::Bitmap, std::move(image));
}

void select_bitmap(plat::Handle dc, plat::Handle bitmap) {
  Entry* d = find(dc, Entry::Dc);
  if (!d) return;
  Entry* b = find(bitmap, Entry::Bitmap);
  d->image = b ? b->image : nullptr;
}

void delete_bitmap(plat::Handle bitmap) {
  if (Entry* b = find(bitmap, Entry::Bitmap)) *b = Entry{};
}

int delete_dc(plat::Handle dc) {
  Entry* d = find(dc, Entry::Dc);
  if (!d) return 0;
  *d = Entry{};
  return 1;
}

wumpets::PixelBuffer* pixels(plat::Handle dc) {
  Entry* d = find(dc, Entry::Dc);
  return d ? d->image.get() : nullptr;
}

void bitblt(plat::Handle dst, int x, int y, int w, int h, plat::Handle src, int sx, int sy, std::uint32_t rop) {
  wumpets::PixelBuffer* d = pixels(dst);
  if (!d) return;
  wumpets::blit(*d, x, y, w, h, pixels(src), sx, sy, wumpets::rop_from_code(rop));
}

plat::Size dc_size(plat::Handle dc) {
  wumpets::PixelBuffer* p = pixels(dc);
  return p ? plat::Size{p->width, p->height} : plat::Size{};
}

void grow_dc(plat::Handle dc, int w, int h) {
  Entry* d = find(dc, Entry::Dc);
  if (!d) return;
  if (!d->image) d->image = std::make_shared<wumpets::PixelBuffer>();
  d->image->grow(w, h);
}

int live_dcs() {
  int n = 0;
  for (const Entry& e : table()) n += e.kind == Entry::Dc;
  return n;
}

void forget_decoded() { last_decoded() = Cache{}; }

void reset() {
  table().assign(1, Entry{});
  last_decoded() = Cache{};
}

}  // namespace memdc
