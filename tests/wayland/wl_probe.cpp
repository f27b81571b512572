// Drives the Wayland module alone, as the saver would: covers every output (and any added
// later) with a picture a screenshot can check, animated through partial frames, and ends on a
// key or a click.
//
// The picture of an output: a border of kBorder pixels at the surface's edges, a background,
// and a bar kBar pixels wide bouncing between the borders, its colours from the output's slot.
// Each frame only erases the bar's old place and draws its new one (two damaged rectangles),
// so a screenshot with anything but one whole bar shows a fault in the buffers' bookkeeping,
// and a border missing at an edge or black beyond it a surface not of the output's size.
//
//   wl_probe [--window WxH] [--seconds N]
// Prints one line per event (output, configured, covered, motion, closed, key, button); exits 0 on a
// key or a click, 2 when the display cannot be used, 3 when nobody ended it within N seconds.
#include <poll.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/linux/wl_display.h"

namespace {

constexpr int kBorder = 4;
constexpr int kBar = 24;
constexpr int kStep = 6;
constexpr std::uint32_t kBorderColour = 0xF0F0F0;
constexpr std::array<std::uint32_t, 6> kBackgrounds{0x203080, 0x806020, 0x208040, 0x702070, 0x207070, 0x705050};
constexpr std::array<std::uint32_t, 6> kBars{0xF0C020, 0x20C0F0, 0xF04060, 0x60F040, 0xF08020, 0x4060F0};

struct View {
  bool live = false;
  bool full = true;  // blank buffers (new or resized): draw everything
  bool announced = false;
  int output = 0;
  int bar_x = kBorder, bar_dir = 1;
};

struct Probe final : wl::Events {
  std::array<View, wl::kMaxSurfaces + 1> views{};
  int exit_code = -1;

  const char* name_of(int surface) const {
    const int o = views[static_cast<std::size_t>(surface)].output;
    return o ? wl::output_name(o) : "window";
  }

  void cover(int output) {
    const int s = wl::create_surface(output, wl::Mode::Cover);
    const wl::Rect r = wl::output_rect(output);
    std::printf("output %s %dx%d+%d+%d scale %d%s\n", wl::output_name(output), r.width, r.height, r.x, r.y,
                wl::output_scale(output), s ? "" : " (no surface)");
    if (s) views[static_cast<std::size_t>(s)] = View{true, true, false, output};
  }

  void key_pressed(int) override {
    std::printf("key\n");
    exit_code = 0;
  }
  void button_pressed(int) override {
    std::printf("button\n");
    exit_code = 0;
  }
  void pointer_moved(int s, int x, int y) override { std::printf("motion %s %d %d\n", name_of(s), x, y); }
  void configured(int s, int w, int h) override {
    View& v = views[static_cast<std::size_t>(s)];
    v.full = true;
    v.announced = false;
    v.bar_x = kBorder;
    std::printf("configured %s %dx%d\n", name_of(s), w, h);
  }
  void closed(int s) override {
    std::printf("closed %s\n", name_of(s));
    views[static_cast<std::size_t>(s)] = View{};
    wl::destroy_surface(s);
  }
  void output_added(int output) override {
    std::printf("added %s\n", wl::output_name(output));
    cover(output);
  }
  void output_removed(int output) override { std::printf("removed %d\n", output); }
};

void fill(std::uint32_t* px, int stride, const wl::Rect& r, std::uint32_t colour) {
  for (int y = r.y; y < r.y + r.height; ++y)
    for (int x = r.x; x < r.x + r.width; ++x) px[y * stride + x] = colour;
}

void draw(Probe& p, int s) {
  View& v = p.views[static_cast<std::size_t>(s)];
  int stride = 0;
  std::uint32_t* px = wl::begin_frame(s, stride);
  if (!px) return;
  const int w = wl::surface_width(s), h = wl::surface_height(s);
  const std::size_t colour = static_cast<std::size_t>(v.output) % kBackgrounds.size();
  const std::uint32_t bg = kBackgrounds[colour], bar = kBars[colour];
  const int inner_h = h - 2 * kBorder;
  if (v.full) {
    fill(px, stride, wl::Rect{0, 0, w, h}, kBorderColour);
    fill(px, stride, wl::Rect{kBorder, kBorder, w - 2 * kBorder, inner_h}, bg);
    fill(px, stride, wl::Rect{v.bar_x, kBorder, kBar, inner_h}, bar);
    wl::commit(s, nullptr, 0);
    v.full = false;
  } else {
    const wl::Rect old{v.bar_x, kBorder, kBar, inner_h};
    const int lo = kBorder, hi = w - kBorder - kBar;
    v.bar_x += v.bar_dir * kStep;
    if (v.bar_x >= hi) v.bar_x = hi, v.bar_dir = -1;
    if (v.bar_x <= lo) v.bar_x = lo, v.bar_dir = 1;
    const wl::Rect now{v.bar_x, kBorder, kBar, inner_h};
    fill(px, stride, old, bg);
    fill(px, stride, now, bar);
    const wl::Rect damaged[2] = {old, now};
    wl::commit(s, damaged, 2);
  }
  if (!v.announced) {
    v.announced = true;
    std::printf("covered %s %dx%d bg=%06X bar=%06X border=%06X\n", p.name_of(s), w, h, bg, bar, kBorderColour);
  }
}

}  // namespace

int main(int argc, char** argv) {
  int window_w = 0, window_h = 0, seconds = 60;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--window") == 0 && i + 1 < argc) {
      if (std::sscanf(argv[++i], "%dx%d", &window_w, &window_h) != 2) return 2;
    } else if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
      seconds = std::atoi(argv[++i]);
    } else {
      std::fprintf(stderr, "usage: wl_probe [--window WxH] [--seconds N]\n");
      return 2;
    }
  }
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  Probe probe;
  std::string reason;
  if (!wl::open(probe, reason)) {
    std::fprintf(stderr, "wl_probe: %s\n", reason.c_str());
    return 2;
  }
  std::printf("layer-shell %s\n", wl::has_layer_shell() ? "yes" : "no");
  if (window_w > 0) {
    const int s = wl::create_surface(0, wl::Mode::Window, window_w, window_h, "wl_probe");
    if (!s) return 2;
    probe.views[static_cast<std::size_t>(s)] = View{true, true, false, 0};
  } else {
    for (int i = 1; i <= wl::kMaxOutputs; ++i)
      if (wl::output_live(i)) probe.cover(i);
  }
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (probe.exit_code < 0) {
    if (std::chrono::steady_clock::now() > end) {
      std::printf("timeout\n");
      probe.exit_code = 3;
      break;
    }
    if (!wl::dispatch(10)) {
      std::printf("connection lost\n");
      probe.exit_code = 2;
      break;
    }
    for (int s = 1; s <= wl::kMaxSurfaces; ++s)
      if (probe.views[static_cast<std::size_t>(s)].live && wl::ready(s)) draw(probe, s);
  }
  wl::close();
  return probe.exit_code;
}
