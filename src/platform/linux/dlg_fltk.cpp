// The dialogs on Linux, built with FLTK from the core's layouts: the plain scheme on the classic
// grey, the MS Sans Serif bitmap font (fonts-wine). Twips become pixels at the screen's own
// resolution (15 twips to the pixel at 96 dots per inch, 7.5 at 192); the font follows it and the
// pictures are drawn at a whole-number scale, so they stay crisp. FLTK shares the one thread with
// the saver: the event loop asks dialogs_active() and lets dialogs_wait() wait. This file is the
// dialogs module, opened by the program on its first dialog (modules.h): only the entry at its
// end is visible outside it.
//
// Keys are the core's (dialogs/keyboard.h): every key pressed in a dialog goes to it as a raw key
// before FLTK sees it, and FLTK's own navigation, shortcuts and radio groups never run; a key the
// core leaves goes straight to the focused widget (the text box's editing). A control the mouse
// focuses is reported. WUMPETS_TRACE_FOCUS=1 (tests) writes "focus: NAME" to standard error
// whenever the focus moves to another control.
#include <FL/Enumerations.H>
#include <FL/Fl.H>
#include <FL/Fl_BMP_Image.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Image.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Round_Button.H>
#include <FL/Fl_Scrollbar.H>
#include <FL/Fl_Tooltip.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fontconfig/fontconfig.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

#include "platform/dialogs.h"
#include "platform/linux/modules.h"

namespace {
struct Dialog;
}  // namespace

