#include "platform/headless/headless_dialogs.h"

#include <map>
#include <stdexcept>

namespace headless_dialogs {

namespace {

struct State {
  std::map<plat::Handle, DialogState> dialogs;
  plat::Handle next = 5000;
  std::vector<std::pair<std::string, std::string>> boxes;
  bool refuse = false;  // no dialog can be shown (as with no display)
};

State& S() {
  static State s;
  return s;
}

DialogState* live(plat::Handle h) {
  auto it = S().dialogs.find(h);
  return it == S().dialogs.end() || !it->second.loaded ? nullptr : &it->second;
}

ControlState* live_control(plat::Handle h, int c) {
  DialogState* d = live(h);
  if (!d || c < 0 || c >= static_cast<int>(d->controls.size())) return nullptr;
  return &d->controls[static_cast<std::size_t>(c)];
}

// A user's action reaches a control only when it and every frame around it are enabled and the
// dialog is on screen.
bool reachable(const DialogState& d, int c) {
  if (!d.visible) return false;
  for (int i = c; i >= 0; i = d.controls[static_cast<std::size_t>(i)].desc.parent)
    if (!d.controls[static_cast<std::size_t>(i)].enabled || !d.controls[static_cast<std::size_t>(i)].desc.visible)
      return false;
  return true;
}

}  // namespace

void reset() { S() = State{}; }

const DialogState* dialog(plat::Handle h) {
  auto it = S().dialogs.find(h);
  return it == S().dialogs.end() ? nullptr : &it->second;
}

plat::Handle find_dialog(const std::string& layout_caption) {
  plat::Handle found = 0;
  for (auto& [h, d] : S().dialogs)
    if (d.desc.caption == layout_caption) found = h;
  return found;
}

int control_index(plat::Handle h, const std::string& name) {
  const DialogState* d = dialog(h);
  if (!d) return -1;
  for (std::size_t i = 0; i < d->controls.size(); ++i)
    if (d->controls[i].desc.name == name) return static_cast<int>(i);
  return -1;
}

const ControlState& control(plat::Handle h, const std::string& name) {
  const int i = control_index(h, name);
  if (i < 0) throw std::out_of_range("no control " + name);
  return dialog(h)->controls[static_cast<std::size_t>(i)];
}

void click(plat::Handle h, const std::string& name) {
  DialogState* d = live(h);
  const int c = control_index(h, name);
  if (!d || c < 0 || !reachable(*d, c)) return;
  ControlState& ctl = d->controls[static_cast<std::size_t>(c)];
  switch (ctl.desc.kind) {
    case plat::ControlKind::CheckBox:
      ctl.value = ctl.value == 1 ? 0 : 1;
      break;
    case plat::ControlKind::OptionButton:
      for (ControlState& other : d->controls)
        if (other.desc.kind == plat::ControlKind::OptionButton && other.desc.parent == ctl.desc.parent)
          other.value = 0;
      ctl.value = 1;
      break;
    default:
      break;
  }
  if (ctl.desc.tab >= 0 && plat::kind_takes_focus(ctl.desc.kind) && d->focus != c) {
    d->focus = c;
    d->events->on_focus(h, c);
  }
  d->events->on_control(h, c, ctl.value, ctl.text);
}

void scroll_to(plat::Handle h, const std::string& name, int value) {
  DialogState* d = live(h);
  const int c = control_index(h, name);
  if (!d || c < 0 || !reachable(*d, c)) return;
  ControlState& ctl = d->controls[static_cast<std::size_t>(c)];
  ctl.value = value < ctl.desc.min ? ctl.desc.min : value > ctl.desc.max ? ctl.desc.max : value;
  d->events->on_control(h, c, ctl.value, ctl.text);
}

void type_text(plat::Handle h, const std::string& name, const std::string& text) {
  DialogState* d = live(h);
  const int c = control_index(h, name);
  if (!d || c < 0 || !reachable(*d, c)) return;
  ControlState& ctl = d->controls[static_cast<std::size_t>(c)];
  ctl.text = text;
  d->events->on_control(h, c, 0, ctl.text);
}

void key(plat::Handle h, const plat::KeyEvent& k) {
  DialogState* d = live(h);
  if (!d || !d->visible) return;
  if (d->events->on_key(h, k)) return;
  d = live(h);
  if (d && d->visible && d->focus >= 0 && (k.key == plat::Key::Char || k.key == plat::Key::Space)) {
    ControlState& ctl = d->controls[static_cast<std::size_t>(d->focus)];
    if (ctl.desc.kind == plat::ControlKind::TextBox) {
      ctl.text += k.key == plat::Key::Space ? ' ' : static_cast<char>(k.ch);
      d->events->on_control(h, d->focus, 0, ctl.text);
    }
  }
}

void press_key(plat::Handle h, int ch) {
  plat::KeyEvent k;
  k.key = ch == 13 ? plat::Key::Enter : ch == 27 ? plat::Key::Escape : ch == 9 ? plat::Key::Tab
          : ch == 32 ? plat::Key::Space : plat::Key::Char;
  k.ch = ch;
  key(h, k);
}

void close(plat::Handle h) {
  DialogState* d = live(h);
  if (d && d->visible) d->events->on_close_request(h);
}

const std::vector<std::pair<std::string, std::string>>& message_boxes() { return S().boxes; }

void refuse_dialogs(bool refuse) { S().refuse = refuse; }

}  // namespace headless_dialogs

