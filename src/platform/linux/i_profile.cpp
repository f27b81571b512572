// The settings file and the data folder on Linux. The settings file lives in
// $XDG_CONFIG_HOME (default ~/.config), or the folder given with --config-dir.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/posix/profile_file.h"
#include "platform/linux/linux_platform.h"
#include "platform/platform.h"

namespace plat {

std::string windows_directory() {
  const auto& o = linuxplat::options();
  if (!o.config_dir.empty()) return o.config_dir;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg) return xdg;
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : ".") + "/.config";
}

char path_separator() { return '/'; }

static std::string settings_path(const std::string& file) {
  std::string dir = windows_directory();
  if (!dir.empty() && dir.back() != '/') dir += '/';
  return dir + file;
}

std::string profile_get(const std::string& section, const std::string& key, const std::string& def, int size,
                        const std::string& file) {
  return profile::read(settings_path(file), section, key, def, size);
}

ProfileWrite profile_put(const std::string& section, const std::string& key, const std::string& value,
                         const std::string& file) {
  return profile_put_all(section, {{key, value}}, file);
}

ProfileWrite profile_put_all(const std::string& section, const ProfileEntries& entries, const std::string& file) {
  return profile::write_reported(settings_path(file), section, entries);
}

// The folder of the pictures and songs: --data-dir, else data/ next to the program (a build),
// else ../share/zelkin-wumpets/data from the program (an install, wherever its prefix went),
// else the share folder the program was configured for. A folder that is missing or lacks a
// file gets one line on standard error naming what was tried; the saver then goes on as it
// would with a missing file.
std::string data_directory() {
  static const std::string chosen = [] {
    static const char* const kFiles[] = {
        "d_0.Mid", "d_1.Mid", "d_2.Mid", "d_3.Mid", "d_4.Mid", "d_5.Mid", "d_back0.bmp", "d_back1.bmp",
        "d_back2.bmp", "d_buffer.bmp", "d_discoball.bmp", "d_hippie.bmp", "d_lavalamp.bmp", "d_notes11.bmp",
        "d_notes12.bmp", "d_notes21.bmp", "d_notes22.bmp", "d_notesmask.bmp", "d_peace.bmp", "d_pinkrose.bmp",
        "d_redrose.bmp", "d_whiterose.bmp", "d_wumpet1.bmp", "d_wumpet2.bmp", "d_wumpet3.bmp", "d_wumpet4.bmp",
        "d_wumpet5.bmp", "d_wumpetmask.bmp", "d_yellowrose.bmp"};
    auto first_missing = [](const std::string& dir) -> const char* {
      for (const char* f : kFiles)
        if (::access((dir + f).c_str(), R_OK) != 0) return f;
      return nullptr;
    };
    const auto& o = linuxplat::options();
    std::vector<std::string> tried;
    if (!o.data_dir.empty()) {
      tried.push_back(o.data_dir);
    } else {
      const std::string here = linuxplat::program_dir();
      tried = {here + "/data/", here + "/../share/zelkin-wumpets/data/", WUMPETS_SHARE_DIR "/data/"};
    }
    for (std::size_t i = 0; i < tried.size(); ++i) {
      if (first_missing(tried[i])) continue;
      // A folder passed over although it is there (a copy beside a moved program, say) is named:
      // pictures from elsewhere are a surprise otherwise.
      for (std::size_t j = 0; j < i; ++j)
        if (::access(tried[j].c_str(), R_OK | X_OK) == 0)
          std::fprintf(stderr, "zelkin-wumpets: %s is missing %s; the pictures and songs come from %s\n",
                       tried[j].c_str(), first_missing(tried[j]), tried[i].c_str());
      std::fflush(stderr);
      return tried[i];
    }
    // None is complete: the first that exists at all, else the last tried.
    std::string dir = tried.back();
    for (const std::string& d : tried)
      if (::access(d.c_str(), R_OK | X_OK) == 0) {
        dir = d;
        break;
      }
    std::string names;
    for (const std::string& d : tried) names += (names.empty() ? "" : ", ") + d;
    std::fprintf(stderr, "zelkin-wumpets: no complete data folder (tried %s; %s is missing %s)\n", names.c_str(),
                 dir.c_str(), first_missing(dir));
    std::fflush(stderr);
    return dir;
  }();
  return chosen;
}

}  // namespace plat