namespace linuxplat {

namespace {

constexpr Fl_Font kFont = FL_FREE_FONT;      // MS Sans Serif
constexpr Fl_Font kBoldFont = FL_FREE_FONT + 1;
constexpr Fl_Fontsize kFontSize96 = 11;      // 8.25 points at 96 dots per inch

// The screen's resolution, set once the display is open.
struct Scale {
  double twips_per_pixel = 15;
  Fl_Fontsize font = kFontSize96;
  int picture = 1;  // whole pixels per picture pixel
};

// What the window manager puts around a dialog, in pixels (all 0 where there is none).
struct FrameExtents {
  int left = 0, right = 0, top = 0, bottom = 0;
};

// Everything the dialogs keep: the toolkit's start, the pictures read and the open dialogs.
struct FltkState {
  const DialogHost* host = nullptr;  // the program's side, given when the module is opened
  bool started = false;
  bool have_display = false;
  bool restack = false;  // a dialog was shown: the topmost ones go over it once it is mapped
  bool dispatch_installed = false;
  std::map<std::string, std::unique_ptr<Fl_Image>> pictures;  // by file name; null when missing
  std::map<plat::Handle, std::unique_ptr<Dialog>> dialogs;
  plat::Handle next = 1;
  Scale scale;
  FrameExtents frame;
  bool frame_probed = false;
  bool trace_focus = false;      // WUMPETS_TRACE_FOCUS: tests follow the focus
  Fl_Widget* traced = nullptr;   // the control last reported
};
FltkState& F();  // defined once Dialog is complete

int px(double twips) { return static_cast<int>(std::lround(twips / F().scale.twips_per_pixel)); }
// A distance the classic controls draw in pixels at 96 dots per inch, at this screen's resolution.
int dpx(int pixels96) { return std::max(1, static_cast<int>(std::lround(pixels96 * 15.0 / F().scale.twips_per_pixel))); }

// 00BBGGRR, or 0x80000000 + a system colour.
Fl_Color colour(std::uint32_t c, Fl_Color fallback) {
  if (c == plat::kDefaultColour) return fallback;
  if (c & 0x80000000u) {
    switch (c & 0xFF) {
      case 5: return fl_rgb_color(255, 255, 255);   // window background
      case 15: return fl_rgb_color(192, 192, 192);  // button face
      case 16: return fl_rgb_color(128, 128, 128);  // button shadow
      case 20: return fl_rgb_color(255, 255, 255);  // button highlight
      default: return fl_rgb_color(0, 0, 0);
    }
  }
  return fl_rgb_color(static_cast<uchar>(c & 0xFF), static_cast<uchar>((c >> 8) & 0xFF),
                      static_cast<uchar>((c >> 16) & 0xFF));
}

// Debian's fontconfig rejects bitmap fonts; accept the one family the dialogs are drawn in, in a
// configuration of this process only (the browser it may start keeps the system's).
void accept_bitmap_font() {
  static const char* const kConfig =
      "<?xml version=\"1.0\"?><!DOCTYPE fontconfig SYSTEM \"fonts.dtd\"><fontconfig>"
      "<include ignore_missing=\"yes\">/etc/fonts/fonts.conf</include>"
      "<dir>/usr/share/wine/fonts</dir>"
      "<selectfont><acceptfont><pattern><patelt name=\"family\"><string>MS Sans Serif</string></patelt>"
      "</pattern></acceptfont></selectfont>"
      "</fontconfig>";
  FcConfig* config = FcConfigCreate();
  if (!config) return;
  if (FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(kConfig), FcTrue) &&
      FcConfigBuildFonts(config) && FcConfigSetCurrent(config)) {
    return;  // the current configuration now holds it
  }
  FcConfigDestroy(config);
}

// Every dialog carries the program's icon, in each size there is (FLTK keeps copies).
void give_dialogs_icon() {
  std::vector<std::unique_ptr<Fl_RGB_Image>> images;
  std::vector<const Fl_RGB_Image*> list;
  for (const IconPicture& icon : F().host->app_icons()) {
    images.push_back(std::make_unique<Fl_RGB_Image>(icon.rgba.data(), icon.size, icon.size, 4));
    list.push_back(images.back().get());
  }
  if (!list.empty()) Fl_Window::default_icons(list.data(), static_cast<int>(list.size()));
}

bool fltk_start() {
  if (F().started) return F().have_display;
  F().started = true;
  Display* dpy = XOpenDisplay(nullptr);
  if (!dpy) {
    std::fprintf(stderr, "zelkin-wumpets: cannot open the display for the dialogs\n");
    return false;
  }
  accept_bitmap_font();
  fl_open_display(dpy);
  F().have_display = true;
  const double dpi = F().host->screen_dpi();
  F().scale.twips_per_pixel = 1440.0 / dpi;
  F().trace_focus = std::getenv("WUMPETS_TRACE_FOCUS") != nullptr;
  F().scale.font = static_cast<Fl_Fontsize>(std::lround(kFontSize96 * dpi / 96.0));
  F().scale.picture = std::max(1, static_cast<int>(std::floor(dpi / 96.0 + 1e-9)));
  Fl::scheme("none");
  Fl::background(192, 192, 192);
  Fl::foreground(0, 0, 0);
  Fl::background2(255, 255, 255);
  Fl::set_font(kFont, " MS Sans Serif");
  Fl::set_font(kBoldFont, "BMS Sans Serif");
  FL_NORMAL_SIZE = F().scale.font;
  Fl_Tooltip::font(kFont);
  Fl_Tooltip::size(F().scale.font);
  Fl_Tooltip::color(fl_rgb_color(255, 255, 225));
  Fl::visible_focus(1);
  give_dialogs_icon();
  return true;
}

Fl_Font dialog_font(bool bold) { return bold ? kBoldFont : kFont; }
Fl_Fontsize dialog_font_size() { return F().scale.font; }

// Asks the window manager, where one answers, how wide the frame it puts around a window is, so
// that centring places the outer window. A window of our own that is never shown carries the
// question; a manager that supports it answers within milliseconds, and without one the
// question is not asked at all.
void probe_frame_extents() {
  if (F().frame_probed) return;
  F().frame_probed = true;
  Display* dpy = fl_display;
  const Window root = RootWindow(dpy, fl_screen);
  const Atom supported = XInternAtom(dpy, "_NET_SUPPORTED", False);
  const Atom request = XInternAtom(dpy, "_NET_REQUEST_FRAME_EXTENTS", False);
  const Atom extents = XInternAtom(dpy, "_NET_FRAME_EXTENTS", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  bool answers = false;
  if (XGetWindowProperty(dpy, root, supported, 0, 4096, False, XA_ATOM, &type, &format, &count, &after, &data) ==
          Success &&
      data) {
    const auto* atoms = reinterpret_cast<const Atom*>(data);
    for (unsigned long i = 0; i < count; ++i) answers = answers || atoms[i] == request;
    XFree(data);
  }
  if (!answers) return;
  const Window probe = XCreateSimpleWindow(dpy, root, 0, 0, 100, 100, 0, 0, 0);
  XSelectInput(dpy, probe, PropertyChangeMask);
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = probe;
  e.xclient.message_type = request;
  e.xclient.format = 32;
  XSendEvent(dpy, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
  XFlush(dpy);
  for (int waited = 0; waited < 500; waited += 10) {
    XEvent ev;
    if (XCheckTypedWindowEvent(dpy, probe, PropertyNotify, &ev) && ev.xproperty.atom == extents) break;
    pollfd p{ConnectionNumber(dpy), POLLIN, 0};
    ::poll(&p, 1, 10);
  }
  data = nullptr;
  if (XGetWindowProperty(dpy, probe, extents, 0, 4, False, XA_CARDINAL, &type, &format, &count, &after, &data) ==
          Success &&
      data && count == 4) {
    const auto* v = reinterpret_cast<const long*>(data);
    auto sane = [](long n) { return n >= 0 && n < 200 ? static_cast<int>(n) : 0; };
    F().frame = FrameExtents{sane(v[0]), sane(v[1]), sane(v[2]), sane(v[3])};
  }
  if (data) XFree(data);
  XDestroyWindow(dpy, probe);
  XFlush(dpy);
}

void set_topmost(Fl_Window* w, bool on) {
  if (!w || !w->shown()) return;
  Display* dpy = fl_display;
  const Window xid = fl_xid(w);
  const Atom state = XInternAtom(dpy, "_NET_WM_STATE", False);
  const Atom above = XInternAtom(dpy, "_NET_WM_STATE_ABOVE", False);
  // Ask the window manager (the window is mapped by now), as the desktop standard says.
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = xid;
  e.xclient.message_type = state;
  e.xclient.format = 32;
  e.xclient.data.l[0] = on ? 1 : 0;
  e.xclient.data.l[1] = static_cast<long>(above);
  e.xclient.data.l[3] = 1;
  XSendEvent(dpy, RootWindow(dpy, fl_screen), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
  if (on) XRaiseWindow(dpy, xid);
  XFlush(dpy);
}

Fl_Image* load_picture(const std::string& file) {
  // The program's own pictures: resources/ next to the program, else the installed share folder,
  // enlarged pixel for pixel to the screen's whole-number scale.
  auto& cache = F().pictures;
  auto it = cache.find(file);
  if (it != cache.end()) return it->second.get();
  std::unique_ptr<Fl_Image> img;
  for (const std::string& dir : {F().host->program_dir() + "/resources/", F().host->share_dir() + "/resources/"}) {
    const std::string path = dir + file;
    if (::access(path.c_str(), R_OK) != 0) continue;
    auto bmp = std::make_unique<Fl_BMP_Image>(path.c_str());
    if (bmp->w() > 0 && bmp->h() > 0) {
      const int k = F().scale.picture;
      if (k > 1) img.reset(bmp->copy(bmp->w() * k, bmp->h() * k));  // nearest pixel: crisp
      else img = std::move(bmp);
      break;
    }
  }
  Fl_Image* raw = img.get();
  cache[file] = std::move(img);  // a missing picture stays missing: an empty box
  return raw;
}

}  // namespace

bool dialogs_active() { return F().have_display && Fl::first_window() != nullptr; }

void raise_topmost();

void dialogs_wait(double seconds) {
  if (F().have_display) {
    Fl::wait(seconds);
    if (F().restack) {
      F().restack = false;
      raise_topmost();
    }
  } else if (seconds > 0) {
    ::usleep(static_cast<useconds_t>(seconds * 1e6));
  }
}

}  // namespace linuxplat

// ---------------------------------------------------------------------------------------------
// Dialog windows.

namespace {

using linuxplat::dpx;
using linuxplat::px;

struct Dialog;

// The classic focus mark: a dotted rectangle.
void focus_mark(int x, int y, int w, int h) {
  fl_color(FL_BLACK);
  fl_line_style(FL_DOT);
  fl_rect(x, y, w, h);
  fl_line_style(0);
}

// A classic frame: an etched border whose top line is broken by the caption, drawn bold.
class Frame : public Fl_Group {
 public:
  Frame(int x, int y, int w, int h) : Fl_Group(x, y, w, h) {
    box(FL_NO_BOX);
    align(FL_ALIGN_INSIDE | FL_ALIGN_TOP_LEFT);  // drawn here, never above the frame
  }
  void draw() override {
    fl_color(color());
    fl_rectf(x(), y(), w(), h());
    fl_font(labelfont(), labelsize());
    const int half = fl_height() / 2;
    const int top = y() + half;
    fl_color(fl_rgb_color(128, 128, 128));
    fl_rect(x(), top, w() - 1, h() - half - 1);
    fl_color(FL_WHITE);
    fl_rect(x() + 1, top + 1, w() - 1, h() - half - 1);
    if (label() && *label()) {
      const int tw = static_cast<int>(fl_width(label()));
      fl_color(color());
      fl_rectf(x() + dpx(7), y(), tw + 2, fl_height());
      fl_color(labelcolor());
      fl_draw(label(), x() + dpx(8), y() + fl_height() - fl_descent());
    }
    draw_children();
  }
};

// A sunken box whose picture sits at its top-left corner, inside the border. One with a place in
// the tab order takes the focus and shows the focus mark inside its border.
class PictureBox : public Fl_Box {
 public:
  PictureBox(int x, int y, int w, int h, bool border) : Fl_Box(x, y, w, h), border_(border) {
    box(border ? FL_DOWN_BOX : FL_NO_BOX);
  }
  void picture(Fl_Image* p) {
    picture_ = p;
    redraw();
  }
  int handle(int event) override {
    switch (event) {
      case FL_FOCUS:
      case FL_UNFOCUS:
        if (!visible_focus()) return 0;
        redraw();
        return 1;
      case FL_PUSH:
        if (visible_focus()) take_focus();
        return 1;
      default: return Fl_Box::handle(event);
    }
  }
  void draw() override {
    draw_box();
    const int b = border_ ? 2 : 0;
    if (picture_) {
      fl_push_clip(x() + b, y() + b, w() - 2 * b, h() - 2 * b);
      picture_->draw(x() + b, y() + b);
      fl_pop_clip();
    }
    if (Fl::focus() == this) focus_mark(x() + b + 1, y() + b + 1, w() - 2 * b - 2, h() - 2 * b - 2);
  }

 private:
  bool border_;
  Fl_Image* picture_ = nullptr;
};

// The classic horizontal scroll bar: two arrow buttons, a sunken dithered trough between them
// and a raised square thumb, with the focus mark on the thumb. The mouse works as FLTK's own bar
// (whose geometry this draws); its keys are the core's.
class SpeedBar : public Fl_Scrollbar {
 public:
  SpeedBar(int x, int y, int w, int h) : Fl_Scrollbar(x, y, w, h) {
    type(FL_HORIZONTAL);
    box(FL_FLAT_BOX);
  }
  int small_step = 1, large_step = 1;

  int handle(int event) override {
    switch (event) {
      case FL_FOCUS:
      case FL_UNFOCUS: redraw(); return 1;
      case FL_KEYBOARD: return 0;  // the core moves it
      case FL_PUSH: {
        const int arrow = w() < 3 * h() ? w() / 3 : h();
        pushed_ = Fl::event_x() < x() + arrow ? 1 : Fl::event_x() >= x() + w() - arrow ? 2 : 0;
        const int r = Fl_Scrollbar::handle(event);
        take_focus();
        redraw();
        return r;
      }
      case FL_RELEASE:
        pushed_ = 0;
        redraw();
        return Fl_Scrollbar::handle(event);
      default: return Fl_Scrollbar::handle(event);
    }
  }

  void draw() override {
    const int X = x(), Y = y(), W = w(), H = h();
    const int arrow = W < 3 * H ? W / 3 : H;
    const int tx = X + arrow, tw = W - 2 * arrow;
    // The trough: a 50 % dither of white and the face colour, sunken by a thin edge.
    fl_color(fl_rgb_color(192, 192, 192));
    fl_rectf(tx, Y, tw, H);
    fl_color(FL_WHITE);
    for (int yy = Y; yy < Y + H; ++yy)
      for (int xx = tx + ((yy - Y) & 1); xx < tx + tw; xx += 2) fl_point(xx, yy);
    fl_color(fl_rgb_color(128, 128, 128));
    fl_xyline(tx, Y, tx + tw - 1);
    fl_color(FL_WHITE);
    fl_xyline(tx, Y + H - 1, tx + tw - 1);
    // The arrow buttons.
    const bool left_down = pushed_ == 1, right_down = pushed_ == 2;
    draw_box(left_down ? FL_DOWN_BOX : FL_UP_BOX, X, Y, arrow, H, FL_BACKGROUND_COLOR);
    draw_box(right_down ? FL_DOWN_BOX : FL_UP_BOX, X + W - arrow, Y, arrow, H, FL_BACKGROUND_COLOR);
    fl_color(active_r() ? FL_BLACK : fl_rgb_color(128, 128, 128));
    const int a = std::max(2, H / 4), cy = Y + H / 2;
    const int lx = X + arrow / 2 - a / 2 + (left_down ? 1 : 0), rx = X + W - arrow + arrow / 2 + a / 2 + (right_down ? 1 : 0);
    fl_polygon(lx, cy + (left_down ? 1 : 0), lx + a, cy - a + (left_down ? 1 : 0), lx + a, cy + a + (left_down ? 1 : 0));
    fl_polygon(rx, cy + (right_down ? 1 : 0), rx - a, cy - a + (right_down ? 1 : 0), rx - a, cy + a + (right_down ? 1 : 0));
    // The thumb, where FLTK's own bar puts it for the mouse.
    double val = maximum() == minimum() ? 0.5 : (value() - minimum()) / (maximum() - minimum());
    val = std::clamp(val, 0.0, 1.0);
    int S = static_cast<int>(slider_size() * tw + 0.5);
    S = std::max(S, H / 2 + 1);
    const int thumb = tx + static_cast<int>(val * (tw - S) + 0.5);
    draw_box(FL_UP_BOX, thumb, Y, S, H, FL_BACKGROUND_COLOR);
    if (Fl::focus() == this) focus_mark(thumb + 3, Y + 3, S - 6, H - 6);
  }

 private:
  int pushed_ = 0;  // which arrow the mouse holds down: 1 left, 2 right
};

// Captions are cut at the control's edge, as the classic controls do.
template <class Base>
class Clipped : public Base {
 public:
  Clipped(int x, int y, int w, int h) : Base(x, y, w, h) {}
  void draw() override {
    fl_push_clip(this->x(), this->y(), this->w(), this->h());
    Base::draw();
    fl_pop_clip();
  }
};

class DialogWindow : public Fl_Double_Window {
 public:
  DialogWindow(int w, int h, plat::Handle handle) : Fl_Double_Window(w, h), handle_(handle) {}
  plat::Handle handle() const { return handle_; }

 private:
  plat::Handle handle_;
};

struct Slot {
  plat::Handle dialog;
  int control;
};

struct Dialog {
  plat::Handle handle = 0;
  plat::DialogSpec desc;
  plat::DialogEvents* events = nullptr;
  DialogWindow* window = nullptr;  // owned by FLTK's deferred deletion once destroyed
  std::vector<Fl_Widget*> widgets;  // by control; null for the hidden picture store
  std::vector<Fl_Image*> pictures;  // what each Image or PictureBox holds
  std::vector<std::unique_ptr<Slot>> slots;
  std::string caption;
  bool topmost = false;
  bool dead = false;
};

}  // namespace

namespace linuxplat {
namespace {
FltkState& F() {
  static FltkState s;
  return s;
}
}  // namespace
}  // namespace linuxplat

namespace {

Dialog* live(plat::Handle h) {
  auto it = linuxplat::F().dialogs.find(h);
  return it == linuxplat::F().dialogs.end() || it->second->dead ? nullptr : it->second.get();
}

Dialog* of_window(Fl_Window* w) {
  for (Fl_Window* top = w; top; top = top->window()) {
    if (auto* dw = dynamic_cast<DialogWindow*>(top)) return live(dw->handle());
  }
  return nullptr;
}

void control_cb(Fl_Widget* w, void* data) {
  auto* slot = static_cast<Slot*>(data);
  Dialog* d = live(slot->dialog);
  if (!d) return;
  int value = 0;
  std::string text;
  switch (d->desc.controls[static_cast<std::size_t>(slot->control)].kind) {
    case plat::ControlKind::CheckBox:
    case plat::ControlKind::OptionButton: value = static_cast<Fl_Button*>(w)->value(); break;
    case plat::ControlKind::HScrollBar: value = static_cast<int>(static_cast<Fl_Scrollbar*>(w)->value()); break;
    case plat::ControlKind::TextBox: text = static_cast<Fl_Input*>(w)->value(); break;
    default: break;
  }
  d->events->on_control(slot->dialog, slot->control, value, text);
}

// The window's close box, and Escape, which every classic dialog treats the same way.
void close_cb(Fl_Widget* w, void*) {
  if (Dialog* d = of_window(static_cast<Fl_Window*>(w))) d->events->on_close_request(d->handle);
}

// The control of a dialog that a widget is, or -1.
int control_of(const Dialog& d, const Fl_Widget* w) {
  for (std::size_t i = 0; i < d.widgets.size(); ++i)
    if (w && d.widgets[i] == w) return static_cast<int>(i);
  return -1;
}

// Test hook: the name of each control that gets the focus (a window losing and regaining the
// keyboard does not count as a move).
void trace_focus() {
  if (!linuxplat::F().trace_focus || Fl::focus() == linuxplat::F().traced) return;
  for (auto& [h, d] : linuxplat::F().dialogs) {
    if (d->dead) continue;
    const int c = control_of(*d, Fl::focus());
    if (c >= 0) {
      linuxplat::F().traced = Fl::focus();
      std::fprintf(stderr, "focus: %s\n", d->desc.controls[static_cast<std::size_t>(c)].name.c_str());
      std::fflush(stderr);
    }
  }
}

// The key as the keyboard gave it.
plat::KeyEvent raw_key() {
  using plat::Key;
  plat::KeyEvent k;
  const int key = Fl::event_key();
  k.shift = Fl::event_state(FL_SHIFT) != 0;
  k.alt = Fl::event_state(FL_ALT) != 0;
  switch (key) {
    case FL_Tab: k.key = Key::Tab; break;
    case 0xfe20: k.key = Key::Tab; k.shift = true; break;  // ISO_Left_Tab: Shift+Tab
    case FL_Enter:
    case FL_KP_Enter: k.key = Key::Enter; break;
    case FL_Escape: k.key = Key::Escape; break;
    case ' ': k.key = Key::Space; break;
    case FL_Left: k.key = Key::Left; break;
    case FL_Right: k.key = Key::Right; break;
    case FL_Up: k.key = Key::Up; break;
    case FL_Down: k.key = Key::Down; break;
    case FL_Home: k.key = Key::Home; break;
    case FL_End: k.key = Key::End; break;
    case FL_Page_Up: k.key = Key::PageUp; break;
    case FL_Page_Down: k.key = Key::PageDown; break;
    default:
      if (k.alt && key > ' ' && key < 127) {
        k.key = Key::Char;
        k.ch = key;
      } else if (Fl::event_length() > 0 && !Fl::event_state(FL_CTRL | FL_META)) {
        k.key = Key::Char;
        k.ch = static_cast<unsigned char>(Fl::event_text()[0]);
      }
      break;
  }
  return k;
}

// Every key pressed in a dialog goes to the core first; what it leaves goes to the focused
// widget alone, so that FLTK's navigation and shortcuts never act.
int dialog_key(Fl_Window* w) {
  Dialog* d = of_window(w);
  if (!d) return -1;
  const plat::Handle h = d->handle;
  if (d->events->on_key(h, raw_key())) return 1;
  d = live(h);
  if (d && Fl::focus() && control_of(*d, Fl::focus()) >= 0) Fl::focus()->handle(FL_KEYBOARD);
  return 1;
}

// A control the mouse put the focus on.
void report_focus(Fl_Widget* before) {
  Fl_Widget* now = Fl::focus();
  if (!now || now == before) return;
  for (auto& [h, d] : linuxplat::F().dialogs) {
    if (d->dead) continue;
    const int c = control_of(*d, now);
    if (c >= 0) {
      d->events->on_focus(h, c);
      return;
    }
  }
}

int dispatch(int event, Fl_Window* w) {
  int handled = -1;
  if (event == FL_KEYBOARD && w) handled = dialog_key(w);
  Fl_Widget* before = Fl::focus();
  const int r = handled >= 0 ? handled : Fl::handle_(event, w);
  if (event == FL_PUSH) report_focus(before);
  trace_focus();
  return r;
}

// FLTK labels treat '@' as a symbol; the dialogs' captions are plain text.
std::string plain(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '@') out += '@';
    out += c;
  }
  return out;
}

Fl_Widget* make_widget(const plat::ControlSpec& c, int x, int y, int w, int h) {
  const Fl_Font font = linuxplat::dialog_font(false);
  Fl_Widget* widget = nullptr;
  switch (c.kind) {
    case plat::ControlKind::Frame: {
      auto* f = new Frame(x, y, w, h);
      f->end();
      f->labelfont(linuxplat::dialog_font(c.bold));
      widget = f;
      break;
    }
    case plat::ControlKind::CheckBox: {
      auto* b = new Clipped<Fl_Check_Button>(x, y, w, h);
      b->down_box(FL_DOWN_BOX);
      widget = b;
      break;
    }
    case plat::ControlKind::OptionButton: {
      auto* b = new Clipped<Fl_Round_Button>(x, y, w, h);
      b->type(FL_RADIO_BUTTON);
      widget = b;
      break;
    }
    case plat::ControlKind::PushButton: {
      auto* b = new Fl_Button(x, y, w, h);
      b->box(FL_UP_BOX);
      b->down_box(FL_DOWN_BOX);
      widget = b;
      break;
    }
    case plat::ControlKind::Label: {
      auto* b = new Clipped<Fl_Box>(x, y, w, h);
      b->box(FL_NO_BOX);
      Fl_Align a = FL_ALIGN_INSIDE | FL_ALIGN_TOP | FL_ALIGN_WRAP;
      if (c.align == plat::Align::Left) a |= FL_ALIGN_LEFT;
      if (c.align == plat::Align::Right) a |= FL_ALIGN_RIGHT;
      b->align(a);
      widget = b;
      break;
    }
    case plat::ControlKind::HScrollBar: {
      auto* s = new SpeedBar(x, y, w, h);
      s->bounds(c.min, c.max);
      s->step(1);
      s->linesize(c.small_step);
      s->small_step = c.small_step;
      s->large_step = c.large_step;
      // A square thumb, as wide as the bar is high, in the trough between the two arrows.
      const int trough = std::max(1, w - 2 * h);
      s->slider_size(std::min(1.0, static_cast<double>(h) / trough));
      s->value(c.min);
      s->when(FL_WHEN_CHANGED);
      widget = s;
      break;
    }
    case plat::ControlKind::TextBox: {
      auto* in = new Fl_Input(x, y, w, h);
      in->box(FL_DOWN_BOX);
      in->textfont(font);
      in->textsize(linuxplat::dialog_font_size());
      in->when(FL_WHEN_CHANGED);
      in->value(c.caption.c_str());
      widget = in;
      break;
    }
    case plat::ControlKind::PictureBox: widget = new PictureBox(x, y, w, h, true); break;
    case plat::ControlKind::Image: widget = new PictureBox(x, y, w, h, false); break;
  }
  if (c.kind != plat::ControlKind::Frame) widget->labelfont(linuxplat::dialog_font(c.bold));
  widget->labelsize(linuxplat::dialog_font_size());
  if (c.kind != plat::ControlKind::TextBox && !c.caption.empty()) widget->copy_label(plain(c.caption).c_str());
  if (!c.tooltip.empty()) widget->copy_tooltip(c.tooltip.c_str());
  if (c.kind == plat::ControlKind::TextBox) widget->color(linuxplat::colour(c.face, FL_WHITE));
  else widget->color(linuxplat::colour(c.face, FL_BACKGROUND_COLOR));
  widget->labelcolor(linuxplat::colour(c.fore, FL_FOREGROUND_COLOR));
  if (c.kind == plat::ControlKind::CheckBox || c.kind == plat::ControlKind::OptionButton)
    widget->selection_color(FL_BLACK);
  if (c.tab < 0 || !plat::kind_takes_focus(c.kind)) widget->clear_visible_focus();
  return widget;
}

}  // namespace

