// The settings file and the data folder on Linux. The settings file lives in
// $XDG_CONFIG_HOME (default ~/.config), or the folder given with --config-dir.
#include <unistd.h>

#include <cstdlib>

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

bool profile_put(const std::string& section, const std::string& key, const std::string& value,
                 const std::string& file) {
  return profile::write(settings_path(file), section, key, value);
}

std::string data_directory() {
  const auto& o = linuxplat::options();
  if (!o.data_dir.empty()) return o.data_dir;
  std::string local = linuxplat::program_dir() + "/data/";
  if (::access(local.c_str(), R_OK) == 0) return local;
  return WUMPETS_SHARE_DIR "/data/";
}

}  // namespace plat
