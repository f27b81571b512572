// The one thread's loop on Windows: the window procedure of the saver and preview windows, the
// timers (SetTimer on one message-only window) and the GetMessage loop that also serves the
// dialogs. Called by the program's entry (run_event_loop) and the core's forms (timers).
#include "platform/win32/w_backend.h"

#include <cstdlib>

namespace win32 {

namespace {

LRESULT CALLBACK timer_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_TIMER) {
    const std::size_t id = static_cast<std::size_t>(wp);
    if (id > 0 && id < B().timers.size()) {
      Timer& t = B().timers[id];
      const bool holding = B().hold_after >= 0 && B().frames_shown >= B().hold_after;
      if (t.events && t.enabled && !holding) t.events->on_timer(static_cast<plat::Handle>(id));
    }
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

// Starts or stops the system timer so that it matches what the core asked for.
void sync_timer(std::size_t id) {
  Timer& t = B().timers[id];
  const bool want = t.events && t.enabled && t.interval > 0;
  if (want) {
    SetTimer(B().timer_window, id, static_cast<UINT>(t.interval), nullptr);  // also restarts the count
  } else if (t.running) {
    KillTimer(B().timer_window, id);
  }
  t.running = want;
}

Timer* timer(plat::Handle h) {
  if (h <= 0 || static_cast<std::size_t>(h) >= B().timers.size()) return nullptr;
  Timer& t = B().timers[static_cast<std::size_t>(h)];
  return t.events ? &t : nullptr;
}

}  // namespace

void register_classes() {
  static bool done = false;
  if (done) return;
  done = true;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  // Double clicks must be asked for; the window's own DC lives as long as the window.
  wc.style = CS_DBLCLKS | CS_OWNDC;
  wc.lpfnWndProc = window_proc;
  wc.hInstance = B().instance;
  wc.hIcon = LoadIconA(B().instance, MAKEINTRESOURCEA(1));
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = "ZelkinWumpetsWindow";
  RegisterClassExA(&wc);

  WNDCLASSEXA tc{};
  tc.cbSize = sizeof tc;
  tc.lpfnWndProc = timer_proc;
  tc.hInstance = B().instance;
  tc.lpszClassName = "ZelkinWumpetsTimers";
  RegisterClassExA(&tc);
  B().timer_window = CreateWindowExA(0, "ZelkinWumpetsTimers", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     B().instance, nullptr);
}

LRESULT CALLBACK window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Window* w = window_of(hwnd);
  if (!w || !w->loaded || !w->events) {
    if (w && msg == WM_NCDESTROY) *w = Window{};
    return DefWindowProcA(hwnd, msg, wp, lp);
  }
  const plat::Handle h = handle_of(hwnd);
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      paint_window(*w, dc, ps.rcPaint);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // the image covers the whole window
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      w->pressed = true;
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      // A click is a button going down and up in the window.
      if (w->pressed) {
        w->pressed = false;
        w->events->on_click();
      }
      return 0;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
      w->pressed = true;
      w->events->on_dblclick();
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      w->events->on_keydown(static_cast<int>(wp));
      return 0;
    case WM_CHAR:
      w->events->on_keypress(static_cast<int>(wp));
      return 0;
    case WM_CLOSE:
      plat::window_unload(h);  // the same question as any other close request
      return 0;
    case WM_DESTROY:
      // Destroyed without our asking (the preview's host went away): unload without a question.
      if (w->loaded) {
        w->loaded = false;
        w->events->on_unload();
      }
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

}  // namespace win32

namespace plat {

using win32::B;

Handle timer_create(TimerEvents* events) {
  win32::register_classes();
  for (std::size_t i = 1; i < B().timers.size(); ++i) {
    if (B().timers[i].events) continue;
    B().timers[i] = win32::Timer{};
    B().timers[i].events = events;
    return static_cast<Handle>(i);
  }
  return 0;
}

void timer_set_interval(Handle timer, int ms) {
  if (win32::Timer* t = win32::timer(timer)) {
    t->interval = ms;
    win32::sync_timer(static_cast<std::size_t>(timer));
  }
}

void timer_enable(Handle timer, bool enabled) {
  if (win32::Timer* t = win32::timer(timer); t && t->enabled != enabled) {
    t->enabled = enabled;
    win32::sync_timer(static_cast<std::size_t>(timer));
  }
}

bool timer_enabled(Handle timer) {
  win32::Timer* t = win32::timer(timer);
  return t && t->enabled;
}

void run_event_loop() {
  if (const char* hold = std::getenv("WUMPETS_HOLD_AFTER_FRAMES")) B().hold_after = std::atoi(hold);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (win32::dialog_message(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  end_process();
}

}  // namespace plat
