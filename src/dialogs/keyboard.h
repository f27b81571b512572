// The one keyboard model of every dialog. A back end reports raw keys (plat::KeyEvent); this
// decides what they do, the same on every system:
// - Tab and Shift+Tab follow the layout's tab order, passing over disabled controls, around the
//   ends. The option buttons of one frame are one group and one Tab stop: the selected button, or
//   the group's first when none is.
// - On an option button the arrows move within its group (Up/Left back, Down/Right on, around)
//   and select the button they reach. On the scroll bar Left/Right (and Up/Down) move it a small
//   step, Page Up/Down a large one, Home/End to its ends.
// - Space toggles a check box, selects an option button, presses a push button.
// - Enter presses the focused push button, else the dialog's default button.
// - Escape is the close box.
// - Alt+letter: the control whose caption marks that letter with '&' is focused and pressed,
//   toggled or selected; a frame's or label's goes to the next control in tab order.
// Typed characters, Space, Enter and Escape reach the dialog's key preview (on_keypress) first;
// when the preview hides or closes the dialog, the key ends there.
#pragma once

#include "platform/dialogs.h"

namespace wumpets {

// What the model reads of the dialog it serves.
struct KeyTarget {
  virtual int key_value(int /*control*/) const { return 0; }
  virtual bool key_enabled(int /*control*/) const { return true; }
  virtual bool key_open() const = 0;  // still shown: a key that hid or closed it goes no further

 protected:
  ~KeyTarget() = default;
};

class DialogKeys {
 public:
  DialogKeys(const plat::DialogSpec& layout, int default_button) : layout_(layout), default_(default_button) {}

  int focus() const { return focus_; }
  // The program moves the focus; the back end draws it.
  void set_focus(plat::Handle dialog, int control);
  // The user moved it with the mouse: the back end has drawn it already.
  void focus_moved(int control);
  // Forgets the focus, when the dialog is unloaded.
  void reset() { focus_ = -1; }

  // True when the key was used; false passes it to the focused control.
  bool key(plat::Handle dialog, const plat::KeyEvent& k, plat::DialogEvents& events, const KeyTarget& target);

 private:
  bool focusable(int c, const KeyTarget& t) const;
  bool tab_stop(int c, const KeyTarget& t) const;
  void tab(plat::Handle dialog, bool backwards, const KeyTarget& t);
  void arrow(plat::Handle dialog, bool backwards, plat::DialogEvents& events, const KeyTarget& t);
  void act(plat::Handle dialog, int c, plat::DialogEvents& events, const KeyTarget& t);
  bool access_key(plat::Handle dialog, int ch, plat::DialogEvents& events, const KeyTarget& t);
  bool scroll(plat::Handle dialog, plat::Key key, plat::DialogEvents& events, const KeyTarget& t);
  const plat::ControlSpec& control_at(int c) const { return layout_.controls[static_cast<std::size_t>(c)]; }

  const plat::DialogSpec& layout_;
  int default_ = -1;
  int focus_ = -1;
};

// The letter a caption marks with '&' for its access key, in lower case; 0 when none.
int access_letter(const std::string& caption);

}  // namespace wumpets