void linuxplat::raise_topmost() {
  for (auto& [h, d] : linuxplat::F().dialogs)
    if (!d->dead && d->topmost && d->window->visible()) linuxplat::set_topmost(d->window, true);
}

void linuxplat::dialogs_over(unsigned long xid) {
  if (!F().have_display || xid == 0) return;
  for (auto& [h, d] : F().dialogs) {
    if (d->dead || !d->topmost || !d->window->shown()) continue;
    // A window manager keeps a dialog above the window it belongs to, even a full-screen one;
    // without a manager, raising it is what counts.
    XSetTransientForHint(fl_display, fl_xid(d->window), xid);
    if (d->window->visible()) set_topmost(d->window, true);
  }
  XFlush(fl_display);
  F().restack = true;
}

namespace plat {

Handle dialog_create(const DialogSpec& desc, DialogEvents* events) {
  if (!linuxplat::fltk_start()) return 0;  // no display: nothing can be shown
  if (!linuxplat::F().dispatch_installed) {
    Fl::event_dispatch(dispatch);
    linuxplat::F().dispatch_installed = true;
  }
  const Handle h = linuxplat::F().next++;
  auto d = std::make_unique<Dialog>();
  d->handle = h;
  d->desc = desc;
  d->events = events;
  d->caption = desc.caption;
  const std::size_t n = desc.controls.size();
  d->widgets.assign(n, nullptr);
  d->pictures.assign(n, nullptr);

  Fl_Group::current(nullptr);
  auto* win = new DialogWindow(px(desc.client_width), px(desc.client_height), h);
  win->size_range(win->w(), win->h(), win->w(), win->h());
  win->copy_label(d->caption.c_str());
  win->callback(close_cb);
  win->xclass("zelkin-wumpets");
  d->window = win;

  // Absolute positions (FLTK's are relative to the window), parents before their children.
  std::vector<int> ax(n, 0), ay(n, 0);
  auto place = [&](std::size_t i) {
    const ControlSpec& c = desc.controls[i];
    ax[i] = px(c.left) + (c.parent >= 0 ? ax[static_cast<std::size_t>(c.parent)] : 0);
    ay[i] = px(c.top) + (c.parent >= 0 ? ay[static_cast<std::size_t>(c.parent)] : 0);
  };
  // Pictures lie beneath everything (a label's text shows over an icon); the other siblings go
  // in tab order, so that the Tab key follows the layout's order.
  std::vector<std::size_t> order(n);
  for (std::size_t i = 0; i < n; ++i) order[i] = i;
  auto rank = [&](std::size_t i) {
    if (desc.controls[i].kind == ControlKind::Image) return -1;
    return desc.controls[i].tab < 0 ? 1 << 20 : desc.controls[i].tab;
  };
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return rank(a) < rank(b); });
  auto build = [&](int parent, auto& self) -> void {
    for (std::size_t i : order) {
      const ControlSpec& c = desc.controls[i];
      if (c.parent != parent) continue;
      place(i);
      if (c.kind == ControlKind::Image && !c.visible) {
        d->pictures[i] = linuxplat::load_picture(c.picture);  // the hidden store
        continue;
      }
      Fl_Group* holder = parent >= 0 ? static_cast<Fl_Group*>(d->widgets[static_cast<std::size_t>(parent)]) : win;
      Fl_Group::current(nullptr);
      Fl_Widget* w = make_widget(c, ax[i], ay[i], px(c.width), px(c.height));
      holder->add(w);
      d->widgets[i] = w;
      if (!c.picture.empty()) {
        d->pictures[i] = linuxplat::load_picture(c.picture);
        static_cast<PictureBox*>(w)->picture(d->pictures[i]);
      }
      auto slot = std::make_unique<Slot>(Slot{h, static_cast<int>(i)});
      w->callback(control_cb, slot.get());
      d->slots.push_back(std::move(slot));
      if (!c.visible) w->hide();
      if (c.kind == ControlKind::Frame) self(static_cast<int>(i), self);
    }
  };
  build(-1, build);
  win->end();
  Fl_Group::current(nullptr);
  linuxplat::F().dialogs[h] = std::move(d);
  return h;
}

