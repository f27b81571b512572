// The settings keys: one table that drives reading (in this order), and against which the
// settings dialog's save order is checked. Every value in the file is text.
#pragma once

#include <span>
#include <string>

#include "engine/scene.h"

namespace wumpets {

inline constexpr const char* kIniFile = "vornicade.ini";
inline constexpr const char* kIniSection = "Zelkin Wumpets";
inline constexpr const char* kFirstRunKey = "firstrun";

enum class KeyKind {
  Flag,    // "1" / "0"; on when its number is > 0
  Number,  // rounded to an Integer (halves to even); out of range is an overflow
  Text,    // the whole text
};

struct SettingKey {
  const char* name;
  KeyKind kind;
  Integer* (*number)(Scene&);    // Flag and Number keys
  std::string* (*text)(Scene&);  // Text keys
};

// Every key but "firstrun", in the order the loader reads them.
std::span<const SettingKey> setting_keys();
const SettingKey* find_setting_key(const std::string& name);

}  // namespace wumpets
