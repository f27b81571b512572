// A small stand-in for the Display Properties dialog: a window whose client area is the
// little monitor picture, a saver started with "/p" and this window's handle, and the checks
// a host can make from its own process (Wine draws no pixels across processes, so those are
// checked in-process by the back-end tests): a child of the host's client size appears under
// it, never takes the focus, and the saver ends when the host closes. Then the desktop as the
// host (GetDesktopWindow, and the shell's desktop window): the saver ends at once with status 1
// instead of covering the screen for ever.
//   preview_host.exe SAVER [ARGS...]      exit code 0 when every check passes
//   preview_host.exe --hold SAVER [ARGS...]
//       the preview as the screen saver settings keep it running: once the checks pass ("ready"
//       is printed), the host stays open until someone else ends the saver (two minutes at
//       most); exit code 0 when it was ended
#include <windows.h>

#include <cstdio>
#include <string>

#include "host_window.h"

using wumpets_test::make_host_window;
using wumpets_test::pump;

// The shell's call that makes a window the desktop of GetShellWindow (in user32, not declared
// by the headers).
extern "C" __declspec(dllimport) BOOL WINAPI SetShellWindow(HWND);

namespace {

int fail(const char* what) {
  std::printf("FAIL: %s\n", what);
  std::fflush(stdout);
  return 1;
}

}  // namespace

// Starts the saver with "/p" and this handle and the extra arguments.
bool start_saver(int argc, char** argv, HWND host, PROCESS_INFORMATION& pi) {
  std::string command = "\"" + std::string(argv[1]) + "\" /p " +
                        std::to_string(static_cast<long long>(reinterpret_cast<INT_PTR>(host)));
  for (int i = 2; i < argc; ++i) command += " \"" + std::string(argv[i]) + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  return CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi) != FALSE;
}

// The desktop as the host: the saver must end by itself, soon, with status 1.
int desktop_host_ends(int argc, char** argv, HWND desktop, const char* name) {
  PROCESS_INFORMATION pi{};
  if (!start_saver(argc, argv, desktop, pi)) return fail("cannot start the saver");
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) {
    TerminateProcess(pi.hProcess, 1);
    std::printf("host: %s\n", name);
    return fail("a preview on the desktop did not end by itself");
  }
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  std::printf("a preview on %s ended with exit code %lu\n", name, code);
  return code == 1 ? 0 : fail("exit code not 1");
}

int main(int argc, char** argv) {
  const bool hold = argc > 1 && std::string(argv[1]) == "--hold";
  if (hold) {
    --argc;
    ++argv;
  }
  if (argc < 2) return fail("usage: preview_host [--hold] SAVER [ARGS...]");
  HWND host = make_host_window("Preview host", 100, 100);
  if (!host) return fail("no host window");
  SetForegroundWindow(host);
  pump(300);

  PROCESS_INFORMATION pi{};
  if (!start_saver(argc, argv, host, pi)) return fail("cannot start the saver");

  HWND child = nullptr;
  for (int i = 0; i < 300 && !child; ++i) {
    pump(100);
    child = GetWindow(host, GW_CHILD);
  }
  if (!child) return fail("no child window under the host");
  pump(300);
  RECT host_client{}, child_rect{};
  GetClientRect(host, &host_client);
  GetWindowRect(child, &child_rect);
  MapWindowPoints(nullptr, host, reinterpret_cast<POINT*>(&child_rect), 2);
  std::printf("host client %ldx%ld, child at %ld,%ld size %ldx%ld\n", host_client.right, host_client.bottom,
              child_rect.left, child_rect.top, child_rect.right - child_rect.left, child_rect.bottom - child_rect.top);
  if (child_rect.left != 0 || child_rect.top != 0 || child_rect.right != host_client.right ||
      child_rect.bottom != host_client.bottom)
    return fail("the child does not cover the host's client area");
  if (!IsWindowVisible(child)) return fail("the child is not shown");
  if (!(GetWindowLongPtrA(child, GWL_STYLE) & WS_CHILD)) return fail("not a child window");
  DWORD owner_pid = 0;
  GetWindowThreadProcessId(child, &owner_pid);
  if (owner_pid != pi.dwProcessId) return fail("the child is not the saver's");
  if (WaitForSingleObject(pi.hProcess, 0) != WAIT_TIMEOUT) return fail("the saver ended while its host is open");

  if (hold) {
    std::printf("ready\n");
    std::fflush(stdout);
    for (int i = 0; i < 1200; ++i) {
      pump(100);
      if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) {
        std::printf("the saver was ended while its host was open\n");
        return 0;
      }
    }
    TerminateProcess(pi.hProcess, 1);
    return fail("nobody ended the saver");
  }

  // The host closes: the saver's window goes with it, and the saver ends.
  DestroyWindow(host);
  if (WaitForSingleObject(pi.hProcess, 15000) != WAIT_OBJECT_0) {
    TerminateProcess(pi.hProcess, 1);
    return fail("the saver did not end when its host closed");
  }
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  std::printf("the saver ended with exit code %lu\n", code);
  if (code != 0) return fail("exit code not 0");

  if (const int failed = desktop_host_ends(argc, argv, GetDesktopWindow(), "the desktop window")) return failed;
  // Without a shell (as under a bare Wine), a screen-sized window of ours plays its desktop.
  HWND shell = GetShellWindow();
  if (!shell) {
    shell = CreateWindowExA(0, "STATIC", "Program Manager", WS_POPUP, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                            GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, nullptr, nullptr);
    if (!shell || !SetShellWindow(shell) || GetShellWindow() != shell) return fail("cannot make a shell desktop window");
  }
  return desktop_host_ends(argc, argv, shell, "the shell's desktop window");
}