void dialog_destroy(Handle h) {
  Dialog* d = live(h);
  if (!d) return;
  d->dead = true;
  d->window->hide();
  Fl::delete_widget(d->window);  // safe inside the window's own callbacks
}

void dialog_show(Handle h) {
  Dialog* d = live(h);
  if (!d) return;
  if (!d->window->shown() || !d->window->visible()) d->window->show();
  // Where no window manager keeps the topmost band, the topmost dialogs are raised again over
  // every newly shown one.
  linuxplat::raise_topmost();
  linuxplat::F().restack = true;
  Fl::flush();
}

void dialog_hide(Handle h) {
  if (Dialog* d = live(h)) d->window->hide();
}

void dialog_set_caption(Handle h, const std::string& caption) {
  if (Dialog* d = live(h)) {
    d->caption = caption;
    d->window->copy_label(caption.c_str());
  }
}

void dialog_outer_size(Handle h, float& width, float& height) {
  // The client area and the frame the window manager reports it puts around a dialog (none
  // where there is no manager).
  if (Dialog* d = live(h)) {
    linuxplat::probe_frame_extents();
    const auto& f = linuxplat::F().frame;
    const double tpp = linuxplat::F().scale.twips_per_pixel;
    width = static_cast<float>((d->window->w() + f.left + f.right) * tpp);
    height = static_cast<float>((d->window->h() + f.top + f.bottom) * tpp);
  }
}

