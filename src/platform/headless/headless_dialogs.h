// The dialogs on the headless back end: every dialog and control is a record that tests read,
// and tests act as the user through the functions below (which report to the dialog's events as
// a window system would). Controls are found by their layout name, e.g. "wumpetcheck(1)".
#pragma once

#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace headless_dialogs {

struct ControlState {
  plat::ControlSpec desc;
  int value = 0;
  bool enabled = true;
  std::string text;
  std::string picture;  // the picture file it shows ("" = empty)
};

struct DialogState {
  plat::DialogSpec desc;
  plat::DialogEvents* events = nullptr;
  bool loaded = true;
  bool visible = false;
  bool topmost = false;
  plat::Handle owner = 0;  // the other program's window it belongs to
  std::string caption;
  float left = 0, top = 0;  // twips, last move
  int moves = 0;
  int focus = -1;  // the control with the keyboard focus
  std::vector<ControlState> controls;
};

// Forgets every dialog and message box.
void reset();

const DialogState* dialog(plat::Handle dialog);
// The most recent dialog whose layout has this caption (e.g. "Configuration", "Form1"), loaded
// or not; 0 when none.
plat::Handle find_dialog(const std::string& layout_caption);
int control_index(plat::Handle dialog, const std::string& name);  // -1 when there is none
const ControlState& control(plat::Handle dialog, const std::string& name);

// The user's actions. A disabled control or a hidden dialog ignores them, as on screen.
void click(plat::Handle dialog, const std::string& name);  // toggles a check box, selects an option
void scroll_to(plat::Handle dialog, const std::string& name, int value);
void type_text(plat::Handle dialog, const std::string& name, const std::string& text);  // replaces it
// A key pressed in the dialog, as a keyboard reports it: the dialog's keyboard model decides;
// a key it leaves goes to the focused control (a text box types the character).
void key(plat::Handle dialog, const plat::KeyEvent& key);
void press_key(plat::Handle dialog, int ch);  // a typed character: 13 Enter, 27 Escape, 9 Tab
void close(plat::Handle dialog);              // through the window frame

// Message boxes shown, title and text.
const std::vector<std::pair<std::string, std::string>>& message_boxes();

// From now until the next reset, dialog_create fails as where no dialog can be shown.
void refuse_dialogs(bool refuse);

}  // namespace headless_dialogs
