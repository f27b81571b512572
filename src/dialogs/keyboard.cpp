#include "dialogs/keyboard.h"

namespace wumpets {

namespace {

int lower(int ch) { return ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch; }

}  // namespace

int access_letter(const std::string& caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {  // "&&" is a plain ampersand
      ++i;
      continue;
    }
    return lower(static_cast<unsigned char>(caption[i + 1]));
  }
  return 0;
}

void DialogKeys::set_focus(plat::Handle dialog, int control) {
  focus_ = control;
  plat::control_focus(dialog, control);
}

void DialogKeys::focus_moved(int control) {
  if (control >= 0 && control < static_cast<int>(layout_.controls.size())) focus_ = control;
}

bool DialogKeys::focusable(int c, const KeyTarget& t) const {
  if (c < 0 || c >= static_cast<int>(layout_.controls.size())) return false;
  const plat::ControlSpec& s = control_at(c);
  if (s.tab < 0 || !plat::kind_takes_focus(s.kind)) return false;
  // A control inside a disabled or hidden frame is out of reach too.
  for (int i = c; i >= 0; i = control_at(i).parent)
    if (!control_at(i).visible || !t.key_enabled(i)) return false;
  return true;
}

bool DialogKeys::tab_stop(int c, const KeyTarget& t) const {
  if (!focusable(c, t)) return false;
  if (control_at(c).kind != plat::ControlKind::OptionButton) return true;
  // The group's stop: its selected button, else its first reachable one in tab order.
  int first = -1;
  for (int o : layout_.tab_order) {
    const plat::ControlSpec& s = control_at(o);
    if (s.kind != plat::ControlKind::OptionButton || s.parent != control_at(c).parent || !focusable(o, t)) continue;
    if (t.key_value(o) == 1) return o == c;
    if (first < 0) first = o;
  }
  return first == c;
}

void DialogKeys::tab(plat::Handle dialog, bool backwards, const KeyTarget& t) {
  const auto& order = layout_.tab_order;
  const int n = static_cast<int>(order.size());
  int at = -1;
  for (int i = 0; i < n; ++i)
    if (order[static_cast<std::size_t>(i)] == focus_) at = i;
  if (at < 0) at = backwards ? 0 : n - 1;
  for (int step = 1; step <= n; ++step) {
    const int c = order[static_cast<std::size_t>(((at + (backwards ? -step : step)) % n + n) % n)];
    if (c != focus_ && tab_stop(c, t)) {
      set_focus(dialog, c);
      return;
    }
  }
}

void DialogKeys::arrow(plat::Handle dialog, bool backwards, plat::DialogEvents& events, const KeyTarget& t) {
  // The group in layout order, which is the order the buttons stand on screen.
  const int n = static_cast<int>(layout_.controls.size());
  const int parent = control_at(focus_).parent;
  for (int step = 1; step < n; ++step) {
    const int c = ((focus_ + (backwards ? -step : step)) % n + n) % n;
    if (control_at(c).kind == plat::ControlKind::OptionButton && control_at(c).parent == parent && focusable(c, t)) {
      set_focus(dialog, c);
      act(dialog, c, events, t);
      return;
    }
  }
}

// What a click does to the control, reported to the dialog as a click is.
void DialogKeys::act(plat::Handle dialog, int c, plat::DialogEvents& events, const KeyTarget& t) {
  switch (control_at(c).kind) {
    case plat::ControlKind::CheckBox: {
      const int value = t.key_value(c) == 1 ? 0 : 1;
      plat::control_set_value(dialog, c, value);
      events.on_control(dialog, c, value, "");
      break;
    }
    case plat::ControlKind::OptionButton:
      for (int o = 0; o < static_cast<int>(layout_.controls.size()); ++o)
        if (o != c && control_at(o).kind == plat::ControlKind::OptionButton && control_at(o).parent == control_at(c).parent)
          plat::control_set_value(dialog, o, 0);
      plat::control_set_value(dialog, c, 1);
      events.on_control(dialog, c, 1, "");
      break;
    case plat::ControlKind::PushButton: events.on_control(dialog, c, 0, ""); break;
    default: break;
  }
}

