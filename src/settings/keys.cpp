#include "settings/keys.h"

#include <array>

namespace wumpets {

namespace {

#define FLAG(key, field) SettingKey{key, KeyKind::Flag, [](Scene& s) { return &s.field; }, nullptr}
#define NUMBER(key, field) SettingKey{key, KeyKind::Number, [](Scene& s) { return &s.field; }, nullptr}

const std::array kKeys = {
    FLAG("wumpet1", wumpets(1).enabled),
    FLAG("wumpet2", wumpets(2).enabled),
    FLAG("wumpet3", wumpets(3).enabled),
    FLAG("wumpet4", wumpets(4).enabled),
    FLAG("wumpet5", wumpets(5).enabled),
    FLAG("notes1", notes1(1).enabled),
    FLAG("notes2", notes2(1).enabled),
    FLAG("peace", peaces(1).enabled),
    FLAG("hippie", hippie.enabled),
    FLAG("yellowrose", yellowroses(1).enabled),
    FLAG("redrose", redroses(1).enabled),
    FLAG("pinkrose", pinkroses(1).enabled),
    FLAG("whiterose", whiteroses(1).enabled),
    FLAG("discoball", discoball.enabled),
    FLAG("lavalamp", lavalamps(1).enabled),
    FLAG("conga", conga),
    FLAG("trailing", trailing),
    FLAG("semitransparent", semitransparent),
    FLAG("overlap", overlap),
    FLAG("colorchanger", colorchanger),
    NUMBER("background", background),
    NUMBER("speed", speed),
    FLAG("musicchoice0", musicchoice(0)),
    FLAG("musicchoice1", musicchoice(1)),
    FLAG("musicchoice2", musicchoice(2)),
    FLAG("musicchoice3", musicchoice(3)),
    FLAG("musicchoice4", musicchoice(4)),
    FLAG("musicchoice5", musicchoice(5)),
    FLAG("message", message),
    SettingKey{"messagetext", KeyKind::Text, nullptr, [](Scene& s) { return &s.messagetext; }},
};

#undef FLAG
#undef NUMBER

}  // namespace

std::span<const SettingKey> setting_keys() { return kKeys; }

const SettingKey* find_setting_key(const std::string& name) {
  for (const SettingKey& k : kKeys)
    if (name == k.name) return &k;
  return nullptr;
}

}  // namespace wumpets
