#include "platform/common/options.h"
#include "platform/common/scale.h"

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

// The scene's choices a run may override, each an on/off switch over one or more settings keys.
struct SceneSwitch {
  const char* option;
  std::vector<const char*> keys;
};

const std::vector<SceneSwitch>& scene_switches() {
  static const std::vector<SceneSwitch> table = {
      {"wumpets", {"wumpet1", "wumpet2", "wumpet3", "wumpet4", "wumpet5"}},
      {"notes", {"notes1", "notes2"}},
      {"roses", {"redrose", "pinkrose", "whiterose", "yellowrose"}},
      {"lava-lamps", {"lavalamp"}},
      {"peace-signs", {"peace"}},
      {"disco-ball", {"discoball"}},
      {"hippie", {"hippie"}},
      {"trails", {"trailing"}},
      {"conga", {"conga"}},
      {"music", {"music"}},
  };
  return table;
}

const char* const kBackgrounds[4] = {"skulls", "skeleton", "flowers", "black"};

// on/off in the spellings people type; -1 for anything else.
int parse_on_off(const std::string& v) {
  for (const char* on : {"on", "yes", "true", "1"})
    if (v == on) return 1;
  for (const char* off : {"off", "no", "false", "0"})
    if (v == off) return 0;
  return -1;
}

// Every option name the program knows, for the single-dash spellings.
bool known_option(const std::string& name) {
  static const char* const names[] = {"help", "version", "root", "window", "config-dir", "data-dir", "seed",
                                      "window-id", "render", "frames", "size", "volume", "mute", "soundfont",
                                      "background", "speed", "message", "scale"};
  for (const char* n : names)
    if (name == n) return true;
  for (const SceneSwitch& s : scene_switches())
    if (name == s.option) return true;
  return false;
}

}  // namespace

Options parse_options(const std::vector<std::string>& argv) {
  Options o;
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < argv.size(); ++i) {
    const std::string& a = argv[i];
    std::string name, value;
    if (a.size() >= 3 && a.compare(0, 2, "--") == 0) {
      name = a.substr(2);
    } else if (a == "-h") {
      name = "help";
    } else if (a.size() >= 2 && a[0] == '-' && a[1] != '-' &&
               known_option(a.substr(1, a.find('=') == std::string::npos ? std::string::npos : a.find('=') - 1))) {
      name = a.substr(1);  // -root, -window-id ID, -help: the spellings hosts and lockers pass
    } else {
      rest.push_back(a);
      continue;
    }
    o.took_options = true;
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
    } else if (name == "volume") {
      std::uint64_t v = 0;
      if (take()) {
        if (parse_u64(value, v) && v <= 100) o.volume = static_cast<int>(v);
        else bad();
      }
    } else if (name == "mute") {
      o.mute = true;
      o.settings.emplace_back("music", "0");  // silence needs no song files either
    } else if (name == "soundfont") {
      if (take()) o.soundfont = value;
    } else if (name == "background") {
      if (take()) {
        int found = -1;
        for (int b = 0; b < 4; ++b)
          if (value == kBackgrounds[b] || value == std::to_string(b)) found = b;
        if (found >= 0) o.settings.emplace_back("background", std::to_string(found));
        else bad();
      }
    } else if (name == "speed") {
      std::uint64_t ms = 0;
      if (take()) {
        if (parse_u64(value, ms) && ms >= 1 && ms <= 140) o.settings.emplace_back("speed", std::to_string(ms));
        else bad();
      }
    } else if (name == "scale") {
      if (take()) {
        const int s = parse_scale(value);
        if (s >= 0 && !value.empty()) o.scale = s;
        else bad();
      }
    } else if (name == "message") {
      if (take()) {
        o.settings.emplace_back("messagetext", value);
        o.settings.emplace_back("message", value.empty() ? "0" : "1");
      }
    } else {
      const SceneSwitch* sw = nullptr;
      for (const SceneSwitch& s : scene_switches())
        if (name == s.option) sw = &s;
      if (!sw) {
        o.errors.push_back("unknown option --" + name);
        continue;
      }
      const int on = has_value ? parse_on_off(value) : 1;
      if (on < 0) {
        bad();
        continue;
      }
      for (const char* key : sw->keys) o.settings.emplace_back(key, on ? "1" : "0");
    }
  }
  for (std::size_t i = 0; i < rest.size(); ++i) o.args += (i ? " " : "") + rest[i];
  return o;
}

std::string mode_arguments(const std::string& passed, const Options& options) {
  return options.took_options ? options.args : passed;
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
         "                    program, then ../share/zelkin-wumpets/data from it, then the\n"
         "                    share folder it was built for)\n"
         "  --seed=N          derive every random number from N: a reproducible run\n"
         "  --window[=WxH]    run the saver in an ordinary window (default 1280x720)\n"
         "  --window-id=ID    (X11) draw the saver into the existing window ID (decimal or 0x hex)\n"
         "  --root            (X11) draw into the window named by $XSCREENSAVER_WINDOW\n"
         "                    (implied when a locker such as xsecurelock sets it)\n"
         "  --render=FILE     no display: run the saver and write the picture after\n"
         "                    --frames=N ticks (default 1) at --size=WxH (default 1920x1080)\n"
         "                    to FILE (.png or .bmp)\n"
         "  --help, -h        this text\n"
         "  --version         the version\n"
         "\n"
         "Sound for this run:\n"
         "  --volume=N        loudness from 0 to 100\n"
         "  --mute            no music\n"
         "  --soundfont=FILE  the General MIDI soundfont (default: the system's, found in\n"
         "                    /usr/share/sounds/sf2 and /usr/share/soundfonts)\n"
         "\n"
         "The scene for this run (each overrides the settings file, which stays as it is):\n"
         "  --background=NAME skulls, skeleton, flowers or black\n"
         "  --speed=MS        milliseconds per frame, 1 (fast) to 140 (slow)\n"
         "  --wumpets=on|off  the five dancers\n"
         "  --notes=on|off    both sets of musical notes\n"
         "  --roses=on|off    the roses of every colour\n"
         "  --lava-lamps=on|off\n"
         "  --peace-signs=on|off\n"
         "  --disco-ball=on|off\n"
         "  --hippie=on|off\n"
         "  --trails=on|off   moving objects leave trails\n"
         "  --conga=on|off    the dancers dance in a line\n"
         "  --music=on|off    the songs (on: the chosen ones, or the first three)\n"
         "  --message=TEXT    the personal message (empty: none)\n"
         "  --scale=auto|N    show each pixel of the scene as an N x N block, N from 1 to 4\n"
         "                    (auto: the desktop's own scale, from its dots per inch)\n"
         "\n"
         "Options take their value as --opt=value or --opt value, and may be written with one\n"
         "dash (-root, -window-id ID) as screen-saver hosts and lockers pass them.\n";
}

}  // namespace wumpets
