// Drawing on Windows: memory DCs holding DIB sections, bitmap files, the blit, the screen and
// cursor, the saver and preview windows with their persistent images, and the message label.
// Called by the core's surfaces, image loader, frame loop, preview and forms (see platform.h).
#include <cmath>

#include "platform/common/scale.h"
#include "platform/win32/w_backend.h"

namespace win32 {

GdiEntry* gdi_entry(plat::Handle h, GdiEntry::Kind kind) {
  auto& t = B().gdi;
  if (h <= 0 || static_cast<std::size_t>(h) >= t.size()) return nullptr;
  GdiEntry& e = t[static_cast<std::size_t>(h)];
  return e.kind == kind ? &e : nullptr;
}

namespace {

plat::Handle add_entry(GdiEntry entry) {
  auto& t = B().gdi;
  for (std::size_t i = 1; i < t.size(); ++i) {
    if (t[i].kind == GdiEntry::Free) {
      t[i] = std::move(entry);
      return static_cast<plat::Handle>(i);
    }
  }
  t.push_back(std::move(entry));
  return static_cast<plat::Handle>(t.size() - 1);
}

wumpets::PixelBuffer* pixels_of(plat::Handle dc) {
  GdiEntry* e = gdi_entry(dc, GdiEntry::Dc);
  return e && e->dib ? &e->dib->pixels : nullptr;
}

void select_dib(GdiEntry& dc, std::shared_ptr<Dib> dib) {
  HGDIOBJ previous = SelectObject(dc.dc, dib ? static_cast<HGDIOBJ>(dib->bitmap) : dc.original);
  if (!dc.original) dc.original = previous;
  dc.dib = std::move(dib);
}

COLORREF colorref(std::uint32_t bgr) { return static_cast<COLORREF>(bgr & 0x00FFFFFFu); }

int screen_width() {
  const auto& o = B().options;
  return o.window ? o.window_width : GetSystemMetrics(SM_CXSCREEN);
}
int screen_height() {
  const auto& o = B().options;
  return o.window ? o.window_height : GetSystemMetrics(SM_CYSCREEN);
}

}  // namespace

Window* window_of(HWND hwnd) {
  if (!hwnd) return nullptr;
  for (Window& w : B().windows)
    if (w.hwnd == hwnd) return &w;
  return nullptr;
}

Window* window(plat::Handle h) {
  Window* w = window_of(hwnd_of(h));
  return w && w->loaded ? w : nullptr;
}

int saver_scale() {
  Backend& b = B();
  if (b.scale == 0) {
    int asked = b.options.scale;
    // The control panel passes no options: a "scale" key in the settings file does it there
    // (the file and section the core keeps its settings in). Missing or unreadable means auto.
    if (asked == 0) asked = wumpets::parse_scale(plat::profile_get("Zelkin Wumpets", "scale", "", 16, "vornicade.ini"));
    b.scale = wumpets::choose_scale(asked, b.dpi);
  }
  return b.scale;
}

void paint_labels(plat::Handle wnd, HDC target) {
  const Window* w = window(wnd);
  const int s = w ? w->scale : 1;
  for (std::size_t i = 1; i < B().labels.size(); ++i) {
    Label& l = B().labels[i];
    if (l.wnd != wnd || !l.visible || l.caption.empty()) continue;
    HGDIOBJ old = SelectObject(target, l.font);
    SetTextColor(target, l.colour);
    SetBkColor(target, l.back);
    SetBkMode(target, OPAQUE);
    // The core places the label in the scene's pixels; its font is already the scaled one.
    RECT r{l.x * s, l.y * s, l.x * s + l.size.cx, l.y * s + l.size.cy};
    ExtTextOutA(target, r.left, r.top, ETO_OPAQUE, &r, l.caption.data(), static_cast<UINT>(l.caption.size()), nullptr);
    SelectObject(target, old);
  }
}

// Copies a rectangle of the image (in its own pixels) to the window, enlarged when it is scaled.
void show_area(Window& w, HDC image, int x, int y, int width, int height) {
  const int s = w.scale;
  if (s == 1) {
    BitBlt(w.screen, x, y, width, height, image, x, y, SRCCOPY);
  } else {
    // COLORONCOLOR drops or repeats whole pixels: at a whole scale, each one becomes a block.
    StretchBlt(w.screen, x * s, y * s, width * s, height * s, image, x, y, width, height, SRCCOPY);
  }
}

void paint_window(Window& w, HDC target, const RECT& area) {
  GdiEntry* dc = gdi_entry(w.dc, GdiEntry::Dc);
  if (!dc) return;
  const int s = w.scale;
  if (s == 1) {
    BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, dc->dc, area.left, area.top,
           SRCCOPY);
  } else {
    // The image's pixels that cover the area, whole.
    const int x0 = area.left / s, y0 = area.top / s, x1 = (area.right + s - 1) / s, y1 = (area.bottom + s - 1) / s;
    SetStretchBltMode(target, COLORONCOLOR);
    StretchBlt(target, x0 * s, y0 * s, (x1 - x0) * s, (y1 - y0) * s, dc->dc, x0, y0, x1 - x0, y1 - y0, SRCCOPY);
  }
  paint_labels(handle_of(w.hwnd), target);
}

}  // namespace win32

