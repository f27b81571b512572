#include "dialogs/configuration.h"

#include <memory>

#include "errors/handler.h"
#include "settings/keys.h"
#include "startup/starter.h"

namespace wumpets {

namespace {

// Centres a loaded dialog with the given centring procedure and moves its window there.
template <class Centre>
void centre_dialog(Starter& st, plat::Handle dialog, Centre centre) {
  FormGeometry form;
  plat::dialog_outer_size(dialog, form.width, form.height);
  centre(st, form);
  plat::dialog_move(dialog, form.left, form.top);
}

const char* flag_text(int value) { return value == 1 ? "1" : "0"; }

}  // namespace

// ---------------------------------------------------------------------------------------------
// Configuration

Configuration::Configuration(Starter& owner) : st(owner) {
  const auto& layout = configuration_layout();
  controls.resize(layout.controls.size());
}

void Configuration::load() {
  dialog = plat::dialog_create(configuration_layout(), this);
  if (dialog == 0) {  // a dialog nobody can see: nothing to wait for, and nothing was set
    plat::set_exit_status(1);
    plat::end_process();
  }
  Form_Load();
  // Asked for by a window of the system's settings: the dialog is that window's, centred on it.
  if (st.configowner) plat::dialog_set_owner(dialog, st.configowner);
}

void Configuration::show() {
  plat::dialog_show(dialog);
  visible = true;
}

void Configuration::set_value(int control, int value) {
  ControlState& c = controls[static_cast<std::size_t>(control)];
  if (c.value == value) return;
  c.value = value;
  plat::control_set_value(dialog, control, value);
  const plat::ControlKind kind = configuration_layout().controls[static_cast<std::size_t>(control)].kind;
  if (kind == plat::ControlKind::OptionButton && value == 1) {
    // One option per group: selecting one clears the others of its frame.
    const int parent = configuration_layout().controls[static_cast<std::size_t>(control)].parent;
    for (std::size_t i = 0; i < controls.size(); ++i) {
      const auto& desc = configuration_layout().controls[i];
      if (static_cast<int>(i) != control && desc.kind == plat::ControlKind::OptionButton && desc.parent == parent &&
          controls[i].value != 0) {
        controls[i].value = 0;
        plat::control_set_value(dialog, static_cast<int>(i), 0);
      }
    }
  }
  if (kind == plat::ControlKind::CheckBox) click(control);
}

void Configuration::set_enabled(int control, bool enabled) {
  controls[static_cast<std::size_t>(control)].enabled = enabled;
  plat::control_set_enabled(dialog, control, enabled);
}

void Configuration::show_picture(int n) {
  if (n < 0 || n > 15) raise_error(kSubscript);
  shown_picture = n;
  plat::control_copy_picture(dialog, cfg::preview, cfg::pic(n));
}

void Configuration::Form_Load() {
  guarded(st, "Configuration/Form_Load", [&] {
    using namespace cfg;
    Scene& sc = st.scene;
    plat::dialog_set_caption(dialog, std::string(kProductName) + " " + kVersionText);
    centre_dialog(st, dialog, sys_centreform);

    for (int n = 1; n <= 5; ++n)
      if (sc.wumpets(n).enabled) set_value(wumpetcheck(n), 1);

    if (sc.notes1(1).enabled) set_value(notes1check, 1);
    if (sc.notes2(1).enabled) set_value(notes2check, 1);
    if (sc.peaces(1).enabled) set_value(peacecheck, 1);
    if (sc.discoball.enabled) set_value(discoballcheck, 1);
    if (sc.lavalamps(1).enabled) set_value(lavalampcheck, 1);
    if (sc.yellowroses(1).enabled) set_value(yellowrosecheck, 1);
    if (sc.redroses(1).enabled) set_value(redrosecheck, 1);
    if (sc.pinkroses(1).enabled) set_value(pinkrosecheck, 1);
    if (sc.whiteroses(1).enabled) set_value(whiterosecheck, 1);
    if (sc.hippie.enabled) set_value(hippiecheck, 1);

    show_picture(0);

    if (sc.conga) set_value(congacheck, 1);
    if (sc.colorchanger) set_value(colorcheck, 1);
    if (sc.trailing) {
      set_value(trailcheck, 1);
      set_enabled(transcheck, false);
    }
    if (sc.semitransparent) {
      set_value(transcheck, 1);
      set_enabled(trailcheck, false);
    }
    if (sc.overlap) set_value(overlapcheck, 1);

    // There is no option button for any other background.
    if (sc.background < 0 || sc.background > 3) raise_error(kSubscript);
    set_value(backcheck(sc.background), 1);

    // The thumb must land inside the scroll bar's range.
    const auto& bar = configuration_layout().controls[speedchk];
    const Integer position = int_sub(static_cast<Integer>(bar.max), sc.speed);
    if (position < bar.min || position > bar.max) raise_error(kOverflow);
    controls[speedchk].value = position;
    plat::control_set_value(dialog, speedchk, position);

    for (int n = 0; n <= 5; ++n)
      if (sc.musicchoice(n)) set_value(musicchk(n), 1);

    if (sc.message) {
      set_value(messagecheck, 1);
      set_enabled(change, true);
    } else {
      set_enabled(change, false);
    }

    show();
    keys.set_focus(dialog, cmdOK);
  });
}

void Configuration::Form_Unload() { plat::end_process(); }

void Configuration::unload() {
  plat::dialog_destroy(dialog);
  visible = false;
  Form_Unload();
}

void Configuration::cmdOK_Click() {
  guarded(st, "Configuration/cmdOK_Click", [&] {
    using namespace cfg;
    // Every key goes in one change: a full disk or a run-time error half-way never leaves the
    // file with half the new settings (a speed of 0 froze the next saver).
    plat::ProfileEntries entries;
    auto put = [&](const std::string& key, const std::string& value) { entries.emplace_back(key, value); };
    put(kFirstRunKey, "1");
    for (int n = 1; n <= 5; ++n) put("wumpet" + std::to_string(n), flag_text(value(wumpetcheck(n))));
    put("notes1", flag_text(value(notes1check)));
    put("notes2", flag_text(value(notes2check)));
    put("peace", flag_text(value(peacecheck)));
    put("hippie", flag_text(value(hippiecheck)));
    put("redrose", flag_text(value(redrosecheck)));
    put("pinkrose", flag_text(value(pinkrosecheck)));
    put("yellowrose", flag_text(value(yellowrosecheck)));
    put("whiterose", flag_text(value(whiterosecheck)));
    put("discoball", flag_text(value(discoballcheck)));
    put("lavalamp", flag_text(value(lavalampcheck)));
    put("conga", flag_text(value(congacheck)));
    put("colorchanger", flag_text(value(colorcheck)));
    put("trailing", flag_text(value(trailcheck)));
    put("semitransparent", flag_text(value(transcheck)));
    put("overlap", flag_text(value(overlapcheck)));
    for (int i = 0; i <= 3; ++i) {
      if (value(backcheck(i)) == 1) {
        put("background", " " + std::to_string(i));
        break;
      }
    }
    // The right end ("Fast") is one millisecond a frame, never zero.
    const auto& bar = configuration_layout().controls[speedchk];
    const Integer position = static_cast<Integer>(value(speedchk));
    put("speed", position == bar.max ? "1" : std::to_string(int_sub(static_cast<Integer>(bar.max), position)));
    for (int n = 0; n <= 5; ++n) put("musicchoice" + std::to_string(n), flag_text(value(musicchk(n))));
    put("message", flag_text(value(messagecheck)));
    // A save that failed is said aloud, and the dialog stays with everything chosen in it.
    if (const plat::ProfileWrite written = PutIniData(st, kIniFile, kIniSection, entries); !written) {
      tell_unsaved(written);
      return;
    }
    unload();
  });
}

void Configuration::cmdCancel_Click() { unload(); }

void Configuration::change_Click() {
  keys.set_focus(dialog, cfg::cmdOK);
  messageentry.show();
  plat::dialog_hide(dialog);
  visible = false;
}

void Configuration::wumpetcheck_Click(Integer index) {
  guarded(st, "Configuration/WumpetCheck_Click", [&] {
    using namespace cfg;
    if (index < 1 || index > 5) raise_error(kSubscript);
    show_picture(index);
    if (value(wumpetcheck(index)) == 1) {
      set_enabled(colorcheck, true);
      set_enabled(overlapcheck, true);
      set_enabled(congacheck, true);
      return;
    }
    Integer sum = 0;
    for (int n = 1; n <= 5; ++n) sum = int_add(sum, static_cast<Integer>(value(wumpetcheck(n))));
    if (sum == 0) {
      // No dancer is left: their options mean nothing.
      for (int c : {colorcheck, overlapcheck, congacheck}) {
        set_value(c, 0);
        set_enabled(c, false);
      }
    }
  });
}

namespace {
// The object boxes only show their picture, checked or not.
struct ObjectBox {
  int control;
  const char* label;
  int picture;
};
constexpr ObjectBox kObjectBoxes[] = {
    {cfg::redrosecheck, "Configuration/RedRoseCheck_Click", 6},
    {cfg::pinkrosecheck, "Configuration/PinkRoseCheck_Click", 7},
    {cfg::yellowrosecheck, "Configuration/YellowRoseCheck_Click", 8},
    {cfg::whiterosecheck, "Configuration/WhiteRoseCheck_Click", 9},
    {cfg::peacecheck, "Configuration/PeaceCheck_Click", 10},
    {cfg::hippiecheck, "Configuration/HippieCheck_Click", 11},
    {cfg::lavalampcheck, "Configuration/LavaLampCheck_Click", 12},
    {cfg::notes1check, "Configuration/Notes1Check_Click", 13},
    {cfg::discoballcheck, "Configuration/DiscoBallCheck_Click", 14},
    {cfg::notes2check, "Configuration/Notes2Check_Click", 15},
};
const ObjectBox& object_box(int control) {
  for (const ObjectBox& b : kObjectBoxes)
    if (b.control == control) return b;
  raise_error(kSubscript);
}
}  // namespace

#define OBJECT_CLICK(proc, id)                                                          \
  void Configuration::proc() {                                                          \
    const ObjectBox& box = object_box(cfg::id);                                         \
    guarded(st, box.label, [&] { show_picture(box.picture); });                          \
  }
OBJECT_CLICK(redrosecheck_Click, redrosecheck)
OBJECT_CLICK(pinkrosecheck_Click, pinkrosecheck)
OBJECT_CLICK(yellowrosecheck_Click, yellowrosecheck)
OBJECT_CLICK(whiterosecheck_Click, whiterosecheck)
OBJECT_CLICK(peacecheck_Click, peacecheck)
OBJECT_CLICK(hippiecheck_Click, hippiecheck)
OBJECT_CLICK(lavalampcheck_Click, lavalampcheck)
OBJECT_CLICK(discoballcheck_Click, discoballcheck)
OBJECT_CLICK(notes1check_Click, notes1check)
OBJECT_CLICK(notes2check_Click, notes2check)
#undef OBJECT_CLICK

void Configuration::messagecheck_Click() {
  guarded(st, "Configuration/MessageCheck_Click",
          [&] { set_enabled(cfg::change, value(cfg::messagecheck) == 1); });
}

void Configuration::trailcheck_Click() {
  guarded(st, "Configuration/TrailCheck_Click", [&] {
    if (value(cfg::trailcheck) == 1) {
      set_value(cfg::transcheck, 0);
      set_enabled(cfg::transcheck, false);
    } else {
      set_enabled(cfg::transcheck, true);
    }
  });
}

void Configuration::transcheck_Click() {
  guarded(st, "Configuration/TransCheck_Click", [&] {
    if (value(cfg::transcheck) == 1) {
      set_value(cfg::trailcheck, 0);
      set_enabled(cfg::trailcheck, false);
    } else {
      set_enabled(cfg::trailcheck, true);
    }
  });
}

void Configuration::click(int control) {
  using namespace cfg;
  if (control >= wumpetcheck(1) && control <= wumpetcheck(5)) {
    wumpetcheck_Click(static_cast<Integer>(control - wumpetcheck1 + 1));
    return;
  }
  switch (control) {
    case cmdOK: cmdOK_Click(); break;
    case cmdCancel: cmdCancel_Click(); break;
    case change: change_Click(); break;
    case redrosecheck: redrosecheck_Click(); break;
    case pinkrosecheck: pinkrosecheck_Click(); break;
    case yellowrosecheck: yellowrosecheck_Click(); break;
    case whiterosecheck: whiterosecheck_Click(); break;
    case peacecheck: peacecheck_Click(); break;
    case hippiecheck: hippiecheck_Click(); break;
    case lavalampcheck: lavalampcheck_Click(); break;
    case discoballcheck: discoballcheck_Click(); break;
    case notes1check: notes1check_Click(); break;
    case notes2check: notes2check_Click(); break;
    case messagecheck: messagecheck_Click(); break;
    case trailcheck: trailcheck_Click(); break;
    case transcheck: transcheck_Click(); break;
    default: break;  // the music boxes, options and scroll bar are only read when saving
  }
}

void Configuration::on_control(plat::Handle, int control, int value, const std::string&) {
  if (control < 0 || control >= static_cast<int>(controls.size())) return;
  const auto& desc = configuration_layout().controls[static_cast<std::size_t>(control)];
  ControlState& c = controls[static_cast<std::size_t>(control)];
  if (!c.enabled) return;
  switch (desc.kind) {
    case plat::ControlKind::CheckBox:
      c.value = value;
      click(control);
      break;
    case plat::ControlKind::OptionButton:
      if (value == 1) set_value(control, 1);
      break;
    case plat::ControlKind::HScrollBar:
      c.value = value < desc.min ? desc.min : value > desc.max ? desc.max : value;
      break;
    case plat::ControlKind::PushButton:
      click(control);
      break;
    default:
      break;
  }
}

void Configuration::on_close_request(plat::Handle) { unload(); }

bool Configuration::on_key(plat::Handle h, const plat::KeyEvent& key) { return keys.key(h, key, *this, *this); }

void Configuration::on_focus(plat::Handle, int control) { keys.focus_moved(control); }

// ---------------------------------------------------------------------------------------------
// messageentry

void MessageEntry::show() {
  if (dialog == 0) {
    dialog = plat::dialog_create(messageentry_layout(), this);
    Form_Load();
  }
  plat::dialog_show(dialog);
  visible = true;
  Form_Activate();
}

void MessageEntry::Form_Load() {
  plat::dialog_set_caption(dialog, std::string(kProductName) + " ScreenSaver Message");
  text = cfg.st.scene.messagetext;
  plat::control_set_text(dialog, msg::Text1, text);
  centre_dialog(cfg.st, dialog, CenterForm);
  plat::dialog_set_topmost(dialog, true);
}

void MessageEntry::Form_Activate() { keys.set_focus(dialog, msg::Text1); }

void MessageEntry::Form_KeyPress(Integer keyascii) {
  if (keyascii == 13) apply_Click();
}

void MessageEntry::apply_Click() {
  if (const plat::ProfileWrite written = PutIniData(cfg.st, kIniFile, kIniSection, "messagetext", text); !written) {
    tell_unsaved(written);  // the text stays in the box
    return;
  }
  cfg.show();
  plat::dialog_hide(dialog);
  visible = false;
}

void MessageEntry::Cancel_Click() {
  cfg.show();
  unload();
}

void MessageEntry::unload() {
  plat::dialog_destroy(dialog);
  dialog = 0;
  visible = false;
  text.clear();
  keys.reset();
}

void MessageEntry::on_control(plat::Handle, int control, int, const std::string& new_text) {
  switch (control) {
    case msg::Text1: text = new_text; break;
    case msg::Apply: apply_Click(); break;
    case msg::Cancel: Cancel_Click(); break;
    default: break;
  }
}

void MessageEntry::on_keypress(plat::Handle, int ch) {
  if (ch >= -32768 && ch <= 32767) Form_KeyPress(static_cast<Integer>(ch));
}

void MessageEntry::on_activate(plat::Handle) { Form_Activate(); }

bool MessageEntry::on_key(plat::Handle h, const plat::KeyEvent& key) { return keys.key(h, key, *this, *this); }

void MessageEntry::on_focus(plat::Handle, int control) { keys.focus_moved(control); }

// Closing the window through its frame counts as Cancel, so the settings dialog comes back.
void MessageEntry::on_close_request(plat::Handle) { Cancel_Click(); }

// ---------------------------------------------------------------------------------------------

void load_configuration(Starter& st) {
  st.configuration_storage = std::make_shared<Configuration>(st);
  st.configuration = st.configuration_storage.get();
  st.configuration->load();
}

}  // namespace wumpets
