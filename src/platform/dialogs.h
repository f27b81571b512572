// The dialogs: windows of ordinary controls built from a layout description that the core keeps
// (positions in twips, captions, tab order, tooltips). The core owns every control's value and
// enabled state and pushes them here; the back end shows them and reports what the user did.
//
// A control is named by its index in the layout's list. Everything runs on the one thread; the
// back end's event loop delivers the events below one at a time.
//
// Keys: the back end reports every key pressed in a dialog as it is (on_key) and does nothing of
// its own with it; the core's one keyboard model (dialogs/keyboard.h) moves the focus, which the
// back end draws where control_focus() says, and presses, toggles and selects controls. Only when
// on_key returns false does the key go on to the focused control (the text box's editing keys).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace plat {

enum class ControlKind {
  Frame,         // a captioned border that holds other controls
  CheckBox,      // value 0 or 1; toggles when clicked
  OptionButton,  // value 0 or 1; one selected per container
  PushButton,    // pressed by a click
  Label,
  HScrollBar,  // value between min and max, arrows at both ends
  TextBox,     // one line of text
  PictureBox,  // a sunken box showing one picture
  Image,       // a picture holder; hidden ones are a store of pictures to copy from
};

// Every kind that a user can reach with the keyboard; frames, labels and images never take the
// focus, whatever their tab number.
constexpr bool kind_takes_focus(ControlKind k) {
  return k == ControlKind::CheckBox || k == ControlKind::OptionButton || k == ControlKind::PushButton ||
         k == ControlKind::HScrollBar || k == ControlKind::TextBox || k == ControlKind::PictureBox;
}

enum class Align { Left, Centre, Right };

inline constexpr std::uint32_t kDefaultColour = 0xFFFFFFFFu;  // the window system's own colour

struct ControlSpec {
  std::string name;  // e.g. "wumpetcheck(1)", "cmdOK"
  ControlKind kind = ControlKind::Label;
  int parent = -1;  // index of the frame that holds it; -1 = the dialog itself
  std::string caption;
  int left = 0, top = 0, width = 0, height = 0;  // twips, relative to the container
  int tab = -1;                                  // keyboard tab order; -1 = never focused
  std::string tooltip;
  bool bold = false;        // frame captions are drawn bold
  bool visible = true;      // false for the hidden picture store
  Align align = Align::Left;
  std::uint32_t face = kDefaultColour;  // background, 00BBGGRR or 0x80000000 + system colour
  std::uint32_t fore = kDefaultColour;  // text
  std::string picture;      // Image and PictureBox: the picture file it starts with (no folder)
  int min = 0, max = 0, small_step = 1, large_step = 1;  // HScrollBar
};

struct DialogSpec {
  std::string caption;
  int client_width = 0, client_height = 0;  // twips
  std::vector<ControlSpec> controls;
  // The controls that take the keyboard focus, in the order Tab visits them (Shift+Tab goes
  // back), across frames: one order for the whole dialog, derived from the tab numbers.
  std::vector<int> tab_order;
};

// A key as the keyboard gave it. Tab with Shift is Shift+Tab; a letter typed with Alt held is
// Char with alt set (an access key).
enum class Key {
  Other,  // any key the model has no use for (Backspace, Delete, ...): the focused control's
  Tab, Enter, Escape, Space, Left, Right, Up, Down, Home, End, PageUp, PageDown,
  Char,  // a typed character, `ch`
};

struct KeyEvent {
  Key key = Key::Other;
  int ch = 0;  // Char: the character code (Latin-1)
  bool shift = false;
  bool alt = false;
};

// What the user did in a dialog.
class DialogEvents {
 public:
  // A control was clicked or changed by the user. The back end has already changed the value the
  // user sees (a check box toggled, an option selected, a scroll bar moved, a text typed); `value`
  // is the new value and `text` the new text of a text box.
  virtual void on_control(Handle dialog, int control, int value, const std::string& text) = 0;
  // A key was pressed while the dialog had the keyboard. True: the dialog used it; false: the
  // back end gives it to the focused control (a text box types or edits with it).
  virtual bool on_key(Handle /*dialog*/, const KeyEvent& /*key*/) { return false; }
  // The user put the focus on a control with the mouse; the back end has drawn it there.
  virtual void on_focus(Handle /*dialog*/, int /*control*/) {}
  // A character was typed anywhere in the dialog; the keyboard model reports it before the
  // focused control gets it (the key preview).
  virtual void on_keypress(Handle /*dialog*/, int /*ch*/) {}
  virtual void on_activate(Handle /*dialog*/) {}
  // The user closed the window through its frame (the keyboard model sends Escape here too).
  virtual void on_close_request(Handle dialog) = 0;

 protected:
  ~DialogEvents() = default;
};

// Creates the dialog hidden, with every control in its designed state; 0 when no dialog can be
// shown at all (no display). Every call below ignores a handle of 0.
Handle dialog_create(const DialogSpec& desc, DialogEvents* events);
void dialog_destroy(Handle dialog);
void dialog_show(Handle dialog);  // non-modal
void dialog_hide(Handle dialog);
void dialog_set_caption(Handle dialog, const std::string& caption);
// The outer size of the window in twips, for centring.
void dialog_outer_size(Handle dialog, float& width, float& height);
// Moves the window's outer top-left corner; twips, rounded to whole pixels here.
void dialog_move(Handle dialog, float left, float top);
void dialog_set_topmost(Handle dialog, bool topmost);
// The dialog belongs to another program's window (the system's settings window that asked for
// it): it stays above that window and goes with it, that window takes no input while the
// dialog is shown, and the dialog is centred on it. False (nothing changes) when owner is not a
// window of another program. Called before dialog_show.
bool dialog_set_owner(Handle dialog, Handle owner);

// Program-side changes: none of these reports an event back.
void control_set_value(Handle dialog, int control, int value);
void control_set_enabled(Handle dialog, int control, bool enabled);
void control_set_text(Handle dialog, int control, const std::string& text);
void control_copy_picture(Handle dialog, int to_control, int from_control);
void control_focus(Handle dialog, int control);

// A short message box with one OK button; returns when it is closed.
void message_box(const std::string& title, const std::string& text);

}  // namespace plat
