// What the Windows test programs share: a stand-in for the Display Properties dialog's little
// monitor picture (a window with a 152 x 112 client area), and a message pump that runs for a
// while.
#pragma once

#include <windows.h>

namespace wumpets_test {

inline void pump(int ms) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
  MSG msg;
  while (static_cast<int>(end - GetTickCount()) > 0) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(5);
  }
}

// A visible top-level window whose client area is 152 x 112, at (x, y); null on failure.
inline HWND make_host_window(const char* title, int x, int y) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = "WumpetsPreviewHost";
  RegisterClassA(&wc);  // fails harmlessly when the class is already there
  RECT outer{0, 0, 152, 112};
  AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE);
  return CreateWindowA("WumpetsPreviewHost", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y,
                       outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                       GetModuleHandleA(nullptr), nullptr);
}

}  // namespace wumpets_test