namespace plat {

using win32::B;
using win32::GdiEntry;

Handle create_dc() {
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return 0;
  GdiEntry e;
  e.kind = GdiEntry::Dc;
  e.dc = dc;
  return win32::add_entry(std::move(e));
}

Handle load_bitmap(const std::string& path) {
  std::shared_ptr<win32::Dib> dib = win32::read_bitmap_file(path);
  if (!dib) return 0;
  GdiEntry e;
  e.kind = GdiEntry::Bitmap;
  e.dib = std::move(dib);
  return win32::add_entry(std::move(e));
}

void select_bitmap(Handle dc, Handle bitmap) {
  GdiEntry* d = win32::gdi_entry(dc, GdiEntry::Dc);
  if (!d) return;
  GdiEntry* b = win32::gdi_entry(bitmap, GdiEntry::Bitmap);
  win32::select_dib(*d, b ? b->dib : nullptr);
}

void delete_bitmap(Handle bitmap) {
  if (GdiEntry* b = win32::gdi_entry(bitmap, GdiEntry::Bitmap)) *b = GdiEntry{};
}

int delete_dc(Handle dc) {
  GdiEntry* d = win32::gdi_entry(dc, GdiEntry::Dc);
  if (!d) return 0;
  for (win32::Window& w : B().windows)
    if (w.dc == dc) return 0;  // a window's image lives as long as the window
  if (d->original) SelectObject(d->dc, d->original);
  const BOOL ok = DeleteDC(d->dc);
  *d = GdiEntry{};
  return ok ? 1 : 0;
}

void bitblt(Handle dst, int x, int y, int w, int h, Handle src, int sx, int sy, std::uint32_t rop) {
  wumpets::PixelBuffer* d = win32::pixels_of(dst);
  if (!d) return;
  wumpets::blit(*d, x, y, w, h, win32::pixels_of(src), sx, sy, wumpets::rop_from_code(rop));
}

Size dc_size(Handle dc) {
  wumpets::PixelBuffer* p = win32::pixels_of(dc);
  return p ? Size{p->width, p->height} : Size{};
}

void grow_dc(Handle dc, int w, int h) {
  GdiEntry* d = win32::gdi_entry(dc, GdiEntry::Dc);
  if (!d) return;
  const int old_w = d->dib ? d->dib->pixels.width : 0, old_h = d->dib ? d->dib->pixels.height : 0;
  if (d->dib && old_w >= w && old_h >= h) return;
  std::shared_ptr<win32::Dib> bigger = win32::make_dib(std::max(w, old_w), std::max(h, old_h));
  if (!bigger) return;
  if (d->dib) wumpets::blit_plain(bigger->pixels, 0, 0, old_w, old_h, &d->dib->pixels, 0, 0, wumpets::Rop::Copy);
  win32::select_dib(*d, std::move(bigger));
}

void fill_tiled(Handle dc, int w, int h, Handle tile, int tw, int th) {
  if (tw <= 0 || th <= 0) return;
  for (int r = 0; r * th <= h; ++r)
    for (int c = 0; c * tw <= w; ++c) bitblt(dc, c * tw, r * th, tw, th, tile, 0, 0, kSrcCopy);
}

ScreenMetrics screen_metrics() {
  // Twips per pixel from the real DPI (the manifest makes the program DPI aware): 15 at 96,
  // 12 at 120. The scene's pixel is s of the screen's: the size in twips stays the same.
  const int s = win32::saver_scale();
  const double dpi = static_cast<double>(B().dpi) / s;
  return screen_metrics_at(win32::screen_width() / s, win32::screen_height() / s, dpi, dpi);
}

int show_cursor(bool show) { return ShowCursor(show ? TRUE : FALSE); }

namespace {

BOOL CALLBACK add_monitor(HMONITOR monitor, HDC, LPRECT, LPARAM) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(monitor, &info)) return TRUE;
  auto& b = B();
  if (b.monitor_count >= static_cast<int>(b.monitors.size())) return FALSE;
  if (info.dwFlags & MONITORINFOF_PRIMARY) {
    // The primary monitor is monitor 0: the others move up one place.
    for (int i = b.monitor_count; i > 0; --i) b.monitors[static_cast<std::size_t>(i)] = b.monitors[static_cast<std::size_t>(i) - 1];
    b.monitors[0] = info.rcMonitor;
  } else {
    b.monitors[static_cast<std::size_t>(b.monitor_count)] = info.rcMonitor;
  }
  ++b.monitor_count;
  return TRUE;
}

