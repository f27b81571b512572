// Pictures without a display (--render): the saver window's image, its label painted over it,
// written as PNG (libpng) or BMP (SDL) by the file's extension.
#include <SDL.h>
#include <png.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/common/memdc.h"
#include "platform/common/scale.h"
#include "platform/linux/i_video.h"
#include "platform/linux/linux_platform.h"

namespace linuxvideo {

namespace {

struct RenderState {
  int report_fd = -1;  // the pipe to the supervising parent
};

RenderState& R() {
  static RenderState s;
  return s;
}

}  // namespace

// Without regard to case.
bool ends_with(const std::string& s, const char* tail) {
  const std::string t(tail);
  if (s.size() < t.size()) return false;
  for (std::size_t i = 0; i < t.size(); ++i) {
    char c = s[s.size() - t.size() + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != t[i]) return false;
  }
  return true;
}

namespace {

bool write_png(const std::string& path, const wumpets::PixelBuffer& image, std::string& error) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    error = "cannot write " + path;
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  std::vector<png_byte> row(static_cast<std::size_t>(image.width) * 3);
  if (!png || !info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    error = "cannot encode " + path;
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 6);
  png_write_info(png, info);
  for (int y = 0; y < image.height; ++y) {
    const std::uint32_t* src = image.row(y);
    for (int x = 0; x < image.width; ++x) {
      row[static_cast<std::size_t>(x) * 3 + 0] = static_cast<png_byte>(src[x] >> 16);
      row[static_cast<std::size_t>(x) * 3 + 1] = static_cast<png_byte>(src[x] >> 8);
      row[static_cast<std::size_t>(x) * 3 + 2] = static_cast<png_byte>(src[x]);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  if (std::fclose(f) != 0) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

bool write_bmp(const std::string& path, const wumpets::PixelBuffer& image, std::string& error) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(image.row(0)), image.width,
                                                      image.height, 32, image.stride * 4, SDL_PIXELFORMAT_RGB888);
  SDL_Surface* rgb = s ? SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_BGR24, 0) : nullptr;
  const bool ok = rgb && SDL_SaveBMP(rgb, path.c_str()) == 0;
  if (!ok) error = "cannot write " + path + ": " + SDL_GetError();
  SDL_FreeSurface(rgb);
  SDL_FreeSurface(s);
  return ok;
}

}  // namespace

bool write_picture(const std::string& path, const wumpets::PixelBuffer& image, std::string& error) {
  if (image.width <= 0 || image.height <= 0) {
    error = "the picture is empty";
    return false;
  }
  if (ends_with(path, ".bmp")) return write_bmp(path, image, error);
  if (ends_with(path, ".png")) return write_png(path, image, error);
  error = "--render: the file name must end in .png or .bmp: " + path;
  return false;
}

void render_set_report_fd(int fd) { R().report_fd = fd; }

[[noreturn]] void render_finish() {
  memdc::settle();
  plat::Handle h = 0;
  Window* w = saver_window(&h);
  std::string error;
  if (!w) {
    error = "the saver window is gone";
  } else {
    paint_labels(h);
    if (w->scale > 1) {
      // The picture the screen would show: the scene's pixels as blocks, in a picture of the
      // size asked for (black where the scene does not divide it).
      const auto& o = linuxplat::options();
      wumpets::PixelBuffer shown(o.render_width, o.render_height);
      wumpets::enlarge_all(*w->image, shown.row(0), shown.stride, w->scale);
      write_picture(o.render, shown, error);
    } else {
      write_picture(linuxplat::options().render, *w->image, error);
    }
  }
  if (!error.empty()) {
    std::fprintf(stderr, "zelkin-wumpets: %s\n", error.c_str());
    std::fflush(stderr);
    std::_Exit(1);
  }
  if (R().report_fd >= 0) {
    ssize_t n = ::write(R().report_fd, "ok", 2);
    (void)n;
  }
  std::fflush(stdout);
  std::_Exit(0);
}

}  // namespace linuxvideo

namespace linuxplat {

namespace {

// What the parent's signal handler touches: plain globals, the only kind a handler may use.
volatile sig_atomic_t g_render_child = 0;
volatile sig_atomic_t g_render_stopped_by = 0;

void on_render_stop(int sig) {
  g_render_stopped_by = sig;
  if (g_render_child > 0) ::kill(g_render_child, SIGKILL);
}

}  // namespace

int render_supervise(const std::string& file) {
  if (!linuxvideo::ends_with(file, ".png") && !linuxvideo::ends_with(file, ".bmp")) {
    std::fprintf(stderr, "zelkin-wumpets: --render needs a file name ending in .png or .bmp\n");
    return 2;
  }
  // The child writes "ok" down the pipe once the picture is written.
  int report[2];
  if (::pipe(report) != 0) return 1;
  const pid_t parent = ::getpid();
  const pid_t child = ::fork();
  if (child < 0) return 1;
  if (child == 0) {
    // The child never outlives the parent, even one killed outright.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(1);
    ::close(report[0]);
    linuxvideo::render_set_report_fd(report[1]);
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);  // a picture needs no sound card: songs run silently
    // SDL would turn Ctrl+C and SIGTERM into a quit event that nothing here reads: let them end
    // the child as they end any program.
    ::setenv("SDL_NO_SIGNAL_HANDLERS", "1", 1);
    return -1;
  }
  ::close(report[1]);
  // Ctrl+C, SIGTERM or a hang-up end the child with the parent, and the run fails.
  g_render_child = child;
  struct sigaction sa {};
  sa.sa_handler = on_render_stop;
  sigemptyset(&sa.sa_mask);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(sig, &sa, nullptr);
  char buf[2] = {};
  ssize_t n = 0;
  while (!g_render_stopped_by && (n = ::read(report[0], buf, sizeof buf)) < 0 && errno == EINTR) {
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (g_render_stopped_by) {
    std::fprintf(stderr, "zelkin-wumpets: --render: stopped by signal %d\n", static_cast<int>(g_render_stopped_by));
    return 128 + g_render_stopped_by;
  }
  if (n == 2 && WIFEXITED(status) && WEXITSTATUS(status) == 0) return 0;
  if (WIFEXITED(status) && WEXITSTATUS(status) != 0) return WEXITSTATUS(status);
  std::fprintf(stderr, "zelkin-wumpets: --render: the saver ended before the picture was taken\n");
  return 1;
}

}  // namespace linuxplat
