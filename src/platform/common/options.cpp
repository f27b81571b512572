#include "platform/common/options.h"

#include <charconv>

namespace wumpets {

namespace {

bool parse_u64(const std::string& s, std::uint64_t& out, int base = 10) {
  if (s.empty()) return false;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out, base);
  return ec == std::errc() && p == s.data() + s.size();
}

bool parse_size(const std::string& s, int& w, int& h) {
  std::size_t x = s.find('x');
  std::uint64_t a = 0, b = 0;
  if (x == std::string::npos || !parse_u64(s.substr(0, x), a) || !parse_u64(s.substr(x + 1), b)) return false;
  if (a < 1 || b < 1 || a > 16384 || b > 16384) return false;
  w = static_cast<int>(a);
  h = static_cast<int>(b);
  return true;
}

// Decimal, or hexadecimal after 0x.
bool parse_window_id(const std::string& s, std::uint64_t& out) {
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) return parse_u64(s.substr(2), out, 16);
  return parse_u64(s, out);
}

}  // namespace

Options parse_options(const std::vector<std::string>& argv) {
  Options o;
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < argv.size(); ++i) {
    const std::string& a = argv[i];
    if (a.size() < 3 || a.compare(0, 2, "--") != 0) {
      rest.push_back(a);
      continue;
    }
    std::string name = a.substr(2), value;
    bool has_value = false;
    if (std::size_t eq = name.find('='); eq != std::string::npos) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
      has_value = true;
    }
    // Options that take a value accept "--opt=value" and "--opt value".
    auto take = [&]() -> bool {
      if (has_value) return true;
      if (i + 1 < argv.size()) {
        value = argv[++i];
        return true;
      }
      o.errors.push_back("--" + name + " needs a value");
      return false;
    };
    auto bad = [&] { o.errors.push_back("bad value for --" + name + ": " + value); };
    if (name == "help") {
      o.help = true;
    } else if (name == "version") {
      o.version = true;
    } else if (name == "root") {
      o.root = true;
    } else if (name == "window") {
      o.window = true;
      if (has_value && !parse_size(value, o.window_width, o.window_height)) bad();
    } else if (name == "config-dir") {
      if (take()) o.config_dir = value;
    } else if (name == "data-dir") {
      if (take()) {
        o.data_dir = value;
        if (!o.data_dir.empty() && o.data_dir.back() != '/') o.data_dir += '/';
      }
    } else if (name == "seed") {
      std::uint64_t s = 0;
      if (take()) {
        if (parse_u64(value, s)) o.seed = s;
        else bad();
      }
    } else if (name == "window-id") {
      std::uint64_t id = 0;
      if (take()) {
        if (parse_window_id(value, id) && id > 0) o.window_id = id;
        else bad();
      }
    } else if (name == "render") {
      if (take()) o.render = value;
    } else if (name == "frames") {
      std::uint64_t n = 0;
      if (take()) {
        if (parse_u64(value, n) && n <= 1000000) o.frames = static_cast<int>(n);
        else bad();
      }
    } else if (name == "size") {
      if (take() && !parse_size(value, o.render_width, o.render_height)) bad();
    } else {
      o.errors.push_back("unknown option --" + name);
    }
  }
  for (std::size_t i = 0; i < rest.size(); ++i) o.args += (i ? " " : "") + rest[i];
  return o;
}

std::string options_help() {
  return "Usage: zelkin-wumpets [options] [/s | /c | /p HANDLE | /a HANDLE | /h | /w]\n"
         "\n"
         "Modes (anywhere in the arguments, any case):\n"
         "  /s, or none       run the saver full screen\n"
         "  /c                the settings dialog\n"
         "  /p HANDLE         live preview inside the window HANDLE (an X11 window id)\n"
         "  /a HANDLE         change the saver password\n"
         "  /h, /w            open the support page or the home page and end\n"
         "\n"
         "Options:\n"
         "  --config-dir=DIR  folder of the settings file vornicade.ini\n"
         "                    (default $XDG_CONFIG_HOME, else ~/.config)\n"
         "  --data-dir=DIR    folder of the pictures and songs (default: data/ next to the\n"
         "                    program, then the installed share folder)\n"
         "  --seed=N          derive every random number from N: a reproducible run\n"
         "  --window[=WxH]    run the saver in an ordinary window (default 1280x720)\n"
         "  --window-id=ID    (X11) draw the saver into the existing window ID (decimal or 0x hex)\n"
         "  --root            (X11) draw into the window named by $XSCREENSAVER_WINDOW\n"
         "  --render=FILE     no display: run the saver and write the picture after\n"
         "                    --frames=N ticks (default 1) at --size=WxH (default 1920x1080)\n"
         "                    to FILE (.png or .bmp)\n"
         "  --help            this text\n"
         "  --version         the version\n"
         "Options take their value as --opt=value or --opt value.\n";
}

}  // namespace wumpets
