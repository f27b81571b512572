// The real program on its own Xvfb: what the screen shows, what ends the saver, embedding in
// another program's window, the preview, and pictures rendered without a display.
// gtest first: Xlib's macros (None, Bool) would break its headers.
#include <gtest/gtest.h>

#include <SDL.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

struct Image {
  int width = 0, height = 0;
  std::vector<std::uint32_t> px;  // 0x00RRGGBB
  std::uint32_t at(int x, int y) const { return px[static_cast<std::size_t>(y) * width + x]; }
};

std::string temp_dir() {
  char tmpl[] = "/tmp/wumpets-e2e-XXXXXX";
  const char* d = ::mkdtemp(tmpl);
  return d ? d : "";
}

void sleep_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Waits for a child to end; true (with its status) when it did within the time.
bool wait_exit(pid_t pid, int timeout_ms, int& status) {
  for (int waited = 0; waited <= timeout_ms; waited += 10) {
    if (::waitpid(pid, &status, WNOHANG) == pid) return true;
    sleep_ms(10);
  }
  return false;
}

void stop(pid_t& pid) {
  if (pid <= 0) return;
  int status = 0;
  ::kill(pid, SIGKILL);
  ::waitpid(pid, &status, 0);
  pid = -1;
}

Image grab(Display* dpy, Window w) {
  XWindowAttributes a{};
  XGetWindowAttributes(dpy, w, &a);
  Image img;
  XImage* xi = XGetImage(dpy, w, 0, 0, static_cast<unsigned>(a.width), static_cast<unsigned>(a.height), AllPlanes,
                         ZPixmap);
  if (!xi) return img;
  img.width = a.width;
  img.height = a.height;
  img.px.resize(static_cast<std::size_t>(a.width) * a.height);
  // Each channel from its field of the server's pixel, as 8 bits (a 5-bit 31 reads as 0xF8).
  auto channel = [](unsigned long pixel, unsigned long mask) -> std::uint32_t {
    if (!mask) return 0;
    int shift = 0, bits = 0;
    while (!((mask >> shift) & 1)) ++shift;
    while ((mask >> (shift + bits)) & 1) ++bits;
    const auto v = static_cast<std::uint32_t>((pixel & mask) >> shift);
    return bits >= 8 ? v >> (bits - 8) : v << (8 - bits);
  };
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x) {
      const unsigned long p = XGetPixel(xi, x, y);
      img.px[static_cast<std::size_t>(y) * a.width + x] =
          channel(p, xi->red_mask) << 16 | channel(p, xi->green_mask) << 8 | channel(p, xi->blue_mask);
    }
  XDestroyImage(xi);
  return img;
}

Image load_bmp(const std::string& path) {
  Image img;
  SDL_Surface* s = SDL_LoadBMP(path.c_str());
  if (!s) return img;
  SDL_Surface* rgb = SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_RGB888, 0);
  SDL_FreeSurface(s);
  img.width = rgb->w;
  img.height = rgb->h;
  img.px.resize(static_cast<std::size_t>(rgb->w) * rgb->h);
  for (int y = 0; y < rgb->h; ++y)
    std::memcpy(&img.px[static_cast<std::size_t>(y) * rgb->w],
                static_cast<const std::uint8_t*>(rgb->pixels) + static_cast<std::size_t>(y) * rgb->pitch,
                static_cast<std::size_t>(rgb->w) * 4);
  for (auto& p : img.px) p &= 0xFFFFFF;
  SDL_FreeSurface(rgb);
  return img;
}

int count_nonblack(const Image& img) {
  int n = 0;
  for (auto p : img.px) n += p != 0;
  return n;
}

// A fresh X server, a settings folder and a runtime folder for each test.
class SaverE2E : public ::testing::Test {
 protected:
  static constexpr int kWidth = 640, kHeight = 480;

  void SetUp() override {
    dir_ = temp_dir();
    ASSERT_FALSE(dir_.empty());
    ASSERT_EQ(::mkdir((dir_ + "/config").c_str(), 0700), 0);
    ASSERT_EQ(::mkdir((dir_ + "/run").c_str(), 0700), 0);
    write_settings(false);
    start_xvfb();
    ASSERT_NE(dpy_, nullptr) << "Xvfb did not start";
  }

  void TearDown() override {
    stop(saver_);
    if (dpy_) XCloseDisplay(dpy_);
    stop(xvfb_);
    if (!dir_.empty()) std::system(("rm -rf '" + dir_ + "'").c_str());
  }

  // Dancers, roses and notes on the first tiled background; no music.
  void write_settings(bool with_message) {
    std::ofstream f(dir_ + "/config/vornicade.ini");
    f << "[Zelkin Wumpets]\nfirstrun=1\nwumpet1=1\nwumpet2=1\nwumpet3=1\nwumpet4=1\nwumpet5=1\n"
         "redrose=1\npinkrose=1\nwhiterose=1\nyellowrose=1\nnotes1=1\nbackground=0\nspeed=60\n";
    if (with_message) f << "message=1\nmessagetext=Dance, Wumpets!\n";
  }