void dialog_move(Handle h, float left, float top) {
  // FLTK places the client area itself (the frame goes around it): the outer corner is moved by
  // moving the client area in by the frame's width. Positions count from the primary monitor's
  // corner, as on Windows, wherever that monitor lies on the X screen.
  if (Dialog* d = live(h)) {
    linuxplat::probe_frame_extents();
    const auto& f = linuxplat::F().frame;
    const linuxvideo::Monitor primary = linuxplat::F().host->monitor_bounds(0);
    d->window->position(primary.x + px(left) + f.left, primary.y + px(top) + f.top);
  }
}

void dialog_set_topmost(Handle h, bool topmost) {
  if (Dialog* d = live(h)) {
    d->topmost = topmost;
    linuxplat::set_topmost(d->window, topmost);
  }
}

// No settings window of a Linux desktop passes its window to the dialog, and another program's
// X window cannot be made to wait for ours: the dialog stays a window of its own.
bool dialog_set_owner(Handle, Handle) { return false; }

void control_set_value(Handle h, int c, int value) {
  Dialog* d = live(h);
  if (!d || c < 0 || c >= static_cast<int>(d->widgets.size()) || !d->widgets[static_cast<std::size_t>(c)]) return;
  Fl_Widget* w = d->widgets[static_cast<std::size_t>(c)];
  switch (d->desc.controls[static_cast<std::size_t>(c)].kind) {
    case ControlKind::CheckBox: static_cast<Fl_Button*>(w)->value(value); break;
    case ControlKind::OptionButton:
      if (value) static_cast<Fl_Button*>(w)->setonly();
      else static_cast<Fl_Button*>(w)->value(0);
      break;
    case ControlKind::HScrollBar: static_cast<Fl_Scrollbar*>(w)->value(value); break;
    default: break;
  }
}

