// Main: the program's single entry point, and the settings-dialog mode procedure.
#include <algorithm>
#include <cctype>
#include <cstdint>

#include "dialogs/configuration.h"
#include "errors/handler.h"
#include "startup/starter.h"

namespace wumpets {

namespace {

std::string trim_blanks(const std::string& s) {
  std::size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  std::size_t e = s.find_last_not_of(' ');
  return s.substr(b, e - b + 1);
}

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

void Main(Starter& st) {
  guarded(st, "Starter/Main", [&] {
    const std::string args = plat::command_line();
    st.cmdline = lower(trim_blanks(args));
    st.cmdswitch = st.cmdline.substr(0, 2);
    // The system's dialog whose Preview button starts "/s" while its own preview runs, by the
    // titles the Windows versions give it.
    for (const char* title : {"Display Properties", "Screen Saver Settings"})
      if (st.displaypropswnd == 0) st.displaypropswnd = plat::find_window(title);

    // A second full-screen start while one runs is refused before anything else happens.
    if (st.cmdswitch == "/s" && st.displaypropswnd == 0 && plat::previous_instance()) plat::end_process();

    // The switch may stand anywhere in the arguments, in any case; the first hit in this order wins.
    const std::string raw = lower(args);
    auto has = [&](const char* sw) { return raw.find(sw) != std::string::npos; };

    // Options for one run belong to that run: the settings dialog shows and saves the file.
    if (!has("/p") && has("/c") && !st.overrides.empty()) {
      std::string keys;
      for (const auto& [key, value] : st.overrides) keys += (keys.empty() ? "" : ", ") + key;
      plat::log_error("the settings dialog shows and saves the settings file; options for one run are ignored (" +
                      keys + ")");
      st.overrides.clear();
    }

    st.rng.randomize();
    X_GetData(st);
    if (has("/p")) {
      Run_Preview(st);
    } else if (has("/c")) {
      Run_Configure(st);
    } else if (has("/a")) {
      Run_Password(st);
    } else if (has("/h")) {
      Run_HelpPage(st);
    } else if (has("/w")) {
      Run_WebSite(st);
    } else {
      Run_ScreenSaver(st);
    }
    // The program lives while one of its windows is loaded: a mode that left none (the password
    // change, whose dialog is the system's) ends it here.
    if (!st.saver && !st.preview && !st.configuration && !st.bugreport.visible) plat::end_process();
  });
}

// The decimal window handle after "/c:", or 0 (none, or a number no handle can be).
plat::Handle configure_owner(const std::string& cmdline) {
  const std::size_t at = cmdline.find("/c:");
  if (at == std::string::npos) return 0;
  std::int64_t h = 0;
  for (std::size_t i = at + 3; i < cmdline.size() && cmdline[i] >= '0' && cmdline[i] <= '9'; ++i) {
    h = h * 10 + (cmdline[i] - '0');
    if (h > INT32_MAX) return 0;
  }
  return static_cast<plat::Handle>(h);
}

void Run_Configure(Starter& st) {
  guarded(st, "Starter/Run_Configure", [&] {
    st.runmode = kModeConfigure;
    st.configowner = configure_owner(st.cmdline);
    load_configuration(st);
  });
}

}  // namespace wumpets
