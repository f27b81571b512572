// The Linux program: takes its own "--" options out of the arguments, sets up the back end and
// hands over to Main, then runs the event loop until a mode ends the process.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/linux/i_sound.h"
#include "platform/linux/linux_platform.h"
#include "startup/options.h"
#include "startup/starter.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  wumpets::Options options = wumpets::parse_options(args);
  if (!options.errors.empty()) {
    for (const auto& e : options.errors) std::fprintf(stderr, "zelkin-wumpets: %s\n", e.c_str());
    std::fprintf(stderr, "Try 'zelkin-wumpets --help'.\n");
    return 2;
  }
  if (options.help) {
    std::fputs(wumpets::options_help().c_str(), stdout);
    return 0;
  }
  if (options.version) {
    std::puts("Zelkin Wumpets 6.0");
    return 0;
  }
  if (!options.render.empty()) {
    const std::string& file = options.render;
    auto ends = [&](const char* ext) {
      std::string e(ext), tail = file.size() >= e.size() ? file.substr(file.size() - e.size()) : "";
      for (char& c : tail) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
      return tail == e;
    };
    if (!ends(".png") && !ends(".bmp")) {
      std::fprintf(stderr, "zelkin-wumpets: --render needs a file name ending in .png or .bmp\n");
      return 2;
    }
    // The saver runs in a child process: every way out of the saver ends its process, and only
    // a written picture counts as success.
    int report[2];
    if (::pipe(report) != 0) return 1;
    const pid_t child = ::fork();
    if (child < 0) return 1;
    if (child > 0) {
      ::close(report[1]);
      char buf[2] = {};
      ssize_t n = 0;
      while ((n = ::read(report[0], buf, sizeof buf)) < 0) {
      }
      int status = 0;
      while (::waitpid(child, &status, 0) < 0) {
      }
      if (n == 2 && WIFEXITED(status) && WEXITSTATUS(status) == 0) return 0;
      if (WIFEXITED(status) && WEXITSTATUS(status) != 0) return WEXITSTATUS(status);
      std::fprintf(stderr, "zelkin-wumpets: --render: the saver ended before the picture was taken\n");
      return 1;
    }
    ::close(report[0]);
    linuxplat::render_report_to(report[1]);
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);  // a picture needs no sound card: songs run silently

  }
  linuxplat::configure(options, argv[0]);
  // The music starts from the event loop, once the saver's window is up (a picture needs none).
  linuxplat::music::defer_start(options.render.empty());

  static wumpets::Starter starter;  // lives for the whole process, like the module state it is
  starter.rng.set_fixed_seed(options.seed);
  wumpets::Main(starter);
  plat::run_event_loop();
  return 0;
}
