// System services on Linux: the command line, the instance lock, the OS family, the registry
// (there is none), the saver password (the desktop's locker owns it), web pages and the end.
#include <fcntl.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sys/time.h>

#include "platform/linux/i_video.h"
#include "platform/linux/linux_platform.h"
#include "platform/platform.h"

namespace linuxplat {

namespace {
// What the program was started with, and the locks it holds.
struct SystemState {
  wumpets::Options options;
  std::string program_dir;
  int saver_lock = -1;  // the lock of the one full-screen saver on this display, once taken
  int exit_status = 0;
};

SystemState& Sys() {
  static SystemState s;
  return s;
}

bool on_path(const char* program) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string dir = dirs.substr(start, end - start);
    if (dir.empty()) dir = ".";
    if (::access((dir + "/" + program).c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

void configure(const wumpets::Options& options, const std::string& program_path) {
  Sys().options = options;
  std::size_t slash = program_path.rfind('/');
  Sys().program_dir = slash == std::string::npos ? "." : program_path.substr(0, slash);
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n > 0) {
    std::string exe(buf, static_cast<std::size_t>(n));
    Sys().program_dir = exe.substr(0, exe.rfind('/'));
  }
  // A locker's saver convention (xsecurelock runs its saver with no arguments and the window
  // to draw into in XSCREENSAVER_WINDOW): that window is the saver's, as with --root.
  const char* host = std::getenv("XSCREENSAVER_WINDOW");
  wumpets::Options& o = Sys().options;
  if (host && *host && o.render.empty() && !o.window && !o.window_id) o.root = true;
}

const wumpets::Options& options() { return Sys().options; }
std::string program_dir() { return Sys().program_dir; }

std::string share_dir() {
  // An install moved to another prefix keeps its layout: bin/ beside share/.
  // The path is made plain ("/usr/share/...", not "/usr/bin/../share/..."): pages opened from it
  // show it in the browser's address bar.
  const std::string relative = Sys().program_dir + "/../share/zelkin-wumpets";
  if (::access(relative.c_str(), R_OK | X_OK) == 0) {
    if (char* real = ::realpath(relative.c_str(), nullptr)) {
      std::string plain = real;
      std::free(real);
      return plain;
    }
    return relative;
  }
  return WUMPETS_SHARE_DIR;
}

std::string lock_folder() {
  // A folder only this user may write: one we own that no one else can write to. The session's
  // runtime folder when it is one; else a folder of our own in the user's cache folder, made
  // private when missing (never one in the shared temporary folder, where another user could
  // make it first and so take the lock away). One that is not ours, or a link planted in its
  // place, is refused: no lock then, and the saver runs.
  auto private_folder = [](const std::string& dir, bool follow_links) {
    struct stat sb {};
    const int r = follow_links ? ::stat(dir.c_str(), &sb) : ::lstat(dir.c_str(), &sb);
    return r == 0 && S_ISDIR(sb.st_mode) && sb.st_uid == ::geteuid() && (sb.st_mode & 022) == 0;
  };
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime == '/' && private_folder(runtime, true)) return runtime;
  std::string cache;
  if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg == '/') {
    cache = xdg;
  } else {
    const char* home = std::getenv("HOME");
    if (!home || *home != '/') {
      const passwd* pw = ::getpwuid(::geteuid());
      home = pw ? pw->pw_dir : nullptr;
    }
    if (!home || *home != '/') return "";
    cache = std::string(home) + "/.cache";
  }
  const std::string dir = cache + "/zelkin-wumpets";
  for (std::size_t i = 1; i <= dir.size(); ++i)
    if (i == dir.size() || dir[i] == '/') ::mkdir(dir.substr(0, i).c_str(), 0700);
  return private_folder(dir, false) && ::access(dir.c_str(), W_OK) == 0 ? dir : "";
}

std::string display_name() {
  // ":0.1" and ":0" are the same display; the screen number goes. Wayland names its socket.
  const char* x = std::getenv("DISPLAY");
  const char* wl = std::getenv("WAYLAND_DISPLAY");
  std::string name = x && *x ? x : wl && *wl ? std::string("wayland-") + wl : "none";
  if (x && *x) {
    const std::size_t colon = name.rfind(':');
    const std::size_t dot = name.find('.', colon == std::string::npos ? 0 : colon);
    if (dot != std::string::npos) name.erase(dot);
  }
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_' && c != ':') c = '_';
  return name;
}

int take_lock(const std::string& what) {
  const std::string folder = lock_folder();
  if (folder.empty()) return -1;
  const std::string path = folder + "/zelkin-wumpets-" + what + "-" + display_name() + ".lock";
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return -1;
  struct stat sb {};
  if (::fstat(fd, &sb) != 0 || !S_ISREG(sb.st_mode) || sb.st_uid != ::geteuid()) {
    ::close(fd);  // not a lock file of ours: no lock
    return -1;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return fd;  // the kernel drops it when we end
  ::close(fd);
  return -2;
}

const char* music_silence_reason() {
  if (linuxvideo::small_embed()) return "a preview";
  static const int lock = take_lock("music");  // held for the life of the process
  return lock == -2 ? "another instance plays the music on this display" : nullptr;
}

void take_saver_lock() {
  if (Sys().saver_lock < 0) Sys().saver_lock = take_lock("saver");
}

}  // namespace linuxplat

namespace plat {

std::string command_line() { return linuxplat::options().args; }
// Another full-screen saver on this user's display. Only full-screen savers hold the lock, so
// --render, the dialogs, the preview and embedded instances never stand in a saver's way.
bool previous_instance() {
  const auto& o = linuxplat::options();
  const bool full_screen = o.render.empty() && !o.window && !o.window_id && !o.root;
  int fd = linuxplat::Sys().saver_lock;
  if (fd < 0) fd = linuxplat::take_lock("saver");
  if (fd == -2) {
    std::fprintf(stderr, "zelkin-wumpets: a saver already runs on display %s; this start ends\n",
                 linuxplat::display_name().c_str());
    std::fflush(stderr);
    return true;
  }
  if (fd >= 0 && full_screen) linuxplat::Sys().saver_lock = fd;
  else if (fd >= 0 && fd != linuxplat::Sys().saver_lock) ::close(fd);
  return false;
}
Handle find_window(const std::string&) { return 0; }  // no "Display Properties" on this desktop
std::int32_t os_platform_id() { return 0; }             // neither family: "Unknown"

Handle registry_open(std::uint32_t, const std::string&) { return 0; }
std::int32_t registry_query(Handle, const std::string&, std::uint32_t&, std::string&, std::uint32_t) {
  return 2;  // not found
}
void registry_close(Handle) {}

void set_saver_running(bool) {}
bool verify_saver_password(Handle) { return true; }

double timer_seconds() {
  timeval tv{};
  ::gettimeofday(&tv, nullptr);
  std::tm local{};
  time_t secs = tv.tv_sec;
  ::localtime_r(&secs, &local);
  return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + tv.tv_usec / 1e6;
}

std::string site_address() {
  // Our own pages, shipped next to the program (build tree) or in the share folder.
  std::string local = linuxplat::program_dir() + "/site";
  if (::access((local + "/index.html").c_str(), R_OK) == 0) return "file://" + local;
  return "file://" + linuxplat::share_dir() + "/site";
}

void shell_open(const std::string& address) {
  // Our site is a folder of files: its home page is the folder's index.
  std::string target = address;
  if (target.rfind("file://", 0) == 0) {
    struct stat sb {};
    if (::stat(target.substr(7).c_str(), &sb) == 0 && S_ISDIR(sb.st_mode)) target += "/index.html";
  }
  auto say_where = [&] {
    std::fprintf(stderr, "zelkin-wumpets: no browser could be started; the page is %s\n", target.c_str());
    std::fflush(stderr);
  };
  if (!linuxplat::on_path("xdg-open")) {
    say_where();
    return;
  }
  // The browser runs on its own and holds nothing of ours: a shell of its own session, with no
  // descriptor but the standard three, starts xdg-open in the background and leaves at once
  // (xdg-open may wait for the browser). Our end is then the end of everything we showed: the
  // display connection, the saver lock and the windows go with this process.
  static const char kOpener[] =
      "{ xdg-open \"$1\" || printf 'zelkin-wumpets: no browser could be started; the page is %s\\n' \"$1\" >&2; } "
      "</dev/null & exit 0";
  posix_spawn_file_actions_t files;
  posix_spawnattr_t attr;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addclosefrom_np(&files, 3);
  posix_spawnattr_init(&attr);
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &all);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  const char* argv[] = {"sh", "-c", kOpener, "sh", target.c_str(), nullptr};
  pid_t pid = -1;
  const int err = ::posix_spawn(&pid, "/bin/sh", &files, &attr, const_cast<char* const*>(argv), environ);
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&files);
  if (err != 0) {
    say_where();
    return;
  }
  ::waitpid(pid, nullptr, 0);  // the shell leaves as soon as xdg-open is started
}

void set_exit_status(int status) { linuxplat::Sys().exit_status = status; }

void end_process() {
  std::fflush(stdout);
  std::fflush(stderr);
  ::_exit(linuxplat::Sys().exit_status);
}

}  // namespace plat
