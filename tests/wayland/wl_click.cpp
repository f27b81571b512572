// A pointer for the Wayland end-to-end test, where the headless compositor has none: a
// virtual pointer on one output moves to a point, moves a little again (so the client under
// it sees motion once it has its pointer), waits, then clicks the left button.
//   wl_click OUTPUT X Y [WAIT_MS]
// Exits 0 once the click is sent, 2 when the compositor cannot make a virtual pointer.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <wayland-client.h>

#include "virtual-pointer-client-protocol.h"

namespace {

constexpr std::uint32_t kLeftButton = 0x110;  // BTN_LEFT of linux/input-event-codes.h

struct OutputInfo {
  wl_output* output = nullptr;
  std::string name;
  int width = 0, height = 0;
};

struct Click {
  wl_seat* seat = nullptr;
  zwlr_virtual_pointer_manager_v1* manager = nullptr;
  OutputInfo outputs[16];
  int output_count = 0;
};

Click& C() {
  static Click c;
  return c;
}

void geometry(void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t, const char*,
              const char*, std::int32_t) {}
void mode(void* data, wl_output*, std::uint32_t flags, std::int32_t w, std::int32_t h, std::int32_t) {
  if (!(flags & WL_OUTPUT_MODE_CURRENT)) return;
  static_cast<OutputInfo*>(data)->width = w;
  static_cast<OutputInfo*>(data)->height = h;
}
void done(void*, wl_output*) {}
void scale(void*, wl_output*, std::int32_t) {}
void name(void* data, wl_output*, const char* n) { static_cast<OutputInfo*>(data)->name = n; }
void description(void*, wl_output*, const char*) {}
const wl_output_listener kOutputListener{geometry, mode, done, scale, name, description};

void global(void*, wl_registry* registry, std::uint32_t id, const char* iface, std::uint32_t version) {
  Click& c = C();
  if (std::strcmp(iface, wl_seat_interface.name) == 0 && !c.seat) {
    c.seat = static_cast<wl_seat*>(wl_registry_bind(registry, id, &wl_seat_interface, 1));
  } else if (std::strcmp(iface, zwlr_virtual_pointer_manager_v1_interface.name) == 0 && version >= 2) {
    c.manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
        wl_registry_bind(registry, id, &zwlr_virtual_pointer_manager_v1_interface, 2));
  } else if (std::strcmp(iface, wl_output_interface.name) == 0 && version >= 4 && c.output_count < 16) {
    OutputInfo& o = c.outputs[c.output_count++];
    o.output = static_cast<wl_output*>(wl_registry_bind(registry, id, &wl_output_interface, 4));
    wl_output_add_listener(o.output, &kOutputListener, &o);
  }
}
void global_remove(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener kRegistryListener{global, global_remove};

std::uint32_t now_ms() {
  static std::uint32_t t = 1000;
  return t += 10;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: wl_click OUTPUT X Y [WAIT_MS]\n");
    return 2;
  }
  const int x = std::atoi(argv[2]), y = std::atoi(argv[3]);
  const int wait_ms = argc > 4 ? std::atoi(argv[4]) : 0;
  wl_display* display = wl_display_connect(nullptr);
  if (!display) {
    std::fprintf(stderr, "wl_click: no Wayland display\n");
    return 2;
  }
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &kRegistryListener, nullptr);
  wl_display_roundtrip(display);
  wl_display_roundtrip(display);
  Click& c = C();
  OutputInfo* on = nullptr;
  for (int i = 0; i < c.output_count; ++i)
    if (c.outputs[i].name == argv[1]) on = &c.outputs[i];
  if (!c.seat || !c.manager || !on || on->width <= 0) {
    std::fprintf(stderr, "wl_click: no seat, virtual pointer or output %s\n", argv[1]);
    return 2;
  }
  zwlr_virtual_pointer_v1* pointer =
      zwlr_virtual_pointer_manager_v1_create_virtual_pointer_with_output(c.manager, c.seat, on->output);
  auto move = [&](int px, int py) {
    zwlr_virtual_pointer_v1_motion_absolute(pointer, now_ms(), static_cast<std::uint32_t>(px),
                                            static_cast<std::uint32_t>(py), static_cast<std::uint32_t>(on->width),
                                            static_cast<std::uint32_t>(on->height));
    zwlr_virtual_pointer_v1_frame(pointer);
    wl_display_roundtrip(display);
  };
  move(x, y);
  usleep(500 * 1000);  // the client takes the new pointer
  move(x + 5, y + 5);
  usleep(static_cast<useconds_t>(wait_ms) * 1000);
  for (std::uint32_t state : {WL_POINTER_BUTTON_STATE_PRESSED, WL_POINTER_BUTTON_STATE_RELEASED}) {
    zwlr_virtual_pointer_v1_button(pointer, now_ms(), kLeftButton, state);
    zwlr_virtual_pointer_v1_frame(pointer);
  }
  wl_display_roundtrip(display);
  zwlr_virtual_pointer_v1_destroy(pointer);
  wl_display_roundtrip(display);
  wl_display_disconnect(display);
  return 0;
}
