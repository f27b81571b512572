// The Windows program ZelkinWumpets.scr: takes its own "--" options out of the arguments, sets
// up the back end and hands over to Main, then runs the one message loop until a mode ends the
// process. The system starts it with /s, /c, /p HWND or /a HWND.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/w_backend.h"

#include <shellapi.h>

#include "platform/win32/w_text.h"
#include "platform/common/options.h"
#include "version.h"

namespace {

// Text for --help and the errors: standard output when there is one (a console, or Wine's
// terminal), otherwise a message box, since a screen saver is a windowed program.
void tell(const std::string& text, bool error) {
  HANDLE out = GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  if (out && out != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
  MessageBoxA(nullptr, text.c_str(), "Zelkin Wumpets", MB_OK | (error ? MB_ICONERROR : MB_ICONINFORMATION));
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // The arguments in full (the ANSI ones lose a folder name outside the code page): paths in
  // them are UTF-8 from here on, as the back end opens them. A value for the scene is text of
  // the code page, as the settings file holds it.
  std::vector<std::string> args;
  int argc = 0;
  if (LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc)) {
    for (int i = 1; i < argc; ++i) args.push_back(win32::utf8(argv[i]));
    LocalFree(argv);
  }
  wumpets::Options options = wumpets::parse_options(args);
  for (auto& setting : options.settings) setting.second = win32::ansi(win32::wide_path(setting.second));
  if (options.window_id || options.root || !options.render.empty())
    options.errors.push_back("--window-id, --root and --render exist only on Linux");
  if (!options.errors.empty()) {
    std::string text;
    for (const auto& e : options.errors) text += "ZelkinWumpets: " + e + "\r\n";
    tell(text + "Try 'ZelkinWumpets.scr --help'.\r\n", true);
    return 2;
  }
  if (options.help) {
    tell(wumpets::options_help(), false);
    return 0;
  }
  if (options.version) {
    tell("Zelkin Wumpets " WUMPETS_VERSION "\r\n", false);
    return 0;
  }
  win32::configure(options);

  plat::core_main(options.seed, options.settings);
  plat::run_event_loop();
  return 0;
}