  void start_xvfb() {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    xvfb_ = ::fork();
    if (xvfb_ == 0) {
      ::close(fds[0]);
      int devnull = ::open("/dev/null", O_WRONLY);
      ::dup2(devnull, 1);
      ::dup2(devnull, 2);
      const std::string fd = std::to_string(fds[1]);
      const std::string screen =
          std::to_string(screen_width_) + "x" + std::to_string(screen_height_) + "x" + std::to_string(depth_);
      std::vector<std::string> all{"Xvfb", "-displayfd", fd, "-screen", "0", screen, "-nolisten", "tcp"};
      all.insert(all.end(), xvfb_args_.begin(), xvfb_args_.end());
      std::vector<char*> argv;
      for (auto& a : all) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execvp("Xvfb", argv.data());
      ::_exit(127);
    }
    ::close(fds[1]);
    std::string number;
    char c;
    while (::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(fds[0]);
    ASSERT_FALSE(number.empty()) << "Xvfb gave no display number";
    display_ = ":" + number;
    dpy_ = XOpenDisplay(display_.c_str());
  }

  // Starts the program with these arguments and extra environment ("NAME=value").
  pid_t run(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
            const std::string& runtime = "run") {
    const std::string log = dir_ + "/saver.log";
    ::mkdir((dir_ + "/" + runtime).c_str(), 0700);
    pid_t pid = ::fork();
    if (pid == 0) {
      ::setenv("DISPLAY", display_.c_str(), 1);
      ::setenv("XDG_RUNTIME_DIR", (dir_ + "/" + runtime).c_str(), 1);
      ::setenv("HOME", dir_.c_str(), 1);
      ::setenv("SDL_AUDIODRIVER", "dummy", 1);
      for (const auto& e : env) ::putenv(const_cast<char*>(e.c_str()));
      int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
      ::dup2(out, 1);
      ::dup2(out, 2);
      std::vector<std::string> all{WUMPETS_PROGRAM, "--config-dir=" + dir_ + "/config",
                                   std::string("--data-dir=") + WUMPETS_DATA_DIR};
      all.insert(all.end(), args.begin(), args.end());
      std::vector<char*> argv;
      for (auto& a : all) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    return pid;
  }

  std::string log() {
    std::ifstream f(dir_ + "/saver.log");
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
  }

  // Waits until the window shows something (the saver paints its background before showing).
  bool wait_for_picture(Window w, int timeout_ms = 5000) {
    for (int waited = 0; waited < timeout_ms; waited += 50) {
      if (count_nonblack(grab(dpy_, w)) > 0) return true;
      sleep_ms(50);
    }
    return false;
  }

  bool cursor_hidden() {
    XFixesCursorImage* c = XFixesGetCursorImage(dpy_);
    if (!c) return false;
    bool hidden = true;
    for (int i = 0; i < c->width * c->height; ++i)
      if ((c->pixels[i] >> 24) & 0xFF) hidden = false;
    XFree(c);
    return hidden;
  }

  void xdotool(const std::string& args) {
    ASSERT_EQ(std::system(("DISPLAY=" + display_ + " xdotool " + args + " >/dev/null 2>&1").c_str()), 0);
  }

  Window host_window(int w, int h) {
    Window host = XCreateSimpleWindow(dpy_, DefaultRootWindow(dpy_), 10, 10, static_cast<unsigned>(w),
                                      static_cast<unsigned>(h), 0, 0, 0);
    XMapWindow(dpy_, host);
    XSync(dpy_, False);
    return host;
  }

  Window root() { return DefaultRootWindow(dpy_); }

  // A new X server of another colour depth (or size, or with arguments) in place of the first.
  void restart_xvfb(int depth, int width = kWidth, int height = kHeight, const std::vector<std::string>& args = {}) {
    if (dpy_) XCloseDisplay(dpy_);
    dpy_ = nullptr;
    stop(xvfb_);
    depth_ = depth;
    screen_width_ = width;
    screen_height_ = height;
    xvfb_args_ = args;
    start_xvfb();
    ASSERT_NE(dpy_, nullptr) << "Xvfb did not start at depth " << depth;
  }

  // The desktop says it is scaled to 200%, as a desktop does: Xft.dpi on the root window.
  void desktop_at_192_dpi() {
    const char resources[] = "Xft.dpi:\t192\n";
    XChangeProperty(dpy_, root(), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(resources), static_cast<int>(sizeof resources - 1));
    XSync(dpy_, False);
  }

  // A picture of the saver with its settings after some frames, or an empty one.
  Image render(const std::string& file, int frames, const std::vector<std::string>& extra) {
    std::vector<std::string> args{"--render=" + dir_ + "/" + file, "--frames=" + std::to_string(frames), "--seed=11"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back("/s");
    int status = 0;
    const pid_t r = run(args, {}, "render-run");
    EXPECT_TRUE(wait_exit(r, 20000, status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << log();
    return load_bmp(dir_ + "/" + file);
  }

  // The processes whose parent is pid.
  static std::vector<pid_t> children_of(pid_t pid) {
    std::vector<pid_t> kids;
    std::unique_ptr<DIR, int (*)(DIR*)> proc(::opendir("/proc"), ::closedir);
    while (dirent* e = proc ? ::readdir(proc.get()) : nullptr) {
      const pid_t p = static_cast<pid_t>(std::atoi(e->d_name));
      if (p <= 0) continue;
      std::ifstream stat("/proc/" + std::string(e->d_name) + "/stat");
      std::string line;
      std::getline(stat, line);
      const std::size_t close = line.rfind(')');
      if (close == std::string::npos) continue;
      std::istringstream rest(line.substr(close + 2));
      char state = 0;
      pid_t ppid = 0;
      rest >> state >> ppid;
      if (ppid == pid) kids.push_back(p);
    }
    return kids;
  }
  static bool gone(pid_t pid, int timeout_ms) {
    for (int waited = 0; waited <= timeout_ms; waited += 20) {
      std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
      std::string line;
      std::getline(stat, line);
      const std::size_t close = line.rfind(')');
      if (!stat || close == std::string::npos || line[close + 2] == 'Z') return true;
      sleep_ms(20);
    }
    return false;
  }

  std::string dir_, display_;
  int depth_ = 24;
  int screen_width_ = kWidth, screen_height_ = kHeight;
  std::vector<std::string> xvfb_args_;
  Display* dpy_ = nullptr;
  pid_t xvfb_ = -1, saver_ = -1;
};

TEST_F(SaverE2E, FullScreenShowsTheTiledBackgroundWithSpritesOnIt) {
  // The background alone: the picture before the first frame.
  pid_t r = run({"--render=" + dir_ + "/back.bmp", "--frames=0", "--size=640x480", "--seed=3", "/s"}, {},
                "config");
  int status = 0;
  ASSERT_TRUE(wait_exit(r, 10000, status));
  ASSERT_EQ(WEXITSTATUS(status), 0) << log();
  const Image back = load_bmp(dir_ + "/back.bmp");
  ASSERT_EQ(back.width, kWidth);

  saver_ = run({"/s"});
  ASSERT_TRUE(wait_for_picture(root())) << log();
  sleep_ms(500);
  const Image shot = grab(dpy_, root());
  ASSERT_EQ(shot.width, kWidth);
  int same = 0;
  for (std::size_t i = 0; i < shot.px.size(); ++i) same += shot.px[i] == back.px[i];
  const double share = static_cast<double>(same) / static_cast<double>(shot.px.size());
  // Most of the screen is the tiled background; the dancers, roses and notes cover the rest.
  EXPECT_GT(share, 0.6);
  EXPECT_LT(share, 0.98);
  // The background is a picture, not one flat colour, and it repeats: its first tile (165 x 290)
  // comes again to the right of itself.
  std::vector<std::uint32_t> colours(back.px.begin(), back.px.end());
  std::sort(colours.begin(), colours.end());
  EXPECT_GT(std::unique(colours.begin(), colours.end()) - colours.begin(), 8);
  int repeats = 0;
  for (int y = 0; y < 290; ++y)
    for (int x = 0; x < 165; ++x) repeats += back.at(x, y) == back.at(x + 165, y);
  EXPECT_EQ(repeats, 165 * 290);
}

struct EndCase {
  const char* name;
  const char* action;  // xdotool arguments, or "TERM" for the signal
};

class SaverEnds : public SaverE2E, public ::testing::WithParamInterface<EndCase> {};

TEST_P(SaverEnds, PromptlyWithTheCursorBack) {
  saver_ = run({"/s"});
  ASSERT_TRUE(wait_for_picture(root())) << log();
  xdotool("mousemove 320 240");
  sleep_ms(300);
  EXPECT_TRUE(cursor_hidden());
  const std::string action = GetParam().action;
  if (action == "TERM") ::kill(saver_, SIGTERM);
  else xdotool(action);
  int status = 0;
  // It ends at once; the bound is generous because the test machines are shared and busy.
  ASSERT_TRUE(wait_exit(saver_, 3000, status)) << "still running after " << action;
  saver_ = -1;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << log();
  EXPECT_FALSE(cursor_hidden());
}

INSTANTIATE_TEST_SUITE_P(Input, SaverEnds,
                         ::testing::Values(EndCase{"Key", "key x"}, EndCase{"Click", "click 1"},
                                           EndCase{"Escape", "key Escape"}, EndCase{"Sigterm", "TERM"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SaverE2E, MovingTheMouseDoesNotEndIt) {
  saver_ = run({"/s"});
  ASSERT_TRUE(wait_for_picture(root())) << log();
  for (int i = 0; i < 5; ++i) {
    xdotool("mousemove " + std::to_string(50 + 100 * i) + " " + std::to_string(40 + 80 * i));
    sleep_ms(100);
  }
  int status = 0;
  EXPECT_FALSE(wait_exit(saver_, 700, status)) << "the saver ended on a mouse move";
  EXPECT_TRUE(cursor_hidden());
}

struct EmbedCase {
  const char* name;
  bool root_option;  // --root with XSCREENSAVER_WINDOW instead of --window-id
};

class SaverEmbedded : public SaverE2E, public ::testing::WithParamInterface<EmbedCase> {};

TEST_P(SaverEmbedded, DrawsIntoTheHostAndEndsWithIt) {
  const Window host = host_window(320, 200);
  char id[32];
  std::snprintf(id, sizeof id, "0x%lx", host);
  if (GetParam().root_option) saver_ = run({"--root"}, {std::string("XSCREENSAVER_WINDOW=") + id});
  else saver_ = run({std::string("--window-id=") + id});
  ASSERT_TRUE(wait_for_picture(host)) << log();
  // Only the host is drawn in: the rest of the screen stays black.
  const Image screen = grab(dpy_, root());
  EXPECT_EQ(screen.at(400, 300), 0u);
  EXPECT_EQ(screen.at(5, 5), 0u);
  const Image inside = grab(dpy_, host);
  EXPECT_GT(count_nonblack(inside), 320 * 200 / 2);

  XDestroyWindow(dpy_, host);
  XSync(dpy_, False);
  int status = 0;
  ASSERT_TRUE(wait_exit(saver_, 2000, status)) << "still running after its window was destroyed";
  saver_ = -1;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << log();
}

INSTANTIATE_TEST_SUITE_P(Host, SaverEmbedded,
                         ::testing::Values(EmbedCase{"WindowId", false}, EmbedCase{"XscreensaverRoot", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SaverE2E, PreviewDancesCentredInItsHostAndEndsWithIt) {
  const Window host = host_window(152, 112);
  saver_ = run({"/p", std::to_string(host)});
  ASSERT_TRUE(wait_for_picture(host)) << log();
  // One dancer, 111 x 102, at (20, 5): nothing is drawn outside that rectangle.
  auto bounds_inside = [](const Image& img) {
    for (int y = 0; y < img.height; ++y)
      for (int x = 0; x < img.width; ++x)
        if (img.at(x, y) != 0 && (x < 20 || x >= 131 || y < 5 || y >= 107)) return false;
    return true;
  };
  const Image first = grab(dpy_, host);
  EXPECT_TRUE(bounds_inside(first));
  EXPECT_GT(count_nonblack(first), 1000);
  // It dances: frames change every 70 ms.
  bool changed = false;
  for (int i = 0; i < 10 && !changed; ++i) {
    sleep_ms(50);
    const Image later = grab(dpy_, host);
    EXPECT_TRUE(bounds_inside(later));
    changed = later.px != first.px;
  }
  EXPECT_TRUE(changed);

  XDestroyWindow(dpy_, host);
  XSync(dpy_, False);
  int status = 0;
  ASSERT_TRUE(wait_exit(saver_, 2000, status)) << "the preview outlived its host";
  saver_ = -1;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << log();
}

// No host, or the root window (a preview there would cover the screen, take no input and never
// end): the preview ends at once with a line saying so and status 1.
TEST_F(SaverE2E, PreviewWithoutAUsableHostEndsAtOnce) {
  for (const std::string& handle : {std::string("12345"), std::string("notanumber"), std::to_string(root())}) {
    SCOPED_TRACE(handle);
    ::truncate((dir_ + "/saver.log").c_str(), 0);
    saver_ = run({"/p", handle});
    int status = 0;
    const bool ended = wait_exit(saver_, 3000, status);
    EXPECT_TRUE(ended) << "a preview stayed for host " << handle;
    if (!ended) stop(saver_);
    saver_ = -1;
    EXPECT_TRUE(ended && WIFEXITED(status) && WEXITSTATUS(status) == 1);
    const std::string named = handle == "notanumber" ? "0" : handle;
    EXPECT_NE(log().find("zelkin-wumpets: no preview: " + named + " is not a window that can hold one\n"),
              std::string::npos)
        << log();
  }
}

TEST_F(SaverE2E, RenderedPictureMatchesTheScreen) {
  write_settings(true);
  constexpr int kFrames = 25;
  pid_t r = run({"--render=" + dir_ + "/frame.bmp", "--frames=" + std::to_string(kFrames), "--size=640x480",
                 "--seed=11", "/s"},
                {}, "render-run");
  int status = 0;
  ASSERT_TRUE(wait_exit(r, 10000, status));
  ASSERT_EQ(WEXITSTATUS(status), 0) << log();
  const Image rendered = load_bmp(dir_ + "/frame.bmp");
  ASSERT_EQ(rendered.width, kWidth);
  ASSERT_EQ(rendered.height, kHeight);

  saver_ = run({"--seed=11", "/s"}, {"WUMPETS_HOLD_AFTER_FRAMES=" + std::to_string(kFrames)});
  ASSERT_TRUE(wait_for_picture(root())) << log();
  sleep_ms(kFrames * 60 + 700);
  const Image shot = grab(dpy_, root());
  ASSERT_EQ(shot.width, kWidth);
  int differing = 0;
  for (std::size_t i = 0; i < shot.px.size(); ++i) differing += shot.px[i] != rendered.px[i];
  EXPECT_EQ(differing, 0);
  // The message label is part of both: light blue text near the bottom.
  int label = 0;
  for (int y = kHeight - 40; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) label += shot.at(x, y) == 0x8080FFu;
  EXPECT_GT(label, 50);
}

// A picture at --scale=2 is the scene at half the size, every pixel of it a 2 x 2 block; on a
// desktop whose Xft.dpi is 192 the screen shows exactly that picture, label and all.
TEST_F(SaverE2E, AtScaleTwoTheSceneIsHalfTheSizeAndEveryPixelABlock) {
  write_settings(true);
  constexpr int kFrames = 25;
  const Image half = render("half.bmp", kFrames, {"--size=320x240"});
  const Image two = render("two.bmp", kFrames, {"--size=640x480", "--scale=2"});
  ASSERT_EQ(half.width, 320);
  ASSERT_EQ(two.width, kWidth);
  ASSERT_EQ(two.height, kHeight);
  int differing = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) differing += two.at(x, y) != half.at(x / 2, y / 2);
  EXPECT_EQ(differing, 0);
  EXPECT_GT(count_nonblack(half), 320 * 240 / 2);

  desktop_at_192_dpi();
  saver_ = run({"--seed=11", "/s"}, {"WUMPETS_HOLD_AFTER_FRAMES=" + std::to_string(kFrames)});
  ASSERT_TRUE(wait_for_picture(root())) << log();
  sleep_ms(kFrames * 60 + 700);
  const Image shot = grab(dpy_, root());
  ASSERT_EQ(shot.width, kWidth);
  differing = 0;
  for (std::size_t i = 0; i < shot.px.size(); ++i) differing += shot.px[i] != two.px[i];
  EXPECT_EQ(differing, 0);
  int label = 0;
  for (int y = kHeight - 60; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) label += shot.at(x, y) == 0x8080FFu;
  EXPECT_GT(label, 200);
}

// The most a writable mapping of a process holds resident, in bytes: a screen-sized picture of
// its own (SDL's window surface, in shared memory or not) shows as one. (Address space reserved
// for pictures and never touched does not count.)
std::size_t largest_writable_mapping(pid_t pid, bool& scene_segment, std::size_t scene_bytes) {
  std::ifstream smaps("/proc/" + std::to_string(pid) + "/smaps");
  std::string line;
  std::size_t largest = 0;
  bool writable = false;
  scene_segment = false;
  while (std::getline(smaps, line)) {
    unsigned long from = 0, to = 0, kb = 0;
    char perms[5] = {};
    if (std::sscanf(line.c_str(), "%lx-%lx %4s", &from, &to, perms) == 3) {
      writable = perms[0] == 'r' && perms[1] == 'w';
      if (writable && line.find("/SYSV") != std::string::npos && to - from == scene_bytes) scene_segment = true;
    } else if (writable && std::sscanf(line.c_str(), "Rss: %lu kB", &kb) == 1) {
      largest = std::max<std::size_t>(largest, std::size_t{kb} * 1024);
    }
  }
  return largest;
}

struct UhdCase {
  const char* name;
  std::vector<std::string> xvfb_args;
  std::vector<std::string> env;
  bool server_enlarges;  // false: the program enlarges into SDL's surface, as without the server's help
  bool xscreensaver_window = false;
  bool over_tcp = false;  // the saver reaches the server as a remote program would
};

void PrintTo(const UhdCase& c, std::ostream* os) { *os << c.name; }

class SaverOnA4kDesktop : public SaverE2E, public ::testing::WithParamInterface<UhdCase> {};

// On a 3840x2160 desktop at Xft.dpi 192 the X server enlarges the scene from shared memory of the
// saver's (RENDER: a 1/2 transform and the nearest filter), given what that needs, else the
// saver enlarges it itself. Either way the screen after frames of changed rectangles, and after
// a window covered part of it, is the --render --scale=2 picture; the saver keeps no
// screen-sized picture when the server enlarges.
TEST_P(SaverOnA4kDesktop, ShowsTheScaleTwoPicture) {
  constexpr int kFrames = 25, kW = 3840, kH = 2160;
  const UhdCase& c = GetParam();
  restart_xvfb(24, kW, kH, c.xvfb_args);
  write_settings(true);
  const Image two = render("two.bmp", kFrames, {"--size=3840x2160", "--scale=2"});
  ASSERT_EQ(two.width, kW);
  ASSERT_EQ(two.height, kH);

  desktop_at_192_dpi();
  std::vector<std::string> env = c.env;
  env.push_back("WUMPETS_HOLD_AFTER_FRAMES=" + std::to_string(kFrames));
  if (c.over_tcp) env.push_back("DISPLAY=127.0.0.1" + display_);
  Window target = root();
  if (c.xscreensaver_window) {
    target = host_window(kW, kH);
    XMoveWindow(dpy_, target, 0, 0);
    XSync(dpy_, False);
    char id[32];
    std::snprintf(id, sizeof id, "0x%lx", target);
    env.push_back(std::string("XSCREENSAVER_WINDOW=") + id);
    saver_ = run({"--seed=11", "--root"}, env);
  } else {
    saver_ = run({"--seed=11", "/s"}, env);
  }
  ASSERT_TRUE(wait_for_picture(root())) << log();
  sleep_ms(kFrames * 60 + 1500);

  auto differing = [&] {
    const Image shot = grab(dpy_, root());
    EXPECT_EQ(shot.width, kW);
    if (shot.width != kW || shot.height != kH) return -1;
    int n = 0;
    for (std::size_t i = 0; i < shot.px.size(); ++i) n += shot.px[i] != two.px[i];
    return n;
  };
  EXPECT_EQ(differing(), 0) << "frames of changed rectangles";
  // A window over part of it, gone again: what it covered is shown again.
  const Window cover = host_window(900, 700);
  XMoveWindow(dpy_, cover, 1001, 601);
  XSync(dpy_, False);
  sleep_ms(300);
  XDestroyWindow(dpy_, cover);
  XSync(dpy_, False);
  sleep_ms(700);
  EXPECT_EQ(differing(), 0) << "after an expose";

  bool scene_segment = false;
  const std::size_t scene_bytes = std::size_t{kW / 2} * (kH / 2) * 4, window_bytes = std::size_t{kW} * kH * 4;
  const std::size_t largest = largest_writable_mapping(saver_, scene_segment, scene_bytes);
  if (c.server_enlarges) {
    EXPECT_TRUE(scene_segment) << "no shared segment of the scene's size";
    EXPECT_LT(largest, window_bytes) << "a screen-sized picture in the program";
  } else {
    EXPECT_GE(largest, window_bytes) << "SDL's window surface is missing: which path drew this?";
  }
  EXPECT_EQ(log().find("zelkin-wumpets"), std::string::npos) << log();
}

INSTANTIATE_TEST_SUITE_P(
    Server, SaverOnA4kDesktop,
    ::testing::Values(UhdCase{"SharedPixmap", {}, {}, true},
                      UhdCase{"NoSharedPixmaps", {}, {"WUMPETS_X_NO_SHARED_PIXMAPS=1"}, true},
                      UhdCase{"XscreensaverWindow", {}, {}, true, true},
                      UhdCase{"NoRender", {"-extension", "RENDER"}, {}, false},
                      UhdCase{"NoSharedMemory", {"-extension", "MIT-SHM"}, {}, false},
                      // Over TCP the saver does not try shared memory, and a server asked anyway
                      // refuses the attach (it cannot tell who asks): either way the fallback.
                      UhdCase{"RemoteDisplay", {"-listen", "tcp"}, {}, false, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SaverE2E, RenderFailsWhenTheSaverCannotStart) {
  // Another saver holds the instance lock: "/s" refuses to start, so there is no picture.
  saver_ = run({"/s"});
  ASSERT_TRUE(wait_for_picture(root())) << log();
  pid_t r = run({"--render=" + dir_ + "/none.png", "--frames=3", "--size=320x200", "/s"});
  int status = 0;
  ASSERT_TRUE(wait_exit(r, 10000, status));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 0);
  EXPECT_NE(::access((dir_ + "/none.png").c_str(), F_OK), 0);
}


// A window of another program had the keyboard focus (a dialog closed just before, say): the
// full-screen saver takes the keyboard and the pointer, so a key still ends it.
TEST_F(SaverE2E, KeysReachTheSaverWhereverTheFocusWas) {
  const Window other = host_window(100, 100);
  saver_ = run({"/s"});
  ASSERT_TRUE(wait_for_picture(root())) << log();
  sleep_ms(200);
  XSetInputFocus(dpy_, other, RevertToParent, CurrentTime);
  XSync(dpy_, False);
  xdotool("key x");
  int status = 0;
  ASSERT_TRUE(wait_exit(saver_, 3000, status)) << "the key went elsewhere";
  saver_ = -1;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << log();
  // The grabs went with it: another client can take the keyboard now.
  EXPECT_EQ(XGrabKeyboard(dpy_, other, True, GrabModeAsync, GrabModeAsync, CurrentTime), GrabSuccess);
}

// A hang-up ends the saver through its one shutdown, like SIGTERM: it exits, not killed by it.
TEST_F(SaverE2E, HangUpEndsTheSaverThroughItsShutdown) {
  saver_ = run({"/s"});
  ASSERT_TRUE(wait_for_picture(root())) << log();
  ::kill(saver_, SIGHUP);
  int status = 0;
  ASSERT_TRUE(wait_exit(saver_, 3000, status));
  saver_ = -1;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status << log();
  EXPECT_FALSE(cursor_hidden());
}

// A long render with music on: a signal to the program (or to the saver child it runs) ends the
// run at once with a failure, and no saver is left running behind it.
TEST_F(SaverE2E, RenderEndsPromptlyOnSignalsAndLeavesNoOrphan) {
  {
    std::ofstream f(dir_ + "/config/vornicade.ini");
    f << "[Zelkin Wumpets]\nfirstrun=1\nwumpet1=1\nspeed=60\nmusicchoice0=1\nmusicchoice1=1\n";
  }
  struct Case {
    const char* what;
    int sig;
    bool to_child;
  };
  for (const Case& c : {Case{"Ctrl+C", SIGINT, false}, Case{"SIGTERM", SIGTERM, false},
                        Case{"SIGHUP", SIGHUP, false}, Case{"SIGKILL", SIGKILL, false},
                        Case{"SIGTERM to the child", SIGTERM, true}, Case{"Ctrl+C to the child", SIGINT, true}}) {
    SCOPED_TRACE(c.what);
    pid_t r = run({"--render=" + dir_ + "/long.png", "--frames=1000000", "--size=320x200", "/s"}, {}, "render-run");
    std::vector<pid_t> kids;
    for (int i = 0; i < 100 && kids.empty(); ++i) {
      sleep_ms(20);
      kids = children_of(r);
    }
    ASSERT_EQ(kids.size(), 1u) << "no saver child";
    sleep_ms(500);  // well into its frames, the songs open
    ::kill(c.to_child ? kids[0] : r, c.sig);
    int status = 0;
    ASSERT_TRUE(wait_exit(r, 3000, status)) << "still running";
    if (c.sig == SIGKILL) {
      EXPECT_TRUE(WIFSIGNALED(status));
    } else {
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 0) << "status " << status;
    }
    EXPECT_TRUE(gone(kids[0], 3000)) << "the saver child outlived the run";
    if (!gone(kids[0], 0)) ::kill(kids[0], SIGKILL);
  }
}

// The instance lock lives where no other user can plant or hold it.
TEST_F(SaverE2E, TheInstanceLockIsPrivate) {
  // Without a runtime folder: a folder of our own in the cache folder under the home (HOME is
  // dir_), not one in the shared temporary folder that another user could make first.
  const std::string tmp = dir_ + "/tmp", own = dir_ + "/.cache/zelkin-wumpets";
  const std::string planted = tmp + "/zelkin-wumpets-" + std::to_string(::geteuid());
  ASSERT_EQ(::mkdir(tmp.c_str(), 01777), 0);
  ::chmod(tmp.c_str(), 01777);
  const std::vector<std::string> no_runtime = {"XDG_RUNTIME_DIR=", "XDG_CACHE_HOME=", "TMPDIR=" + tmp};
  auto holds_lock = [](const std::string& folder) {  // a lock file of ours in the folder
    std::unique_ptr<DIR, int (*)(DIR*)> d(::opendir(folder.c_str()), ::closedir);
    while (dirent* e = d ? ::readdir(d.get()) : nullptr)
      if (std::string(e->d_name).rfind("zelkin-wumpets-saver", 0) == 0) return true;
    return false;
  };
  auto second_start_refused = [&](const std::vector<std::string>& env) {
    pid_t second = run({"/s"}, env);
    int status = 0;
    const bool ended = wait_exit(second, 1500, status);
    if (!ended) stop(second);
    return ended;
  };
  const std::string victim = dir_ + "/victim";
  ASSERT_EQ(::mkdir(victim.c_str(), 0755), 0);
  {
    SCOPED_TRACE("no XDG_RUNTIME_DIR, and the temporary folder's name taken by someone else");
    ASSERT_EQ(::symlink(victim.c_str(), planted.c_str()), 0);
    saver_ = run({"/s"}, no_runtime);
    ASSERT_TRUE(wait_for_picture(root())) << log();
    struct stat sb {};
    ASSERT_EQ(::lstat(own.c_str(), &sb), 0);
    EXPECT_TRUE(S_ISDIR(sb.st_mode));
    EXPECT_EQ(sb.st_mode & 0777, 0700u);
    EXPECT_TRUE(holds_lock(own));
    EXPECT_TRUE(second_start_refused(no_runtime)) << "the lock did not hold";
    EXPECT_FALSE(holds_lock(victim));
    stop(saver_);
  }
  {
    SCOPED_TRACE("our folder planted as a link elsewhere: no lock, and the saver runs");
    ::system(("rm -rf '" + own + "'").c_str());
    ASSERT_EQ(::symlink(victim.c_str(), own.c_str()), 0);
    saver_ = run({"/s"}, no_runtime);
    ASSERT_TRUE(wait_for_picture(root())) << log();
    EXPECT_FALSE(second_start_refused(no_runtime)) << "an unsafe lock refused the saver";
    EXPECT_FALSE(holds_lock(victim)) << "a file was made through the link";
    stop(saver_);
    ::unlink(own.c_str());
  }
  {
    SCOPED_TRACE("a runtime folder anyone may write is not used");
    const std::string open_runtime = dir_ + "/open-run";
    ASSERT_EQ(::mkdir(open_runtime.c_str(), 0777), 0);
    ::chmod(open_runtime.c_str(), 0777);
    saver_ = run({"/s"}, {"XDG_RUNTIME_DIR=" + open_runtime, "XDG_CACHE_HOME=", "TMPDIR=" + tmp});
    ASSERT_TRUE(wait_for_picture(root())) << log();
    EXPECT_FALSE(holds_lock(open_runtime));
    EXPECT_TRUE(holds_lock(own));
    stop(saver_);
  }
}

// On a 16-bit display the preview's picture is converted row by row in the program, with the
// colours right (red, green and blue each in their own field).
TEST_F(SaverE2E, PreviewOnA16BitDisplayHasTheSheetsColours) {
  restart_xvfb(16);
  // The colours of every dancer sheet, cut to 5-6-5 bits as the display keeps them.
  std::set<std::uint32_t> colours;
  auto cut = [](std::uint32_t p) { return p & 0xF8FCF8u; };
  for (int n = 1; n <= 5; ++n) {
    const Image sheet = load_bmp(std::string(WUMPETS_DATA_DIR) + "/d_wumpet" + std::to_string(n) + ".bmp");
    for (std::uint32_t p : sheet.px) colours.insert(cut(p));
  }
  const Window host = host_window(152, 112);
  saver_ = run({"/p", std::to_string(host)});
  ASSERT_TRUE(wait_for_picture(host)) << log();
  sleep_ms(200);
  const Image shot = grab(dpy_, host);
  int drawn = 0, known = 0;
  for (std::uint32_t p : shot.px) {
    if (p == 0) continue;
    ++drawn;
    known += colours.count(cut(p)) > 0;
  }
  EXPECT_GT(drawn, 1000);
  EXPECT_GE(known, drawn * 98 / 100) << "colours the sheets do not have: channels misplaced";
}

// Pictures whose headers lie about their size (a 1078-byte file claiming 60000 x 60000, a buffer
// whose width lost a bit to 526208) cost the program nothing: under a 2 GB address-space cap
// the render still succeeds in a small fraction of that, with the lying pictures left empty.
TEST_F(SaverE2E, PicturesWithLyingHeadersCostNoMemory) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves more address space than the cap allows";
#endif
  const std::string data = dir_ + "/data";
  ASSERT_EQ(::mkdir(data.c_str(), 0700), 0);
  std::unique_ptr<DIR, int (*)(DIR*)> real(::opendir(WUMPETS_DATA_DIR), ::closedir);
  ASSERT_TRUE(real);
  while (dirent* e = ::readdir(real.get())) {
    if (e->d_name[0] == '.') continue;
    ASSERT_EQ(::symlink((std::string(WUMPETS_DATA_DIR) + "/" + e->d_name).c_str(), (data + "/" + e->d_name).c_str()), 0);
  }
  auto le32 = [](std::string& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i));
  };
  {
    std::string lie(1078, '\0');
    lie[0] = 'B', lie[1] = 'M';
    le32(lie, 2, 1078), le32(lie, 10, 1078), le32(lie, 14, 40), le32(lie, 18, 60000), le32(lie, 22, 60000);
    lie[26] = 1, lie[28] = 8;
    ::unlink((data + "/d_wumpet1.bmp").c_str());
    std::ofstream(data + "/d_wumpet1.bmp", std::ios::binary) << lie;
    std::ifstream in(std::string(WUMPETS_DATA_DIR) + "/d_buffer.bmp", std::ios::binary);
    std::string buffer((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(buffer.size(), 26u);
    le32(buffer, 18, 526208);
    ::unlink((data + "/d_buffer.bmp").c_str());
    std::ofstream(data + "/d_buffer.bmp", std::ios::binary) << buffer;
  }
  {
    std::ofstream f(dir_ + "/config/vornicade.ini");
    f << "[Zelkin Wumpets]\nfirstrun=1\nwumpet1=1\nwumpet2=1\nspeed=60\nbackground=3\n";
  }
  const std::string picture = dir_ + "/lying.png";
  const pid_t pid = ::fork();
  if (pid == 0) {
    struct rlimit cap {2ull << 30, 2ull << 30};
    ::setrlimit(RLIMIT_AS, &cap);
    ::setenv("XDG_RUNTIME_DIR", (dir_ + "/run").c_str(), 1);
    ::setenv("HOME", dir_.c_str(), 1);
    int out = ::open((dir_ + "/saver.log").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    ::dup2(out, 1);
    ::dup2(out, 2);
    const std::string config = "--config-dir=" + dir_ + "/config", data_dir = "--data-dir=" + data,
                      render = "--render=" + picture;
    ::execl(WUMPETS_PROGRAM, WUMPETS_PROGRAM, config.c_str(), data_dir.c_str(), render.c_str(), "--frames=3",
            "--size=640x480", "/s", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  struct rusage usage {};
  ASSERT_EQ(::wait4(pid, &status, 0, &usage), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status << log();
  EXPECT_EQ(::access(picture.c_str(), F_OK), 0);
  EXPECT_LT(usage.ru_maxrss, 200 * 1024) << "peak resident memory in kB";
}

}  // namespace
