// The settings dialog ("/c") and the personal-message dialog it opens.
//
// `Configuration` shows the settings held in memory, keeps a few options consistent while the
// user works, and on "&Apply Changes" writes every setting (never the memory copy); unloading it
// in any way ends the program. `messageentry` edits the message text and writes it at once.
//
// The forms own their controls' values and enabled states; the window on screen is the
// platform's (platform/dialogs.h), built from the layouts in dialogs/layouts.h. Setting a check
// box from the program runs its click procedure when the value changes, as a user's click does.
#pragma once

#include <string>
#include <vector>

#include "dialogs/keyboard.h"
#include "dialogs/layouts.h"
#include "platform/dialogs.h"
#include "runtime/numbers.h"

namespace wumpets {

struct Starter;
struct Configuration;

struct MessageEntry final : plat::DialogEvents, KeyTarget {
  explicit MessageEntry(Configuration& owner) : cfg(owner) {}

  Configuration& cfg;
  plat::Handle dialog = 0;  // 0 while not loaded
  bool visible = false;
  std::string text;  // what Text1 holds
  DialogKeys keys{messageentry_layout(), -1};  // Enter is the key preview's: it applies

  void show();  // "Change": loads the form the first time (and after Cancel), then shows it

  void Form_Load();
  void Form_Activate();
  void Form_KeyPress(Integer keyascii);
  void apply_Click();
  void Cancel_Click();

  void on_control(plat::Handle dialog, int control, int value, const std::string& text) override;
  void on_keypress(plat::Handle dialog, int ch) override;
  void on_activate(plat::Handle dialog) override;
  void on_close_request(plat::Handle dialog) override;
  bool on_key(plat::Handle dialog, const plat::KeyEvent& key) override;
  void on_focus(plat::Handle dialog, int control) override;
  bool key_open() const override { return visible; }

 private:
  void unload();
};

struct Configuration final : plat::DialogEvents, KeyTarget {
  explicit Configuration(Starter& owner);

  Starter& st;
  plat::Handle dialog = 0;
  bool visible = false;
  struct ControlState {
    int value = 0;
    bool enabled = true;
  };
  std::vector<ControlState> controls;  // by control index (cfg::...)
  int shown_picture = 0;               // which pic(n) the preview box holds a copy of
  MessageEntry messageentry{*this};
  DialogKeys keys{configuration_layout(), cfg::cmdOK};

  // Creates the window and runs Form_Load, which shows it (or reports and leaves it hidden).
  void load();
  void show();

  int value(int control) const { return controls[static_cast<std::size_t>(control)].value; }
  bool enabled(int control) const { return controls[static_cast<std::size_t>(control)].enabled; }
  // Program-side changes. A check box whose value changes runs its click procedure.
  void set_value(int control, int value);
  void set_enabled(int control, bool enabled);

  void Form_Load();
  [[noreturn]] void Form_Unload();
  void cmdOK_Click();
  void cmdCancel_Click();
  void change_Click();
  void wumpetcheck_Click(Integer index);
  void redrosecheck_Click();
  void pinkrosecheck_Click();
  void yellowrosecheck_Click();
  void whiterosecheck_Click();
  void peacecheck_Click();
  void hippiecheck_Click();
  void lavalampcheck_Click();
  void discoballcheck_Click();
  void notes1check_Click();
  void notes2check_Click();
  void messagecheck_Click();
  void trailcheck_Click();
  void transcheck_Click();

  void on_control(plat::Handle dialog, int control, int value, const std::string& text) override;
  void on_close_request(plat::Handle dialog) override;
  bool on_key(plat::Handle dialog, const plat::KeyEvent& key) override;
  void on_focus(plat::Handle dialog, int control) override;
  int key_value(int control) const override { return value(control); }
  bool key_enabled(int control) const override { return enabled(control); }
  bool key_open() const override { return visible; }

 private:
  void click(int control);  // runs the control's click procedure, if it has one
  void show_picture(int n);
  [[noreturn]] void unload();
};

// Loads the `Configuration` dialog, which shows itself.
void load_configuration(Starter& st);

}  // namespace wumpets