namespace plat {

using headless_dialogs::S;

Handle dialog_create(const DialogSpec& desc, DialogEvents* events) {
  if (S().refuse) return 0;
  const Handle h = S().next++;
  headless_dialogs::DialogState d;
  d.desc = desc;
  d.events = events;
  d.caption = desc.caption;
  for (const ControlSpec& c : desc.controls) {
    headless_dialogs::ControlState ctl;
    ctl.desc = c;
    ctl.text = c.kind == ControlKind::TextBox ? c.caption : "";
    ctl.picture = c.picture;
    ctl.value = c.kind == ControlKind::HScrollBar ? c.min : 0;
    d.controls.push_back(ctl);
  }
  S().dialogs[h] = d;
  return h;
}

void dialog_destroy(Handle h) {
  if (auto* d = headless_dialogs::live(h)) {
    d->loaded = false;
    d->visible = false;
  }
}

void dialog_show(Handle h) {
  if (auto* d = headless_dialogs::live(h)) d->visible = true;
}

void dialog_hide(Handle h) {
  if (auto* d = headless_dialogs::live(h)) d->visible = false;
}

void dialog_set_caption(Handle h, const std::string& caption) {
  if (auto* d = headless_dialogs::live(h)) d->caption = caption;
}

void dialog_outer_size(Handle h, float& width, float& height) {
  // A plain frame: a caption bar of 18 pixels and a border of 3 on every side.
  if (auto* d = headless_dialogs::live(h)) {
    width = static_cast<float>(d->desc.client_width + 2 * 3 * 15);
    height = static_cast<float>(d->desc.client_height + (18 + 2 * 3) * 15);
  }
}

void dialog_move(Handle h, float left, float top) {
  if (auto* d = headless_dialogs::live(h)) {
    d->left = left;
    d->top = top;
    ++d->moves;
  }
}

void dialog_set_topmost(Handle h, bool topmost) {
  if (auto* d = headless_dialogs::live(h)) d->topmost = topmost;
}

bool dialog_set_owner(Handle h, Handle owner) {
  auto* d = headless_dialogs::live(h);
  if (!d || owner <= 0) return false;
  d->owner = owner;
  return true;
}

void control_set_value(Handle h, int c, int value) {
  if (auto* ctl = headless_dialogs::live_control(h, c)) ctl->value = value;
}

void control_set_enabled(Handle h, int c, bool enabled) {
  if (auto* ctl = headless_dialogs::live_control(h, c)) ctl->enabled = enabled;
}

void control_set_text(Handle h, int c, const std::string& text) {
  if (auto* ctl = headless_dialogs::live_control(h, c)) ctl->text = text;
}

void control_copy_picture(Handle h, int to, int from) {
  auto* dst = headless_dialogs::live_control(h, to);
  auto* src = headless_dialogs::live_control(h, from);
  if (dst && src) dst->picture = src->picture;
}

void control_focus(Handle h, int c) {
  if (auto* d = headless_dialogs::live(h))
    if (c >= 0 && c < static_cast<int>(d->controls.size())) d->focus = c;
}

void message_box(const std::string& title, const std::string& text) { S().boxes.emplace_back(title, text); }

}  // namespace plat
