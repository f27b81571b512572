// A stand-in for the system's settings window that asks for the saver's settings: a window of
// its own, a saver started with "/c:" and this window's handle, and the checks that window can
// make from its own process: the settings dialog belongs to it (owned, centred on it), it takes
// no input while the dialog is open, and it gets its input back when the dialog closes.
//   settings_host.exe SAVER [ARGS...]      exit code 0 when every check passes
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "host_window.h"

using wumpets_test::pump;

namespace {

PROCESS_INFORMATION g_saver{};

// A failed check ends the saver too: a settings dialog left open would keep the test waiting.
int fail(const char* what) {
  std::printf("FAIL: %s\n", what);
  std::fflush(stdout);
  if (g_saver.hProcess) TerminateProcess(g_saver.hProcess, 1);
  return 1;
}

struct Search {
  DWORD pid = 0;
  HWND found = nullptr;
};

BOOL CALLBACK find_visible_top_level(HWND w, LPARAM arg) {
  auto* s = reinterpret_cast<Search*>(arg);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid == s->pid && IsWindowVisible(w)) {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return fail("usage: settings_host SAVER [ARGS...]");
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = "WumpetsSettingsHost";
  RegisterClassA(&wc);
  // Larger than the dialog, away from the screen's centre: a dialog centred on the screen
  // instead of on its owner shows.
  HWND host = CreateWindowA("WumpetsSettingsHost", "Screen Saver Settings", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 10,
                            820, 700, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!host) return fail("no host window");
  SetForegroundWindow(host);
  pump(300);

  std::string command = "\"" + std::string(argv[1]) + "\" /c:" +
                        std::to_string(static_cast<long long>(reinterpret_cast<INT_PTR>(host)));
  for (int i = 2; i < argc; ++i) command += " \"" + std::string(argv[i]) + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION& pi = g_saver;
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return fail("cannot start the saver");

  Search s;
  s.pid = pi.dwProcessId;
  for (int i = 0; i < 300 && !s.found; ++i) {
    pump(100);
    EnumWindows(find_visible_top_level, reinterpret_cast<LPARAM>(&s));
  }
  if (!s.found) return fail("no settings dialog appeared");
  pump(500);
  HWND dialog = s.found;
  RECT h{}, d{};
  GetWindowRect(host, &h);
  GetWindowRect(dialog, &d);
  const long dx = (d.left + d.right) / 2 - (h.left + h.right) / 2, dy = (d.top + d.bottom) / 2 - (h.top + h.bottom) / 2;
  std::printf("host %ld,%ld-%ld,%ld; dialog %ld,%ld-%ld,%ld; owner %s; host %s\n", h.left, h.top, h.right, h.bottom,
              d.left, d.top, d.right, d.bottom, GetWindow(dialog, GW_OWNER) == host ? "the host" : "another",
              IsWindowEnabled(host) ? "enabled" : "disabled");
  std::fflush(stdout);
  if (GetWindow(dialog, GW_OWNER) != host) return fail("the dialog does not belong to the window that asked");
  if (IsWindowEnabled(host)) return fail("the window that asked still takes input while the dialog is open");
  if (std::labs(dx) > 2 || std::labs(dy) > 2) return fail("the dialog is not centred on the window that asked");

  // The dialog's close box: the program ends, and the window that asked takes input again.
  PostMessageA(dialog, WM_CLOSE, 0, 0);
  for (int i = 0; i < 150 && WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT; ++i) pump(100);
  if (WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0) return fail("the saver did not end when its settings dialog closed");
  g_saver.hProcess = nullptr;
  pump(200);
  if (!IsWindowEnabled(host)) return fail("the window that asked stays without input after the dialog closed");
  std::printf("the dialog closed and the window that asked takes input again\n");
  return 0;
}