void control_set_enabled(Handle h, int c, bool enabled) {
  Dialog* d = live(h);
  if (!d || c < 0 || c >= static_cast<int>(d->widgets.size()) || !d->widgets[static_cast<std::size_t>(c)]) return;
  if (enabled) d->widgets[static_cast<std::size_t>(c)]->activate();
  else d->widgets[static_cast<std::size_t>(c)]->deactivate();
}

void control_set_text(Handle h, int c, const std::string& text) {
  Dialog* d = live(h);
  if (!d || c < 0 || c >= static_cast<int>(d->widgets.size())) return;
  if (auto* in = dynamic_cast<Fl_Input*>(d->widgets[static_cast<std::size_t>(c)])) {
    // A stored text cut in the middle of a character loses that character's start bytes.
    std::size_t end = text.size();
    std::size_t lead = end;
    while (lead > 0 && (static_cast<unsigned char>(text[lead - 1]) & 0xC0) == 0x80) --lead;
    if (lead > 0) {
      const unsigned char first = static_cast<unsigned char>(text[lead - 1]);
      const std::size_t need = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
      if (end - (lead - 1) < need) end = lead - 1;
    }
    in->value(text.c_str(), static_cast<int>(end));
  }
}

void control_copy_picture(Handle h, int to, int from) {
  Dialog* d = live(h);
  if (!d) return;
  const auto n = static_cast<int>(d->widgets.size());
  if (to < 0 || to >= n || from < 0 || from >= n) return;
  d->pictures[static_cast<std::size_t>(to)] = d->pictures[static_cast<std::size_t>(from)];
  if (auto* box = dynamic_cast<PictureBox*>(d->widgets[static_cast<std::size_t>(to)]))
    box->picture(d->pictures[static_cast<std::size_t>(to)]);
}

