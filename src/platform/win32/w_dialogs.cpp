// The dialogs on Windows: native controls created at run time from the core's layout tables
// (one CreateWindowExA per control), in MS Sans Serif 8 on the system's button face, with
// tooltips, access keys, the default button and the tab order the layout numbers. Twips become
// pixels with the screen's real twips per pixel. Called by the core's dialog models; the event
// loop offers every message to dialog_message first, which hands each key pressed in a dialog to
// the core's keyboard model as a raw key (no IsDialogMessage: its navigation, grouping and
// default button are the model's); only a key the model leaves reaches the focused control.
#include "platform/win32/w_backend.h"
#include "platform/win32/w_text.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

namespace win32 {

namespace {

constexpr int kFirstId = 100;  // control n has the id kFirstId + n (clear of IDOK and IDCANCEL)

double twips_per_pixel() { return 1440.0 / B().dpi; }
int px(int twips) { return static_cast<int>(std::lround(twips / twips_per_pixel())); }

Dialog* dialog(plat::Handle h) {
  for (auto& d : B().dialogs)
    if (d->hwnd && handle_of(d->hwnd) == h) return d.get();
  return nullptr;
}
Dialog* dialog_of(HWND hwnd) {
  for (auto& d : B().dialogs)
    if (d->hwnd == hwnd) return d.get();
  return nullptr;
}
int index_of(const Dialog& d, HWND control) {
  for (std::size_t i = 0; i < d.controls.size(); ++i)
    if (d.controls[i] == control) return static_cast<int>(i);
  return -1;
}

HFONT dialog_font(bool bold) {
  static HFONT fonts[2] = {};
  HFONT& f = fonts[bold ? 1 : 0];
  if (!f)
    f = CreateFontA(-MulDiv(8, B().dpi, 72), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                    "MS Sans Serif");
  return f;
}

COLORREF colour(std::uint32_t c, int fallback_system) {
  if (c == plat::kDefaultColour) return GetSysColor(fallback_system);
  if (c & 0x80000000u) return GetSysColor(static_cast<int>(c & 0xFFu));
  return static_cast<COLORREF>(c & 0x00FFFFFFu);
}

// The program's own pictures: bitmap resources named after the file (pic3.bmp is PIC3), else
// the file in resources\ beside the program.
HBITMAP picture(const std::string& file) {
  if (file.empty()) return nullptr;
  static std::vector<std::pair<std::string, HBITMAP>> cache;
  for (auto& [name, bmp] : cache)
    if (name == file) return bmp;
  std::string id = file.substr(0, file.find('.'));
  for (char& c : id) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  HBITMAP bmp = static_cast<HBITMAP>(LoadImageA(B().instance, id.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!bmp)
    bmp = static_cast<HBITMAP>(LoadImageW(nullptr, win32::wide_path(B().program_dir + "resources\\" + file).c_str(), IMAGE_BITMAP, 0,
                                          0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  cache.emplace_back(file, bmp);  // a missing picture stays missing: an empty box
  return bmp;
}

LRESULT CALLBACK picture_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    Dialog* d = dialog_of(GetParent(hwnd));
    const int i = d ? index_of(*d, hwnd) : -1;
    HBRUSH face = d && i >= 0 && d->brushes[static_cast<std::size_t>(i)] ? d->brushes[static_cast<std::size_t>(i)]
                                                                         : GetSysColorBrush(COLOR_BTNFACE);
    FillRect(dc, &r, face);
    if (i >= 0 && d->pictures[static_cast<std::size_t>(i)]) {
      HDC mem = CreateCompatibleDC(dc);
      HGDIOBJ old = SelectObject(mem, d->pictures[static_cast<std::size_t>(i)]);
      BITMAP bm{};
      GetObjectA(d->pictures[static_cast<std::size_t>(i)], sizeof bm, &bm);
      BitBlt(dc, 0, 0, std::min<int>(bm.bmWidth, r.right), std::min<int>(std::abs(bm.bmHeight), r.bottom), mem, 0, 0,
             SRCCOPY);
      SelectObject(mem, old);
      DeleteDC(mem);
    }
    EndPaint(hwnd, &ps);
    return 0;
  }
  if (msg == WM_LBUTTONUP) {
    // A click on a picture is a control event like any other.
    if (Dialog* d = dialog_of(GetParent(hwnd)); d && !d->quiet) {
      const int i = index_of(*d, hwnd);
      if (i >= 0) d->events->on_control(handle_of(d->hwnd), i, 0, "");
    }
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

void report(Dialog& d, int i) {
  if (d.quiet || i < 0) return;
  const plat::ControlSpec& c = d.layout.controls[static_cast<std::size_t>(i)];
  HWND w = d.controls[static_cast<std::size_t>(i)];
  int value = 0;
  std::string text;
  switch (c.kind) {
    case plat::ControlKind::CheckBox:
    case plat::ControlKind::OptionButton:
      value = SendMessageA(w, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
      break;
    case plat::ControlKind::HScrollBar:
      value = GetScrollPos(w, SB_CTL);
      break;
    case plat::ControlKind::TextBox: {
      std::vector<char> buf(static_cast<std::size_t>(GetWindowTextLengthA(w)) + 1, '\0');
      GetWindowTextA(w, buf.data(), static_cast<int>(buf.size()));
      text = buf.data();
      break;
    }
    default:
      break;
  }
  d.events->on_control(handle_of(d.hwnd), i, value, text);
}

void scrolled(Dialog& d, HWND bar, int code) {
  const int i = index_of(d, bar);
  if (i < 0) return;
  const plat::ControlSpec& c = d.layout.controls[static_cast<std::size_t>(i)];
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  GetScrollInfo(bar, SB_CTL, &si);
  int pos = si.nPos;
  switch (code) {
    case SB_LINELEFT: pos -= c.small_step; break;
    case SB_LINERIGHT: pos += c.small_step; break;
    case SB_PAGELEFT: pos -= c.large_step; break;
    case SB_PAGERIGHT: pos += c.large_step; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = si.nTrackPos; break;
    case SB_LEFT: pos = c.min; break;
    case SB_RIGHT: pos = c.max; break;
    default: return;
  }
  pos = std::clamp(pos, c.min, c.max);
  if (pos == si.nPos) return;
  SetScrollPos(bar, SB_CTL, pos, TRUE);
  report(d, i);
}

LRESULT CALLBACK dialog_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Dialog* d = dialog_of(hwnd);
  if (!d) return DefWindowProcA(hwnd, msg, wp, lp);
  switch (msg) {
    case WM_COMMAND: {
      const int id = LOWORD(wp), code = HIWORD(wp);
      const int i = id - kFirstId;
      if (i < 0 || i >= static_cast<int>(d->controls.size())) return 0;
      const plat::ControlKind kind = d->layout.controls[static_cast<std::size_t>(i)].kind;
      if (kind == plat::ControlKind::OptionButton && code == BN_CLICKED) {
        // Plain option buttons: the click selects it and clears the others of its frame.
        const int parent = d->layout.controls[static_cast<std::size_t>(i)].parent;
        for (std::size_t k = 0; k < d->controls.size(); ++k) {
          const plat::ControlSpec& o = d->layout.controls[k];
          if (o.kind == plat::ControlKind::OptionButton && o.parent == parent && d->controls[k])
            SendMessageA(d->controls[k], BM_SETCHECK, static_cast<int>(k) == i ? BST_CHECKED : BST_UNCHECKED, 0);
        }
      }
      if (kind == plat::ControlKind::TextBox ? code == EN_CHANGE : code == BN_CLICKED) report(*d, i);
      return 0;
    }
    case WM_HSCROLL:
      if (lp) scrolled(*d, reinterpret_cast<HWND>(lp), LOWORD(wp));
      return 0;
    case DM_GETDEFID:
      return d->default_button >= 0 ? MAKELRESULT(kFirstId + d->default_button, DC_HASDEFID) : 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT: {
      const int i = index_of(*d, reinterpret_cast<HWND>(lp));
      if (i < 0) break;
      const plat::ControlSpec& c = d->layout.controls[static_cast<std::size_t>(i)];
      HDC dc = reinterpret_cast<HDC>(wp);
      const bool edit = c.kind == plat::ControlKind::TextBox;
      SetTextColor(dc, colour(c.fore, edit ? COLOR_WINDOWTEXT : COLOR_BTNTEXT));
      SetBkColor(dc, colour(c.face, edit ? COLOR_WINDOW : COLOR_BTNFACE));
      HBRUSH b = d->brushes[static_cast<std::size_t>(i)];
      return reinterpret_cast<LRESULT>(b ? b : GetSysColorBrush(edit ? COLOR_WINDOW : COLOR_BTNFACE));
    }
    case WM_ACTIVATE:
      if (LOWORD(wp) != WA_INACTIVE) d->events->on_activate(handle_of(hwnd));
      break;
    case WM_CLOSE:
      d->events->on_close_request(handle_of(hwnd));
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

void register_dialog_classes() {
  static bool done = false;
  if (done) return;
  done = true;
  INITCOMMONCONTROLSEX icc{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = dialog_proc;
  wc.hInstance = B().instance;
  wc.hIcon = LoadIconA(B().instance, MAKEINTRESOURCEA(1));
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.cbWndExtra = DLGWINDOWEXTRA;
  wc.lpszClassName = "ZelkinWumpetsDialog";
  RegisterClassExA(&wc);
  WNDCLASSEXA pc{};
  pc.cbSize = sizeof pc;
  pc.lpfnWndProc = picture_proc;
  pc.hInstance = B().instance;
  pc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  pc.lpszClassName = "ZelkinWumpetsPicture";
  RegisterClassExA(&pc);
}

// Where a control lies in the dialog's client area: its own place plus its frames' places.
POINT client_position(const plat::DialogSpec& layout, int i) {
  POINT p{0, 0};
  for (int k = i; k >= 0; k = layout.controls[static_cast<std::size_t>(k)].parent) {
    p.x += layout.controls[static_cast<std::size_t>(k)].left;
    p.y += layout.controls[static_cast<std::size_t>(k)].top;
  }
  return POINT{px(p.x), px(p.y)};
}

// Windows keeps a dialog's controls in creation order: that order is the Tab order, and the
// first created lies on top. So the numbered controls come first, by their numbers, then the
// other labels and the pictures, and the frames last, beneath the controls they hold.
std::vector<int> creation_order(const plat::DialogSpec& layout) {
  std::vector<int> order;
  for (int i = 0; i < static_cast<int>(layout.controls.size()); ++i) order.push_back(i);
  auto rank = [&](int i) {
    const plat::ControlSpec& c = layout.controls[static_cast<std::size_t>(i)];
    if (c.kind == plat::ControlKind::Frame) return 3;
    if (c.kind == plat::ControlKind::Image || (c.kind == plat::ControlKind::PictureBox && c.tab < 0)) return 2;
    return c.tab >= 0 ? 0 : 1;
  };
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    const int ra = rank(a), rb = rank(b);
    if (ra != rb) return ra < rb;
    return ra == 0 && layout.controls[static_cast<std::size_t>(a)].tab < layout.controls[static_cast<std::size_t>(b)].tab;
  });
  return order;
}

void create_control(Dialog& d, int i, bool starts_group) {
  const plat::ControlSpec& c = d.layout.controls[static_cast<std::size_t>(i)];
  if (c.kind == plat::ControlKind::Image && !c.visible) {
    d.pictures[static_cast<std::size_t>(i)] = picture(c.picture);  // the hidden store: a picture, no window
    return;
  }
  const char* cls = "BUTTON";
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (c.visible ? WS_VISIBLE : 0);
  DWORD ex = 0;
  std::string caption = c.caption;
  // Frames, labels and images have a place in the numbering but never take the focus.
  const bool focusable = c.tab >= 0 && c.kind != plat::ControlKind::Frame && c.kind != plat::ControlKind::Label &&
                         c.kind != plat::ControlKind::Image;
  switch (c.kind) {
    case plat::ControlKind::Frame: style |= BS_GROUPBOX; break;
    case plat::ControlKind::CheckBox: style |= BS_AUTOCHECKBOX; break;
    case plat::ControlKind::OptionButton: style |= BS_RADIOBUTTON; break;  // grouped by frame, below
    case plat::ControlKind::PushButton: style |= i == d.default_button ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON; break;
    case plat::ControlKind::Label:
      cls = "STATIC";
      style |= c.align == plat::Align::Centre ? SS_CENTER : c.align == plat::Align::Right ? SS_RIGHT : SS_LEFT;
      break;
    case plat::ControlKind::HScrollBar: cls = "SCROLLBAR"; style |= SBS_HORZ; caption.clear(); break;
    case plat::ControlKind::TextBox:
      cls = "EDIT";
      style |= ES_AUTOHSCROLL | ES_LEFT;
      ex |= WS_EX_CLIENTEDGE;
      break;
    case plat::ControlKind::PictureBox: cls = "ZelkinWumpetsPicture"; ex |= WS_EX_CLIENTEDGE; caption.clear(); break;
    case plat::ControlKind::Image: cls = "ZelkinWumpetsPicture"; caption.clear(); break;
  }
  if (focusable) style |= WS_TABSTOP;
  if (starts_group) style |= WS_GROUP;
  const POINT at = client_position(d.layout, i);
  HWND w = CreateWindowExA(ex, cls, caption.c_str(), style, at.x, at.y, px(c.width), px(c.height), d.hwnd,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstId + i)), B().instance, nullptr);
  d.controls[static_cast<std::size_t>(i)] = w;
  if (!w) return;
  SendMessageA(w, WM_SETFONT, reinterpret_cast<WPARAM>(dialog_font(c.bold)), FALSE);
  if (c.face != plat::kDefaultColour && !(c.face & 0x80000000u))
    d.brushes[static_cast<std::size_t>(i)] = CreateSolidBrush(colour(c.face, COLOR_BTNFACE));
  if (c.kind == plat::ControlKind::HScrollBar) {
    SetScrollRange(w, SB_CTL, c.min, c.max, FALSE);
    SetScrollPos(w, SB_CTL, c.min, FALSE);
  }
  if (c.kind == plat::ControlKind::TextBox) SetWindowTextA(w, c.caption.c_str());
  if (c.kind == plat::ControlKind::Image || c.kind == plat::ControlKind::PictureBox)
    d.pictures[static_cast<std::size_t>(i)] = picture(c.picture);
  if (!c.tooltip.empty() && d.tooltip) {
    TTTOOLINFOA ti{};
    ti.cbSize = TTTOOLINFOA_V1_SIZE;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = d.hwnd;
    ti.uId = reinterpret_cast<UINT_PTR>(w);
    ti.lpszText = const_cast<char*>(c.tooltip.c_str());  // copied by the tooltip control
    SendMessageA(d.tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
  }
}

}  // namespace

void raise_topmost_dialogs() {
  // A topmost window shown later goes above the topmost ones before it: the error dialog would
  // sit under a saver window made after the report.
  for (auto& d : B().dialogs)
    if (d->topmost && IsWindowVisible(d->hwnd))
      SetWindowPos(d->hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

namespace {

// The raw key of a key-down message; Key::Other for a key the model has no name for.
plat::KeyEvent key_down(WPARAM vk) {
  using plat::Key;
  plat::KeyEvent k;
  k.shift = GetKeyState(VK_SHIFT) < 0;
  switch (vk) {
    case VK_TAB: k.key = Key::Tab; break;
    case VK_RETURN: k.key = Key::Enter; break;
    case VK_ESCAPE: k.key = Key::Escape; break;
    case VK_SPACE: k.key = Key::Space; break;
    case VK_LEFT: k.key = Key::Left; break;
    case VK_RIGHT: k.key = Key::Right; break;
    case VK_UP: k.key = Key::Up; break;
    case VK_DOWN: k.key = Key::Down; break;
    case VK_HOME: k.key = Key::Home; break;
    case VK_END: k.key = Key::End; break;
    case VK_PRIOR: k.key = Key::PageUp; break;
    case VK_NEXT: k.key = Key::PageDown; break;
    default: break;
  }
  return k;
}

// A control the mouse (or anything but the model) put the focus on.
void report_focus(Dialog& d) {
  HWND now = GetFocus();
  if (now == d.focus) return;
  d.focus = now;
  const int i = index_of(d, now);
  if (i >= 0) d.events->on_focus(handle_of(d.hwnd), i);
}

}  // namespace

bool dialog_message(MSG& msg) {
  if (B().dialogs.empty()) return false;
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  Dialog* d = dialog_of(root);
  if (!d) return false;
  report_focus(*d);
  d = dialog_of(root);
  if (!d) return true;
  const plat::Handle h = handle_of(root);
  if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN)
    // A keyboard user sees the focus and the access keys from the first key on, as the
    // system's own dialogs show them.
    for (HWND w : d->controls)
      if (w) SendMessageA(w, WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
  switch (msg.message) {
    case WM_KEYDOWN: {
      const plat::KeyEvent k = key_down(msg.wParam);
      // Letters and the like come as WM_CHAR once translated; the model sees them there.
      if (k.key == plat::Key::Other) return false;
      return d->events->on_key(h, k);  // false: the focused control (a text box) takes it
    }
    case WM_SYSKEYDOWN: {
      // Alt+letter: an access key. Alt+F4 and the rest stay the window system's.
      const auto vk = static_cast<int>(msg.wParam);
      if (!((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))) return false;
      plat::KeyEvent k;
      k.key = plat::Key::Char;
      k.alt = true;
      k.ch = vk;
      return d->events->on_key(h, k);
    }
    case WM_CHAR: {
      // Tab, Enter, Escape and Space were the model's at key-down; the char is what a text box
      // that was left the key-down types.
      const auto ch = static_cast<int>(msg.wParam);
      if (ch == '\t' || ch == '\r' || ch == 27 || ch == ' ') return false;
      plat::KeyEvent k;
      k.key = plat::Key::Char;
      k.ch = ch & 0xFF;
      return d->events->on_key(h, k);
    }
    default: return false;
  }
}

// The owner the dialog took input from gets it back (before the dialog goes or hides, so that
// Windows activates the owner rather than some other window).
void give_owner_back(Dialog& d) {
  if (d.owner && B().disabled_owner == d.owner) {
    EnableWindow(d.owner, TRUE);
    B().disabled_owner = nullptr;
  }
}

}  // namespace win32

namespace plat {

using win32::B;

Handle dialog_create(const DialogSpec& desc, DialogEvents* events) {
  win32::register_dialog_classes();
  auto d = std::make_unique<win32::Dialog>();
  d->events = events;
  d->layout = desc;
  const std::size_t n = desc.controls.size();
  d->controls.assign(n, nullptr);
  d->pictures.assign(n, nullptr);
  d->brushes.assign(n, nullptr);
  // The default button (Enter) is the push button first in the tab order.
  for (std::size_t i = 0; i < n; ++i) {
    const ControlSpec& c = desc.controls[i];
    if (c.kind == ControlKind::PushButton && c.tab >= 0 &&
        (d->default_button < 0 || c.tab < desc.controls[static_cast<std::size_t>(d->default_button)].tab))
      d->default_button = static_cast<int>(i);
  }
  // No WS_CLIPCHILDREN: a group box paints only its border and caption, the dialog the face within.
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  const DWORD ex = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  RECT r{0, 0, win32::px(desc.client_width), win32::px(desc.client_height)};
  AdjustWindowRectEx(&r, style, FALSE, ex);
  d->hwnd = CreateWindowExA(ex, "ZelkinWumpetsDialog", desc.caption.c_str(), style, 0, 0, r.right - r.left,
                            r.bottom - r.top, nullptr, nullptr, B().instance, nullptr);
  if (!d->hwnd) return 0;
  d->tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, d->hwnd, nullptr, B().instance, nullptr);
  win32::Dialog& dr = *d;
  B().dialogs.push_back(std::move(d));
  // Every control its own group: the core's keyboard model groups option buttons by frame.
  for (int i : win32::creation_order(dr.layout)) win32::create_control(dr, i, true);
  return win32::handle_of(dr.hwnd);
}

void dialog_destroy(Handle h) {
  win32::Dialog* d = win32::dialog(h);
  if (!d) return;
  win32::give_owner_back(*d);  // first, so that the owner is activated when we go
  HWND hwnd = d->hwnd;
  for (HBRUSH b : d->brushes)
    if (b) DeleteObject(b);
  auto& all = B().dialogs;
  all.erase(std::remove_if(all.begin(), all.end(), [&](const auto& p) { return p->hwnd == hwnd; }), all.end());
  DestroyWindow(hwnd);
}

void dialog_show(Handle h) {
  win32::Dialog* d = win32::dialog(h);
  if (!d) return;
  if (d->owner && IsWindow(d->owner)) {
    // Modal to the window that asked: it takes no input until the dialog goes.
    EnableWindow(d->owner, FALSE);
    B().disabled_owner = d->owner;
  }
  ShowWindow(d->hwnd, SW_SHOW);
  SetForegroundWindow(d->hwnd);
  // The focus goes to the first control of the tab order, as a dialog opens.
  if (HWND first = GetNextDlgTabItem(d->hwnd, nullptr, FALSE); first && !GetFocus()) SetFocus(first);
}

void dialog_hide(Handle h) {
  if (win32::Dialog* d = win32::dialog(h)) {
    win32::give_owner_back(*d);
    ShowWindow(d->hwnd, SW_HIDE);
  }
}

void dialog_set_caption(Handle h, const std::string& caption) {
  if (win32::Dialog* d = win32::dialog(h)) SetWindowTextA(d->hwnd, caption.c_str());
}

void dialog_outer_size(Handle h, float& width, float& height) {
  win32::Dialog* d = win32::dialog(h);
  if (!d) return;
  RECT r{};
  GetWindowRect(d->hwnd, &r);
  const float tpp = static_cast<float>(win32::twips_per_pixel());
  width = static_cast<float>(r.right - r.left) * tpp;
  height = static_cast<float>(r.bottom - r.top) * tpp;
}

void dialog_move(Handle h, float left, float top) {
  if (win32::Dialog* d = win32::dialog(h)) {
    const double tpp = win32::twips_per_pixel();
    SetWindowPos(d->hwnd, nullptr, static_cast<int>(std::lround(left / tpp)), static_cast<int>(std::lround(top / tpp)),
                 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void dialog_set_topmost(Handle h, bool topmost) {
  if (win32::Dialog* d = win32::dialog(h)) {
    d->topmost = topmost;
    SetWindowPos(d->hwnd, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

bool dialog_set_owner(Handle h, Handle owner) {
  win32::Dialog* d = win32::dialog(h);
  HWND o = reinterpret_cast<HWND>(static_cast<INT_PTR>(owner));
  DWORD pid = 0;
  if (!d || owner <= 0 || !IsWindow(o) || !GetWindowThreadProcessId(o, &pid) || pid == GetCurrentProcessId())
    return false;
  // Owned: above its owner, minimised and closed with it.
  SetWindowLongPtrA(d->hwnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(o));
  d->owner = o;
  // Centred on the owner, kept inside the work area of the owner's monitor.
  RECT owner_rect{}, mine{};
  GetWindowRect(o, &owner_rect);
  GetWindowRect(d->hwnd, &mine);
  const int w = mine.right - mine.left, hgt = mine.bottom - mine.top;
  int x = (owner_rect.left + owner_rect.right - w) / 2, y = (owner_rect.top + owner_rect.bottom - hgt) / 2;
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  if (GetMonitorInfoA(MonitorFromWindow(o, MONITOR_DEFAULTTONEAREST), &mi)) {
    x = std::max(static_cast<int>(mi.rcWork.left), std::min(x, static_cast<int>(mi.rcWork.right) - w));
    y = std::max(static_cast<int>(mi.rcWork.top), std::min(y, static_cast<int>(mi.rcWork.bottom) - hgt));
  }
  SetWindowPos(d->hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (IsWindowVisible(d->hwnd)) {  // shown already: modal from now on
    EnableWindow(o, FALSE);
    B().disabled_owner = o;
  }
  return true;
}

namespace {
HWND control(win32::Dialog* d, int i) {
  if (!d || i < 0 || static_cast<std::size_t>(i) >= d->controls.size()) return nullptr;
  return d->controls[static_cast<std::size_t>(i)];
}
}  // namespace

void control_set_value(Handle h, int i, int value) {
  win32::Dialog* d = win32::dialog(h);
  HWND w = control(d, i);
  if (!w) return;
  d->quiet = true;
  const ControlSpec& c = d->layout.controls[static_cast<std::size_t>(i)];
  switch (c.kind) {
    case ControlKind::CheckBox: SendMessageA(w, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0); break;
    case ControlKind::OptionButton:
      if (value) {  // one selected per container
        for (std::size_t k = 0; k < d->controls.size(); ++k) {
          const ControlSpec& o = d->layout.controls[k];
          if (k != static_cast<std::size_t>(i) && o.kind == ControlKind::OptionButton && o.parent == c.parent && d->controls[k])
            SendMessageA(d->controls[k], BM_SETCHECK, BST_UNCHECKED, 0);
        }
      }
      SendMessageA(w, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
      break;
    case ControlKind::HScrollBar: SetScrollPos(w, SB_CTL, std::clamp(value, c.min, c.max), TRUE); break;
    default: break;
  }
  d->quiet = false;
}

void control_set_enabled(Handle h, int i, bool enabled) {
  if (HWND w = control(win32::dialog(h), i)) EnableWindow(w, enabled ? TRUE : FALSE);
}

void control_set_text(Handle h, int i, const std::string& text) {
  win32::Dialog* d = win32::dialog(h);
  HWND w = control(d, i);
  if (!w) return;
  d->quiet = true;
  SetWindowTextA(w, text.c_str());
  d->quiet = false;
}

void control_copy_picture(Handle h, int to, int from) {
  win32::Dialog* d = win32::dialog(h);
  if (!d || to < 0 || from < 0 || static_cast<std::size_t>(to) >= d->pictures.size() ||
      static_cast<std::size_t>(from) >= d->pictures.size())
    return;
  d->pictures[static_cast<std::size_t>(to)] = d->pictures[static_cast<std::size_t>(from)];
  if (HWND w = d->controls[static_cast<std::size_t>(to)]) InvalidateRect(w, nullptr, FALSE);
}

void control_focus(Handle h, int i) {
  win32::Dialog* d = win32::dialog(h);
  if (HWND w = control(d, i)) {
    SetFocus(w);
    d->focus = w;
    // An option button checked as it takes the focus would otherwise lose the focus mark,
    // drawn once before the check's repaint.
    InvalidateRect(w, nullptr, TRUE);
  }
}

void message_box(const std::string& title, const std::string& text) {
  // Wide: a message about a file names its folder, which may lie outside the code page.
  MessageBoxW(nullptr, win32::wide_path(text).c_str(), win32::wide_path(title).c_str(), MB_OK | MB_SETFOREGROUND);
}

}  // namespace plat
