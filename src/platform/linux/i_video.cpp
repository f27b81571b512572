// Drawing, windows, labels, timers and the event loop on Linux.
// Memory DCs and the blit are the shared pixel-buffer ones.
#include "platform/common/memdc.h"
#include "platform/platform.h"

namespace plat {

Handle create_dc() { return memdc::create_dc(); }
Handle load_bitmap(const std::string& path) { return memdc::load_bitmap(path); }
void select_bitmap(Handle dc, Handle bitmap) { memdc::select_bitmap(dc, bitmap); }
void delete_bitmap(Handle bitmap) { memdc::delete_bitmap(bitmap); }
int delete_dc(Handle dc) { return memdc::delete_dc(dc); }
void bitblt(Handle dst, int x, int y, int w, int h, Handle src, int sx, int sy, std::uint32_t rop) {
  memdc::bitblt(dst, x, y, w, h, src, sx, sy, rop);
}
Size dc_size(Handle dc) { return memdc::dc_size(dc); }
void grow_dc(Handle dc, int w, int h) { memdc::grow_dc(dc, w, h); }

// The window system comes with the saver; until then nothing is shown.
ScreenMetrics screen_metrics() { return ScreenMetrics{1920 * 15, 1080 * 15, 15, 15}; }
int show_cursor(bool) { return 0; }
Handle window_create(WindowKind, WindowEvents*) { return 0; }
void window_show(Handle) {}
void window_hide(Handle) {}
void window_set_title(Handle, const std::string&) {}
Handle window_dc(Handle) { return 0; }
void window_refresh(Handle) {}
void window_unload(Handle) {}
void window_set_topmost(Handle, bool) {}
void window_move(Handle, int, int) {}
bool window_client_rect(Handle, Rect&) { return false; }
std::int32_t window_get_style(Handle) { return 0; }
void window_set_style(Handle, std::int32_t) {}
void window_set_parent(Handle, Handle) {}
void window_set_owner(Handle, Handle) {}
void window_set_pos(Handle, Handle, int, int, int, int, std::uint32_t) {}
Handle label_create(Handle, const LabelStyle&) { return 0; }
void label_set_caption(Handle, const std::string&) {}
Size label_size(Handle) { return {}; }
void label_move(Handle, int, int) {}
void label_show(Handle, bool) {}
void label_refresh(Handle) {}
Handle timer_create(TimerEvents*) { return 0; }
void timer_set_interval(Handle, int) {}
void timer_enable(Handle, bool) {}
bool timer_enabled(Handle) { return false; }
void run_event_loop() {}

}  // namespace plat