void control_focus(Handle h, int c) {
  Dialog* d = live(h);
  if (!d || c < 0 || c >= static_cast<int>(d->widgets.size()) || !d->widgets[static_cast<std::size_t>(c)]) return;
  d->widgets[static_cast<std::size_t>(c)]->take_focus();
}

void message_box(const std::string& title, const std::string& text) {
  if (!linuxplat::fltk_start()) {
    std::fprintf(stderr, "zelkin-wumpets: %s\n", text.c_str());
    return;
  }
  // A dialog like the program's others: the text centred over one OK button, in the middle of
  // the screen; OK, Enter, Escape and the close box all close it.
  int lines = 1;
  for (char c : text) lines += c == '\n';
  DialogSpec layout;
  layout.caption = title;
  layout.client_width = 5400;
  const int text_height = lines * 195;
  layout.client_height = 240 + text_height + 240 + 375 + 180;
  layout.controls.resize(2);
  ControlSpec& label = layout.controls[0];
  label.name = std::string("text");
  label.kind = ControlKind::Label;
  label.caption = text;
  label.align = Align::Centre;
  label.left = 240;
  label.top = 240;
  label.width = 4920;
  label.height = text_height;
  ControlSpec& ok = layout.controls[1];
  ok.name = std::string("OK");
  ok.kind = ControlKind::PushButton;
  ok.caption = std::string("OK");
  ok.left = (5400 - 1260) / 2;
  ok.top = 240 + text_height + 240;
  ok.width = 1260;
  ok.height = 375;
  ok.tab = 0;
  layout.tab_order = {1};

  struct Closer final : DialogEvents {
    bool closed = false;
    void on_control(Handle, int control, int, const std::string&) override { closed = closed || control == 1; }
    void on_close_request(Handle) override { closed = true; }
    // Its one button takes Enter and Space; Escape is the close box.
    bool on_key(Handle, const KeyEvent& k) override {
      closed = closed || k.key == Key::Enter || k.key == Key::Space || k.key == Key::Escape;
      return true;
    }
  } events;
  const Handle h = dialog_create(layout, &events);
  if (h == 0) return;
  dialog_set_caption(h, title);
  float width = 0, height = 0;
  dialog_outer_size(h, width, height);
  const ScreenMetrics m = linuxplat::F().host->screen_metrics();
  dialog_move(h, m.width_twips / 2.0f - width / 2.0f, m.height_twips / 2.0f - height / 2.0f);
  dialog_show(h);
  control_focus(h, 1);
  while (!events.closed && live(h) && live(h)->window->shown()) Fl::wait();
  dialog_destroy(h);
  Fl::flush();
}

}  // namespace plat

// The module's one visible symbol: the program gives its side and takes the dialogs' calls.
extern "C" __attribute__((visibility("default"))) const linuxplat::DialogModule* wumpets_dialogs_module(
    const linuxplat::DialogHost* host) {
  using namespace plat;
  static const linuxplat::DialogModule table{
      linuxplat::module_stamp(), linuxplat::dialogs_active, linuxplat::dialogs_wait, linuxplat::dialogs_over,
      dialog_create, dialog_destroy, dialog_show, dialog_hide, dialog_set_caption, dialog_outer_size, dialog_move,
      dialog_set_topmost, dialog_set_owner, control_set_value, control_set_enabled, control_set_text,
      control_copy_picture, control_focus, message_box};
  linuxplat::F().host = host;
  return &table;
}