void find_monitors() {
  if (B().monitor_count > 0) return;
  if (!B().options.window) EnumDisplayMonitors(nullptr, nullptr, add_monitor, 0);
  if (B().monitor_count == 0) {  // an ordinary window, or no answer: the primary screen alone
    B().monitors[0] = RECT{0, 0, win32::screen_width(), win32::screen_height()};
    B().monitor_count = 1;
  }
}

}  // namespace

int monitor_count() {
  find_monitors();
  return B().monitor_count;
}

Size monitor_size(int monitor) {
  find_monitors();
  if (monitor < 0 || monitor >= B().monitor_count) return Size{};
  const RECT& r = B().monitors[static_cast<std::size_t>(monitor)];
  const int s = win32::saver_scale();
  return Size{(r.right - r.left) / s, (r.bottom - r.top) / s};
}

// Full-screen windows are ordinary windows here, and the monitors are found once at start: nothing
// to choose and nothing to watch.
void begin_saver_mode() {}
void watch_monitors(MonitorEvents*) {}

Handle window_create(WindowKind kind, WindowEvents* events, int monitor) {
  return win32::create_window(kind, events, kind == WindowKind::Saver ? monitor : 0);
}

}  // namespace plat

namespace win32 {

plat::Handle create_window(plat::WindowKind kind, plat::WindowEvents* events, int monitor) {
  using plat::WindowKind;
  register_classes();
  win32::Window* slot = nullptr;
  for (win32::Window& w : B().windows)
    if (!w.hwnd) {
      slot = &w;
      break;
    }
  if (!slot) return 0;
  const bool saver = kind == WindowKind::Saver;
  const bool framed = saver && B().options.window;  // --window: an ordinary window to try it out
  int left = 0, top = 0;
  int width = 2580 * B().dpi / 1440, height = 1860 * B().dpi / 1440;  // the preview as designed
  const int scale = saver ? saver_scale() : 1;
  if (saver) {
    if (monitor < 0 || monitor >= plat::monitor_count()) return 0;
    const RECT& r = B().monitors[static_cast<std::size_t>(monitor)];
    width = r.right - r.left;
    height = r.bottom - r.top;
    if (width / scale <= 0 || height / scale <= 0) return 0;
    left = r.left;
    top = r.top;
  }
  DWORD style = framed ? (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX) : WS_POPUP;
  DWORD ex = saver && !framed ? WS_EX_TOPMOST : 0;
  RECT outer{0, 0, width, height};
  AdjustWindowRectEx(&outer, style, FALSE, ex);
  HWND hwnd = CreateWindowExA(ex, "ZelkinWumpetsWindow", "Zelkin Wumpets", style, framed ? CW_USEDEFAULT : left,
                              framed ? CW_USEDEFAULT : top, outer.right - outer.left, outer.bottom - outer.top, nullptr,
                              nullptr, B().instance, nullptr);
  if (!hwnd) return 0;
  *slot = win32::Window{};
  slot->hwnd = hwnd;
  slot->kind = kind;
  slot->events = events;
  slot->loaded = true;
  slot->screen = GetDC(hwnd);
  slot->scale = scale;
  if (scale > 1) SetStretchBltMode(slot->screen, COLORONCOLOR);  // the window's own DC keeps it
  slot->dc = plat::create_dc();
  if (GdiEntry* dc = win32::gdi_entry(slot->dc, GdiEntry::Dc))
    win32::select_dib(*dc, win32::make_dib(width / scale, height / scale));
  return win32::handle_of(hwnd);
}

}  // namespace win32