bool DialogKeys::access_key(plat::Handle dialog, int ch, plat::DialogEvents& events, const KeyTarget& t) {
  const int letter = lower(ch);
  for (int c = 0; c < static_cast<int>(layout_.controls.size()); ++c) {
    const plat::ControlSpec& s = control_at(c);
    if (s.kind == plat::ControlKind::TextBox || access_letter(s.caption) != letter) continue;
    if (s.kind == plat::ControlKind::Frame || s.kind == plat::ControlKind::Label) {
      // Goes to the first reachable control after it in tab order.
      for (int o : layout_.tab_order)
        if (control_at(o).tab > s.tab && focusable(o, t)) {
          set_focus(dialog, o);
          return true;
        }
      return true;
    }
    if (!focusable(c, t)) continue;
    set_focus(dialog, c);
    act(dialog, c, events, t);
    return true;
  }
  return true;  // Alt with a letter nobody marks does nothing
}

bool DialogKeys::scroll(plat::Handle dialog, plat::Key key, plat::DialogEvents& events, const KeyTarget& t) {
  const plat::ControlSpec& s = control_at(focus_);
  int v = t.key_value(focus_);
  switch (key) {
    case plat::Key::Left:
    case plat::Key::Up: v -= s.small_step; break;
    case plat::Key::Right:
    case plat::Key::Down: v += s.small_step; break;
    case plat::Key::PageUp: v -= s.large_step; break;
    case plat::Key::PageDown: v += s.large_step; break;
    case plat::Key::Home: v = s.min; break;
    case plat::Key::End: v = s.max; break;
    default: return false;
  }
  v = v < s.min ? s.min : v > s.max ? s.max : v;
  if (v != t.key_value(focus_)) {
    plat::control_set_value(dialog, focus_, v);
    events.on_control(dialog, focus_, v, "");
  }
  return true;
}

bool DialogKeys::key(plat::Handle dialog, const plat::KeyEvent& k, plat::DialogEvents& events,
                     const KeyTarget& target) {
  using plat::Key;
  if (!target.key_open()) return true;
  if (k.alt) {
    if (k.key == Key::Char) return access_key(dialog, k.ch, events, target);
    return false;  // Alt with anything else belongs to the window system
  }
  // The key preview.
  const int typed = k.key == Key::Char ? k.ch : k.key == Key::Space ? ' ' : k.key == Key::Enter ? 13
                    : k.key == Key::Escape ? 27 : 0;
  if (typed != 0) {
    events.on_keypress(dialog, typed);
    if (!target.key_open()) return true;
  }
  const bool has_focus = focus_ >= 0 && focus_ < static_cast<int>(layout_.controls.size());
  const plat::ControlKind kind = has_focus ? control_at(focus_).kind : plat::ControlKind::Label;
  switch (k.key) {
    case Key::Tab: tab(dialog, k.shift, target); return true;
    case Key::Escape: events.on_close_request(dialog); return true;
    case Key::Enter: {
      const int c = has_focus && kind == plat::ControlKind::PushButton ? focus_ : default_;
      if (c >= 0 && focusable(c, target)) events.on_control(dialog, c, 0, "");
      return true;  // a one-line text box takes no line break
    }
    case Key::Space:
      if (kind == plat::ControlKind::TextBox) return false;
      if (has_focus && focusable(focus_, target)) act(dialog, focus_, events, target);
      return true;
    case Key::Left:
    case Key::Right:
    case Key::Up:
    case Key::Down:
    case Key::Home:
    case Key::End:
    case Key::PageUp:
    case Key::PageDown:
      if (kind == plat::ControlKind::TextBox) return false;
      if (kind == plat::ControlKind::HScrollBar) return scroll(dialog, k.key, events, target);
      if (kind == plat::ControlKind::OptionButton &&
          (k.key == Key::Left || k.key == Key::Right || k.key == Key::Up || k.key == Key::Down))
        arrow(dialog, k.key == Key::Left || k.key == Key::Up, events, target);
      return true;
    case Key::Char:
    case Key::Other: return kind != plat::ControlKind::TextBox;
  }
  return true;
}

}  // namespace wumpets
