// System services on Linux: the command line, the instance lock, the OS family, the registry
// (there is none), the saver password (the desktop's locker owns it), web pages and the end.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sys/time.h>

#include "platform/linux/linux_platform.h"
#include "platform/platform.h"

namespace linuxplat {

namespace {
// What the program was started with, and what the start found.
struct SystemState {
  wumpets::Options options;
  std::string program_dir;
  bool previous_instance = false;
};

SystemState& Sys() {
  static SystemState s;
  return s;
}

// Every instance holds a shared lock on a per-user file for its whole life; an instance that can
// take it exclusively at start is the only one. The kernel drops the lock when a process dies,
// so a crash never leaves it stale.
void take_instance_lock() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string path = runtime && *runtime ? std::string(runtime) + "/zelkin-wumpets.lock"
                                         : "/tmp/zelkin-wumpets-" + std::to_string(::getuid()) + ".lock";
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return;  // no lock to be had: behave as the only instance
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
    ::flock(fd, LOCK_SH);
  } else {
    Sys().previous_instance = true;
    ::flock(fd, LOCK_SH | LOCK_NB);
  }
  // fd stays open for the life of the process.
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
  take_instance_lock();
}

const wumpets::Options& options() { return Sys().options; }
std::string program_dir() { return Sys().program_dir; }

}  // namespace linuxplat

namespace plat {

std::string command_line() { return linuxplat::options().args; }
bool previous_instance() { return linuxplat::Sys().previous_instance; }
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
  return "file://" WUMPETS_SHARE_DIR "/site";
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
  // The browser runs on its own; this program does not wait for it. A helper process waits for
  // xdg-open instead and names the page when it could not open it.
  pid_t pid = ::fork();
  if (pid == 0) {
    if (::fork() == 0) {
      pid_t opener = ::fork();
      if (opener == 0) {
        ::execlp("xdg-open", "xdg-open", target.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
      }
      int status = 0;
      if (opener < 0 || ::waitpid(opener, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        say_where();
      ::_exit(0);
    }
    ::_exit(0);
  }
  if (pid > 0) ::waitpid(pid, nullptr, 0);
  else say_where();
}

void end_process() {
  std::fflush(stdout);
  std::fflush(stderr);
  ::_exit(0);
}

}  // namespace plat
