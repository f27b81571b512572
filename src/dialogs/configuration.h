// The settings dialog ("/c"): loads, shows the settings in memory, and writes them on Apply.
#pragma once

namespace wumpets {

struct Starter;

// Loads the `Configuration` dialog, which shows itself.
void load_configuration(Starter& st);

}  // namespace wumpets