namespace plat {

void window_show(Handle wnd) {
  win32::Window* w = win32::window(wnd);
  if (!w) return;
  ShowWindow(w->hwnd, SW_SHOW);
  if (w->kind == WindowKind::Saver) {
    SetForegroundWindow(w->hwnd);
    win32::raise_topmost_dialogs();
  }
  UpdateWindow(w->hwnd);
}

void window_hide(Handle wnd) {
  if (win32::Window* w = win32::window(wnd)) ShowWindow(w->hwnd, SW_HIDE);
}

void window_set_title(Handle wnd, const std::string& title) {
  if (win32::Window* w = win32::window(wnd)) SetWindowTextA(w->hwnd, title.c_str());
}

Handle window_dc(Handle wnd) {
  win32::Window* w = win32::window(wnd);
  return w ? w->dc : 0;
}

void window_refresh(Handle wnd) {
  win32::Window* w = win32::window(wnd);
  if (!w || !IsWindowVisible(w->hwnd)) return;
  GdiEntry* dc = win32::gdi_entry(w->dc, GdiEntry::Dc);
  if (!dc || !dc->dib) return;
  const wumpets::PixelBuffer& image = dc->dib->pixels;
  // Only what was drawn since the last refresh goes to the screen.
  std::size_t n = 0;
  const bool partial = w->shown_identity == image.identity() &&
                       image.changes_after(w->shown_version, B().areas.data(), B().areas.size(), n);
  if (partial) {
    n = wumpets::coalesce(B().areas.data(), n);
    for (std::size_t i = 0; i < n; ++i) {
      const auto& a = B().areas[i];
      win32::show_area(*w, dc->dc, a.x, a.y, a.w, a.h);
    }
  } else {
    win32::show_area(*w, dc->dc, 0, 0, image.width, image.height);
  }
  w->shown_identity = image.identity();
  w->shown_version = image.version();
  if (w->kind == WindowKind::Saver) ++B().frames_shown;
}

void window_unload(Handle wnd) {
  win32::Window* w = win32::window(wnd);
  if (!w) return;
  if (w->events && w->events->on_query_unload()) return;
  w = win32::window(wnd);  // the question may have run the message loop
  if (!w) return;
  w->loaded = false;
  if (w->events) w->events->on_unload();
  if (win32::Window* again = win32::window_of(win32::hwnd_of(wnd))) DestroyWindow(again->hwnd);
}

void window_set_topmost(Handle wnd, bool topmost) {
  if (win32::Window* w = win32::window(wnd))
    SetWindowPos(w->hwnd, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void window_move(Handle wnd, int x, int y) {
  if (win32::Window* w = win32::window(wnd))
    SetWindowPos(w->hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool window_client_rect(Handle wnd, Rect& rect) {
  RECT r{};
  if (!IsWindow(win32::hwnd_of(wnd)) || !GetClientRect(win32::hwnd_of(wnd), &r)) return false;
  rect = Rect{r.left, r.top, r.right, r.bottom};
  return true;
}

bool preview_embed(Handle wnd, Handle host, const Rect& client) {
  HWND w = win32::hwnd_of(wnd), parent = win32::hwnd_of(host);
  // The desktop is no host: a child there covers the screen, takes no input and never ends.
  if (!w || !IsWindow(parent) || parent == GetDesktopWindow() || parent == GetShellWindow()) return false;
  // Our borderless windows start as pop-ups; a window is a child or a pop-up, never both.
  const auto style = static_cast<std::uint32_t>(GetWindowLongPtrA(w, GWL_STYLE));
  SetWindowLongPtrA(w, GWL_STYLE, static_cast<LONG_PTR>((style & ~static_cast<std::uint32_t>(WS_POPUP)) | WS_CHILD));
  if (!SetParent(w, parent)) return false;
  // SetWindowLongA cannot set the owner of a 64-bit window; the pointer-sized call can.
  SetWindowLongPtrA(w, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(parent));
  // The image grows first, so that the WM_PAINT that showing the window brings finds it.
  if (win32::Window* win = win32::window(wnd); win && client.right > 0 && client.bottom > 0)
    grow_dc(win->dc, client.right, client.bottom);
  return SetWindowPos(w, nullptr, 0, 0, client.right, client.bottom, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW) != 0;
}

Handle label_create(Handle wnd, const LabelStyle& style) {
  for (std::size_t i = 1; i < B().labels.size(); ++i) {
    win32::Label& l = B().labels[i];
    if (l.wnd) continue;
    l = win32::Label{};
    l.wnd = wnd;
    // On a scaled saver window the label grows with the scene: its points at s times 96 dpi.
    const win32::Window* w = win32::window(wnd);
    const int s = w ? w->scale : 1;
    l.font = CreateFontA(-MulDiv(style.points, s > 1 ? 96 * s : B().dpi, 72), 0, 0, 0, style.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                         FALSE, ANSI_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                         DEFAULT_PITCH | FF_SWISS, style.font.c_str());
    l.colour = win32::colorref(style.colour);
    l.back = win32::colorref(style.back);
    return static_cast<Handle>(i);
  }
  return 0;
}

namespace {
win32::Label* label(Handle h) {
  if (h <= 0 || static_cast<std::size_t>(h) >= B().labels.size()) return nullptr;
  win32::Label& l = B().labels[static_cast<std::size_t>(h)];
  return l.wnd ? &l : nullptr;
}
}  // namespace

void label_set_caption(Handle h, const std::string& caption) {
  win32::Label* l = label(h);
  if (!l) return;
  l->caption = caption;
  // The label sizes itself to its caption.
  HDC screen = GetDC(nullptr);
  HGDIOBJ old = SelectObject(screen, l->font);
  l->size = SIZE{};
  GetTextExtentPoint32A(screen, caption.data(), static_cast<int>(caption.size()), &l->size);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
}

Size label_size(Handle h) {
  win32::Label* l = label(h);
  if (!l) return Size{};
  // In the scene's pixels: the label's drawn size divided by the window's scale, rounded up.
  const win32::Window* w = win32::window(l->wnd);
  const int s = w ? w->scale : 1;
  return Size{(l->size.cx + s - 1) / s, (l->size.cy + s - 1) / s};
}

void label_move(Handle h, int x, int y) {
  if (win32::Label* l = label(h)) {
    l->x = x;
    l->y = y;
  }
}

void label_show(Handle h, bool visible) {
  if (win32::Label* l = label(h)) l->visible = visible;
}

void label_refresh(Handle h) {
  win32::Label* l = label(h);
  if (!l || !l->visible) return;
  win32::Window* w = win32::window(l->wnd);
  if (w && IsWindowVisible(w->hwnd)) win32::paint_labels(l->wnd, w->screen);
}

}  // namespace plat
