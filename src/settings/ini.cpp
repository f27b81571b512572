// The settings file: its folders, one value read or written, and the loader that fills the scene
// switches (or the first-run defaults) at every start.
#include "errors/handler.h"
#include "settings/keys.h"
#include "startup/starter.h"

namespace wumpets {

void sys_GetDirectories(Starter& st) {
  guarded(st, "Starter/sys_GetDirectories", [&] {
    st.windir = plat::windows_directory();
    const char sep = plat::path_separator();
    if (st.windir.empty() || st.windir.back() != sep) st.windir += sep;
    st.datadir = plat::data_directory();
  });
}

std::string sys_GetIni(Starter& st, const std::string& file, const std::string& section,
                       const std::string& key) {
  std::string value;
  guarded(st, "Starter/sys_GetIni", [&] { value = plat::profile_get(section, key, "", 128, file); });
  return value;
}

plat::ProfileWrite PutIniData(Starter& st, const std::string& file, const std::string& section,
                              const std::string& key, const std::string& value) {
  plat::ProfileWrite result;
  result.ok = false;
  guarded(st, "Starter/PutIniData", [&] { result = plat::profile_put(section, key, value, file); });
  return result;
}

plat::ProfileWrite PutIniData(Starter& st, const std::string& file, const std::string& section,
                              const plat::ProfileEntries& entries) {
  plat::ProfileWrite result;
  result.ok = false;
  guarded(st, "Starter/PutIniData", [&] { result = plat::profile_put_all(section, entries, file); });
  return result;
}

void tell_unsaved(const plat::ProfileWrite& failed) {
  plat::message_box(kIniSection, "The settings could not be saved in\n" + failed.path + "\nbecause " +
                                     (failed.reason.empty() ? "it cannot be written" : failed.reason) +
                                     ".\nNothing was changed: put that right and Apply again, or Cancel.");
}

namespace {

void set_first_run_defaults(Scene& sc) {
  for (int n = 1; n <= 5; ++n) sc.wumpets(n).enabled = kTrue;
  sc.redroses(1).enabled = kTrue;
  sc.pinkroses(1).enabled = kTrue;
  sc.whiteroses(1).enabled = kTrue;
  sc.yellowroses(1).enabled = kTrue;
  sc.notes1(1).enabled = kTrue;
  sc.background = 0;
  sc.speed = 60;
  sc.musicchoice(0) = kTrue;
  sc.musicchoice(1) = kTrue;
  sc.musicchoice(2) = kTrue;
}

void apply_background_table(Scene& sc) {
  switch (sc.background) {
    case 0: sc.backwidth = 165, sc.backheight = 290, sc.backmode = 1; break;
    case 1: sc.backwidth = 108, sc.backheight = 108, sc.backmode = 1; break;
    case 2: sc.backwidth = 97, sc.backheight = 57, sc.backmode = 1; break;
    case 3: sc.backmode = 3; break;
    default: break;  // everything stays as it was
  }
}

// The values given for this run, over what the file (or the first run) gave.
void apply_overrides(Scene& sc, const std::vector<plat::SettingOverride>& overrides) {
  for (const auto& [key, value] : overrides) {
    if (key == "music") {
      bool any = false;
      for (int n = 0; n <= 5; ++n) any = any || sc.musicchoice(n) != 0;
      for (int n = 0; n <= 5; ++n) {
        if (value == "0") sc.musicchoice(n) = kFalse;
        else if (!any && n <= 2) sc.musicchoice(n) = kTrue;
      }
      continue;
    }
    const SettingKey* k = find_setting_key(key);
    if (!k) continue;
    switch (k->kind) {
      case KeyKind::Flag: *k->number(sc) = number_of_text(value) > 0 ? kTrue : kFalse; break;
      case KeyKind::Number: *k->number(sc) = to_integer(number_of_text(value)); break;
      case KeyKind::Text: *k->text(sc) = value; break;
    }
  }
}

}  // namespace

void X_GetData(Starter& st) {
  guarded(st, "Starter/X_GetData", [&] {
    sys_GetDirectories(st);
    Scene& sc = st.scene;
    auto read = [&](const char* key) { return sys_GetIni(st, kIniFile, kIniSection, key); };
    if (number_of_text(read(kFirstRunKey)) > 0) {
      for (const SettingKey& k : setting_keys()) {
        std::string value = read(k.name);
        switch (k.kind) {
          case KeyKind::Flag:
            // Flags are only ever switched on here; anything else leaves them off.
            if (number_of_text(value) > 0) *k.number(sc) = kTrue;
            break;
          case KeyKind::Number:
            *k.number(sc) = to_integer(number_of_text(value));
            break;
          case KeyKind::Text:
            *k.text(sc) = value;
            break;
        }
      }
    } else {
      set_first_run_defaults(sc);
    }
    apply_overrides(sc, st.overrides);
    apply_background_table(sc);
  });
}

}  // namespace wumpets
